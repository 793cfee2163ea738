#include "traceview/ui/otdr_display_view.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <memory>

#include "display_view_fixture.h"
#include "document/display_model.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "sor_image_builder.h"
#include "synthetic_trace.h"
#include "temp_dir.h"
#include "traceview/ui/trace_painter.h"
#include "traceview/zoom_state.h"
#include "vocabulary/text_table.h"

namespace {

TEST_F(DisplayViewTest, WithoutATraceTheViewIsBlankAndTitledTrace) {
  view->OnInitialUpdate();
  Paint();
  EXPECT_EQ(frame->windowTitle(), "Trace");
  EXPECT_EQ(view->CachedBackground().pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(view->CachedBackground().pixel(80, 250), qRgb(255, 255, 255)) << "no grid without a trace";
  const int renders = view->RenderCount();
  Paint();
  EXPECT_EQ(view->RenderCount(), renders + 1) << "the background stays dirty without a trace";
  EXPECT_FALSE(view->OnUpdateViewFullTrace());
  EXPECT_FALSE(view->OnUpdateZoomInHorizontally());
}

TEST_F(DisplayViewTest, InitialUpdatePlacesTheFrameAndFitsTheCanvas) {
  LoadTrace();
  view->OnInitialUpdate();
  const QSize areaSize = area.viewport()->size();
  EXPECT_EQ(frame->pos(), QPoint(0, 0));
  EXPECT_EQ(frame->size(), QSize(areaSize.width() * 3 / 4, areaSize.height() * 2 / 3));
  EXPECT_EQ(view->GetScrollTotalSize(), (PixelSize{Client().width(), Client().height()}));
  EXPECT_EQ(view->State().ZoomCapability, 3);
  EXPECT_EQ(frame->windowTitle(), "Trace") << "no caption before the first render";
}

TEST_F(DisplayViewTest, RenderDrawsGridCurveAndCaption) {
  LoadTrace();
  view->OnInitialUpdate();
  SizeViewTo(800, 500);
  Paint();
  ASSERT_EQ(Client(), QSize(800, 500));
  EXPECT_EQ(doc->m_strViewCaption, "Trace    3.0 km/Div    6.0 dB/Div");
  EXPECT_EQ(frame->windowTitle(), "Trace    3.0 km/Div    6.0 dB/Div");
  const QImage& image = view->CachedBackground();
  int grid = 0, red = 0;
  for (int y = 0; y < 500; ++y) grid += image.pixel(160, y) == kGridColour;
  for (int x = 0; x < 800; ++x) {
    for (int y = 0; y < 500; ++y) red += image.pixel(x, y) == kSingleTraceColour;
  }
  EXPECT_GE(grid, 100);
  EXPECT_GE(red, 800) << "the single trace is drawn in red";
  EXPECT_NE(view->BackBuffer(), image) << "the markers go over a copy of the background";
  EXPECT_DOUBLE_EQ(view->State().m_dPixelsPerSample, 800.0 / kPoints);
}

TEST_F(DisplayViewTest, ZoomInTwiceZoomOutAndFullView) {
  LoadTrace();
  view->OnInitialUpdate();
  SizeViewTo(800, 500);
  Paint();
  ASSERT_EQ(view->GetScrollTotalSize(), (PixelSize{800, 500}));
  EXPECT_FALSE(view->OnUpdateZoomOutHorizontally());
  EXPECT_TRUE(view->OnUpdateZoomInHorizontally());

  view->OnZoomInHorizontally();
  EXPECT_EQ(view->GetScrollTotalSize().width, 1200);
  view->OnZoomInHorizontally();
  const int bar = view->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  EXPECT_EQ(view->GetScrollTotalSize(), (PixelSize{2400, 500 - bar}))
      << "the height follows the client above the bar";
  EXPECT_EQ(view->State().ZoomCapability, 1 | 2 | 4);
  EXPECT_TRUE(view->OnUpdateZoomOutHorizontally());
  Paint();
  EXPECT_EQ(Client(), QSize(800, 500 - bar));
  EXPECT_EQ(doc->m_strViewCaption, "Trace   1.00 km/Div    6.0 dB/Div");

  view->OnZoomOutHorizontally();
  EXPECT_EQ(view->GetScrollTotalSize().width, 1200);

  view->OnViewFullTrace();
  EXPECT_EQ(view->GetScrollTotalSize(), (PixelSize{800, 500}));
  EXPECT_FALSE(view->OnUpdateZoomOutHorizontally());
  EXPECT_FALSE(view->OnUpdateZoomOutVertically());
  EXPECT_EQ(view->State().ZoomCapability, 3);
  EXPECT_EQ(view->State().m_bZoomedHorizontally, 0);
  Paint();
  EXPECT_EQ(Client(), QSize(800, 500));
}

TEST_F(DisplayViewTest, AnOpenedFileZoomsInTwiceOutAndBackToTheFullView) {
  const lumivane::test::TempDir dir;
  const std::string path = dir.WriteFile("a.sor", lumivane::test::MakeSampleSorV2());
  ASSERT_EQ(doc->OpenTraceFile(path, 0, doc->m_SorRecord), 1);
  LoadDisplayModel(0, doc->m_SorRecord, {}, doc->DisplayModelMembers());
  auto record = std::make_unique<TraceRecord>();
  record->m_Model.m_SorRecord = doc->m_SorRecord;
  LoadDisplayModel(0, record->m_Model.m_SorRecord, {}, DisplayModelTargetOf(record->m_Model));
  record->m_strPath = path;
  traces.push_back(std::move(record));
  g_DisplayState.TraceCount = 1;
  g_DisplayState.SingleTraceMode = 1;
  view->OnInitialUpdate();
  SizeViewTo(800, 500);
  Paint();
  // The sample file covers 0.204116 km: the full view shows 0.0204 km per division.
  ASSERT_EQ(doc->m_strViewCaption, "Trace  0.020 km/Div    6.0 dB/Div");
  ASSERT_TRUE(view->OnUpdateZoomInHorizontally());
  view->OnZoomInHorizontally();
  EXPECT_EQ(view->GetScrollTotalSize().width, 1633) << "0.01 km per division, rounded half up";
  view->OnZoomInHorizontally();
  EXPECT_EQ(view->GetScrollTotalSize().width, 3266) << "0.005 km per division";
  EXPECT_EQ(view->State().ZoomCapability, 1 | 2 | 4);
  view->OnZoomOutHorizontally();
  EXPECT_EQ(view->GetScrollTotalSize().width, 1632) << "back to 0.01 km per division, truncated";
  Paint();
  EXPECT_EQ(doc->m_strViewCaption, "Trace  0.010 km/Div    6.0 dB/Div");
  view->OnViewFullTrace();
  EXPECT_EQ(view->GetScrollTotalSize(), (PixelSize{800, 500}));
  EXPECT_EQ(view->State().ZoomCapability, 3);
  EXPECT_FALSE(view->OnUpdateZoomOutHorizontally());
}

TEST_F(DisplayViewTest, OnlyRequestsAndChangesRenderTheBackground) {
  LoadTrace();
  view->OnInitialUpdate();
  Paint();
  const int rendered = view->RenderCount();
  view->OnUpdate(view, 0);  // a marker moved elsewhere: markers only
  Paint();
  EXPECT_EQ(view->RenderCount(), rendered);

  g_DisplayState.TableRedrawRequest = 1;
  g_DisplayState.MarkersFromTable = 1;
  Paint();
  EXPECT_EQ(view->RenderCount(), rendered + 1) << "two requests, one render";
  EXPECT_EQ(g_DisplayState.TableRedrawRequest, 0);
  EXPECT_EQ(g_DisplayState.MarkersFromTable, 0);

  view->horizontalScrollBar()->setValue(0);
  view->OnZoomInVertically();
  Paint();
  EXPECT_EQ(view->RenderCount(), rendered + 2);
  QScrollBar* bar = view->verticalScrollBar();
  bar->setValue(bar->value() >= 40 ? bar->value() - 40 : bar->value() + 40);
  Paint();
  EXPECT_EQ(view->RenderCount(), rendered + 3) << "a scroll renders the new part";
}

TEST_F(DisplayViewTest, AnotherPanesMarkerIsCentredUnlessNearTheEnd) {
  LoadTrace();
  view->OnInitialUpdate();
  view->SetScrollTotalSize({10000, Client().height()});
  doc->m_MarkerState.MarkerA = 5000;
  view->OnUpdate(view, 1);
  EXPECT_EQ(view->horizontalScrollBar()->value(), 5000 - Client().width() / 2);
  doc->m_MarkerState.MarkerA = 100;
  view->OnUpdate(view, 1);
  EXPECT_EQ(view->horizontalScrollBar()->value(), 0);
  view->horizontalScrollBar()->setValue(1234);
  doc->m_MarkerState.MarkerA = 9700;
  view->OnUpdate(view, 1);
  EXPECT_EQ(view->horizontalScrollBar()->value(), 1234);
}

TEST_F(DisplayViewTest, ContentUpdateRefreshesTheRangeAndTheOffset) {
  LoadTrace();
  doc->m_bOffsetReset = 1;
  view->State().m_dDbOffset = 2.0;
  doc->m_MarkerState.ReflectanceAuxMarkers[0][2].SampleIndex = kPoints + 50;  // beyond the trace
  doc->m_MarkerState.LossAuxMarkers[0][2].SampleIndex = kPoints + 7;          // an equal pair beyond it
  doc->m_MarkerState.LossAuxMarkers[0][3].SampleIndex = kPoints + 7;
  doc->m_MarkerState.LossAuxMarkers[0][0].SampleIndex = 100;                   // a pair to fit
  doc->m_MarkerState.LossAuxMarkers[0][1].SampleIndex = 600;
  view->OnUpdate(nullptr, 0);
  EXPECT_EQ(view->State().m_dDbOffset, 0.0);
  EXPECT_EQ(doc->m_bOffsetReset, 0);
  const std::vector<double>& db = doc->m_DbSamples.Values;
  EXPECT_DOUBLE_EQ(view->State().m_dMaxDb, *std::max_element(db.begin(), db.end()));
  EXPECT_DOUBLE_EQ(view->State().m_dRangeKm, 30.0);
  EXPECT_DOUBLE_EQ(doc->m_MarkerState.ReflectanceAuxMarkers[0][2].Value, db[kPoints - 1])
      << "an index past the end reads the last sample";
  EXPECT_EQ(doc->m_MarkerState.ReflectanceAuxMarkers[0][2].SampleIndex, kPoints + 50);
  const AuxMarker* loss = doc->m_MarkerState.LossAuxMarkers[0];
  EXPECT_DOUBLE_EQ(loss[2].Value, db[kPoints - 1]);
  EXPECT_DOUBLE_EQ(loss[3].Value, db[kPoints - 1]);
  EXPECT_NEAR(loss[0].Value, 5.0 + 20.0 * 100 / kPoints, 0.2) << "the fitted line through the falling trace";
  EXPECT_NEAR(loss[1].Value, 5.0 + 20.0 * 600 / kPoints, 0.2);
}

TEST_F(DisplayViewTest, WithTheGridOffTheCaptionIsStillWritten) {
  LoadTrace();
  view->State().m_bShowGrid = 0;
  view->OnInitialUpdate();
  Paint();
  const QImage& image = view->CachedBackground();
  int grid = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) grid += image.pixel(x, y) == kGridColour;
  }
  EXPECT_EQ(grid, 0);
  EXPECT_EQ(doc->m_strViewCaption.rfind("Trace ", 0), 0u);
  EXPECT_EQ(frame->windowTitle().toStdString(), doc->m_strViewCaption);
}

