// The trace view's markers, keys, mouse, options, link map and picture export on a real view.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>

#include "display_view_fixture.h"
#include "platform/ui/length_unit_setting.h"
#include "recording_message_sink.h"
#include "temp_dir.h"
#include "trace/trace_conversions.h"
#include "traceview/event_icons.h"
#include "traceview/ui/length_unit_dlg.h"
#include "traceview/ui/link_map_painter.h"
#include "traceview/ui/marker_painter.h"
#include "traceview/ui/trace_painter.h"
#include "traceview/ui/view_preference_dlg.h"
#include "vocabulary/length_unit.h"

namespace {

// Another pane: remembers each broadcast.
struct SpyPane final : DocView {
  struct Update {
    DocView* sender;
    int hint;
  };
  std::vector<Update> updates;
  void OnInitialUpdate() override {}
  void OnUpdate(DocView* sender, int hint) override { updates.push_back({sender, hint}); }
};

class ViewInteractionTest : public DisplayViewTest {
 protected:
  void SetUp() override {
    DisplayViewTest::SetUp();
    doc->AddView(spy, PaneKind::MarkerInfo);
  }
  void TearDown() override { doc->RemoveView(spy); }

  // A trace with markers A at 2,000 and B at 6,000 shown in the full view: 0.08 pixels per sample.
  void ShowTrace() {
    LoadTrace();
    doc->m_SorRecord.UserName.StoredCursorA = 2000;
    doc->m_SorRecord.UserName.StoredCursorB = 6000;
    view->OnInitialUpdate();
    SizeViewTo(800, 500);
    Paint();
    ASSERT_EQ(Client(), QSize(800, 500));
  }

  QWidget* Viewport() const { return view->viewport(); }
  int BlackIn(int column, int fromRow, int toRow) const {
    int black = 0;
    for (int y = fromRow; y < toRow; ++y) black += view->BackBuffer().pixel(column, y) == qRgb(0, 0, 0);
    return black;
  }

  SpyPane spy;
};

TEST_F(ViewInteractionTest, MarkersAreSeededAndDrawnAtTheirColumns) {
  ShowTrace();
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 2000);
  EXPECT_EQ(doc->m_MarkerState.MarkerB, 6000);
  EXPECT_DOUBLE_EQ(g_DisplayState.MarkerADistance, 2000 * 30.0 / (kPoints - 1));
  EXPECT_GE(BlackIn(159, 40, 500), 440) << "marker A's 2-pixel line covers columns 159 and 160";
  EXPECT_GE(BlackIn(160, 40, 500), 440);
  EXPECT_GE(BlackIn(480, 40, 500), 440);
  EXPECT_EQ(view->BackBuffer().pixel(162, 5), kActiveLabelColour) << "the active label is a filled box";
  EXPECT_EQ(doc->m_rcMarkerALabel, (PixelRect{160, 3, 238, 19}));
  int cacheBlack = 0;
  for (int y = 40; y < 500; ++y) cacheBlack += view->CachedBackground().pixel(160, y) == qRgb(0, 0, 0);
  EXPECT_LT(cacheBlack, 50) << "the markers never go into the cached background";
}

