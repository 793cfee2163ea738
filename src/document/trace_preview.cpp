#include "document/trace_preview.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <vector>

#include "vocabulary/text_table.h"
#include "sor/byte_reader.h"
#include "document/display_model_time.h"
#include "sor/sor_format.h"
#include "sor/sor_crc.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"
#include "platform/number_format.h"
#include "platform/path_util.h"

std::string g_FileUnitName;
std::string g_PreviewUnitName;

namespace {

// Rows of the text table that label the preview lines.
constexpr LangRow kRowEventNumber = 4;
constexpr LangRow kRowWavelength = 5;
constexpr LangRow kRowPulseWidth = 6;
constexpr LangRow kRowRange = 7;
constexpr LangRow kRowMeasureDate = 8;

/// Files shorter than this are refused before they are read.
constexpr std::uintmax_t kMinPreviewLength = 200;
/// What the box shows for a path that cannot be opened.
constexpr std::string_view kUnreadableText = "   ";
constexpr std::string_view kLineEnd = "\r\n";

constexpr double kKmToMiles = 0.62137119;
constexpr double kKmToKft = 3.280839895;

constexpr std::size_t kNameLength = 3;  // map names are told apart by their first three characters
constexpr std::size_t kMapNameCapacity = 20;  // names beyond 19 characters are cut

/// Bytes of a name up to its zero byte, at most `length` of them.
std::string NamePrefix(const char16_t* name, std::size_t length) {
  std::string prefix;
  for (std::size_t i = 0; i < length && name[i] != 0; ++i) prefix.push_back(static_cast<char>(name[i] & 0xFF));
  return prefix;
}

/// File bytes widened as Latin-1 into UTF-8, like every text taken from a record.
std::string WidenToUtf8(const std::uint8_t* bytes, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length && bytes[i] != 0; ++i) {
    const std::uint8_t b = bytes[i];
    if (b < 0x80) {
      text.push_back(static_cast<char>(b));
    } else {
      text.push_back(static_cast<char>(0xC0 | (b >> 6)));
      text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
    }
  }
  return text;
}

void SkipIdentifier(lumivane::ByteReader& in) {
  while (in.Position() < in.Length() && in.U8() != 0) {
  }
}

// What the range line is computed from.
struct PreviewRange {
  std::string units;
  AcquisitionRangeFields fields;
};

void ReadPreviewFxdParams(lumivane::ByteReader& in, TracePreview& preview, PreviewRange& range,
                          std::string& fileUnitName, std::string& previewUnitName) {
  SkipIdentifier(in);
  preview.Time = TraceDateTimeOf(in.U32());
  const std::array<std::uint8_t, 2> unitBytes = {in.U8(), in.U8()};
  const std::string units = WidenToUtf8(unitBytes.data(), unitBytes.size());
  fileUnitName = UnitNameOfLabel(units);
  previewUnitName = fileUnitName;
  preview.Wavelength = static_cast<std::int16_t>(ConvertWavelengthField(in.I16()));
  in.Skip(4 + 4);  // acquisition offset and its distance

  const std::int16_t widthsInFile = in.I16();
  const int widths = std::clamp<int>(widthsInFile, 0, kSorMaxPulseWidths);
  const std::int64_t extra = std::max<std::int64_t>(widthsInFile, 0) - widths;
  for (int i = 0; i < widths; ++i) preview.PulseWidth = in.I16();
  in.Skip(extra * 2);
  in.Skip((widths + extra) * (4 + 4));  // data spacings and point counts
  range.fields.groupIndexField = in.I32();
  in.Skip(2 + 4 + 2);  // backscatter coefficient, number of averages, averaging time
  range.fields.rangeTime = in.I32();
  SorFxdParams distance{};
  distance.AcquisitionRangeDistance = in.I32();
  std::copy(unitBytes.begin(), unitBytes.end(), distance.DistanceUnits);
  range.fields.rangeDistanceKm = AcquisitionRangeDistanceKm(distance);
  range.units = units;
}

// The range every view shows, in the unit the preview line names.
float PreviewRangeOf(const PreviewRange& range) {
  double km = AcquisitionRangeKm(range.fields);
  if (range.units == "mi") km *= kKmToMiles;
  if (range.units == "ft") km *= kKmToKft;
  return static_cast<float>(km);
}

std::string ReadWholeFile(std::ifstream& in, std::uintmax_t size) {
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

}  // namespace

std::string UnitNameOfLabel(std::string_view label) {
  if (label == "mt") return "km";
  if (label == "ft") return "kft";
  return std::string(label);
}

void ResetPreviewUnitNames() {
  g_FileUnitName.clear();
  g_PreviewUnitName.clear();
}

