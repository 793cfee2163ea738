#include "panes/marker_readings.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/event_measurements.h"
#include "document/display_model_params.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "measure/marker_measurements.h"
#include "measure/optical_return_loss.h"
#include "platform/saturate.h"
#include "trace/least_squares.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"

namespace {

int PointCountOf(const COtdrDoc& doc) { return std::clamp(doc.m_nPointCount, 0, kSorMaxSamples); }

std::span<const double> SamplesOf(const COtdrDoc& doc) { return doc.m_DbSamples.Values; }

int CurrentEventOf(const COtdrDoc& doc) { return std::clamp(doc.m_nCurrentEvent, 0, kMaxEventRows - 1); }

double IndexDistanceKm(int index, int pointCount, double fibreLengthKm) {
  return pointCount < 2 ? 0.0 : index * fibreLengthKm / (pointCount - 1);
}

// Distance A-B (km); while several traces are loaded the markers first go back to the current
// file's stored cursors.
double DistanceAB(COtdrDoc& doc, int n) {
  MarkerState& m = doc.m_MarkerState;
  const SorRecord& record = doc.m_SorRecord;
  const double length = doc.m_dFibreLengthKm;
  if (g_DisplayState.MarkerADistance != 0.0 || g_DisplayState.MarkerBDistance != 0.0) {
    if (g_DisplayState.TraceCount != 1) {
      // A file without stored cursors (-1) leaves the marker where it is.
      if (record.UserName.StoredCursorA >= 0) m.MarkerA = lumivane::ClampIndex(record.UserName.StoredCursorA, n);
      if (record.UserName.StoredCursorB >= 0) m.MarkerB = lumivane::ClampIndex(record.UserName.StoredCursorB, n);
      g_DisplayState.MarkerADistance = IndexDistanceKm(m.MarkerA, n, length);
      g_DisplayState.MarkerBDistance = IndexDistanceKm(m.MarkerB, n, length);
    }
    return std::fabs(g_DisplayState.MarkerADistance - g_DisplayState.MarkerBDistance);
  }
  // Markers not placed yet: a marker the event table put on an event stands at that event.
  const int current = CurrentEventOf(doc);
  const auto distanceOf = [&](int which, int index) -> double {
    if (m.TableSnapMarker == which) return doc.m_EventRows[static_cast<std::size_t>(current)].Distance;
    return GetDistance_Position(index, kSorFileKind, record, length);
  };
  const double a = distanceOf(0, m.MarkerA);
  const double b = distanceOf(1, m.MarkerB);
  return m.MarkerA < m.MarkerB ? b - a : a - b;
}

// The sample of the current key event's time of flight, inside the trace.
int CurrentEventSample(const COtdrDoc& doc, int n) {
  return lumivane::ClampIndex(TimeToIndex(KeyEventRow(doc.m_SorRecord.KeyEvents, CurrentEventOf(doc)).TimeOfFlight, doc.m_SorRecord), n);
}

}  // namespace

MarkerReadings MeasureMarkerReadings(const MarkerState& m, const SorRecord& record, int n, std::span<const double> db,
                                     double fibreLengthKm, double distanceAB, double currentOffsetDb) {
  MarkerReadings r;
  if (n < 1) return r;
  r.m_dDistanceAB = distanceAB;
  // Markers can stand outside the trace (a file's cursor, a marker left at the point count); every
  // sample read below uses indices inside it.
  const int a = lumivane::ClampIndex(m.MarkerA, n);
  const int b = lumivane::ClampIndex(m.MarkerB, n);
  const int nearIndex = a < b ? a : b;
  const int farIndex = a < b ? b : a;
  r.m_dTwoPointLoss = StoredSampleDb(record, farIndex) - StoredSampleDb(record, nearIndex);

  const float atFar = LeastSquaresValueAt(nearIndex, farIndex, farIndex, n, db);
  const float atNear = LeastSquaresValueAt(nearIndex, farIndex, nearIndex, n, db);
  r.m_dLsaLoss = atFar == kMissingValue || atNear == kMissingValue ? 0.0 : static_cast<double>(atFar) - atNear;

  r.m_dTwoPointAttn = r.m_dDistanceAB == 0.0 ? 0.0 : r.m_dTwoPointLoss / r.m_dDistanceAB;
  r.m_dLsaAttn = r.m_dDistanceAB == 0.0 ? 0.0 : r.m_dLsaLoss / r.m_dDistanceAB;

  const bool lossMode = m.AnalysisMode == 1;
  const bool reflectanceMode = m.AnalysisMode == 2;
  r.m_dInsLoss = reflectanceMode ? kMissingValue : GetLsaSpliceLoss(m.ActiveMarker, m, n, db);
  r.m_dReflectance =
      lossMode ? kMissingValue : GetEventReflectance(m.ActiveMarker, m, n, db, record, currentOffsetDb);

  r.m_dCumLoss = GetMarkerEventLossFromSamples(m, record, n, db, fibreLengthKm);
  return r;
}

