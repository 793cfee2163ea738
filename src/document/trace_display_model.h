#pragma once
// The display members a trace holder carries besides its SR-4731 record. The loaded-trace list's
// records and the work trace of printing and Batch Edit each own one set; the document keeps the
// same members apart, with its markers in its marker block. LoadDisplayModel fills any of them
// through a DisplayModelTarget, so one routine serves every holder.
#include <cstdint>
#include <span>
#include <type_traits>

#include "sor/sor_record.h"
#include "trace/display_records.h"

/// One trace's file record and display model: about 60 KB and the trace's samples; heap or static
/// storage only. Assignment copies it whole, samples included.
struct TraceDisplayModel {
  SorRecord m_SorRecord;
  EventRow m_EventRows[kMaxEventRows];
  std::int32_t m_nEventCount;
  std::int32_t m_nEndEventRow;
  FibreParamsRecord m_FibreParams;
  LinkSummaryRecord m_LinkSummary;
  TraceDateTime m_TraceDateTime;
  std::int32_t m_nPointCount;
  std::int32_t m_nCursorA;  // sample index of marker A
  std::int32_t m_nCursorB;  // sample index of marker B
  double m_dFibreLengthKm;       // km covered by the samples
  double m_dAcquisitionRangeKm;
  DbSampleArray m_DbSamples;
  double m_dDbCeiling;  // dB
  AuxMarker m_ReflectanceAuxMarkers[2][3];
  AuxMarker m_LossAuxMarkers[2][4];
  std::int32_t m_nAnalysisMode;
  std::uint8_t m_bLockAB;
};


/// Every member LoadDisplayModel fills, in whichever holder it lives.
struct DisplayModelTarget {
  TraceDateTime* dateTime;
  std::int32_t* pointCount;
  std::int32_t* eventCount;
  std::int32_t* cursorA;
  std::int32_t* cursorB;
  double* fibreLengthKm;
  double* acquisitionRangeKm;
  DbSampleArray* dbSamples;
  double* dbCeiling;
  FibreParamsRecord* fibreParams;
  LinkSummaryRecord* linkSummary;
  std::span<EventRow, kMaxEventRows> eventRows;
  std::int32_t* endEventRow;
  AuxMarker (*reflectanceAuxMarkers)[3];  // two sets: 0 marker A, 1 marker B
  AuxMarker (*lossAuxMarkers)[4];
  std::int32_t* analysisMode;
  std::uint8_t* lockAB;
};

/// The display members of a list record or the work trace.
DisplayModelTarget DisplayModelTargetOf(TraceDisplayModel& model);

/// Copies every member LoadDisplayModel fills from one holder to another, for a holder of the same
/// file that need not be built again.
void CopyDisplayModel(const DisplayModelTarget& from, const DisplayModelTarget& to);

/// Files, printing and Batch Edit load into this holder without touching the current trace.
extern TraceDisplayModel g_WorkTrace;

/// Empties g_WorkTrace, as at program start.
void ResetWorkTrace();
