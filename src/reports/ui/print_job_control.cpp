#include "reports/ui/print_job_control.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>

#include <algorithm>
#include <cmath>

#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "panes/event_table_cells.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"
#include "platform/memory_release.h"
#include "platform/message_sink.h"
#include "platform/number_format.h"
#include "reports/batch_print_state.h"
#include "document/display_state.h"

namespace {

// Margins that leave the reference printable area of 779 x 1136 units (0.01 inch) on A4, a hair
// larger so that truncating to whole units never loses a unit.
constexpr double kSideMarginMm = 6.05;
constexpr double kTopMarginMm = 4.2;
constexpr double kUnitsPerInch = 100.0;

// A job that ends sooner than this shows no progress.
constexpr int kProgressDelayMs = 500;

// No text of the table reports a printer that cannot be drawn on.
constexpr std::string_view kPrintFailed = "Print failed !";

}  // namespace

PrintJobControl::Environment PrintJobControl::DefaultEnvironment(QWidget* owner) {
  Environment env;
  env.askPrint = [owner](QPrinter& printer, int lastPage) {
    QPrintDialog dialog(&printer, owner);
    dialog.setMinMax(1, lastPage);
    return dialog.exec() == QDialog::Accepted;
  };
  env.runPreview = [owner](QPrinter& printer, const std::function<void(QPrinter*)>& paint) {
    QPrintPreviewDialog dialog(&printer, owner);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    dialog.exec();
  };
  env.pageSetup = [owner](QPrinter& printer) {
    // The page setup dialog serves only the system's printers; for a file the print dialog chooses
    // where the pages go. Every page is A4 portrait, so the setup's paper and orientation, which
    // could not apply, are greyed.
    if (printer.outputFormat() != QPrinter::NativeFormat) {
      QPrintDialog dialog(&printer, owner);
      dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
      dialog.exec();
      return;
    }
    QPageSetupDialog dialog(&printer, owner);
    for (const char* name : {"pageSizeCombo", "portrait", "landscape", "reverseLandscape", "reversePortrait"}) {
      if (auto* control = dialog.findChild<QWidget*>(name)) control->setEnabled(false);
    }
    dialog.exec();
  };
  // Shown only when a job takes longer than a moment; while it shows, the window keeps answering
  // and Cancel stops the job.
  auto dialog = std::make_shared<std::unique_ptr<QProgressDialog>>();
  env.progress = [owner, dialog](int done, int total) {
    if (done == 0 || !*dialog) {
      *dialog = std::make_unique<QProgressDialog>(QString(), QString::fromStdString(g_CurrentStrings[TextRow::Cancel]),
                                                  0, total, owner);
      (*dialog)->setWindowModality(Qt::WindowModal);
      (*dialog)->setMinimumDuration(kProgressDelayMs);
    }
    QProgressDialog& shown = **dialog;
    shown.setLabelText(QString::fromStdString(g_CurrentStrings[TextRow::PrintingPage] +
                                              lumivane::Format("%d/%d", std::min(done + 1, total), total)));
    shown.setValue(done);
    const bool goOn = !shown.wasCanceled();
    if (!goOn || done >= total) dialog->reset();
    return goOn;
  };
  return env;
}

PrintJobControl::PrintJobControl(COtdrDoc& doc, const std::vector<std::unique_ptr<TraceRecord>>& traceList,
                                 ReportPageRenderer& renderer, Environment env)
    : m_Doc(doc),
      m_TraceList(traceList),
      m_Renderer(renderer),
      m_Env(std::move(env)) {}

PrintJobControl::~PrintJobControl() = default;

void PrintJobControl::SetDialogs(decltype(Environment::askPrint) askPrint,
                                 decltype(Environment::runPreview) runPreview) {
  m_Env.askPrint = std::move(askPrint);
  m_Env.runPreview = std::move(runPreview);
}

