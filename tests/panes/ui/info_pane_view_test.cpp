#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>

#include "measure/pass_fail_check.h"
#include "panes/info_pane_fixture.h"
#include "panes/trace_values.h"
#include "panes/ui/otdr_gxd_view.h"
#include "panes/ui/otdr_gxl_view.h"
#include "panes/ui/otdr_para_view.h"

namespace {

// Counts the paints a widget receives.
class PaintCounter final : public QObject {
 public:
  using QObject::QObject;
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

// Stands for the trace view or the event table as the sender of a broadcast.
class OtherView final : public DocView {
 public:
  void OnInitialUpdate() override {}
  void OnUpdate(DocView*, int) override {}
};

bool HasInkInBand(const QImage& image, int x0, int x1, int y0, int y1, bool red) {
  for (int y = y0; y < y1 && y < image.height(); ++y) {
    for (int x = x0; x < x1 && x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      const bool ink = red ? (c.red() > 150 && c.green() < 100 && c.blue() < 100) : (c.lightness() < 128);
      if (ink) return true;
    }
  }
  return false;
}

}  // namespace

class InfoPaneViewTest : public InfoPaneTest {
 protected:
  void SetUp() override {
    InfoPaneTest::SetUp();
    doc->m_PassFailThresholds.Enabled.fill(0);
    area.resize(1003, 745);
    para = new COtdrParaView(*doc);
    gxl = new COtdrGxlView(*doc);
    gxd = new COtdrGxdView(*doc);
    for (CInfoPaneView* view : {static_cast<CInfoPaneView*>(para), static_cast<CInfoPaneView*>(gxl),
                                static_cast<CInfoPaneView*>(gxd)}) {
      area.addSubWindow(view)->show();
    }
    doc->AddView(*para, PaneKind::Parameters);
    doc->AddView(*gxl, PaneKind::FiberInfo);
    doc->AddView(*gxd, PaneKind::MarkerInfo);
    doc->AddView(other, PaneKind::Trace);
    InstallTraceValues(*doc, "");
    doc->UpdateAllViews(nullptr, kHintRefresh);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    doc->OnWindowCascade();
    QApplication::processEvents();
  }
  void TearDown() override {
    doc->RemoveView(*para);
    doc->RemoveView(*gxl);
    doc->RemoveView(*gxd);
    doc->RemoveView(other);
    InfoPaneTest::TearDown();
  }

  static QMdiSubWindow* FrameOf(QWidget* view) { return qobject_cast<QMdiSubWindow*>(view->parentWidget()); }

