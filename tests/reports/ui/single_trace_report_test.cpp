#include "reports/ui/single_trace_report.h"

#include <QImage>
#include <QPrinter>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "measure/pass_fail_check.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "panes/event_table_cells.h"
#include "reports/batch_print_state.h"
#include "reports/ui/print_job_control.h"
#include "reports/report_pdf.h"
#include "sor/sor_text.h"
#include "temp_dir.h"
#include "document/display_state.h"

namespace {

using lumivane::test::TempDir;

using lumivane::test::Has;

bool HasRow(const std::string& text, int n) { return lumivane::test::HasEventRow(text, n); }

void FillTrace(TraceDisplayModel& model, int events, double slope) {
  model.m_nPointCount = 2000;
  model.m_dFibreLengthKm = 20.0;
  model.m_SorRecord.FxdParams.DataPointCounts[0] = 2000;
  model.m_SorRecord.DataPts.Traces[0].PointCount = 2000;
  model.m_SorRecord.FxdParams.DataSpacing[0] = 1000;
  model.m_DbSamples.Values.resize(2000);
  for (int i = 0; i < 2000; ++i) model.m_DbSamples.Values[i] = 2.0 + i * slope;
  model.m_dDbCeiling = 2.0 + 2000 * slope;
  model.m_nEventCount = events;
  for (int e = 0; e < events; ++e) {
    EventRow& row = model.m_EventRows[e];
    row = EventRow{};
    row.Index = e;
    row.Type = e == 0 ? kEventLaunch : e == events - 1 ? kEventEnd : kEventNonReflective;
    row.Distance = 0.2f * static_cast<float>(e);
    row.SpliceLoss = 0.1f;
    row.SectionLength = e == 0 ? 0.0f : 0.2f;
  }
}

class SingleTraceReportTest : public ::testing::Test {
 protected:
  SingleTraceReportTest() : doc_(std::make_unique<COtdrDoc>()) {
    InitLanguageTable();
    SelectLanguage(0);
    ResetBatchPrint();
    ResetDisplayState();
    SetLengthUnit("km");
    g_PassFailFailed = 0;
    doc_->m_PassFailThresholds.Enabled = {0, 0, 0, 0, 0, 0};
    AddTrace("/data/a.sor", 84, 0.01);
    LoadDocumentFrom(*traces_[0]);
    env_.askPrint = lumivane::test::PrintToPdf(pdf_);
  }
  ~SingleTraceReportTest() override {
    ResetBatchPrint();
    ResetDisplayState();
    g_PassFailFailed = 0;
  }

  void AddTrace(const std::string& path, int events, double slope) {
    auto record = std::make_unique<TraceRecord>();
    record->m_strPath = path;
    record->m_nColourIndex = static_cast<int>(traces_.size());
    FillTrace(record->m_Model, events, slope);
    traces_.push_back(std::move(record));
    g_DisplayState.TraceCount = static_cast<int>(traces_.size());
  }

  void LoadDocumentFrom(const TraceRecord& record) {
    const TraceDisplayModel& m = record.m_Model;
    doc_->m_strTracePath = record.m_strPath;
    doc_->m_nPointCount = m.m_nPointCount;
    doc_->m_dFibreLengthKm = m.m_dFibreLengthKm;
    doc_->m_SorRecord = m.m_SorRecord;
    doc_->m_DbSamples = m.m_DbSamples;
    doc_->m_nEventCount = m.m_nEventCount;
    std::copy(std::begin(m.m_EventRows), std::end(m.m_EventRows), doc_->m_EventRows.begin());
    doc_->m_MarkerState.MarkerA = 200;
    doc_->m_MarkerState.MarkerB = 1500;
    doc_->m_MarkerReadings.m_dDistanceAB = 13.0;
    doc_->m_LinkSummary = {20.0f, 16.4f, 7.5f, 30.0f, 0.457f};
  }

