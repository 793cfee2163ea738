// The pages of several traces to a page: per page the title, the logo, two to eight cells and the
// footer. A trace cell shows the trace's header texts, a small graph at 60 dB full height with the
// markers and event pictograms, and fifteen readings; an event-table cell up to 20 rows of a trace's
// events.
#include <QColor>
#include <QPainter>
#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "platform/number_format.h"
#include "platform/saturate.h"
#include "reports/batch_print_state.h"
#include "reports/multi_trace_layout.h"
#include "reports/report_graph_geometry.h"
#include "reports/report_page_texts.h"
#include "reports/ui/report_canvas.h"
#include "reports/ui/single_trace_report.h"
#include "traceview/ui/trace_painter.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

using lumivane::Format;
using lumivane::TruncToInt32;

namespace {

constexpr int kTitleRow = 339;
constexpr int kTraceRow = 80;
constexpr int kEventTableRow = 236;
constexpr double kCellGraphDb = 60.0;
// Blank room between a cell's two header columns.
constexpr int kCellColumnGap = 4;
constexpr std::array<int, kSlotEventColumns> kEventColumnX{0, 15, 47, 79, 111, 143, 175, 207, 239, 271, 303};
constexpr std::array<int, kSlotEventColumns> kEventHeadingRows{73, 74, 75, 76, 77, 78, 79, 37, 36, 230, 72};

const std::string& Row(int row) { return g_CurrentStrings[static_cast<std::size_t>(row)]; }

// Prints a text at (x, y) and steps y below it.
void PrintAndStep(ReportCanvas& canvas, int x, int& y, const std::string& text) {
  canvas.Text(x, y, text);
  y -= canvas.FontHeight() + kLineGapUnits;
}

}  // namespace

LoadedTraceSources SingleTraceReport::LoadedTraces() const {
  return {&m_Doc, [this](int wavelengthNm) { return LimitsForWavelength(wavelengthNm); }};
}

int SingleTraceReport::CountMultiTracePages(int eventTable, int perPageIndex) {
  // The slots are made by the first job that needs them, not with the program.
  if (!m_pSlots) m_pSlots = std::make_unique<PageSlotStore>();
  PageSlotStore& store = *m_pSlots;
  store.m_nPrintActiveMarker = m_Doc.m_MarkerState.ActiveMarker;
  if (eventTable != 0) {
    FillEventTableSlots(store, m_TraceList, g_BatchPrint, g_WorkTrace, LoadedTraces());
  } else {
    FillTraceSlots(store, m_TraceList, g_BatchPrint, LoadedTraces());
  }
  return MultiTracePageCount(store.m_nSlotCount, perPageIndex, 1);
}

void SingleTraceReport::PrintMultiTracePage(const ReportPage& page) {
  ReportCanvas canvas(page.painter, page.pixelsPerUnit);
  const QRect& r = page.drawRect;
  const PrintOptions& options = m_Doc.m_PrintOptions;
  canvas.SetFont(kTitleFontHeight, true);
  const std::string& title = Row(kTitleRow);
  int y = r.top() - 40;
  canvas.Text(r.width() / 2 - canvas.TextWidth(title) / 2, y, title);
  y -= 2 * kTitleFontHeight;
  canvas.Line(r.left() + 40, y, r.right() - 40, y);
  if (options.Logo == 1 && IsReportLogoPath(page.state.m_strLogoPath)) DrawReportLogo(canvas, page.state.m_strLogoPath);

  const CellLayout cells = MultiTraceCellLayout(options.PerPageIndex, r.right());
  if (!cells.origins.empty() && m_pSlots) {
    const ReportViewSnapshot view = m_Sources.view ? m_Sources.view() : ReportViewSnapshot{};
    canvas.SetFont(cells.fontHeight, false);
    const SlotRange pageSlots = SlotsOfPage(page.pageNumber, options.PerPageIndex, m_pSlots->m_nSlotCount);
    for (int s = pageSlots.first; s < pageSlots.end; ++s) {
      const CellOrigin& origin = cells.origins[static_cast<std::size_t>(s - pageSlots.first)];
      m_nCellLeft = origin.x;
      m_nCellTop = origin.y;
      // A batch trace cell reads its file each time it is drawn and lets its samples go once
      // drawn: a job of thousands of files never holds more than one file's samples.
      PageSlot& slot = m_pSlots->m_PageSlots[static_cast<std::size_t>(s)];
      const bool batchCell = g_BatchPrint.Active == 1 && slot.Used == 1;
      if (batchCell) FillBatchCell(*m_pSlots, s, g_BatchPrint, g_WorkTrace, LoadedTraces().limitsOf);
      PrintTraceCell(canvas, cells, s, view);
      if (batchCell) ReleaseOwnedSamples(slot);
    }
  }
  PrintReportFooter(page, canvas);
}

