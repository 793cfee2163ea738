#pragma once
// Where a print job hands each page to the routine that draws it. Pages are laid out in units of
// 0.01 inch with y pointing up from the top of the printable area, so page content lies at negative
// y; the painter itself works in device pixels with its origin at that top-left corner.
#include <QRect>
#include <string>
#include <vector>

#include "reports/report_trace_set.h"
#include "reports/print_job_plan.h"

class QPainter;

/// The print members a job sets for its page routines.
struct PrintPageState {
  int m_nPrintScaleX = 1;
  int m_nPrintScaleY = 1;
  std::string m_strLogoPath;
  int m_nPrintActiveMarker = 0;  // 0 A, 1 B
  bool m_bUseCombined = false;   // the job lists the events of every loaded trace
  CombinedEventTable m_Combined;  // built per job; empty unless m_bUseCombined
};

/// One page to draw.
struct ReportPage {
  QPainter& painter;
  QRect drawRect;         // logical units: left 0, top 0, right = width, bottom = minus the height
  double pixelsPerUnit;   // device pixels per logical unit
  int pageNumber;         // from 1
  int lastPage;
  const PrintPageState& state;
};

/// The page routines of the report layouts.
class ReportPageRenderer {
 public:
  virtual ~ReportPageRenderer() = default;
  /// A job starts: nothing of an earlier job's unread files is carried over.
  virtual void BeginJob() = 0;
  /// Where the loaded traces are read from as they are shown now, and the limits a trace of a
  /// wavelength is judged with on paper, as on screen.
  virtual LoadedTraceSources LoadedTraces() const = 0;
  /// Pages of a several-traces-per-page job.
  virtual int CountMultiTracePages(int eventTable, int perPageIndex) = 0;
  /// A page of a single-trace report (also every page of a batch but several-per-page ones).
  virtual void PrintSingleTracePage(const ReportPage& page) = 0;
  /// A page of several traces.
  virtual void PrintMultiTracePage(const ReportPage& page) = 0;
  /// A page of the report over all loaded traces.
  virtual void PrintLayout2Page(const ReportPage& page) = 0;
  /// The job ends: releases the sample buffers its pages owned and returns the paths of the batch
  /// files it could not read, each once, in the order first met.
  virtual std::vector<std::string> EndJob() = 0;
};
