#pragma once
// Drawing on a report page in page units (0.01 inch, y up from the top of the printable area, so
// content lies at negative y) through a painter that works in device pixels. Texts are placed by
// their top-left corner; font heights are nominal cell heights, never measured.
#include <QColor>
#include <QFont>
#include <QImage>
#include <cstddef>
#include <string_view>

class QPainter;

/// The curve of a trace without a trace button, and so without a colour of its own: a batch file.
inline constexpr QRgb kBatchTraceColour = qRgb(0, 155, 78);
/// The background of the active marker's label.
inline constexpr QRgb kActiveLabelColour = qRgb(0, 64, 128);

/// The smallest font a text is shrunk to before it is broken over lines.
inline constexpr int kSmallestFittedHeight = 8;

class ReportCanvas {
 public:
  ReportCanvas(QPainter& painter, double pixelsPerUnit);

  /// Selects Arial of nominal cell height `height` units, bold (weight 900) or normal.
  void SetFont(int height, bool bold);
  int FontHeight() const { return m_nFontHeight; }
  /// Width of `text` in units with the current font.
  int TextWidth(std::string_view text) const;
  /// Prints `text` with its top-left corner at (x, y) on an opaque background, so a text never
  /// shows through another that runs into it.
  void Text(int x, int y, std::string_view text, QColor colour = Qt::black, QColor background = Qt::white);
  /// Prints `text` whole within `width` units from x: in a smaller font when it does not fit, and
  /// broken over lines that share the `slotHeight` units below y when even that is too wide.
  void FittedText(int x, int y, int width, int slotHeight, std::string_view text);
  /// Prints a value that fails its pass/fail limit as every layout marks one: white on black.
  void FailedText(int x, int y, std::string_view text);
  /// Prints `text` with its part from `valueAt` on marked as failing (FailedText), the rest plain.
  void TextWithFailedValue(int x, int y, std::string_view text, std::size_t valueAt);
  /// Prints `text` so that it ends at x.
  void TextEndingAt(int x, int y, std::string_view text);
  /// A line of pen width `width` units.
  void Line(int x1, int y1, int x2, int y2, int width = 1, QColor colour = Qt::black);
  void FillRect(int left, int top, int width, int height, QColor colour);
  /// Draws `image` into the rectangle whose top-left corner is (left, top), `height` units downward.
  void Image(int left, int top, int width, int height, const QImage& image);

  QPainter& Painter() { return m_Painter; }
  double PixelsPerUnit() const { return m_dPixelsPerUnit; }

 private:
  QPainter& m_Painter;
  double m_dPixelsPerUnit;
  QFont m_Font;
  int m_nFontHeight = 12;
  bool m_bBold = false;
};
