// What the user sees of every sample file survives the program's own edits: a save followed by an
// open shows the table shown before the save (after a reanalysis too), no cell shows a number for a
// value the file does not hold, and nothing has been lost at the start of the fibre.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "analysis/event_measurements.h"
#include "analysis_state.h"
#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_save.h"
#include "measure/add_event_measurements.h"
#include "measure/analysis_settings.h"
#include "measure/trace_reanalysis.h"
#include "panes/event_editing.h"
#include "panes/event_table_cells.h"
#include "panes/fiber_info_text.h"
#include "panes/trace_values.h"
#include "platform/path_util.h"
#include "recording_message_sink.h"
#include "sample_files.h"
#include "shown_texts.h"
#include "temp_dir.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::SampleSorFiles;
using lumivane::test::TableAndTotalsShown;

class EditRoundTripInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    ResetLengthUnit();
    lumivane::test::ResetAnalysisState();
  }

  // Opened as the open path opens a file, with the values the panes share brought up to date.
  std::unique_ptr<COtdrDoc> Open(const std::string& path) {
    auto doc = std::make_unique<COtdrDoc>();
    if (doc->OpenTraceFile(path, 0, doc->m_SorRecord) != 1) return nullptr;
    const DisplayModelInputs inputs{doc->m_SorRecord.UserName.DistanceCorrection};
    LoadDisplayModel(kSorFileKind, doc->m_SorRecord, inputs, doc->DisplayModelMembers());
    ApplyStoredLossTotals(doc->m_SorRecord, doc->m_EventRows, doc->m_nEventCount);
    g_DisplayState.LinkOrlDirty = 0;
    UpdateTraceValues(*doc, nullptr, 0, folder.path().string());
    return doc;
  }

  std::string SaveAs(COtdrDoc& doc, const std::string& name) {
    const std::string path = folder.Path(name);
    SaveEnvironment env;
    env.chooseSaveAsPath = [&path] { return std::optional<SaveAsChoice>(SaveAsChoice{path, false}); };
    return OnFileSaveAs(doc, env) ? path : std::string();
  }

  lumivane::test::TempDir folder;
  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped{sink};
};

TEST_F(EditRoundTripInterop, SaveThenOpenShowsTheTableShownBeforeTheSave) {
  SKIP_WITHOUT_SAMPLES();
  enum class Edit { None, Reanalysis, AddEvent, DeleteEvent };
  for (const Edit edit : {Edit::None, Edit::Reanalysis, Edit::AddEvent, Edit::DeleteEvent}) {
    for (const auto& file : SampleSorFiles()) {
      SCOPED_TRACE(file.name + " after edit " + std::to_string(static_cast<int>(edit)));
      ResetDisplayState();
      const auto doc = Open(lumivane::JoinPath(lumivane::test::SampleDir(), file.name));
      ASSERT_NE(doc, nullptr);
      const int events = doc->m_nEventCount;
      switch (edit) {
        case Edit::None: break;
        case Edit::Reanalysis:
          ASSERT_EQ(ReanalyzeDocument(*doc, PrefillAnalysisSettings(doc->m_FibreParams)), ReanalysisOutcome::Done);
          break;
        case Edit::AddEvent: {
          // Halfway along the first section: from the user's zero to the first event behind it (or
          // to the last sample), whether or not the file stores a Start row.
          const SorRecord& record = doc->m_SorRecord;
          const auto behindZero = std::find_if(record.KeyEvents.Events.begin(), record.KeyEvents.Events.begin() + events,
                                               [](const SorKeyEvent& event) { return event.TimeOfFlight > 0; });
          const int from = std::max(0, TimeToIndex(0, record));
          const int to = behindZero == record.KeyEvents.Events.begin() + events
                             ? doc->m_nPointCount - 1
                             : std::min(TimeToIndex(behindZero->TimeOfFlight, record), doc->m_nPointCount - 1);
          doc->m_MarkerState.ActiveMarker = 0;
          doc->m_MarkerState.MarkerA = (from + to) / 2;
          doc->SetMarkerWindows();
          AddEventMeasurements measurements(*doc);
          const AddEventStart start = ProposeEvent(*doc, measurements);
          ASSERT_EQ(start.refusal, AddEventRefusal::None);
          ASSERT_EQ(CheckProposal(*doc, start.proposal), AddEventRefusal::None);
          InsertEvent(*doc, start.proposal);
          ASSERT_EQ(doc->m_nEventCount, events + 1);
          break;
        }
        case Edit::DeleteEvent: {
          // The first row the user may delete: neither the launch nor the end. A file of a launch
          // and an end has none.
          int row = 0;
          while (row < events && (IsLaunchEvent(row, doc->m_SorRecord) || row == doc->m_nEndEventRow)) ++row;
          if (row == events) continue;
          ASSERT_TRUE(DeleteEvent(*doc, row));
          break;
        }
      }
      UpdateTraceValues(*doc, nullptr, 0, folder.path().string());
      const std::vector<std::string> before = TableAndTotalsShown(*doc);
      const std::string copy = SaveAs(*doc, file.name);
      ASSERT_FALSE(copy.empty());
      const auto reopened = Open(copy);
      ASSERT_NE(reopened, nullptr);
      EXPECT_EQ(TableAndTotalsShown(*reopened), before);
    }
  }
  EXPECT_TRUE(sink.messages().empty());
}

