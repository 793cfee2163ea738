#include "reports/ui/single_trace_report.h"

#include <QDateTime>
#include <QPainter>
#include <algorithm>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_info.h"
#include "document/trace_record.h"
#include "measure/pass_fail_document.h"
#include "panes/event_table_cells.h"
#include "panes/link_value_texts.h"
#include "platform/number_format.h"
#include "reports/batch_print_state.h"
#include "reports/print_file_reading.h"
#include "reports/print_job_plan.h"
#include "reports/report_page_texts.h"
#include "reports/ui/report_canvas.h"
#include "trace/wavelength.h"
#include "traceview/trace_db.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

using lumivane::Format;

namespace {

constexpr int kTitleRow = 339;
constexpr int kSignatureRow = 322;
constexpr int kTitleGap = 50;
constexpr int kLineGap = 3;

const std::string& Row(int row) { return g_CurrentStrings[static_cast<std::size_t>(row)]; }

// A block title in bold, centred between two rules across the page.
void PrintRuledTitle(ReportCanvas& canvas, int& y, const std::string& title) {
  canvas.Line(kReportLeft, y, kReportRight, y);
  y -= kLineGap;
  canvas.SetFont(kInfoFontHeight, true);
  canvas.Text(kReportCentre - canvas.TextWidth(title) / 2, y, title);
  y -= kInfoFontHeight + kLineGap;
  canvas.Line(kReportLeft, y, kReportRight, y);
  y -= kLineGap;
}

}  // namespace

SingleTraceReport::SingleTraceReport(const COtdrDoc& doc, const std::vector<std::unique_ptr<TraceRecord>>& traceList,
                                     Sources sources)
    : m_Doc(doc), m_TraceList(traceList), m_Sources(std::move(sources)) {}

SingleTraceReport::~SingleTraceReport() = default;

PassFailThresholds SingleTraceReport::LimitsForWavelength(int wavelengthNm) const {
  return PassFailLimitsForWavelength(m_Doc.m_PassFailThresholds, m_Sources.limitsFile, wavelengthNm);
}

void SingleTraceReport::BeginJob() { m_UnreadFiles.clear(); }

std::vector<std::string> SingleTraceReport::EndJob() {
  std::vector<std::string> met = std::move(m_UnreadFiles);
  m_UnreadFiles.clear();
  if (m_pSlots) {
    met.insert(met.end(), m_pSlots->m_UnreadFiles.begin(), m_pSlots->m_UnreadFiles.end());
    // A batch of thousands of files fills thousands of slots; none of it outlives the job.
    m_pSlots.reset();
  }
  // A preview draws its pages as often as it needs them; each file is named once.
  std::vector<std::string> files;
  for (std::string& path : met) {
    if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(std::move(path));
  }
  return files;
}

void SingleTraceReport::PrintSingleTracePage(const ReportPage& page) {
  ReportCanvas canvas(page.painter, page.pixelsPerUnit);
  if (g_BatchPrint.Active == 1) {
    PrintBatchPage(page, canvas);
    return;
  }
  PrintReportPage(page, canvas, DocumentTraceSet(m_Doc), page.pageNumber);
  PrintReportFooter(page, canvas);
}

void SingleTraceReport::PrintLayout2Page(const ReportPage& page) { PrintSingleTracePage(page); }

