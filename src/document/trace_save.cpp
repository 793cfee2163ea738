#include "document/trace_save.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <utility>

#include "document/display_model.h"
#include "document/display_model_params.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_preview.h"
#include "platform/ascii_case.h"
#include "platform/message_sink.h"
#include "platform/saturate.h"
#include "sor/sor_text.h"
#include "trace/backscatter_field.h"
#include "trace/trace_conversions.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/length_unit.h"

namespace {

constexpr std::string_view kSorExtension = ".sor";
constexpr int kLossTableCountLimit = kSorLossTableSize - 1;

std::optional<std::string_view> UnitLabelOf(std::string_view lengthUnitName) {
  if (lengthUnitName == "kft") return "ft";
  if (lengthUnitName == "km") return "mt";
  if (lengthUnitName == "mi") return "mi";
  return std::nullopt;
}

std::int32_t ClampedCount(std::int32_t count, std::size_t rows) {
  return std::clamp<std::int32_t>(count, 0, static_cast<std::int32_t>(std::min<std::size_t>(rows, kSorMaxKeyEvents)));
}

// Values written back to the file are rounded: the rows hold 32-bit floats, and truncating
// 1.4682f x 100,000 would store 146819 for a group index read as 146820, a unit lost per save.
std::int32_t Scaled(float value, double factor) {
  return lumivane::RoundToInt32(std::fabs(static_cast<double>(value)) * factor);
}

void StoreEventCode(SorKeyEvent& event, const EventRow& row) {
  char16_t* code = event.EventCode;
  switch (row.Type) {
    case kEventEnd: code[1] = u'E'; break;
    case kEventReflective:
      // A saturated reflection ('2') is already reflective and keeps its code.
      if (!IsReflectiveEventCode(event)) code[0] = u'1';
      if (row.Origin == kOriginAnalysis) code[1] = u'F';
      break;
    case kEventNonReflective: code[0] = u'0'; break;
    default: break;
  }
}

// The record is written from a copy, so a failed write leaves the document's record as it was.
SorWriteResult WritePrepared(COtdrDoc& doc, const std::string& path, const SaveEdits& edits) {
  auto record = std::make_unique<SorRecord>(doc.m_SorRecord);
  PrepareRecordForSave(*record, edits);
  const SorWriteResult result = WriteSorFile(*record, path);
  if (result == SorWriteResult::kOk) doc.m_SorRecord = *record;
  return result;
}

bool ReportWrite(SorWriteResult result, std::string_view path) {
  if (result == SorWriteResult::kOk) return true;
  lumivane::ShowMessage(SaveFailureText(result, path), lumivane::MessageIcon::Error);
  return false;
}

// Save and Save As store the same: whichever names the file, it holds what the screen shows.
bool SaveTraceTo(COtdrDoc& doc, const std::string& path) {
  const std::string fileUnit = TraceUnitName(doc);
  if (!ReportWrite(WritePrepared(doc, path, SaveEditsOf(doc, fileUnit)), path)) return false;
  // The reanalysis's values are in the record now; a later save writes them from there.
  doc.m_bReanalysed = 0;
  return true;
}

}  // namespace

bool HasSorExtension(std::string_view path) {
  return path.size() >= kSorExtension.size() &&
         lumivane::EqualsIgnoreAsciiCase(path.substr(path.size() - kSorExtension.size()), kSorExtension);
}

void RewriteDistanceUnits(SorFxdParams& fxd, std::string_view fileUnitName, std::string_view lengthUnitName) {
  if (fileUnitName == lengthUnitName) return;
  const SorFxdParams asRead = fxd;
  const double rangeBefore = AcquisitionRangeDistanceKm(fxd);
  if (const auto label = UnitLabelOf(lengthUnitName)) SetSorText(fxd.DistanceUnits, *label);
  fxd.DistanceUnits[2] = 0;
  // The label decides how the range field is read ("km" in tenths of metres, the others in
  // tenths of millimetres); a new label must not change the range the file describes.
  if (fxd.AcquisitionRangeDistance == 0) return;
  const double rangeAfter = AcquisitionRangeDistanceKm(fxd);
  if (rangeAfter == rangeBefore) return;
  const double scaled = fxd.AcquisitionRangeDistance * (rangeBefore / rangeAfter);
  // A range the field cannot hold in the new label's unit (beyond 214 km in tenths of millimetres)
  // keeps the label it was read with.
  if (!(std::fabs(scaled) <= std::numeric_limits<std::int32_t>::max())) {
    fxd = asRead;
    return;
  }
  fxd.AcquisitionRangeDistance = lumivane::RoundToInt32(scaled);
}