TEST_F(ViewInteractionTest, InsertionLossModeDrawsTheActiveSetsAuxMarkers) {
  ShowTrace();
  EXPECT_EQ(view->OnUpdateAnalyzeInsertionLoss().checked, false);
  view->OnAnalyzeInsertionLoss();
  ASSERT_EQ(doc->m_MarkerState.AnalysisMode, 1);
  EXPECT_EQ(view->OnUpdateAnalyzeInsertionLoss().checked, true);
  ASSERT_FALSE(spy.updates.empty());
  EXPECT_EQ(spy.updates.back().sender, view);
  Paint();
  const auto& aux = doc->m_MarkerState.LossAuxMarkers[0];
  const int expected[4] = {1500, 2000, 2060, 2500};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(aux[k].SampleIndex, expected[k]) << k;
  const auto& params = view->State();
  const int x = static_cast<int>(1500 * params.m_dPixelsPerSample);
  const int y = static_cast<int>(500 - (params.m_dMaxDb - aux[0].Value) * params.m_dPixelsPerDb);
  const QImage& picture = view->BackBuffer();
  EXPECT_TRUE(picture.pixel(x, y - 2) == qRgb(255, 255, 255) || picture.pixel(x, y + 2) == qRgb(255, 255, 255))
      << "filled white inside the ring";
  int ring = 0;
  for (int dx = -5; dx <= 5; ++dx) ring += picture.pixel(x + dx, y - 4) == qRgb(0, 0, 0) || picture.pixel(x + dx, y + 4) == qRgb(0, 0, 0);
  EXPECT_GE(ring, 3) << "a black ring of radius 4";

  view->OnAnalyzeReflectance();
  EXPECT_EQ(doc->m_MarkerState.AnalysisMode, 2);
  view->OnAnalyzeReflectance();
  EXPECT_EQ(doc->m_MarkerState.AnalysisMode, 0);
}

TEST_F(ViewInteractionTest, KeysStepTheMarkerSwitchItAndScroll) {
  ShowTrace();
  spy.updates.clear();
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 2001);
  EXPECT_EQ(doc->m_SorRecord.UserName.StoredCursorA, 2001) << "Save writes the position shown";
  EXPECT_DOUBLE_EQ(g_DisplayState.MarkerADistance, 2001 * 30.0 / (kPoints - 1));
  ASSERT_EQ(spy.updates.size(), 1u) << "one broadcast per step";
  EXPECT_EQ(spy.updates.back().sender, view) << "the step tells the other panes";

  QTest::keyClick(view, Qt::Key_F, Qt::ShiftModifier);
  EXPECT_EQ(doc->m_MarkerState.ActiveMarker, 1);
  QTest::keyClick(view, Qt::Key_F);
  EXPECT_EQ(doc->m_MarkerState.ActiveMarker, 1) << "a plain F is the zoom shortcut's";
  QTest::keyClick(view, Qt::Key_Left);
  EXPECT_EQ(doc->m_MarkerState.MarkerB, 5999);

  doc->m_MarkerState.MarkerB = 0;
  const std::size_t before = spy.updates.size();
  QTest::keyClick(view, Qt::Key_Left);
  EXPECT_EQ(doc->m_MarkerState.MarkerB, 0) << "no step off the trace";
  EXPECT_EQ(spy.updates.size(), before) << "nothing changed, nothing to announce";

  view->OnZoomInVertically();
  view->OnZoomInVertically();
  const int bottom = view->verticalScrollBar()->value();
  QTest::keyClick(view, Qt::Key_Up);
  EXPECT_EQ(view->verticalScrollBar()->value(), bottom - view->verticalScrollBar()->singleStep());
  QTest::keyClick(view, Qt::Key_Down);
  EXPECT_EQ(view->verticalScrollBar()->value(), bottom);
}

TEST_F(ViewInteractionTest, LockMovesBothMarkersOrNeither) {
  ShowTrace();
  view->OnLockMarkerAB();
  EXPECT_EQ(view->OnUpdateLockMarkerAB().checked, true);
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 2001);
  EXPECT_EQ(doc->m_MarkerState.MarkerB, 6001);
  doc->m_MarkerState.MarkerB = kPoints - 1;
  QTest::keyClick(view, Qt::Key_Right);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 2001);
  view->OnLockMarkerAB();
  EXPECT_EQ(view->OnUpdateLockMarkerAB().checked, false);
}

