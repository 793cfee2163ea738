#include "measure/add_event_measurements.h"

#include <algorithm>
#include <span>

#include "analysis/event_measurements.h"
#include "document/otdr_doc.h"
#include "measure/marker_measurements.h"
#include "platform/saturate.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"

namespace {

// The value of P2 when the peak window holds no sample; no trace level comes near it.
constexpr double kEmptyWindowValue = 10000.0;

std::span<const double> SamplesOf(const COtdrDoc& doc) { return doc.m_DbSamples.Values; }

int UsableCount(const COtdrDoc& doc) {
  return std::clamp(doc.m_nPointCount, 0, static_cast<int>(SamplesOf(doc).size()));
}

double SampleAt(const COtdrDoc& doc, int index) {
  const int count = UsableCount(doc);
  if (count == 0) return 0.0;
  return SamplesOf(doc)[static_cast<std::size_t>(lumivane::ClampIndex(index, count))];
}

}  // namespace

void AddEventMeasurements::SetAddEventWindow(int markerSet) {
  m_AddEventAux = {};
  const AuxMarker* loss = m_Doc.m_MarkerState.LossAuxMarkers[markerSet == 0 ? 0 : 1];
  int p0 = std::max(loss[0].SampleIndex, 0);
  int p1 = loss[1].SampleIndex;
  int p2 = loss[2].SampleIndex;
  double lowest = kEmptyWindowValue;
  if (p2 > m_Doc.m_SorRecord.DataPts.TotalPointCount) {
    p1 -= 2;
    p2 = p1 - 2;
  } else {
    const int end = std::min(p2, UsableCount(m_Doc));
    const std::span<const double> samples = SamplesOf(m_Doc);
    for (int i = std::max(p1, 0); i < end; ++i) lowest = std::min(lowest, samples[static_cast<std::size_t>(i)]);
  }
  m_AddEventAux[0] = {p0, SampleAt(m_Doc, p0)};
  m_AddEventAux[1] = {p1, SampleAt(m_Doc, p1)};
  m_AddEventAux[2] = {p2, lowest};
}

void AddEventMeasurements::LoadLossAuxMarkers(int markerSet) {
  m_AddEventAux = {};
  const AuxMarker* loss = m_Doc.m_MarkerState.LossAuxMarkers[markerSet == 0 ? 0 : 1];
  std::copy_n(loss, m_AddEventAux.size(), m_AddEventAux.begin());
}

float AddEventMeasurements::ComputeAuxMarkerLoss(int x) const {
  // The working points measured as marker A's loss windows, by the rule of the marker readings.
  MarkerState markers;
  std::copy(m_AddEventAux.begin(), m_AddEventAux.end(), markers.LossAuxMarkers[0]);
  markers.MarkerA = x;
  return GetLsaSpliceLoss(0, markers, m_Doc.m_nPointCount, SamplesOf(m_Doc));
}

float AddEventMeasurements::ComputeAddEventReflectance() const {
  // The empty-window value of P2 makes the peak unmeasurably high, which the rule reports as missing.
  MarkerState markers;
  std::copy_n(m_AddEventAux.begin(), 3, markers.ReflectanceAuxMarkers[0]);
  return GetEventReflectance(0, markers, m_Doc.m_nPointCount, SamplesOf(m_Doc), m_Doc.m_SorRecord,
                             m_Doc.m_dCurrentOffsetDb);
}

float AddEventMeasurements::ComputeAddEventLoss() const {
  if (m_Doc.m_nEventCount <= 0) return kMissingValue;
  // One reading at one marker: what the dialog proposes is what the pane showed there.
  return GetMarkerEventLossFromSamples(m_Doc.m_MarkerState, m_Doc.m_SorRecord, m_Doc.m_nPointCount, SamplesOf(m_Doc),
                                       m_Doc.m_dFibreLengthKm);
}

float AddEventMeasurements::ComputeAddEventAttenuation(float cumulativeLoss, float distance) const {
  const std::int32_t t = m_Doc.DistanceToTime(static_cast<float>(distance / g_LengthUnitFactor));
  const SorKeyEvents& events = m_Doc.m_SorRecord.KeyEvents;
  const int stored = StoredKeyEventCount(events);
  int k = 0;
  while (k < stored && events.Events[k].TimeOfFlight <= t) ++k;
  if (cumulativeLoss == kMissingValue) return kMissingValue;
  // The first section runs from the launch, which need not stand at the first sample.
  const auto fromLaunch = static_cast<float>(distance - m_Doc.m_EventRows[0].Distance * g_LengthUnitFactor);
  if (k <= 1) return fromLaunch > 0.0f ? cumulativeLoss / fromLaunch : kMissingValue;
  const EventRow& before = m_Doc.m_EventRows[static_cast<std::size_t>(std::min(k - 1, kMaxEventRows - 1))];
  if (before.CumulativeLoss == kMissingValue) return kMissingValue;
  // The loss of the section from the previous event belongs over that section's length, not over
  // the distance from the launch.
  const auto section = static_cast<float>(distance - before.Distance * g_LengthUnitFactor);
  if (!(section > 0.0f)) return kMissingValue;
  return (cumulativeLoss - before.CumulativeLoss - before.SpliceLoss) / section;
}

std::int32_t AddEventMeasurements::SampleIndexToEventTime(int index) const {
  if (m_Doc.m_nPointCount <= 0) return 0;
  // The fibre length is in km whatever unit distances are shown in, and so is the time's distance.
  // Stored times count from the user's zero and other readers take them as unsigned: a window
  // reaching before the zero starts at it.
  return std::max(0, m_Doc.DistanceToTime(
                         DistanceFromUserZero(index * m_Doc.m_dFibreLengthKm / m_Doc.m_nPointCount, m_Doc.m_SorRecord)));
}
