#include "panes/event_editing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>
#include <vector>

#include "document/event_choice.h"
#include "measure/add_event_measurements.h"
#include "measure/link_orl_cache.h"
#include "sor/sor_map_layout.h"
#include "sor/sor_reader.h"
#include "sor/sor_text.h"
#include "sor/sor_writer.h"
#include "document/trace_save.h"
#include "panes/marker_info_text.h"
#include "panes/marker_readings.h"
#include "panes/trace_values.h"
#include "counting_view.h"
#include "sor_image_builder.h"
#include "event_doc_fixture.h"
#include "temp_dir.h"

namespace {

using eventtest::kKmPerSample;
using eventtest::kTimePerSample;
using eventtest::MakeEventDoc;

using SpyView = lumivane::test::CountingView;

class EventEditingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    eventtest::ResetGlobals();
    doc->AddView(spy, PaneKind::Trace);
  }

  std::vector<std::int16_t> Numbers() const {
    std::vector<std::int16_t> numbers;
    for (int i = 0; i < doc->m_SorRecord.KeyEvents.KeyEventCount; ++i) numbers.push_back(doc->m_SorRecord.KeyEvents.Events[i].EventNumber);
    return numbers;
  }

  // The key events and the rows must describe the same events, in time order.
  void ExpectConsistent() const {
    const SorKeyEvents& keys = doc->m_SorRecord.KeyEvents;
    ASSERT_EQ(doc->m_nEventCount, keys.KeyEventCount);
    for (int i = 0; i < keys.KeyEventCount; ++i) {
      EXPECT_NEAR(doc->m_EventRows[static_cast<std::size_t>(i)].Distance, keys.Events[i].TimeOfFlight / kTimePerSample * kKmPerSample, 1e-4);
      if (i > 0) {
        EXPECT_LT(keys.Events[i - 1].TimeOfFlight, keys.Events[i].TimeOfFlight);
      }
    }
  }

  // The edited record survives writing and reading back.
  void ExpectSaveable() const {
    std::vector<std::uint8_t> image;
    ASSERT_EQ(AssembleSorImage(doc->m_SorRecord, image), SorWriteResult::kOk);
    auto back = std::make_unique<SorRecord>();
    ASSERT_EQ(ReadSorImage(image, *back), SorReadResult::kOk);
    ASSERT_EQ(back->KeyEvents.KeyEventCount, doc->m_SorRecord.KeyEvents.KeyEventCount);
    for (int i = 0; i < back->KeyEvents.KeyEventCount; ++i) {
      EXPECT_EQ(back->KeyEvents.Events[i].TimeOfFlight, doc->m_SorRecord.KeyEvents.Events[i].TimeOfFlight);
      EXPECT_EQ(back->KeyEvents.Events[i].EventNumber, doc->m_SorRecord.KeyEvents.Events[i].EventNumber);
      EXPECT_EQ(std::u16string_view(back->KeyEvents.Events[i].EventCode), std::u16string_view(doc->m_SorRecord.KeyEvents.Events[i].EventCode));
    }
  }

  AddEventStart ProposeAt(int sample, int activeMarker = 0) {
    doc->m_MarkerState.ActiveMarker = activeMarker;
    (activeMarker == 0 ? doc->m_MarkerState.MarkerA : doc->m_MarkerState.MarkerB) = sample;
    doc->SetMarkerWindows();
    return ProposeEvent(*doc, measurements);
  }

  std::unique_ptr<COtdrDoc> doc = MakeEventDoc();
  SpyView spy;
  AddEventMeasurements measurements{*doc};
};

TEST_F(EventEditingTest, DeleteShiftsLaterEventsDownAndTellsThePanes) {
  ASSERT_EQ(Numbers(), (std::vector<std::int16_t>{1, 2, 3, 4}));
  ASSERT_TRUE(DeleteEvent(*doc, 1));
  EXPECT_EQ(Numbers(), (std::vector<std::int16_t>{1, 2, 3}));
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.Events[1].TimeOfFlight, 5000 * kTimePerSample);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.Events.size(), 3u) << "the freed row is gone";
  const auto& losses = doc->m_SorRecord.UserName.EventLossTable;
  EXPECT_EQ((std::vector<int>{losses[0], losses[1], losses[2], losses[3]}), (std::vector<int>{1000, 3000, 4000, 0}));
  EXPECT_EQ(doc->m_nEndEventRow, 2);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(g_DisplayState.TableRedrawRequest, 1);
  EXPECT_EQ(g_DisplayState.LinkOrlDirty, 0) << "the link's start and end stay";
  EXPECT_EQ(spy.updates, 1);
  EXPECT_EQ(spy.lastSender, nullptr);
  ExpectConsistent();
  ExpectSaveable();
}

