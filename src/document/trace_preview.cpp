#include "document/trace_preview.h"

#include <algorithm>
#include <filesystem>

#include "document/display_model_params.h"
#include "document/display_model_time.h"
#include "document/trace_file_bytes.h"
#include "document/trace_file_reading.h"
#include "platform/number_format.h"
#include "platform/path_util.h"
#include "sor/sor_crc.h"
#include "sor/sor_text.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"
#include "vocabulary/text_table.h"

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
constexpr std::size_t kMinPreviewLength = 200;
/// What the box shows for a path that cannot be opened.
constexpr std::string_view kUnreadableText = "   ";
constexpr std::string_view kLineEnd = "\r\n";

constexpr double kKmToMiles = 0.62137119;
constexpr double kKmToKft = 3.280839895;

std::string UnitLabelOf(const SorFxdParams& fxd) {
  std::string label;
  for (const char16_t cell : SorTextView(fxd.DistanceUnits)) label += static_cast<char>(cell);
  return label;
}

// Whether a file that gave no bytes is one the preview calls too short rather than unreadable.
bool IsShortFile(const std::string& path, const TraceFileBytes& file) {
  if (file.failure < 0) return file.bytes.size() < kMinPreviewLength;
  if (file.failure != TextRow::ReadFileFailed) return false;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return !error && size < kMinPreviewLength;
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

float PreviewRangeOf(double rangeKm, std::string_view fileUnitName) {
  if (fileUnitName == "mi") return static_cast<float>(rangeKm * kKmToMiles);
  if (fileUnitName == "kft") return static_cast<float>(rangeKm * kKmToKft);
  return static_cast<float>(rangeKm);
}

std::string FileUnitNameOf(const SorRecord& record) { return UnitNameOfLabel(UnitLabelOf(record.FxdParams)); }

TracePreview TracePreviewOf(const SorRecord& record) {
  const SorFxdParams& fxd = record.FxdParams;
  TracePreview preview;
  preview.Time = TraceDateTimeOf(fxd.DateTime);
  preview.Wavelength = static_cast<std::int16_t>(ConvertWavelengthField(fxd.ActualWavelength));
  const int widths = std::clamp<int>(fxd.PulseWidthCount, 0, kSorMaxPulseWidths);
  if (widths > 0) preview.PulseWidth = fxd.PulseWidths[widths - 1];
  preview.Range = PreviewRangeOf(AcquisitionRangeKm(record), FileUnitNameOf(record));
  preview.EventCount = static_cast<std::int16_t>(KeyEventCountOf(record));
  return preview;
}

LangRow ReadTracePreview(std::span<const std::uint8_t> file, TracePreview& preview, std::string& fileUnitName,
                         std::string& previewUnitName) {
  const TraceFileReading reading = ReadTraceImage(file);
  if (reading.failure >= 0) return reading.failure;
  preview = TracePreviewOf(*reading.record);
  preview.Warning = reading.warning;
  fileUnitName = FileUnitNameOf(*reading.record);
  previewUnitName = fileUnitName;
  return -1;
}

LangRow ReadTracePreview(std::span<const std::uint8_t> file, TracePreview& preview) {
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
  if (preview.Warning >= 0) text += g_CurrentStrings[preview.Warning];
  return text;
}

std::string TracePreviewTextOfPath(const std::string& path) {
  const TraceFileBytes file = ReadTraceFileBytes(path);
  if (IsShortFile(path, file)) {
    // The suffix is compared as selected here, unlike below: only a lower-case "sor" gets the
    // checksum text.
    return g_CurrentStrings[path.ends_with("sor") ? TextRow::CrcWrongContinue : TextRow::FormatWrongShort];
  }
  // Anything that is not a regular file (a folder, a FIFO, a file gone) shows blanks.
  if (file.failure == TextRow::CantFindFile || file.failure == TextRow::TypeOfFileWrong) {
    return std::string(kUnreadableText);
  }
  if (file.failure >= 0) return g_CurrentStrings[file.failure];
  if (!lumivane::HasSorSuffix(path)) return {};
  if (!IsSorV2(file.bytes)) return g_CurrentStrings[TextRow::FormatWrongPreview];
  TracePreview preview;
  const LangRow refusal = ReadTracePreview(file.bytes, preview);
  // The box shows revision-2 headers only: a map of another revision leaves it empty.
  if (refusal == TextRow::VersionWrong) return {};
  if (refusal >= 0) return g_CurrentStrings[refusal];
  return TracePreviewLines(preview, g_PreviewUnitName);
}
