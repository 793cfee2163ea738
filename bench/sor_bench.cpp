// Reading (with the checksum test) and writing a full-size trace file, each beside a plain copy
// of the same bytes timed in the same run; the "x_copy" counter is the ratio to that copy.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "document/sor_crc.h"
#include "document/sor_reader.h"
#include "document/sor_text.h"
#include "document/sor_writer.h"

namespace {

constexpr int kEvents = 60;

std::unique_ptr<SorRecord> FullSizeRecord() {
  auto r = std::make_unique<SorRecord>();
  SetSorText(r->GenParams.CableId, u"Cable 12 / Tray 4");
  SetSorText(r->GenParams.Comment, u"Acceptance test, span A to B");
  SetSorText(r->FxdParams.DistanceUnits, u"mt");
  r->FxdParams.PulseWidthCount = 1;
  r->FxdParams.PulseWidths[0] = 100;
  r->FxdParams.DataPointCounts[0] = kSorMaxSamples;
  r->KeyEvents.KeyEventCount = kEvents;
  for (int k = 0; k < kEvents; ++k) {
    r->KeyEvents.Events[k].TimeOfFlight = k * 5000;
    SetSorText(r->KeyEvents.Events[k].EventCode, u"0F9999");
  }
  r->DataPts.TotalPointCount = kSorMaxSamples;
  r->DataPts.TraceCount = 1;
  r->DataPts.Traces[0].PointCount = kSorMaxSamples;
  r->DataPts.Traces[0].ScaleFactor = 1000;
  for (int i = 0; i < kSorMaxSamples; ++i) {
    r->DataPts.Traces[0].Samples[i] = static_cast<std::uint16_t>(2000 + i % 40000);
  }
  r->UserName.UserVer = 203;
  r->UserName.Magic = kSorUserMagic;
  return r;
}

const std::vector<std::uint8_t>& FullSizeImage() {
  static const std::vector<std::uint8_t> image = [] {
    std::vector<std::uint8_t> bytes;
    AssembleSorImage(*FullSizeRecord(), bytes);
    return bytes;
  }();
  return image;
}

/// Nanoseconds of one plain copy of the image, measured now.
double CopyNanoseconds() {
  const auto& image = FullSizeImage();
  std::vector<std::uint8_t> target(image.size());
  constexpr int kRounds = 2000;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kRounds; ++i) {
    std::memcpy(target.data(), image.data(), image.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / kRounds;
}

template <typename Body>
void RunAgainstCopy(benchmark::State& state, Body body) {
  const double copy = CopyNanoseconds();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) body();
  const double each =
      std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
      static_cast<double>(state.iterations());
  state.counters["x_copy"] = each / copy;
  state.counters["bytes"] = static_cast<double>(FullSizeImage().size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FullSizeImage().size()));
}

void BM_CopyImage(benchmark::State& state) {
  const auto& image = FullSizeImage();
  std::vector<std::uint8_t> target(image.size());
  RunAgainstCopy(state, [&] {
    std::memcpy(target.data(), image.data(), image.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  });
}

void BM_ReadWithChecksum(benchmark::State& state) {
  const auto& image = FullSizeImage();
  auto record = std::make_unique<SorRecord>();
  RunAgainstCopy(state, [&] {
    benchmark::DoNotOptimize(VerifySorChecksum(image));
    benchmark::DoNotOptimize(ReadSorImage(image, *record));
    benchmark::ClobberMemory();
  });
}

void BM_WriteImage(benchmark::State& state) {
  const auto record = FullSizeRecord();
  std::vector<std::uint8_t> image;
  RunAgainstCopy(state, [&] {
    benchmark::DoNotOptimize(AssembleSorImage(*record, image));
    benchmark::ClobberMemory();
  });
}

}  // namespace

BENCHMARK(BM_CopyImage);
BENCHMARK(BM_ReadWithChecksum);
BENCHMARK(BM_WriteImage);