TEST_F(ViewInteractionTest, PressNearBPicksItAndADragMovesIt) {
  ShowTrace();
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(489, 300));
  EXPECT_EQ(doc->m_MarkerState.ActiveMarker, 1) << "9 pixels from B's line";
  EXPECT_EQ(doc->m_MarkerState.MarkerB, 6000) << "a pick does not move the marker";
  spy.updates.clear();
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(489, 300));
  ASSERT_EQ(spy.updates.size(), 1u);
  EXPECT_EQ(spy.updates[0].sender, view);
  EXPECT_EQ(spy.updates[0].hint, kHintRefresh);

  Paint();
  const int renders = view->RenderCount();
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(160, 300));
  EXPECT_EQ(doc->m_MarkerState.ActiveMarker, 0);
  QTest::mouseMove(Viewport(), QPoint(240, 300));
  Paint();
  EXPECT_EQ(view->RenderCount(), renders) << "a marker drag repaints over the cached background";
  EXPECT_GE(BlackIn(240, 40, 500), 440);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, 3000);
  EXPECT_EQ(g_DisplayState.MarkerMoved, 1);
  EXPECT_EQ(doc->m_SorRecord.UserName.StoredCursorA, 3000);
  QTest::mouseMove(Viewport(), QPoint(900, 300));
  EXPECT_EQ(doc->m_MarkerState.MarkerA, kPoints - 1) << "beyond the full view: the last sample";
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(900, 300));
  EXPECT_DOUBLE_EQ(g_DisplayState.MarkerADistance, 30.0);
  Paint();
  EXPECT_EQ(view->RenderCount(), renders + 1) << "the release renders the background once";
}

TEST_F(ViewInteractionTest, AnExposedStripIsPaintedFromTheFinishedPicture) {
  ShowTrace();
  const QImage whole = view->BackBuffer().copy();
  const int renders = view->RenderCount();
  // The strip holds marker A's line (columns 159 and 160) and its label.
  const QRect strip(100, 0, 120, 500);
  const QImage shown = Viewport()->grab(strip).toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown, whole.copy(strip).convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(view->BackBuffer(), whole) << "the finished picture stays whole for the picture export";
  EXPECT_EQ(view->RenderCount(), renders);
}

TEST_F(ViewInteractionTest, ARubberBandOnNothingZooms) {
  ShowTrace();
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(300, 30));
  QTest::mouseMove(Viewport(), QPoint(500, 150));
  Paint();
  EXPECT_EQ(Viewport()->grab().toImage().pixel(350, 30), qRgb(0, 0, 0)) << "the band inverts the white picture";
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(500, 150));
  EXPECT_GT(view->GetScrollTotalSize().width, 800);
  EXPECT_EQ(view->State().ZoomHistory.size(), 4u);
}

TEST_F(ViewInteractionTest, AClickOnAnEventNumberChoosesThatEvent) {
  ShowTrace();
  doc->m_nEventCount = 3;
  doc->m_EventRows[0].Type = 0;
  doc->m_EventRows[1].Type = 3;
  doc->m_EventRows[2].Type = 1;
  doc->m_SorRecord.KeyEvents.Events.resize(3);
  doc->m_SorRecord.KeyEvents.KeyEventCount = 3;
  doc->m_SorRecord.KeyEvents.Events[1].TimeOfFlight = 2000;
  const int eventIndex = TimeToIndex(2000, doc->m_SorRecord);
  ASSERT_GT(eventIndex, 10);
  ASSERT_LT(eventIndex, doc->m_nPointCount);
  doc->m_MarkerState.ActiveMarker = 0;
  doc->m_MarkerState.MarkerA = 10;
  g_EventHitX[1] = 300;
  g_EventHitY[1] = 470;
  QTest::mouseClick(Viewport(), Qt::LeftButton, {}, QPoint(305, 475));
  EXPECT_EQ(g_DisplayState.SelectedEventRow, 1);
  // The event becomes the current one and the active marker goes to it, as a click on its row does.
  EXPECT_EQ(doc->m_nCurrentEvent, 1);
  EXPECT_EQ(doc->m_MarkerState.MarkerA, eventIndex);
  bool chosen = false;
  for (const auto& update : spy.updates) chosen |= update.sender == view && update.hint == kHintEventChosen;
  EXPECT_TRUE(chosen);
}

