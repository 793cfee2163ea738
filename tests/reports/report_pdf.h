#pragma once
// Reading printed reports back for tests: page count, page texts, word boxes in page units and the
// page raster at one pixel per unit, through the poppler tools.
#include <QImage>
#include <QPrinter>
#include <QString>

#include <functional>

#include <string>
#include <vector>

namespace lumivane::test {

/// A print dialog stand-in that sends the job to the PDF file `pdf`.
std::function<bool(QPrinter&, int)> PrintToPdf(std::string pdf);

/// What pdfinfo says of a PDF.
std::string PdfInfo(const std::string& pdf);

/// Pages of a PDF; -1 when it cannot be read.
int PdfPageCount(const std::string& pdf);

/// The text of page `page` (from 1) in its layout.
std::string PdfPageText(const std::string& pdf, int page);

/// A word of a page with its left edge and top in page units (0.01 inch from the printable
/// area's top-left corner, y down).
struct PdfWord {
  std::string text;
  double left = 0;
  double right = 0;
  double top = 0;
};
std::vector<PdfWord> PdfWords(const std::string& pdf, int page);

/// Whether `text` is printed whole on a page of `words`: in one word, in words parted by its spaces
/// on one line, or broken over words that stand one under another, each further line starting no
/// further right than the first piece. Returns the broken pieces' right edge in `right`.
bool PrintedWhole(const std::vector<PdfWord>& words, const std::string& text, double* right = nullptr);

/// Images the PDF holds, as pdfimages lists them; -1 when it cannot be read.
int PdfImageCount(const std::string& pdf);

/// Page `page` at 100 dots per inch: pixel (x + 24, 17 - y) shows unit (x, y) of the page; at `dpi`
/// dots per inch the pixels are that many hundredths of those.
QImage PdfPageRaster(const std::string& pdf, int page, const std::string& stem, int dpi = 100);

/// The words of page `page` printed white on black, as a failing value is marked: the top of their
/// box, above the glyphs, is black on the page's raster (saved as `stem`.png). A label joined to its
/// value by a colon ("Loss:7.500") is judged, and given, by the value's part alone.
std::vector<PdfWord> MarkedWords(const std::string& pdf, int page, const std::string& stem);

/// Whether `text` holds `part`.
inline bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

/// Whether a line of the page text starts, after blanks, with event number n and an event type.
bool HasEventRow(const std::string& text, int n);

}  // namespace lumivane::test