TEST_F(EventEditingTest, DeleteOfANonEventChangesNothing) {
  for (const int r : {-1, 4, 999}) {
    EXPECT_FALSE(DeleteEvent(*doc, r));
    EXPECT_EQ(doc->m_SorRecord.KeyEvents.KeyEventCount, 4);
  }
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(spy.updates, 0);
}

TEST_F(EventEditingTest, AddOnPlainFibreProposesANonReflectiveEventAndInsertsItInOrder) {
  const AddEventStart start = ProposeAt(3500);
  ASSERT_EQ(start.refusal, AddEventRefusal::None);
  const AddEventProposal& p = start.proposal;
  EXPECT_EQ(p.type, kEventNonReflective);
  EXPECT_EQ(p.reflectance, -78.0f);
  EXPECT_NEAR(p.location, 3500 * kKmPerSample, 1e-5);
  EXPECT_NEAR(p.attenuation, 0.2f, 0.02f);
  EXPECT_NEAR(p.insertionLoss, 0.0f, 0.02f);
  EXPECT_NEAR(p.cumulativeLoss, 0.5f + 0.2f * 3500 * kKmPerSample, 0.05f);
  EXPECT_NEAR(p.locationMax, RoundHalfUp(static_cast<float>(doc->m_dFibreLengthKm), 3), 1e-6);
  EXPECT_EQ(p.attenuationMax, 32.0);
  EXPECT_EQ(p.attenuationMin, -32.0);
  ASSERT_EQ(CheckProposal(*doc, p), AddEventRefusal::None);

  DeleteEvent(*doc, 1);
  spy.updates = 0;
  InsertEvent(*doc, p);
  EXPECT_EQ(Numbers(), (std::vector<std::int16_t>{0, 1, 2, 3})) << "every key event renumbered from 0";
  const SorKeyEvent& added = doc->m_SorRecord.KeyEvents.Events[1];
  EXPECT_EQ(std::u16string_view(added.EventCode), u"0A9999");
  EXPECT_EQ(std::u16string_view(added.LossTechnique), u"LS");
  EXPECT_EQ(added.Reflectance, -78000);
  EXPECT_NEAR(added.MarkerLocations[4], 3500 * kTimePerSample, 1);
  EXPECT_EQ(doc->m_EventRows[1].Origin, kOriginUserAdded);
  const auto& losses = doc->m_SorRecord.UserName.EventLossTable;
  EXPECT_EQ(losses[1], static_cast<std::int32_t>(p.cumulativeLoss * 1000.0f));
  EXPECT_EQ(losses[2], 3000) << "later entries moved up";
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.EndToEndMarker2, 0) << "only an added end sets the end-to-end values";
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(spy.updates, 1);
  ExpectConsistent();
  ExpectSaveable();
}

// What the Marker Information pane shows and the printed report takes from it.
std::vector<std::string> ShownReadings(const COtdrDoc& doc) {
  const LengthUnit unit{"km", 1.0};
  std::vector<std::string> shown;
  for (const PaneLine& line : MarkerInfoLines(doc, doc.m_MarkerReadings, MarkerOrlOf(doc), unit)) shown.push_back(line.value);
  for (const std::string& text : MarkerReadingTexts(doc, unit)) shown.push_back(text);
  shown.push_back(std::to_string(MarkerEventNumber(doc)));
  return shown;
}

TEST_F(EventEditingTest, AddingThenDeletingAnotherEventLeavesTheChosenEventsReadings) {
  doc->SetValuesUpdate([](COtdrDoc& d, DocView*, int hint) { UpdateMarkerReadings(d, hint, d.m_MarkerReadings); });
  ASSERT_TRUE(ChooseEventRow(*doc, g_DisplayState, 2));
  doc->UpdateAllViews(nullptr, kHintEventChosen);
  const std::vector<std::string> before = ShownReadings(*doc);
  const double storedLoss = doc->m_SorRecord.KeyEvents.Events[2].SpliceLoss / 1000.0;
  ASSERT_NEAR(doc->m_MarkerReadings.m_dInsLoss, storedLoss, 1e-9);

  // Marker B proposes the new event before the chosen one; A, active again, stays on its event.
  const AddEventStart start = ProposeAt(3500, 1);
  ASSERT_EQ(start.refusal, AddEventRefusal::None);
  doc->m_MarkerState.ActiveMarker = 0;
  InsertEvent(*doc, start.proposal);
  EXPECT_EQ(doc->m_nCurrentEvent, 3) << "the current event follows its row";
  EXPECT_EQ(g_DisplayState.SelectedEventRow, 3);
  EXPECT_NEAR(doc->m_MarkerReadings.m_dInsLoss, storedLoss, 1e-9) << "still the chosen event's stored loss";

  ASSERT_TRUE(DeleteEvent(*doc, 2));
  EXPECT_EQ(doc->m_nCurrentEvent, 2);
  EXPECT_EQ(g_DisplayState.SelectedEventRow, 2);
  EXPECT_EQ(ShownReadings(*doc), before);

  // Once the marker leaves the event the readings are measured at the marker again.
  doc->m_MarkerState.MarkerA = 3500;
  doc->UpdateAllViews(nullptr, kHintRefresh);
  EXPECT_NE(doc->m_MarkerReadings.m_dInsLoss, storedLoss);
  doc->m_MarkerState.MarkerA = 5000;
  doc->UpdateAllViews(nullptr, kHintRefresh);
  EXPECT_EQ(doc->m_MarkerReadings.m_nEventSample, -1) << "back on the event by hand: measured, not chosen";
}

