#include "panes/ui/otdr_table_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>

#include "counting_view.h"
#include "measure/pass_fail_check.h"
#include "panes/event_doc_fixture.h"
#include "panes/pane_tiling.h"
#include "panes/trace_values.h"
#include "panes/ui/add_event_dlg.h"
#include "recording_message_sink.h"

namespace {

using lumivane::Reply;
using lumivane::test::RecordingMessageSink;

using SpyView = lumivane::test::CountingView;

class TableViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    eventtest::ResetGlobals();
    doc->m_PassFailThresholds.Enabled = {0, 0, 0, 0, 0, 0};
    area.resize(1003, 745);
    view = new COtdrTableView(*doc, "");
    frame = area.addSubWindow(view);
    doc->AddView(spy, PaneKind::Trace);
    doc->AddView(*view, PaneKind::EventTable);
    area.show();
    frame->show();
    QApplication::setActiveWindow(&area);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&area));
    view->OnInitialUpdate();
    spy.updates = 0;
  }

  QPoint RowCentre(int row) { return view->visualRect(view->Model().index(row, 2)).center(); }
  QString Text(int row, int column) { return view->Model().GetItemText(row, column); }
  std::vector<int> SelectedRows() {
    std::vector<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
    return rows;
  }

  // Opens the context menu on a row and chooses the item `choice` (none when empty); returns the
  // enabled state of Delete Event and Add Event as the menu offered them.
  std::pair<bool, bool> ContextMenu(int row, const QString& choice) {
    std::pair<bool, bool> enabled{};
    view->SetMenuRunner([&](QMenu& menu, QPoint) -> QAction* {
      QAction* chosen = nullptr;
      for (QAction* action : menu.actions()) {
        if (action->text() == QStringLiteral("Delete Event")) enabled.first = action->isEnabled();
        if (action->text() == QStringLiteral("Add Event")) enabled.second = action->isEnabled();
        if (action->text() == choice) chosen = action;
      }
      return chosen;
    });
    const QPoint at = row >= 0 ? RowCentre(row) : QPoint(5, view->viewport()->height() - 3);
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &event);
    return enabled;
  }

  std::unique_ptr<COtdrDoc> doc = eventtest::MakeEventDoc();
  SpyView spy;
  RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped{sink};
  QMdiArea area;
  COtdrTableView* view = nullptr;
  QMdiSubWindow* frame = nullptr;
};

TEST_F(TableViewTest, InitialUpdateFillsTheRowsAndTilesTheFrame) {
  ASSERT_EQ(view->Model().rowCount(), 4);
  ASSERT_EQ(view->Model().columnCount(), kEventColumnCount);
  EXPECT_EQ(view->Model().headerData(kColLocation, Qt::Horizontal, Qt::DisplayRole).toString(), "Location[km]");
  EXPECT_EQ(Text(1, kColType), "Refl.");
  EXPECT_EQ(Text(2, kColType), "NonRefl.");
  EXPECT_EQ(Text(3, kColType), "End");
  EXPECT_EQ(Text(1, kColInsertionLoss), "0.500");
  EXPECT_EQ(Text(0, kColCumulativeLoss), "-.---");
  EXPECT_FALSE(view->Model().data(view->Model().index(1, kColType), Qt::DecorationRole).isNull());
  EXPECT_EQ(view->columnWidth(kColAttenuation), 100);
  EXPECT_TRUE(view->CellMode());
  EXPECT_TRUE(SelectedRows().empty());
  const QWidget* client = area.viewport();
  const PixelRect tile = PaneTile(PaneKind::EventTable, {0, 0, client->width(), client->height()});
  EXPECT_EQ(frame->geometry(), QRect(tile.left, tile.top, tile.Width(), tile.Height()));
  for (QAction* item : frame->systemMenu()->actions()) {
    if (item->shortcut() == QKeySequence(QKeySequence::Close)) {
      EXPECT_FALSE(item->isEnabled());
    }
  }
  EXPECT_EQ(g_PassFailFailed, 0);
}

