#include "traceview/ui/trace_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QLine>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <array>
#include <cmath>
#include <vector>

#include "traceview/curve_geometry.h"

// The pictures live in a static library, whose resources are not registered on their own.
static void InitEventIconResources() { Q_INIT_RESOURCE(traceview); }

namespace {

constexpr int kGridDivisions = 10;
constexpr int kCurrentPenWidth = 2;
constexpr int kOtherPenWidth = 1;
constexpr int kEventFontPixels = 12;

QImage LoadIcon(const char* path, EventIcon icon) {
  QImage image(path);
  const IconSize size = EventIconSize(icon);
  // A missing picture still marks the event, as a grey box of the picture's size.
  if (image.isNull()) {
    image = QImage(size.width, size.height, QImage::Format_RGB32);
    image.fill(qRgb(160, 160, 160));
  }
  return image.convertToFormat(QImage::Format_RGB32);
}

// The picture being painted when the painter draws straight into an RGB32 image, moved by whole
// pixels and not clipped; null otherwise (printing, previews, scaled painters).
QImage* PlainImageTarget(QPainter& painter, QPoint& offset) {
  QPaintDevice* device = painter.device();
  if (device == nullptr || device->devType() != QInternal::Image || painter.hasClipping()) return nullptr;
  if (painter.compositionMode() != QPainter::CompositionMode_SourceOver || painter.opacity() != 1.0)
    return nullptr;
  const QTransform transform = painter.deviceTransform();
  if (transform.type() > QTransform::TxTranslate) return nullptr;
  const double dx = transform.dx();
  const double dy = transform.dy();
  if (dx != std::trunc(dx) || dy != std::trunc(dy)) return nullptr;
  auto* image = static_cast<QImage*>(device);
  // Writing into a shared image would detach it away from the painter's own buffer.
  if (image->format() != QImage::Format_RGB32 || !image->isDetached()) return nullptr;
  offset = QPoint(static_cast<int>(dx), static_cast<int>(dy));
  return image;
}

// The vertical one-pixel runs among `runs`, written straight into the image: the pixels the raster
// engine sets for such a line, without its cost per line, which dominates a curve's drawing.
void FillVerticalRuns(QImage& image, QPoint offset, std::span<const CurveSegment> runs, QRgb colour) {
  const int width = image.width();
  const int height = image.height();
  const qsizetype stride = image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
  QRgb* bits = reinterpret_cast<QRgb*>(image.bits());
  for (const CurveSegment& run : runs) {
    if (run.x1 != run.x2) continue;
    const int x = run.x1 + offset.x();
    if (x < 0 || x >= width) continue;
    const int top = std::max(std::min(run.y1, run.y2) + offset.y(), 0);
    const int bottom = std::min(std::max(run.y1, run.y2) + offset.y(), height - 1);
    for (int y = top; y <= bottom; ++y) bits[y * stride + x] = colour;
  }
}

QPen CurvePen(const OverlayCurve& curve, const OverlayStyle& style) {
  if (style.singleTraceMode) return QPen(QColor(kSingleTraceColour), kCurrentPenWidth);
  return QPen(QColor(curve.colour), curve.current ? kCurrentPenWidth : kOtherPenWidth);
}

}  // namespace

void DrawGrid(QPainter& painter, const PaintParams& params) {
  const PixelRect& g = params.grid;
  const int W = g.Width();
  const int H = g.Height();
  QPen pen(QColor(kGridColour), 1, Qt::DotLine);
  pen.setCosmetic(true);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(pen);
  for (int i = 0; i <= kGridDivisions; ++i) {
    const int y = g.top + H * i / kGridDivisions;
    const int x = g.left + W * i / kGridDivisions;
    painter.drawLine(g.left, y, g.left + W, y);
    painter.drawLine(x, g.top, x, g.top + H);
  }
  painter.restore();
}