// A value the file does not hold (a link loss or ORL stored as 0, a reflectance not measured) reads
// as missing; no event cell and no link total shows a signed or unsigned zero.
TEST_F(EditRoundTripInterop, NoCellShowsZeroForAValueTheFileDoesNotHold) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    const auto doc = Open(lumivane::JoinPath(lumivane::test::SampleDir(), file.name));
    ASSERT_NE(doc, nullptr);
    const EventTableView table = ComputeEventTable(*doc, 1.0);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
      for (const int c : {kColReflectance, kColInsertionLoss, kColAttenuation, kColCumulativeLoss, kColLossPrevious}) {
        const std::string& cell = table.rows[r].texts[static_cast<std::size_t>(c)];
        EXPECT_NE(cell, "0.000") << "row " << r + 1 << " column " << c;
        EXPECT_NE(cell, "-0.000") << "row " << r + 1 << " column " << c;
      }
    }
    const PaneLines totals = FiberInfoLines(*doc, kLengthUnits[0]);
    const SorKeyEvents& keys = doc->m_SorRecord.KeyEvents;
    if (doc->m_LinkSummary.LinkLength != 0.0f && keys.EndToEndLoss == 0) {
      EXPECT_NE(totals[3].value.find("-.---"), std::string::npos) << totals[3].value;
      EXPECT_NE(totals[4].value.find("-.---"), std::string::npos) << totals[4].value;
    }
    if (keys.OpticalReturnLoss == 0) {
      EXPECT_NE(totals[5].value.find("-.---"), std::string::npos) << totals[5].value;
    }
    for (const PaneLine& line : totals) EXPECT_EQ(line.value.find(" 0.000 "), std::string::npos) << line.label;
  }
}

// Cumulative loss counts from the start: with the active marker there nothing is lost. The start is
// the user's zero, or the first event where the file stores one before the zero (a zero set behind
// a launch cable).
TEST_F(EditRoundTripInterop, CumulativeLossAtTheStartIsZero) {
  SKIP_WITHOUT_SAMPLES();
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    const auto doc = Open(lumivane::JoinPath(lumivane::test::SampleDir(), file.name));
    ASSERT_NE(doc, nullptr);
    const SorKeyEvents& events = doc->m_SorRecord.KeyEvents;
    const std::int32_t start = StoredKeyEventCount(events) > 0 ? std::min(0, events.Events[0].TimeOfFlight) : 0;
    doc->m_MarkerState.ActiveMarker = 0;
    doc->m_MarkerState.MarkerA = std::max(0, TimeToIndex(start, doc->m_SorRecord));
    doc->SetMarkerWindows();
    UpdateTraceValues(*doc, nullptr, 0, folder.path().string());
    EXPECT_EQ(MarkerReadingTexts(*doc, kLengthUnits[0])[kReadingCumulativeLoss], "  0.000 dB");
  }
}

}  // namespace