void SingleTraceReport::PrintTraceCell(ReportCanvas& canvas, const CellLayout& cell, int slotIndex,
                                       const ReportViewSnapshot& view) {
  const PageSlot& slot = m_pSlots->m_PageSlots[static_cast<std::size_t>(slotIndex)];
  if (slot.Used != 1) {
    PrintEventTableCell(canvas, cell, slot);
    return;
  }
  const int x0 = m_nCellLeft;
  const int y0 = m_nCellTop;
  const int W = cell.width;
  canvas.Line(x0, y0, x0 + W, y0);
  int y1 = y0 - kLineGapUnits;
  int y2 = y1;
  // Header texts print whole within their column (a file name is the cell's title), smaller or
  // broken over the line's room when they are long.
  const int column = (W - 100) / 3;
  const int step = canvas.FontHeight() + kLineGapUnits;
  for (int i = 0; i < 4; ++i, y1 -= step) {
    canvas.FittedText(x0, y1, column - kCellColumnGap, step, slot.InfoText[static_cast<std::size_t>(i)]);
  }
  for (int i = 4; i < 8; ++i, y2 -= step) {
    canvas.FittedText(x0 + column, y2, W - column, step, slot.InfoText[static_cast<std::size_t>(i)]);
  }

  PrintCellGraph(canvas, cell, y1, slot, view);
  PrintCellMarkersAndGlyphs(canvas, cell, y2 - canvas.FontHeight() - 6, slot, view, slot.ActiveMarker);

  static constexpr std::array<std::array<int, 3>, 5> kReadings{
      {{8, 13, 18}, {9, 14, 19}, {10, 15, 20}, {11, 16, 22}, {12, 17, 21}}};
  for (const auto& line : kReadings) {
    for (std::size_t c = 0; c < line.size(); ++c) {
      const std::size_t i = static_cast<std::size_t>(line[c]);
      const int x = x0 + static_cast<int>(c) * (W / 3);
      if (slot.FailedFrom[i] != 0) {
        canvas.TextWithFailedValue(x, y1, slot.InfoText[i], slot.FailedFrom[i]);
      } else {
        canvas.Text(x, y1, slot.InfoText[i]);
      }
    }
    y1 -= canvas.FontHeight() + kLineGapUnits;
  }
}

