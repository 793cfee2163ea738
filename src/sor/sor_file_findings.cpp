#include "sor/sor_file_findings.h"

#include "sor/sor_map_layout.h"

SorFileFinding InspectSorFile(std::span<const std::uint8_t> image, const SorRecord& record) {
  const SorMapLayout layout = ReadSorMapLayout(image);
  const bool hasPoints = record.DataPts.TraceCount > 0 && record.DataPts.Traces[0].PointCount > 0;
  if (!layout.readable || layout.blocks.empty() || !hasPoints) return SorFileFinding::kNoTrace;
  if (layout.end > static_cast<std::int64_t>(image.size()) || layout.RepeatsAnEntry() ||
      record.Source.DamagedBlocks != 0) {
    return SorFileFinding::kDamaged;
  }
  if (record.Source.SamplesCut != 0) return SorFileFinding::kSamplesCut;
  return SorFileFinding::kSound;
}
