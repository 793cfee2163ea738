#include "reports/loaded_trace_view.h"

#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "measure/link_orl_cache.h"
#include "trace/trace_conversions.h"

LoadedTraceView ViewOfLoadedTrace(const TraceRecord& trace, const LoadedTraceSources& sources, int activeMarker) {
  const COtdrDoc* doc = sources.doc;
  if (doc != nullptr && doc->HasTrace() && doc->m_strTracePath == trace.m_strPath) {
    LoadedTraceView view{doc->m_SorRecord, doc->m_FibreParams, doc->m_TraceDateTime, doc->m_LinkSummary,
                         EventRowsInUse(doc->m_EventRows, doc->m_nEventCount)};
    view.endRow = doc->m_nEndEventRow;
    view.measured = LeadingDbSamples(doc->m_DbSamples, doc->m_nPointCount);
    view.markerA = doc->m_MarkerState.MarkerA;
    view.markerB = doc->m_MarkerState.MarkerB;
    view.activeMarker = doc->m_MarkerState.ActiveMarker;
    view.linkOrl = doc->m_PassFailThresholds.MeasuredLinkOrl;
    view.limits = doc->m_PassFailThresholds;
    view.current = true;
    return view;
  }
  const TraceDisplayModel& model = trace.m_Model;
  LoadedTraceView view{model.m_SorRecord, model.m_FibreParams, model.m_TraceDateTime, model.m_LinkSummary,
                       EventRowsInUse(model.m_EventRows, model.m_nEventCount)};
  view.endRow = model.m_nEndEventRow;
  view.measured = LeadingDbSamples(model.m_DbSamples, model.m_nPointCount);
  view.markerA = model.m_nCursorA;
  view.markerB = model.m_nCursorB;
  view.activeMarker = activeMarker;
  view.linkOrl = StoredLinkOrl(model.m_SorRecord);
  if (sources.limitsOf) view.limits = sources.limitsOf(model.m_FibreParams.Wavelength);
  return view;
}