void SingleTraceReport::PrintCellGraph(ReportCanvas& canvas, const CellLayout& cell, int& y, const PageSlot& slot,
                                       const ReportViewSnapshot& view) {
  const int x0 = m_nCellLeft;
  const int W = cell.width;
  const int H = cell.height;
  canvas.Line(x0, y, x0 + W, y);
  y -= kLineGapUnits;
  const std::string caption = Format("%s %6.3f ", Row(kTraceRow), slot.LengthKm / 10 * g_LengthUnitFactor) +
                              g_LengthUnitName + "/Div" + Format(" %6.3f dB/Div", 6.0);
  PrintAndStep(canvas, x0, y, caption);
  const int top = y;
  const int bottom = top - H;

  const int count = slot.Samples == nullptr ? 0 : std::clamp(slot.SampleCount, 0, kSorMaxSamples);
  std::vector<double> levels(static_cast<std::size_t>(count));
  // The working buffer the curve is read from is zero beyond the trace, and its highest entry sets
  // the bottom edge; the zeros take part in that maximum.
  float highest = count < kSorMaxSamples ? 0.0f : -99999.9f;
  for (int j = 0; j < count; ++j) {
    levels[static_cast<std::size_t>(j)] = slot.Samples[j] - slot.DbOffset;
    highest = std::max(highest, static_cast<float>(levels[static_cast<std::size_t>(j)]));
  }

  if (view.showGrid) {
    for (int i = 0; i <= 10; ++i) {
      canvas.Line(x0, top - (H * i) / 10, x0 + W, top - (H * i) / 10, 1, kGridColour);
      canvas.Line(x0 + (W * i) / 10, top, x0 + (W * i) / 10, bottom, 1, kGridColour);
    }
  }
  const double unitsPerSample = count > 0 ? static_cast<double>(W) / count : 0.0;
  // Each loaded trace in its own colour, as on screen; batch files in the batch curve colour.
  QColor colour(kBatchTraceColour);
  if (slot.ColourIndex >= 0) {
    colour = QColor(ToRgb(TraceColourAt(m_Doc.m_TraceColours, slot.ColourIndex)));
  }
  // A curve that spans more than the graph's 60 dB stays inside its box, off the texts around it.
  QPainter& painter = canvas.Painter();
  const double ppu = canvas.PixelsPerUnit();
  painter.save();
  painter.setClipRect(QRectF(x0 * ppu, -top * ppu, W * ppu, H * ppu));
  const auto at = [&](int j) {
    return std::pair{x0 + TruncToInt32(j * unitsPerSample),
                     bottom + TruncToInt32(H * (highest - levels[static_cast<std::size_t>(j)]) / kCellGraphDb)};
  };
  if (view.dotted) {
    for (int j = 1; j < count; ++j) {
      const auto [x, yj] = at(j);
      canvas.Line(x, yj, x + 1, yj, 1, colour);
    }
  } else {
    for (int j = 1; j < count; ++j) {
      const auto [xa, ya] = at(j - 1);
      const auto [xb, yb] = at(j);
      if (xa != xb || ya != yb) canvas.Line(xa, ya, xb, yb, 1, colour);
    }
  }
  painter.restore();
  y = bottom - kLineGapUnits;
}

