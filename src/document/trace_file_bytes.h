#pragma once
// Reading a trace file whole, refusing what cannot be a trace file before the bytes are parsed.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vocabulary/text_rows.h"

/// A whole file, or the message row of the check it failed.
struct TraceFileBytes {
  LangRow failure = -1;  // -1 on success
  std::vector<std::uint8_t> bytes;
};

/// Reads the regular file at `path` whole; refuses a missing, non-regular, unreadable, empty or
/// larger than MaxTraceFileSize file with its message row.
TraceFileBytes ReadTraceFileBytes(const std::string& path);

/// The message for a file that could not be read: the text of `row`, naming `path` when the file
/// was not found.
std::string FileFailureMessage(LangRow row, std::string_view path);

/// 1 when the file is a usable trace file for a batch: a ".sor" (any case) revision-2 file of
/// 300 to MaxTraceFileSize bytes whose map and blocks are whole, whatever its checksum; else 0.
/// Shows nothing, changes nothing.
int IsValidTraceFile(const std::string& path);
