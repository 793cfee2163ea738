#pragma once
// What a single-trace report page says and where its blocks sit, as plain data: the trace
// information lines, the totals line, the event-table cells of a page, the footer and the logo's
// place. The painter only places these texts, so tests can read a page without printing it.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/document_settings.h"
#include "reports/print_job_plan.h"
#include "sor/sor_record.h"
#include "trace/display_records.h"

struct EventTableSource;

inline constexpr int kReportLeft = 50;
inline constexpr int kReportRight = 747;
inline constexpr int kReportPageRight = 797;  // the drawing rectangle's right edge for every block
inline constexpr int kReportCentre = 398;
inline constexpr int kHeaderTextCut = 100;

/// Nominal heights of the report fonts, in page units; layout never measures a font's height.
inline constexpr int kTitleFontHeight = 15;
inline constexpr int kVerdictFontHeight = 20;
inline constexpr int kInfoFontHeight = 12;
inline constexpr int kFooterFontHeight = 9;
inline constexpr int kHeadingFontHeight = 10;

/// One text of a block with its top-left corner, or its right end when `alignRight`.
struct PlacedText {
  int x = 0;
  int y = 0;
  std::string text;
  bool alignRight = false;
  bool failed = false;       // the value, text[valueAt..], fails its limit: white on black
  std::size_t valueAt = 0;
};

/// What the trace information block reads of the printed trace.
struct TraceInfoInputs {
  const SorRecord& record;
  const TraceDateTime& dateTime;
  const FibreParamsRecord& fibre;
  std::string_view filePath;
  std::string_view unitName;
  double unitFactor = 1.0;
  bool pulseWidthAuto = false;  // the trace window shows the link map
  std::string_view deviceName;
};

/// The 21 lines of the trace information block, column by column, seven to a column.
std::array<std::string, 21> TraceInfoLines(const TraceInfoInputs& in);

/// The trace information lines placed below `y` (x = 50, 282, 514); `y` ends 9 below column 1's
/// rule, which is returned as the last placed item's y in `ruleY`.
std::vector<PlacedText> PlaceTraceInfo(const std::array<std::string, 21>& lines, int& y, int& ruleY);

/// Room for a text of the trace information column starting at `x`, up to the next column.
int TraceInfoColumnWidth(int x);

/// The file names of the traces a combined table lists, in its order, separated by commas.
std::string CombinedTraceNames(const CombinedEventTable& table);

/// The file name of a path: the text after its last slash or backslash.
std::string ReportFileName(std::string_view path);
/// The fibre type's name for its recommendation number; empty for numbers it does not know.
std::string FibreTypeText(int fibreType);
/// The averaging time as the report shows it.
std::string ReportAverageTime(int seconds);
/// A record text (one Latin-1 byte per cell) as UTF-8, cut to `kHeaderTextCut` characters.
std::string HeaderText(std::u16string_view text);

/// The five texts of the totals line with their x positions (the last ends at its x); the link loss
/// and link ORL are marked failed when `limits` judge them and they fail, as the pane shows them.
std::vector<PlacedText> TotalsLine(const LinkSummaryRecord& summary, float linkOrl, std::string_view unitName,
                                   double unitFactor, const PassFailThresholds& limits);

/// The rows [first, first + count) of the event table that page `page` (from 1) prints.
struct RowSpan {
  int first = 0;
  int count = 0;
};
RowSpan EventRowsOfPage(int page, int rowCount, int firstPageRows);

/// Whether a printed cell of the combined table fails its trace's limits.
bool CombinedTableFails(const CombinedEventTable& table);

/// The names of the judged values that fail while the page leaves out the block that would show
/// them flagged (the event table when `tablePrinted` is false, the totals when `totalsPrinted` is),
/// separated by commas: a page that says "Fail" always says why. Empty when nothing is hidden.
std::string UnshownFailures(const EventTableSource& events, const LinkSummaryRecord& link, float linkOrl,
                            bool tablePrinted, bool totalsPrinted);

/// The eleven headings of the printed event table and their x positions.
std::vector<PlacedText> EventTableHeadings(std::string_view unitName);
/// The x where each of the eleven cells of a line starts.
inline constexpr std::array<int, 11> kEventCellX{50, 80, 170, 230, 295, 370, 435, 505, 570, 635, 700};

/// The caption over the graph box.
std::string GraphCaption(double distancePerDivKm, double dbPerDiv, std::string_view unitName, double unitFactor);

/// The footer's right-hand text: the time, three blanks and "page/last".
std::string FooterPageText(std::string_view localTime, int page, int lastPage);

/// Where the logo goes, in page units: left, top (y up), width and height (downward, positive).
struct LogoPlace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
/// The logo's place for a picture of `w` x `h` pixels at 200 x 300 pixels per inch.
LogoPlace ReportLogoPlace(int w, int h);
/// Whether the logo path ends in one of the three spellings of the picture extension.
bool IsReportLogoPath(std::string_view path);
