// The graph block of the report's first page: caption, grid and curves drawn by the trace view's
// own painters into a picture of the box, then the event pictograms and the markers on the page.
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <span>

#include "app/length_unit.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "platform/number_format.h"
#include "platform/saturate.h"
#include "reports/report_canvas.h"
#include "reports/report_graph_geometry.h"
#include "reports/report_page_texts.h"
#include "reports/single_trace_report.h"
#include "traceview/trace_db.h"
#include "traceview/trace_painter.h"

namespace {

// Pixels of the box picture per page unit: fine enough for print, small enough to draw quickly.
constexpr int kPictureScale = 3;
// A window part larger than this is not a screen's; the whole trace prints instead.
constexpr int kMaxPicturePixels = 16384;
constexpr QRgb kActiveLabelColour = qRgb(0, 64, 128);

QRgb ColourOf(const TraceColour& c) { return qRgb(c.Red, c.Green, c.Blue); }

void DrawGlyph(ReportCanvas& canvas, ReportGlyph glyph, int x, int y) {
  const int width = GlyphPenWidth(glyph);
  for (const GlyphStroke& s : GlyphStrokes(glyph)) canvas.Line(x + s.x1, y + s.y1, x + s.x2, y + s.y2, width);
}

}  // namespace

void SingleTraceReport::PrintGraphBlock(ReportCanvas& canvas, int& y, const ReportViewSnapshot& view,
                                        const PrintPageState& state) {
  const PrintOptions& options = m_Doc.m_PrintOptions;
  const std::span<const double> samples = LeadingDbSamples(m_Doc.m_DbSamples, m_Doc.m_nPointCount);
  const int n = static_cast<int>(samples.size());
  const DbRange range = SampleDbRange(samples);
  const double distancePerDiv = view.distancePerDivKm > 0 ? view.distancePerDivKm : m_Doc.m_dFibreLengthKm / 10.0;
  const double dbPerDiv = view.dbPerDiv > 0 ? view.dbPerDiv : range.Span() / 10.0;

  canvas.SetFont(kInfoFontHeight, false);
  canvas.Line(kReportLeft, y, kGraphRight, y);
  y -= kLineGapUnits;
  canvas.Text(kReportLeft, y, GraphCaption(distancePerDiv, dbPerDiv, g_LengthUnitName, g_LengthUnitFactor));
  y -= kInfoFontHeight + kLineGapUnits;
  const int top = y;
  const int bottom = top - kGraphHeight;

  if (view.linkMapMode) {
    if (view.linkMapPicture) {
      const QImage map = view.linkMapPicture(kLinkMapWidth, kGraphHeight);
      if (!map.isNull()) canvas.Image(kReportLeft, top, kLinkMapWidth, kGraphHeight, map);
    }
  } else {
    // The part of the plot the window shows, spread over the box; without a window, the whole trace.
    const bool windowed = view.grid.Width() > 0 && view.grid.Height() > 0 && view.grid.Width() <= kMaxPicturePixels &&
                          view.grid.Height() <= kMaxPicturePixels && view.pixelsPerSample > 0 && view.pixelsPerDb > 0;
    PaintParams params;
    if (windowed) {
      params = {view.grid, view.canvas, view.pixelsPerSample, view.pixelsPerDb};
    } else {
      constexpr int kWidth = kGraphWidth * kPictureScale;
      constexpr int kHeight = kGraphHeight * kPictureScale;
      params.canvas = {kWidth, kHeight};
      params.grid = {0, 0, kWidth, kHeight};
      params.pixelsPerSample = n > 1 ? static_cast<double>(kWidth) / (n - 1) : 0.0;
      params.pixelsPerDb = range.Span() > 0 ? kHeight / range.Span() : 0.0;
    }
    const double scaleX = static_cast<double>(kGraphWidth) / params.grid.Width();
    // The view's painters draw one pixel per canvas pixel, unscaled, as on screen; the picture is
    // then stretched over the box.
    QImage picture(params.grid.Width(), params.grid.Height(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
      QPainter painter(&picture);
      painter.translate(-params.grid.left, -params.grid.top);
      if (options.ShowGrid) DrawGrid(painter, params);
      if (params.pixelsPerSample > 0 && params.pixelsPerDb > 0) {
        std::vector<OverlayCurve> curves;
        const int spacing = m_Doc.m_SorRecord.FxdParams.DataSpacing[0];
        for (const std::unique_ptr<TraceRecord>& record : m_TraceList) {
          const TraceDisplayModel& model = record->m_Model;
          const bool current = record->m_strPath == m_Doc.m_strTracePath;
          if (options.Layout != 2 && !current) continue;
          const auto colour = m_Doc.m_TraceColours[static_cast<std::size_t>(
              std::clamp(record->m_nColourIndex, 0, static_cast<int>(m_Doc.m_TraceColours.size()) - 1))];
          curves.push_back({LeadingDbSamples(model.m_DbSamples, model.m_nPointCount),
                            windowed ? model.m_dDbCeiling : range.max,
                            OverlayStep(params.pixelsPerSample, spacing, model.m_SorRecord.FxdParams.DataSpacing[0]),
                            ColourOf(colour), false});
        }
        if (curves.empty()) {
          curves.push_back({samples, windowed ? m_Doc.m_dDbCeiling : range.max, params.pixelsPerSample,
                            ColourOf(m_Doc.m_TraceColours[0]), false});
        }
        DrawOverlayTraces(painter, params, curves, OverlayStyle{false, view.dotted});
      }
    }
    canvas.Image(kReportLeft, top, kGraphWidth, kGraphHeight, picture);

    const double unitsPerSample = params.pixelsPerSample * scaleX;
    const int first = windowed ? lumivane::TruncToInt32(params.grid.left / params.pixelsPerSample) : 0;
    if (view.showEventBar && unitsPerSample > 0) {
      canvas.SetFont(kInfoFontHeight, false);
      const int count = std::clamp(m_Doc.m_nEventCount, 0, kMaxEventRows);
      const auto distanceOf = [this](int index) {
        return GetDistanceFromRecords(0, m_Doc.m_SorRecord, m_Doc.m_dFibreLengthKm, index);
      };
      for (int e = 0; e < count; ++e) {
        const EventRow& row = m_Doc.m_EventRows[static_cast<std::size_t>(e)];
        const int j = FirstSampleBeyond(row.Distance, n, distanceOf);
        const GlyphPlace place = PlaceGlyph(row, j - first, unitsPerSample, bottom);
        if (!place.drawn) continue;
        DrawGlyph(canvas, place.glyph, place.x, place.y);
        if (place.numbered) canvas.Text(place.x, place.y + 12, lumivane::Format("%d", e + 1));
      }
    }
    if (options.ShowMarker && unitsPerSample > 0) {
      const MarkerState& markers = m_Doc.m_MarkerState;
      const double dA = GetDistanceFromRecords(0, m_Doc.m_SorRecord, m_Doc.m_dFibreLengthKm, markers.MarkerA);
      const double dB = GetDistanceFromRecords(0, m_Doc.m_SorRecord, m_Doc.m_dFibreLengthKm, markers.MarkerB);
      for (const MarkerLabel& label :
           PlaceMarkerLabels(markers.MarkerA - first, markers.MarkerB - first, dA, dB, state.m_nPrintActiveMarker, unitsPerSample,
                             bottom, g_LengthUnitName, g_LengthUnitFactor)) {
        if (label.line) canvas.Line(label.lineX, bottom, label.lineX, label.lineTop, 2);
        const int x = label.endsAtX ? label.x - canvas.TextWidth(label.text) : label.x;
        canvas.Text(x, label.y, label.text, label.active ? QColor(Qt::white) : QColor(Qt::black),
                    label.active ? QColor(kActiveLabelColour) : QColor(Qt::white));
      }
      y -= 9;
    }
  }
  y -= kGraphHeight + 12;
}
