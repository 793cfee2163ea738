// The program's window as it starts on a trace, on the screen this run was given (its size and
// scale come from the test's environment): every information pane line is whole, the event table
// shows all its rows and the panes fill the window's client area without a gap.
#include <QApplication>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegion>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "panes/ui/info_pane_view.h"
#include "panes/ui/otdr_table_view.h"
#include "sor_image_builder.h"

namespace {

constexpr PaneKind kAllPanes[] = {PaneKind::Trace, PaneKind::EventTable, PaneKind::Parameters, PaneKind::MarkerInfo,
                                  PaneKind::FiberInfo};

// A short link as a technician measures it: launch, a few splices and connectors, the end.
constexpr int kEvents = 6;

class PaneFitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = env_.Start({env_.dir().WriteFile("a.sor", lumivane::test::MakeSampleSorV2({.events = kEvents}))});
    ASSERT_NE(app_, nullptr);
    QApplication::setActiveWindow(app_->MainFrame());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app_->MainFrame()));
    // The window settles on the screen a turn of the event loop after it shows; the panes follow.
    for (int i = 0; i < 5; ++i) {
      QTest::qWait(20);
      for (const PaneKind pane : kAllPanes) app_->PaneFrame(pane)->widget()->repaint();
    }
  }

  lumivane::test::AppTestEnv env_;
  COtdrApp* app_ = nullptr;
};

TEST_F(PaneFitTest, TheWindowFitsTheScreenTheRunWasGiven) {
  const QScreen& screen = *QGuiApplication::primaryScreen();
  const QStringList given = qEnvironmentVariable("LUMIVANE_TEST_SCREEN").split(QLatin1Char('x'));
  ASSERT_EQ(given.size(), 2) << "the run names its screen as WIDTHxHEIGHT";
  const double scale = screen.devicePixelRatio();
  EXPECT_EQ(screen.geometry().size(), QSize(qRound(given[0].toInt() / scale), qRound(given[1].toInt() / scale)));
  const QRect available = screen.availableGeometry();
  EXPECT_TRUE(available.contains(app_->MainFrame()->frameGeometry()))
      << app_->MainFrame()->frameGeometry().width() << "x" << app_->MainFrame()->frameGeometry().height();
}

TEST_F(PaneFitTest, EveryInformationPaneLineIsWhole) {
  for (const PaneKind pane : {PaneKind::Parameters, PaneKind::MarkerInfo, PaneKind::FiberInfo}) {
    auto* view = qobject_cast<CInfoPaneView*>(app_->PaneFrame(pane)->widget());
    ASSERT_NE(view, nullptr);
    SCOPED_TRACE(app_->PaneFrame(pane)->windowTitle().toStdString());
    const PaneLines& lines = view->PaintedLines();
    ASSERT_FALSE(lines.empty());
    const QSize visible = view->viewport()->size();
    EXPECT_LE(view->ContentSize().height(), visible.height()) << lines.size() << " lines";
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    const QFontMetrics metrics(view->Font());
    for (const PaneLine& line : lines) {
      const int labelEnd = metrics.horizontalAdvance(QString::fromStdString(line.label));
      const int valueEnd = line.valueX + metrics.horizontalAdvance(QString::fromStdString(line.value));
      EXPECT_LE(labelEnd, line.valueX) << "label \"" << line.label << "\" runs into its value";
      EXPECT_LE(valueEnd, visible.width()) << "\"" << line.label << "\" \"" << line.value << "\"";
    }
  }
}

TEST_F(PaneFitTest, TheEventTableShowsAllItsRows) {
  auto* table = qobject_cast<COtdrTableView*>(app_->PaneFrame(PaneKind::EventTable)->widget());
  ASSERT_NE(table, nullptr);
  const int rows = table->Model().rowCount();
  ASSERT_GT(rows, 1);
  const QRect last = table->visualRect(table->Model().index(rows - 1, 0));
  EXPECT_GE(last.top(), 0) << "the table scrolled";
  EXPECT_LE(last.bottom(), table->viewport()->height() - 1) << rows << " rows";
}

TEST_F(PaneFitTest, ThePanesFillTheClientAreaWithoutGapOrOverlap) {
  const QWidget* client = app_->MainFrame()->MdiArea()->viewport();
  QRegion covered;
  long long area = 0;
  for (const PaneKind pane : kAllPanes) {
    const QRect frame = app_->PaneFrame(pane)->geometry();
    SCOPED_TRACE(app_->PaneFrame(pane)->windowTitle().toStdString());
    EXPECT_TRUE(client->rect().contains(frame));
    covered += frame;
    area += static_cast<long long>(frame.width()) * frame.height();
  }
  EXPECT_EQ(covered, QRegion(client->rect()));
  EXPECT_EQ(area, static_cast<long long>(client->width()) * client->height()) << "panes overlap";
}

}  // namespace