TEST_F(TableViewTest, FailedValuesShowRedAndSetTheVerdictUntilAPassingFill) {
  doc->m_PassFailThresholds.Limit[kLimitReflectance] = -50.0f;
  doc->m_PassFailThresholds.Enabled = {0, 0, 1, 0, 0, 0};
  view->FillEventTable();
  EXPECT_EQ(g_PassFailFailed, 1);
  EXPECT_EQ(view->Model().data(view->Model().index(1, kColReflectance), Qt::ForegroundRole).value<QBrush>().color(),
            QColor(255, 0, 0));
  doc->m_PassFailThresholds.Enabled = {0, 0, 0, 0, 0, 0};
  view->FillEventTable();
  EXPECT_EQ(g_PassFailFailed, 0);
  EXPECT_NE(view->Model().data(view->Model().index(1, kColReflectance), Qt::ForegroundRole).value<QBrush>().color(),
            QColor(255, 0, 0));
}

// The link's values shown in Total Fiber Information count for the verdict too.
TEST_F(TableViewTest, AFailingLinkSetsTheVerdict) {
  doc->m_PassFailThresholds.Enabled = {0, 0, 0, 0, 0, 1};
  doc->m_PassFailThresholds.Limit[kLimitLinkOrl] = 70.0f;
  view->FillEventTable();
  EXPECT_EQ(g_PassFailFailed, 0) << "a link ORL the file does not hold is judged by no limit";
  doc->m_SorRecord.KeyEvents.OpticalReturnLoss = 35000;
  view->FillEventTable();
  EXPECT_EQ(g_PassFailFailed, 1);
  doc->m_PassFailThresholds.Enabled = {0, 0, 0, 0, 1, 0};
  doc->m_PassFailThresholds.Limit[kLimitLinkLoss] = 0.001f;
  doc->m_LinkSummary.LinkLength = 5.0f;
  doc->m_LinkSummary.LinkLoss = 3.0f;
  view->FillEventTable();
  EXPECT_EQ(g_PassFailFailed, 1);
  doc->m_LinkSummary.LinkLoss = 0.0f;
  view->FillEventTable();
  EXPECT_EQ(g_PassFailFailed, 0);
}

TEST_F(TableViewTest, ClickOnARowMovesTheActiveMarkerAndAnnouncesTheEvent) {
  doc->m_MarkerState.ActiveMarker = 1;
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowCentre(2));
  EXPECT_EQ(doc->m_MarkerState.MarkerB, 5000);
  EXPECT_EQ(doc->m_MarkerState.TableSnapMarker, 1);
  EXPECT_EQ(g_DisplayState.SelectedEventRow, 2);
  EXPECT_EQ(doc->m_nCurrentEvent, 2);
  EXPECT_EQ(spy.updates, 1);
  EXPECT_EQ(spy.lastSender, view);
  EXPECT_EQ(spy.lastHint, kHintEventChosen);
  EXPECT_EQ(SelectedRows(), std::vector<int>{2});

  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(5, view->viewport()->height() - 3));
  EXPECT_EQ(g_DisplayState.SelectedEventRow, -1);
  EXPECT_EQ(spy.updates, 1) << "a click beside the rows announces nothing";
}

