// Bytes > read and judged as File Open does > display model > Trace Reanalysis on the trace's own
// settings: a file the program opens never crashes it or overflows an integer, whatever its
// offsets, counts or samples, and every distance the table then shows is a number.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "document/display_model.h"
#include "document/otdr_doc.h"
#include "document/trace_file_reading.h"
#include "measure/analysis_settings.h"
#include "measure/trace_reanalysis.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TraceFileReading reading = ReadTraceImage(std::span(data, size));
  if (reading.failure >= 0) return 0;
  static auto doc = std::make_unique<COtdrDoc>();
  doc->m_SorRecord = std::move(*reading.record);
  doc->m_strTracePath = "fuzz.sor";
  SorRecord& record = doc->m_SorRecord;
  LoadDisplayModel(kSorFileKind, record, DisplayModelInputs{record.UserName.DistanceCorrection},
                   doc->DisplayModelMembers());
  CheckRowsFinite(*doc);
  if (ReanalyzeDocument(*doc, PrefillAnalysisSettings(doc->m_FibreParams)) == ReanalysisOutcome::Done) {
    CheckRowsFinite(*doc);
  }
  return 0;
}
