#pragma once
// Reading a trace file image into a SorRecord. Each reader checks what can refuse the file first,
// then parses into a zeroed record: the target is replaced only on success, so fields of an
// earlier file never survive into the next, and a refused file leaves the target untouched.
#include <cstdint>
#include <span>

#include "sor/sor_record.h"

enum class SorReadResult {
  kOk,
  kNotSorFile,    // no "Map" at the start of a revision-2 file ("Not Bellcore File !")
  kWrongVersion,  // Map revision other than 2.00 ("Version of file wrong !")
  kTooLarge,      // image longer than MaxTraceFileSize ("File too large !")
};

/// Reads a revision-2 image, finding each block by its name.
SorReadResult ReadSorV2(std::span<const std::uint8_t> image, SorRecord& target);

/// Reads a revision-1 image, block after block from the map size on.
SorReadResult ReadSorV1(std::span<const std::uint8_t> image, SorRecord& target);

/// Reads with the reader IsSorV2 chooses.
SorReadResult ReadSorImage(std::span<const std::uint8_t> image, SorRecord& target);