void DrawOverlayTraces(QPainter& painter, const PaintParams& params, std::span<const OverlayCurve> curves,
                       const OverlayStyle& style) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  std::vector<CurveSegment> segments;
  std::vector<PixelPoint> pixels;
  QList<QLine> lines;
  QList<QPoint> points;
  for (const OverlayCurve& curve : curves) {
    const CurveMapping mapping{curve.step,           params.pixelsPerDb, curve.ceilingDb,
                               params.canvas.height, params.grid.left,   params.grid.Width(),
                               curve.originX};
    if (style.dotted) {
      BuildDottedPixels(curve.db, mapping, pixels);
      points.clear();
      points.reserve(static_cast<qsizetype>(pixels.size()));
      for (const PixelPoint& p : pixels) points.append(QPoint(p.x, p.y));
      // Each trace keeps its colour, so the dots of the overlay stay apart.
      painter.setPen(QPen(CurvePen(curve, style).color(), 1));
      painter.drawPoints(points.constData(), static_cast<int>(points.size()));
      continue;
    }
    const QPen pen = CurvePen(curve, style);
    QPoint offset;
    QImage* target = nullptr;
    if (pen.width() <= 1) {
      BuildThinCurveSegments(curve.db, mapping, segments);
      target = PlainImageTarget(painter, offset);
    } else {
      BuildCurveSegments(curve.db, mapping, segments);
    }
    lines.clear();
    lines.reserve(static_cast<qsizetype>(segments.size()));
    if (target != nullptr) {
      // All pixels get the same colour, so the order of runs and joins does not matter.
      FillVerticalRuns(*target, offset, segments, pen.color().rgb());
      for (const CurveSegment& s : segments) {
        if (s.x1 != s.x2) lines.append(QLine(s.x1, s.y1, s.x2, s.y2));
      }
    } else {
      for (const CurveSegment& s : segments) lines.append(QLine(s.x1, s.y1, s.x2, s.y2));
    }
    painter.setPen(pen);
    painter.drawLines(lines.constData(), static_cast<int>(lines.size()));
  }
  painter.restore();
}

const QImage& EventIconImage(EventIcon icon) {
  struct IconFile {
    EventIcon icon;
    const char* path;
  };
  static constexpr std::array<IconFile, 6> kFiles{{
      {EventIcon::Start, ":/traceview/start_event.png"},
      {EventIcon::End, ":/traceview/end_event.png"},
      {EventIcon::Reflective, ":/traceview/reflective_event.png"},
      {EventIcon::NonReflective, ":/traceview/nonreflective_event.png"},
      {EventIcon::HighLoss, ":/traceview/high_loss_event.png"},
      {EventIcon::Type4, ":/traceview/type4_event.png"},
  }};
  static const std::array<QImage, kFiles.size()> images = [] {
    InitEventIconResources();
    std::array<QImage, kFiles.size()> loaded;
    for (std::size_t i = 0; i < kFiles.size(); ++i) loaded[i] = LoadIcon(kFiles[i].path, kFiles[i].icon);
    return loaded;
  }();
  for (std::size_t i = 0; i < kFiles.size(); ++i) {
    if (kFiles[i].icon == icon) return images[i];
  }
  return EventIconImage(EventIcon::NonReflective);
}

void DrawEventIcons(QPainter& painter, const PaintParams& params, std::span<const EventMark> events) {
  painter.save();
  QFont font("Arial");
  font.setPixelSize(kEventFontPixels);
  font.setWeight(QFont::ExtraLight);
  font.setStyleHint(QFont::SansSerif);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const QFontMetrics metrics(font);
  const int y = EventIconY(params.grid.top, params.grid.Height());
  const int count = static_cast<int>(std::min<std::size_t>(events.size(), kMaxEventIcons));
  for (int i = 0; i < count; ++i) {
    const EventMark& event = events[static_cast<std::size_t>(i)];
    const int x = EventIconX(event.sample, params.pixelsPerSample);
    const int textTop = y - kEventNumberRise;
    const QString number = QString::number(i + 1);
    // A number stands on a box of the background, one text row high, so that the number of a close
    // neighbour does not run into it and the grid does not cross it.
    const QRect box(x, textTop, metrics.horizontalAdvance(number), kEventNumberRise);
    painter.fillRect(box, painter.background());
    painter.drawText(QPoint(x, textTop + metrics.ascent()), number);
    g_EventHitX[static_cast<std::size_t>(i)] = x;
    g_EventHitY[static_cast<std::size_t>(i)] = textTop;
    painter.drawImage(QPoint(x, y), EventIconImage(EventIconFor(event.type, event.spliceLossDb)));
  }
  painter.restore();
}
