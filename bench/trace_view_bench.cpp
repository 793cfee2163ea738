// A full repaint of the Trace pane at 1920x1080 with four 80,000-sample traces: background fill,
// grid, the four curves, the event strip and the copy to the screen. Timed with the per-column
// curves the view uses, with one line per sample in the same run, and through the view itself.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWindow>
#include <memory>
#include <vector>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "traceview/ui/otdr_display_view.h"
#include "traceview/ui/reference_curve.h"
#include "traceview/ui/synthetic_trace.h"
#include "traceview/ui/trace_painter.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPoints = 80000;
constexpr int kTraces = 4;
constexpr QRgb kColours[] = {qRgb(0, 0, 255), qRgb(0, 160, 0), qRgb(200, 120, 0), qRgb(160, 0, 160)};

struct Scene {
  Scene() {
    for (unsigned t = 0; t < kTraces; ++t) traces.push_back(SyntheticTrace(kPoints, 7u + t));
    for (int t = 0; t < kTraces; ++t) {
      curves.push_back({traces[static_cast<std::size_t>(t)], 30.0 + t, params.pixelsPerSample, kColours[t],
                        t == kTraces - 1});
    }
    for (int e = 0; e < 12; ++e) events.push_back({e == 0 ? 0 : e == 11 ? 1 : 2 + e % 2, 0.4, e * 5000});
  }
  PaintParams params{
      {0, 0, kWidth, kHeight}, {kWidth, kHeight}, static_cast<double>(kWidth) / kPoints, kHeight / 60.0};
  std::vector<std::vector<double>> traces;
  std::vector<OverlayCurve> curves;
  std::vector<EventMark> events;
};

template <typename DrawCurves>
void Repaint(benchmark::State& state, DrawCurves drawCurves) {
  const Scene scene;
  QImage cache(kWidth, kHeight, QImage::Format_RGB32);
  QImage screen(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    cache.fill(Qt::white);
    QPainter painter(&cache);
    DrawGrid(painter, scene.params);
    drawCurves(painter, scene);
    DrawEventIcons(painter, scene.params, scene.events);
    painter.end();
    QPainter copy(&screen);
    copy.drawImage(0, 0, cache);
    copy.end();
    benchmark::DoNotOptimize(screen.constBits());
  }
}

void BM_TraceViewRepaint_PerColumn(benchmark::State& state) {
  Repaint(state, [](QPainter& painter, const Scene& scene) {
    DrawOverlayTraces(painter, scene.params, scene.curves, {});
  });
}
BENCHMARK(BM_TraceViewRepaint_PerColumn)->Unit(benchmark::kMillisecond);

void BM_TraceViewRepaint_LinePerSample(benchmark::State& state) {
  Repaint(state, [](QPainter& painter, const Scene& scene) {
    for (const OverlayCurve& curve : scene.curves) {
      const CurveMapping mapping{curve.step, scene.params.pixelsPerDb, curve.ceilingDb, kHeight, 0, kWidth};
      DrawCurveSamplePerLine(painter, curve.db, mapping, QPen(QColor(curve.colour), curve.current ? 2 : 1));
    }
  });
}
BENCHMARK(BM_TraceViewRepaint_LinePerSample)->Unit(benchmark::kMillisecond);

// The pane itself: a document with four listed traces and both markers with their insertion-loss
// aux markers, shown at 1920x1080.
struct ViewScene {
  ViewScene() {
    doc->m_strTracePath = "/bench/t3.sor";
    doc->m_nPointCount = kPoints;
    doc->m_dFibreLengthKm = 40.0;
    doc->m_SorRecord.DataPts.Traces[0].PointCount = kPoints;
    doc->m_SorRecord.DataPts.Traces[0].ScaleFactor = 1000;
    doc->m_SorRecord.UserName.StoredCursorA = kPoints / 4;
    doc->m_SorRecord.UserName.StoredCursorB = kPoints / 2;
    doc->m_MarkerState.AnalysisMode = 1;
    doc->m_DbSamples.Values = scene.traces.back();
    for (int t = 0; t < kTraces; ++t) {
      auto record = std::make_unique<TraceRecord>();
      record->m_strPath = "/bench/t" + std::to_string(t) + ".sor";
      record->m_nColourIndex = t;
      record->m_Model.m_nPointCount = kPoints;
      record->m_Model.m_dDbCeiling = 30.0 + t;
      record->m_Model.m_DbSamples.Values = scene.traces[static_cast<std::size_t>(t)];
      traces.push_back(std::move(record));
    }
    g_DisplayState.TraceCount = kTraces;
    view = std::make_unique<COtdrDisplayView>(*doc, traces);
    view->resize(kWidth, kHeight);
    view->show();
    while (view->windowHandle() == nullptr || !view->windowHandle()->isExposed()) QApplication::processEvents();
    view->OnInitialUpdate();
    view->viewport()->repaint();
  }
  const Scene scene;
  std::unique_ptr<COtdrDoc> doc = std::make_unique<COtdrDoc>();
  TraceList traces;
  std::unique_ptr<COtdrDisplayView> view;
};

// Every paint renders the background afresh.
void BM_TraceViewRepaint_View(benchmark::State& state) {
  ViewScene pane;
  for (auto _ : state) {
    pane.view->State().m_bBackgroundDirty = 1;
    pane.view->viewport()->repaint();
  }
  state.counters["renders"] = pane.view->RenderCount();
}
BENCHMARK(BM_TraceViewRepaint_View)->Unit(benchmark::kMillisecond);

// A marker moved: the whole pane is painted again over the background rendered before.
void BM_TraceViewRepaint_Markers(benchmark::State& state) {
  ViewScene pane;
  for (auto _ : state) pane.view->viewport()->repaint();
  state.counters["renders"] = pane.view->RenderCount();
}
BENCHMARK(BM_TraceViewRepaint_Markers)->Unit(benchmark::kMicrosecond);

// A window that covered a 240x160 corner of the pane went away: only that corner is exposed.
void BM_TraceViewRepaint_ExposedCorner(benchmark::State& state) {
  ViewScene pane;
  for (auto _ : state) pane.view->viewport()->repaint(QRect(0, 0, 240, 160));
  state.counters["renders"] = pane.view->RenderCount();
}
BENCHMARK(BM_TraceViewRepaint_ExposedCorner)->Unit(benchmark::kMicrosecond);

}  // namespace

void EndAppBench();

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  EndAppBench();
  benchmark::Shutdown();
  return 0;
}
