#include "reports/report_page_texts.h"

#include <algorithm>

#include "measure/pass_fail_verdict.h"
#include "panes/event_table_cells.h"
#include "panes/link_value_texts.h"
#include "platform/number_format.h"
#include "sor/sor_text.h"
#include "trace/display_records.h"
#include "trace/trace_conversions.h"
#include "vocabulary/text_table.h"

using lumivane::Format;

namespace {

constexpr int kInfoLineStep = kInfoFontHeight + 3;
constexpr int kMaxAverageSeconds = 7200;

// Text rows of the report.
constexpr int kRowFile = 231, kRowCableId = 47, kRowFiberId = 46, kRowOperator = 88, kRowRange = 86, kRowIor = 91,
              kRowEndThreshold = 96, kRowMeasureDate = 87, kRowOrigLocation = 45, kRowTermLocation = 44,
              kRowFiberType = 43, kRowPulseWidth = 89, kRowScatter = 92, kRowNreflThreshold = 95, kRowJobId = 336,
              kRowCustomer = 337, kRowDevice = 232, kRowWavelength = 90, kRowAverageTime = 93,
              kRowReflThreshold = 94, kRowUnlimited = 67;
constexpr int kRowTotalRange = 335, kRowTotalLength = 69, kRowTotalLoss = 70, kRowTotalAttn = 71, kRowTotalOrl = 251;
constexpr int kRowTrace = 80;
constexpr int kRowReflectance = 76, kRowInsLoss = 77, kRowAttenuation = 78;
constexpr std::array<int, 3> kColumnX{kReportLeft, (kReportPageRight - 100) / 3 + 50,
                                      (2 * kReportPageRight - 200) / 3 + 50};
// Blank room kept between a text and the next column.
constexpr int kColumnGap = 6;

const std::string& Row(int row) { return g_CurrentStrings[static_cast<std::size_t>(row)]; }

}  // namespace

std::string HeaderText(std::u16string_view text) {
  std::string out;
  const std::size_t n = std::min<std::size_t>(text.size(), kHeaderTextCut);
  out.reserve(n);
  // Each cell holds one file byte, read as Latin-1; the page draws UTF-8.
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned c = text[i] & 0xFFu;
    if (c < 0x80u) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0u | c >> 6));
      out.push_back(static_cast<char>(0x80u | (c & 0x3Fu)));
    }
  }
  return out;
}

int TraceInfoColumnWidth(int x) {
  for (const int next : kColumnX) {
    if (next > x) return next - x - kColumnGap;
  }
  return kReportRight - x;
}

std::string CombinedTraceNames(const CombinedEventTable& table) {
  std::string names;
  for (const CombinedEventRow& row : table.Rows) {
    if (row.NameIndex == 0) continue;
    if (!names.empty()) names += ", ";
    names += table.Names[static_cast<std::size_t>(row.NameIndex) % kPrintNameCount];
  }
  return names;
}

