#include "reports/report_trace_set.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/otdr_doc.h"
#include "document/trace_display_model.h"
#include "document/trace_record.h"
#include "measure/link_orl_cache.h"
#include "measure/marker_measurements.h"
#include "measure/optical_return_loss.h"
#include "panes/event_table_cells.h"
#include "panes/info_pane_lines.h"
#include "panes/marker_readings.h"
#include "panes/trace_values.h"
#include "reports/page_slot.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"
#include "vocabulary/length_unit.h"

namespace {

ReportMarkerValues MarkerValuesOf(const std::array<PaneLine, kMarkerReadingCount>& lines, float orl, int eventNumber) {
  ReportMarkerValues v;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    v.texts[i] = lines[i].value;
    v.labels[i] = lines[i].label;
  }
  v.orl = orl;
  v.eventNumber = eventNumber;
  return v;
}

// The batch file's markers block: what the Marker Information pane shows of the file once opened,
// its markers where opening puts them.
ReportMarkerValues BatchMarkerValues(const TraceDisplayModel& work, std::span<const EventRow> rows, int markerA,
                                     int markerB, int activeMarker) {
  const std::span<const double> samples = LeadingDbSamples(work.m_DbSamples, work.m_nPointCount);
  const int n = static_cast<int>(samples.size());
  const SorRecord& record = work.m_SorRecord;
  MarkerState markers;
  markers.MarkerA = markerA;
  markers.MarkerB = markerB;
  markers.ActiveMarker = activeMarker;
  markers.AnalysisMode = work.m_nAnalysisMode;
  std::copy(&work.m_ReflectanceAuxMarkers[0][0], &work.m_ReflectanceAuxMarkers[0][0] + 6,
            &markers.ReflectanceAuxMarkers[0][0]);
  std::copy(&work.m_LossAuxMarkers[0][0], &work.m_LossAuxMarkers[0][0] + 8, &markers.LossAuxMarkers[0][0]);
  const float dA = GetDistance_Position(markerA, kSorFileKind, record, work.m_dFibreLengthKm);
  const float dB = GetDistance_Position(markerB, kSorFileKind, record, work.m_dFibreLengthKm);
  const MarkerReadings readings =
      MeasureMarkerReadings(markers, record, n, samples, work.m_dFibreLengthKm, std::fabs(dB - dA), 0.0);
  const float orl =
      EstimateOrl(rows, static_cast<int>(rows.size()), static_cast<float>(TraceBandNm(record)), dA, dB);
  const int eventNumber =
      FindEventAtMarkerIndex(work.m_dFibreLengthKm, UserZeroDistanceKm(record), rows, static_cast<int>(rows.size()),
                             record.FxdParams.DataPointCounts[0], n, markerA, markerB, activeMarker);
  return MarkerValuesOf(MarkerReadingLines(activeMarker, readings, CurrentDisplayUnit()), orl, eventNumber);
}

// The trace a holder keeps (the document, a list record's or the work trace's display model; they
// name these members alike): records, rows, samples and path.
template <class Holder>
ReportTraceSet HeldTraceSet(const Holder& held, const std::string& path) {
  const std::span<const double> samples = LeadingDbSamples(held.m_DbSamples, held.m_nPointCount);
  ReportTraceSet set{held.m_SorRecord, held.m_TraceDateTime, held.m_FibreParams, held.m_LinkSummary,
                     EventRowsInUse(held.m_EventRows, held.m_nEventCount)};
  set.endRow = held.m_nEndEventRow;
  set.lengthKm = held.m_dFibreLengthKm;
  set.pointCount = static_cast<int>(samples.size());
  set.samples = samples;
  set.path = path;
  return set;
}

// A trace held in a display model (a list record or the work trace), its markers where the model
// keeps them and its link ORL as the pane shows it once the trace is opened, not the one of the
// trace the document holds.
ReportTraceSet ModelTraceSet(const TraceDisplayModel& model, const std::string& path, int activeMarker) {
  ReportTraceSet set = HeldTraceSet(model, path);
  set.markerA = model.m_nCursorA;
  set.markerB = model.m_nCursorB;
  set.activeMarker = activeMarker;
  set.linkOrl = StoredLinkOrl(model.m_SorRecord);
  return set;
}

}  // namespace

ReportTraceSet DocumentTraceSet(const COtdrDoc& doc) {
  ReportTraceSet set = HeldTraceSet(doc, doc.m_strTracePath);
  set.ceilingDb = doc.m_dDbCeiling;
  set.offsetDb = doc.m_dCurrentOffsetDb;
  set.markerA = doc.m_MarkerState.MarkerA;
  set.markerB = doc.m_MarkerState.MarkerB;
  set.activeMarker = doc.m_MarkerState.ActiveMarker;
  set.marker = MarkerValuesOf(
      MarkerReadingLines(doc.m_MarkerState.ActiveMarker, doc.m_MarkerReadings, CurrentDisplayUnit()),
      MarkerOrlOf(doc), MarkerEventNumber(doc));
  set.linkOrl = doc.m_PassFailThresholds.MeasuredLinkOrl;
  set.limits = doc.m_PassFailThresholds;
  set.verdict = PassFailVerdict(EventTableSourceOf(doc), doc.m_LinkSummary, set.linkOrl);
  return set;
}

ReportTraceSet WorkTraceSet(const TraceDisplayModel& work, const std::string& path, const PassFailThresholds& limits,
                            int activeMarker) {
  ReportTraceSet set = ModelTraceSet(work, path, activeMarker);
  const int n = set.pointCount;
  // The whole file at 60 dB full height: its weakest level on the bottom edge.
  set.ceilingDb = set.samples.empty() ? 0.0 : *std::max_element(set.samples.begin(), set.samples.end());
  set.markerA = std::clamp(work.m_nCursorA, 0, std::max(n - 1, 0));
  set.markerB = std::clamp(work.m_nCursorB, 0, std::max(n - 1, 0));
  set.batchFile = true;
  set.marker = BatchMarkerValues(work, set.rows, set.markerA, set.markerB, activeMarker);
  set.limits = limits;
  set.verdict = PassFailVerdict({set.rows, set.endRow, work.m_SorRecord, limits}, work.m_LinkSummary, set.linkOrl);
  return set;
}

ReportTraceSet LoadedTraceSet(const TraceRecord& trace, const LoadedTraceSources& sources, int activeMarker) {
  const COtdrDoc* doc = sources.doc;
  if (doc != nullptr && doc->HasTrace() && doc->m_strTracePath == trace.m_strPath) return DocumentTraceSet(*doc);
  const TraceDisplayModel& model = trace.m_Model;
  ReportTraceSet set = ModelTraceSet(model, trace.m_strPath, activeMarker);
  set.ceilingDb = model.m_dDbCeiling;
  set.offsetDb = trace.m_dOffsetDb;
  if (sources.limitsOf) set.limits = sources.limitsOf(TraceBandNm(model.m_SorRecord));
  return set;
}
