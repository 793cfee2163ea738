#pragma once
// The seven lines of the Total Fiber Information pane: measurement time and link totals, the link
// loss and link ORL flagged when they fail their pass/fail limits.
#include "panes/info_pane_lines.h"
#include "vocabulary/length_unit.h"

class COtdrDoc;

inline constexpr int kFiberInfoValueX = 123;
inline constexpr int kFiberInfoLengthValueX = 138;  // the range and total length lines
inline constexpr int kFiberInfoLineStep = 20;

/// The pane's lines. Takes the link ORL (TakeLinkOrl), which recomputes and caches it in the record
/// when the events changed, and leaves it as the measured link ORL.
PaneLines FiberInfoLines(COtdrDoc& doc, const LengthUnit& unit);