TEST_F(DisplayViewTest, ContextMenuStatesFollowTheTraceTheLockAndTheHistory) {
  EXPECT_EQ(view->BuildContextMenu(), nullptr) << "no menu without a trace";
  LoadTrace();
  view->OnInitialUpdate();
  doc->m_MarkerState.LockAB = 1;
  std::unique_ptr<QMenu> menu = view->BuildContextMenu();
  ASSERT_NE(menu, nullptr);
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 7);
  EXPECT_EQ(actions[0]->text(), "Trace");
  EXPECT_FALSE(actions[0]->isEnabled());
  EXPECT_EQ(menu->defaultAction(), actions[0]);
  EXPECT_TRUE(actions[1]->isSeparator());
  EXPECT_EQ(actions[2]->text(), "Lock Marker A B");
  EXPECT_TRUE(actions[2]->isChecked());
  EXPECT_EQ(actions[3]->text(), "Zoom out");
  EXPECT_FALSE(actions[3]->isEnabled()) << "no rubber band recorded";
  for (int i = 4; i < 7; ++i) EXPECT_TRUE(actions[i]->isEnabled()) << i;

  doc->m_MarkerState.LockAB = 0;
  view->RubberBandZoom({10, 10}, {300, 200});
  menu = view->BuildContextMenu();
  EXPECT_FALSE(menu->actions()[2]->isChecked());
  EXPECT_TRUE(menu->actions()[3]->isEnabled());

  std::vector<int> forwarded;
  view->SetCommandRunner([&forwarded](int id) { forwarded.push_back(id); });
  view->RunContextCommand(menu->actions()[3]->data().toInt());
  EXPECT_TRUE(view->State().ZoomHistory.empty()) << "zoom out of the only band: full view";
  for (int i : {2, 5, 6}) view->RunContextCommand(menu->actions()[i]->data().toInt());
  EXPECT_EQ(forwarded, (std::vector<int>{32774, 32785, 32918}));
}

