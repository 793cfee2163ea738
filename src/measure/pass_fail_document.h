#pragma once
// The document's pass/fail limits: loaded from "otdr config.ini" in the program's folder for the
// current trace's wavelength band, edited through the Pass/Fail dialog, and judged against.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "measure/pass_fail_limits.h"

class COtdrDoc;

/// Builds the INI path in `programFolder` into m_strWorkPath and loads the limits of the trace's
/// band (TraceBandNm, PassFailLimitsForWavelength). A limits file first found too large to read is reported
/// once. An empty folder leaves the limits alone.
void LoadPassFailLimits(COtdrDoc& doc, std::string_view programFolder);

/// The limits a trace of `wavelengthNm` (its band, TraceBandNm, from every caller) is judged with,
/// the one place a limits section is chosen:
/// the section of its band (PassFailSectionToRead), or the confirmed limits the file could not keep
/// for that band, with the enable flags of `current`. Another band's limits never apply: without a
/// section of its own, or with a file too large to read, nothing is judged. Without a limits file
/// path, `current` as it is.
PassFailThresholds PassFailLimitsForWavelength(const PassFailThresholds& current, const std::string& iniPath,
                                               int wavelengthNm);

/// What the Pass/Fail dialog shows and returns.
struct PassFailDialogValues {
  LimitTexts limits;         // PassFailThresholds order
  std::string wavelength;    // the band the limits are written for
  std::string unit;          // label of the attenuation limit
  std::string iniPath;
  std::array<std::int32_t, kPassFailLimitCount> checks = {1, 1, 1, 1, 1, 1};
};

/// Loads the limits and fills the dialog's values: the trace's band, the limits as "%.3f"
/// (empty for a limit that is not set), each check on exactly when its limit is judged.
PassFailDialogValues PreparePassFailDialog(COtdrDoc& doc, std::string_view programFolder);

/// Takes confirmed dialog values: the limits from their texts (empty gives 0; an empty text leaves
/// the limit set or not set as it was), the non-empty texts into the wavelength's band section of the
/// file, the enable flags from the checks. Returns the outcome
/// of the file writes; when they fail, the limits stay in force for that section for the run.
lumivane::IniWriteOutcome ApplyPassFailDialog(COtdrDoc& doc, const PassFailDialogValues& values);

/// CheckLimit against the document's limits; a link ORL (kind 5) is first taken as the panes take
/// it (TakeLinkOrl) and written to `*value`.
int CheckLimit(COtdrDoc& doc, float* value, const std::int32_t* type, int kind);