TEST_F(ViewInteractionTest, DraggingATraceDownRaisesItsLevels) {
  ShowTrace();
  const double ppdb = view->State().m_dPixelsPerDb;
  const TraceRecord& record = *traces.front();
  const double before = record.m_Model.m_DbSamples.Values[5000];
  const int y = static_cast<int>(500 - (record.m_Model.m_dDbCeiling - before) * ppdb);
  auto firstRed = [this](int column) {
    for (int row = 0; row < 500; ++row) {
      if (view->CachedBackground().pixel(column, row) == kSingleTraceColour) return row;
    }
    return -1;
  };
  const int redBefore = firstRed(600);
  QTest::mousePress(Viewport(), Qt::LeftButton, {}, QPoint(400, y));
  ASSERT_EQ(view->State().m_bOffsetDrag, 1);
  QTest::mouseMove(Viewport(), QPoint(400, y + 20));
  QTest::mouseRelease(Viewport(), Qt::LeftButton, {}, QPoint(400, y + 20));
  EXPECT_NEAR(record.m_dOffsetDb, 20 / ppdb, 1e-9);
  EXPECT_NEAR(record.m_Model.m_DbSamples.Values[5000], before + 20 / ppdb, 1e-9);
  EXPECT_NEAR(view->State().m_dDbOffset, 20 / ppdb, 1e-9) << "the dragged trace is the current one";
  EXPECT_NEAR(doc->m_dCurrentOffsetDb, 20 / ppdb, 1e-9);
  Paint();
  EXPECT_NEAR(firstRed(600), redBefore + 20, 1) << "the curve is drawn 20 pixels lower";
}

TEST_F(ViewInteractionTest, AnotherPanesBroadcastReseatsTheAuxMarkersOnTheCurrentEvent) {
  ShowTrace();
  for (auto& aux : doc->m_MarkerState.LossAuxMarkers[0]) aux.SampleIndex = 3000;
  doc->m_SorRecord.KeyEvents.KeyEventCount = 1;
  doc->m_SorRecord.KeyEvents.Events.resize(1);
  doc->m_nCurrentEvent = 4;
  view->OnUpdate(&spy, kHintEventChosen);
  EXPECT_EQ(doc->m_MarkerState.LossAuxMarkers[0][0].SampleIndex, 3000) << "no key event 4: nothing moves";
  doc->m_nCurrentEvent = 0;
  SorKeyEvent& event = doc->m_SorRecord.KeyEvents.Events[0];
  doc->m_SorRecord.FxdParams.GroupIndex = 146800;
  const std::int32_t stored[kSorMarkerLocations] = {10000, 20000, 30000, 40000, 25000};
  std::copy(std::begin(stored), std::end(stored), event.MarkerLocations);
  view->OnUpdate(&spy, kHintEventChosen);
  for (int k = 0; k < 4; ++k) {
    const double km = TimeToDistance(stored[k], doc->m_SorRecord);
    EXPECT_EQ(doc->m_MarkerState.LossAuxMarkers[0][k].SampleIndex, doc->GetPosition_Distance(km))
        << "the event's stored windows, " << k;
  }
  EXPECT_LT(doc->m_MarkerState.LossAuxMarkers[0][0].SampleIndex, doc->m_MarkerState.LossAuxMarkers[0][3].SampleIndex);

  // An event stored without windows (every location 0) gets them around the marker on it, as a
  // marker moved there by hand does, not on the user's zero.
  std::fill(std::begin(event.MarkerLocations), std::end(event.MarkerLocations), 0);
  doc->m_MarkerState.ActiveMarker = 0;
  doc->m_MarkerState.MarkerA = 2000;
  view->OnUpdate(&spy, kHintEventChosen);
  const AuxMarker* aux = doc->m_MarkerState.LossAuxMarkers[0];
  EXPECT_LT(aux[0].SampleIndex, aux[1].SampleIndex);
  EXPECT_LE(aux[1].SampleIndex, 2000);
  EXPECT_GE(aux[2].SampleIndex, 2000);
  EXPECT_LT(aux[2].SampleIndex, aux[3].SampleIndex);
}

