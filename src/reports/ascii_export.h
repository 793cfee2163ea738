#pragma once
// The text export of the current trace: up to four sections (trace information, measurement
// parameters, event table, trace data) of 8-bit text with CR LF line ends, columns apart by a blank,
// a comma or a tab. Other programs read these files, so the layout is fixed byte by byte.
#include <string>
#include <string_view>

#include "document/document_settings.h"

class COtdrDoc;

/// The display unit the export writes: its label and its factor from kilometres.
struct ExportUnit {
  std::string_view Name;
  double Factor = 1.0;
};

/// The bytes of the export file of the document's current trace with the chosen sections.
std::string ComposeAsciiExport(const COtdrDoc& doc, const AsciiExportOptions& options, const ExportUnit& unit);

/// The chosen file name with ".txt" appended unless it already ends so, in any case.
std::string AsciiExportFileName(std::string_view chosen);

/// hh:mm:ss of an averaging time in seconds, "Unlimited" for 0 and a fixed text beyond two hours or below 0.
std::string ExportAveragingTime(int seconds);
