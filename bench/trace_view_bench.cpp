// A full repaint of the Trace pane at 1920x1080 with four 80,000-sample traces: background fill,
// grid, the four curves, the event strip and the copy to the back buffer. Timed once with the
// per-column curves the view uses and once with one line per sample, in the same run.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <vector>

#include "reference_curve.h"
#include "synthetic_trace.h"
#include "traceview/trace_painter.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kPoints = 80000;
constexpr QRgb kColours[] = {qRgb(0, 0, 255), qRgb(0, 160, 0), qRgb(200, 120, 0), qRgb(160, 0, 160)};

struct Scene {
  Scene() {
    for (unsigned t = 0; t < 4; ++t) traces.push_back(SyntheticTrace(kPoints, 7u + t));
    for (int t = 0; t < 4; ++t) {
      curves.push_back({traces[static_cast<std::size_t>(t)], 30.0 + t, params.pixelsPerSample,
                        kColours[t], t == 3});
    }
    for (int e = 0; e < 12; ++e) events.push_back({e == 0 ? 0 : e == 11 ? 1 : 2 + e % 2, 0.4, e * 5000});
  }
  PaintParams params{{0, 0, kWidth, kHeight}, {kWidth, kHeight}, static_cast<double>(kWidth) / kPoints,
                     kHeight / 60.0};
  std::vector<std::vector<double>> traces;
  std::vector<OverlayCurve> curves;
  std::vector<EventMark> events;
};

template <typename DrawCurves>
void Repaint(benchmark::State& state, DrawCurves drawCurves) {
  const Scene scene;
  QImage cache(kWidth, kHeight, QImage::Format_RGB32);
  QImage backBuffer(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    cache.fill(Qt::white);
    QPainter painter(&cache);
    DrawGrid(painter, scene.params);
    drawCurves(painter, scene);
    DrawEventIcons(painter, scene.params, scene.events);
    painter.end();
    QPainter copy(&backBuffer);
    copy.drawImage(0, 0, cache);
    copy.end();
    benchmark::DoNotOptimize(backBuffer.constBits());
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

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
