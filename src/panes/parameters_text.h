#pragma once
// The ten lines of the Parameters pane: the acquisition parameters and analysis thresholds.
#include <string>

#include "panes/info_pane_lines.h"
#include "vocabulary/length_unit.h"

class COtdrDoc;

inline constexpr int kParametersValueX = 173;
inline constexpr int kParametersLineStep = 20;

/// The pane's lines.
PaneLines ParametersLines(const COtdrDoc& doc, const LengthUnit& unit);

/// An averaging time (s) as shown: "Unlimited" for 0, " -----" beyond two hours (or below 0), else
/// " hh:mm:ss ".
std::string FormatAveragingTime(int seconds);

/// The distance between two samples (km) as shown, with its own small unit (cm/m, in/ft, in/yd).
std::string FormatSampleDistance(float spacingKm, const LengthUnit& unit);
