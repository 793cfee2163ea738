// Loading a trace's pass/fail limits, as every document update and every event-table fill does, from
// a limits file that is large: a 20 MB one-line file (nothing a limits file should hold) and one just
// under a megabyte with thousands of sections. A load must not cost a parse of the whole file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "measure/pass_fail_document.h"

namespace {

std::filesystem::path BenchPath(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("lumivane-limits-bench-" + std::to_string(::getpid()) + "-" + name + ".ini");
}

std::string WriteOneLine(std::size_t bytes) {
  const auto path = BenchPath("line");
  std::ofstream out(path, std::ios::binary);
  out << std::string(bytes, 'x');
  return path.string();
}

// Sections of six limits each, the trace's own section last, until the file reaches `bytes`.
std::string WriteManySections(std::size_t bytes) {
  const auto path = BenchPath("sections");
  std::ofstream out(path, std::ios::binary);
  std::size_t written = 0;
  for (int s = 0; written + 200 < bytes; ++s) {
    // Appended piece by piece: g++ 12 reports a false -Wrestrict overlap on "[" + std::to_string(...).
    std::string section("[");
    section.append(std::to_string(10000 + s))
        .append("]\nSplice Loss=1\nConnector Loss=1\nEvent Relf=40\nEvent Atte=0.5\nLink  Loss=45\nLink ORL=30\n");
    out << section;
    written += section.size();
  }
  out << "[1550]\nSplice Loss=0.3\nConnector Loss=0.75\nEvent Relf=45\nEvent Atte=0.25\nLink  Loss=20\nLink ORL=35\n";
  return path.string();
}

void LoadLimits(benchmark::State& state, const std::string& path) {
  // A file changed within the coarsest timestamp resolution is parsed at every read; a program's
  // limits file was written long before the run.
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  const PassFailThresholds current;
  for (auto _ : state) benchmark::DoNotOptimize(PassFailLimitsForWavelength(current, path, 1550));
  std::filesystem::remove(path);
}

void BM_LimitsOfOneLineFile(benchmark::State& state) {
  LoadLimits(state, WriteOneLine(static_cast<std::size_t>(state.range(0)) << 20));
}

void BM_LimitsOfManySections(benchmark::State& state) {
  LoadLimits(state, WriteManySections(static_cast<std::size_t>(state.range(0)) << 10));
}

BENCHMARK(BM_LimitsOfOneLineFile)->Arg(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LimitsOfManySections)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
