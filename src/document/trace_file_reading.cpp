#include "document/trace_file_reading.h"

#include "document/trace_file_bytes.h"
#include "sor/sor_reader.h"
#include "trace/trace_conversions.h"

namespace {

LangRow ReaderMessageRow(SorReadResult result) {
  switch (result) {
    case SorReadResult::kNotSorFile: return TextRow::NotBellcoreFile;
    case SorReadResult::kWrongVersion: return TextRow::VersionWrong;
    case SorReadResult::kTooLarge: return TextRow::FileTooLarge;
    case SorReadResult::kOk: break;
  }
  return -1;
}

LangRow WarningRow(SorFileFinding finding) {
  switch (finding) {
    case SorFileFinding::kDamaged: return TextRow::FileDamaged;
    case SorFileFinding::kSamplesCut: return TextRow::TracePointsCut;
    case SorFileFinding::kSound:
    case SorFileFinding::kNoTrace: break;
  }
  return -1;
}

}  // namespace

TraceFileReading ReadTraceImage(std::span<const std::uint8_t> image) {
  TraceFileReading reading;
  reading.length = static_cast<std::int32_t>(image.size());
  // The file is read aside: a refused file leaves whatever its caller holds as it was.
  auto record = std::make_unique<SorRecord>();
  const SorReadResult result = ReadSorImage(image, *record);
  if (result != SorReadResult::kOk) {
    reading.failure = ReaderMessageRow(result);
    return reading;
  }
  reading.finding = InspectSorFile(image, *record);
  if (reading.finding == SorFileFinding::kNoTrace) {
    reading.failure = TextRow::FileHoldsNoTrace;
    return reading;
  }
  // The codec knows no distances: whether the user's zero lies on the trace is judged here.
  if (!UserZeroOnTrace(*record)) reading.finding = SorFileFinding::kDamaged;
  reading.warning = WarningRow(reading.finding);
  reading.record = std::move(record);
  return reading;
}

TraceFileReading ReadTraceFile(const std::string& path) {
  const TraceFileBytes file = ReadTraceFileBytes(path);
  if (file.failure >= 0) {
    TraceFileReading refused;
    refused.failure = file.failure;
    return refused;
  }
  return ReadTraceImage(file.bytes);
}
