// The panes as a user works with them in the running program: keys, a dropped file, Add Event and
// a click in the event table while the link map shows.
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "panes/event_table_cells.h"
#include "panes/ui/add_event_dlg.h"
#include "panes/ui/info_pane_view.h"
#include "panes/ui/otdr_table_view.h"
#include "traceview/ui/length_unit_dlg.h"
#include "traceview/ui/otdr_display_view.h"
#include "vocabulary/command_ids.h"

namespace {

class PaneUseTest : public ::testing::Test {
 protected:
  // The program started on a trace (none for an empty name), its window active.
  COtdrApp& StartOn(const std::string& name) {
    app_ = env_.Start(name.empty() ? std::vector<std::string>{} : std::vector<std::string>{env_.WriteTrace(name)});
    EXPECT_NE(app_, nullptr);
    CMainFrame* frame = app_->MainFrame();
    QApplication::setActiveWindow(frame);
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame));
    Settle();
    app_->Commands().UpdatePass();
    return *app_;
  }

  COtdrDisplayView& TraceView() { return *qobject_cast<COtdrDisplayView*>(app_->PaneFrame(PaneKind::Trace)->widget()); }
  COtdrTableView& TableView() { return *qobject_cast<COtdrTableView*>(app_->PaneFrame(PaneKind::EventTable)->widget()); }

  // Control goes back to the event loop, as after every real input.
  static void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }

  lumivane::test::AppTestEnv env_;
  COtdrApp* app_ = nullptr;
};

TEST_F(PaneUseTest, ArrowKeysKeepMovingTheMarkerAndFocusStaysInTheTracePane) {
  COtdrApp& app = StartOn("a.sor");
  COtdrDisplayView& view = TraceView();
  app.MainFrame()->MdiArea()->setActiveSubWindow(app.PaneFrame(PaneKind::Trace));
  view.setFocus();
  Settle();
  ASSERT_EQ(QApplication::focusWidget(), &view);
  MarkerState& markers = app.m_pDocument->m_MarkerState;
  markers.ActiveMarker = 0;
  const int start = markers.MarkerA;
  for (int step = 1; step <= 4; ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    Settle();
    EXPECT_EQ(markers.MarkerA, start + step) << "key " << step;
    EXPECT_EQ(QApplication::focusWidget(), &view) << "key " << step;
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
  Settle();
  EXPECT_EQ(markers.MarkerA, start + 3);
}

TEST_F(PaneUseTest, AMissingInsertionLossShowsAsNoValueAndOkTakesTheEvent) {
  COtdrApp& app = StartOn("a.sor");
  COtdrDoc& doc = *app.m_pDocument;
  ASSERT_EQ(doc.m_MarkerState.AnalysisMode, 0) << "not measuring insertion loss";
  const int events = doc.m_nEventCount;
  doc.m_MarkerState.ActiveMarker = 0;
  doc.m_MarkerState.MarkerA = doc.m_nPointCount / 3;
  // No loss windows placed: insertion-loss mode was never on, so the trace gives no insertion loss.
  for (AuxMarker& aux : doc.m_MarkerState.LossAuxMarkers[0]) aux = {};
  QString shown;
  int runs = 0;
  TableView().SetDialogRunner([&](QDialog& dialog) {
    ++runs;
    auto& events = dynamic_cast<CCModifyEventDlg&>(dialog);
    shown = events.InsertionLossEdit().text();
    events.accept();
    return events.result();
  });
  env_.sink().Clear();
  ASSERT_TRUE(app.Commands().Execute(CmdAddEvent));
  EXPECT_EQ(runs, 1) << "OK was taken at once";
  EXPECT_EQ(shown, QStringLiteral("-.---"));
  EXPECT_TRUE(env_.sink().MessageTexts().empty());
  EXPECT_EQ(doc.m_nEventCount, events + 1);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(PaneUseTest, ADroppedFileIsFollowedByTheCommandUpdate) {
  COtdrApp& app = StartOn("");
  QAction* saveAs = app.Commands().Action(CmdFileSaveAs);
  ASSERT_FALSE(saveAs->isEnabled()) << "nothing to save before the drop";

  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(env_.WriteTrace("dropped.sor")))});
  // As a window system delivers it: the pane accepts the drag as it enters, then takes the drop.
  QWidget* target = TraceView().viewport();
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  Settle();
  EXPECT_EQ(app.m_pDocument->m_strTracePath, env_.dir().Path("dropped.sor"));
  EXPECT_TRUE(saveAs->isEnabled());
}

