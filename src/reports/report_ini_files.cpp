#include "reports/report_ini_files.h"

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "platform/number_format.h"
#include "platform/path_util.h"

namespace {

using KeyValue = std::pair<std::string_view, std::int32_t>;

lumivane::IniWriteOutcome WriteKeys(std::string_view folder, std::string_view file, std::string_view section,
                                    std::initializer_list<KeyValue> keys) {
  const lumivane::IniFile ini(lumivane::JoinPath(folder, file));
  for (const auto& [key, value] : keys) {
    const lumivane::IniWriteOutcome outcome = ini.WriteString(section, key, lumivane::Format("%d", value));
    if (outcome != lumivane::IniWriteOutcome::Written) return outcome;
  }
  return lumivane::IniWriteOutcome::Written;
}

}  // namespace

lumivane::IniWriteOutcome WriteConfigReportIni(std::string_view folder, const ConfigReport& c) {
  return WriteKeys(folder, kConfigReportFile, "ConfigReport",
                   {{"PrintEventTable", c.PrintEventTable},
                    {"PrintGqlInfo", c.PrintGqlInfo},
                    {"PrintMark", c.PrintMark},
                    {"PrintMarkInfo", c.PrintMarkInfo},
                    {"PrintPara", c.PrintPara},
                    {"PrintTraceGraph", c.PrintTraceGraph},
                    {"PrintBackGrid", c.PrintBackGrid}});
}

lumivane::IniWriteOutcome WriteConfigOutputAsciiIni(std::string_view folder, const AsciiExportOptions& o) {
  return WriteKeys(folder, kConfigOutputAsciiFile, "ConfigOutputAscii",
                   {{"OutputTraceInfo", o.OutputTraceInfo},
                    {"OutputPara", o.OutputPara},
                    {"OutputEvent", o.OutputEvent},
                    {"OutputTraceData", o.OutputTraceData},
                    {"IntervalType", o.IntervalType}});
}
