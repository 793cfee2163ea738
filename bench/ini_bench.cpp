// Listing the sections of a limits file that holds many of them, as each document update does:
// the time per section should stay flat as the file grows (10,000 to 40,000 sections).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/ini_file.h"

namespace {

std::string WriteIni(int sections) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("lumivane-ini-bench-" + std::to_string(::getpid()) + "-" + std::to_string(sections) + ".ini");
  std::ofstream out(path, std::ios::binary);
  for (int s = 0; s < sections; ++s) {
    // Every other name repeats an earlier one in another case, so the check for repeats has work.
    out << "[" << (s % 2 == 0 ? "Section" : "SECTION") << s / 2 << "]\nSplice Loss=1\n";
  }
  return path.string();
}

void BM_SectionNames(benchmark::State& state) {
  const auto sections = static_cast<int>(state.range(0));
  const std::string path = WriteIni(sections);
  const lumivane::IniFile file(path);
  for (auto _ : state) benchmark::DoNotOptimize(file.SectionNames());
  state.SetItemsProcessed(state.iterations() * sections);
  std::filesystem::remove(path);
}

BENCHMARK(BM_SectionNames)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

}  // namespace