  // Prints the report through the job control as the Print command does and reads each page back.
  std::vector<std::string> PrintPages(ReportViewSnapshot view = {}) {
    SingleTraceReport report(*doc_, traces_, {[view] { return view; }, [] { return std::string("2026-01-02 03:04:05"); }, {}});
    PrintJobControl control(*doc_, traces_, report, env_);
    control.OnPrintCommand();
    std::vector<std::string> texts;
    for (int p = 1; p <= lumivane::test::PdfPageCount(pdf_); ++p) texts.push_back(lumivane::test::PdfPageText(pdf_, p));
    return texts;
  }

  // Page 1 at 100 dots per inch: one pixel per page unit, unit (x, y) at pixel (x + 24, 17 - y).
  QImage RasterFirstPage() { return lumivane::test::PdfPageRaster(pdf_, 1, dir_.Path("page")); }

  static int DarkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) dark += qGray(image.pixel(x, y)) < 60 ? 1 : 0;
    }
    return dark;
  }

  // Pixels of page 1's graph box that `match`.
  int GraphBoxPixels(const std::function<bool(QRgb)>& match) {
    const QImage raster = RasterFirstPage();
    int n = 0;
    for (int y = 230; y < 590; ++y) {
      for (int x = 74; x < 754; ++x) n += match(raster.pixel(x, y)) ? 1 : 0;
    }
    return n;
  }

  // Words of page 1 printed white on black.
  std::vector<std::string> FlaggedWords() {
    std::vector<std::string> flagged;
    for (const auto& w : lumivane::test::MarkedWords(pdf_, 1, dir_.Path("page"))) flagged.push_back(w.text);
    return flagged;
  }

  TempDir dir_;
  std::string pdf_ = dir_.Path("report.pdf");
  std::unique_ptr<COtdrDoc> doc_;
  std::vector<std::unique_ptr<TraceRecord>> traces_;
  PrintJobControl::Environment env_;
};

TEST_F(SingleTraceReportTest, FirstPageCarriesEveryBlockAndContinuationPagesOnlyTheTable) {
  const auto pages = PrintPages();
  ASSERT_EQ(pages.size(), 3u);
  for (const std::string& page : pages) {
    EXPECT_TRUE(Has(page, "OTDR Report"));
    EXPECT_TRUE(Has(page, "Signature :"));
    EXPECT_TRUE(Has(page, "Event Table"));
  }
  const std::string& first = pages[0];
  for (const char* part : {"Pass", "File : a.sor", "Markers A/B", "Marker A", "13.00000 km", "Total Fiber Information",
                           "Total Length:16.40000 km", "Trace ", "dB/Div", "Location[km]", "2026-01-02 03:04:05", "1/3"}) {
    EXPECT_TRUE(Has(first, part)) << part << "\n" << first;
  }
  EXPECT_TRUE(Has(pages[1], "2/3"));
  EXPECT_FALSE(Has(pages[1], "Markers A/B"));
  EXPECT_FALSE(Has(pages[1], "File : a.sor"));
  // Row 19 closes page 1; page 2 holds rows 20 .. 83 and page 3 row 84.
  EXPECT_TRUE(HasRow(first, 19));
  EXPECT_FALSE(HasRow(first, 20));
  EXPECT_TRUE(HasRow(pages[1], 20));
  EXPECT_TRUE(HasRow(pages[1], 83));
  EXPECT_FALSE(HasRow(pages[1], 19));
  EXPECT_FALSE(HasRow(pages[1], 84));
  EXPECT_TRUE(HasRow(pages[2], 84));
  EXPECT_TRUE(Has(pages[2], "3/3"));
}

TEST_F(SingleTraceReportTest, PageCountFollowsTheEventCount) {
  const std::pair<int, std::size_t> cases[] = {{19, 1}, {20, 2}, {83, 2}};
  for (const auto& [events, pages] : cases) {
    doc_->m_nEventCount = events;
    EXPECT_EQ(PrintPages().size(), pages) << events;
  }
}

