#pragma once
// The document's pass/fail limits: loaded from "otdr config.ini" in the program's folder for the
// current trace's wavelength, edited through the Pass/Fail dialog, and judged against.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "measure/pass_fail_limits.h"

class COtdrDoc;

/// Builds the INI path in `programFolder` into m_strWorkPath and reads the limits of the section of
/// the trace's wavelength. Without that section nothing is judged (another wavelength's limits do not apply);
/// limits confirmed for the trace's section that the file could not keep stay in force instead. An
/// empty folder leaves the limits alone.
void LoadPassFailLimits(COtdrDoc& doc, std::string_view programFolder);

/// The limits of `section` of the limits file at `iniPath` (or the confirmed limits the file could
/// not keep for it) with the enable flags of `current`; nothing is judged when the file has no such
/// section.
PassFailThresholds PassFailLimitsOfSection(const PassFailThresholds& current, const std::string& iniPath,
                                           std::string_view section);

/// The limits a trace of `wavelengthNm` is judged with: its own wavelength's section of the limits
/// file at `iniPath`, never another wavelength's, with the enable flags of `current`; without a
/// limits file, `current` as it is.
PassFailThresholds PassFailLimitsForWavelength(const PassFailThresholds& current, const std::string& iniPath,
                                               int wavelengthNm);

/// What the Pass/Fail dialog shows and returns.
struct PassFailDialogValues {
  LimitTexts limits;         // PassFailThresholds order
  std::string wavelength;    // section the limits are written to
  std::string unit;          // label of the attenuation limit
  std::string iniPath;
  std::array<std::int32_t, kPassFailLimitCount> checks = {1, 1, 1, 1, 1, 1};
};

/// Loads the limits and fills the dialog's values: the trace's own wavelength, the limits as "%.3f"
/// (empty for a limit that is not set), each check on exactly when its limit is judged.
PassFailDialogValues PreparePassFailDialog(COtdrDoc& doc, std::string_view programFolder);

/// Takes confirmed dialog values: the limits from their texts (empty gives 0; an empty text leaves
/// the limit set or not set as it was), the non-empty texts into the wavelength's section of the
/// file, the enable flags from the checks. Returns the outcome
/// of the file writes; when they fail, the limits stay in force for that section for the run.
lumivane::IniWriteOutcome ApplyPassFailDialog(COtdrDoc& doc, const PassFailDialogValues& values);

/// CheckLimit against the document's limits; a link ORL (kind 5) is first taken as the panes take
/// it (TakeLinkOrl) and written to `*value`.
int CheckLimit(COtdrDoc& doc, float* value, const std::int32_t* type, int kind);
