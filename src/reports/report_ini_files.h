#pragma once
// The records of the report and export choices that other programs may read: "ConfigReport.ini" and
// "ConfigOutputAscii.ini" in a given folder (the program passes its current directory). The program
// never reads them back.
#include <string>
#include <string_view>

#include "document/document_settings.h"
#include "platform/ini_file.h"

inline constexpr std::string_view kConfigReportFile = "ConfigReport.ini";
inline constexpr std::string_view kConfigOutputAsciiFile = "ConfigOutputAscii.ini";

/// Writes the report gates (all but PrintMarkerTable, which has no key) into `folder`; the first
/// failed write ends it and is returned.
lumivane::IniWriteOutcome WriteConfigReportIni(std::string_view folder, const ConfigReport& config);

/// Writes the export choices into `folder`; the first failed write ends it and is returned.
lumivane::IniWriteOutcome WriteConfigOutputAsciiIni(std::string_view folder, const AsciiExportOptions& options);
