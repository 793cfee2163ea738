// One selection, one marker: every way a trace becomes the current trace starts with no event
// chosen. The highlight of a row chosen on the trace before goes with it, the markers stand where
// the file puts them, and the table's keys start again from the first row.
#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QTest>
#include <gtest/gtest.h>

#include <string>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "panes/ui/otdr_table_view.h"
#include "trace/trace_conversions.h"
#include "vocabulary/command_ids.h"

namespace {

enum class Way { FileOpen, RecentFile, SwitchTrace, CloseTrace };

struct WayCase {
  const char* title;
  Way way;
  std::string current;  // file name of the trace made current
};

void PrintTo(const WayCase& c, std::ostream* os) { *os << c.title; }

class EventChoiceOnOpenTest : public ::testing::TestWithParam<WayCase> {
 protected:
  // a.sor and b.sor in the overlay, b.sor current, its row 1 chosen by a click in the table.
  COtdrApp& StartWithChosenRow() {
    for (const char* name : {"a.sor", "b.sor", "c.sor"}) env_.WriteTrace(name);
    app_ = env_.Start();
    app_->SetFileChooser([this](FileChoice) { return std::optional<std::string>(env_.dir().Path(chosen_)); });
    for (const char* name : {"a.sor", "b.sor"}) {
      chosen_ = name;
      app_->OnAddTrace();
    }
    app_->Commands().UpdatePass();
    QApplication::setActiveWindow(app_->MainFrame());
    EXPECT_TRUE(QTest::qWaitForWindowActive(app_->MainFrame()));
    Settle();
    COtdrTableView& table = Table();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.visualRect(table.Model().index(1, 2)).center());
    Settle();
    return *app_;
  }

  COtdrTableView& Table() { return *qobject_cast<COtdrTableView*>(app_->PaneFrame(PaneKind::EventTable)->widget()); }

  std::vector<int> HighlightedRows() {
    std::vector<int> rows;
    for (const QModelIndex& index : Table().selectionModel()->selectedRows()) rows.push_back(index.row());
    return rows;
  }

  void Run(Way way) {
    switch (way) {
      case Way::FileOpen:
        chosen_ = "c.sor";
        app_->OnFileOpen();
        break;
      case Way::RecentFile:
        for (QAction* action : app_->MainFrame()->findChildren<QAction*>()) {
          if (action->text().endsWith(QString::fromStdString(env_.dir().Path("a.sor")))) {
            action->trigger();
            break;
          }
        }
        break;
      case Way::SwitchTrace: app_->Commands().Execute(CmdTrace1); break;
      case Way::CloseTrace: app_->Commands().Execute(CmdCloseCurrentTrace); break;
    }
    app_->Commands().UpdatePass();
    Settle();
  }

  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  lumivane::test::AppTestEnv env_;
  COtdrApp* app_ = nullptr;
  std::string chosen_;
};

TEST_P(EventChoiceOnOpenTest, NoRowStaysChosenAndTheKeysStartFromTheFirstRow) {
  const WayCase& c = GetParam();
  COtdrApp& app = StartWithChosenRow();
  COtdrDoc& doc = *app.m_pDocument;
  ASSERT_EQ(g_DisplayState.SelectedEventRow, 1);
  ASSERT_EQ(HighlightedRows(), std::vector<int>{1});

  Run(c.way);
  ASSERT_EQ(doc.m_strTracePath, env_.dir().Path(c.current));
  EXPECT_TRUE(HighlightedRows().empty()) << "the row of the trace left is not highlighted";
  EXPECT_EQ(g_DisplayState.SelectedEventRow, -1);
  EXPECT_EQ(Table().GetSelectionMark(), -1);
  EXPECT_EQ(doc.m_nCurrentEvent, 0);
  EXPECT_EQ(doc.m_MarkerState.TableSnapMarker, kNoTableSnap) << "marker A reads its own place, not a row's";
  EXPECT_EQ(g_DisplayState.MarkersFromTable, 0);

  doc.m_MarkerState.ActiveMarker = 0;
  Table().setFocus();
  Settle();
  EXPECT_TRUE(HighlightedRows().empty()) << "taking the focus chooses nothing";
  QTest::keyClick(&Table(), Qt::Key_Down);
  Settle();
  EXPECT_EQ(HighlightedRows(), std::vector<int>{0}) << "Down starts from the first row";
  EXPECT_EQ(g_DisplayState.SelectedEventRow, 0);
  EXPECT_EQ(doc.m_nCurrentEvent, 0);
  EXPECT_EQ(doc.m_MarkerState.MarkerA, TimeToIndex(doc.m_SorRecord.KeyEvents.Events[0].TimeOfFlight, doc.m_SorRecord));
}

INSTANTIATE_TEST_SUITE_P(
    EventChoiceOnOpen, EventChoiceOnOpenTest,
    ::testing::Values(WayCase{"FileOpen", Way::FileOpen, "c.sor"}, WayCase{"RecentFile", Way::RecentFile, "a.sor"},
                      WayCase{"SwitchTrace", Way::SwitchTrace, "a.sor"},
                      WayCase{"CloseTrace", Way::CloseTrace, "a.sor"}),
    [](const ::testing::TestParamInfo<WayCase>& info) { return std::string(info.param.title); });

}  // namespace