// The highlight, the current event and the active marker move together, whether a click or a key
// moved the selection.
TEST_F(TableViewTest, ArrowKeysMoveTheSelectionAndTheMarkerTogether) {
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowCentre(3));
  const int endIndex = doc->m_MarkerState.MarkerA;
  spy.updates = 0;
  struct Step {
    Qt::Key key;
    int row;
    bool announced;
  };
  const Step steps[] = {
      {Qt::Key_Up, 2, true},  {Qt::Key_Left, 3, true},    {Qt::Key_Down, 3, false}, {Qt::Key_Right, 2, true},
      {Qt::Key_Up, 1, true},  {Qt::Key_Up, 0, true},      {Qt::Key_Up, 0, false},   {Qt::Key_PageDown, 3, true},
  };
  int updates = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.key);
    QTest::keyClick(view, s.key);
    updates += s.announced ? 1 : 0;
    EXPECT_EQ(SelectedRows(), std::vector<int>{s.row});
    EXPECT_EQ(g_DisplayState.SelectedEventRow, s.row);
    EXPECT_EQ(doc->m_nCurrentEvent, s.row);
    EXPECT_EQ(spy.updates, updates);
    EXPECT_EQ(spy.lastHint, kHintEventChosen);
  }
  EXPECT_EQ(doc->m_MarkerState.MarkerA, endIndex);
  QTest::keyClick(view, Qt::Key_Up);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 5000) << "the marker stands on the event of the highlighted row";

  doc->m_strTracePath.clear();
  QTest::keyClick(view, Qt::Key_Down);
  EXPECT_EQ(SelectedRows(), std::vector<int>{2}) << "without a path keys are dropped";
}

TEST_F(TableViewTest, EnterOnTheRowTheListMadeCurrentChoosesIt) {
  g_DisplayState.SelectedEventRow = -1;
  view->OnUpdate(nullptr, kHintRefresh);
  // What taking the focus with nothing chosen does: the row is current, not highlighted.
  view->selectionModel()->setCurrentIndex(view->Model().index(2, 0), QItemSelectionModel::NoUpdate);
  ASSERT_TRUE(SelectedRows().empty());
  QTest::keyClick(view, Qt::Key_Return);
  EXPECT_EQ(SelectedRows(), std::vector<int>{2});
  EXPECT_EQ(g_DisplayState.SelectedEventRow, 2);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 5000) << "the highlighted row's event carries the marker";
  EXPECT_EQ(spy.lastHint, kHintEventChosen);
}

TEST_F(TableViewTest, UpdateHighlightsTheSelectedRowAndFindsTheMarkerEvent) {
  g_DisplayState.SelectedEventRow = 3;
  doc->m_MarkerState.MarkerA = 5100;
  view->OnUpdate(&spy, kHintEventChosen);
  EXPECT_EQ(SelectedRows(), std::vector<int>{3});
  EXPECT_EQ(view->GetSelectionMark(), 3);
  EXPECT_EQ(MarkerEventNumber(*doc), 3);

  g_DisplayState.SelectedEventRow = 9;
  view->OnUpdate(&spy, kHintRefresh);
  EXPECT_TRUE(SelectedRows().empty());
}

TEST_F(TableViewTest, UnitChangeRebuildsTheHeadings) {
  SetLengthUnit("kft");
  g_DisplayState.UnitChanged = 1;
  view->OnUpdate(nullptr, kHintRefresh);
  EXPECT_EQ(g_DisplayState.UnitChanged, 0);
  EXPECT_EQ(view->Model().headerData(kColAttenuation, Qt::Horizontal, Qt::DisplayRole).toString(), "Attn.[dB/kft]");
  EXPECT_EQ(view->Model().rowCount(), 4);
}

TEST_F(TableViewTest, WithoutATraceTheTableIsEmpty) {
  doc->m_strTracePath = "space";
  view->OnUpdate(nullptr, kHintRefresh);
  EXPECT_EQ(view->Model().rowCount(), 0);
  EXPECT_EQ(doc->m_nEventCount, 0);
  EXPECT_EQ(g_PassFailFailed, 0);
}

TEST_F(TableViewTest, ContextMenuGreysDeleteForStartAndEnd) {
  EXPECT_EQ(ContextMenu(0, {}), std::make_pair(false, true));
  EXPECT_EQ(ContextMenu(1, {}), std::make_pair(true, true));
  EXPECT_EQ(ContextMenu(3, {}), std::make_pair(false, true));
  EXPECT_EQ(ContextMenu(-1, {}), std::make_pair(false, true)) << "no row under the click";
}