TEST_F(EventEditingTest, DeletingTheChosenEventReadsAtTheMarker) {
  doc->SetValuesUpdate([](COtdrDoc& d, DocView*, int hint) { UpdateMarkerReadings(d, hint, d.m_MarkerReadings); });
  ASSERT_TRUE(ChooseEventRow(*doc, g_DisplayState, 2));
  doc->UpdateAllViews(nullptr, kHintEventChosen);
  const MarkerReadings chosen = doc->m_MarkerReadings;
  ASSERT_TRUE(DeleteEvent(*doc, 2));
  EXPECT_EQ(doc->m_MarkerReadings.m_nEventSample, -1);
  EXPECT_NE(doc->m_MarkerReadings.m_dInsLoss, chosen.m_dInsLoss);
}

TEST(FollowEventRowsTest, RowsBeyondAnEditMoveWithTheirEvent) {
  struct Case {
    int current;
    int editedRow;
    int by;
    int expected;
  };
  const Case cases[] = {
      {3, 1, 1, 4}, {3, 3, 1, 4}, {3, 4, 1, 3},     // a row added before, at or after the current one
      {3, 1, -1, 2}, {3, 3, -1, 3}, {3, 4, -1, 3},  // deleted before, the current one itself, after
  };
  for (const Case& c : cases) {
    eventtest::ResetGlobals();
    const std::unique_ptr<COtdrDoc> d = MakeEventDoc();
    d->m_nCurrentEvent = c.current;
    g_DisplayState.SelectedEventRow = c.current;
    FollowEventRows(*d, g_DisplayState, c.editedRow, c.by);
    EXPECT_EQ(d->m_nCurrentEvent, c.expected) << c.editedRow << " " << c.by;
    EXPECT_EQ(g_DisplayState.SelectedEventRow, c.expected) << c.editedRow << " " << c.by;
  }
  g_DisplayState.SelectedEventRow = -1;
  FollowEventRows(*MakeEventDoc(), g_DisplayState, 0, 1);
  EXPECT_EQ(g_DisplayState.SelectedEventRow, -1) << "no row selected stays so";
}