void SingleTraceReport::PrintBatchPage(const ReportPage& page, ReportCanvas& canvas) {
  BatchPrintState& batch = g_BatchPrint;
  // A page beyond the map stays empty: the one page of a batch whose files all failed.
  if (page.pageNumber < 1 || page.pageNumber > batch.TotalPages) return;
  const BatchPageRef ref = batch.PageMap[static_cast<std::size_t>(page.pageNumber)];
  if (ref.File < 0 || ref.File >= static_cast<int>(batch.FileNames.size())) return;
  const std::string path = batch.Folder + batch.FileNames[static_cast<std::size_t>(ref.File)];
  if (path != batch.LoadedFile) {
    // Only a file that was read counts as loaded; the page never shows an earlier file's data.
    const bool read = ReloadTraceForPrint(path, g_WorkTrace).read;
    batch.LoadedFile = read ? path : std::string();
    if (read) ApplyFileLengthUnit(g_WorkTrace.m_SorRecord);
  }
  if (batch.LoadedFile != path) {
    int y = page.drawRect.top() - kTitleGap;
    PrintReportTitle(page, canvas, y);
    canvas.SetFont(kInfoFontHeight, false);
    y -= kLineGap;
    canvas.Text(kReportLeft, y, Row(231) + " : " + ReportFileName(path));
    y -= kInfoFontHeight + kLineGap;
    canvas.Text(kReportLeft, y, Row(TextRow::ReadFileFailed));
    PrintReportFooter(page, canvas);
    m_UnreadFiles.push_back(path);
    return;
  }
  // Each file is judged with its own wavelength's limits, as it would be on screen.
  const PassFailThresholds limits = LimitsForWavelength(TraceBandNm(g_WorkTrace.m_SorRecord));
  PrintReportPage(page, canvas, WorkTraceSet(g_WorkTrace, path, limits, page.state.m_nPrintActiveMarker), ref.Page);
  PrintReportFooter(page, canvas);
}

void SingleTraceReport::PrintReportTitle(const ReportPage& page, ReportCanvas& canvas, int& y) {
  const PrintPageState& state = page.state;
  canvas.SetFont(kTitleFontHeight, true);
  const std::string& title = Row(kTitleRow);
  canvas.Text(kReportCentre / std::max(1, state.m_nPrintScaleX) - canvas.TextWidth(title) / 2, y, title);
  y -= 2 * kTitleFontHeight;
  canvas.Line(kReportLeft, y, kReportRight, y);
  if (m_Doc.m_PrintOptions.Logo == 1 && IsReportLogoPath(state.m_strLogoPath)) DrawReportLogo(canvas, state.m_strLogoPath);
}

void SingleTraceReport::PrintReportPage(const ReportPage& page, ReportCanvas& canvas, const ReportTraceSet& set,
                                        int reportPage) {
  const PrintOptions& options = m_Doc.m_PrintOptions;
  ReportViewSnapshot view = m_Sources.view ? m_Sources.view() : ReportViewSnapshot{};
  // The trace window's link map and zoom belong to the document's trace, not to a batch file.
  if (set.batchFile) view.linkMapMode = false;
  int y = page.drawRect.top() - kTitleGap;
  PrintReportTitle(page, canvas, y);
  if (reportPage == 1) {
    if (options.TraceInfo) PrintTraceInfoBlock(canvas, y, set, view, page.state);
    if (options.Trace) PrintGraphBlock(canvas, y, set, view);
    if (options.MarkerInfo && !view.linkMapMode) PrintMarkerBlock(canvas, y, set);
    if (options.FiberInfo) PrintFiberTotalsBlock(canvas, y, set);
  }
  if (options.EventTable) PrintEventTableBlock(canvas, y, reportPage, set, page.state);
}

