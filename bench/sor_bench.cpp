// Reading and writing trace files, each iteration timing the work and a plain copy (or plain file
// read or write) of the same bytes one after the other, so the ratio comes from the same moments of
// the machine: "x_copy" (in memory) or "x_plain" (through the file system), as medians. Files: pulse-shaped
// traces of 10,000, 30,000 and 80,000 points, one of them with its checksum in another maker's
// convention, and every ".sor" file of OTDR_SAMPLE_DIR when it is set.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "document/otdr_doc.h"
#include "interop/sample_files.h"
#include "pulse_trace_file.h"
#include "sor/sor_crc.h"
#include "sor/sor_reader.h"
#include "sor/sor_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPulsePoints[] = {10000, 30000, kSorMaxSamples};

double Nanoseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::nano>(to - from).count();
}

const std::filesystem::path& WorkFolder() {
  static const std::filesystem::path folder = [] {
    auto path = std::filesystem::temp_directory_path() / ("lumivane-sor-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return folder;
}

std::string WriteWorkFile(const std::string& name, std::span<const std::uint8_t> bytes) {
  const std::string path = (WorkFolder() / name).string();
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  benchmark::DoNotOptimize(::write(fd, bytes.data(), bytes.size()));
  ::close(fd);
  return path;
}

double Median(std::vector<double>& values) {
  if (values.empty()) return 0.0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// Every iteration runs `baseline` and then `work`; the manual time is the work's, and `counter` is
// the ratio of their medians, which an iteration cut short by another process does not move.
template <typename Baseline, typename Work>
void AgainstBaseline(benchmark::State& state, const char* counter, std::size_t bytes, Baseline baseline, Work work) {
  std::vector<double> baselineNs;
  std::vector<double> workNs;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    baseline();
    const auto t1 = Clock::now();
    work();
    const auto t2 = Clock::now();
    baselineNs.push_back(Nanoseconds(t0, t1));
    workNs.push_back(Nanoseconds(t1, t2));
    state.SetIterationTime(workNs.back() * 1e-9);
  }
  state.counters[counter] = Median(workNs) / Median(baselineNs);
  state.counters["bytes"] = static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// `work` beside a copy of `image` in memory.
template <typename Work>
void AgainstCopy(benchmark::State& state, const std::vector<std::uint8_t>& image, Work work) {
  std::vector<std::uint8_t> copy(image.size());
  AgainstBaseline(
      state, "x_copy", image.size(),
      [&] {
        std::memcpy(copy.data(), image.data(), image.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
      },
      work);
}

// The reader and the checksum test over an image in memory, beside a copy of the image.
void ReadInMemory(benchmark::State& state, const std::vector<std::uint8_t>& image) {
  auto record = std::make_unique<SorRecord>();
  AgainstCopy(state, image, [&] {
    benchmark::DoNotOptimize(VerifySorChecksum(image));
    benchmark::DoNotOptimize(ReadSorImage(image, *record));
    benchmark::ClobberMemory();
  });
}

// The document's load of a file (read from disk, parse, keep the image), beside a plain read of
// the same file into a buffer of its size.
void LoadFromDisk(benchmark::State& state, const std::vector<std::uint8_t>& image, const std::string& name) {
  const std::string path = WriteWorkFile(name, image);
  std::vector<std::uint8_t> buffer(image.size());
  auto doc = std::make_unique<COtdrDoc>();
  auto record = std::make_unique<SorRecord>();
  AgainstBaseline(
      state, "x_plain", image.size(),
      [&] {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        benchmark::DoNotOptimize(::read(fd, buffer.data(), buffer.size()));
        ::close(fd);
        benchmark::ClobberMemory();
      },
      [&] {
        benchmark::DoNotOptimize(doc->LoadTraceFile(path, 0, *record));
        benchmark::ClobberMemory();
      });
}

void BM_ReadWithChecksum(benchmark::State& state) {
  ReadInMemory(state, PulseTraceImage(static_cast<int>(state.range(0))));
}

void BM_ReadWithForeignChecksum(benchmark::State& state) {
  ReadInMemory(state, WithForeignChecksum(PulseTraceImage(static_cast<int>(state.range(0)))));
}

void BM_LoadFromDisk(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  LoadFromDisk(state, PulseTraceImage(points), "load-" + PointsLabel(points) + ".sor");
}

void BM_AssembleImage(benchmark::State& state) {
  const auto record = PulseTraceRecord(static_cast<int>(state.range(0)));
  std::vector<std::uint8_t> image;
  AssembleSorImage(*record, image);
  AgainstCopy(state, image, [&] {
    benchmark::DoNotOptimize(AssembleSorImage(*record, image));
    benchmark::ClobberMemory();
  });
}

// Save's write (temporary file, flush to disk, rename) beside a plain write of the same bytes that
// is flushed to disk as well.
void BM_WriteFile(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  const auto record = PulseTraceRecord(points);
  std::vector<std::uint8_t> image;
  AssembleSorImage(*record, image);
  const std::string plain = (WorkFolder() / ("plain-" + PointsLabel(points) + ".sor")).string();
  const std::string saved = (WorkFolder() / ("saved-" + PointsLabel(points) + ".sor")).string();
  AgainstBaseline(
      state, "x_plain", image.size(),
      [&] {
        const int fd = ::open(plain.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        benchmark::DoNotOptimize(::write(fd, image.data(), image.size()));
        ::fsync(fd);
        ::close(fd);
      },
      [&] { benchmark::DoNotOptimize(WriteSorFile(*record, saved)); });
}

void PulseSizes(benchmark::internal::Benchmark* b) {
  b->ArgName("points");
  for (const int points : kPulsePoints) b->Arg(points);
  b->UseManualTime();
}

BENCHMARK(BM_ReadWithChecksum)->Apply(PulseSizes);
BENCHMARK(BM_ReadWithForeignChecksum)->Apply(PulseSizes);
BENCHMARK(BM_LoadFromDisk)->Apply(PulseSizes);
BENCHMARK(BM_AssembleImage)->Apply(PulseSizes);
BENCHMARK(BM_WriteFile)->Apply(PulseSizes)->Unit(benchmark::kMicrosecond);

// The real files, named by their size only.
const bool kSampleFilesRegistered = [] {
  for (const auto& file : lumivane::test::SampleSorFiles()) {
    const std::string size = std::to_string(file.bytes.size()) + "B";
    benchmark::RegisterBenchmark(("BM_ReadSampleFile/" + size).c_str(),
                                 [&file](benchmark::State& state) { ReadInMemory(state, file.bytes); })
        ->UseManualTime();
    benchmark::RegisterBenchmark(("BM_LoadSampleFile/" + size).c_str(),
                                 [&file, size](benchmark::State& state) {
                                   LoadFromDisk(state, file.bytes, "sample-" + size + ".sor");
                                 })
        ->UseManualTime();
  }
  return true;
}();

}  // namespace
