#include "panes/event_editing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

#include "analysis/event_measurements.h"
#include "document/display_model_events.h"
#include "document/display_model_params.h"
#include "document/display_state.h"
#include "document/event_choice.h"
#include "document/otdr_doc.h"
#include "measure/add_event_measurements.h"
#include "platform/saturate.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"

namespace {

// An event this close to the marker (km) is the same event.
constexpr float kSameEventKm = 0.00001f;
// A new reflective event rises this far (dB) above both window levels before its peak.
constexpr double kReflectiveRise = 1.5;
constexpr float kLowestReflectance = -64.9f;
constexpr float kNoReflectance = -78.0f;
constexpr float kAttenuationLimit = 32.0f;

int KeyEventCount(const COtdrDoc& doc) {
  return StoredKeyEventCount(doc.m_SorRecord.KeyEvents);
}

int RowCount(const COtdrDoc& doc) { return std::clamp(doc.m_nEventCount, 0, kMaxEventRows); }

double SampleAt(const COtdrDoc& doc, int index) {
  const std::span<const double> samples = LeadingDbSamples(doc.m_DbSamples, doc.m_nPointCount);
  return samples.empty() ? 0.0 : samples[static_cast<std::size_t>(lumivane::ClampIndex(index, static_cast<int>(samples.size())))];
}

// Rounded as shown; a missing value stays missing, and the dialog shows it as such.
float Rounded3(float value) { return IsMissingValue(value) ? kMissingValue : RoundHalfUp(value, 3); }

// A confirmed value in thousandths for a key-event field, rounded half up as every stored value is.
std::int32_t StoredThousandths(double value) { return lumivane::RoundToInt32(value); }

// A measured value outside what the dialog accepts is no measurement: it is shown and stored as
// missing rather than refused in a box the user cannot edit.
float WithinOrMissing(float value, double low, double high) {
  return IsMissingValue(value) || (value >= low && value <= high) ? value : kMissingValue;
}

std::int16_t ToField16(std::int32_t value) {
  return static_cast<std::int16_t>(std::clamp<std::int32_t>(value, INT16_MIN, INT16_MAX));
}

void SetText(char16_t* field, std::size_t capacity, std::u16string_view text) {
  std::fill_n(field, capacity, u'\0');
  std::copy_n(text.begin(), std::min(text.size(), capacity - 1), field);
}

// The cumulative loss key event `row` reads on the document's trace.
float EventLoss(const COtdrDoc& doc, int row) {
  return GetEventLoss(row, kSorFileKind, doc.m_SorRecord, doc.m_nPointCount, doc.m_DbSamples.Values, doc.m_dFibreLengthKm);
}

// Where the cumulative loss of key event `row` follows from the event before it, its stored slope is
// refitted so that the loss stays `kept`: an edit before it moves no loss out of the fibre (a
// deleted event's loss is still in the section that takes its place, an added event's was already
// in the section it splits; a deleted gainer's gain stays as a negative slope). A section whose loss
// was unknown stores no slope (0): the trace gives its loss where it can.
void KeepCumulativeLoss(COtdrDoc& doc, int row, float kept) {
  SorRecord& record = doc.m_SorRecord;
  if (row < 0 || row >= StoredKeyEventCount(record.KeyEvents) || IsLaunchEvent(row, record) ||
      IsBehindEnd(row, record) || MeasuredOnTrace(row, record, doc.m_nPointCount)) {
    return;
  }
  const float before =
      LossBeforeSection(row, record, doc.m_nPointCount, doc.m_DbSamples.Values, doc.m_dFibreLengthKm);
  // Unknown before the section: the losses behind it are unknown whatever it stores.
  if (IsMissingValue(before)) return;
  SorKeyEvent& event = record.KeyEvents.Events[static_cast<std::size_t>(row)];
  const std::int64_t from = row > 0 ? record.KeyEvents.Events[static_cast<std::size_t>(row - 1)].TimeOfFlight
                                    : std::min(record.KeyEvents.Events[0].TimeOfFlight, 0);
  const std::int64_t span = event.TimeOfFlight - from;
  if (span <= 0 || span > INT32_MAX) return;
  const double length = DistanceOfTime(static_cast<std::int32_t>(span), record.FxdParams.GroupIndex);
  const double slope = (static_cast<double>(kept) - before) / length * 1000.0;
  event.Slope = !IsMissingValue(kept) && std::isfinite(slope)
                    ? lumivane::RoundToInt16(std::clamp<double>(slope, INT16_MIN, INT16_MAX))
                    : 0;
}

// Rebuilds what the key events feed and announces the edit to every pane. The link ORL the file
// stores stands unless the edit moved the link's start or end.
void FinishEdit(COtdrDoc& doc, bool linkChanged) {
  BuildEventTable(kSorFileKind, doc.m_SorRecord, doc.m_EventRows, doc.m_nEventCount, doc.m_nEndEventRow,
                  doc.m_nPointCount, doc.m_DbSamples, doc.m_dFibreLengthKm, doc.m_SorRecord.UserName.DistanceCorrection);
  g_DisplayState.TableRedrawRequest = 1;
  if (linkChanged) g_DisplayState.LinkOrlDirty = 1;
  doc.UpdateAllViews(nullptr, 0);
  doc.SetModifiedFlag(true);
}

}  // namespace

