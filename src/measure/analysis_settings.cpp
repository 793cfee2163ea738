#include "measure/analysis_settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "platform/number_format.h"
#include "trace/wavelength.h"

namespace {

constexpr std::array<float, kAnalysisWavelengthCount> kStartIor = kDefaultIor;
constexpr std::array<float, kAnalysisWavelengthCount> kStartScatter = {-36.0f, -42.0f, -49.6f, -50.2f,
                                                                       -51.9f, -52.1f, -54.5f, -54.5f};
// Text rows of the refusal messages.
constexpr int kIorRangeRow = 316;
constexpr int kScatterRangeRow = 317;
constexpr int kReflRangeRow = 318;
constexpr int kNonReflRangeRow = 319;
constexpr int kEndRangeRow = 320;

struct FieldRule {
  const char* rounding;  // nullptr: checked as entered
  bool lowerExclusive;
  int messageRow;
};

FieldRule RuleOf(AnalysisField field) {
  switch (field) {
    case AnalysisField::GroupIndex: return {"%.5f", false, kIorRangeRow};
    case AnalysisField::ScatterCoef: return {nullptr, false, kScatterRangeRow};
    case AnalysisField::NonReflThreshold: return {"%.3f", true, kNonReflRangeRow};
    case AnalysisField::ReflThreshold: return {"%.2f", false, kReflRangeRow};
    case AnalysisField::EndThreshold: return {"%.3f", true, kEndRangeRow};
  }
  return {nullptr, false, 0};
}

// Formats and parses back, as a 32-bit float: the upper group-index bound 1.99999 is itself an f32.
float RoundAsShown(float value, const char* format) {
  const std::string text = lumivane::Format(format, value);
  float parsed = value;
  std::from_chars(text.data(), text.data() + text.size(), parsed);
  return parsed;
}

}  // namespace

std::array<float, kAnalysisWavelengthCount> g_IorByWavelength = kStartIor;
std::array<float, kAnalysisWavelengthCount> g_ScatterByWavelength = kStartScatter;

void ResetAnalysisWavelengthTables() {
  g_IorByWavelength = kStartIor;
  g_ScatterByWavelength = kStartScatter;
}

AnalysisValueCheck CheckAnalysisValue(AnalysisField field, float value) {
  const FieldRule rule = RuleOf(field);
  const float rounded = rule.rounding != nullptr ? RoundAsShown(value, rule.rounding) : value;
  const auto pair = static_cast<std::size_t>(field) * 2;
  const float lo = g_AnalysisLimits[pair];
  const float hi = g_AnalysisLimits[pair + 1];
  const bool belowRange = rule.lowerExclusive ? !(rounded > lo) : !(rounded >= lo);
  if (belowRange || !(rounded <= hi)) return {false, rounded, rule.messageRow};
  return {true, rounded, 0};
}

int NearestAnalysisWavelength(double wavelengthNm) { return WavelengthBandIndex(wavelengthNm); }

AnalysisSettings PrefillAnalysisSettings(const FibreParamsRecord& fibre) {
  AnalysisSettings settings;
  settings.wavelengthIndex = NearestAnalysisWavelength(fibre.Wavelength);
  const auto slot = static_cast<std::size_t>(settings.wavelengthIndex);
  // The trace's value as it is, not rounded to the dialog's precision: Apply without a change keeps it.
  const auto own = [](AnalysisField field, float value, float otherwise) {
    return CheckAnalysisValue(field, value).accepted ? value : otherwise;
  };
  settings.groupIndex = own(AnalysisField::GroupIndex, fibre.GroupIndex, g_IorByWavelength[slot]);
  settings.scatterCoef = own(AnalysisField::ScatterCoef, fibre.Backscatter, g_ScatterByWavelength[slot]);
  // Files store the thresholds with signs of their own; the dialog takes losses positive and
  // reflectances negative.
  settings.nonReflThreshold =
      own(AnalysisField::NonReflThreshold, std::fabs(fibre.LossThreshold), settings.nonReflThreshold);
  settings.reflThreshold = own(AnalysisField::ReflThreshold, ReflectanceThresholdDb(fibre), settings.reflThreshold);
  settings.endThreshold = own(AnalysisField::EndThreshold, std::fabs(fibre.EndThreshold), settings.endThreshold);
  return settings;
}

float AnalysisDefaultValue(AnalysisField field, int entry) {
  const auto slot = static_cast<std::size_t>(std::clamp(entry, 0, kAnalysisWavelengthCount - 1));
  switch (field) {
    case AnalysisField::GroupIndex: return kDefaultIor[slot];
    case AnalysisField::ScatterCoef: return kDefaultScatter[slot];
    case AnalysisField::NonReflThreshold: return AnalysisSettings{}.nonReflThreshold;
    case AnalysisField::ReflThreshold: return AnalysisSettings{}.reflThreshold;
    case AnalysisField::EndThreshold: break;
  }
  return AnalysisSettings{}.endThreshold;
}