TEST_F(TableViewTest, DeleteAsksFirstAndNoChangesNothing) {
  sink.ScriptReplies({Reply::No, Reply::Yes});
  ContextMenu(1, QStringLiteral("Delete Event"));
  ASSERT_EQ(sink.questions().size(), 1u);
  EXPECT_EQ(sink.questions()[0].text, "Delete the Event ?");
  EXPECT_EQ(view->Model().rowCount(), 4);
  EXPECT_FALSE(doc->IsModified());

  ContextMenu(1, QStringLiteral("Delete Event"));
  EXPECT_EQ(view->Model().rowCount(), 3);
  EXPECT_EQ(Text(1, kColType), "NonRefl.");
  EXPECT_TRUE(doc->IsModified());
}

// One selection, one marker: the row that takes the deleted row's place is chosen as a click would
// choose it, however the deleted row was marked (the chosen row deleted from the Edit menu, or
// another row than the chosen one deleted through its context menu).
TEST_F(TableViewTest, DeletingARowChoosesTheRowAfterItMarkerAndAll) {
  for (const bool contextMenu : {false, true}) {
    SCOPED_TRACE(contextMenu ? "context menu on another row" : "edit menu on the chosen row");
    if (contextMenu) {
      // The deleted row is back, the table filled again.
      doc->m_SorRecord = eventtest::MakeEventDoc()->m_SorRecord;
      eventtest::Rebuild(*doc);
      view->OnUpdate(nullptr, kHintRefresh);
    }
    ASSERT_EQ(view->Model().rowCount(), 4);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowCentre(2));
    const int nextEvent = doc->m_MarkerState.MarkerA;
    if (!contextMenu) QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowCentre(1));
    sink.ScriptReplies({Reply::Yes});
    if (contextMenu) {
      ContextMenu(1, QStringLiteral("Delete Event"));
    } else {
      view->OnDeleteEvent();
    }
    ASSERT_EQ(view->Model().rowCount(), 3);
    EXPECT_EQ(SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(view->GetSelectionMark(), 1);
    EXPECT_EQ(g_DisplayState.SelectedEventRow, 1);
    EXPECT_EQ(doc->m_nCurrentEvent, 1);
    EXPECT_EQ(doc->m_MarkerState.MarkerA, nextEvent) << "the marker leaves the deleted event's place";
    EXPECT_EQ(doc->m_MarkerState.TableSnapMarker, 0);
    EXPECT_EQ(spy.lastSender, view);
    EXPECT_EQ(spy.lastHint, kHintEventChosen) << "the panes read the chosen event's values";
  }
}

TEST_F(TableViewTest, EditMenuDeleteNeedsAnInnerEventBeyondRowZero) {
  struct Case {
    int mark;
    bool enabled;
  };
  for (const Case& c : {Case{-1, false}, Case{0, false}, Case{1, true}, Case{2, true}, Case{3, false}}) {
    view->SetSelectionMark(c.mark);
    EXPECT_EQ(view->OnUpdateDeleteEvent(), c.enabled) << c.mark;
  }
}

TEST_F(TableViewTest, AddEventShowsTheProposalReadOnlyAndInsertsItOnOk) {
  doc->m_MarkerState.MarkerA = 3500;
  doc->SetMarkerWindows();
  int runs = 0;
  view->SetDialogRunner([&](QDialog& dialog) {
    ++runs;
    auto& events = dynamic_cast<CCModifyEventDlg&>(dialog);
    EXPECT_EQ(events.windowTitle(), "Add Event");
    EXPECT_EQ(events.TypeList().count(), 2);
    EXPECT_EQ(events.TypeList().currentText(), "NonRefl.");
    EXPECT_EQ(events.ReflectanceEdit().text(), "-78");
    EXPECT_FALSE(events.LocationEdit().isEnabled());
    EXPECT_FALSE(events.CumulativeLossEdit().isEnabled());
    events.accept();
    return events.result();
  });
  view->OnAddEvent();
  EXPECT_EQ(runs, 1);
  ASSERT_EQ(view->Model().rowCount(), 5);
  EXPECT_EQ(Text(2, kColComment), "User add");
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(g_DisplayState.TableRedrawRequest, 1);
}