void UpdateMarkerReadings(COtdrDoc& doc, int hint, MarkerReadings& r) {
  if (!doc.HasTrace()) return;
  const int n = PointCountOf(doc);
  if (n < 1) return;
  MarkerState& m = doc.m_MarkerState;
  const SorRecord& record = doc.m_SorRecord;
  const std::span<const double> db = SamplesOf(doc);
  const int current = CurrentEventOf(doc);
  const bool eventChosen = hint == kHintEventChosen;
  int& active = m.ActiveMarker == 1 ? m.MarkerB : m.MarkerA;
  int& other = m.ActiveMarker == 1 ? m.MarkerA : m.MarkerB;

  const int eventSample = CurrentEventSample(doc, n);
  if (eventChosen) active = eventSample;
  // Readings of a chosen event stay its readings through later broadcasts (an edit of other rows
  // among them) until the active marker leaves it.
  const bool followsEvent = eventChosen || (r.m_nEventMarker == m.ActiveMarker && r.m_nEventSample == active &&
                                            eventSample == active && current < StoredKeyEventCount(record.KeyEvents));
  const double distanceAB = DistanceAB(doc, n);
  r = MeasureMarkerReadings(m, record, n, db, doc.m_dFibreLengthKm, distanceAB, doc.m_dCurrentOffsetDb);
  if (followsEvent) {
    GetCurrentEventReadings(doc, r.m_dReflectance, r.m_dInsLoss);
    r.m_dCumLoss = GetEventLoss(current, kSorFileKind, record, n, db, doc.m_dFibreLengthKm);
    r.m_nEventSample = active;
    r.m_nEventMarker = m.ActiveMarker;
  }
  if (eventChosen) return;
  active = lumivane::ClampIndex(active, n);
  if (g_DisplayState.SwitchingTrace != 0) other = lumivane::ClampIndex(other, n);
}

void GetCurrentEventReadings(const COtdrDoc& doc, double& reflectance, double& loss) {
  const int k = CurrentEventOf(doc);
  const SorKeyEvent& event = KeyEventRow(doc.m_SorRecord.KeyEvents, k);
  // A value stored as 0 was not measured, as the table shows it; behind the end no loss is.
  reflectance = event.EventCode[0] == u'0' || event.Reflectance == 0 ? kMissingValue : event.Reflectance / 1000.0;
  loss = IsEndEventCode(event) || IsLaunchEvent(k, doc.m_SorRecord) || IsBehindEnd(k, doc.m_SorRecord) ||
                 event.SpliceLoss == 0
             ? kMissingValue
             : event.SpliceLoss / 1000.0;
}

float ComputeMarkerOrl(const COtdrDoc& doc, std::span<const EventRow> rows, int eventCount, float wavelengthNm) {
  const MarkerState& m = doc.m_MarkerState;
  const int n = PointCountOf(doc);
  if (m.MarkerA == m.MarkerB || n < 1) return 0.0f;
  const SorRecord& record = doc.m_SorRecord;
  const double length = doc.m_dFibreLengthKm;
  const float dA = GetDistance_Position(lumivane::ClampIndex(m.MarkerA, n), kSorFileKind, record, length);
  const float dB = GetDistance_Position(lumivane::ClampIndex(m.MarkerB, n), kSorFileKind, record, length);
  return EstimateOrl(rows, eventCount, wavelengthNm, dA, dB);
}