  QMdiArea area;
  OtherView other;
  COtdrParaView* para = nullptr;
  COtdrGxlView* gxl = nullptr;
  COtdrGxdView* gxd = nullptr;
};

TEST_F(InfoPaneViewTest, EachPaneDrawsItsLinesLabelAtTheLeftValueAtItsColumn) {
  doc->m_PassFailThresholds.Enabled[kLimitLinkLoss] = 1;
  doc->m_PassFailThresholds.Limit[kLimitLinkLoss] = 1.0f;  // the fixture's 1.95 dB fails
  const struct {
    CInfoPaneView* view;
    int step;
    std::size_t lines;
  } panes[] = {{para, 20, 10}, {gxl, 20, 7}, {gxd, 18, 8}};
  for (const auto& pane : panes) {
    pane.view->resize(260, 220);
    const QImage image = pane.view->grab().toImage();
    const PaneLines& painted = pane.view->PaintedLines();
    ASSERT_EQ(painted.size(), pane.lines);
    EXPECT_EQ(painted[0].value, pane.view->Lines()[0].value);
    for (std::size_t i = 0; i < painted.size(); ++i) {
      const int top = kPaneFirstLineY + static_cast<int>(i) * pane.step;
      const int valueX = painted[i].valueX;
      EXPECT_TRUE(HasInkInBand(image, 0, valueX, top, top + pane.step, false)) << "label of line " << i;
      if (!painted[i].value.empty() && painted[i].value.find_first_not_of(' ') != std::string::npos) {
        EXPECT_TRUE(HasInkInBand(image, valueX, image.width(), top, top + pane.step, painted[i].failing))
            << "value of line " << i;
      }
    }
  }
  EXPECT_TRUE(gxl->PaintedLines()[3].failing);
}

TEST_F(InfoPaneViewTest, WithoutATraceThePanesStayBlank) {
  doc->m_strTracePath = "space";
  doc->UpdateAllViews(nullptr, kHintRefresh);
  QApplication::processEvents();
  for (CInfoPaneView* view : {static_cast<CInfoPaneView*>(para), static_cast<CInfoPaneView*>(gxl),
                              static_cast<CInfoPaneView*>(gxd)}) {
    const QImage image = view->grab().toImage();
    EXPECT_TRUE(view->PaintedLines().empty());
    EXPECT_FALSE(HasInkInBand(image, 0, image.width(), 0, image.height(), false));
  }
}

TEST_F(InfoPaneViewTest, InitialUpdateTilesTheFramesAndGreysTheirClose) {
  // The area's viewport has no frame of its own here, so it is the 1003 x 745 client area. The
  // column is a little wider than a quarter and the panes a little taller than thirds: what the
  // fixture's lines need; together they reach the bottom.
  ASSERT_EQ(area.viewport()->size(), QSize(1003, 745));
  EXPECT_EQ(FrameOf(para)->geometry(), QRect(734, 0, 269, 278));
  EXPECT_EQ(FrameOf(gxd)->geometry(), QRect(734, 278, 269, 218));
  EXPECT_EQ(FrameOf(gxl)->geometry(), QRect(734, 496, 269, 249));

  FrameOf(gxd)->showMaximized();
  doc->OnWindowCascade();
  EXPECT_FALSE(FrameOf(gxd)->isMaximized());
  EXPECT_EQ(FrameOf(gxd)->geometry(), QRect(734, 278, 269, 218));

  for (QWidget* view : {static_cast<QWidget*>(para), static_cast<QWidget*>(gxl), static_cast<QWidget*>(gxd)}) {
    int closeItems = 0;
    for (QAction* item : FrameOf(view)->systemMenu()->actions()) {
      if (item->shortcut() != QKeySequence(QKeySequence::Close)) continue;
      ++closeItems;
      EXPECT_FALSE(item->isEnabled());
    }
    EXPECT_EQ(closeItems, 1);
  }
}

TEST_F(InfoPaneViewTest, AMarkerMoveRecomputesTheMarkerPaneOnly) {
  EXPECT_EQ(MarkerReadingTexts(*doc, CurrentDisplayUnit())[0], " 4.00000 km");
  PaintCounter paraPaints, gxlPaints, gxdPaints;
  para->viewport()->installEventFilter(&paraPaints);
  gxl->viewport()->installEventFilter(&gxlPaints);
  gxd->viewport()->installEventFilter(&gxdPaints);

  doc->m_MarkerState.MarkerB = 500;
  doc->UpdateAllViews(&other, kHintRefresh);
  QApplication::processEvents();
  EXPECT_EQ(MarkerReadingTexts(*doc, CurrentDisplayUnit())[0], " 2.00000 km");
  EXPECT_EQ(MarkerReadingTexts(*doc, CurrentDisplayUnit())[1], "  0.400 dB");
  EXPECT_GT(gxdPaints.paints, 0);
  EXPECT_EQ(paraPaints.paints, 0);
  EXPECT_EQ(gxlPaints.paints, 0);
  EXPECT_EQ(gxd->PaintedLines()[0].value, " 2.00000 km");

  // A change of the document itself repaints all three.
  doc->UpdateAllViews(nullptr, kHintRefresh);
  QApplication::processEvents();
  EXPECT_GT(paraPaints.paints, 0);
  EXPECT_GT(gxlPaints.paints, 0);
}

TEST_F(InfoPaneViewTest, ChoosingAnEventPutsTheActiveMarkerOnIt) {
  doc->m_MarkerState.ActiveMarker = 1;
  doc->m_nCurrentEvent = 1;
  doc->UpdateAllViews(&other, kHintEventChosen);
  QApplication::processEvents();
  EXPECT_EQ(doc->m_MarkerState.MarkerB, 500);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 300);
  EXPECT_EQ(MarkerReadingTexts(*doc, CurrentDisplayUnit())[4], "  0.350 dB");
  EXPECT_EQ(MarkerReadingTexts(*doc, CurrentDisplayUnit())[5], "  --.--- dB");
  EXPECT_EQ(gxd->PaintedLines()[4].label, "Ins.Loss at B:");
}

TEST_F(InfoPaneViewTest, FiberPaneKeepsTheLinkOrlUpToDateWithoutPainting) {
  gxl->hide();
  g_DisplayState.LinkOrlDirty = 1;
  doc->UpdateAllViews(nullptr, kHintRefresh);
  EXPECT_EQ(g_DisplayState.LinkOrlDirty, 0);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.OpticalReturnLoss, 35614);
}