void SingleTraceReport::PrintTraceInfoBlock(ReportCanvas& canvas, int& y, const ReportTraceSet& set,
                                            const ReportViewSnapshot& view, const PrintPageState& state) {
  // A page listing every loaded trace's events is judged on all it flags, and names every trace.
  const bool allTraces = state.m_bUseCombined;
  const bool failed = set.verdict == 1 || (allTraces && CombinedTableFails(state.m_Combined));
  canvas.SetFont(kVerdictFontHeight, true);
  const std::string verdict = failed ? "Fail" : "Pass";
  // On the title line, beside the logo, which its background must not cut into.
  const int verdictX = kReportRight - canvas.TextWidth(verdict);
  canvas.Text(verdictX, y + 2 * kTitleFontHeight, verdict, Qt::black, QColor());
  const PrintOptions& options = m_Doc.m_PrintOptions;
  const std::string hidden =
      failed ? UnshownFailures({set.rows, set.endRow, set.record, set.limits}, set.link, set.linkOrl,
                               options.EventTable != 0, options.FiberInfo != 0)
             : std::string();
  if (!hidden.empty()) {
    // What fails where the page does not show it, before the verdict.
    canvas.SetFont(kFooterFontHeight, false);
    canvas.TextEndingAt(verdictX - kLineGap * 3, y + 2 * kTitleFontHeight - kVerdictFontHeight + kFooterFontHeight,
                        hidden);
  }

  canvas.SetFont(kInfoFontHeight, false);
  const TraceInfoInputs inputs{set.record,      set.dateTime,       set.fibre,        set.path,
                               g_LengthUnitName, g_LengthUnitFactor, view.linkMapMode, g_DeviceName};
  std::array<std::string, 21> lines = TraceInfoLines(inputs);
  if (allTraces) lines[0] = Row(231) + " : " + CombinedTraceNames(state.m_Combined);
  int ruleY = 0;
  for (const PlacedText& text : PlaceTraceInfo(lines, y, ruleY)) {
    canvas.FittedText(text.x, text.y, TraceInfoColumnWidth(text.x), kInfoFontHeight + kLineGap, text.text);
  }
  canvas.Line(kReportLeft, ruleY, kReportRight, ruleY);
}

void SingleTraceReport::PrintMarkerBlock(ReportCanvas& canvas, int& y, const ReportTraceSet& set) {
  constexpr int R = kReportPageRight;
  constexpr int kLeft1 = 80, kRight1 = R / 3 + 40, kLeft2 = (R - 160) / 3 * 2 + 80, kRight2 = R - 80;
  const auto rules = [&] {
    canvas.Line(kLeft1, y, kRight1, y);
    canvas.Line(kLeft2, y, kRight2, y);
  };
  canvas.SetFont(kInfoFontHeight, false);
  const int step = kInfoFontHeight + kLineGap;
  const std::string active = set.activeMarker == 1 ? "B" : "A";
  const auto& texts = set.marker.texts;
  const auto& labels = set.marker.labels;
  const int marker = set.activeMarker == 1 ? set.markerB : set.markerA;
  const double position = GetDistanceFromRecords(0, set.record, set.lengthKm, marker);

  rules();
  y -= kLineGap;
  canvas.Text(120, y, Row(213));
  canvas.Text(554, y, Row(214) + active);
  y -= step;
  rules();
  y -= kLineGap;
  // The readings at the active marker carry the pane's labels ("at A", "at B"): they are the
  // marker's readings, not the values of the event the marker stands in.
  const std::array<std::array<std::string, 4>, 5> lines{{
      {Row(215), texts[kReadingDistanceAB], Row(219), Format("%.3f", position * g_LengthUnitFactor) + g_LengthUnitName},
      {Row(216), texts[kReadingTwoPointLoss], labels[kReadingInsertionLoss] + " ", texts[kReadingInsertionLoss]},
      {Row(217), texts[kReadingTwoPointAttenuation], labels[kReadingReflectance] + " ", texts[kReadingReflectance]},
      {Row(218), texts[kReadingLsaAttenuation], labels[kReadingCumulativeLoss] + ": ", texts[kReadingCumulativeLoss]},
      {Row(250), OrlText(set.marker.orl), "   ---   ", "  ---   "},
  }};
  for (const auto& line : lines) {
    canvas.Text(kLeft1, y, line[0]);
    canvas.TextEndingAt(kRight1, y, line[1]);
    canvas.Text(kLeft2, y, line[2]);
    canvas.TextEndingAt(kRight2, y, line[3]);
    y -= step;
  }
  rules();
  y -= 6 + 9;
}

