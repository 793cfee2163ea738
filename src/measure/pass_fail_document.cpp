#include "measure/pass_fail_document.h"

#include "document/otdr_doc.h"
#include "measure/link_orl_cache.h"
#include "measure/pass_fail_check.h"
#include "platform/message_sink.h"
#include "trace/wavelength.h"
#include "vocabulary/text_table.h"

namespace {

// The attenuation limit is compared with attenuations in dB/km whatever unit the distances are
// shown in, so that is the unit it is entered in.
constexpr std::string_view kAttenuationLimitUnit = "dB/km";

}  // namespace

PassFailThresholds PassFailLimitsForWavelength(const PassFailThresholds& current, const std::string& iniPath,
                                               int wavelengthNm) {
  if (iniPath.empty()) return current;
  PassFailThresholds limits = current;
  limits.FileTooLarge = lumivane::IniFile(iniPath).IsTooLarge() ? 1 : 0;
  if (!limits.UnsavedSection.empty() && limits.UnsavedSection == PassFailBandSection(wavelengthNm)) {
    limits.Limit = limits.UnsavedLimit;
    limits.Judged = 1;
    return limits;
  }
  // Another band's limits say nothing about this trace: without a section of its own nothing is judged.
  const std::string section = PassFailSectionToRead(iniPath, wavelengthNm);
  limits.Judged = section.empty() ? 0 : 1;
  if (section.empty()) {
    limits.Limit = {};
    limits.Set.fill(1);
  } else {
    ReadPassFailLimits(section, iniPath, limits);
  }
  return limits;
}

void LoadPassFailLimits(COtdrDoc& doc, std::string_view programFolder) {
  doc.m_strWorkPath = PassFailIniPath(programFolder);
  if (doc.m_strWorkPath.empty()) return;
  const bool refusedBefore = doc.m_PassFailThresholds.FileTooLarge != 0;
  doc.m_PassFailThresholds =
      PassFailLimitsForWavelength(doc.m_PassFailThresholds, doc.m_strWorkPath, TraceBandNm(doc.m_SorRecord));
  // Said once when the file is first found too large, not at every update that reads the limits.
  if (doc.m_PassFailThresholds.FileTooLarge != 0 && !refusedBefore) {
    lumivane::ShowMessage(g_CurrentStrings[TextRow::LimitsFileTooLarge] + "\n" + doc.m_strWorkPath,
                          lumivane::MessageIcon::Warning);
  }
}

PassFailDialogValues PreparePassFailDialog(COtdrDoc& doc, std::string_view programFolder) {
  LoadPassFailLimits(doc, programFolder);
  PassFailDialogValues values;
  values.iniPath = doc.m_strWorkPath;
  values.wavelength = PassFailBandSection(TraceBandNm(doc.m_SorRecord));
  const PassFailThresholds& limits = doc.m_PassFailThresholds;
  // Each box shows whether its limit is judged now, so that OK without a change judges the same.
  // A limit that is not set shows no value: an empty text leaves the file's key alone on OK.
  for (std::size_t i = 0; i < values.limits.size(); ++i) {
    const bool set = limits.Set[i] != 0;
    values.limits[i] = set ? FormatLimit(limits.Limit[i]) : std::string();
    values.checks[i] = limits.Judged != 0 && set && limits.Enabled[i] != 0 ? 1 : 0;
  }
  values.unit = kAttenuationLimitUnit;
  return values;
}

lumivane::IniWriteOutcome ApplyPassFailDialog(COtdrDoc& doc, const PassFailDialogValues& values) {
  PassFailThresholds& limits = doc.m_PassFailThresholds;
  for (std::size_t i = 0; i < values.limits.size(); ++i) {
    limits.Limit[i] = ParseLeadingNumber(values.limits[i]);
    // An empty text leaves the file's value, and with it whether the limit is set, as it was.
    if (!values.limits[i].empty()) limits.Set[i] = IsLimitText(values.limits[i]) ? 1 : 0;
  }
  limits.Enabled = values.checks;
  limits.Judged = 1;
  const std::string section = PassFailSectionOfText(values.wavelength);
  const lumivane::IniWriteOutcome outcome = values.iniPath.empty()
                                                ? lumivane::IniWriteOutcome::WriteFailed
                                                : WritePassFailLimits(values.iniPath, section, values.limits);
  if (outcome == lumivane::IniWriteOutcome::Written) {
    if (limits.UnsavedSection == section) limits.UnsavedSection.clear();
  } else {
    limits.UnsavedSection = section;
    limits.UnsavedLimit = limits.Limit;
  }
  return outcome;
}

int CheckLimit(COtdrDoc& doc, float* value, const std::int32_t* type, int kind) {
  if (kind == kLimitKindLinkOrl) *value = TakeLinkOrl(doc);
  return CheckLimit(value, type, kind, doc.m_PassFailThresholds);
}