TEST_F(SingleTraceReportTest, LinkMapLeavesOutTheMarkersAndFailShowsTheVerdict) {
  doc_->m_PassFailThresholds.Enabled[kLimitSpliceLoss] = 1;
  doc_->m_PassFailThresholds.Limit[kLimitSpliceLoss] = 0.05f;
  ReportViewSnapshot view;
  view.linkMapMode = true;
  const auto pages = PrintPages(view);
  ASSERT_FALSE(pages.empty());
  EXPECT_TRUE(Has(pages[0], "Fail"));
  EXPECT_FALSE(Has(pages[0], "Markers A/B"));
  EXPECT_TRUE(Has(pages[0], "PulseWidth : Auto"));
  EXPECT_TRUE(Has(pages[0], "Total Fiber Information"));
}

TEST_F(SingleTraceReportTest, CombinedLayoutListsEveryTracesEventsUnderItsName) {
  AddTrace("/data/b.sor", 80, 0.012);
  // The current trace shows 10 of its 84 events now (its list record still holds 84).
  doc_->m_nEventCount = 10;
  doc_->m_PrintOptions.Layout = 2;
  doc_->m_PrintOptions.EventOption = 1;
  const auto pages = PrintPages();
  ASSERT_EQ(pages.size(), 3u);  // 10 + a heading + 80 rows: 19 on page 1, 64 on page 2, 8 on page 3
  EXPECT_TRUE(HasRow(pages[2], 80));
  EXPECT_FALSE(HasRow(pages[2], 81));
  std::string all;
  for (const std::string& page : pages) all += page;
  EXPECT_TRUE(Has(all, "EventTable b.sor"));
}

TEST_F(SingleTraceReportTest, BlocksSwitchedOffAreLeftOut) {
  doc_->m_PrintOptions.TraceInfo = 0;
  doc_->m_PrintOptions.Trace = 0;
  doc_->m_PrintOptions.MarkerInfo = 0;
  doc_->m_PrintOptions.FiberInfo = 0;
  const auto pages = PrintPages();
  ASSERT_EQ(pages.size(), 2u);  // 64 rows on page 1
  EXPECT_FALSE(Has(pages[0], "File : a.sor"));
  EXPECT_FALSE(Has(pages[0], "dB/Div"));
  EXPECT_FALSE(Has(pages[0], "Total Fiber Information"));
  EXPECT_TRUE(HasRow(pages[0], 64));
  EXPECT_TRUE(HasRow(pages[1], 65));
}

TEST_F(SingleTraceReportTest, ZoomedWindowPrintsOnlyItsVisiblePart) {
  doc_->m_nEventCount = 5;
  EXPECT_TRUE(Has(PrintPages()[0], "B 15.00750 km"));
  // The window shows samples 100 to 600 of a 2000-pixel-wide canvas: marker B at 1500 lies beyond.
  ReportViewSnapshot view;
  view.grid = {100, 0, 600, 300};
  view.canvas = {2000, 300};
  view.pixelsPerSample = 1.0;
  view.pixelsPerDb = 15.0;
  view.distancePerDivKm = 0.5;
  view.dbPerDiv = 2.0;
  const std::string page = PrintPages(view)[0];
  EXPECT_TRUE(Has(page, "A 2.00100 km")) << page;
  EXPECT_TRUE(Has(page, "->B"));
  EXPECT_FALSE(Has(page, "B 15.00750 km"));
  EXPECT_TRUE(Has(page, "0.500 km/Div")) << page;
  EXPECT_TRUE(Has(page, "2.000 dB/Div"));
  // The curve is inside the box (a zoomed window draws one pixel per sample column).
  EXPECT_GT(GraphBoxPixels([](QRgb p) { return qRed(p) > 150 && qGreen(p) < 110 && qBlue(p) < 110; }), 300);
}