TEST_F(TableViewTest, AddEventCancelledOrRefusedChangesNothing) {
  doc->m_MarkerState.MarkerA = 3500;
  doc->SetMarkerWindows();
  view->SetDialogRunner([](QDialog&) { return static_cast<int>(QDialog::Rejected); });
  view->AddEvent();
  EXPECT_EQ(view->Model().rowCount(), 4);
  EXPECT_FALSE(doc->IsModified());

  doc->m_MarkerState.MarkerA = 2000;
  view->SetDialogRunner([](QDialog&) -> int {
    ADD_FAILURE() << "no dialog for a marker on an event";
    return QDialog::Rejected;
  });
  view->AddEvent();
  EXPECT_EQ(sink.MessageTexts(), std::vector<std::string>{"Already exist a Event over here!"});
  EXPECT_FALSE(doc->IsModified());

  doc->m_strTracePath = "space";
  doc->m_MarkerState.MarkerA = 3500;
  view->AddEvent();
  EXPECT_EQ(sink.messages().size(), 1u) << "without a trace nothing is proposed";
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(TableViewTest, AddEventWithoutAnEndOffersOnlyEnd) {
  doc->m_strTracePath = "/data/trace.sor";
  sink.ScriptReplies({Reply::Yes});
  view->SetSelectionMark(3);
  view->OnDeleteEvent();
  ASSERT_EQ(view->Model().rowCount(), 3);
  doc->m_MarkerState.MarkerA = 8000;
  doc->SetMarkerWindows();
  QStringList types;
  view->SetDialogRunner([&](QDialog& dialog) {
    auto& events = dynamic_cast<CCModifyEventDlg&>(dialog);
    for (int i = 0; i < events.TypeList().count(); ++i) types << events.TypeList().itemText(i);
    EXPECT_EQ(events.InsertionLossEdit().text(), "0");
    return static_cast<int>(QDialog::Rejected);
  });
  view->OnAddEvent();
  EXPECT_EQ(types, QStringList{"End"});
}

TEST(ModifyEventDlgTest, OkRefusesEveryValueItWouldStoreOutOfItsRange) {
  eventtest::ResetGlobals();
  RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped(sink);
  CCModifyEventDlg dialog;
  dialog.m_nType = 2;
  dialog.m_dAttnMax = 32.0 / 3.280839895;
  dialog.m_dAttnMin = -dialog.m_dAttnMax;
  dialog.m_dLocationMax = 10.0;
  dialog.m_fLocation = 4.0f;
  dialog.m_fAttenuation = 20.0f;
  dialog.m_fReflectance = -40.0f;
  dialog.OnInitDialog();
  // A greyed box is stored as well: it is checked like any other.
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(sink.MessageTexts(), std::vector<std::string>{"Enter a number between -9.7536 and 9.7536."});

  dialog.m_fAttenuation = 9.0f;
  // A value the trace does not give stays missing and has nothing to check.
  dialog.m_fReflectance = kMissingValue;
  dialog.OnInitDialog();
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.m_fReflectance, kMissingValue);
}

TEST(SignificantText, ShowsUpToSixSignificantDigits) {
  struct Case {
    double value;
    const char* text;
  };
  for (const Case& c : {Case{0.0, "0"}, Case{-78.0, "-78"}, Case{6.12345678, "6.12346"}, Case{123.456789, "123.457"},
                        Case{0.000123456, "0.000123456"}, Case{1e10, "10000000000"}, Case{-1e-12, "0"}}) {
    EXPECT_EQ(SignificantText(c.value), c.text) << c.value;
  }
}

}  // namespace
