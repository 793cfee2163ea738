#pragma once
// What the Event Table pane shows of the document's event rows: the column headings in the current
// length unit, the text of every cell, the event icon of each row and the cells that fail their
// pass/fail limit. Plain data: the pane, every report layout and the text export print these texts.
#include <array>
#include <string>
#include <string_view>

#include <span>

#include "document/document_settings.h"
#include "panes/event_table_view.h"
#include "sor/sor_record.h"
#include "trace/display_records.h"

class COtdrDoc;

/// Columns of the event table, left to right.
enum EventColumn : int {
  kColNumber = 0,
  kColType,
  kColLocation,
  kColReflectance,
  kColInsertionLoss,
  kColAttenuation,
  kColCumulativeLoss,
  kColDistancePrevious,
  kColDistanceEnd,
  kColLossPrevious,
  kColComment,
};

/// Images of the event icon list, in list order.
enum EventTableIcon : int {
  kIconBlank = 0,
  kIconStart,
  kIconEnd,
  kIconReflective,
  kIconNonReflective,
  kIconOverThreshold,
  kIconStepUp,
  kIconSplitter,
};
inline constexpr int kEventIconCount = 8;

/// The text a cell shows for a value it has not got.
inline constexpr std::string_view kNoValueText = "-.---";

/// A heading and its width in pixels.
struct EventColumnHeading {
  std::string heading;
  int width;
};

/// The eleven headings with the unit label `unitName` where a column needs one.
std::array<EventColumnHeading, kEventColumnCount> EventColumnHeadings(std::string_view unitName);

/// What an event table is made of: a trace's event rows, its end row, its record and the limits
/// its values are judged against.
struct EventTableSource {
  std::span<const EventRow> rows;
  int endRow = 0;
  const SorRecord& record;
  const PassFailThresholds& limits;
};

/// The document's current trace as an event table source.
EventTableSource EventTableSourceOf(const COtdrDoc& doc);

/// The rows for the source's events with distances in a unit `unitFactor` times the kilometre,
/// judged against its pass/fail limits as they stand (the caller reloads them first).
EventTableView ComputeEventTable(const EventTableSource& source, double unitFactor);
EventTableView ComputeEventTable(const COtdrDoc& doc, double unitFactor);

/// The leading decimal number of a text (blanks, then an optional sign and digits); 0 when there is
/// none. Module identifiers are compared this way.
long LeadingNumber(std::u16string_view text);

/// The leading number of a trace's optical module identifier, which decides its splitter pictograms.
long ModuleNumberOf(const SorRecord& record);

/// 1 when the last fill of the event table painted a value red, else 0; the printed report says Fail.
extern int g_PassFailFailed;