QPrinter& PrintJobControl::Printer() {
  // Made at the first use: a printer loads the system's printing service, which a session that
  // never prints should not carry. It then keeps the page setup for the rest of the session.
  if (!m_pPrinter) m_pPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *m_pPrinter;
}

void PrintJobControl::OnPrintCommand() {
  if (m_Env.maximiseTracePane) m_Env.maximiseTracePane();
  g_BatchPrint.Active = 0;
  Print();
  if (m_Env.restorePanes) m_Env.restorePanes();
}

void PrintJobControl::OnPrintPreviewCommand() {
  m_bPlaceFrameOnUpdate = 0;
  g_BatchPrint.Active = 0;
  Preview();
}

void PrintJobControl::OnFilePrint() { Print(); }

void PrintJobControl::OnFilePrintPreview() { Preview(); }

void PrintJobControl::OnFilePrintSetup() {
  if (m_Env.pageSetup) m_Env.pageSetup(Printer());
}

void PrintJobControl::Print() {
  if (!OnPreparePrinting(false)) {
    // Counting a batch's pages read its files; a cancelled dialog leaves nothing of that behind.
    m_bCancelled = true;
    OnEndPrinting();
    return;
  }
  PaintJob(&Printer());
  OnEndPrinting();
}

void PrintJobControl::Preview() {
  if (!OnPreparePrinting(true)) return;
  // The preview paints the job as often as it needs; the job ends once, when the preview closes.
  if (m_Env.runPreview) m_Env.runPreview(Printer(), [this](QPrinter* printer) { PaintJob(printer); });
  OnEndPrinting();
}

bool PrintJobControl::OnPreparePrinting(bool preview) {
  m_PageState.m_nPrintActiveMarker = m_Doc.m_MarkerState.ActiveMarker;
  m_strUnitAtStart = g_LengthUnitName;
  m_dUnitFactorAtStart = g_LengthUnitFactor;
  m_bCancelled = false;
  // Every job reads its batch files afresh: a file may have changed since the last job.
  g_BatchPrint.LoadedFile.clear();
  m_Renderer.BeginJob();
  std::vector<EventTableView> tables;
  std::vector<TraceEvents> traces;
  tables.reserve(m_TraceList.size());
  traces.reserve(m_TraceList.size());
  const LoadedTraceSources sources = m_Renderer.LoadedTraces();
  for (const std::unique_ptr<TraceRecord>& record : m_TraceList) {
    // Each trace with its rows as shown now, judged as the screen judges it.
    const ReportTraceSet view = LoadedTraceSet(*record, sources, m_Doc.m_MarkerState.ActiveMarker);
    tables.push_back(ComputeEventTable({view.rows, view.endRow, view.record, view.limits}, g_LengthUnitFactor));
    traces.push_back({record->m_strPath, tables.back().rows});
  }
  const PrintOptions& options = m_Doc.m_PrintOptions;
  PrintJobPlan plan = PlanPrintJob(
      {options, m_Doc.m_ConfigReport, m_Doc.m_nEventCount, g_DisplayState.TraceCount, g_BatchPrint}, traces,
      [this, &options] { return m_Renderer.CountMultiTracePages(options.EventTable, options.PerPageIndex); });
  m_nLastPage = plan.LastPage;
  m_PageState.m_bUseCombined = plan.UseCombined;
  m_PageState.m_Combined = std::move(plan.Combined);
  OnPrepareDC(Printer());
  // A page range belongs to the job it was chosen for.
  Printer().setPrintRange(QPrinter::AllPages);
  if (preview) return true;
  return !m_Env.askPrint || m_Env.askPrint(Printer(), m_nLastPage);
}

void PrintJobControl::OnPrepareDC(QPrinter& printer) const {
  const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                       QMarginsF(kSideMarginMm, kTopMarginMm, kSideMarginMm, kTopMarginMm), QPageLayout::Millimeter);
  if (!printer.setPageLayout(a4)) {
    // The printer's own margins are wider than ours; the page is still A4 portrait.
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
  }
}