TEST_F(ViewInteractionTest, LengthUnitsApplyBroadcastAndStore) {
  lumivane::test::TempDir settings;
  const QString folder = QString::fromStdString(settings.path().string());
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
  ShowTrace();
  int shownRadio = -2;
  view->SetDialogRunner([&shownRadio](QDialog& dialog) {
    auto& units = static_cast<CCLengthUnitDlg&>(dialog);
    shownRadio = units.m_nUnit;
    units.SelectUnit(1);
    dialog.accept();
    return dialog.result();
  });
  spy.updates.clear();
  view->OnLengthUnits();
  EXPECT_EQ(g_LengthUnitName, "kft");
  EXPECT_DOUBLE_EQ(g_LengthUnitFactor, 3.280839895);
  EXPECT_EQ(g_DisplayState.UnitChanged, 1);
  ASSERT_EQ(spy.updates.size(), 1u);
  EXPECT_EQ(spy.updates[0].sender, nullptr);
  EXPECT_EQ(lumivane::ReadStoredLengthUnit(), "kft");
  EXPECT_EQ(UnitRadioOf(CCLengthUnitDlg::ReadStoredUnit()), 1) << "the next dialog starts from the stored unit";

  view->SetDialogRunner([](QDialog& dialog) {
    dialog.reject();
    return dialog.result();
  });
  g_DisplayState.UnitChanged = 0;
  view->OnLengthUnits();
  EXPECT_EQ(g_DisplayState.UnitChanged, 0) << "Cancel changes nothing";
  ResetLengthUnit();
}

TEST_F(ViewInteractionTest, ViewPreferencesShowAtOnce) {
  ShowTrace();
  view->SetDialogRunner([](QDialog& dialog) {
    auto& prefs = static_cast<CCViewPrefrenceDlg&>(dialog);
    EXPECT_TRUE(prefs.GridBox()->isChecked());
    prefs.GridBox()->setChecked(false);
    dialog.accept();
    return dialog.result();
  });
  const int renders = view->RenderCount();
  view->OnViewPreferences();
  EXPECT_EQ(view->State().m_bShowGrid, 0);
  Paint();
  EXPECT_EQ(view->RenderCount(), renders + 1) << "the picture is drawn again with the new options";
  int grid = 0;
  for (int y = 0; y < 500; ++y) grid += view->CachedBackground().pixel(80, y) == kGridColour;
  EXPECT_EQ(grid, 0);
}

TEST_F(ViewInteractionTest, TheLinkMapReplacesCurvesAndMarkers) {
  ShowTrace();
  doc->m_nEventCount = 3;
  const float km[3] = {0.0f, 15.0f, 30.0f};
  const int types[3] = {0, 3, 1};
  for (int i = 0; i < 3; ++i) {
    doc->m_EventRows[static_cast<std::size_t>(i)].Type = types[i];
    doc->m_EventRows[static_cast<std::size_t>(i)].Distance = km[i];
  }
  doc->m_nTableClickedEvent = 1;
  EXPECT_TRUE(view->OnUpdateToggleLinkMap());
  view->OnToggleLinkMap();
  ASSERT_EQ(g_DisplayState.LinkMapMode, 1);
  const QImage& picture = view->BackBuffer();
  const QRgb tile = LoadedLinkMapPictures().background.pixel(10, 10);
  EXPECT_EQ(picture.pixel(369 + 10, 250 + 10), tile) << "the middle tile at x = 369";
  EXPECT_EQ(picture.pixel(368, 260), qRgb(0, 0, 0)) << "the clicked event is framed";
  EXPECT_EQ(g_EventHitX[1], 400);
  int red = 0;
  for (int x = 0; x < 800; x += 2) red += picture.pixel(x, 400) == kSingleTraceColour;
  EXPECT_EQ(red, 0) << "no curve";
  EXPECT_EQ(BlackIn(160, 300, 500), 0) << "no marker line";
  EXPECT_EQ(picture.pixel(400, 125), kLinkGreen) << "the overview line";
  view->OnToggleLinkMap();
  EXPECT_EQ(g_DisplayState.LinkMapMode, 0);
}

