#pragma once
// The pages of the single-trace report: title, logo, trace information, graph, markers, totals,
// the event table (continued on further pages) and the footer on every page.
#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reports/page_slot_store.h"
#include "reports/report_trace_set.h"
#include "reports/ui/report_page_renderer.h"
#include "vocabulary/pixel_geometry.h"

class COtdrDoc;
class QPainter;
class ReportCanvas;
struct CellLayout;
struct TraceRecord;

/// What the report takes from the trace window.
struct ReportViewSnapshot {
  double distancePerDivKm = 0.0;  // 0: a tenth of the trace
  double dbPerDiv = 0.0;          // 0: a tenth of the trace's level span
  bool dotted = false;
  bool showEventBar = true;
  bool showGrid = true;  // the window's own grid preference, used by the multi-trace cells
  bool linkMapMode = false;
  // The plot as the window last drew it; an empty grid prints the whole trace.
  PixelRect grid;   // the visible part of the canvas
  PixelSize canvas;
  double pixelsPerSample = 0.0;
  double pixelsPerDb = 0.0;
};

class SingleTraceReport final : public ReportPageRenderer {
 public:
  struct Sources {
    std::function<ReportViewSnapshot()> view;   // empty: the defaults above
    std::function<std::string()> localTime;     // "yyyy-MM-dd HH:mm:ss"; empty: the clock
    std::string limitsFile;                     // the pass/fail limits file; empty: the document's limits
  };

  SingleTraceReport(const COtdrDoc& doc, const std::vector<std::unique_ptr<TraceRecord>>& traceList, Sources sources);
  ~SingleTraceReport() override;

  /// The limits a trace of `wavelengthNm` is judged with on paper, as on screen.
  PassFailThresholds LimitsForWavelength(int wavelengthNm) const;
  LoadedTraceSources LoadedTraces() const override;
  void BeginJob() override;
  int CountMultiTracePages(int eventTable, int perPageIndex) override;
  void PrintSingleTracePage(const ReportPage& page) override;
  void PrintMultiTracePage(const ReportPage& page) override;
  void PrintLayout2Page(const ReportPage& page) override;
  std::vector<std::string> EndJob() override;

  /// The page slots of the several-traces-per-page job that runs; null outside such a job.
  const PageSlotStore* Slots() const { return m_pSlots.get(); }

 private:
  void PrintBatchPage(const ReportPage& page, ReportCanvas& canvas);
  void PrintReportTitle(const ReportPage& page, ReportCanvas& canvas, int& y);
  void PrintReportPage(const ReportPage& page, ReportCanvas& canvas, const ReportTraceSet& set, int reportPage);
  void PrintTraceInfoBlock(ReportCanvas& canvas, int& y, const ReportTraceSet& set, const ReportViewSnapshot& view,
                           const PrintPageState& state);
  void PrintGraphBlock(ReportCanvas& canvas, int& y, const ReportTraceSet& set, const ReportViewSnapshot& view);
  void PrintLinkMap(QPainter& painter, const PixelRect& box, const ReportTraceSet& set, const ReportViewSnapshot& view);
  void PrintMarkerBlock(ReportCanvas& canvas, int& y, const ReportTraceSet& set);
  void PrintFiberTotalsBlock(ReportCanvas& canvas, int& y, const ReportTraceSet& set);
  void PrintEventTableBlock(ReportCanvas& canvas, int& y, int page, const ReportTraceSet& set,
                            const PrintPageState& state);
  void PrintReportFooter(const ReportPage& page, ReportCanvas& canvas);
  void DrawReportLogo(ReportCanvas& canvas, const std::string& path);
  void PrintTraceCell(ReportCanvas& canvas, const CellLayout& cell, int slotIndex, const ReportViewSnapshot& view);
  void PrintCellGraph(ReportCanvas& canvas, const CellLayout& cell, int& y, const PageSlot& slot,
                      const ReportViewSnapshot& view);
  void PrintCellMarkersAndGlyphs(ReportCanvas& canvas, const CellLayout& cell, int top, const PageSlot& slot,
                                 const ReportViewSnapshot& view, int activeMarker);
  void PrintEventTableCell(ReportCanvas& canvas, const CellLayout& cell, const PageSlot& slot);

  const COtdrDoc& m_Doc;
  const std::vector<std::unique_ptr<TraceRecord>>& m_TraceList;
  Sources m_Sources;
  std::unique_ptr<PageSlotStore> m_pSlots;
  std::vector<std::string> m_UnreadFiles;  // batch files this job could not read
  int m_nCellLeft = 0;
  int m_nCellTop = 0;
};