void PrintJobControl::OnPrint(QPainter& painter, const QPrinter& printer, int page) {
  const double pixelsPerUnit = printer.resolution() / kUnitsPerInch;
  const QRectF area = printer.pageRect(QPrinter::DevicePixel);
  const int width = static_cast<int>(area.width() / pixelsPerUnit);
  const int height = static_cast<int>(area.height() / pixelsPerUnit);
  const HorizontalScale scaleX = PrintScaleX(width);
  m_PageState.m_nPrintScaleX = scaleX.Factor;
  m_PageState.m_nPrintScaleY = PrintScaleY(-height);
  m_PageState.m_strLogoPath = m_Doc.m_PrintOptions.LogoPath;
  const ReportPage report{painter, QRect(QPoint(0, 0), QPoint(scaleX.Right, -height)), pixelsPerUnit,
                          page,    m_nLastPage,                                       m_PageState};
  painter.save();
  switch (ChoosePageRoutine(m_Doc.m_PrintOptions.Layout, g_BatchPrint.Active == 1)) {
    case PageRoutine::SingleTrace: m_Renderer.PrintSingleTracePage(report); break;
    case PageRoutine::MultiTrace: m_Renderer.PrintMultiTracePage(report); break;
    case PageRoutine::Combined: m_Renderer.PrintLayout2Page(report); break;
  }
  painter.restore();
}

void PrintJobControl::OnEndPrinting() {
  m_bPlaceFrameOnUpdate = 1;
  std::vector<std::string> unprinted = m_Renderer.EndJob();
  if (g_BatchPrint.Active == 1 && !m_bCancelled) {
    unprinted.insert(unprinted.begin(), g_BatchPrint.UnreadFiles.begin(), g_BatchPrint.UnreadFiles.end());
  }
  // A batch's files belong to its job alone: whatever prints next, from the menu or a key, prints
  // the open traces, and the file list is not kept.
  ResetBatchPrint();
  lumivane::ReleaseFreedMemory();
  if (m_bCancelled) {
    g_LengthUnitName = m_strUnitAtStart;
    g_LengthUnitFactor = m_dUnitFactorAtStart;
    m_bCancelled = false;
    return;
  }
  if (!unprinted.empty()) {
    // A gap in a customer's report must not go unnoticed.
    std::string text = g_CurrentStrings[TextRow::FilesNotPrinted];
    for (const std::string& path : unprinted) text += "\n" + path;
    lumivane::ShowMessage(text, lumivane::MessageIcon::Warning);
  }
  if (g_LengthUnitName != m_strUnitAtStart) {
    // A batch file switched the unit: every pane shows the unit now in force.
    g_DisplayState.UnitChanged = 1;
    m_Doc.UpdateAllViews(nullptr, kHintRefresh);
  }
}

bool PrintJobControl::PaintJob(QPrinter* printer) {
  OnPrepareDC(*printer);
  int first = 1;
  int last = m_nLastPage;
  if (printer->printRange() == QPrinter::PageRange && printer->fromPage() > 0) {
    first = std::max(1, printer->fromPage());
    last = std::min(m_nLastPage, std::max(printer->toPage(), first));
  }
  QPainter painter;
  if (!painter.begin(printer)) {
    lumivane::ShowMessage(kPrintFailed, lumivane::MessageIcon::Warning);
    return false;
  }
  const int total = last - first + 1;
  const auto goOn = [this, total](int done) {
    if (!m_Env.progress || m_Env.progress(done, total)) return true;
    m_bCancelled = true;
    return false;
  };
  if (goOn(0)) {
    for (int page = first; page <= last; ++page) {
      if (page > first) printer->newPage();
      OnPrint(painter, *printer, page);
      if (!goOn(page - first + 1)) break;
    }
  }
  const bool ended = painter.end();
  if (!ended) lumivane::ShowMessage(kPrintFailed, lumivane::MessageIcon::Warning);
  return ended;
}
