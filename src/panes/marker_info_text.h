#pragma once
// The eight lines of the Marker Information pane.
#include <string>

#include "panes/info_pane_lines.h"
#include "panes/marker_readings.h"
#include "vocabulary/length_unit.h"

class COtdrDoc;

inline constexpr int kMarkerInfoValueX = 150;
inline constexpr int kMarkerInfoLineStep = 18;

/// The A-B distance as shown: km, kft or mi, switching to m/cm, ft/in or yd/in for short spans.
struct MarkerDistanceText {
  std::string text;
  bool inYardsOrInches = false;  // unit mi with the distance shown in yd or in
};

/// Formats a distance (km) in the display `unit`.
MarkerDistanceText FormatMarkerDistance(double distanceKm, const LengthUnit& unit);

/// The LSA attenuation (dB/km) as shown per display unit, the unit name appended.
std::string FormatLsaAttenuation(double lsaAttnPerKm, const LengthUnit& unit, const MarkerDistanceText& distance);

/// The pane's lines for `readings`, with the 2-point ORL given.
PaneLines MarkerInfoLines(const COtdrDoc& doc, const MarkerReadings& readings, float markerOrl, const LengthUnit& unit);

/// The pane's lines for `readings` taken with marker A (`activeMarker` 0) or B active.
PaneLines MarkerInfoLines(int activeMarker, const MarkerReadings& readings, float markerOrl, const LengthUnit& unit);
