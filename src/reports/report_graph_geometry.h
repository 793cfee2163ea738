#pragma once
// Where the report graph's pieces go, in page units: the box, the level range of a trace, the event
// pictograms with their strokes and the marker labels. Plain data for the painter and the tests.
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "trace/display_records.h"

inline constexpr int kGraphWidth = 679;
inline constexpr int kGraphHeight = 350;
inline constexpr int kGraphRight = 729;  // 50 + 679
inline constexpr int kLineGapUnits = 3;
inline constexpr float kSplitterLossDb = 3.0f;

/// The lowest and highest level of a trace's samples.
struct DbRange {
  double min = 0.0;
  double max = 0.0;
  double Span() const { return max - min; }
};
/// The level range of exactly these samples; entries beyond the trace's points are never read, so
/// a longer trace that held the buffer before cannot shift the curve.
DbRange SampleDbRange(std::span<const double> samples);

enum class ReportGlyph { Start, End, Reflective, NonReflective, Splitter };

/// One line of a pictogram, offsets from its anchor with y up.
struct GlyphStroke {
  int x1, y1, x2, y2;
};
std::span<const GlyphStroke> GlyphStrokes(ReportGlyph glyph);
int GlyphPenWidth(ReportGlyph glyph);
/// The pictogram of an event row.
ReportGlyph GlyphFor(const EventRow& row);

/// The smallest sample index whose distance exceeds `distanceKm`; `pointCount` when none does.
int FirstSampleBeyond(float distanceKm, int pointCount, const std::function<float(int)>& distanceOf);

/// Where an event's pictogram goes on the graph whose box bottom is `bottom`.
struct GlyphPlace {
  bool drawn = false;
  bool numbered = false;  // types 0 to 3 carry their number above the pictogram
  ReportGlyph glyph = ReportGlyph::NonReflective;
  int x = 0;
  int y = 0;
};
GlyphPlace PlaceGlyph(const EventRow& row, int sample, double unitsPerSample, int bottom);

/// A marker's label, and its line when the marker lies in the box.
struct MarkerLabel {
  bool line = false;
  int lineX = 0;
  int lineTop = 0;
  std::string text;
  int x = 0;
  int y = 0;
  bool endsAtX = false;
  bool active = false;
};
/// The labels of markers A and B (sample indices) at distances dA and dB (km).
std::vector<MarkerLabel> PlaceMarkerLabels(int markerA, int markerB, double dA, double dB, int activeMarker,
                                           double unitsPerSample, int bottom, std::string_view unitName,
                                           double unitFactor);