TEST_F(SingleTraceReportTest, FailingValuesPrintWhiteOnBlack) {
  doc_->m_nEventCount = 19;
  PrintPages();
  const QImage judgedOff = RasterFirstPage();
  doc_->m_PassFailThresholds.Enabled[kLimitSpliceLoss] = 1;
  doc_->m_PassFailThresholds.Limit[kLimitSpliceLoss] = 0.05f;
  PrintPages();
  const QImage failing = RasterFirstPage();
  ASSERT_FALSE(failing.isNull());
  // The Ins.Loss column of the table rows, just below the headings, to the page foot.
  const QRect column(295 + 24, 800, 10, 290);
  EXPECT_GT(DarkPixels(failing, column), 4 * DarkPixels(judgedOff, column));
  // Other columns stay black on white.
  const QRect distance(505 + 24, 800, 10, 290);
  EXPECT_EQ(DarkPixels(failing, distance), DarkPixels(judgedOff, distance));
}

TEST_F(SingleTraceReportTest, AVerdictOfFailShowsWhatFails) {
  doc_->m_nEventCount = 5;
  doc_->m_PassFailThresholds.MeasuredLinkOrl = 25.0f;
  const struct {
    const char* what;
    int limit;
    float value;
    const char* flagged;
  } cases[] = {
      {"splice loss", kLimitSpliceLoss, 0.05f, "0.100"},
      {"link loss", kLimitLinkLoss, 0.1f, "7.500"},
      {"link ORL", kLimitLinkOrl, 30.0f, "25.000"},
  };
  for (const auto& c : cases) {
    doc_->m_PassFailThresholds.Enabled = {0, 0, 0, 0, 0, 0};
    doc_->m_PassFailThresholds.Enabled[static_cast<std::size_t>(c.limit)] = 1;
    doc_->m_PassFailThresholds.Limit[static_cast<std::size_t>(c.limit)] = c.value;
    const std::string page = PrintPages()[0];
    EXPECT_TRUE(Has(page, "Fail")) << c.what;
    const auto flagged = FlaggedWords();
    EXPECT_NE(std::find(flagged.begin(), flagged.end(), c.flagged), flagged.end()) << c.what;
  }
}

TEST_F(SingleTraceReportTest, AVerdictOfFailNamesWhatFailsWhereItsBlockIsLeftOut) {
  doc_->m_nEventCount = 5;
  doc_->m_PassFailThresholds.Enabled = {1, 0, 0, 0, 1, 0};
  doc_->m_PassFailThresholds.Limit[kLimitSpliceLoss] = 0.05f;
  doc_->m_PassFailThresholds.Limit[kLimitLinkLoss] = 0.1f;
  const struct {
    int eventTable, fiberInfo;
    const char* named;
  } cases[] = {{1, 1, ""}, {0, 1, "Ins.Loss"}, {1, 0, "Total Loss"}, {0, 0, "Ins.Loss, Total Loss"}};
  for (const auto& c : cases) {
    doc_->m_PrintOptions.EventTable = c.eventTable;
    doc_->m_PrintOptions.FiberInfo = c.fiberInfo;
    const std::string page = PrintPages()[0];
    const std::string title = page.substr(0, page.find('\n'));
    EXPECT_TRUE(Has(title, "Fail")) << c.named;
    if (*c.named == '\0') {
      EXPECT_FALSE(Has(title, "Loss")) << title;
    } else {
      EXPECT_TRUE(Has(title, c.named)) << title;
    }
  }
}

TEST_F(SingleTraceReportTest, MarkerReadingsAreLabelledAsThePaneLabelsThem) {
  doc_->m_nEventCount = 5;
  doc_->m_MarkerState.ActiveMarker = 1;
  const std::string page = PrintPages()[0];
  EXPECT_TRUE(Has(page, "Ins.Loss at B:")) << page;
  EXPECT_TRUE(Has(page, "Refl at B:"));
  EXPECT_TRUE(Has(page, "Cum.Loss to B:"));
  EXPECT_FALSE(Has(page, "at #"));
}

