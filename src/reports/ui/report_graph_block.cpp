// The graph block of the report's first page: caption, grid and curves drawn by the trace view's
// own painters straight onto the page at the printer's resolution, clipped to the box, the current
// trace drawn heavier as on screen; then the event pictograms and the markers.
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <span>

#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "platform/number_format.h"
#include "platform/saturate.h"
#include "reports/report_graph_geometry.h"
#include "reports/report_page_texts.h"
#include "reports/ui/report_canvas.h"
#include "reports/ui/single_trace_report.h"
#include "traceview/overlay_placement.h"
#include "traceview/trace_db.h"
#include "traceview/ui/trace_painter.h"
#include "vocabulary/length_unit.h"

namespace {

// A batch file is drawn whole at this full height.
constexpr double kBatchGraphDb = 60.0;
// A plot pixel is about this fraction of an inch, so the painters' one- and two-pixel pens keep a
// weight that shows on paper while every vertex still sits at the printer's own resolution.
constexpr double kPlotPixelsPerInch = 300.0;
// A window part larger than this is not a screen's; the whole trace prints instead.
constexpr int kMaxWindowPixels = 16384;

void DrawGlyph(ReportCanvas& canvas, ReportGlyph glyph, int x, int y) {
  const int width = GlyphPenWidth(glyph);
  for (const GlyphStroke& s : GlyphStrokes(glyph)) canvas.Line(x + s.x1, y + s.y1, x + s.x2, y + s.y2, width);
}

}  // namespace

