#pragma once
// What Save and Save As copy from the screen into the trace's record before it is written, and the
// commands themselves. The user's file is only ever replaced whole: a failed write leaves the file,
// the document's record and its modified flag as they were.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "sor/sor_record.h"
#include "sor/sor_writer.h"
#include "trace/display_records.h"

class COtdrDoc;

/// True when `path` ends in ".sor", in any case.
bool HasSorExtension(std::string_view path);

/// Relabels the units of distance for the display unit when it differs from the file's unit
/// ("kft" -> "ft", "km" -> "mt", "mi" -> "mi"; other names keep the label). The acquisition range
/// distance is scaled so that the range read back stays the same.
void RewriteDistanceUnits(SorFxdParams& fxd, std::string_view fileUnitName, std::string_view lengthUnitName);

/// Copies the rows' cumulative losses into the UserName loss table (at most 199 of 200 entries).
void StoreEventLossesToSor(SorRecord& record, std::span<const EventRow> rows, std::int32_t count);

/// After a reanalysis (`apply`), copies the fibre parameters (unless `keep`) and the rows' event
/// types into FxdParams and KeyEvents.
void StoreDisplayEditsToSor(SorRecord& record, const FibreParamsRecord& params, std::int32_t apply,
                            std::int32_t keep, std::span<const EventRow> rows, std::int32_t count);

/// What the screen holds that a save writes into the record.
struct SaveEdits {
  std::string_view fileUnitName;
  std::string_view lengthUnitName;
  std::int32_t markerA = 0;
  std::int32_t markerB = 0;
  std::span<const EventRow> rows;
  std::int32_t eventCount = 0;
  FibreParamsRecord fibreParams{};
  std::int32_t reanalysed = 0;  // the fibre parameters and event types are written only after a reanalysis
};

/// The unit name of the trace's own units-of-distance label ("mt" gives "km").
std::string TraceUnitName(const COtdrDoc& doc);

/// What the screen holds of `doc` that a save writes. `fileUnitName` (TraceUnitName) must outlive
/// the result.
SaveEdits SaveEditsOf(const COtdrDoc& doc, const std::string& fileUnitName);

/// Applies every edit a save makes, Save and Save As alike.
void PrepareRecordForSave(SorRecord& record, const SaveEdits& edits);

/// Why a write failed, in a few words.
std::string_view WriteFailureReason(SorWriteResult result);

/// The message shown when writing `path` failed.
std::string SaveFailureText(SorWriteResult result, std::string_view path);

/// A name chosen in the Save As dialog.
struct SaveAsChoice {
  std::string path;
  bool picture = false;  // the BMP filter was chosen: a picture of the trace view
};

/// What the save commands use of their surroundings; tests replace the dialog and the picture.
struct SaveEnvironment {
  /// Runs the Save As dialog; nothing when the user cancels.
  std::function<std::optional<SaveAsChoice>()> chooseSaveAsPath;
  /// Writes the trace view's picture; returns whether it was written.
  std::function<bool(const std::string&)> saveViewAsBmp;
};

/// Save: writes the current trace to its own path, or runs Save As when it has none ending in
/// ".sor". Returns whether the trace was written; the modified flag is cleared only then.
bool OnFileSave(COtdrDoc& doc, const SaveEnvironment& env);

/// Save As: a ".sor" name writes the trace there and makes it the document's path; the picture
/// filter writes the view's picture. Returns whether the trace was written.
bool OnFileSaveAs(COtdrDoc& doc, const SaveEnvironment& env);

/// Enable rules of the document's file commands.
bool OnUpdateFileSave(const COtdrDoc& doc);
bool OnUpdateHoldsTrace(const COtdrDoc& doc);

/// Serves Save and Save As, the save prompt's saving and the update rules of the commands that
/// need a trace (Save As, Edit Trace Information, ASCII Export, Print, Print Preview).
void BindSaveCommands(COtdrDoc& doc, SaveEnvironment env);