SorReadResult ReadTracePreview(std::span<const std::uint8_t> file, TracePreview& preview,
                               std::string& fileUnitName, std::string& previewUnitName) {
  preview.EventCount = 0;
  lumivane::ByteReader in(file);
  if (in.ByteAt(0) != 'M' || in.ByteAt(1) != 'a' || in.ByteAt(2) != 'p') return SorReadResult::kNotSorFile;
  in.Skip(static_cast<std::int64_t>(kSorBlockMap.size()) + 1);
  if (in.U16() != kSorRevision2) return SorReadResult::kWrongVersion;
  const std::uint32_t mapSize = in.U32();
  const int entries = std::clamp<int>(in.I16(), 0, kSorMaxMapEntries);

  struct Entry {
    char16_t name[kMapNameCapacity];
    std::int64_t start;
  };
  std::array<Entry, kSorMaxMapEntries> map{};
  std::int64_t start = mapSize;
  for (int k = 0; k < entries; ++k) {
    in.Text(map[k].name, kMapNameCapacity);
    in.U16();  // revision, not used
    map[k].start = start;
    start += in.U32();
  }

  PreviewRange range;
  bool hasFxdParams = false;
  for (int k = 0; k < entries; ++k) {
    if (map[k].start >= in.Length()) continue;
    const std::string prefix = NamePrefix(map[k].name, kNameLength);
    lumivane::ByteReader block(file, map[k].start);
    // No block is taken from the first entry: in every file it is a block before FxdParams.
    if (k == 0) continue;
    if (prefix == kSorBlockFxdParams.substr(0, kNameLength)) {
      ReadPreviewFxdParams(block, preview, range, fileUnitName, previewUnitName);
      hasFxdParams = true;
    } else if (prefix == kSorBlockKeyEvents.substr(0, kNameLength)) {
      SkipIdentifier(block);
      preview.EventCount = block.I16();
    }
  }
  if (hasFxdParams) preview.Range = PreviewRangeOf(range);
  return SorReadResult::kOk;
}

SorReadResult ReadTracePreview(std::span<const std::uint8_t> file, TracePreview& preview) {
  return ReadTracePreview(file, preview, g_FileUnitName, g_PreviewUnitName);
}

std::string TracePreviewLines(const TracePreview& preview, std::string_view unitName) {
  const TraceDateTime& t = preview.Time;
  std::string text;
  text += g_CurrentStrings[kRowMeasureDate];
  text += lumivane::Format("  %02d/%02d/%04d %02d:%02d:%02d", t.Month, t.Day, t.Year, t.Hour, t.Minute, t.Second);
  text += kLineEnd;
  text += g_CurrentStrings[kRowRange] + lumivane::Format("%2.3f", preview.Range);
  text += unitName;
  text += kLineEnd;
  text += g_CurrentStrings[kRowPulseWidth] + lumivane::Format("%d", preview.PulseWidth) + "ns";
  text += kLineEnd;
  text += g_CurrentStrings[kRowWavelength] + lumivane::Format("%d", preview.Wavelength) + "nm";
  text += kLineEnd;
  text += g_CurrentStrings[kRowEventNumber] + lumivane::Format("%d", preview.EventCount);
  text += kLineEnd;
  return text;
}

std::string TracePreviewTextOfPath(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  // Only regular files are opened: a FIFO or a device would block the dialog on the read.
  if (!fs::is_regular_file(path, error)) return std::string(kUnreadableText);
  std::ifstream in(path, std::ios::binary);
  const std::uintmax_t size = fs::file_size(path, error);
  if (!in || error) return std::string(kUnreadableText);
  if (size > static_cast<std::uintmax_t>(MaxTraceFileSize)) return g_CurrentStrings[TextRow::FileTooLarge];
  if (size < kMinPreviewLength) {
    // The suffix is compared as selected here, unlike below: only a lower-case "sor" gets the
    // checksum text.
    return g_CurrentStrings[path.ends_with("sor") ? TextRow::CrcWrongContinue : TextRow::FormatWrongShort];
  }
  const std::string bytes = ReadWholeFile(in, size);
  if (bytes.empty()) return g_CurrentStrings[TextRow::ReadFileFailed];
  if (!lumivane::HasSorSuffix(path)) return {};
  const std::span<const std::uint8_t> image(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  if (!IsSorV2(image)) return g_CurrentStrings[TextRow::FormatWrongPreview];
  TracePreview preview;
  if (ReadTracePreview(image, preview) != SorReadResult::kOk) return {};
  return TracePreviewLines(preview, g_PreviewUnitName);
}