TEST_F(ViewInteractionTest, PictureExportWritesTheFixedSizeOrReports) {
  ShowTrace();
  lumivane::test::TempDir dir;
  ASSERT_TRUE(view->SaveViewAsBmp((dir.path() / "shot").string()));
  EXPECT_EQ(std::filesystem::file_size(dir.path() / "shot.BMP"), 415158u);

  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped(sink);
  EXPECT_FALSE(view->SaveViewAsBmp((dir.path() / "no" / "such.bmp").string()));
  ASSERT_EQ(sink.messages().size(), 1u);
  EXPECT_NE(sink.messages()[0].text.find("such.bmp"), std::string::npos);
}

}  // namespace

namespace {

// Four listed traces a.sor .. d.sor; the host does to the list what the application does.
class OverlayTest : public ViewInteractionTest {
 protected:
  void ListFour() {
    ShowTrace();
    for (const char* name : {"/data/b.sor", "/data/c.sor", "/data/d.sor"}) {
      auto record = std::make_unique<TraceRecord>();
      record->m_strPath = name;
      record->m_Model.m_nPointCount = kPoints;
      traces.push_back(std::move(record));
    }
    g_DisplayState.TraceCount = 4;
    g_DisplayState.SingleTraceMode = 0;
    doc->m_strTracePath = "/data/d.sor";  // the trace listed last is current, as after an open
    view->SetOverlayHost({[this](const std::string& path) {
                            opened.push_back(path);
                            doc->m_strTracePath = path;
                          },
                          [this](int i, int j) {
                            std::swap(traces[static_cast<std::size_t>(i)], traces[static_cast<std::size_t>(j)]);
                            g_DisplayState.TraceSwapped = 1;
                            g_DisplayState.TraceOrderRestored = 0;
                          },
                          [this] {
                            if (g_DisplayState.TraceOrderRestored != 0) return;
                            std::swap(traces[static_cast<std::size_t>(g_DisplayState.SwappedTraceIndex)],
                                      traces[static_cast<std::size_t>(g_DisplayState.SwappedWithIndex)]);
                            g_DisplayState.TraceSwapped = 0;
                            g_DisplayState.TraceOrderRestored = 1;
                          },
                          [this](int position) { traces.erase(traces.begin() + position); },
                          [this](int k, unsigned int colour) { legend[k] = colour; },
                          {}});
  }
  std::string Order() const {
    std::string order;
    for (const auto& record : traces) order += record->m_strPath.substr(6, 1);
    return order;
  }
  std::vector<std::string> opened;
  std::map<int, unsigned int> legend;
};

TEST_F(OverlayTest, ChoosingATraceMovesItLastAndRestoresTheOrderFirst) {
  ListFour();
  traces[1]->m_dOffsetDb = 2.0;
  view->OnSelectTrace(2);
  EXPECT_EQ(Order(), "adcb");
  EXPECT_EQ(opened.back(), "/data/b.sor");
  EXPECT_EQ(view->OnUpdateSelectTrace(2).checked, true) << "buttons number the list's own order";
  EXPECT_EQ(view->OnUpdateSelectTrace(4).checked, false);
  EXPECT_DOUBLE_EQ(view->State().m_dDbOffset, 2.0) << "the trace's own offset comes back";
  view->OnSelectTrace(3);
  EXPECT_EQ(Order(), "abdc");
  const std::size_t opens = opened.size();
  view->OnSelectTrace(3);
  EXPECT_EQ(opened.size(), opens) << "the pressed button does nothing";
  view->OnSelectTrace(4);
  EXPECT_EQ(Order(), "abcd") << "the last trace of the list's own order: restored, nothing exchanged";
  EXPECT_EQ(opened.back(), "/data/d.sor");
}

TEST_F(OverlayTest, ButtonsAndTheirLegend) {
  ListFour();
  view->OnUpdateSelectTrace(4);
  EXPECT_EQ(legend.size(), 1u) << "until the next render the legend holds the traces drawn last";
  view->State().m_bBackgroundDirty = 1;
  Paint();
  EXPECT_EQ(view->OnUpdateSelectTrace(4).checked, true);
  EXPECT_EQ(view->OnUpdateSelectTrace(2).checked, false);
  EXPECT_EQ(legend.size(), 4u);
  EXPECT_EQ(legend[1], view->State().m_Legend[0].Colour);
  g_DisplayState.SingleTraceMode = 1;
  EXPECT_FALSE(view->OnUpdateSelectTrace(1).enabled);
  g_DisplayState.SingleTraceMode = 0;
  g_DisplayState.TraceCount = 2;
  EXPECT_FALSE(view->OnUpdateSelectTrace(3).enabled);
}

// Whichever way the list got out of its own order, the close removes the trace the document holds.
TEST_F(OverlayTest, ClosingRemovesTheCurrentTraceWhateverTheOrder) {
  ListFour();
  view->OnSelectTrace(2);
  ASSERT_EQ(Order(), "adcb");
  view->OnCloseCurrentTrace();
  EXPECT_EQ(Order(), "acd") << "b closed, the order restored";
  EXPECT_EQ(opened.back(), "/data/a.sor");
  EXPECT_EQ(g_DisplayState.TraceCount, 3);

  // The link map marks the list as swapped without exchanging anything: nothing is put back.
  view->DrawTraceLegend(0);
  doc->m_strTracePath = "/data/d.sor";
  view->OnToggleLinkMap();
  view->OnToggleLinkMap();
  view->OnCloseCurrentTrace();
  EXPECT_EQ(Order(), "ac");
  EXPECT_EQ(opened.back(), "/data/c.sor");
}

TEST_F(OverlayTest, ClosingTakesTheNeighbourAndTheLastEmptiesTheView) {
  ListFour();
  view->OnCloseCurrentTrace();
  EXPECT_EQ(Order(), "abc");
  EXPECT_EQ(opened.back(), "/data/c.sor");
  view->OnCloseCurrentTrace();
  EXPECT_EQ(Order(), "abc") << "a second close waits for the toolbar update";
  view->DrawTraceLegend(0);
  view->SetOverlayHost({[this](const std::string& path) { doc->m_strTracePath = path; }, {}, {},
                        [this](int position) { traces.erase(traces.begin() + position); }, {}, {}});
  traces.resize(1);
  doc->m_strTracePath = traces[0]->m_strPath;
  g_DisplayState.TraceCount = 1;
  view->State().m_bCloseGuard = 0;
  view->OnCloseCurrentTrace();
  EXPECT_TRUE(traces.empty());
  EXPECT_EQ(doc->m_strTracePath, "space");
  EXPECT_EQ(frame->windowTitle(), "Trace");
  EXPECT_DOUBLE_EQ(g_ZoomState.RangeKm, 1.0);
  EXPECT_DOUBLE_EQ(g_ZoomState.PixelsPerSample, 0.0);
  EXPECT_TRUE(view->State().ZoomHistory.empty());
  EXPECT_EQ(g_DisplayState.TraceCount, 0);
}

}  // namespace
