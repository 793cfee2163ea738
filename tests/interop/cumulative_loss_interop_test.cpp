// The cumulative loss of every sample file, read at a marker, on a chosen row and after an edit, on
// variants of the files with fields changed as other instruments write them: no least-squares
// windows, a user's zero 547 m in, no Start row. One reading at one place, never a number the trace
// does not support.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "analysis/event_measurements.h"
#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/display_state.h"
#include "document/event_choice.h"
#include "document/otdr_doc.h"
#include "measure/add_event_measurements.h"
#include "panes/event_editing.h"
#include "panes/event_table_cells.h"
#include "panes/trace_values.h"
#include "platform/path_util.h"
#include "recording_message_sink.h"
#include "sample_files.h"
#include "temp_dir.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::SampleSorFiles;

// What a shown loss reads: the number, or the missing value for a placeholder ("-.---", "--.---").
float ShownLoss(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos || text.find_first_of("0123456789") == std::string::npos) {
    return kMissingValue;
  }
  return std::strtof(text.c_str() + first, nullptr);
}

// Two shown losses agree when both are missing or both within `tolerance` dB.
::testing::AssertionResult SameLoss(const std::string& a, const std::string& b, double tolerance = 0.0011) {
  const float x = ShownLoss(a);
  const float y = ShownLoss(b);
  if ((x == kMissingValue) == (y == kMissingValue) && (x == kMissingValue || std::fabs(x - y) <= tolerance)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << '"' << a << "\" vs \"" << b << '"';
}

class CumulativeLossInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    ResetLengthUnit();
    ResetDisplayState();
    g_DisplayState.TraceCount = 1;
  }

  // A sample file opened as the open path opens it, after `change` to its record, with the values
  // the panes share brought up to date after every broadcast.
  std::unique_ptr<COtdrDoc> Open(const std::string& name, const std::function<void(SorRecord&)>& change) {
    auto doc = std::make_unique<COtdrDoc>();
    if (doc->OpenTraceFile(lumivane::JoinPath(lumivane::test::SampleDir(), name), 0, doc->m_SorRecord) != 1) return nullptr;
    change(doc->m_SorRecord);
    LoadDisplayModel(kSorFileKind, doc->m_SorRecord, DisplayModelInputs{doc->m_SorRecord.UserName.DistanceCorrection},
                     doc->DisplayModelMembers());
    ApplyStoredLossTotals(doc->m_SorRecord, doc->m_EventRows, doc->m_nEventCount);
    const std::string programFolder = folder.path().string();
    doc->SetValuesUpdate([programFolder](COtdrDoc& d, DocView* sender, int hint) {
      UpdateTraceValues(d, sender, hint, programFolder);
    });
    doc->UpdateAllViews(nullptr, kHintRefresh);
    return doc;
  }

  static std::string TableCell(const COtdrDoc& doc, int row, int column) {
    return ComputeEventTable(doc, 1.0).rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)];
  }
  static std::string Reading(const COtdrDoc& doc, int line) { return MarkerReadingTexts(doc, kLengthUnits[0])[line]; }

  // Marker A on the sample of key event `row`, as a drag puts it there: the reading at the marker.
  static std::string ReadingAtEvent(COtdrDoc& doc, int row) {
    doc.m_MarkerState.ActiveMarker = 0;
    doc.m_MarkerState.MarkerA = TimeToIndex(doc.m_SorRecord.KeyEvents.Events[static_cast<std::size_t>(row)].TimeOfFlight,
                                            doc.m_SorRecord);
    doc.SetMarkerWindows();
    doc.UpdateAllViews(nullptr, kHintRefresh);
    return Reading(doc, kReadingCumulativeLoss);
  }

  // Row `row` chosen in the table: the reading of the chosen event.
  static void Choose(COtdrDoc& doc, int row) {
    doc.m_MarkerState.ActiveMarker = 0;
    ASSERT_TRUE(ChooseEventRow(doc, g_DisplayState, row));
    doc.UpdateAllViews(nullptr, kHintEventChosen);
  }

  static bool InsideTrace(const COtdrDoc& doc, int row) {
    const int index = TimeToIndex(doc.m_SorRecord.KeyEvents.Events[static_cast<std::size_t>(row)].TimeOfFlight, doc.m_SorRecord);
    return index > 0 && index < doc.m_nPointCount;
  }

  lumivane::test::TempDir folder;
  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped{sink};
};

