#pragma once
// Writing a SorRecord as a revision-2 trace file.
#include <cstdint>
#include <string>
#include <vector>

#include "sor/sor_record.h"

enum class SorWriteResult {
  kOk,
  kTooLarge,      // the assembled file would exceed MaxTraceFileSize; nothing written
  kCannotCreate,  // the target is read-only, or the temporary file beside it could not be created
  kWriteFailed,   // the image could not be written whole (short write, disk full)
  kCloseFailed,   // flushing or closing the temporary file failed
  kRenameFailed,  // the temporary file could not replace the target
  kUnreadable,    // the assembled file would not read back as a trace; nothing written
};

/// Assembles the whole file: Map, blocks and checksum. kOk or kTooLarge (image then empty).
SorWriteResult AssembleSorImage(const SorRecord& record, std::vector<std::uint8_t>& image);

/// Writes the record to path through a temporary file and a rename, so a failure never damages
/// an existing file there; a symbolic link at path keeps its place and its target is replaced.
/// A file that would not read back as a trace is not written. The record is not changed.
SorWriteResult WriteSorFile(const SorRecord& record, const std::string& path);
