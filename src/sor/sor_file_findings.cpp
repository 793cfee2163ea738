#include "sor/sor_file_findings.h"

#include "sor/sor_block_parsers.h"
#include "sor/sor_crc.h"
#include "sor/sor_format.h"
#include "sor/sor_map_layout.h"

namespace {

/// Whether a revision-1 map's block count fits the entries its size holds: writers count the Map
/// itself or leave it out, and no other count describes the map.
bool CountFitsEntries(const SorMapLayout& layout) {
  const auto entries = static_cast<std::int64_t>(layout.blocks.size());
  return layout.blockCount == entries || layout.blockCount == entries + 1;
}

/// Whether the record holds the block that places its samples in distance and time.
bool HoldsFxdParams(const SorRecord& record) {
  return record.Source.BlockOffsets[SorParserIndex(kSorBlockFxdParams)] >= 0;
}

}  // namespace

SorFileFinding InspectSorFile(std::span<const std::uint8_t> image, const SorRecord& record) {
  const SorMapLayout layout = ReadSorMapLayout(image);
  const bool hasPoints = record.DataPts.TraceCount > 0 && record.DataPts.Traces[0].PointCount > 0;
  if (!layout.readable || layout.blocks.empty() || !hasPoints) return SorFileFinding::kNoTrace;
  if (layout.end > static_cast<std::int64_t>(image.size()) || layout.RepeatsAnEntry() ||
      record.Source.DamagedBlocks != 0 || !HoldsFxdParams(record) || (!IsSorV2(image) && !CountFitsEntries(layout))) {
    return SorFileFinding::kDamaged;
  }
  if (record.Source.SamplesCut != 0) return SorFileFinding::kSamplesCut;
  return SorFileFinding::kSound;
}