void SingleTraceReport::PrintCellMarkersAndGlyphs(ReportCanvas& canvas, const CellLayout& cell, int top,
                                                  const PageSlot& slot, const ReportViewSnapshot& view,
                                                  int activeMarker) {
  const int x0 = m_nCellLeft;
  const int W = cell.width;
  const int H = cell.height;
  const int bottom = top - H;
  const int count = std::max(slot.SampleCount, 0);
  const double s = count > 0 ? static_cast<double>(W) / count : 0.0;
  // A one-point trace has no distance between samples; its markers sit at 0.
  const double kmPerSample = count > 1 ? slot.LengthKm / (count - 1) : 0.0;
  const auto shownKm = [&](int j) { return j * kmPerSample - slot.UserZeroKm; };

  if (m_Doc.m_PrintOptions.ShowMarker != 0) {
    const auto marker = [&](bool markerB, int index, int otherIndex, bool active) {
      const char name = markerB ? 'B' : 'A';
      const CellMarkerPlace place = PlaceCellMarker(markerB, index, otherIndex, !active, s, x0, W, H, bottom);
      const QColor text = active ? QColor(Qt::white) : QColor(Qt::black);
      const QColor back = active ? QColor(kActiveLabelColour) : QColor(Qt::white);
      switch (place.kind) {
        case CellMarkerPlace::Kind::BeforeLeft:
          canvas.Text(x0, place.labelY, std::string(1, name) + "<-", text, back);
          break;
        case CellMarkerPlace::Kind::BeyondRight:
          canvas.Text(TruncToInt32(x0 + W - 3 * 6.5), place.labelY, "->" + std::string(1, name), text, back);
          break;
        case CellMarkerPlace::Kind::Line: {
          canvas.Line(place.x, bottom, place.x, place.labelY - 17);
          const std::string label =
              Format("%c %7.5f ", name, shownKm(index) * g_LengthUnitFactor) + g_LengthUnitName;
          const int x = place.x < x0 + W / 2 ? place.x : place.x - canvas.TextWidth(label);
          canvas.Text(x, place.labelY, label, text, back);
          break;
        }
      }
    };
    marker(false, slot.CellMarkerA, slot.CellMarkerB, activeMarker == 0);
    marker(true, slot.CellMarkerB, slot.CellMarkerA, activeMarker == 1);
  }

  if (view.showEventBar) {
    const auto distanceOf = [&](int j) { return static_cast<float>(shownKm(j)); };
    for (int e = 0; e < std::min(slot.EventCount, static_cast<int>(slot.EventRows.size())); ++e) {
      const EventRow& row = slot.EventRows[static_cast<std::size_t>(e)];
      const int j = FirstSampleBeyond(row.Distance, count, distanceOf);
      const int x = TruncToInt32(x0 + j * s - 6);
      if (x < x0 - 6 || x > x0 + W) continue;
      // Cells draw every pictogram with the thin pen.
      for (const GlyphStroke& g : GlyphStrokes(CellGlyphFor(slot.EventRows, e, slot.ModuleNumber))) {
        canvas.Line(x + g.x1, bottom + 16 + g.y1, x + g.x2, bottom + 16 + g.y2);
      }
    }
  }
}

void SingleTraceReport::PrintEventTableCell(ReportCanvas& canvas, const CellLayout& cell, const PageSlot& slot) {
  const int x0 = m_nCellLeft;
  const int W = cell.width;
  int y = m_nCellTop;
  canvas.Line(x0, y, x0 + W, y);
  y -= kLineGapUnits;
  const std::string title = Row(kEventTableRow) + "  " + slot.Title;
  const int step = canvas.FontHeight() + kLineGapUnits;
  canvas.FittedText(x0 + std::max(0, W / 2 - canvas.TextWidth(title) / 2), y, W, step, title);
  y -= step;
  canvas.Line(x0, y, x0 + W, y);
  y -= kLineGapUnits;
  const std::string& unit = g_LengthUnitName;
  const std::array<std::string, kSlotEventColumns> units{Format("(%d)", slot.TotalEvents), " ", "[" + unit + "]",
                                                         "[dB]", "[dB]", "[dB/" + unit + "]", "[dB]",
                                                         "[" + unit + "]", "[" + unit + "]", "[dB]", " "};
  for (std::size_t c = 0; c < kEventColumnX.size(); ++c) {
    canvas.Text(x0 + kEventColumnX[c], y, Row(kEventHeadingRows[c]));
    canvas.Text(x0 + kEventColumnX[c], y - step, units[c]);
  }
  y -= 2 * step;
  canvas.Line(x0, y, x0 + W, y);
  y -= kLineGapUnits;
  for (int i = 0; i < std::min(slot.EndRow - slot.FirstRow, kSlotEventRows); ++i) {
    const std::uint32_t failed = slot.EventFailed[static_cast<std::size_t>(i)];
    for (std::size_t c = 0; c < kEventColumnX.size(); ++c) {
      const std::string& text = slot.EventText[static_cast<std::size_t>(kSlotEventColumns * i) + c];
      if ((failed >> c & 1u) != 0) {
        canvas.FailedText(x0 + kEventColumnX[c], y, text);
      } else {
        canvas.Text(x0 + kEventColumnX[c], y, text);
      }
    }
    y -= step;
  }
}
