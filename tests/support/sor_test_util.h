#pragma once
// Shared helpers of the trace-file tests: records live on the heap (about 1 MB each).
#include <gtest/gtest.h>
#include <algorithm>

#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "sor/sor_crc.h"
#include "sor/sor_reader.h"
#include "sor/sor_record.h"
#include "sor/sor_writer.h"

namespace lumivane::test {

inline std::unique_ptr<SorRecord> NewRecord() { return std::make_unique<SorRecord>(); }

/// Reads bytes with the reader the revision test chooses; the record is all zero on refusal.
inline std::unique_ptr<SorRecord> ReadImage(const std::vector<std::uint8_t>& bytes,
                                            SorReadResult expected = SorReadResult::kOk) {
  auto record = NewRecord();
  const SorReadResult result = ReadSorImage(bytes, *record);
  EXPECT_EQ(result, expected);
  return record;
}

inline std::vector<std::uint8_t> Assemble(const SorRecord& record) {
  std::vector<std::uint8_t> image;
  EXPECT_EQ(AssembleSorImage(record, image), SorWriteResult::kOk);
  return image;
}

/// Empty when equal, else the sizes and the first offset where two images differ.
inline std::string ImageDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  if (a == b) return {};
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ", first difference at " +
         std::to_string(at);
}

/// Field-by-field equality of trivially copyable records (their padding is zero in both).
template <typename T>
  requires std::is_trivially_copyable_v<T>
bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

/// The same for the records that hold their rows or samples apart: those compare by value.
inline bool SameBytes(const SorKeyEvents& a, const SorKeyEvents& b) {
  const auto sameRows = [](const SorKeyEvent& x, const SorKeyEvent& y) { return SameBytes(x, y); };
  return std::memcmp(a.Name, b.Name, sizeof a.Name) == 0 && a.KeyEventCount == b.KeyEventCount &&
         std::ranges::equal(a.Events, b.Events, sameRows) && a.EndToEndLoss == b.EndToEndLoss &&
         a.EndToEndMarker1 == b.EndToEndMarker1 && a.EndToEndMarker2 == b.EndToEndMarker2 &&
         a.OpticalReturnLoss == b.OpticalReturnLoss && a.OrlMarker1 == b.OrlMarker1 && a.OrlMarker2 == b.OrlMarker2;
}

inline bool SameBytes(const SorTraceData& a, const SorTraceData& b) {
  return a.PointCount == b.PointCount && a.ScaleFactor == b.ScaleFactor && a.Samples == b.Samples;
}

inline bool SameBytes(const SorDataPts& a, const SorDataPts& b) {
  if (std::memcmp(a.Name, b.Name, sizeof a.Name) != 0 || a.TotalPointCount != b.TotalPointCount ||
      a.TraceCount != b.TraceCount) {
    return false;
  }
  for (int t = 0; t < kSorMaxTraces; ++t) {
    if (!SameBytes(a.Traces[t], b.Traces[t])) return false;
  }
  return true;
}

inline bool SameBytes(const SorRecord& a, const SorRecord& b) {
  return SameBytes(a.Map, b.Map) && SameBytes(a.GenParams, b.GenParams) && SameBytes(a.SupParams, b.SupParams) &&
         SameBytes(a.FxdParams, b.FxdParams) && SameBytes(a.KeyEvents, b.KeyEvents) &&
         SameBytes(a.LnkParams, b.LnkParams) && SameBytes(a.DataPts, b.DataPts) && SameBytes(a.UserName, b.UserName) &&
         SameBytes(a.NorvalexParams, b.NorvalexParams) && SameBytes(a.Cksum, b.Cksum);
}

/// The blocks the screen or a save takes from a record in which `a` and `b` differ; the map and the
/// checksum are left out.
inline std::vector<std::string> ShownBlocksDiffering(const SorRecord& a, const SorRecord& b) {
  std::vector<std::string> differing;
  const auto check = [&](bool same, const char* name) {
    if (!same) differing.emplace_back(name);
  };
  check(SameBytes(a.GenParams, b.GenParams), "GenParams");
  check(SameBytes(a.SupParams, b.SupParams), "SupParams");
  check(SameBytes(a.FxdParams, b.FxdParams), "FxdParams");
  check(SameBytes(a.KeyEvents, b.KeyEvents), "KeyEvents");
  check(SameBytes(a.LnkParams, b.LnkParams), "LnkParams");
  check(SameBytes(a.DataPts, b.DataPts), "DataPts");
  check(SameBytes(a.UserName, b.UserName), "UserName");
  check(SameBytes(a.NorvalexParams, b.NorvalexParams), "NorvalexParams");
  return differing;
}

/// The counts and texts every read record must keep within its capacities, whatever the file.
inline void ExpectSound(const SorRecord& r) {
  EXPECT_GE(r.Map.BlockCount, 0);
  EXPECT_LE(r.Map.BlockCount, kSorMaxMapEntries);
  EXPECT_GE(r.FxdParams.PulseWidthCount, 0);
  EXPECT_LE(r.FxdParams.PulseWidthCount, kSorMaxPulseWidths);
  EXPECT_GE(r.KeyEvents.KeyEventCount, 0);
  EXPECT_LE(r.KeyEvents.KeyEventCount, kSorMaxKeyEvents);
  EXPECT_GE(r.LnkParams.LandmarkCount, 0);
  EXPECT_LE(r.LnkParams.LandmarkCount, kSorMaxLandmarks);
  EXPECT_GE(r.DataPts.TraceCount, 0);
  EXPECT_LE(r.DataPts.TraceCount, kSorMaxTraces);
  for (const auto& trace : r.DataPts.Traces) {
    EXPECT_GE(trace.PointCount, 0);
    EXPECT_LE(trace.PointCount, kSorMaxSamples);
  }
  EXPECT_EQ(r.GenParams.Comment[kSorTextCapacity - 1], 0);
  EXPECT_EQ(r.NorvalexParams.Customer[kSorTextCapacity - 1], 0);
}

inline std::u16string U(const char16_t* text) { return text; }

}  // namespace lumivane::test