void SingleTraceReport::PrintGraphBlock(ReportCanvas& canvas, int& y, const ReportTraceSet& set,
                                        const ReportViewSnapshot& view) {
  const PrintOptions& options = m_Doc.m_PrintOptions;
  const int n = set.pointCount;
  const DbRange range = SampleDbRange(set.samples);
  const bool batch = set.batchFile;
  const double distancePerDiv = batch || view.distancePerDivKm <= 0 ? set.lengthKm / 10.0 : view.distancePerDivKm;
  const double dbPerDiv = batch ? kBatchGraphDb / 10.0 : view.dbPerDiv > 0 ? view.dbPerDiv : range.Span() / 10.0;

  canvas.SetFont(kInfoFontHeight, false);
  canvas.Line(kReportLeft, y, kGraphRight, y);
  y -= kLineGapUnits;
  // The link map has no divisions to state.
  if (!view.linkMapMode) {
    canvas.Text(kReportLeft, y, GraphCaption(distancePerDiv, dbPerDiv, g_LengthUnitName, g_LengthUnitFactor));
  }
  y -= kInfoFontHeight + kLineGapUnits;
  const int top = y;
  const int bottom = top - kGraphHeight;

  // The box in plot pixels: the part of the plot the window shows spread over it, or without a
  // window (and for a batch file) the whole trace.
  const double pixelsPerUnit = canvas.PixelsPerUnit();
  const int plotScale = std::max(1, static_cast<int>(pixelsPerUnit * 100.0 / kPlotPixelsPerInch));
  const double plotPerUnit = pixelsPerUnit / plotScale;
  const int boxWidth = std::max(1, lumivane::TruncToInt32(kGraphWidth * plotPerUnit));
  const int boxHeight = std::max(1, lumivane::TruncToInt32(kGraphHeight * plotPerUnit));
  QPainter& painter = canvas.Painter();
  const auto enterBox = [&] {
    painter.save();
    painter.setClipRect(QRectF(kReportLeft * pixelsPerUnit, -top * pixelsPerUnit, kGraphWidth * pixelsPerUnit,
                               kGraphHeight * pixelsPerUnit));
    painter.translate(kReportLeft * pixelsPerUnit, -top * pixelsPerUnit);
    painter.scale(plotScale, plotScale);
  };

  if (view.linkMapMode) {
    enterBox();
    PrintLinkMap(painter, PixelRect{0, 0, boxWidth, boxHeight}, set, view);
    painter.restore();
    y -= kGraphHeight + 12;
    return;
  }

  const bool windowed = !batch && view.grid.Width() > 0 && view.grid.Height() > 0 &&
                        view.grid.Width() <= kMaxWindowPixels && view.grid.Height() <= kMaxWindowPixels &&
                        view.pixelsPerSample > 0 && view.pixelsPerDb > 0;
  PaintParams params;
  double ceiling = range.max;
  if (windowed) {
    const double sx = static_cast<double>(boxWidth) / view.grid.Width();
    const double sy = static_cast<double>(boxHeight) / view.grid.Height();
    const int left = lumivane::TruncToInt32(view.grid.left * sx);
    const int gridTop = lumivane::TruncToInt32(view.grid.top * sy);
    params.grid = {left, gridTop, left + boxWidth, gridTop + boxHeight};
    params.canvas = {lumivane::TruncToInt32(view.canvas.width * sx), lumivane::TruncToInt32(view.canvas.height * sy)};
    params.pixelsPerSample = view.pixelsPerSample * sx;
    params.pixelsPerDb = view.pixelsPerDb * sy;
  } else {
    params.grid = {0, 0, boxWidth, boxHeight};
    params.canvas = {boxWidth, boxHeight};
    if (batch) {
      params.pixelsPerSample = n > 0 ? static_cast<double>(boxWidth) / n : 0.0;
      params.pixelsPerDb = boxHeight / kBatchGraphDb;
      ceiling = set.ceilingDb;
    } else {
      params.pixelsPerSample = n > 1 ? static_cast<double>(boxWidth) / (n - 1) : 0.0;
      params.pixelsPerDb = range.Span() > 0 ? boxHeight / range.Span() : 0.0;
    }
  }

  enterBox();
  painter.translate(-params.grid.left, -params.grid.top);
  if (options.ShowGrid) DrawGrid(painter, params);
  if (params.pixelsPerSample > 0 && params.pixelsPerDb > 0) {
    std::vector<OverlayCurve> curves;
    if (batch) {
      curves.push_back({set.samples, ceiling, params.pixelsPerSample, kBatchTraceColour, true});
    } else {
      const TraceDistanceScale axis = DistanceScaleOf(set.record, set.lengthKm);
      for (const std::unique_ptr<TraceRecord>& record : m_TraceList) {
        const TraceDisplayModel& model = record->m_Model;
        const bool current = record->m_strPath == set.path;
        if (options.Layout != kLayoutCombined && !current) continue;
        const TraceColour& colour = TraceColourAt(m_Doc.m_TraceColours, record->m_nColourIndex);
        const CurvePlacement place =
            PlaceOnAxis(params.pixelsPerSample, axis, DistanceScaleOf(model.m_SorRecord, model.m_dFibreLengthKm));
        curves.push_back({LeadingDbSamples(model.m_DbSamples, model.m_nPointCount),
                          windowed ? model.m_dDbCeiling : range.max, place.step, ToRgb(colour), current,
                          place.originX});
      }
      if (curves.empty()) {
        curves.push_back({set.samples, windowed ? set.ceilingDb : range.max, params.pixelsPerSample,
                          ToRgb(m_Doc.m_TraceColours[0]), true});
      }
    }
    DrawOverlayTraces(painter, params, curves, OverlayStyle{false, view.dotted});
  }
  painter.restore();

  const double unitsPerSample = params.pixelsPerSample / plotPerUnit;
  const int first = windowed ? lumivane::TruncToInt32(params.grid.left / params.pixelsPerSample) : 0;
  if (view.showEventBar && unitsPerSample > 0) {
    canvas.SetFont(kInfoFontHeight, false);
    const auto distanceOf = [&set](int index) { return GetDistanceFromRecords(0, set.record, set.lengthKm, index); };
    for (std::size_t e = 0; e < set.rows.size(); ++e) {
      const EventRow& row = set.rows[e];
      const int j = FirstSampleBeyond(row.Distance, n, distanceOf);
      const GlyphPlace place = PlaceGlyph(row, j - first, unitsPerSample, bottom);
      if (!place.drawn) continue;
      DrawGlyph(canvas, place.glyph, place.x, place.y);
      if (place.numbered) canvas.Text(place.x, place.y + 12, lumivane::Format("%d", static_cast<int>(e) + 1));
    }
  }
  if (options.ShowMarker && unitsPerSample > 0) {
    const double dA = GetDistanceFromRecords(0, set.record, set.lengthKm, set.markerA);
    const double dB = GetDistanceFromRecords(0, set.record, set.lengthKm, set.markerB);
    for (const MarkerLabel& label : PlaceMarkerLabels(set.markerA - first, set.markerB - first, dA, dB, set.activeMarker,
                                                      unitsPerSample, bottom, g_LengthUnitName, g_LengthUnitFactor)) {
      if (label.line) canvas.Line(label.lineX, bottom, label.lineX, label.lineTop, 2);
      const int x = label.endsAtX ? label.x - canvas.TextWidth(label.text) : label.x;
      canvas.Text(x, label.y, label.text, label.active ? QColor(Qt::white) : QColor(Qt::black),
                  label.active ? QColor(kActiveLabelColour) : QColor(Qt::white));
    }
    y -= 9;
  }
  y -= kGraphHeight + 12;
}
