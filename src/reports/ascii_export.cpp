#include "reports/ascii_export.h"

#include <algorithm>

#include "vocabulary/text_table.h"
#include "document/otdr_doc.h"
#include "sor/sor_text.h"
#include "trace/display_records.h"
#include "trace/trace_conversions.h"
#include "platform/ascii_case.h"
#include "panes/event_table_cells.h"
#include "platform/number_format.h"

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr int kLongestAveragingTime = 7200;  // s
// The instrument's own word for an averaging time beyond its range cannot be written as 8-bit
// text; readers of the file get a plain equivalent.
constexpr std::string_view kAveragingTimeOverLimit = "Over Limit";
// Event rows of a type the export's vocabulary has no word for still keep the six-character cell.
constexpr std::string_view kOverThresholdType = "OverTh";

struct FibreTypeText {
  int type;
  LangRow row;
};
constexpr FibreTypeText kFibreTypes[] = {{651, 15}, {652, 16}, {653, 17}, {655, 14}};

constexpr LangRow kEventTypeRows[] = {182, 183, 184, 185};

/// Appends a UI text as 8-bit text: each character as its one byte ('?' above U+00FF), and each
/// line feed of the text as a line end.
void AppendText(std::string& out, std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    char32_t code = lead;
    std::size_t length = 1;
    if (lead >= 0xF0) {
      length = 4;
      code = lead & 0x07;
    } else if (lead >= 0xE0) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xC0) {
      length = 2;
      code = lead & 0x1F;
    }
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    i += length;
    if (code == U'\n') {
      out += kLineEnd;
    } else {
      out += code <= 0xFF ? static_cast<char>(code) : '?';
    }
  }
}

void AppendRow(std::string& out, LangRow row) { AppendText(out, g_CurrentStrings[static_cast<std::size_t>(row)]); }

/// One "label = value" line: the label's text row, the value as it stands, the line end.
void AppendLine(std::string& out, LangRow label, std::string_view value) {
  AppendRow(out, label);
  out += value;
  out += kLineEnd;
}

/// Record texts hold one file byte per cell; they go back out unchanged.
template <std::size_t N>
std::string RecordText(const char16_t (&text)[N]) {
  std::string bytes;
  for (const char16_t c : SorTextView(text)) bytes += c <= 0xFF ? static_cast<char>(c) : '?';
  return bytes;
}

std::string FibreTypeName(int type) {
  std::string name;
  for (const FibreTypeText& known : kFibreTypes) {
    if (known.type == type) AppendRow(name, known.row);
  }
  return name;
}