TEST_F(SingleTraceReportTest, LongFileNamesPrintWholeInTheirColumn) {
  const struct {
    const char* name;
  } cases[] = {
      {"example4-exfo-ftb4ftbx730c-mfdgainer-1550nm.sor"},
      {"a-file-name-far-too-long-for-one-line-of-the-column-even-in-a-smaller-font-0123456789.sor"},
  };
  for (const auto& c : cases) {
    doc_->m_strTracePath = std::string("/data/") + c.name;
    PrintPages();
    // The whole name, in one piece or broken over lines, left of the next column (x = 282).
    double right = 0;
    EXPECT_TRUE(lumivane::test::PrintedWhole(lumivane::test::PdfWords(pdf_, 1), c.name, &right)) << c.name;
    EXPECT_LT(right, 282) << c.name;
  }
}

TEST_F(SingleTraceReportTest, LinkMapPrintsAsLinesAndText) {
  doc_->m_nEventCount = 5;
  ReportViewSnapshot view;
  view.linkMapMode = true;
  const std::string page = PrintPages(view)[0];
  EXPECT_EQ(lumivane::test::PdfImageCount(pdf_), 0);
  EXPECT_FALSE(Has(page, "km/Div"));
  EXPECT_TRUE(Has(page, "0.80000")) << page;  // the fifth event's distance label
  // The green lines between the tiles lie in the graph box.
  EXPECT_GT(GraphBoxPixels([](QRgb p) { return qGreen(p) > 100 && qRed(p) < 80 && qBlue(p) < 80; }), 50);
}

TEST_F(SingleTraceReportTest, CombinedWithAllTracesHeadsEveryTraceAndJudgesAllItFlags) {
  AddTrace("/data/b.sor", 10, 0.012);
  for (int e = 1; e < 9; ++e) traces_[1]->m_Model.m_EventRows[e].SpliceLoss = 0.5f;
  doc_->m_nEventCount = 10;
  doc_->m_PrintOptions.Layout = 2;
  doc_->m_PrintOptions.EventOption = 1;
  doc_->m_PassFailThresholds.Enabled[kLimitSpliceLoss] = 1;
  doc_->m_PassFailThresholds.Limit[kLimitSpliceLoss] = 0.3f;
  traces_[0]->m_Model.m_nEventCount = 10;
  const auto pages = PrintPages();
  ASSERT_FALSE(pages.empty());
  const std::string& first = pages[0];
  // The first trace's rows stand under its name, before any of them.
  const std::size_t heading = first.find("EventTable a.sor");
  ASSERT_NE(heading, std::string::npos) << first;
  EXPECT_LT(heading, first.find("Start"));
  EXPECT_TRUE(Has(first, "EventTable b.sor"));
  EXPECT_TRUE(Has(first, "File : a.sor, b.sor"));
  // Only b.sor's rows fail: the page says Fail and flags them.
  EXPECT_TRUE(Has(first, "Fail"));
  const auto flagged = FlaggedWords();
  EXPECT_NE(std::find(flagged.begin(), flagged.end(), "0.500"), flagged.end());
  EXPECT_EQ(std::find(flagged.begin(), flagged.end(), "0.100"), flagged.end());
}

