#pragma once
// Reading a trace file and judging it, as File Open does: every caller that shows what a file holds
// (the open itself, its preview, the batch page counts) goes through here, so they agree on what is
// read and on the warning it comes with.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "sor/sor_file_findings.h"
#include "sor/sor_record.h"
#include "vocabulary/text_rows.h"

/// A read and judged trace file: its record, or the message row that refuses it.
struct TraceFileReading {
  LangRow failure = -1;  // -1 when the file was read
  LangRow warning = -1;  // the row the open shows with a file it reads; -1 for a sound file
  SorFileFinding finding = SorFileFinding::kSound;
  std::int32_t length = 0;            // bytes of the file
  std::unique_ptr<SorRecord> record;  // set when the file was read
};

/// Parses `image` with the reader IsSorV2 chooses and judges what it read.
TraceFileReading ReadTraceImage(std::span<const std::uint8_t> image);

/// Reads the file at `path` whole (ReadTraceFileBytes) and then as ReadTraceImage.
TraceFileReading ReadTraceFile(const std::string& path);
