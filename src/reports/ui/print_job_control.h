#pragma once
// Printing and print preview of reports: the job's page count, A4 portrait pages whatever the print
// setup chose, the page mapping and its factors, and the hand-over of each page to the routine of
// the chosen layout. Print and preview paint through the same routine.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reports/ui/report_page_renderer.h"

class COtdrDoc;
class QPrinter;
class QWidget;
struct TraceRecord;

class PrintJobControl {
 public:
  /// What a job shows the user; tests answer without windows.
  struct Environment {
    /// The print dialog on the printer for a job of pages 1 .. lastPage; false when the user cancels.
    std::function<bool(QPrinter&, int lastPage)> askPrint;
    /// Shows a preview of the printer's pages, painted by `paint` as often as the preview asks.
    std::function<void(QPrinter&, const std::function<void(QPrinter*)>& paint)> runPreview;
    /// The print setup dialog on the printer.
    std::function<void(QPrinter&)> pageSetup;
    /// Maximises the Trace pane's frame before a print from the menu or the toolbar.
    std::function<void()> maximiseTracePane;
    /// Puts the panes back as they were before the print maximised the Trace pane.
    std::function<void()> restorePanes;
    /// Told before the first page (0) and after each painted page of a job of `total` pages;
    /// false when the user cancels the job.
    std::function<bool(int done, int total)> progress;
  };

  /// The program's environment: the standard print, preview and page setup dialogs.
  static Environment DefaultEnvironment(QWidget* owner);
  /// Replaces the print dialog and the preview, keeping the rest of the environment (tests send
  /// the pages to a file without windows).
  void SetDialogs(decltype(Environment::askPrint) askPrint, decltype(Environment::runPreview) runPreview);

  PrintJobControl(COtdrDoc& doc, const std::vector<std::unique_ptr<TraceRecord>>& traceList,
                  ReportPageRenderer& renderer, Environment env);
  ~PrintJobControl();
  PrintJobControl(const PrintJobControl&) = delete;
  PrintJobControl& operator=(const PrintJobControl&) = delete;

  /// The menu's and toolbar's Print: maximises the Trace pane and prints the open traces.
  void OnPrintCommand();
  /// The menu's and toolbar's Print Preview of the open traces.
  void OnPrintPreviewCommand();
  /// Print as the accelerator runs it: a batch the batch command has just planned, else the open
  /// traces.
  void OnFilePrint();
  /// Preview as the accelerator runs it: a batch just planned, else the open traces.
  void OnFilePrintPreview();
  /// The print setup dialog; its paper and orientation give way to A4 portrait on every page.
  void OnFilePrintSetup();

  /// Counts the job's pages; for a print (not a preview) asks the print dialog. False: cancelled.
  bool OnPreparePrinting(bool preview);
  /// Sets A4 portrait on the printer with the reference printable area.
  void OnPrepareDC(QPrinter& printer) const;
  /// Sets the page factors and the logo path and draws page `page` with the layout's routine.
  void OnPrint(QPainter& painter, const QPrinter& printer, int page);
  /// Ends a job: releases what its pages owned and the batch it printed, names the batch files that
  /// were not printed in one message, and tells every pane when a batch file switched the length
  /// unit. A job the user
  /// cancelled (at the print dialog or while it printed) leaves nothing behind: the length unit is
  /// the one it started with and no message is shown.
  void OnEndPrinting();
  /// Paints every page of the prepared job that the printer's range asks for, telling the progress
  /// after each; stops at once when the user cancels. False (after a message) when the printer
  /// cannot be painted on. The job goes on until OnEndPrinting.
  bool PaintJob(QPrinter* printer);

  QPrinter& Printer();
  int LastPage() const { return m_nLastPage; }
  const PrintPageState& PageState() const { return m_PageState; }

  int m_bPlaceFrameOnUpdate = 1;  // 0 while a preview runs

 private:
  void Print();
  void Preview();

  COtdrDoc& m_Doc;
  const std::vector<std::unique_ptr<TraceRecord>>& m_TraceList;
  ReportPageRenderer& m_Renderer;
  Environment m_Env;
  std::unique_ptr<QPrinter> m_pPrinter;
  PrintPageState m_PageState;
  int m_nLastPage = 1;
  std::string m_strUnitAtStart;  // the length unit when the job was prepared
  double m_dUnitFactorAtStart = 1.0;
  bool m_bCancelled = false;     // the user cancelled the job
};