TEST_F(SingleTraceReportTest, LogoSitsAtTheTopRightAndOnlyWithItsExtension) {
  QImage logo(480, 150, QImage::Format_RGB32);
  logo.fill(qRgb(0, 0, 255));
  const std::string bmp = dir_.Path("logo.bmp");
  ASSERT_TRUE(logo.save(QString::fromStdString(bmp), "BMP"));
  doc_->m_nEventCount = 5;
  doc_->m_PrintOptions.Logo = 1;
  doc_->m_PrintOptions.LogoPath = bmp;
  PrintPages();
  QImage page = RasterFirstPage();
  ASSERT_FALSE(page.isNull());
  // Images may be stored lossy in the document, so "blue" is near blue.
  const auto blue = [&page](int x, int y) {
    const QRgb p = page.pixel(x + 24, 17 - y);
    return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60;
  };
  EXPECT_TRUE(blue(600, -40));
  EXPECT_TRUE(blue(492, -18));
  EXPECT_TRUE(blue(726, -62));
  EXPECT_FALSE(blue(480, -40));
  EXPECT_FALSE(blue(600, -75));

  const std::string mixed = dir_.Path("logo.bMp");
  ASSERT_TRUE(logo.save(QString::fromStdString(mixed), "BMP"));
  doc_->m_PrintOptions.LogoPath = mixed;
  PrintPages();
  page = RasterFirstPage();
  EXPECT_FALSE(blue(600, -40));
}

}  // namespace

class MultiTracePageTest : public SingleTraceReportTest {
 protected:
  MultiTracePageTest() {
    AddTrace("/data/b.sor", 3, 0.012);
    AddTrace("/data/c.sor", 0, 0.02);
    const float lengths[] = {11.5f, 12.25f, 13.75f};
    for (std::size_t i = 0; i < traces_.size(); ++i) traces_[i]->m_Model.m_LinkSummary = {20.0f, lengths[i], 7.5f, 30.0f, 0.5f};
    doc_->m_PrintOptions.Layout = kLayoutMultiTrace;
    doc_->m_PrintOptions.EventTable = 0;
  }

  // The page's lines that name a file, in page order.
  static std::vector<std::string> LinesNaming(const std::string& text, const std::string& name) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(start, end - start);
      if (Has(line, name)) lines.push_back(line);
      start = end + 1;
    }
    return lines;
  }
};

TEST_F(MultiTracePageTest, TwoToAPageStackTheCellsAndCarryEachTracesReadings) {
  doc_->m_PrintOptions.PerPageIndex = 0;
  const auto pages = PrintPages();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_TRUE(Has(pages[0], "OTDR Report"));
  EXPECT_TRUE(Has(pages[0], "a.sor"));
  EXPECT_TRUE(Has(pages[0], "16.40000 km"));  // the trace on screen, as the document shows it
  EXPECT_TRUE(Has(pages[0], "b.sor"));
  EXPECT_TRUE(Has(pages[0], "12.25000 km"));
  EXPECT_FALSE(Has(pages[0], "c.sor"));
  EXPECT_TRUE(Has(pages[1], "c.sor"));
  EXPECT_TRUE(Has(pages[1], "13.75000 km"));
}

TEST_F(MultiTracePageTest, FourToAPagePutTheFirstTwoTracesSideBySide) {
  doc_->m_PrintOptions.PerPageIndex = 1;
  const auto pages = PrintPages();
  ASSERT_EQ(pages.size(), 1u);
  const auto first = LinesNaming(pages[0], "a.sor");
  ASSERT_EQ(first.size(), 1u);
  EXPECT_TRUE(Has(first[0], "b.sor"));  // the right cell of the top row
  EXPECT_FALSE(Has(first[0], "c.sor"));
  EXPECT_EQ(LinesNaming(pages[0], "c.sor").size(), 1u);
  EXPECT_TRUE(Has(pages[0], "16.40000 km"));
  EXPECT_TRUE(Has(pages[0], "13.75000 km"));
  // Each row of cells fills its half of the page: the lower row's last reading sits near the footer.
  double lowest = 0;
  for (const auto& word : lumivane::test::PdfWords(pdf_, 1)) {
    if (word.text == "Scatter") lowest = std::max(lowest, word.top);
  }
  EXPECT_GT(lowest, 980);
}

