#include "document/trace_display_model.h"

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

void ResetWorkTrace() {
  // The empty model is built on the heap: a temporary of this size does not belong on the stack.
  g_WorkTrace = *std::make_unique<TraceDisplayModel>();
}