std::string ReportFileName(std::string_view path) {
  const std::size_t cut = path.find_last_of("/\\");
  return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string FibreTypeText(int fibreType) {
  switch (fibreType) {
    case 651: return Row(15);
    case 652: return Row(16);
    case 653: return Row(17);
    case 655: return Row(14);
    default: return {};
  }
}

std::string ReportAverageTime(int seconds) {
  // Only an averaging time of 0 is unlimited; one the header cannot show has no value.
  if (seconds == 0) return Row(kRowUnlimited);
  if (seconds < 0 || seconds > kMaxAverageSeconds) return " -----";
  const int h = seconds / 3600, m = seconds % 3600 / 60, s = seconds % 60;
  return Format(" %d%d:%d%d:%d%d", h / 10, h % 10, m / 10, m % 10, s / 10, s % 10);
}

std::array<std::string, 21> TraceInfoLines(const TraceInfoInputs& in) {
  const SorGenParams& gen = in.record.GenParams;
  const FibreParamsRecord& f = in.fibre;
  const std::string unit(in.unitName);
  const TraceDateTime& t = in.dateTime;
  // The acquisition range, shown in the display unit like every other length.
  const std::string range = f.Range == 0 ? std::string("Auto") : Format("%6.1f ", f.Range * in.unitFactor) + unit;
  return {
      Row(kRowFile) + " : " + ReportFileName(in.filePath),
      Row(kRowCableId) + " : " + HeaderText(SorTextView(gen.CableId)),
      Row(kRowFiberId) + " : " + HeaderText(SorTextView(gen.FiberId)),
      Row(kRowOperator) + " : " + HeaderText(SorTextView(gen.Operator)),
      Row(kRowRange) + range,
      Row(kRowIor) + Format(" %8.5f", f.GroupIndex),
      Row(kRowEndThreshold) + Format("%6.2f dB", f.EndThreshold),
      Row(kRowMeasureDate) + " : " + Format("%02d-%02d-%02d   %02d:%02d:%02d", t.Month, t.Day, t.Year, t.Hour, t.Minute, t.Second),
      Row(kRowOrigLocation) + " : " + HeaderText(SorTextView(gen.OriginatingLocation)),
      Row(kRowTermLocation) + " : " + HeaderText(SorTextView(gen.TerminatingLocation)),
      Row(kRowFiberType) + " : " + FibreTypeText(gen.FiberType),
      Row(kRowPulseWidth) + (in.pulseWidthAuto ? std::string("Auto") : Format("%6d ns", f.PulseWidth)),
      Row(kRowScatter) + Format("%5.2f dB", f.Backscatter),
      Row(kRowNreflThreshold) + Format("%6.2f dB", f.LossThreshold),
      Row(kRowJobId) + " : " + HeaderText(SorTextView(in.record.NorvalexParams.JobID)),
      Row(kRowCustomer) + " : " + HeaderText(SorTextView(in.record.NorvalexParams.Customer)),
      std::string(),
      Row(kRowDevice) + std::string(in.deviceName),
      Row(kRowWavelength) + Format("%6d nm", f.Wavelength),
      Row(kRowAverageTime) + ReportAverageTime(f.AveragingTime),
      Row(kRowReflThreshold) + Format("%6.2f dB", ReflectanceThresholdDb(f)),
  };
}

std::vector<PlacedText> PlaceTraceInfo(const std::array<std::string, 21>& lines, int& y, int& ruleY) {
  std::vector<PlacedText> placed;
  y -= 3;
  for (int column = 0; column < 3; ++column) {
    for (int line = 0; line < 7; ++line) {
      placed.push_back({kColumnX[static_cast<std::size_t>(column)], y - line * kInfoLineStep,
                        lines[static_cast<std::size_t>(column * 7 + line)], false});
    }
  }
  y -= 7 * kInfoLineStep;
  ruleY = y;
  y -= 9;
  return placed;
}

std::vector<PlacedText> TotalsLine(const LinkSummaryRecord& s, float linkOrl, std::string_view unitName,
                                   double unitFactor, const PassFailThresholds& limits) {
  const std::string unit(unitName);
  const LinkValueTexts totals = FormatLinkValues(s, linkOrl, unitFactor, unitName);
  const LinkLimitFails fails = JudgeLinkLimits(s, limits, linkOrl);
  constexpr int R = kReportPageRight;
  const auto text = [](int x, int row, const std::string& value, bool alignRight = false, bool failed = false) {
    return PlacedText{x, 0, Row(row) + value, alignRight, failed, Row(row).size()};
  };
  return {
      text(50, kRowTotalRange, s.TraceLength == 0 ? std::string("---.---") : Format("%.5f ", s.TraceLength * unitFactor) + " " + unit),
      text(R / 5 + 50, kRowTotalLength, totals.length),
      text(2 * R / 5 + 35, kRowTotalLoss, totals.loss, false, fails.linkLoss),
      text(3 * R / 5 + 15, kRowTotalAttn, totals.attenuation),
      text(R - 60, kRowTotalOrl, totals.orl, true, fails.linkOrl),
  };
}

RowSpan EventRowsOfPage(int page, int rowCount, int firstPageRows) {
  if (page <= 1) return {0, std::clamp(std::min(rowCount, firstPageRows), 0, std::max(rowCount, 0))};
  const long long start = static_cast<long long>(page - 2) * 64 + firstPageRows;
  if (start >= rowCount) return {rowCount, 0};
  return {static_cast<int>(start), static_cast<int>(std::min<long long>(64, rowCount - start))};
}

bool CombinedTableFails(const CombinedEventTable& table) {
  return std::any_of(table.Rows.begin(), table.Rows.end(),
                     [](const CombinedEventRow& row) { return row.Cells.failedColumns != 0; });
}

std::string UnshownFailures(const EventTableSource& events, const LinkSummaryRecord& link, float linkOrl,
                            bool tablePrinted, bool totalsPrinted) {
  std::vector<std::string> names;
  if (!tablePrinted) {
    std::uint32_t failed = 0;
    for (const EventTableRowView& row : ComputeEventTable(events, 1.0).rows) failed |= row.failedColumns;
    for (const auto& [cell, row] : {std::pair{kColReflectance, kRowReflectance}, {kColInsertionLoss, kRowInsLoss},
                                    {kColAttenuation, kRowAttenuation}}) {
      if ((failed >> cell & 1u) != 0) names.push_back(Row(row));
    }
  }
  if (!totalsPrinted) {
    const LinkLimitFails fails = JudgeLinkLimits(link, events.limits, linkOrl);
    const auto label = [](int row) {
      std::string text = Row(row);
      if (text.ends_with(':')) text.pop_back();
      return text;
    };
    if (fails.linkLoss) names.push_back(label(kRowTotalLoss));
    if (fails.linkOrl) names.push_back(label(kRowTotalOrl));
  }
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::vector<PlacedText> EventTableHeadings(std::string_view unitName) {
  const std::string u(unitName);
  return {
      {50, 0, Row(73)},
      {80, 0, Row(74)},
      {162, 0, Row(75) + "[" + u + "]"},
      {230, 0, Row(76) + "[dB]"},
      {295, 0, Row(77) + "[dB]"},
      {370, 0, Row(78) + "[dB/" + u + "]"},
      {435, 0, Row(79) + "[dB]"},
      {505, 0, Row(37) + "[" + u + "]"},
      {570, 0, Row(36) + "[" + u + "]"},
      {635, 0, Row(230) + "[dB]"},
      {700, 0, Row(72)},
  };
}

std::string GraphCaption(double distancePerDivKm, double dbPerDiv, std::string_view unitName, double unitFactor) {
  return Format("%s %6.3f ", Row(kRowTrace), distancePerDivKm * unitFactor) + std::string(unitName) + "/Div" +
         Format(" %6.3f dB/Div", dbPerDiv);
}

std::string FooterPageText(std::string_view localTime, int page, int lastPage) {
  return std::string(localTime) + "   " + Format("%d/%d", page, lastPage);
}

LogoPlace ReportLogoPlace(int w, int h) {
  const int wl = w * 100 / 200;
  const int hl = h * 100 / 300;
  LogoPlace place;
  place.width = wl > 240 ? 240 : wl;
  place.left = wl > 240 ? 489 : 729 - wl;
  place.height = hl;
  place.top = -65 + hl;
  return place;
}

bool IsReportLogoPath(std::string_view path) {
  if (path.size() < 3) return false;
  const std::string_view end = path.substr(path.size() - 3);
  return end == "bmp" || end == "BMP" || end == "Bmp";
}