bool IsMissingValue(float value) { return value == kMissingValue || !std::isfinite(value); }

int HasEndEvent(const COtdrDoc& doc) {
  const auto rows = EventRowsInUse(doc.m_EventRows, doc.m_nEventCount);
  return std::any_of(rows.begin(), rows.end(), [](const EventRow& row) { return row.Type == kEventEnd; }) ? 1 : 0;
}

bool DeleteEvent(COtdrDoc& doc, int r) {
  SorKeyEvents& keys = doc.m_SorRecord.KeyEvents;
  const int count = KeyEventCount(doc);
  // A stale row would shorten the list by a real event.
  if (r < 0 || r >= count) return false;
  const bool linkChanged = r == 0 || r == doc.m_nEndEventRow;
  const float followingLoss = EventLoss(doc, r + 1);
  const bool followingWindowRead = MeasuredOnTrace(r + 1, doc.m_SorRecord, doc.m_nPointCount);
  for (int i = r; i < count - 1; ++i) {
    keys.Events[i] = keys.Events[i + 1];
    --keys.Events[i].EventNumber;
  }
  keys.Events.resize(static_cast<std::size_t>(count - 1));
  keys.KeyEventCount = static_cast<std::int16_t>(count - 1);
  // A window the following event stored over fibre outside its section (the deleted event's, or
  // further back) now lies in the merged section, yet still measures other fibre: it stays unread.
  if (!followingWindowRead && MeasuredOnTrace(r, doc.m_SorRecord, doc.m_nPointCount)) {
    keys.Events[static_cast<std::size_t>(r)].MarkerLocations[0] = 0;
    keys.Events[static_cast<std::size_t>(r)].MarkerLocations[1] = 0;
  }
  KeepCumulativeLoss(doc, r, followingLoss);

  auto& losses = doc.m_SorRecord.UserName.EventLossTable;
  const int rowsBefore = RowCount(doc);
  for (int e = r; e < rowsBefore && e + 1 < kSorLossTableSize; ++e) losses[e] = losses[e + 1];

  FollowEventRows(doc, g_DisplayState, r, -1);
  FinishEdit(doc, linkChanged);
  return true;
}

AddEventStart ProposeEvent(const COtdrDoc& doc, AddEventMeasurements& measurements) {
  AddEventStart start;
  AddEventProposal& p = start.proposal;
  const MarkerState& markers = doc.m_MarkerState;
  const int set = markers.ActiveMarker == 0 ? 0 : 1;
  const int k = set == 0 ? markers.MarkerA : markers.MarkerB;
  const float x = GetDistance_Position(k, kSorFileKind, doc.m_SorRecord, doc.m_dFibreLengthKm);
  const auto rows = EventRowsInUse(doc.m_EventRows, doc.m_nEventCount);
  if (std::any_of(rows.begin(), rows.end(), [x](const EventRow& row) { return std::fabs(row.Distance - x) < kSameEventKm; })) {
    start.refusal = AddEventRefusal::EventAlreadyHere;
    return start;
  }
  const auto factor = static_cast<float>(g_LengthUnitFactor);
  p.location = RoundHalfUp(x, 5) * factor;

  measurements.SetAddEventWindow(set);
  if (HasEndEvent(doc) == 0) {
    p.type = kEventEnd;
    p.reflectance = measurements.ComputeAddEventReflectance();
    p.insertionLoss = 0.0f;
  } else {
    const auto& w = measurements.WorkingPoints();
    const double peak = SampleAt(doc, w[2].SampleIndex);
    if (peak - w[1].Value > kReflectiveRise && peak - w[2].Value > kReflectiveRise) {
      p.type = kEventReflective;
      p.reflectance = measurements.ComputeAddEventReflectance();
    } else {
      p.type = kEventNonReflective;
      p.reflectance = kNoReflectance;
    }
    measurements.LoadLossAuxMarkers(set);
    p.insertionLoss = measurements.ComputeAuxMarkerLoss(k);
  }
  p.cumulativeLoss = measurements.ComputeAddEventLoss();
  p.attenuation = measurements.ComputeAddEventAttenuation(p.cumulativeLoss, p.location);

  p.insertionLoss = Rounded3(p.insertionLoss);
  p.cumulativeLoss = Rounded3(p.cumulativeLoss);
  p.attenuation = Rounded3(p.attenuation);
  if (p.reflectance < kLowestReflectance) p.reflectance = kNoReflectance;
  p.reflectance = WithinOrMissing(p.reflectance, kAddEventReflectanceMin, kAddEventReflectanceMax);
  p.insertionLoss = WithinOrMissing(p.insertionLoss, -kAddEventLossLimit, kAddEventLossLimit);
  p.cumulativeLoss = WithinOrMissing(p.cumulativeLoss, 0.0, kAddEventCumulativeLossMax);

  p.locationMax = RoundHalfUp(DistanceFromUserZero(doc.m_dFibreLengthKm, doc.m_SorRecord), 3) * g_LengthUnitFactor;
  p.attenuationMax = kAttenuationLimit / g_LengthUnitFactor;
  p.attenuationMin = -p.attenuationMax;
  p.attenuation = WithinOrMissing(p.attenuation, p.attenuationMin, p.attenuationMax);
  p.working = measurements.WorkingPoints();
  return start;
}

