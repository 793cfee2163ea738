// Bytes > read and judged as File Open does > display model > Save > open again, and every fourth
// input Trace Reanalysis on the trace's own settings > Save > open again: a file the program opens
// never crashes it or overflows an integer, whatever its offsets, counts or samples; every distance
// the table then shows is a number; and whatever Save writes opens again showing what was shown.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "document/display_model.h"
#include "document/otdr_doc.h"
#include "document/trace_display_model.h"
#include "document/trace_file_reading.h"
#include "document/trace_save.h"
#include "measure/analysis_settings.h"
#include "measure/trace_reanalysis.h"
#include "sor/sor_writer.h"
#include "trace/trace_conversions.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckRowsFinite(const COtdrDoc& doc) {
  Check(doc.m_nEventCount >= 0 && doc.m_nEventCount <= kMaxEventRows);
  for (int i = 0; i < doc.m_nEventCount; ++i) {
    const EventRow& row = doc.m_EventRows[static_cast<std::size_t>(i)];
    Check(std::isfinite(row.Distance) && std::isfinite(row.DistanceToEnd) && std::isfinite(row.SectionLength));
  }
}

template <typename Value>
bool Same(const Value& a, const Value& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

/// The fibre parameters as the Parameters pane shows them: the reflectance threshold by its
/// magnitude (the reanalysis dialog hands it over negative, a file holds it positive).
FibreParamsRecord ShownParams(FibreParamsRecord params) {
  params.ReflectanceThreshold = std::fabs(params.ReflectanceThreshold);
  return params;
}

/// The link totals the panes show; the link ORL they take from the key events, not from here.
bool SameTotals(const LinkSummaryRecord& a, const LinkSummaryRecord& b) {
  return Same(a.TraceLength, b.TraceLength) && Same(a.LinkLength, b.LinkLength) && Same(a.LinkLoss, b.LinkLoss) &&
         Same(a.LossPerKm, b.LossPerKm);
}

/// The record Save writes, assembled as a file image; nothing when it is too large for a file.
std::vector<std::uint8_t> SavedImage(const COtdrDoc& doc) {
  auto record = std::make_unique<SorRecord>(doc.m_SorRecord);
  const std::string fileUnit = TraceUnitName(doc);
  PrepareRecordForSave(*record, SaveEditsOf(doc, fileUnit));
  std::vector<std::uint8_t> image;
  if (AssembleSorImage(*record, image) != SorWriteResult::kOk) image.clear();
  return image;
}

/// The saved file opens, and its display model is the one shown before the save.
void CheckSaveReopens(const COtdrDoc& doc) {
  const std::vector<std::uint8_t> image = SavedImage(doc);
  if (image.empty()) return;
  TraceFileReading reading = ReadTraceImage(image);
  Check(reading.failure < 0);
  static auto reopened = std::make_unique<TraceDisplayModel>();
  reopened->m_SorRecord = std::move(*reading.record);
  SorRecord& record = reopened->m_SorRecord;
  LoadDisplayModel(kSorFileKind, record, DisplayModelInputs{record.UserName.DistanceCorrection},
                   DisplayModelTargetOf(*reopened));
  Check(reopened->m_nPointCount == doc.m_nPointCount && reopened->m_nEventCount == doc.m_nEventCount);
  Check(std::memcmp(reopened->m_EventRows, doc.m_EventRows.data(),
                    sizeof(EventRow) * static_cast<std::size_t>(doc.m_nEventCount)) == 0);
  Check(Same(ShownParams(reopened->m_FibreParams), ShownParams(doc.m_FibreParams)));
  Check(SameTotals(reopened->m_LinkSummary, doc.m_LinkSummary));
  const std::span<const double> shown = LeadingDbSamples(doc.m_DbSamples, doc.m_nPointCount);
  const std::span<const double> read = LeadingDbSamples(reopened->m_DbSamples, reopened->m_nPointCount);
  Check(std::equal(shown.begin(), shown.end(), read.begin(), read.end(),
                   [](double a, double b) { return Same(a, b); }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TraceFileReading reading = ReadTraceImage(std::span(data, size));
  if (reading.failure >= 0) return 0;
  static auto doc = std::make_unique<COtdrDoc>();
  doc->m_SorRecord = std::move(*reading.record);
  doc->m_strTracePath = "fuzz.sor";
  doc->m_bReanalysed = 0;
  SorRecord& record = doc->m_SorRecord;
  LoadDisplayModel(kSorFileKind, record, DisplayModelInputs{record.UserName.DistanceCorrection},
                   doc->DisplayModelMembers());
  CheckRowsFinite(*doc);
  CheckSaveReopens(*doc);
  if (ReanalyzeDocument(*doc, PrefillAnalysisSettings(doc->m_FibreParams)) == ReanalysisOutcome::Done) {
    CheckRowsFinite(*doc);
    // The size picks the inputs, so a failing input fails again on its own.
    if (size % 4 == 0) CheckSaveReopens(*doc);
  }
  return 0;
}
