// The program as the user works it, offscreen at 1920x1080 with an 80,000-sample trace: an arrow
// key in the Trace pane that steps the marker (the broadcast, the event table, the panes and the
// repaint of what changed), File>Open of the trace to the repainted screen, and the heap after many
// marker steps. Each time is also given as "x_cached_repaint", its ratio to a cached repaint of the
// Trace pane (the markers over the rendered background) measured in the same run. Times are the
// main thread's processor time, which other work on the machine does not stretch.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "document/otdr_doc.h"
#include "pulse_trace_file.h"
#include "traceview/ui/otdr_display_view.h"

namespace {

constexpr int kPoints = 80000;
constexpr int kCachedRepaints = 200;

// Processor time of the calling thread, in nanoseconds.
double ThreadNs() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

class AppScene {
 public:
  AppScene() {
    m_folder = std::filesystem::temp_directory_path() / ("lumivane-view-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_folder);
    m_path = (m_folder / "link.sor").string();
    const std::vector<std::uint8_t> image = PulseTraceImage(kPoints);
    std::ofstream(m_path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                  static_cast<std::streamsize>(image.size()));
    qputenv("LUMIVANE_INSTANCE_NAME", QByteArray("view-bench-") + QByteArray::number(::getpid()));
    qputenv("LUMIVANE_NO_SPLASH", "1");
    qputenv("LUMIVANE_NO_STARTUP_PAUSE", "1");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(m_folder.string()));
    m_app = std::make_unique<COtdrApp>();
    m_app->InitInstance({m_path});
    m_app->SetFileChooser([this](FileChoice) { return std::optional<std::string>(m_path); });
    CMainFrame* frame = m_app->MainFrame();
    frame->resize(1920, 1080);
    m_app->RestorePanes();
    while (frame->windowHandle() == nullptr || !frame->windowHandle()->isExposed()) QApplication::processEvents();
    Settle();
  }
  ~AppScene() {
    m_app->ExitInstance();
    m_app.reset();
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
  }

  // Every pending paint of the window, as the event loop runs it after an input event.
  static void Settle() { QApplication::processEvents(); }

  // Right and Left in turn: the active marker steps one sample and back.
  void ArrowKey() {
    const int key = m_right ? Qt::Key_Right : Qt::Key_Left;
    m_right = !m_right;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(g_pDisplayView, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(g_pDisplayView, &release);
    Settle();
  }

  void CachedRepaint() {
    g_pDisplayView->viewport()->update();
    Settle();
  }

  void FileOpen() {
    m_app->OnFileOpen();
    Settle();
  }

  // Processor nanoseconds of one cached repaint, averaged over many after a warm-up.
  double CachedRepaintNs() {
    for (int i = 0; i < 50; ++i) CachedRepaint();
    const double start = ThreadNs();
    for (int i = 0; i < kCachedRepaints; ++i) CachedRepaint();
    return (ThreadNs() - start) / kCachedRepaints;
  }

  void StartSteps() {
    m_app->MainFrame()->MdiArea()->setActiveSubWindow(m_app->PaneFrame(PaneKind::Trace));
    g_pDisplayView->setFocus();
    m_right = true;
    Settle();
  }

 private:
  std::filesystem::path m_folder;
  std::string m_path;
  std::unique_ptr<COtdrApp> m_app;
  bool m_right = true;
};

std::unique_ptr<AppScene> g_Scene;

AppScene& Scene() {
  if (!g_Scene) g_Scene = std::make_unique<AppScene>();
  return *g_Scene;
}

template <typename Step>
void RunStep(benchmark::State& state, Step step) {
  AppScene& scene = Scene();
  scene.StartSteps();
  double total = 0.0;
  for (auto _ : state) {
    const double start = ThreadNs();
    step(scene);
    total += ThreadNs() - start;
  }
  // Measured after the steps, so both see the same warm program.
  const double cached = scene.CachedRepaintNs();
  state.counters["x_cached_repaint"] = total / static_cast<double>(state.iterations()) / cached;
  state.counters["cached_repaint_us"] = cached / 1000.0;
}

void BM_App_CachedRepaint(benchmark::State& state) {
  RunStep(state, [](AppScene& scene) { scene.CachedRepaint(); });
}
BENCHMARK(BM_App_CachedRepaint)->Unit(benchmark::kMicrosecond);

void BM_App_MarkerStep(benchmark::State& state) {
  RunStep(state, [](AppScene& scene) { scene.ArrowKey(); });
}
BENCHMARK(BM_App_MarkerStep)->Unit(benchmark::kMicrosecond);

void BM_App_FileOpen80k(benchmark::State& state) {
  RunStep(state, [](AppScene& scene) { scene.FileOpen(); });
}
BENCHMARK(BM_App_FileOpen80k)->Unit(benchmark::kMillisecond);

// 3,000 marker steps after a warm-up: what the heap holds more afterwards ("heap_growth_kb").
void BM_App_MarkerStepHeap(benchmark::State& state) {
  AppScene& scene = Scene();
  scene.StartSteps();
  for (int i = 0; i < 200; ++i) scene.ArrowKey();
  double growth = 0.0;
  for (auto _ : state) {
    const std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 3000; ++i) scene.ArrowKey();
    growth = (static_cast<double>(mallinfo2().uordblks) - static_cast<double>(before)) / 1024.0;
  }
  state.counters["heap_growth_kb"] = growth;
}
BENCHMARK(BM_App_MarkerStepHeap)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

// The program goes before the Qt application does.
void EndAppBench() { g_Scene.reset(); }
