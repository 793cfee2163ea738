#pragma once
// The texts of a trace's link totals, the same on the Total Fiber Information pane, the printed
// totals line and the multi-trace cells: a value the file does not hold, or a measurement could not
// give, reads as missing, never as 0.
#include <string>
#include <string_view>

#include "trace/display_records.h"

struct LinkValueTexts {
  std::string length;       // "1.23456 km"; "---.---" without a link
  std::string loss;         // "0.576 dB"
  std::string attenuation;  // "0.339 dB/km"
  std::string orl;          // "36.018 dB"
};

/// An ORL as every view shows it: "36.018 dB", or missing for an ORL no link can have (0 dB or less,
/// or kMissingValue: nothing to measure).
std::string OrlText(float orl);

/// A value text as the information panes show it: its number right-aligned over seven characters.
std::string PaneValue(const std::string& text);

/// The totals of `link` with `linkOrl` in a unit `unitFactor` times the kilometre named `unitName`.
LinkValueTexts FormatLinkValues(const LinkSummaryRecord& link, float linkOrl, double unitFactor,
                                std::string_view unitName);
