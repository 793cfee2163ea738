#pragma once
// Constants of the trace-file layout shared by the readers and the writer.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

// Block identifiers, without their terminating zero byte.
inline constexpr std::string_view kSorBlockMap = "Map";
inline constexpr std::string_view kSorBlockGenParams = "GenParams";
inline constexpr std::string_view kSorBlockSupParams = "SupParams";
inline constexpr std::string_view kSorBlockFxdParams = "FxdParams";
inline constexpr std::string_view kSorBlockKeyEvents = "KeyEvents";
inline constexpr std::string_view kSorBlockLnkParams = "LnkParams";
inline constexpr std::string_view kSorBlockDataPts = "DataPts";
inline constexpr std::string_view kSorBlockUserName = "UserName";
inline constexpr std::string_view kSorBlockVendor = "NorvalexParams";
inline constexpr std::string_view kSorBlockCksum = "Cksum";

/// The only names a block search can find.
inline constexpr std::array<std::string_view, 10> kSorBlockNames = {
    kSorBlockMap,       kSorBlockGenParams, kSorBlockSupParams, kSorBlockFxdParams, kSorBlockKeyEvents,
    kSorBlockLnkParams, kSorBlockDataPts,   kSorBlockUserName,  kSorBlockVendor,    kSorBlockCksum};

/// Revision this system writes into the Map and its entries (2.00).
inline constexpr int kSorRevision2 = 200;

/// Clamps a count read from a file or a record to [0, capacity]; negative counts mean none.
inline int ClampSorCount(std::int64_t count, int capacity) {
  return static_cast<int>(std::clamp<std::int64_t>(count, 0, capacity));
}