// Files that store no windows: every marker location 0.
void DropWindows(SorRecord& record) {
  for (SorKeyEvent& event : record.KeyEvents.Events) {
    std::fill(std::begin(event.MarkerLocations), std::end(event.MarkerLocations), 0);
  }
}

// A marker on an event reads what the table shows on its row and what the pane shows once the row
// is chosen; without windows, the cumulative loss the file's stored values give, or the placeholder.
// The user's zero 547 m in changes none of it, and no reading exceeds what the link loses up to its end.
TEST_F(CumulativeLossInterop, AMarkerOnAnEventReadsItsRowAlsoWithoutWindowsAndWithAUserOffset) {
  SKIP_WITHOUT_SAMPLES();
  // The stored windows of events under a shifted zero would lie beside their features: the offset
  // is tried on the files without windows.
  const struct {
    bool windows, offset;
  } variants[] = {{true, false}, {false, false}, {false, true}};
  for (const auto& v : variants) {
    for (const auto& file : SampleSorFiles()) {
      SCOPED_TRACE(file.name + (v.windows ? "" : " without windows") + (v.offset ? " with its zero 547 m in" : ""));
      const auto doc = Open(file.name, [v](SorRecord& r) {
        if (!v.windows) DropWindows(r);
        if (v.offset) r.GenParams.UserOffset = TimeOfDistance(0.547f, r.FxdParams.GroupIndex);
      });
      ASSERT_NE(doc, nullptr);
      const int rows = doc->m_nEventCount;
      // What the link loses up to its end bounds every reading before it; a file without an End
      // row says nothing of where the link ends.
      const int end = doc->m_nEndEventRow;
      const float endLoss = end < rows ? doc->m_EventRows[static_cast<std::size_t>(end)].CumulativeLoss : kMissingValue;
      for (int row = 0; row < rows; ++row) {
        if (IsLaunchEvent(row, doc->m_SorRecord) || !InsideTrace(*doc, row)) continue;
        SCOPED_TRACE("row " + std::to_string(row + 1));
        const std::string cell = TableCell(*doc, row, kColCumulativeLoss);
        EXPECT_TRUE(SameLoss(ReadingAtEvent(*doc, row), cell)) << "at the marker";
        Choose(*doc, row);
        EXPECT_TRUE(SameLoss(Reading(*doc, kReadingCumulativeLoss), cell)) << "chosen";
        const float shown = ShownLoss(cell);
        if (shown != kMissingValue && endLoss != kMissingValue && row <= end) {
          EXPECT_LE(shown, endLoss + 1.0f) << "more than the link loses to its end";
        }
      }
    }
  }
}

