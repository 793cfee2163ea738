#pragma once
// Which blocks a written trace file holds, in which order, and their bodies. A record read from a
// file is written in the order of that file's map: blocks this system does not write (another
// maker's, landmarks) come back verbatim, and a written block the user did not change comes back
// byte for byte; an edited one is built anew, its unedited texts still as the file held them.
// This system's own blocks a file lacks go after the others; the checksum block is not planned.
#include <cstdint>
#include <string>
#include <vector>

#include "sor/sor_block_builders.h"
#include "sor/sor_record.h"

struct SorPlannedBlock {
  std::string name;         // map entry name
  std::uint16_t revision;   // map entry block revision
  SorBlockBuffer body;      // the whole block; empty for an entry of size 0
};

/// The blocks before the checksum block, in map order.
std::vector<SorPlannedBlock> PlanSorBlocks(const SorRecord& record);
