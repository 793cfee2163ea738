#include "panes/marker_info_text.h"

#include <cmath>

#include "document/otdr_doc.h"
#include "panes/link_value_texts.h"
#include "platform/number_format.h"
#include "vocabulary/text_table.h"

namespace {

// Text rows of the labels.
constexpr LangRow kRowDistanceAB = 85;        // "A-B:"
constexpr LangRow kRowTwoPointLoss = 61;      // "2pt. Loss:"
constexpr LangRow kRowTwoPointAttn = 62;      // "2pt. Attn.:"
constexpr LangRow kRowLsaAttn = 63;           // "LSA Attn.:"
constexpr LangRow kRowInsLossAtA = 59;        // "Ins.Loss at A:"
constexpr LangRow kRowInsLossAtB = 58;        // "Ins.Loss at B:"
constexpr LangRow kRowReflAtA = 60;           // "Refl. at A:"
constexpr LangRow kRowReflAtB = 57;           // "Refl at B:"
constexpr LangRow kRowTwoPointOrl = 250;      // "2pt. ORL:"
constexpr LangRow kRowCumLossToA = 64;        // "Cum.Loss to A"
constexpr LangRow kRowCumLossToB = 65;        // "Cum.Loss to B"

// Spans shorter than this (km) are shown as they are, in the display unit.
constexpr double kShortestSpanKm = 0.00001;
constexpr double kInsLossShownUpTo = 32.0;      // dB
constexpr double kReflectanceShownUpTo = 100.0;  // dB
constexpr double kYardsPerMile = 1760.0;
constexpr double kInchesPerYard = 36.0;
constexpr double kInchesPerFoot = 12.0;

std::string Fixed3Db(double value) { return lumivane::Format("%7.3f dB", value); }

long long Whole(double value) { return static_cast<long long>(std::trunc(value)); }

}  // namespace

MarkerDistanceText FormatMarkerDistance(double distanceKm, const LengthUnit& unit) {
  const double d = distanceKm * unit.factor;
  const auto plain = [&d](std::string_view name) { return lumivane::Format("%8.5f ", d) + std::string(name); };
  if (distanceKm < kShortestSpanKm) return {plain(unit.name)};
  if (unit.name == "km") {
    if (Whole(d) != 0) return {plain("km")};
    const double metres = d * 1000.0;
    if (Whole(metres) >= 1) return {lumivane::Format("%8.2f m", metres)};
    return {lumivane::Format("%8.1f cm", metres * 100.0)};
  }
  if (unit.name == "kft") {
    if (Whole(d) != 0) return {plain("kft")};
    const double feet = d * 1000.0;
    if (Whole(feet / kInchesPerFoot) != 0 || Whole(std::fmod(feet, kInchesPerFoot)) >= 1) {
      return {lumivane::Format("%8.2f ft", feet)};
    }
    return {lumivane::Format("%8.1f in", feet * kInchesPerFoot)};
  }
  if (unit.name == "mi") {
    if (d > 0.1) return {plain("mi")};
    const double yards = d * kYardsPerMile;
    if (yards > 1.0) return {lumivane::Format("%8.2f yd", yards), true};
    return {lumivane::Format("%8.1f in", yards * kInchesPerYard), true};
  }
  return {plain(unit.name)};
}

std::string FormatLsaAttenuation(double lsaAttnPerKm, const LengthUnit& unit, const MarkerDistanceText& distance) {
  // Kept as the pane has always shown it: with a short span in miles the value is scaled by
  // yards per mile over a thousand while the label still reads per mile.
  const double shown = distance.inYardsOrInches ? lsaAttnPerKm * kYardsPerMile / unit.factor / 1000.0
                                                : lsaAttnPerKm / unit.factor;
  return lumivane::Format("%7.3f dB/", shown) + std::string(unit.name);
}

PaneLines MarkerInfoLines(const COtdrDoc& doc, const MarkerReadings& r, float markerOrl, const LengthUnit& unit) {
  return MarkerInfoLines(doc.m_MarkerState.ActiveMarker, r, markerOrl, unit);
}

PaneLines MarkerInfoLines(int activeMarker, const MarkerReadings& r, float markerOrl, const LengthUnit& unit) {
  const bool atB = activeMarker == 1;
  const MarkerDistanceText distance = FormatMarkerDistance(r.m_dDistanceAB, unit);
  const double insLoss = r.m_dInsLoss;
  const auto reflectance = static_cast<float>(r.m_dReflectance);
  const auto line = [](LangRow row, std::string value) {
    return PaneLine{g_CurrentStrings[row], std::move(value), kMarkerInfoValueX};
  };
  return {
      line(kRowDistanceAB, distance.text),
      line(kRowTwoPointLoss, Fixed3Db(r.m_dTwoPointLoss)),
      line(kRowTwoPointAttn, lumivane::Format("%7.3f dB/", r.m_dTwoPointAttn / unit.factor) + std::string(unit.name)),
      line(kRowLsaAttn, FormatLsaAttenuation(r.m_dLsaAttn, unit, distance)),
      line(atB ? kRowInsLossAtB : kRowInsLossAtA,
           insLoss >= -kInsLossShownUpTo && insLoss <= kInsLossShownUpTo ? Fixed3Db(insLoss) : "  -.--- dB"),
      line(atB ? kRowReflAtB : kRowReflAtA,
           std::fabs(r.m_dReflectance) <= kReflectanceShownUpTo ? Fixed3Db(-std::fabs(reflectance)) : "  --.--- dB"),
      line(kRowTwoPointOrl, PaneValue(OrlText(markerOrl))),
      line(atB ? kRowCumLossToB : kRowCumLossToA,
           r.m_dCumLoss == kMissingValue ? "  --.--- dB" : Fixed3Db(r.m_dCumLoss)),
  };
}