// Only an event at the user's zero is the launch: with the Start row taken out, the first stored
// event is an event like any other, in the table and in the pane.
TEST_F(CumulativeLossInterop, AFileWithoutAStartRowReadsItsFirstEventAsTheTableShowsIt) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    bool startStored = false;
    const auto doc = Open(file.name, [&startStored](SorRecord& r) {
      // Taken out only where the next event lies behind the user's zero: one before it would be
      // the launch in its turn.
      startStored = StoredKeyEventCount(r.KeyEvents) > 2 && IsLaunchEvent(0, r) && r.KeyEvents.Events[1].TimeOfFlight > 0;
      if (!startStored) return;
      r.KeyEvents.Events.erase(r.KeyEvents.Events.begin());
      r.KeyEvents.KeyEventCount = static_cast<std::int16_t>(r.KeyEvents.Events.size());
    });
    ASSERT_NE(doc, nullptr);
    if (!startStored) continue;
    ASSERT_FALSE(IsLaunchEvent(0, doc->m_SorRecord));
    EXPECT_NE(doc->m_EventRows[0].Type, kEventLaunch);
    Choose(*doc, 0);
    EXPECT_TRUE(SameLoss(Reading(*doc, kReadingInsertionLoss), TableCell(*doc, 0, kColInsertionLoss)));
    EXPECT_TRUE(SameLoss(Reading(*doc, kReadingCumulativeLoss), TableCell(*doc, 0, kColCumulativeLoss)));
    const SorKeyEvent& first = doc->m_SorRecord.KeyEvents.Events[0];
    if (first.SpliceLoss != 0 && !IsEndEventCode(first)) {
      EXPECT_NE(ShownLoss(Reading(*doc, kReadingInsertionLoss)), kMissingValue) << "the first event's own loss";
    }
  }
}

// How far a reading may fall along a fibre section, or miss the stored Total Loss: the noise of a
// line fitted on a real trace.
constexpr float kNoiseDb = 0.05f;

// Whether the file's end-to-end markers span the user's zero to its End, so that Total Loss and the
// End's reading measure the same fibre (marker 1 at the front panel adds the launch cable).
bool TotalLossSpansZeroToEnd(const COtdrDoc& doc) {
  const SorRecord& r = doc.m_SorRecord;
  const int end = doc.m_nEndEventRow;
  if (end >= doc.m_nEventCount || r.KeyEvents.EndToEndLoss == 0 || doc.m_LinkSummary.LinkLength <= 0.0f) return false;
  const auto sample = [&r](std::int32_t time) { return TimeToIndex(time, r); };
  return sample(r.KeyEvents.EndToEndMarker1) == sample(0) &&
         std::abs(sample(r.KeyEvents.EndToEndMarker2) - sample(r.KeyEvents.Events[static_cast<std::size_t>(end)].TimeOfFlight)) <= 1;
}

// Along the table up to the End the cumulative loss is there wherever the trace holds the event,
// never falls over a fibre section (only a gainer's negative loss takes it down), ends at the Total
// Loss the file stores for the same fibre, and Add Event proposes a value between its neighbours.
TEST_F(CumulativeLossInterop, CumulativeLossRunsForwardToTheTotalLossAndIsNeverMissingOnTheTrace) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    const auto doc = Open(file.name, [](SorRecord&) {});
    ASSERT_NE(doc, nullptr);
    // Without an End the file does not say where the fibre gives way to noise.
    if (doc->m_nEndEventRow >= doc->m_nEventCount) continue;
    const int last = doc->m_nEndEventRow;
    float previous = kMissingValue;
    float previousLoss = 0.0f;
    for (int row = 0; row <= last; ++row) {
      if (IsLaunchEvent(row, doc->m_SorRecord) || !InsideTrace(*doc, row)) continue;
      SCOPED_TRACE("row " + std::to_string(row + 1));
      const float cumulative = ShownLoss(TableCell(*doc, row, kColCumulativeLoss));
      ASSERT_NE(cumulative, kMissingValue) << "the trace holds the section, the cell shows none";
      const float section = ShownLoss(TableCell(*doc, row, kColLossPrevious));
      if (section != kMissingValue) EXPECT_GE(section, -kNoiseDb) << "Loss Prev.";
      if (previous != kMissingValue) {
        EXPECT_GE(cumulative, previous + std::min(previousLoss, 0.0f) - kNoiseDb) << "fell along the fibre";
      }
      previous = cumulative;
      previousLoss = doc->m_EventRows[static_cast<std::size_t>(row)].SpliceLoss;
    }
    if (TotalLossSpansZeroToEnd(*doc)) {
      EXPECT_NEAR(doc->m_EventRows[static_cast<std::size_t>(last)].CumulativeLoss, doc->m_LinkSummary.LinkLoss, kNoiseDb)
          << "End vs Total Loss";
    }
    // Add Event halfway between the last two events before the End.
    if (last < 2 || IsLaunchEvent(last - 1, doc->m_SorRecord) || !InsideTrace(*doc, last)) continue;
    const auto& events = doc->m_SorRecord.KeyEvents.Events;
    doc->m_MarkerState.ActiveMarker = 0;
    doc->m_MarkerState.MarkerA =
        (TimeToIndex(events[static_cast<std::size_t>(last - 1)].TimeOfFlight, doc->m_SorRecord) +
         TimeToIndex(events[static_cast<std::size_t>(last)].TimeOfFlight, doc->m_SorRecord)) / 2;
    doc->SetMarkerWindows();
    AddEventMeasurements measurements(*doc);
    const AddEventStart start = ProposeEvent(*doc, measurements);
    if (start.refusal != AddEventRefusal::None) continue;
    const EventRow& before = doc->m_EventRows[static_cast<std::size_t>(last - 1)];
    const EventRow& after = doc->m_EventRows[static_cast<std::size_t>(last)];
    ASSERT_NE(start.proposal.cumulativeLoss, kMissingValue) << "Add Event";
    EXPECT_GE(start.proposal.cumulativeLoss, before.CumulativeLoss + std::min(before.SpliceLoss, 0.0f) - kNoiseDb);
    EXPECT_LE(start.proposal.cumulativeLoss, after.CumulativeLoss + kNoiseDb);
  }
}