TEST_F(PaneUseTest, InTheOverlayALinkMapFramesTheEventClickedInTheTable) {
  COtdrApp& app = StartOn("a.sor");
  app.SetFileChooser([this](FileChoice) { return std::optional<std::string>(env_.WriteTrace("b.sor")); });
  app.OnAddTrace();
  app.Commands().UpdatePass();
  ASSERT_EQ(g_DisplayState.SingleTraceMode, 0);
  ASSERT_GE(app.m_pDocument->m_nEventCount, 3);
  app.Commands().Execute(CmdLinkMap);
  ASSERT_EQ(g_DisplayState.LinkMapMode, 1);

  COtdrTableView& table = TableView();
  COtdrDisplayView& view = TraceView();
  const auto clickRow = [&](int row) {
    QTest::mouseClick(table.viewport(), Qt::LeftButton, Qt::NoModifier,
                      table.visualRect(table.Model().index(row, 2)).center());
    Settle();
    view.viewport()->repaint();
    return view.BackBuffer().copy();
  };
  const QImage first = clickRow(0);
  const QImage third = clickRow(2);
  EXPECT_EQ(app.m_pDocument->m_nTableClickedEvent, 2) << "the update pass kept the clicked event";
  EXPECT_NE(first, third) << "the frame moved to the clicked event";
  EXPECT_EQ(clickRow(0), first);
}

TEST_F(PaneUseTest, EventTableColumnsFitTheirTextsInTheFontInUse) {
  COtdrApp& app = StartOn("a.sor");
  COtdrTableView& table = TableView();
  const auto headings = EventColumnHeadings("km");
  for (const int pixels : {13, 19}) {
    SCOPED_TRACE(pixels);
    QFont font = table.font();
    font.setPixelSize(pixels);
    table.setFont(font);
    table.horizontalHeader()->setFont(font);
    app.m_pDocument->UpdateAllViews(nullptr, kHintRefresh);
    Settle();
    ASSERT_GT(table.Model().rowCount(), 1);
    for (int column = 0; column < kEventColumnCount; ++column) {
      const int width = table.columnWidth(column);
      EXPECT_GE(width, headings[static_cast<std::size_t>(column)].width) << "column " << column;
      EXPECT_LE(table.horizontalHeader()->sectionSizeHint(column), width) << "heading of column " << column;
      for (int row = 0; row < table.Model().rowCount(); ++row) {
        QStyleOptionViewItem option;
        option.initFrom(&table);
        option.font = font;
        const QModelIndex index = table.Model().index(row, column);
        EXPECT_LE(table.itemDelegate()->sizeHint(option, index).width(), width)
            << "\"" << table.Model().GetItemText(row, column).toStdString() << "\" in column " << column;
      }
    }
  }
}

TEST_F(PaneUseTest, InformationPanesScrollWhenTheirLinesDoNotFit) {
  COtdrApp& app = StartOn("a.sor");
  for (const PaneKind pane : {PaneKind::Parameters, PaneKind::MarkerInfo, PaneKind::FiberInfo}) {
    QMdiSubWindow* frame = app.PaneFrame(pane);
    auto* view = qobject_cast<CInfoPaneView*>(frame->widget());
    ASSERT_NE(view, nullptr);
    frame->resize(120, 90);
    Settle();
    view->viewport()->repaint();
    Settle();
    const QSize content = view->ContentSize();
    const QSize visible = view->viewport()->size();
    ASSERT_GT(content.height(), visible.height());
    ASSERT_GT(content.width(), visible.width());
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());
    EXPECT_EQ(view->verticalScrollBar()->maximum(), content.height() - visible.height());
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), content.width() - visible.width());

    // Scrolled to its end, the pane shows its last line.
    const QImage top = view->viewport()->grab().toImage();
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    Settle();
    EXPECT_NE(view->viewport()->grab().toImage(), top);
  }
}