AddEventRefusal CheckProposal(const COtdrDoc& doc, const AddEventProposal& proposal) {
  const std::int32_t t = doc.DistanceToTime(static_cast<float>(proposal.location / g_LengthUnitFactor));
  // The data spacing is the time of 10,000 samples: this is one and a half sample spacings.
  const double tooClose = doc.m_SorRecord.FxdParams.DataSpacing[0] * 1.5 / 10000.0;
  const SorKeyEvents& keys = doc.m_SorRecord.KeyEvents;
  for (int j = 0; j < KeyEventCount(doc); ++j) {
    const SorKeyEvent& event = keys.Events[j];
    if (proposal.type == kEventEnd && j != 0 && (event.EventCode[1] == u'E' || event.EventCode[1] == u'D')) {
      return AddEventRefusal::EndAlreadyExists;
    }
    if (std::fabs(static_cast<double>(t) - event.TimeOfFlight) < tooClose) return AddEventRefusal::EventAlreadyHere;
  }
  return AddEventRefusal::None;
}

void InsertEvent(COtdrDoc& doc, const AddEventProposal& p) {
  SorRecord& record = doc.m_SorRecord;
  SorKeyEvents& keys = record.KeyEvents;
  const int count = KeyEventCount(doc);
  if (count >= kMaxEventRows) return;
  const std::int32_t t = doc.DistanceToTime(static_cast<float>(p.location / g_LengthUnitFactor));
  const AddEventMeasurements times(doc);

  SorKeyEvent event{};
  event.TimeOfFlight = t;
  // The slope is stored per kilometre whatever unit the attenuation was shown in.
  // A missing value is stored as no value (0), never as the largest number the field holds.
  const auto known = [](float value) { return IsMissingValue(value) ? 0.0f : value; };
  event.Slope = ToField16(StoredThousandths(static_cast<double>(known(p.attenuation)) * 1000.0 * g_LengthUnitFactor));
  event.SpliceLoss = ToField16(StoredThousandths(static_cast<double>(known(p.insertionLoss)) * 1000.0));
  event.Reflectance = StoredThousandths(static_cast<double>(known(p.reflectance)) * 1000.0);
  const std::u16string_view code = p.type == kEventEnd ? u"1D9999" : p.type == kEventReflective ? u"1A9999" : u"0A9999";
  SetText(event.EventCode, std::size(event.EventCode), code);
  SetText(event.LossTechnique, std::size(event.LossTechnique), u"LS");
  for (int i = 0; i < 4; ++i) event.MarkerLocations[i] = times.SampleIndexToEventTime(p.working[static_cast<std::size_t>(i)].SampleIndex);
  event.MarkerLocations[4] = t;

  int m = 0;
  while (m < count && keys.Events[m].TimeOfFlight <= t) ++m;

  auto& losses = record.UserName.EventLossTable;
  for (int e = std::min(RowCount(doc) + 1, kSorLossTableSize - 1); e > m; --e) losses[e] = losses[e - 1];
  // The loss table is shorter than the key events; an event beyond it has no entry.
  if (m < kSorLossTableSize) losses[m] = StoredThousandths(static_cast<double>(known(p.cumulativeLoss)) * 1000.0);

  const float followingLoss = EventLoss(doc, m);
  keys.Events.resize(static_cast<std::size_t>(count));
  keys.Events.insert(keys.Events.begin() + m, event);
  keys.KeyEventCount = static_cast<std::int16_t>(count + 1);
  for (int i = 0; i <= count; ++i) keys.Events[i].EventNumber = static_cast<std::int16_t>(i);
  KeepCumulativeLoss(doc, m + 1, followingLoss);
  FollowEventRows(doc, g_DisplayState, m, 1);

  if (p.type == kEventEnd) {
    keys.EndToEndMarker2 = t;
    const float loss = EventLoss(doc, m);
    if (!IsMissingValue(loss)) keys.EndToEndLoss = StoredThousandths(static_cast<double>(loss) * 1000.0);
  }
  BuildLinkSummary(kSorFileKind, record, doc.m_LinkSummary, doc.m_nPointCount, doc.m_dFibreLengthKm,
                   record.UserName.DistanceCorrection);
  FinishEdit(doc, p.type == kEventEnd || m == 0);
}