// Deleting an event keeps the loss in the fibre: every later row keeps its cumulative loss, the End
// row among them, so it keeps agreeing with Total Loss. Rows read on the trace do not move; rows
// that follow from the stored values move no more than the merged section's stored slope can hold
// (0.001 dB/km: 0.0125 dB over 25 km). A deleted gainer's gain stays in its section; a window that
// measured other fibre stays unread. A row that had no value may get one from the trace.
TEST_F(CumulativeLossInterop, DeletingAnEventKeepsTheCumulativeLossOfTheRowsAfterIt) {
  SKIP_WITHOUT_SAMPLES();
  for (const bool windows : {true, false}) {
    const auto change = [windows](SorRecord& r) {
      if (!windows) DropWindows(r);
    };
    for (const auto& file : SampleSorFiles()) {
      const auto probe = Open(file.name, change);
      ASSERT_NE(probe, nullptr);
      for (int r = 0; r < probe->m_nEventCount; ++r) {
        // Rows the user may delete (neither the launch nor the end) that have rows after them.
        if (IsLaunchEvent(r, probe->m_SorRecord) || r >= probe->m_nEndEventRow || r + 1 >= probe->m_nEventCount) continue;
        // Without a Start row the first event's window gives the level at the zero that every
        // reading counts from: deleting that event takes the level with it.
        if (r == 0 && MeasuresFromTrace(probe->m_SorRecord)) continue;
        SCOPED_TRACE(file.name + (windows ? "" : " without windows") + " deleting row " + std::to_string(r + 1));
        const auto doc = Open(file.name, change);
        const std::vector<EventRow> before(doc->m_EventRows.begin(), doc->m_EventRows.begin() + doc->m_nEventCount);
        ASSERT_TRUE(DeleteEvent(*doc, r));
        const EventRow& next = before[static_cast<std::size_t>(r + 1)];
        const EventRow previous = r > 0 ? before[static_cast<std::size_t>(r - 1)] : EventRow{};
        const double tolerance = 1e-4 + 0.0005 * (next.Distance - previous.Distance);
        for (std::size_t i = static_cast<std::size_t>(r) + 1; i < before.size(); ++i) {
          const float was = before[i].CumulativeLoss;
          const float now = doc->m_EventRows[i - 1].CumulativeLoss;
          if (was == kMissingValue) continue;
          ASSERT_NE(now, kMissingValue) << "row " << i + 1 << " lost its value";
          EXPECT_NEAR(now, was, tolerance) << "row " << i + 1;
        }
      }
    }
  }
}

}  // namespace
