#pragma once
// A Trace pane in an MDI area on the offscreen platform, with a document that can hold a synthetic
// 30 km trace of 10,000 samples as an open leaves it.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <memory>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "synthetic_trace.h"
#include "traceview/ui/otdr_display_view.h"
#include "traceview/zoom_state.h"
#include "vocabulary/text_table.h"

inline constexpr int kPoints = 10000;

// A Trace pane of 800 x 500 in an MDI area, on a document holding a 30 km trace of 10,000 samples
// as an open leaves it: the same trace is the list's only entry.
class DisplayViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    ResetDisplayState();
    ResetZoomState();
    area.resize(1024, 768);
    view = new COtdrDisplayView(*doc, traces);
    frame = area.addSubWindow(view);
    area.show();
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    SizeViewTo(800, 500);
  }

  // The frame around the view takes what its title bar and border need.
  void SizeViewTo(int width, int height) {
    frame->resize(width + (frame->width() - view->width()), height + (frame->height() - view->height()));
  }

  void LoadTrace() {
    const std::vector<double> db = SyntheticTrace(kPoints, 3u);
    doc->m_strTracePath = "/data/a.sor";
    doc->m_nPointCount = kPoints;
    doc->m_dFibreLengthKm = 30.0;
    SorTraceData& data = doc->m_SorRecord.DataPts.Traces[0];
    data.PointCount = kPoints;
    data.ScaleFactor = 1000;
    doc->m_SorRecord.FxdParams.NoiseFloorLevel = 65000;
    doc->m_SorRecord.FxdParams.DataSpacing[0] = 20000;
    auto record = std::make_unique<TraceRecord>();
    record->m_strPath = doc->m_strTracePath;
    record->m_Model.m_nPointCount = kPoints;
    record->m_Model.m_dDbCeiling = 30.0;
    record->m_Model.m_SorRecord.FxdParams.DataSpacing[0] = 20000;
    data.Samples.resize(kPoints);
    doc->m_DbSamples.Values.resize(kPoints);
    record->m_Model.m_DbSamples.Values.resize(kPoints);
    for (int i = 0; i < kPoints; ++i) {
      data.Samples[i] = static_cast<std::uint16_t>(db[static_cast<std::size_t>(i)] * 1000);
      doc->m_DbSamples.Values[i] = db[static_cast<std::size_t>(i)];
      record->m_Model.m_DbSamples.Values[i] = db[static_cast<std::size_t>(i)];
    }
    traces.push_back(std::move(record));
    g_DisplayState.TraceCount = 1;
    g_DisplayState.SingleTraceMode = 1;
  }

  void Paint() { view->viewport()->repaint(); }

  QSize Client() const { return view->viewport()->size(); }

  std::unique_ptr<COtdrDoc> doc = std::make_unique<COtdrDoc>();
  TraceList traces;
  QMdiArea area;
  COtdrDisplayView* view = nullptr;
  QMdiSubWindow* frame = nullptr;
};
