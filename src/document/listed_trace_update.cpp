#include "document/listed_trace_update.h"

#include <algorithm>

#include "document/otdr_doc.h"
#include "document/trace_record.h"

void StoreSavedTrace(const COtdrDoc& doc, TraceRecord& record) {
  TraceDisplayModel& model = record.m_Model;
  record.m_strPath = doc.m_strTracePath;
  model.m_SorRecord = doc.m_SorRecord;
  // The file's bytes stay with the document, which alone writes them back.
  model.m_SorRecord.Source = {};
  std::copy(std::begin(doc.m_EventRows), std::end(doc.m_EventRows), std::begin(model.m_EventRows));
  model.m_nEventCount = doc.m_nEventCount;
  model.m_nEndEventRow = doc.m_nEndEventRow;
  model.m_FibreParams = doc.m_FibreParams;
  model.m_LinkSummary = doc.m_LinkSummary;
  model.m_TraceDateTime = doc.m_TraceDateTime;
  model.m_nCursorA = doc.m_MarkerState.MarkerA;
  model.m_nCursorB = doc.m_MarkerState.MarkerB;
}