void AppendTraceInfo(std::string& out, const COtdrDoc& doc) {
  AppendRow(out, 154);
  AppendRow(out, 155);
  const TraceDateTime& t = doc.m_TraceDateTime;
  AppendLine(out, 156,
             lumivane::Format("%4d-%02d-%02d %02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second));
  const SorGenParams& gen = doc.m_SorRecord.GenParams;
  AppendLine(out, 157, RecordText(gen.CableId));
  AppendLine(out, 158, RecordText(gen.FiberId));
  AppendLine(out, 159, FibreTypeName(gen.FiberType));
  AppendLine(out, 160, RecordText(gen.OriginatingLocation));
  AppendLine(out, 161, RecordText(gen.TerminatingLocation));
  AppendLine(out, 162, RecordText(gen.Operator));
  out += kLineEnd;
}

void AppendParameters(std::string& out, const COtdrDoc& doc, const ExportUnit& unit) {
  const FibreParamsRecord& p = doc.m_FibreParams;
  AppendRow(out, 163);
  std::string range;
  if (p.Range == 0.0f) {
    AppendRow(range, 164);
  } else {
    range = lumivane::Format("%.1f ", p.Range * unit.Factor);
    AppendText(range, unit.Name);
  }
  AppendLine(out, 165, range);
  AppendLine(out, 166, lumivane::Format("%d ns", p.PulseWidth));
  AppendLine(out, 167, lumivane::Format("%d nm", p.Wavelength));
  AppendLine(out, 168, lumivane::Format("%.5f", p.GroupIndex));
  AppendLine(out, 169, lumivane::Format("%.1f dB", p.Backscatter));
  std::string time;
  AppendText(time, ExportAveragingTime(p.AveragingTime));
  AppendLine(out, 170, time);
  AppendLine(out, 171, lumivane::Format("%.3f dB", p.EndThreshold));
  AppendLine(out, 172, lumivane::Format("%.3f dB", p.LossThreshold));
  AppendLine(out, 173, lumivane::Format("%.3f dB", ReflectanceThresholdDb(p)));
  out += kLineEnd;
}

void AppendEventTable(std::string& out, const COtdrDoc& doc, const ExportUnit& unit, char s) {
  AppendRow(out, 174);
  AppendRow(out, 175);
  out += s;
  AppendRow(out, 176);
  out += s;
  AppendRow(out, 177);
  AppendText(out, unit.Name);
  out += "]  ";
  AppendRow(out, 178);
  out += s;
  AppendRow(out, 179);
  out += s;
  AppendRow(out, 180);
  AppendText(out, unit.Name);
  out += "]    ";
  AppendRow(out, 181);  // carries its own line end
  // The values read as the event table shows them; only the column layout is the export's own.
  const EventTableView table = ComputeEventTable(doc, unit.Factor);
  for (std::size_t e = 0; e < table.rows.size(); ++e) {
    const EventRow& row = doc.m_EventRows[e];
    const auto& cells = table.rows[e].texts;
    out += "    " + lumivane::Format("%d", static_cast<int>(e) + 1) + s;
    out += "   ";
    if (row.Type >= kEventLaunch && row.Type <= kEventNonReflective) {
      AppendRow(out, kEventTypeRows[row.Type]);
    } else {
      out += kOverThresholdType;
    }
    out += s;
    out += cells[kColLocation] + "     " + s;
    out += cells[kColReflectance];
    out += std::string("       ") + s;
    out += cells[kColInsertionLoss];
    out += std::string("         ") + s;
    out += cells[kColAttenuation];
    out += std::string("          ") + s;
    out += cells[kColCumulativeLoss];
    out += kLineEnd;
  }
  out += kLineEnd;
}

void AppendTraceData(std::string& out, const COtdrDoc& doc, char s) {
  AppendRow(out, 186);
  const std::span<const double> v = LeadingDbSamples(doc.m_DbSamples, doc.m_nPointCount);
  const int n = static_cast<int>(v.size());
  // The first sample is left out of the reference level, as readers of these files expect.
  double top = -1000.0;
  for (int i = 1; i < n; ++i) top = std::max(top, v[i]);
  for (int i = 0; i < n; ++i) {
    out += FormatFixed3(GetDistance_Position(i, kSorFileKind, doc.m_SorRecord, doc.m_dFibreLengthKm));
    out += s;
    out += FormatFixed3(top - v[i]);
    out += kLineEnd;
  }
}

/// The column separator of IntervalType: 0 a blank, 1 a comma, 2 a tab (any other value a blank).
char ExportSeparator(int intervalType) {
  switch (intervalType) {
    case 1: return ',';
    case 2: return '\t';
    default: return ' ';
  }
}

}  // namespace

std::string ComposeAsciiExport(const COtdrDoc& doc, const AsciiExportOptions& options, const ExportUnit& unit) {
  const char s = ExportSeparator(options.IntervalType);
  std::string out;
  if (options.OutputTraceInfo == 1) AppendTraceInfo(out, doc);
  if (options.OutputPara == 1) AppendParameters(out, doc, unit);
  if (options.OutputEvent == 1) AppendEventTable(out, doc, unit, s);
  if (options.OutputTraceData == 1) AppendTraceData(out, doc, s);
  return out;
}

std::string AsciiExportFileName(std::string_view chosen) {
  constexpr std::string_view kSuffix = ".txt";
  std::string name(chosen);
  const bool hasSuffix = name.size() >= kSuffix.size() &&
                         lumivane::EqualsIgnoreAsciiCase(std::string_view(name).substr(name.size() - kSuffix.size()), kSuffix);
  if (!hasSuffix) name += kSuffix;
  return name;
}

std::string ExportAveragingTime(int t) {
  if (t == 0) return g_CurrentStrings[67];
  // A negative time (a damaged file) has no hh:mm:ss either.
  if (t < 0 || t > kLongestAveragingTime) return std::string(kAveragingTimeOverLimit);
  return lumivane::Format("%d%d:%d%d:%d%d", t / 36000, (t / 3600) % 10, (t % 3600) / 60 / 10, ((t % 3600) / 60) % 10,
                          (t % 60) / 10, (t % 60) % 10);
}
