#include "panes/parameters_text.h"

#include "document/otdr_doc.h"
#include "platform/number_format.h"
#include "trace/display_records.h"
#include "trace/trace_conversions.h"
#include "vocabulary/text_table.h"

namespace {

constexpr LangRow kRowRange = 86;                 // "Range : "
constexpr LangRow kRowPulseWidth = 89;            // "PulseWidth : "
constexpr LangRow kRowWavelength = 90;            // "Wavelength : "
constexpr LangRow kRowIor = 91;                   // "IOR : "
constexpr LangRow kRowScatterCoef = 92;           // "Scatter Coef. : "
constexpr LangRow kRowAverageTime = 93;           // "Average Time : "
constexpr LangRow kRowReflThreshold = 94;         // "Refl. Threshold : "
constexpr LangRow kRowNonReflThreshold = 95;      // "NRefl.Threshold : "
constexpr LangRow kRowEndThreshold = 96;          // "End Threshold : "
constexpr LangRow kRowUnlimited = 67;             // "Unlimited"
constexpr LangRow kRowSampleDistance = 211;       // "Samp. Dist:"

constexpr int kLongestShownAveraging = 7200;  // s
// Below this spacing (in the display unit) the smallest unit is used.
constexpr double kFineSpacing = 0.0008;
// With miles, spacings below this are shown in yards without the leading blank.
constexpr double kNarrowYards = 0.0099;

std::string RangeText(const COtdrDoc& doc, const LengthUnit& unit) {
  if (doc.m_FibreParams.Range == 0.0f) return "Auto";
  return lumivane::Format(" %4.1f ", doc.m_FibreParams.Range * unit.factor) + std::string(unit.name);
}

}  // namespace

std::string FormatAveragingTime(int seconds) {
  if (seconds == 0) return g_CurrentStrings[kRowUnlimited];
  if (seconds < 0 || seconds > kLongestShownAveraging) return " -----";
  const int h = seconds / 3600;
  const int m = seconds % 3600 / 60;
  const int s = seconds % 60;
  return lumivane::Format(" %d%d:%d%d:%d%d ", h / 10, h % 10, m / 10, m % 10, s / 10, s % 10);
}

std::string FormatSampleDistance(float spacingKm, const LengthUnit& unit) {
  const double v = spacingKm * unit.factor;
  if (unit.name == "kft") {
    if (v < kFineSpacing) return lumivane::Format(" %2.0f in", v * 1000.0 * 12.0);
    return lumivane::Format(" %3.2f ft", v * 1000.0);
  }
  if (unit.name == "mi") {
    if (v < kFineSpacing) return lumivane::Format(" %2.0f in", v * 1760.0 * 36.0);
    if (v < kNarrowYards) return lumivane::Format("%3.2f yd", v * 1760.0);
    return lumivane::Format(" %3.2f yd", v * 1760.0);
  }
  if (v < kFineSpacing) return lumivane::Format(" %2.0f cm", spacingKm * 1000.0 * 100.0 * unit.factor);
  return lumivane::Format(" %3.2f m", spacingKm * 1000.0 * unit.factor);
}

PaneLines ParametersLines(const COtdrDoc& doc, const LengthUnit& unit) {
  const FibreParamsRecord& p = doc.m_FibreParams;
  const float spacing = GetDistance_Position(1, kSorFileKind, doc.m_SorRecord, doc.m_dFibreLengthKm) -
                        GetDistance_Position(0, kSorFileKind, doc.m_SorRecord, doc.m_dFibreLengthKm);
  const auto line = [](LangRow row, std::string value) {
    return PaneLine{g_CurrentStrings[row], std::move(value), kParametersValueX};
  };
  return {
      line(kRowRange, RangeText(doc, unit)),
      line(kRowPulseWidth, lumivane::Format(" %4dns ", p.PulseWidth)),
      line(kRowWavelength, lumivane::Format(" %5dnm ", p.Wavelength)),
      line(kRowIor, lumivane::Format(" %8.5f ", p.GroupIndex)),
      line(kRowScatterCoef, lumivane::Format(" %5.1f dB", p.Backscatter)),
      line(kRowAverageTime, FormatAveragingTime(p.AveragingTime)),
      line(kRowEndThreshold, lumivane::Format(" %6.3f dB", p.EndThreshold)),
      line(kRowNonReflThreshold, lumivane::Format(" %6.3f dB", p.LossThreshold)),
      line(kRowReflThreshold, lumivane::Format(" %6.3f dB", ReflectanceThresholdDb(p))),
      line(kRowSampleDistance, FormatSampleDistance(spacing, unit)),
  };
}