void StoreEventLossesToSor(SorRecord& record, std::span<const EventRow> rows, std::int32_t count) {
  SorUserName& user = record.UserName;
  user.StoredLossCount = std::min(ClampedCount(count, rows.size()), kLossTableCountLimit);
  std::fill(std::begin(user.EventLossTable), std::end(user.EventLossTable), 0);
  for (std::int32_t i = 0; i < user.StoredLossCount; ++i) {
    const float loss = rows[static_cast<std::size_t>(i)].CumulativeLoss;
    // The first row has no cumulative loss; the missing value has no thousandths to store.
    user.EventLossTable[i] = std::fabs(loss) < kMissingValue ? ToThousandths(loss) : 0;
  }
}

void StoreDisplayEditsToSor(SorRecord& record, const FibreParamsRecord& params, std::int32_t apply,
                            std::int32_t keep, std::span<const EventRow> rows, std::int32_t count) {
  if (apply == 0) return;
  if (keep == 0) {
    SorFxdParams& fxd = record.FxdParams;
    fxd.GroupIndex = Scaled(params.GroupIndex, 100000.0);
    // The display shows the coefficient negated; its sign carries over, so a field of 0 or below
    // (coefficients above -30 dB) comes back as it was read.
    fxd.Backscatter = BackscatterFieldOf(-static_cast<double>(params.Backscatter), record.UserName.BackscatterMode);
    fxd.EndOfFibreThreshold = lumivane::RoundToUInt16(std::fabs(static_cast<double>(params.EndThreshold)) * 1000.0);
    fxd.LossThreshold = lumivane::RoundToUInt16(std::fabs(static_cast<double>(params.LossThreshold)) * 1000.0);
    fxd.ReflectanceThreshold =
        lumivane::RoundToUInt16(std::fabs(static_cast<double>(params.ReflectanceThreshold)) * 1000.0);
  }
  const std::int32_t n = std::min(ClampedCount(count, rows.size()), StoredKeyEventCount(record.KeyEvents));
  for (std::int32_t i = 0; i < n; ++i) {
    StoreEventCode(record.KeyEvents.Events[static_cast<std::size_t>(i)], rows[static_cast<std::size_t>(i)]);
  }
}

SaveEdits SaveEditsOf(const COtdrDoc& doc, const std::string& fileUnitName) {
  SaveEdits edits;
  // The trace's own label, not the last header the open dialog previewed: a plain save of a
  // trace opened some other way keeps its unit.
  edits.fileUnitName = fileUnitName;
  edits.lengthUnitName = g_LengthUnitName;
  edits.markerA = doc.m_MarkerState.MarkerA;
  edits.markerB = doc.m_MarkerState.MarkerB;
  edits.rows = doc.m_EventRows;
  edits.eventCount = doc.m_nEventCount;
  edits.fibreParams = doc.m_FibreParams;
  edits.reanalysed = doc.m_bReanalysed;
  return edits;
}

std::string TraceUnitName(const COtdrDoc& doc) {
  std::string label;
  for (const char16_t cell : SorTextView(doc.m_SorRecord.FxdParams.DistanceUnits)) label += static_cast<char>(cell);
  return UnitNameOfLabel(label);
}

void PrepareRecordForSave(SorRecord& record, const SaveEdits& edits) {
  RewriteDistanceUnits(record.FxdParams, edits.fileUnitName, edits.lengthUnitName);
  record.UserName.StoredCursorA = edits.markerA;
  record.UserName.StoredCursorB = edits.markerB;
  StoreEventLossesToSor(record, edits.rows, edits.eventCount);
  StoreDisplayEditsToSor(record, edits.fibreParams, edits.reanalysed, 0, edits.rows, edits.eventCount);
}

