// One selection, one marker, one reading: a row chosen in the table shows that row's values in the
// Marker Information pane, and the aux markers stand around its event, on a file whose events store
// least-squares windows and on one whose events store none.
#include <QApplication>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/otdr_doc.h"
#include "panes/event_table_cells.h"
#include "panes/trace_values.h"
#include "panes/ui/otdr_table_view.h"
#include "sor/sor_reader.h"
#include "sor/sor_writer.h"
#include "sor_image_builder.h"
#include "trace/trace_conversions.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/length_unit.h"

namespace {

std::string Trimmed(const std::string& text) { return text.substr(std::min(text.find_first_not_of(' '), text.size())); }

struct WindowsCase {
  const char* title;
  bool windows;
};

void PrintTo(const WindowsCase& c, std::ostream* os) { *os << c.title; }

class ChosenRowReadingsTest : public ::testing::TestWithParam<WindowsCase> {
 protected:
  // A trace of four events (launch, splice, connector, end), each with windows on either side, or,
  // as some instruments write their files, every stored marker location 0.
  std::string WriteTrace(bool windows) {
    lumivane::test::SampleSorSpec spec;
    spec.events = 4;
    spec.points = 8000;
    auto record = std::make_unique<SorRecord>();
    EXPECT_EQ(ReadSorImage(lumivane::test::MakeSampleSorV2(spec), *record), SorReadResult::kOk);
    record->GenParams.UserOffset = 1500;  // the user's zero a little after the first sample
    for (SorKeyEvent& event : record->KeyEvents.Events) {
      const std::int32_t t = event.TimeOfFlight;
      const std::int32_t around[kSorMarkerLocations] = {t - 2000, t - 200, t + 200, t + 2000, t};
      for (int k = 0; k < kSorMarkerLocations; ++k) event.MarkerLocations[k] = windows ? around[k] : 0;
    }
    const std::string path = env_.dir().Path("trace.sor");
    EXPECT_EQ(WriteSorFile(*record, path), SorWriteResult::kOk);
    return path;
  }

  COtdrTableView& Table() { return *qobject_cast<COtdrTableView*>(app_->PaneFrame(PaneKind::EventTable)->widget()); }

  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  lumivane::test::AppTestEnv env_;
  COtdrApp* app_ = nullptr;
};

TEST_P(ChosenRowReadingsTest, AChosenRowReadsItsValuesAndItsAuxMarkersStandAroundIt) {
  app_ = env_.Start({WriteTrace(GetParam().windows)});
  ASSERT_NE(app_, nullptr);
  QApplication::setActiveWindow(app_->MainFrame());
  Settle();
  COtdrDoc& doc = *app_->m_pDocument;
  const EventTableView table = ComputeEventTable(doc, 1.0);
  for (int row = 1; row < doc.m_nEventCount; ++row) {
    SCOPED_TRACE("row " + std::to_string(row + 1));
    const QModelIndex cell = Table().Model().index(row, 2);
    Table().scrollTo(cell);
    QTest::mouseClick(Table().viewport(), Qt::LeftButton, {}, Table().visualRect(cell).center());
    Settle();
    const int at = TimeToIndex(doc.m_SorRecord.KeyEvents.Events[static_cast<std::size_t>(row)].TimeOfFlight, doc.m_SorRecord);
    const auto& cells = table.rows[static_cast<std::size_t>(row)].texts;
    // As chosen, then with the insertion-loss windows shown and hidden again: each a broadcast.
    for (int step = 0; step < 3; ++step) {
      SCOPED_TRACE("step " + std::to_string(step));
      const auto readings = MarkerReadingTexts(doc, kLengthUnits[0]);
      EXPECT_EQ(Trimmed(readings[kReadingInsertionLoss]), cells[kColInsertionLoss] + " dB");
      EXPECT_EQ(Trimmed(readings[kReadingCumulativeLoss]), cells[kColCumulativeLoss] + " dB");
      const MarkerState& m = doc.m_MarkerState;
      EXPECT_EQ(m.MarkerA, at);
      EXPECT_LT(m.LossAuxMarkers[0][0].SampleIndex, m.LossAuxMarkers[0][1].SampleIndex);
      EXPECT_LE(m.LossAuxMarkers[0][1].SampleIndex, at) << "the window before the event";
      EXPECT_GE(m.LossAuxMarkers[0][2].SampleIndex, at) << "the window after the event";
      EXPECT_LT(m.LossAuxMarkers[0][2].SampleIndex, m.LossAuxMarkers[0][3].SampleIndex);
      app_->Commands().Execute(CmdAnalyzeInsertionLoss);
      app_->Commands().UpdatePass();
      Settle();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ChosenRowReadings, ChosenRowReadingsTest,
                         ::testing::Values(WindowsCase{"WithWindows", true}, WindowsCase{"WithoutWindows", false}),
                         [](const ::testing::TestParamInfo<WindowsCase>& info) { return std::string(info.param.title); });

}  // namespace
