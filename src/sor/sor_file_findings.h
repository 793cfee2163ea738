#pragma once
// What a read trace file turned out to be: the loaders refuse a file that holds no trace and warn
// about one that is damaged or cut, rather than show what the reader made up for it.
#include <cstdint>
#include <span>

#include "sor/sor_record.h"

enum class SorFileFinding {
  kSound,
  kNoTrace,       // no block structure, or no data points
  kDamaged,       // its blocks run past its end, its map lists a block twice, or its map, counts or
                  // texts do not fit its blocks, or it lacks the block that places its samples;
                  // what lies inside them is read
  kSamplesCut,    // a trace held more samples than the record keeps
};

/// Judges `image` as read into `record`; a file that holds no trace is that, whatever else.
SorFileFinding InspectSorFile(std::span<const std::uint8_t> image, const SorRecord& record);