std::string_view WriteFailureReason(SorWriteResult result) {
  switch (result) {
    case SorWriteResult::kTooLarge: return "the trace is too large for a trace file";
    case SorWriteResult::kCannotCreate: return "the file or its folder cannot be written";
    case SorWriteResult::kWriteFailed:
    case SorWriteResult::kCloseFailed: return "the disk may be full";
    case SorWriteResult::kRenameFailed: return "the file could not be replaced";
    case SorWriteResult::kUnreadable: return "the written trace would not read back";
    case SorWriteResult::kOk: break;
  }
  return {};
}

std::string SaveFailureText(SorWriteResult result, std::string_view path) {
  return "Cannot save " + std::string(path) + ": " + std::string(WriteFailureReason(result)) +
         ".\nThe trace was not saved.";
}

bool OnFileSave(COtdrDoc& doc, const SaveEnvironment& env) {
  // A path without the trace-file ending would write nothing; ask for a name instead of
  // reporting a save that did not happen.
  if (!doc.HasTrace() || !HasSorExtension(doc.m_strTracePath)) return OnFileSaveAs(doc, env);
  doc.m_strSavePath = doc.m_strTracePath;
  if (!SaveTraceTo(doc, doc.m_strSavePath)) return false;
  doc.SetModifiedFlag(false);
  doc.NotifySaved(doc.m_strTracePath);
  return true;
}

bool OnFileSaveAs(COtdrDoc& doc, const SaveEnvironment& env) {
  const std::optional<SaveAsChoice> choice = env.chooseSaveAsPath ? env.chooseSaveAsPath() : std::nullopt;
  if (!choice || choice->path.empty()) return false;
  if (choice->picture) {
    if (env.saveViewAsBmp) env.saveViewAsBmp(choice->path);
    return false;
  }
  std::string path = choice->path;
  if (!HasSorExtension(path)) {
    path += kSorExtension;
    // The dialog confirmed only the name as typed; the ending may name another existing file.
    std::error_code error;
    if (std::filesystem::exists(path, error) &&
        lumivane::Ask(path + " already exists.\nDo you want to replace it?", lumivane::QuestionButtons::YesNo) !=
            lumivane::Reply::Yes) {
      return false;
    }
  }
  if (!SaveTraceTo(doc, path)) return false;
  const std::string previousPath = std::exchange(doc.m_strTracePath, path);
  doc.m_strSavePath = path;
  doc.SetPathName(path);
  doc.SetMainTitle(path);
  doc.NotifySaved(previousPath);
  doc.UpdateAllViews(nullptr, kHintRefresh);
  doc.SetModifiedFlag(false);
  return true;
}

bool OnUpdateFileSave(const COtdrDoc& doc) {
  return doc.HasTrace() && (doc.IsModified() || g_DisplayState.MarkerMoved != 0);
}

bool OnUpdateHoldsTrace(const COtdrDoc& doc) { return doc.HasTrace(); }

void BindSaveCommands(COtdrDoc& doc, SaveEnvironment env) {
  auto shared = std::make_shared<const SaveEnvironment>(std::move(env));
  doc.Commands().BindCommand(CmdFileSave, [&doc, shared] { OnFileSave(doc, *shared); });
  doc.Commands().BindCommand(CmdFileSaveAs, [&doc, shared] { OnFileSaveAs(doc, *shared); });
  doc.BindSave([&doc, shared] { return OnFileSave(doc, *shared); });
  doc.Commands().BindUpdate(CmdFileSave, [&doc] { return OnUpdateFileSave(doc); });
  for (const int id : {CmdFileSaveAs, CmdEditTraceInfo, CmdAsciiExport, CmdPrint, CmdPrintPreview}) {
    doc.Commands().BindUpdate(id, [&doc] { return OnUpdateHoldsTrace(doc); });
  }
}
