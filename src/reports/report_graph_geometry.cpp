#include "reports/report_graph_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/number_format.h"
#include "platform/saturate.h"

namespace {

constexpr std::array<GlyphStroke, 2> kStart{{{5, 0, 5, -13}, {5, -6, 9, -6}}};
constexpr std::array<GlyphStroke, 2> kEnd{{{8, 0, 8, -13}, {7, -6, 3, -6}}};
constexpr std::array<GlyphStroke, 9> kReflective{{{2, -1, 2, -10},
                                                   {3, 0, 3, -9},
                                                   {4, 0, 4, -2},
                                                   {5, 0, 5, -11},
                                                   {6, -1, 6, -12},
                                                   {0, -9, 2, -9},
                                                   {0, -10, 2, -10},
                                                   {6, -11, 11, -11},
                                                   {7, -12, 11, -12}}};
constexpr std::array<GlyphStroke, 6> kNonReflective{
    {{0, -5, 5, -5}, {0, -6, 6, -6}, {5, -9, 10, -9}, {6, -10, 10, -10}, {5, -7, 6, -7}, {5, -8, 6, -8}}};
constexpr std::array<GlyphStroke, 9> kSplitter{{{0, -6, 5, -6},
                                                 {5, -6, 9, 0},
                                                 {5, -6, 9, -12},
                                                 {9, 0, 9, -12},
                                                 {9, 0, 14, 0},
                                                 {9, -3, 14, -3},
                                                 {9, -6, 14, -6},
                                                 {9, -9, 14, -9},
                                                 {9, -12, 14, -12}}};

constexpr int kMarkerLabelHeight = 342;
constexpr int kMarkerLabelDrop = 15;
constexpr int kNearUnits = 60;
constexpr int kBoxMiddle = 50 + kGraphWidth / 2;

}  // namespace

DbRange SampleDbRange(std::span<const double> samples) {
  if (samples.empty()) return {};
  DbRange range{samples[0], samples[0]};
  for (const double v : samples) {
    if (!std::isfinite(v)) continue;
    range.min = std::min(range.min, v);
    range.max = std::max(range.max, v);
  }
  return range;
}

std::span<const GlyphStroke> GlyphStrokes(ReportGlyph glyph) {
  switch (glyph) {
    case ReportGlyph::Start: return kStart;
    case ReportGlyph::End: return kEnd;
    case ReportGlyph::Reflective: return kReflective;
    case ReportGlyph::Splitter: return kSplitter;
    case ReportGlyph::NonReflective: break;
  }
  return kNonReflective;
}

int GlyphPenWidth(ReportGlyph glyph) { return glyph == ReportGlyph::Start || glyph == ReportGlyph::End ? 2 : 1; }

ReportGlyph GlyphFor(const EventRow& row) {
  switch (row.Type) {
    case kEventLaunch: return ReportGlyph::Start;
    case kEventEnd: return ReportGlyph::End;
    case kEventReflective: return row.SpliceLoss > kSplitterLossDb ? ReportGlyph::Splitter : ReportGlyph::Reflective;
    case kEventNonReflective:
      return row.SpliceLoss > kSplitterLossDb ? ReportGlyph::Splitter : ReportGlyph::NonReflective;
    default: return ReportGlyph::NonReflective;
  }
}

int FirstSampleBeyond(float distanceKm, int pointCount, const std::function<float(int)>& distanceOf) {
  int low = 0;
  int high = std::max(pointCount, 0);
  while (low < high) {
    const int mid = low + (high - low) / 2;
    if (distanceOf(mid) > distanceKm) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return low;
}

GlyphPlace PlaceGlyph(const EventRow& row, int sample, double unitsPerSample, int bottom) {
  GlyphPlace place;
  const double x = 50 + sample * unitsPerSample - 6;
  if (!std::isfinite(x)) return place;
  place.x = lumivane::TruncToInt32(x);
  place.y = bottom + 16;
  place.drawn = place.x >= 44 && place.x <= kGraphRight;
  place.glyph = GlyphFor(row);
  place.numbered = row.Type >= kEventLaunch && row.Type <= kEventNonReflective;
  return place;
}

std::vector<MarkerLabel> PlaceMarkerLabels(int markerA, int markerB, double dA, double dB, int activeMarker,
                                           double unitsPerSample, int bottom, std::string_view unitName,
                                           double unitFactor) {
  const bool near = std::abs(static_cast<double>(markerA) - markerB) * unitsPerSample < kNearUnits;
  std::vector<MarkerLabel> labels;
  for (int which = 0; which < 2; ++which) {
    const bool isA = which == 0;
    const int marker = isA ? markerA : markerB;
    const bool active = activeMarker == which;
    const int h = near && !active ? kMarkerLabelHeight - kMarkerLabelDrop : kMarkerLabelHeight;
    const int x = lumivane::TruncToInt32(50 + marker * unitsPerSample);
    const std::string letter = isA ? "A" : "B";
    MarkerLabel label;
    label.active = active;
    label.y = bottom + h + 5;
    // A tests its edges with < and >=, B with <= and >, so a marker exactly on an edge prints
    // differently for the two; kept so a report reads as it always has.
    const bool left = isA ? x < 50 : x <= 50;
    const bool right = isA ? x >= kGraphRight : x > kGraphRight;
    if (left) {
      label.text = letter + "<-";
      label.x = 50;
    } else if (right) {
      label.text = "->" + letter;
      label.x = static_cast<int>(kGraphRight - 3 * 6.5);
    } else {
      label.line = true;
      label.lineX = x;
      label.lineTop = bottom + h - 12;
      label.text = lumivane::Format("%s %7.5f ", letter, (isA ? dA : dB) * unitFactor) + std::string(unitName);
      label.x = x;
      label.endsAtX = x >= kBoxMiddle;
    }
    labels.push_back(std::move(label));
  }
  return labels;
}
