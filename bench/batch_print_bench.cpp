// Peak memory of a batch print: 10, 200 and 2000 trace files of 25,000 samples printed eight to a
// page (Multi Trace) and one to a page (Normal) through the program's print path into a PDF. The
// process's peak resident size is reset before each job (Linux clear_refs), so each figure is the
// job's own peak. kept_MB is what the process holds after the job more than before it, with the
// report and the print path still alive as in the program: a job keeps nothing of its files.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPrinter>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "pulse_trace_file.h"
#include "reports/batch_page_plan.h"
#include "reports/batch_print_state.h"
#include "reports/ui/print_job_control.h"
#include "reports/ui/single_trace_report.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

constexpr int kPoints = 25000;
// What a job may leave resident after it ended: page-size noise, no file's worth of data.
constexpr double kKeptLimitMb = 1.0;

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_batch_print";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// The process's resident size figure `field` ("VmHWM", "VmRSS") in MB.
double StatusMb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == field + ":") {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
    status.ignore(1 << 12, '\n');
  }
  return 0.0;
}

void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// A folder of `count` copies of one trace file, made once per count.
const std::string& BatchFolder(int count) {
  static std::vector<std::pair<int, std::string>> made;
  for (const auto& [n, folder] : made) {
    if (n == count) return folder;
  }
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("lumivane_batch_bench_" + std::to_string(count));
  std::filesystem::create_directories(folder);
  const std::vector<std::uint8_t> image = PulseTraceImage(kPoints);
  for (int i = 0; i < count; ++i) {
    std::ofstream(folder / ("t" + std::to_string(i) + ".sor"), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  }
  made.emplace_back(count, folder.string() + "/");
  return made.back().second;
}

void PrintBatch(benchmark::State& state, int layout) {
  App();
  InitLanguageTable();
  SelectLanguage(0);
  const int count = static_cast<int>(state.range(0));
  const std::string& folder = BatchFolder(count);
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back("t" + std::to_string(i) + ".sor");
  const std::string pdf = (std::filesystem::temp_directory_path() / "lumivane_batch_bench.pdf").string();
  double peak = 0.0;
  double before = 0.0;
  double after = 0.0;
  for (auto _ : state) {
    ResetBatchPrint();
    ResetDisplayState();
    SetLengthUnit("km");
    auto doc = std::make_unique<COtdrDoc>();
    doc->m_PrintOptions.Layout = layout;
    doc->m_PrintOptions.PerPageIndex = 3;
    doc->m_PrintOptions.EventTable = 0;
    std::vector<std::unique_ptr<TraceRecord>> traces;
    SingleTraceReport report(*doc, traces, {});
    PrintJobControl::Environment env;
    env.askPrint = [&pdf](QPrinter& printer, int) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromStdString(pdf));
      return true;
    };
    PrintJobControl control(*doc, traces, report, env);
    // A first small job sets up what every job uses once (fonts, the printer, the PDF engine).
    const std::vector<std::string> few(names.begin(), names.begin() + std::min<std::size_t>(names.size(), 2));
    PlanBatchPrint(g_BatchPrint, folder, few, doc->m_PrintOptions, doc->m_ConfigReport);
    control.OnFilePrint();
    PlanBatchPrint(g_BatchPrint, folder, names, doc->m_PrintOptions, doc->m_ConfigReport);
    ResetPeak();
    before = StatusMb("VmRSS");
    control.OnFilePrint();
    peak = StatusMb("VmHWM");
    after = StatusMb("VmRSS");
  }
  state.counters["peak_MB"] = peak;
  state.counters["job_MB"] = peak - before;
  state.counters["kept_MB"] = after - before;
  if (after - before > kKeptLimitMb) state.SkipWithError("the job kept memory after it ended");
  std::filesystem::remove(pdf);
}

void BM_MultiTraceBatchPrint(benchmark::State& state) { PrintBatch(state, kLayoutMultiTrace); }
void BM_NormalBatchPrint(benchmark::State& state) { PrintBatch(state, kLayoutNormal); }

BENCHMARK(BM_MultiTraceBatchPrint)->Arg(10)->Arg(200)->Arg(2000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NormalBatchPrint)->Arg(10)->Arg(200)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