TEST_F(DisplayViewTest, DroppedFilesGoToTheOpenPath) {
  std::vector<std::string> opened;
  view->SetFileOpener([&opened](const std::string& path) { opened.push_back(path); });
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile("/data/one.sor"), QUrl::fromLocalFile("/data/two.sor")});
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(view->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(view->viewport(), &drop);
  EXPECT_EQ(opened, (std::vector<std::string>{"/data/one.sor", "/data/two.sor"}));
}

TEST_F(DisplayViewTest, TheLegendListsTheDrawnTracesOnceEachRender) {
  LoadTrace();
  traces.front()->m_nColourIndex = 2;
  doc->m_TraceColours[2] = {10, 20, 30};
  view->OnInitialUpdate();
  for (int render = 0; render < 2; ++render) {
    view->State().m_bBackgroundDirty = 1;
    Paint();
  }
  ASSERT_EQ(view->State().m_Legend.size(), 1u);
  EXPECT_EQ(view->State().m_Legend[0].Colour, 0x0A141Eu);
  EXPECT_EQ(view->State().m_Legend[0].Path, "/data/a.sor");

  g_DisplayState.LinkMapMode = 1;
  for (int render = 0; render < 3; ++render) {
    view->State().m_bBackgroundDirty = 1;
    Paint();
  }
  EXPECT_EQ(view->State().m_Legend.size(), 1u) << "the link map's legend does not grow";
  int red = 0;
  for (int x = 0; x < 800; ++x) red += view->CachedBackground().pixel(x, 250) == kSingleTraceColour;
  EXPECT_EQ(red, 0) << "no curves over the link map";
}

TEST_F(DisplayViewTest, ResizeKeepsTheZoom) {
  LoadTrace();
  view->OnInitialUpdate();
  view->OnZoomInVertically();
  view->OnZoomInHorizontally();
  const PixelSize zoomed = view->GetScrollTotalSize();
  frame->resize(frame->width() + 100, frame->height() + 50);
  EXPECT_EQ(view->GetScrollTotalSize(), (PixelSize{zoomed.width + 100, zoomed.height + 50}));
}

}  // namespace
