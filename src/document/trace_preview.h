#pragma once
// The header preview of a trace file: a light walk of a revision-2 Map that reads only the
// FxdParams fields the open dialog shows and the KeyEvents count, never building a full record.
// Every read goes through the bounded byte reader, so a lying map cannot reach past the file.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sor/sor_reader.h"
#include "trace/display_records.h"

/// Summary of one file's header; fields the file does not carry stay 0.
struct TracePreview {
  TraceDateTime Time{};
  std::int16_t Wavelength = 0;  // nm
  std::int16_t PulseWidth = 0;  // ns, the last pulse width listed
  float Range = 0.0f;           // acquisition range, in the unit g_PreviewUnitName names
  std::int16_t EventCount = 0;
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

/// Reads the preview of a revision-2 image into `preview`, and the file's distance unit into the
/// two names when the image has a FxdParams block.
SorReadResult ReadTracePreview(std::span<const std::uint8_t> file, TracePreview& preview,
                               std::string& fileUnitName, std::string& previewUnitName);

/// ReadTracePreview that records the unit in g_FileUnitName and g_PreviewUnitName.
SorReadResult ReadTracePreview(std::span<const std::uint8_t> file, TracePreview& preview);

/// The five "\r\n"-terminated lines of a read preview, under the current language's labels.
std::string TracePreviewLines(const TracePreview& preview, std::string_view unitName);

/// What the open dialog shows for a selected path: the preview lines of a readable trace file, a
/// refusal text, three blanks for anything that is not a readable regular file, or nothing.
/// Updates the unit names like ReadTracePreview.
std::string TracePreviewTextOfPath(const std::string& path);
