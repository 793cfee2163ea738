#pragma once
// The values of the current trace that the panes and the printed report both show: the marker
// readings, the event under the active marker, the link ORL and the pass/fail verdict. They are
// brought up to date on every broadcast, whichever panes are open, and read through these functions
// by the panes and the report alike, so a closed pane changes nothing on paper.
#include <array>
#include <string>
#include <string_view>

#include "document/document_settings.h"
#include "panes/info_pane_lines.h"
#include "vocabulary/length_unit.h"

class COtdrDoc;
class DocView;
struct EventTableSource;
struct LinkSummaryRecord;

/// The document's update after a broadcast: a change of the document itself (no sender) reloads
/// the pass/fail limits from `programFolder`; the marker readings follow the markers (hint 1 first
/// moves the active marker onto the chosen event); the link ORL is taken when the events changed.
void UpdateTraceValues(COtdrDoc& doc, DocView* sender, int hint, std::string_view programFolder);

/// Makes the document run UpdateTraceValues after every broadcast.
void InstallTraceValues(COtdrDoc& doc, std::string programFolder);

/// The seven reading lines of the Marker Information pane (every line but the 2-point ORL), label and
/// value, as it shows `readings` taken with marker A (`activeMarker` 0) or B active, in `unit`.
std::array<PaneLine, kMarkerReadingCount> MarkerReadingLines(int activeMarker, const MarkerReadings& readings,
                                                            const LengthUnit& unit);

/// The seven reading texts of the Marker Information pane (every line but the 2-point ORL), exactly
/// as it shows them in `unit`.
std::array<std::string, kMarkerReadingCount> MarkerReadingTexts(const COtdrDoc& doc, const LengthUnit& unit);

/// The 2-point ORL between the markers (dB).
float MarkerOrlOf(const COtdrDoc& doc);

/// The 1-based number of the event row whose span holds the active marker; 0 when none does.
int MarkerEventNumber(const COtdrDoc& doc);

/// 1 (Fail) when a value of the trace, its events' or its link's (`link`, `linkOrl`), fails an
/// enabled pass/fail limit, else 0 (Pass).
int PassFailVerdict(const EventTableSource& source, const LinkSummaryRecord& link, float linkOrl);
