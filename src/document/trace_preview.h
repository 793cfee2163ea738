#pragma once
// The header preview of a trace file, as the open dialog and the batch page counts show it: the
// file is read and judged by the very function File Open uses, so the preview shows what opening
// the file would show, with the same warning or refusal.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sor/sor_record.h"
#include "trace/display_records.h"
#include "vocabulary/text_rows.h"

/// Summary of one file's header as the open shows it.
struct TracePreview {
  TraceDateTime Time{};
  std::int16_t Wavelength = 0;  // nm
  std::int16_t PulseWidth = 0;  // ns, the last pulse width listed
  float Range = 0.0f;           // acquisition range, in the unit g_PreviewUnitName names
  std::int16_t EventCount = 0;
  LangRow Warning = -1;         // the warning the open shows with the file; -1 for a sound file
};

/// Distance unit of the file whose header was read last, as Save compares it with the display
/// unit ("km", "kft", or the file's two characters).
extern std::string g_FileUnitName;
/// Unit the preview's range line shows.
extern std::string g_PreviewUnitName;

/// The unit a file's units-of-distance label names: "mt" is "km", "ft" is "kft", any other label
/// its two characters.
std::string UnitNameOfLabel(std::string_view label);

/// Empties both unit names, as at program start.
void ResetPreviewUnitNames();

/// The unit name of the record's units-of-distance label (UnitNameOfLabel).
std::string FileUnitNameOf(const SorRecord& record);

/// An acquisition range in the file's unit (FileUnitNameOf): miles for "mi", kft for "kft", km
/// otherwise.
float PreviewRangeOf(double rangeKm, std::string_view fileUnitName);

/// The preview of a record File Open has read.
TracePreview TracePreviewOf(const SorRecord& record);

/// Reads `file` as File Open reads it and fills `preview` with what the open shows, and both unit
/// names with the file's distance unit; returns -1, or the row of the message that refuses the file
/// (and then changes neither name).
LangRow ReadTracePreview(std::span<const std::uint8_t> file, TracePreview& preview, std::string& fileUnitName,
                         std::string& previewUnitName);

/// ReadTracePreview that records the unit in g_FileUnitName and g_PreviewUnitName.
LangRow ReadTracePreview(std::span<const std::uint8_t> file, TracePreview& preview);

/// The five "\r\n"-terminated lines of a read preview, under the current language's labels, then
/// the text of its warning, if any.
std::string TracePreviewLines(const TracePreview& preview, std::string_view unitName);

/// What the open dialog shows for a selected path: the preview lines of a readable trace file, a
/// refusal text, three blanks for anything that is not a readable regular file, or nothing.
/// Updates the unit names like ReadTracePreview.
std::string TracePreviewTextOfPath(const std::string& path);