TEST_F(MultiTracePageTest, EventTableCellsFollowEachTrace) {
  doc_->m_PrintOptions.PerPageIndex = 3;
  doc_->m_PrintOptions.EventTable = 1;
  // a.sor: its cell and five of 20 rows (84 events), b.sor its cell and one: eight cells on page 1;
  // c.sor's cell and its empty table on page 2.
  const auto pages = PrintPages();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_TRUE(Has(pages[0], "Event Table a.sor"));
  EXPECT_TRUE(Has(pages[0], "(84)"));
  EXPECT_TRUE(HasRow(pages[0], 21));
  EXPECT_TRUE(HasRow(pages[0], 61));
  EXPECT_TRUE(Has(pages[0], "16.60000"));  // row 84, the fifth event cell
  EXPECT_TRUE(Has(pages[0], "Event Table b.sor"));
  EXPECT_FALSE(Has(pages[0], "c.sor"));
  EXPECT_TRUE(Has(pages[1], "Event Table c.sor"));
  EXPECT_TRUE(Has(pages[1], "(0)"));
}

TEST_F(MultiTracePageTest, TheTraceOnScreenPrintsWithItsMarkersAndEdits) {
  doc_->m_PrintOptions.PerPageIndex = 1;
  SetSorText(doc_->m_SorRecord.GenParams.Operator, std::string_view("Edited Op"));
  const std::string page = PrintPages()[0];
  // Markers 200 and 1500 of 2000 samples over 20 km, read as the Marker Information pane reads them.
  EXPECT_TRUE(Has(page, "A-B: 13.00000 km")) << page;
  EXPECT_TRUE(Has(page, "A 2.00100 km"));
  EXPECT_TRUE(Has(page, "Operator : Edited Op"));
}

TEST_F(MultiTracePageTest, NamesOfOneLinkStayApartInEveryCellLayout) {
  traces_[1]->m_strPath = "/data/example4-exfo-ftb4ftbx730c-mfdgainer-1310nm.sor";
  traces_[2]->m_strPath = "/data/example4-exfo-ftb4ftbx730c-mfdgainer-1550nm.sor";
  for (const int perPage : {1, 2, 3}) {
    doc_->m_PrintOptions.PerPageIndex = perPage;
    std::string all;
    for (const std::string& page : PrintPages()) all += page;
    // Each name whole, whatever font it takes to fit its column.
    PrintPages();
    const auto words = lumivane::test::PdfWords(pdf_, 1);
    EXPECT_TRUE(lumivane::test::PrintedWhole(words, "example4-exfo-ftb4ftbx730c-mfdgainer-1310nm.sor")) << perPage;
    EXPECT_TRUE(lumivane::test::PrintedWhole(words, "example4-exfo-ftb4ftbx730c-mfdgainer-1550nm.sor")) << perPage;
  }
}

TEST_F(MultiTracePageTest, UnknownPerPageChoicePrintsOnePageWithoutCells) {
  doc_->m_PrintOptions.PerPageIndex = -1;
  const auto pages = PrintPages();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(Has(pages[0], "OTDR Report"));
  EXPECT_FALSE(Has(pages[0], "a.sor"));
}

TEST_F(MultiTracePageTest, CellGraphDrawsTheCurveInsideTheCell) {
  doc_->m_PrintOptions.PerPageIndex = 0;
  PrintPages();
  const QImage page = RasterFirstPage();
  ASSERT_FALSE(page.isNull());
  // Each cell's curve in its trace's colour: a.sor red in the top cell, b.sor olive below it.
  const auto count = [&page](int top, int bottom, auto match) {
    int n = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = 0; x < page.width(); ++x) n += match(page.pixel(x, y)) ? 1 : 0;
    }
    return n;
  };
  const auto red = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; };
  const auto olive = [](QRgb p) { return qRed(p) > 100 && qRed(p) < 160 && qGreen(p) > 100 && qGreen(p) < 160 && qBlue(p) < 40; };
  EXPECT_GT(count(100, 600, red), 300);
  EXPECT_EQ(count(600, page.height(), red), 0);
  EXPECT_GT(count(600, page.height(), olive), 300);
}
