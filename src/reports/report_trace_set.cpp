#include "reports/report_trace_set.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/marker_windows.h"
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

// What the Marker Information pane shows of a trace held in a display model once it is opened:
// its markers at `markerA` and `markerB`, each with the windows opening seats around it.
ReportMarkerValues OpenedMarkerValues(const TraceDisplayModel& model, std::span<const EventRow> rows, int markerA,
                                      int markerB, int activeMarker) {
  const std::span<const double> samples = LeadingDbSamples(model.m_DbSamples, model.m_nPointCount);
  const int n = static_cast<int>(samples.size());
  const SorRecord& record = model.m_SorRecord;
  MarkerState markers;
  markers.MarkerA = markerA;
  markers.MarkerB = markerB;
  markers.AnalysisMode = model.m_nAnalysisMode;
  for (const int set : {0, 1}) {
    markers.ActiveMarker = set;
    PlaceActiveMarkerWindows(markers, n);
  }
  markers.ActiveMarker = activeMarker;
  const float dA = GetDistance_Position(markerA, kSorFileKind, record, model.m_dFibreLengthKm);
  const float dB = GetDistance_Position(markerB, kSorFileKind, record, model.m_dFibreLengthKm);
  const MarkerReadings readings =
      MeasureMarkerReadings(markers, record, n, samples, model.m_dFibreLengthKm, std::fabs(dB - dA), 0.0);
  const float orl =
      EstimateOrl(rows, static_cast<int>(rows.size()), static_cast<float>(TraceBandNm(record)), dA, dB);
  const int eventNumber =
      FindEventAtMarkerIndex(model.m_dFibreLengthKm, UserZeroDistanceKm(record), rows, static_cast<int>(rows.size()),
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
// keeps them (brought into the trace), its marker readings and link ORL as the panes show them once
// the trace is opened, not those of the trace the document holds.
ReportTraceSet ModelTraceSet(const TraceDisplayModel& model, const std::string& path, int activeMarker) {
  ReportTraceSet set = HeldTraceSet(model, path);
  const int last = std::max(set.pointCount - 1, 0);
  set.markerA = std::clamp(model.m_nCursorA, 0, last);
  set.markerB = std::clamp(model.m_nCursorB, 0, last);
  set.activeMarker = activeMarker;
  set.marker = OpenedMarkerValues(model, set.rows, set.markerA, set.markerB, activeMarker);
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
  // The whole file at 60 dB full height: its weakest level on the bottom edge.
  set.ceilingDb = set.samples.empty() ? 0.0 : *std::max_element(set.samples.begin(), set.samples.end());
  set.batchFile = true;
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
