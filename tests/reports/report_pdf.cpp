#include "report_pdf.h"

#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace lumivane::test {

namespace {

// The job's margins: 6.05 mm at the sides and 4.2 mm at the top, in points; 0.72 points a unit.
constexpr double kLeftMarginPt = 6.05 / 25.4 * 72.0;
constexpr double kTopMarginPt = 4.2 / 25.4 * 72.0;
constexpr double kPointsPerUnit = 0.72;

std::string RunTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(30000)) return {};
  return process.readAllStandardOutput().toStdString();
}

}  // namespace

std::function<bool(QPrinter&, int)> PrintToPdf(std::string pdf) {
  return [pdf = std::move(pdf)](QPrinter& printer, int) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return true;
  };
}

std::string PdfInfo(const std::string& pdf) { return RunTool("pdfinfo", {QString::fromStdString(pdf)}); }

int PdfPageCount(const std::string& pdf) {
  const std::string info = PdfInfo(pdf);
  const std::size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

std::string PdfPageText(const std::string& pdf, int page) {
  const QString n = QString::number(page);
  return RunTool("pdftotext", {"-f", n, "-l", n, "-layout", QString::fromStdString(pdf), "-"});
}

std::vector<PdfWord> PdfWords(const std::string& pdf, int page) {
  const QString n = QString::number(page);
  const QString html = QString::fromStdString(
      RunTool("pdftotext", {"-f", n, "-l", n, "-bbox", QString::fromStdString(pdf), "-"}));
  static const QRegularExpression word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>)re");
  std::vector<PdfWord> words;
  for (auto it = word.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    words.push_back({m.captured(4).toStdString(), (m.captured(1).toDouble() - kLeftMarginPt) / kPointsPerUnit,
                     (m.captured(3).toDouble() - kLeftMarginPt) / kPointsPerUnit,
                     (m.captured(2).toDouble() - kTopMarginPt) / kPointsPerUnit});
  }
  return words;
}

bool PrintedWhole(const std::vector<PdfWord>& words, const std::string& text, double* right) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    // A word may carry its label in front ("Event Table  a.sor" prints as separate words anyway).
    if (words[i].text.empty() || text.rfind(words[i].text, 0) != 0) continue;
    std::string joined = words[i].text;
    double top = words[i].top;
    double last = words[i].right;
    double edge = words[i].right;
    for (std::size_t j = i + 1; j < words.size() && joined.size() < text.size(); ++j) {
      const PdfWord& w = words[j];
      // A space in the text parts words on one line; a break to the next line may drop it.
      const bool sameLine = std::fabs(w.top - top) < 1.0 && w.left >= last;
      const bool nextLine = w.left <= words[i].left + 3 && w.top > top && w.top - top <= 20;
      const bool space = text[joined.size()] == ' ';
      if (!(sameLine && space) && !nextLine) continue;
      const std::string piece = (space ? " " : "") + w.text;
      if (text.compare(joined.size(), piece.size(), piece) != 0) continue;
      joined += piece;
      top = w.top;
      last = w.right;
      edge = std::max(edge, w.right);
    }
    if (joined == text) {
      if (right != nullptr) *right = edge;
      return true;
    }
  }
  return false;
}

int PdfImageCount(const std::string& pdf) {
  // A header of two lines, then one line per image.
  const std::string list = RunTool("pdfimages", {"-list", QString::fromStdString(pdf)});
  int lines = 0;
  for (const char c : list) lines += c == '\n' ? 1 : 0;
  return list.empty() ? -1 : lines - 2;
}

QImage PdfPageRaster(const std::string& pdf, int page, const std::string& stem, int dpi) {
  const QString n = QString::number(page);
  RunTool("pdftoppm", {"-r", QString::number(dpi), "-aa", "no", "-aaVector", "no", "-png", "-f", n, "-l", n, "-singlefile",
                       QString::fromStdString(pdf), QString::fromStdString(stem)});
  return QImage(QString::fromStdString(stem + ".png"));
}

std::vector<PdfWord> MarkedWords(const std::string& pdf, int page, const std::string& stem) {
  // Fine enough to see the blank above a small font's glyphs.
  constexpr int kScale = 3;
  const QImage raster = PdfPageRaster(pdf, page, stem, 100 * kScale);
  std::vector<PdfWord> marked;
  if (raster.isNull()) return marked;
  const auto black = [&raster](int x, int y) {
    if (!raster.valid(x, y)) return false;
    const QRgb p = raster.pixel(x, y);
    return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60;
  };
  for (PdfWord w : PdfWords(pdf, page)) {
    const std::size_t colon = w.text.rfind(':');
    const std::size_t from = colon == std::string::npos ? 0 : colon + 1;
    if (from >= w.text.size()) continue;
    w.left += (w.right - w.left) * static_cast<double>(from) / static_cast<double>(w.text.size());
    w.text = w.text.substr(from);
    // The top two rows of the text's box, inside its ends.
    const int left = static_cast<int>((w.left + 24 + 0.5) * kScale);
    const int right = static_cast<int>((w.right + 24 - 0.5) * kScale);
    const int top = static_cast<int>(std::lround((w.top + 17) * kScale));
    int dark = 0;
    int all = 0;
    for (int y = top; y < top + 2; ++y) {
      for (int x = left; x <= right; ++x, ++all) dark += black(x, y) ? 1 : 0;
    }
    if (all > 0 && dark * 10 > all * 8) marked.push_back(std::move(w));
  }
  return marked;
}

bool HasEventRow(const std::string& text, int n) {
  const std::string number = std::to_string(n) + " ";
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const std::size_t first = line.find_first_not_of(' ');
    if (first != std::string::npos && line.compare(first, number.size(), number) == 0 &&
        (Has(line, "NonRefl.") || Has(line, "Refl.") || Has(line, "Start") || Has(line, "End"))) {
      return true;
    }
    start = end + 1;
  }
  return false;
}

}  // namespace lumivane::test