TEST_F(EventEditingTest, AddOnTheMarkerOfAnEventIsRefused) {
  EXPECT_EQ(ProposeAt(2000).refusal, AddEventRefusal::EventAlreadyHere);
  EXPECT_EQ(ProposeAt(5000, 1).refusal, AddEventRefusal::EventAlreadyHere);
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(EventEditingTest, WithoutAnEndTheProposalIsAnEnd) {
  DeleteEvent(*doc, 3);
  ASSERT_EQ(HasEndEvent(*doc), 0);
  const AddEventStart start = ProposeAt(8000);
  ASSERT_EQ(start.refusal, AddEventRefusal::None);
  EXPECT_EQ(start.proposal.type, kEventEnd);
  EXPECT_EQ(start.proposal.insertionLoss, 0.0f);

  const AddEventProposal& p = start.proposal;
  ASSERT_EQ(CheckProposal(*doc, p), AddEventRefusal::None);
  InsertEvent(*doc, p);
  const SorKeyEvents& keys = doc->m_SorRecord.KeyEvents;
  EXPECT_EQ(std::u16string_view(keys.Events[3].EventCode), u"1D9999");
  // Stored as proposed: the measured reflection, or not measured (0) when the trace gave none.
  EXPECT_EQ(keys.Events[3].Reflectance,
            IsMissingValue(p.reflectance) ? 0 : static_cast<std::int32_t>(std::lround(p.reflectance * 1000.0)));
  EXPECT_EQ(keys.EndToEndMarker2, keys.Events[3].TimeOfFlight);
  EXPECT_GT(keys.EndToEndLoss, 0);
  EXPECT_EQ(HasEndEvent(*doc), 1);
  EXPECT_EQ(doc->m_nEndEventRow, 3);
  ExpectSaveable();
}

TEST_F(EventEditingTest, MissingMeasurementsStayMissingSoTheDialogRefusesThem) {
  doc->m_SorRecord.KeyEvents.KeyEventCount = 0;
  eventtest::Rebuild(*doc);
  const AddEventStart start = ProposeAt(3000);
  ASSERT_EQ(start.refusal, AddEventRefusal::None);
  EXPECT_EQ(start.proposal.cumulativeLoss, kMissingValue);
  EXPECT_EQ(start.proposal.attenuation, kMissingValue) << "not clamped to a plausible 32";
}

TEST_F(EventEditingTest, AnAttenuationBeyondTheDialogsRangeIsMissingNotTheRangesEdge) {
  // A section level far off the one measured at the new event (a window over a reflection, a
  // derived level on a file without windows) gives an attenuation no fibre has.
  doc->m_EventRows[1].CumulativeLoss = 150.0f;
  const AddEventStart start = ProposeAt(3500);
  ASSERT_EQ(start.refusal, AddEventRefusal::None);
  EXPECT_EQ(start.proposal.attenuation, kMissingValue) << "not stored as -32 dB/km";
  InsertEvent(*doc, start.proposal);
  const SorKeyEvents& keys = doc->m_SorRecord.KeyEvents;
  for (int i = 0; i < keys.KeyEventCount; ++i) {
    if (keys.Events[i].TimeOfFlight == doc->DistanceToTime(static_cast<float>(start.proposal.location))) {
      EXPECT_EQ(keys.Events[i].Slope, 0) << "not measured";
    }
  }
}

TEST_F(EventEditingTest, ConfirmedProposalIsCheckedAgainstTheKeyEvents) {
  AddEventProposal p;
  p.type = kEventEnd;
  p.location = static_cast<float>(6000 * kKmPerSample);
  EXPECT_EQ(CheckProposal(*doc, p), AddEventRefusal::EndAlreadyExists);
  p.type = kEventReflective;
  EXPECT_EQ(CheckProposal(*doc, p), AddEventRefusal::None);
  p.location = static_cast<float>(5001 * kKmPerSample);
  EXPECT_EQ(CheckProposal(*doc, p), AddEventRefusal::EventAlreadyHere) << "within one and a half samples";
  p.location = static_cast<float>(5002 * kKmPerSample);
  EXPECT_EQ(CheckProposal(*doc, p), AddEventRefusal::None);
}

TEST_F(EventEditingTest, StoredFieldsAreRoundedHalfUp) {
  SetLengthUnit("kft");
  AddEventProposal p;
  p.type = kEventReflective;
  p.location = static_cast<float>(6000 * kKmPerSample * g_LengthUnitFactor);
  p.attenuation = 0.1f;         // dB/kft
  p.insertionLoss = 0.25f;
  p.reflectance = -45.6786f;    // x 1000 = -45678.6, shown as -45.679
  InsertEvent(*doc, p);
  const SorKeyEvent& added = doc->m_SorRecord.KeyEvents.Events[3];
  EXPECT_EQ(added.TimeOfFlight, 6000 * kTimePerSample);
  EXPECT_EQ(added.Slope, 328) << "stored per km: 0.1 x 1000 x 3.2808";
  EXPECT_EQ(added.SpliceLoss, 250);
  EXPECT_EQ(added.Reflectance, -45679);
  EXPECT_EQ(std::u16string_view(added.EventCode), u"1A9999");
}

TEST_F(EventEditingTest, KftBoundsAndRoundedValues) {
  SetLengthUnit("kft");
  const AddEventStart start = ProposeAt(3500);
  ASSERT_EQ(start.refusal, AddEventRefusal::None);
  EXPECT_NEAR(start.proposal.attenuationMax, 32.0 / 3.280839895, 1e-9);
  EXPECT_NEAR(start.proposal.location, RoundHalfUp(static_cast<float>(3500 * kKmPerSample), 5) * 3.280839895, 1e-4);
}

// A value Add Event cannot measure is missing in the table and not measured (0) in the file, never
// the largest number a field holds; so is a measurement outside what the dialog accepts.
TEST_F(EventEditingTest, ValuesAddEventCannotMeasureStayMissing) {
  const struct {
    const char* what;
    float reflectance;
    float insertionLoss;
    float cumulativeLoss;
  } cases[] = {
      {"no reflection measured", kMissingValue, 0.2f, 1.0f},
      {"no loss measured", -40.0f, kMissingValue, kMissingValue},
      {"nothing measured", kMissingValue, kMissingValue, kMissingValue},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    doc = MakeEventDoc();
    AddEventProposal p;
    p.type = kEventReflective;
    p.location = static_cast<float>(6000 * kKmPerSample);
    p.reflectance = c.reflectance;
    p.insertionLoss = c.insertionLoss;
    p.cumulativeLoss = c.cumulativeLoss;
    p.attenuation = kMissingValue;
    InsertEvent(*doc, p);
    const SorKeyEvent& added = doc->m_SorRecord.KeyEvents.Events[3];
    EXPECT_EQ(added.Reflectance, IsMissingValue(c.reflectance) ? 0 : -40000);
    EXPECT_EQ(added.SpliceLoss, IsMissingValue(c.insertionLoss) ? 0 : 200);
    EXPECT_EQ(added.Slope, 0);
    EXPECT_EQ(doc->m_SorRecord.UserName.EventLossTable[3], IsMissingValue(c.cumulativeLoss) ? 0 : 1000);
    const EventTableView table = ComputeEventTable(*doc, 1.0);
    if (IsMissingValue(c.reflectance)) {
      EXPECT_EQ(table.rows[3].texts[kColReflectance], kNoValueText);
    }
    if (IsMissingValue(c.insertionLoss)) {
      EXPECT_EQ(table.rows[3].texts[kColInsertionLoss], kNoValueText);
    }
    ExpectSaveable();
  }
}

TEST_F(EventEditingTest, ProposedValuesOutsideTheDialogsRangeAreMissing) {
  // A peak far above the backscatter reads as a reflection above 0 dB, which no event has.
  for (int i = 3495; i <= 3505; ++i) doc->m_DbSamples.Values[static_cast<std::size_t>(i)] = -60.0;
  const AddEventStart start = ProposeAt(3500);
  ASSERT_EQ(start.refusal, AddEventRefusal::None);
  const AddEventProposal& p = start.proposal;
  for (const auto& [value, low, high] : {std::tuple{p.reflectance, kAddEventReflectanceMin, kAddEventReflectanceMax},
                                         std::tuple{p.insertionLoss, -kAddEventLossLimit, kAddEventLossLimit},
                                         std::tuple{p.cumulativeLoss, 0.0, kAddEventCumulativeLossMax}}) {
    EXPECT_TRUE(IsMissingValue(value) || (value >= low && value <= high)) << value;
  }
}

// The stored windows of an added event count from the user's zero, as every stored time does; other
// readers take them as unsigned, so none may lie before the zero.
TEST_F(EventEditingTest, AddedWindowsNeverStartBeforeTheUserZero) {
  doc->m_SorRecord.GenParams.UserOffset = 1000 * kTimePerSample;  // the zero lies at sample 1000
  eventtest::Rebuild(*doc);
  const AddEventStart start = ProposeAt(1200);
  ASSERT_EQ(start.refusal, AddEventRefusal::None);
  InsertEvent(*doc, start.proposal);
  for (const SorKeyEvent& event : doc->m_SorRecord.KeyEvents.Events) {
    for (const std::int32_t location : event.MarkerLocations) EXPECT_GE(location, 0);
  }
}

// Add Event counts its cumulative loss from the launch level the table counts from, also when the
// launch's own reflection covers the launch window.
TEST_F(EventEditingTest, AddEventCumulativeLossCountsFromTheTablesLaunchLevel) {
  for (const bool windowInReflection : {false, true}) {
    SCOPED_TRACE(windowInReflection ? "launch window inside the launch reflection" : "clear launch window");
    const std::unique_ptr<COtdrDoc> d = MakeEventDoc();
    if (windowInReflection) {
      for (int i = 0; i < 30; ++i) d->m_DbSamples.Values[static_cast<std::size_t>(i)] -= 8.0;
      d->m_SorRecord.KeyEvents.Events[0].MarkerLocations[2] = 5 * kTimePerSample;
      eventtest::Rebuild(*d);
    }
    const float tableLoss = d->m_EventRows[2].CumulativeLoss;  // the splice at sample 5000
    ASSERT_FALSE(IsMissingValue(tableLoss));
    d->m_MarkerState.MarkerA = 4900;
    d->SetMarkerWindows();
    AddEventMeasurements measured{*d};
    const AddEventStart start = ProposeEvent(*d, measured);
    ASSERT_EQ(start.refusal, AddEventRefusal::None);
    // 100 samples before the splice, less the fibre between them.
    EXPECT_NEAR(start.proposal.cumulativeLoss, tableLoss - 0.2 * 100 * kKmPerSample, 0.02);
  }
}

// A file that stores no windows (every marker location 0), its losses following from its slopes of
// 0.2 dB/km; with `userZeroSample` the user's zero lies that many samples in.
std::unique_ptr<COtdrDoc> MakeWindowlessDoc(int userZeroSample) {
  std::unique_ptr<COtdrDoc> d = MakeEventDoc();
  d->m_SorRecord.GenParams.UserOffset = userZeroSample * kTimePerSample;
  for (SorKeyEvent& event : d->m_SorRecord.KeyEvents.Events) {
    std::fill(std::begin(event.MarkerLocations), std::end(event.MarkerLocations), 0);
    event.Slope = 200;
  }
  eventtest::Rebuild(*d);
  return d;
}

// One reading at one marker: Add Event proposes the cumulative loss the Marker Information pane
// shows there, on a file with windows and on one without (with and without a user offset).
TEST_F(EventEditingTest, AddEventProposesThePanesCumulativeLossAtTheMarker) {
  const struct {
    const char* what;
    std::function<std::unique_ptr<COtdrDoc>()> make;
  } cases[] = {
      {"windows", [] { return MakeEventDoc(); }},
      {"no windows", [] { return MakeWindowlessDoc(0); }},
      {"no windows, user's zero 547 samples in", [] { return MakeWindowlessDoc(547); }},
  };
  for (const auto& c : cases) {
    for (const int sample : {1200, 3500, 6000}) {
      SCOPED_TRACE(std::string(c.what) + " at sample " + std::to_string(sample));
      const std::unique_ptr<COtdrDoc> d = c.make();
      // Noise on the marker's own sample: one reading, not a sample for one and a line for the other.
      d->m_DbSamples.Values[static_cast<std::size_t>(sample)] += 0.05;
      d->m_MarkerState.MarkerA = sample;
      d->SetMarkerWindows();
      MarkerReadings readings;
      UpdateMarkerReadings(*d, kHintRefresh, readings);
      ASSERT_FALSE(IsMissingValue(static_cast<float>(readings.m_dCumLoss)));
      AddEventMeasurements measured{*d};
      const AddEventStart start = ProposeEvent(*d, measured);
      ASSERT_EQ(start.refusal, AddEventRefusal::None);
      EXPECT_EQ(start.proposal.cumulativeLoss, RoundHalfUp(static_cast<float>(readings.m_dCumLoss), 3));
    }
  }
}

// Without windows the cumulative losses follow from the stored losses and slopes; an edit keeps the
// loss of the fibre after it: a deleted event's loss is still in the section that replaces it, an
// added event's was already in the section it splits. The End row keeps agreeing with Total Loss.
// A section without a slope is measured on the trace, so the losses behind it are known too.
TEST_F(EventEditingTest, WithoutWindowsAnEditKeepsTheCumulativeLossOfTheEventsAfterIt) {
  const struct {
    const char* what;
    std::function<void(COtdrDoc&)> edit;
    int splice, end;  // rows after the edit
  } cases[] = {
      {"delete the connector", [](COtdrDoc& d) { ASSERT_TRUE(DeleteEvent(d, 1)); }, 1, 2},
      {"delete the connector after a section without a slope",
       [](COtdrDoc& d) {
         d.m_SorRecord.KeyEvents.Events[1].Slope = 0;
         ASSERT_TRUE(DeleteEvent(d, 1));
       },
       1, 2},
      {"add an event on the fibre",
       [](COtdrDoc& d) {
         d.m_MarkerState.MarkerA = 3500;
         d.SetMarkerWindows();
         AddEventMeasurements measured{d};
         const AddEventStart start = ProposeEvent(d, measured);
         ASSERT_EQ(start.refusal, AddEventRefusal::None);
         InsertEvent(d, start.proposal);
       },
       3, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::unique_ptr<COtdrDoc> d = MakeWindowlessDoc(0);
    const float splice = d->m_EventRows[2].CumulativeLoss;
    const float end = d->m_EventRows[3].CumulativeLoss;
    ASSERT_NEAR(splice, 0.5 + 0.2 * 5000 * kKmPerSample, 1e-4);
    c.edit(*d);
    for (const auto& [row, kept] : {std::pair{c.splice, splice}, std::pair{c.end, end}}) {
      EXPECT_NEAR(d->m_EventRows[static_cast<std::size_t>(row)].CumulativeLoss, kept, 0.0006) << row;
    }
    EXPECT_EQ(d->m_nEndEventRow, c.end);
  }
}

// The End stores the splice's window, over the fibre in front of the splice: it measures other fibre
// and is not read. Deleting the splice does not bring it into use (it would miss the splice's step
// the trace still holds): the End keeps its loss, to the merged section's stored slope.
TEST_F(EventEditingTest, DeletingAnEventLeavesAWindowOverOtherFibreUnread) {
  auto& keys = doc->m_SorRecord.KeyEvents.Events;
  keys[3].MarkerLocations[0] = keys[2].MarkerLocations[0];
  keys[3].MarkerLocations[1] = keys[2].MarkerLocations[1];
  eventtest::Rebuild(*doc);
  const float end = doc->m_EventRows[3].CumulativeLoss;
  ASSERT_NEAR(end, 0.8 + 0.2 * 8000 * kKmPerSample, 0.002);
  ASSERT_TRUE(DeleteEvent(*doc, 2));
  const double mergedKm = 6000 * kKmPerSample;
  EXPECT_NEAR(doc->m_EventRows[2].CumulativeLoss, end, 0.0005 * mergedKm + 1e-4);
  EXPECT_EQ(keys[2].MarkerLocations[0], 0);
  EXPECT_EQ(keys[2].MarkerLocations[1], 0);
}

// Adding or deleting an event keeps the link ORL the file stores unless the link's start or end moves.
TEST_F(EventEditingTest, EditsKeepTheStoredLinkOrlUnlessTheLinkChanges) {
  const struct {
    const char* what;
    std::function<void(COtdrDoc&)> edit;
    bool linkChanged;
  } cases[] = {
      {"delete a splice", [](COtdrDoc& d) { DeleteEvent(d, 2); }, false},
      {"delete the end", [](COtdrDoc& d) { DeleteEvent(d, 3); }, true},
      {"add a splice",
       [](COtdrDoc& d) {
         AddEventProposal p;
         p.type = kEventNonReflective;
         p.location = static_cast<float>(3500 * kKmPerSample);
         p.insertionLoss = 0.007f;
         InsertEvent(d, p);
       },
       false},
      {"add an end",
       [](COtdrDoc& d) {
         DeleteEvent(d, 3);
         AddEventProposal p;
         p.type = kEventEnd;
         p.location = static_cast<float>(8000 * kKmPerSample);
         InsertEvent(d, p);
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    doc = MakeEventDoc();
    doc->m_SorRecord.KeyEvents.OpticalReturnLoss = 36018;
    g_DisplayState.LinkOrlDirty = 0;
    c.edit(*doc);
    EXPECT_EQ(g_DisplayState.LinkOrlDirty, c.linkChanged ? 1 : 0);
    if (!c.linkChanged) {
      EXPECT_FLOAT_EQ(TakeLinkOrl(*doc), 36.018f);
      EXPECT_EQ(doc->m_SorRecord.KeyEvents.OpticalReturnLoss, 36018);
    }
    g_DisplayState.LinkOrlDirty = 0;
  }
}

TEST_F(EventEditingTest, EventsBeyondTheLossTableGetNoEntry) {
  SorRecord& record = doc->m_SorRecord;
  record.KeyEvents.KeyEventCount = 1;
  for (int i = 1; i < 230; ++i) eventtest::AddKeyEvent(record, 30 * i, u"0F9999", 100, 0);
  eventtest::Rebuild(*doc);
  auto& losses = record.UserName.EventLossTable;
  for (int i = 0; i < kSorLossTableSize; ++i) losses[i] = i;
  AddEventProposal p;
  p.type = kEventReflective;
  p.location = static_cast<float>(9000 * kKmPerSample);
  p.cumulativeLoss = 7.0f;
  InsertEvent(*doc, p);
  EXPECT_EQ(record.KeyEvents.KeyEventCount, 231);
  EXPECT_EQ(record.KeyEvents.Events[230].TimeOfFlight, 9000 * kTimePerSample);
  for (int i = 0; i < kSorLossTableSize; ++i) ASSERT_EQ(losses[i], i) << i;

  p.location = static_cast<float>(15 * kKmPerSample);
  InsertEvent(*doc, p);
  EXPECT_EQ(losses[1], 7000) << "inserted after the launch";
  EXPECT_EQ(losses[2], 1);
  EXPECT_EQ(losses[199], 198) << "the shift stops at the last entry";
  ExpectConsistent();
}

}  // namespace

namespace {

using Bytes = std::vector<std::uint8_t>;

// The bytes of each key event of a file image, less its number (Add Event renumbers every event).
std::vector<Bytes> KeyEventBytes(const Bytes& image) {
  constexpr std::size_t kFixedBytes = 42;  // number to marker locations, the comment follows
  std::vector<Bytes> events;
  for (const SorMappedBlock& block : ReadSorMapLayout(image).blocks) {
    if (block.name != "KeyEvents") continue;
    std::size_t at = static_cast<std::size_t>(block.offset) + block.name.size() + 1;
    const int count = image[at] | (image[at + 1] << 8);
    at += 2;
    for (int e = 0; e < count && at + kFixedBytes <= image.size(); ++e) {
      std::size_t end = at + kFixedBytes;
      while (end < image.size() && image[end] != 0) ++end;
      events.emplace_back(image.begin() + static_cast<std::ptrdiff_t>(at) + 2,
                          image.begin() + static_cast<std::ptrdiff_t>(std::min(end + 1, image.size())));
      at = end + 1;
    }
  }
  return events;
}

// Makes a key-event comment of the file longer than the record keeps (19 characters), as other
// makers' files hold them.
void Lengthen(Bytes& image, std::string_view comment, std::string_view more) {
  const auto at = std::search(image.begin(), image.end(), comment.begin(), comment.end());
  ASSERT_NE(at, image.end());
  image.insert(at + static_cast<std::ptrdiff_t>(comment.size()), more.begin(), more.end());
  // The map lists the block first: its name, zero, revision, then the size.
  constexpr std::string_view kName = "KeyEvents";
  const auto entry = static_cast<std::size_t>(std::search(image.begin(), image.end(), kName.begin(), kName.end()) - image.begin());
  const std::size_t size = entry + kName.size() + 3;
  const std::uint32_t before = image[size] | image[size + 1] << 8 | image[size + 2] << 16 | static_cast<std::uint32_t>(image[size + 3]) << 24;
  lumivane::test::PatchU32(image, size, before + static_cast<std::uint32_t>(more.size()));
}

// A saturated connector and a saturated end ('2' codes) with comments longer than the record's
// field, opened from a file as a technician's trace is.
class SavedEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    eventtest::ResetGlobals();
    doc = eventtest::MakeEventDoc();
    SorKeyEvents& keys = doc->m_SorRecord.KeyEvents;
    SetSorText(keys.Events[1].EventCode, std::string_view("2F9999"));
    SetSorText(keys.Events[1].Comment, std::string_view("patch panel rack 3"));
    SetSorText(keys.Events[3].EventCode, std::string_view("2E9999"));
    SetSorText(keys.Events[3].Comment, std::string_view("far end"));
    SetSorText(keys.Events[2].Comment, std::string_view("splice tray 4"));
    ASSERT_EQ(AssembleSorImage(doc->m_SorRecord, source), SorWriteResult::kOk);
    Lengthen(source, "patch panel rack 3", ", shelf 2");
    Lengthen(source, "far end", ", customer premises");
    ASSERT_EQ(ReadSorImage(source, doc->m_SorRecord), SorReadResult::kOk);
    doc->m_strTracePath = dir.WriteFile("trace.sor", source);
    eventtest::Rebuild(*doc);
  }

  std::unique_ptr<COtdrDoc> doc;
  lumivane::test::TempDir dir;
  Bytes source;
};

TEST_F(SavedEventsTest, SavesWriteEveryUntouchedEventByteForByte) {
  struct Case {
    const char* edit;
    std::function<void(COtdrDoc&)> apply;
    std::vector<int> placeOfSourceEvent;  // where each source event lies after the edit (-1: deleted)
  };
  const auto addAt = [](int sample) {
    return [sample](COtdrDoc& d) {
      d.m_MarkerState.MarkerA = sample;
      d.SetMarkerWindows();
      AddEventMeasurements measurements(d);
      const AddEventStart start = ProposeEvent(d, measurements);
      ASSERT_EQ(start.refusal, AddEventRefusal::None);
      ASSERT_EQ(CheckProposal(d, start.proposal), AddEventRefusal::None);
      InsertEvent(d, start.proposal);
    };
  };
  const Case cases[] = {
      {"plain save", [](COtdrDoc&) {}, {0, 1, 2, 3}},
      {"add before the saturated connector", addAt(1000), {0, 2, 3, 4}},
      {"add between the splice and the end", addAt(6500), {0, 1, 2, 4}},
      {"delete the splice", [](COtdrDoc& d) { ASSERT_TRUE(DeleteEvent(d, 2)); }, {0, 1, -1, 2}},
  };
  const std::vector<Bytes> before = KeyEventBytes(source);
  ASSERT_EQ(before.size(), 4u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edit);
    SetUp();
    c.apply(*doc);
    ASSERT_TRUE(OnFileSave(*doc, SaveEnvironment{}));
    const Bytes saved = lumivane::test::TempDir::ReadFile(doc->m_strTracePath);
    const std::vector<Bytes> after = KeyEventBytes(saved);
    for (std::size_t e = 0; e < before.size(); ++e) {
      const int place = c.placeOfSourceEvent[e];
      if (place < 0) continue;
      ASSERT_LT(static_cast<std::size_t>(place), after.size());
      EXPECT_EQ(after[static_cast<std::size_t>(place)], before[e]) << "source event " << e;
    }
    auto back = std::make_unique<SorRecord>();
    ASSERT_EQ(ReadSorImage(saved, *back), SorReadResult::kOk);
    EXPECT_EQ(std::u16string(SorTextView(back->KeyEvents.Events[c.placeOfSourceEvent[1]].EventCode)), u"2F9999");
    EXPECT_EQ(std::u16string(SorTextView(back->KeyEvents.Events[c.placeOfSourceEvent[3]].EventCode)), u"2E9999");
  }
}

}  // namespace