TEST_F(PaneUseTest, TheTracePaneOffersNoCloseButtonItCannotHonour) {
  COtdrApp& app = StartOn("a.sor");
  EXPECT_FALSE(app.PaneFrame(PaneKind::Trace)->windowFlags().testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(app.PaneFrame(PaneKind::Trace)->windowFlags().testFlag(Qt::WindowSystemMenuHint));
  EXPECT_TRUE(app.PaneFrame(PaneKind::Trace)->windowFlags().testFlag(Qt::WindowMinMaxButtonsHint));
  EXPECT_TRUE(app.PaneFrame(PaneKind::EventTable)->windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

TEST_F(PaneUseTest, TheWheelScrollsAZoomedPlotAlongTheFibre) {
  COtdrApp& app = StartOn("a.sor");
  COtdrDisplayView& view = TraceView();
  for (int i = 0; i < 3; ++i) app.Commands().Execute(CmdZoomInHorizontally);
  Settle();
  QScrollBar* along = view.horizontalScrollBar();
  ASSERT_GT(along->maximum(), 0);
  along->setValue(along->maximum() / 2);
  const int before = along->value();
  const QPointF at(view.viewport()->rect().center());
  QWheelEvent down(at, view.viewport()->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(view.viewport(), &down);
  EXPECT_GT(along->value(), before);
  QWheelEvent up(at, view.viewport()->mapToGlobal(at), {}, {0, 240}, Qt::NoButton, Qt::NoModifier,
                 Qt::NoScrollPhase, false);
  QApplication::sendEvent(view.viewport(), &up);
  EXPECT_LT(along->value(), before);
}

TEST_F(PaneUseTest, ALengthUnitChangeRetitlesTheScaleAtOnceAndItsDialogSitsOnTheWindow) {
  COtdrApp& app = StartOn("a.sor");
  COtdrDisplayView& view = TraceView();
  view.viewport()->repaint();
  ASSERT_NE(app.PaneFrame(PaneKind::Trace)->windowTitle().indexOf(QStringLiteral("km/Div")), -1);
  QPoint offCentre(-1, -1);
  view.SetDialogRunner([&](QDialog& dialog) {
    dialog.show();
    Settle();
    offCentre = dialog.frameGeometry().center() - app.MainFrame()->frameGeometry().center();
    static_cast<CCLengthUnitDlg&>(dialog).SelectUnit(1);
    QMetaObject::invokeMethod(&dialog, "accept");
    return dialog.result();
  });
  ASSERT_TRUE(app.Commands().Execute(CmdLengthUnits));
  Settle();
  view.viewport()->repaint();
  const QString title = app.PaneFrame(PaneKind::Trace)->windowTitle();
  EXPECT_NE(title.indexOf(QStringLiteral("kft/Div")), -1) << title.toStdString();
  EXPECT_LE(offCentre.manhattanLength(), 4) << "the dialog is centred on the main window";
}

TEST_F(PaneUseTest, AfterAClosedTraceTheTraceButtonsShowTheRemainingCurvesColours) {
  COtdrApp& app = StartOn("");
  std::string next;
  app.SetFileChooser([&](FileChoice) { return std::optional<std::string>(env_.WriteTrace(next)); });
  for (const char* name : {"a.sor", "b.sor", "c.sor"}) {
    next = name;
    app.OnAddTrace();
    Settle();
    TraceView().viewport()->repaint();
  }
  app.Commands().UpdatePass();
  ASSERT_TRUE(app.Commands().Execute(CmdCloseCurrentTrace));
  Settle();
  TraceView().viewport()->repaint();
  Settle();
  ASSERT_EQ(app.m_TraceList.size(), 2u);
  for (int k = 1; k <= 4; ++k) {
    const QVariant legend = app.Commands().Action(CmdTrace1 + k - 1)->property("legendColour");
    ASSERT_TRUE(legend.isValid()) << k;
    if (k <= 2) {
      const TraceRecord& record = *app.m_TraceList[static_cast<std::size_t>(k - 1)];
      const TraceColour& colour = app.m_pDocument->m_TraceColours[static_cast<std::size_t>(record.m_nColourIndex)];
      EXPECT_EQ(legend.toUInt(), qRgb(colour.Red, colour.Green, colour.Blue) & 0xFFFFFFu) << k;
    } else {
      EXPECT_EQ(legend.toUInt(), kNoLegend) << k;
    }
  }
}

}  // namespace
