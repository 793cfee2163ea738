#include "panes/event_table_rules.h"

#include <gtest/gtest.h>

#include "document/event_choice.h"
#include "event_doc_fixture.h"

namespace {

using eventtest::kKmPerSample;
using eventtest::MakeEventDoc;

TEST(FindMarkerEventNumber, SpansRunHalfWayToTheNeighbours) {
  std::array<EventRow, 3> rows{};
  rows[0].Distance = 0.0f;
  rows[1].Distance = 4.0f;
  rows[2].Distance = 10.0f;
  const auto find = [&rows](double d) { return FindMarkerEventNumber(rows, 12.0, d); };
  EXPECT_EQ(find(0.0), std::nullopt) << "exactly at the first event: no span holds it strictly";
  EXPECT_EQ(find(1.0), 1);
  EXPECT_EQ(find(2.0), std::nullopt) << "exactly at the midpoint belongs to neither";
  EXPECT_EQ(find(2.0001), 2);
  EXPECT_EQ(find(6.9999), 2);
  EXPECT_EQ(find(7.0001), 3);
  EXPECT_EQ(find(11.999), 3) << "the last span runs to the fibre end";
  EXPECT_EQ(find(12.0), std::nullopt);
  EXPECT_EQ(FindMarkerEventNumber({}, 12.0, 1.0), std::nullopt);
}

TEST(StepKeyRow, StaysWithinTheRows) {
  struct Case {
    int keyRow;
    EventTableKey key;
    int count;
    int expected;
  };
  const Case cases[] = {
      {0, EventTableKey::Next, 4, 1},     {3, EventTableKey::Next, 4, 3},  {2, EventTableKey::Previous, 4, 1},
      {0, EventTableKey::Previous, 4, 0}, {2, EventTableKey::Other, 4, 2}, {0, EventTableKey::Next, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(StepKeyRow(c.keyRow, c.key, c.count), c.expected);
}

class RowClickTest : public ::testing::Test {
 protected:
  void SetUp() override { eventtest::ResetGlobals(); }
  std::unique_ptr<COtdrDoc> doc = MakeEventDoc();
};

TEST_F(RowClickTest, PutsTheActiveMarkerOnTheClickedEvent) {
  doc->m_MarkerState.ActiveMarker = 1;
  ASSERT_TRUE(ChooseEventRow(*doc, g_DisplayState, 2));
  EXPECT_EQ(doc->m_MarkerState.MarkerB, 5000);
  EXPECT_EQ(doc->m_SorRecord.UserName.StoredCursorB, 5000);
  EXPECT_EQ(doc->m_MarkerState.TableSnapMarker, 1);
  EXPECT_NEAR(g_DisplayState.MarkerBDistance, 5000 * kKmPerSample, 1e-9);
  EXPECT_EQ(doc->m_nCurrentEvent, 2);
  EXPECT_EQ(doc->m_nTableClickedEvent, 2);
  EXPECT_EQ(g_DisplayState.SelectedEventRow, 2);
  EXPECT_EQ(g_DisplayState.MarkersFromTable, 1);
  EXPECT_EQ(g_DisplayState.MarkerAZeroFromTable, 0);
}

TEST_F(RowClickTest, MarkerAOnTheLaunchNotesTheZeroDistance) {
  doc->m_MarkerState.MarkerA = 700;
  ASSERT_TRUE(ChooseEventRow(*doc, g_DisplayState, 0));
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 0);
  EXPECT_EQ(doc->m_MarkerState.TableSnapMarker, 0);
  EXPECT_EQ(g_DisplayState.MarkerADistance, 0.0);
  EXPECT_EQ(g_DisplayState.MarkerAZeroFromTable, 1);
}

TEST_F(RowClickTest, ClickBesideTheRowsOnlyRecordsNoRow) {
  doc->m_nCurrentEvent = 1;
  EXPECT_FALSE(ChooseEventRow(*doc, g_DisplayState, -1));
  EXPECT_FALSE(ChooseEventRow(*doc, g_DisplayState, 4));
  EXPECT_EQ(g_DisplayState.SelectedEventRow, 4);
  EXPECT_EQ(doc->m_nTableClickedEvent, -1);
  EXPECT_EQ(doc->m_nCurrentEvent, 1);
  EXPECT_EQ(g_DisplayState.MarkersFromTable, 0);
}

TEST_F(RowClickTest, EventTimeBeyondTheTraceKeepsTheMarkerOnIt) {
  doc->m_SorRecord.KeyEvents.Events[3].TimeOfFlight = 50'000'000;
  ASSERT_TRUE(ChooseEventRow(*doc, g_DisplayState, 3));
  EXPECT_EQ(doc->m_MarkerState.MarkerA, eventtest::kPoints - 1);
}

TEST_F(RowClickTest, OnlyInnerKeyEventsAreDeletable) {
  EXPECT_FALSE(IsDeletableEvent(*doc, -1));
  EXPECT_FALSE(IsDeletableEvent(*doc, 0)) << "start";
  EXPECT_TRUE(IsDeletableEvent(*doc, 1));
  EXPECT_TRUE(IsDeletableEvent(*doc, 2));
  EXPECT_FALSE(IsDeletableEvent(*doc, 3)) << "end";
  EXPECT_FALSE(IsDeletableEvent(*doc, 4)) << "beyond the key events";
}

// The file's offsets move the launch off time 0: stored at the user's zero it shows before or after
// the first sample, and placed on the first sample (as a reanalysis places it) its time is the shift.
TEST_F(RowClickTest, TheLaunchStaysUndeletableWhereverTheOffsetsPutIt) {
  struct Case {
    std::int32_t userOffset;
    std::int32_t acquisitionOffset;
    std::int32_t launchTime;
  };
  const std::int32_t shift = 30 * eventtest::kTimePerSample;
  const Case cases[] = {
      {0, shift, 0},  {0, shift, shift},       {0, shift, 7},   // user zero before the first sample
      {0, 0, 0},      {0, 0, 7},                                 // no offsets
      {shift, 0, 0},  {shift, 0, -shift},      {shift, 0, -7},  // user zero after the first sample
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.userOffset << " - " << c.acquisitionOffset << ", launch at " << c.launchTime);
    doc = MakeEventDoc();
    doc->m_SorRecord.GenParams.UserOffset = c.userOffset;
    doc->m_SorRecord.FxdParams.AcquisitionOffset = c.acquisitionOffset;
    doc->m_SorRecord.KeyEvents.Events[0].TimeOfFlight = c.launchTime;
    eventtest::Rebuild(*doc);
    EXPECT_FALSE(IsDeletableEvent(*doc, 0));
    EXPECT_TRUE(IsDeletableEvent(*doc, 1));
    EXPECT_TRUE(IsDeletableEvent(*doc, 2));
    EXPECT_FALSE(IsDeletableEvent(*doc, 3));
  }
}

}  // namespace