void SingleTraceReport::PrintFiberTotalsBlock(ReportCanvas& canvas, int& y, const ReportTraceSet& set) {
  PrintRuledTitle(canvas, y, Row(84));
  canvas.SetFont(kInfoFontHeight, false);
  for (const PlacedText& text : TotalsLine(set.link, set.linkOrl, g_LengthUnitName, g_LengthUnitFactor, set.limits)) {
    const int x = text.alignRight ? text.x - canvas.TextWidth(text.text) : text.x;
    if (text.failed) {
      canvas.TextWithFailedValue(x, y, text.text, text.valueAt);
    } else {
      canvas.Text(x, y, text.text);
    }
  }
  y -= kInfoFontHeight + kLineGap + 9;
}

void SingleTraceReport::PrintEventTableBlock(ReportCanvas& canvas, int& y, int page, const ReportTraceSet& set,
                                             const PrintPageState& state) {
  PrintRuledTitle(canvas, y, Row(81));
  canvas.SetFont(kHeadingFontHeight, false);
  for (const PlacedText& heading : EventTableHeadings(g_LengthUnitName)) canvas.Text(heading.x, y, heading.text);
  y -= kHeadingFontHeight + kLineGap;
  canvas.Line(kReportLeft, y, kReportRight, y);
  y -= kLineGap;
  canvas.SetFont(kInfoFontHeight, false);

  const bool allTraces = state.m_bUseCombined;
  // The texts of the trace's event table, exactly as the pane shows them.
  const EventTableView table =
      allTraces ? EventTableView{}
                : ComputeEventTable({set.rows, set.endRow, set.record, set.limits}, g_LengthUnitFactor);
  const int count = allTraces ? static_cast<int>(state.m_Combined.Rows.size()) : static_cast<int>(table.rows.size());
  const RowSpan span = EventRowsOfPage(page, count, g_FirstPageEventRows);
  for (int i = span.first; i < span.first + span.count; ++i) {
    const EventTableRowView* line = allTraces ? nullptr : &table.rows[static_cast<std::size_t>(i)];
    if (allTraces) {
      const CombinedEventRow& combined = state.m_Combined.Rows[static_cast<std::size_t>(i)];
      if (combined.NameIndex != 0) {
        const std::string heading =
            "EventTable " + state.m_Combined.Names[static_cast<std::size_t>(combined.NameIndex) % kPrintNameCount];
        canvas.Text(kReportCentre - canvas.TextWidth(heading) / 2, y, heading);
        y -= kInfoFontHeight + kLineGap;
        continue;
      }
      line = &combined.Cells;
    }
    for (std::size_t c = 0; c < line->texts.size(); ++c) {
      const int x = kEventCellX[c];
      if (line->Failed(static_cast<int>(c))) {
        canvas.FailedText(x, y, line->texts[c]);
      } else {
        canvas.Text(x, y, line->texts[c]);
      }
    }
    y -= kInfoFontHeight + kLineGap;
  }
}

void SingleTraceReport::PrintReportFooter(const ReportPage& page, ReportCanvas& canvas) {
  const QRect& r = page.drawRect;
  const int x0 = r.left() + kReportLeft;
  const int yF = r.bottom() / std::max(1, page.state.m_nPrintScaleY) + 50;
  const int xR = kReportPageRight / std::max(1, page.state.m_nPrintScaleX) - 50;
  canvas.SetFont(kFooterFontHeight, false);
  const std::string& signature = Row(kSignatureRow);
  canvas.Text(x0, yF, signature);
  const int w = canvas.TextWidth(signature);
  canvas.Line(x0 + w, yF - kFooterFontHeight, x0 + 4 * w, yF - kFooterFontHeight);
  const std::string now = m_Sources.localTime
                              ? m_Sources.localTime()
                              : QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss").toStdString();
  canvas.TextEndingAt(xR, yF, FooterPageText(now, page.pageNumber, page.lastPage));
}

void SingleTraceReport::DrawReportLogo(ReportCanvas& canvas, const std::string& path) {
  const QImage image(QString::fromStdString(path));
  if (image.isNull()) return;
  const LogoPlace place = ReportLogoPlace(image.width(), image.height());
  canvas.Image(place.left, place.top, place.width, place.height, image);
}
