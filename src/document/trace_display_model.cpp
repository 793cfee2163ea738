#include "document/trace_display_model.h"

#include <algorithm>

#include <memory>

TraceDisplayModel g_WorkTrace{};

DisplayModelTarget DisplayModelTargetOf(TraceDisplayModel& model) {
  return DisplayModelTarget{
      .dateTime = &model.m_TraceDateTime,
      .pointCount = &model.m_nPointCount,
      .eventCount = &model.m_nEventCount,
      .cursorA = &model.m_nCursorA,
      .cursorB = &model.m_nCursorB,
      .fibreLengthKm = &model.m_dFibreLengthKm,
      .acquisitionRangeKm = &model.m_dAcquisitionRangeKm,
      .dbSamples = &model.m_DbSamples,
      .dbCeiling = &model.m_dDbCeiling,
      .fibreParams = &model.m_FibreParams,
      .linkSummary = &model.m_LinkSummary,
      .eventRows = std::span<EventRow, kMaxEventRows>(model.m_EventRows),
      .endEventRow = &model.m_nEndEventRow,
      .reflectanceAuxMarkers = model.m_ReflectanceAuxMarkers,
      .lossAuxMarkers = model.m_LossAuxMarkers,
      .analysisMode = &model.m_nAnalysisMode,
      .lockAB = &model.m_bLockAB,
  };
}

void CopyDisplayModel(const DisplayModelTarget& from, const DisplayModelTarget& to) {
  *to.dateTime = *from.dateTime;
  *to.pointCount = *from.pointCount;
  *to.eventCount = *from.eventCount;
  *to.cursorA = *from.cursorA;
  *to.cursorB = *from.cursorB;
  *to.fibreLengthKm = *from.fibreLengthKm;
  *to.acquisitionRangeKm = *from.acquisitionRangeKm;
  *to.dbSamples = *from.dbSamples;
  *to.dbCeiling = *from.dbCeiling;
  *to.fibreParams = *from.fibreParams;
  *to.linkSummary = *from.linkSummary;
  std::copy(from.eventRows.begin(), from.eventRows.end(), to.eventRows.begin());
  *to.endEventRow = *from.endEventRow;
  for (int set = 0; set < 2; ++set) {
    std::copy(std::begin(from.reflectanceAuxMarkers[set]), std::end(from.reflectanceAuxMarkers[set]), to.reflectanceAuxMarkers[set]);
    std::copy(std::begin(from.lossAuxMarkers[set]), std::end(from.lossAuxMarkers[set]), to.lossAuxMarkers[set]);
  }
  *to.analysisMode = *from.analysisMode;
  *to.lockAB = *from.lockAB;
}

void ResetWorkTrace() {
  // The empty model is built on the heap: a temporary of this size does not belong on the stack.
  g_WorkTrace = *std::make_unique<TraceDisplayModel>();
}
