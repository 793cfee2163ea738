// Batch Print and Batch Print Preview end to end: trace files written by the tests are planned as
// the batch commands plan them and printed to PDF through the real print path; the pages are read
// back with the poppler tools.
#include <QPrinter>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "counting_view.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_display_model.h"
#include "document/trace_record.h"
#include "recording_message_sink.h"
#include "reports/batch_page_plan.h"
#include "reports/batch_print_state.h"
#include "reports/print_file_reading.h"
#include "reports/print_job_plan.h"
#include "reports/report_pdf.h"
#include "reports/ui/print_job_control.h"
#include "reports/ui/single_trace_report.h"
#include "sor_image_builder.h"
#include "temp_dir.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::Has;
using lumivane::test::HasEventRow;
using lumivane::test::PdfPageCount;
using lumivane::test::PdfPageText;
using lumivane::test::PdfWords;
using lumivane::test::SampleSorSpec;
using lumivane::test::TempDir;

// The image with its FxdParams actual wavelength (tenths of a nanometre) replaced.
Bytes WithWavelength(Bytes image, int tenths) {
  const std::string name("FxdParams");
  std::size_t at = 0;
  for (int found = 0; found < 2; ++found) {
    at = std::string(image.begin(), image.end()).find(name + '\0', found == 0 ? 0 : at + 1);
  }
  // The field follows the block's name, its time stamp and its distance units.
  lumivane::test::PatchU16(image, at + name.size() + 1 + 4 + 2, static_cast<std::uint16_t>(tenths));
  return image;
}

Bytes TraceFile(int events, int points = 2000) {
  SampleSorSpec spec;
  spec.events = events;
  spec.points = points;
  return lumivane::test::MakeSampleSorV2(spec);
}

class BatchPrintingTest : public ::testing::Test {
 protected:
  BatchPrintingTest() : doc_(std::make_unique<COtdrDoc>()) {
    InitLanguageTable();
    SelectLanguage(0);
    ResetBatchPrint();
    ResetDisplayState();
    ResetWorkTrace();
    SetLengthUnit("km");
    doc_->m_PassFailThresholds.Enabled = {0, 0, 0, 0, 0, 0};
    env_.askPrint = lumivane::test::PrintToPdf(pdf_);
    folder_ = dir_.Path("batch") + "/";
    std::filesystem::create_directories(folder_);
  }
  ~BatchPrintingTest() override {
    ResetBatchPrint();
    ResetDisplayState();
    SetLengthUnit("km");
  }

  void Write(const std::string& name, const Bytes& image) { dir_.WriteFile("batch/" + name, image); }

  // What Batch Print does after the file selection: plan the batch and print it.
  BatchPlanResult Plan(const std::vector<std::string>& names) {
    return PlanBatchPrint(g_BatchPrint, folder_, names, doc_->m_PrintOptions, doc_->m_ConfigReport);
  }
  std::vector<std::string> PrintBatch() {
    SingleTraceReport report(*doc_, traces_, {{}, [] { return std::string("2026-01-02 03:04:05"); }, limitsFile_});
    PrintJobControl control(*doc_, traces_, report, env_);
    control.OnFilePrint();
    std::vector<std::string> pages;
    for (int p = 1; p <= PdfPageCount(pdf_); ++p) pages.push_back(PdfPageText(pdf_, p));
    return pages;
  }

  TempDir dir_;
  std::string folder_;
  std::string limitsFile_;  // empty: the document's limits
  std::string pdf_ = dir_.Path("batch.pdf");
  std::unique_ptr<COtdrDoc> doc_;
  std::vector<std::unique_ptr<TraceRecord>> traces_;
  PrintJobControl::Environment env_;
};

TEST_F(BatchPrintingTest, ThreeFilesGiveFourPagesEachFromItsOwnFile) {
  Write("a.sor", TraceFile(5));
  Write("b.sor", TraceFile(40));
  Write("c.sor", TraceFile(10));
  ASSERT_EQ(Plan({"a.sor", "b.sor", "c.sor"}), BatchPlanResult::kOk);
  ASSERT_EQ(g_BatchPrint.TotalPages, 4);
  const BatchPageRef want[] = {{0, 1}, {1, 1}, {1, 2}, {2, 1}};
  for (int p = 1; p <= 4; ++p) {
    EXPECT_EQ(g_BatchPrint.PageMap[p].File, want[p - 1].File) << p;
    EXPECT_EQ(g_BatchPrint.PageMap[p].Page, want[p - 1].Page) << p;
  }

  const auto pages = PrintBatch();
  ASSERT_EQ(pages.size(), 4u);
  EXPECT_TRUE(Has(pages[0], "File : a.sor"));
  EXPECT_TRUE(HasEventRow(pages[0], 5));
  EXPECT_TRUE(Has(pages[1], "File : b.sor"));
  EXPECT_TRUE(HasEventRow(pages[1], 19));
  EXPECT_FALSE(HasEventRow(pages[1], 20));
  // b.sor's second page: only its table, rows 20 to 40, with the job's page number.
  EXPECT_FALSE(Has(pages[2], "File :"));
  EXPECT_TRUE(HasEventRow(pages[2], 20));
  EXPECT_TRUE(HasEventRow(pages[2], 40));
  EXPECT_TRUE(Has(pages[2], "3/4"));
  EXPECT_TRUE(Has(pages[3], "File : c.sor"));
  EXPECT_TRUE(HasEventRow(pages[3], 10));
  EXPECT_TRUE(Has(pages[3], "4/4"));
  for (const std::string& page : pages) EXPECT_TRUE(Has(page, "OTDR Report"));

  // Positions on paper: the title centred on 398, the table's numbers in the first column at 50.
  const auto words = PdfWords(pdf_, 3);
  const auto word = [&words](const std::string& text) {
    return *std::find_if(words.begin(), words.end(), [&text](const auto& w) { return w.text == text; });
  };
  EXPECT_NEAR((word("OTDR").left + word("Report").right) / 2, 398, 3);
  EXPECT_NEAR(word("40").left, 50, 3);
  EXPECT_NEAR(word("Location[km]").left, 162, 3);
}

TEST_F(BatchPrintingTest, TheCurveOfABatchFileStaysInItsBox) {
  Write("a.sor", TraceFile(5));
  ASSERT_EQ(Plan({"a.sor"}), BatchPlanResult::kOk);
  PrintBatch();
  const QImage page = lumivane::test::PdfPageRaster(pdf_, 1, dir_.Path("page"));
  ASSERT_FALSE(page.isNull());
  const auto green = [&page](int top, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
      for (int x = 74; x < 754; ++x) {
        const QRgb p = page.pixel(x, y);
        count += qGreen(p) > 120 && qRed(p) < 60 && qBlue(p) < 120 ? 1 : 0;
      }
    }
    return count;
  };
  // The box lies below the trace information and the caption: about y -150 to -500. The sample
  // trace spans more than 60 dB, so without the clip its curve would run up over the texts.
  EXPECT_GT(green(170, 520), 200);
  EXPECT_EQ(green(17, 160), 0);
}

TEST_F(BatchPrintingTest, BlockSwitchesDecideEachFilesPages) {
  Write("a.sor", TraceFile(5));
  Write("b.sor", TraceFile(40));
  Write("c.sor", TraceFile(10));
  Write("broken.sor", Bytes(400, 7));
  const struct Case {
    const char* what;
    int layout, traceInfo, eventTable;
    std::vector<std::string> names;
    int pages;
  } cases[] = {
      // 26 rows on a first page without the trace information: b.sor still takes two pages.
      {"trace info off", kLayoutNormal, 0, 1, {"a.sor", "b.sor", "c.sor"}, 4},
      {"event table off", kLayoutNormal, 1, 0, {"a.sor", "b.sor", "c.sor"}, 3},
      // Without the table every listed file has its page, the unreadable one too.
      {"combined without table", kLayoutCombined, 1, 0, {"a.sor", "broken.sor", "b.sor"}, 3},
  };
  for (const Case& c : cases) {
    doc_->m_PrintOptions.Layout = c.layout;
    doc_->m_PrintOptions.TraceInfo = c.traceInfo;
    doc_->m_PrintOptions.EventTable = c.eventTable;
    ASSERT_EQ(Plan(c.names), BatchPlanResult::kOk) << c.what;
    lumivane::test::RecordingMessageSink recorder;
    const lumivane::ScopedMessageSink scoped(recorder);
    const auto pages = PrintBatch();
    ASSERT_EQ(pages.size(), static_cast<std::size_t>(c.pages)) << c.what;
    if (c.traceInfo == 0) {
      EXPECT_TRUE(HasEventRow(pages[1], 26)) << pages[1];
      EXPECT_FALSE(HasEventRow(pages[1], 27));
      EXPECT_TRUE(HasEventRow(pages[2], 27));
      EXPECT_FALSE(Has(pages[1], "File : b.sor"));
    }
    if (c.eventTable == 0) {
      for (const std::string& page : pages) EXPECT_FALSE(Has(page, "Event Table")) << c.what;
    }
    if (c.layout == kLayoutCombined) {
      EXPECT_TRUE(Has(pages[1], "File : broken.sor"));
      EXPECT_TRUE(Has(pages[1], "Read file failed !"));
      EXPECT_FALSE(Has(pages[1], "Markers A/B"));
      EXPECT_TRUE(Has(pages[2], "File : b.sor"));
      ASSERT_EQ(recorder.MessageTexts().size(), 1u);
      EXPECT_EQ(recorder.MessageTexts()[0], "These files were not printed:\n" + folder_ + "broken.sor");
    } else {
      EXPECT_TRUE(recorder.MessageTexts().empty()) << c.what;
    }
  }
}

TEST_F(BatchPrintingTest, FilesThatCannotBeReadAreNamedOnceAfterTheJob) {
  Write("a.sor", TraceFile(5));
  Write("b.sor", TraceFile(3));
  Write("c.sor", TraceFile(4));
  // gone.sor was chosen and then deleted before the command read it; c.sor goes during the job.
  ASSERT_EQ(Plan({"a.sor", "gone.sor", "b.sor", "c.sor"}), BatchPlanResult::kOk);
  EXPECT_EQ(g_BatchPrint.TotalPages, 3);
  std::filesystem::remove(folder_ + "c.sor");
  lumivane::test::RecordingMessageSink recorder;
  const lumivane::ScopedMessageSink scoped(recorder);
  const auto pages = PrintBatch();
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_TRUE(Has(pages[0], "File : a.sor"));
  EXPECT_TRUE(Has(pages[1], "File : b.sor"));
  // The page of a file gone since never shows another file's data.
  EXPECT_TRUE(Has(pages[2], "File : c.sor"));
  EXPECT_TRUE(Has(pages[2], "Read file failed !"));
  EXPECT_FALSE(Has(pages[2], "Total Fiber Information"));
  EXPECT_EQ(recorder.MessageTexts(),
            std::vector<std::string>{"These files were not printed:\n" + folder_ + "gone.sor\n" + folder_ + "c.sor"});
}

TEST_F(BatchPrintingTest, RevisionOneFilesPrintLikeTheOthers) {
  SampleSorSpec spec;
  spec.events = 6;
  Write("old.sor", lumivane::test::MakeSampleSorV1(spec));
  TracePreview preview;
  ASSERT_NE(ReadBatchFileEventCount(folder_ + "old.sor", preview), 0);
  EXPECT_EQ(preview.EventCount, 6);
  ASSERT_EQ(Plan({"old.sor"}), BatchPlanResult::kOk);
  const auto pages = PrintBatch();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(Has(pages[0], "File : old.sor"));
  EXPECT_TRUE(HasEventRow(pages[0], 6));
}

TEST_F(BatchPrintingTest, TheLastFilesUnitStaysAndEveryPaneIsTold) {
  Write("feet.sor", lumivane::test::WithDistanceUnits(TraceFile(4), "ft"));
  lumivane::test::CountingView pane;
  doc_->AddView(pane, PaneKind::EventTable);
  ASSERT_EQ(Plan({"feet.sor"}), BatchPlanResult::kOk);
  const auto pages = PrintBatch();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(Has(pages[0], "Location[kft]"));
  EXPECT_EQ(g_LengthUnitName, "kft");
  EXPECT_EQ(pane.updates, 1);
  EXPECT_EQ(pane.lastSender, nullptr);
  EXPECT_EQ(g_DisplayState.UnitChanged, 1);
  doc_->RemoveView(pane);
}

TEST_F(BatchPrintingTest, MultiTraceCellsOfTwentyFiveAndNoEventsFillOnePage) {
  Write("x.sor", TraceFile(25));
  Write("y.sor", TraceFile(0));
  doc_->m_PrintOptions.Layout = kLayoutMultiTrace;
  doc_->m_PrintOptions.PerPageIndex = 3;  // 8 cells to a page
  doc_->m_PrintOptions.EventTable = 1;
  ASSERT_EQ(Plan({"x.sor", "y.sor"}), BatchPlanResult::kOk);
  SingleTraceReport report(*doc_, traces_, {{}, [] { return std::string("2026-01-02 03:04:05"); }, {}});
  // The slots of the job, as it prints.
  std::vector<int> used;
  env_.progress = [&report, &used](int done, int) {
    if (done == 0 && report.Slots() != nullptr) {
      for (int s = 0; s < report.Slots()->m_nSlotCount; ++s) used.push_back(report.Slots()->m_PageSlots[s].Used);
    }
    return true;
  };
  PrintJobControl control(*doc_, traces_, report, env_);
  control.OnFilePrint();
  ASSERT_EQ(PdfPageCount(pdf_), 1);
  // x.sor, its rows 1-20 and 21-25, y.sor and its empty table.
  EXPECT_EQ(used, (std::vector<int>{1, 0, 0, 1, 0}));
  const std::string page = PdfPageText(pdf_, 1);
  EXPECT_TRUE(Has(page, "File : x.sor"));
  EXPECT_TRUE(Has(page, "File : y.sor"));
  EXPECT_TRUE(Has(page, "(25)"));
  EXPECT_TRUE(Has(page, "(0)"));
  EXPECT_TRUE(HasEventRow(page, 21));
  // The slots and the cells' own sample copies go with the job.
  EXPECT_EQ(report.Slots(), nullptr);
}

TEST_F(BatchPrintingTest, ABatchWhoseFilesAllFailPrintsOneEmptyPage) {
  ASSERT_EQ(Plan({"none.sor"}), BatchPlanResult::kOk);
  EXPECT_EQ(g_BatchPrint.TotalPages, 0);
  lumivane::test::RecordingMessageSink recorder;
  const lumivane::ScopedMessageSink scoped(recorder);
  const auto pages = PrintBatch();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].find_first_not_of(" \n\f"), std::string::npos);
  EXPECT_EQ(recorder.MessageTexts().size(), 1u);
}

TEST_F(BatchPrintingTest, EachFileIsJudgedWithItsOwnWavelengthsLimits) {
  // Strict at 1310 nm, loose at 1550 nm, nothing stored for 1625 nm; the files' events lose 0.025,
  // 0.050 and 0.075 dB.
  dir_.WriteFile("otdr config.ini",
                 std::string("[1310]\nSplice Loss=0.01\nConnector Loss=0.01\n"
                             "[1550]\nSplice Loss=1.0\nConnector Loss=1.0\n"));
  limitsFile_ = dir_.Path("otdr config.ini");
  doc_->m_PassFailThresholds.Enabled = {1, 1, 0, 0, 0, 0};
  Write("a1310.sor", WithWavelength(TraceFile(4), 13100));
  Write("b1550.sor", WithWavelength(TraceFile(4), 15500));
  Write("c1625.sor", WithWavelength(TraceFile(4), 16250));
  ASSERT_EQ(Plan({"a1310.sor", "b1550.sor", "c1625.sor"}), BatchPlanResult::kOk);
  const auto pages = PrintBatch();
  ASSERT_EQ(pages.size(), 3u);
  const struct {
    const char* verdict;
    bool flagged;
  } want[] = {{"Fail", true}, {"Pass", false}, {"Pass", false}};
  for (std::size_t p = 0; p < 3; ++p) {
    const auto words = PdfWords(pdf_, static_cast<int>(p) + 1);
    const bool pass = std::any_of(words.begin(), words.end(), [](const auto& w) { return w.text == "Pass"; });
    EXPECT_EQ(pass ? "Pass" : "Fail", std::string(want[p].verdict)) << p;
    // A failing loss prints white on black: the page raster shows the box behind it.
    const QImage page = lumivane::test::PdfPageRaster(pdf_, static_cast<int>(p) + 1, dir_.Path("p" + std::to_string(p)));
    ASSERT_FALSE(page.isNull());
    int dark = 0;
    for (const auto& w : words) {
      if (w.text != "0.050") continue;
      const int x = static_cast<int>(w.left) + 24 + 3, y = static_cast<int>(w.top) + 17 + 5;
      dark += qGray(page.pixel(x, y)) < 60 ? 1 : 0;
    }
    EXPECT_EQ(dark > 0, want[p].flagged) << p;
  }
}

// Multi Trace cells of a strict 1310 nm trace and a loose 1550 nm one, four to a page with their
// event tables: the 1310 nm trace's cells (the top row) mark its failing losses and link ORL white on
// black, the 1550 nm trace's cells (the bottom row) mark nothing; batch files and loaded traces alike.
TEST_F(BatchPrintingTest, MultiTraceCellsMarkWhatFailsEachTracesOwnLimits) {
  dir_.WriteFile("otdr config.ini", std::string("[1310]\nSplice Loss=0.01\nConnector Loss=0.01\nLink ORL=40\n"
                                                "[1550]\nSplice Loss=1.0\nConnector Loss=1.0\nLink ORL=10\n"));
  limitsFile_ = dir_.Path("otdr config.ini");
  // The current trace is judged with the limits the document holds for it, the 1550 nm ones.
  doc_->m_PassFailThresholds.Enabled = {1, 1, 0, 0, 0, 1};
  doc_->m_PassFailThresholds.Limit = {1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 10.0f};
  doc_->m_PrintOptions.Layout = kLayoutMultiTrace;
  doc_->m_PrintOptions.PerPageIndex = 1;
  doc_->m_PrintOptions.EventTable = 1;
  Write("a1310.sor", WithWavelength(TraceFile(4), 13100));
  Write("b1550.sor", WithWavelength(TraceFile(4), 15500));
  const auto expectMarks = [this](const char* what) {
    SCOPED_TRACE(what);
    std::vector<std::string> top;
    for (const auto& w : lumivane::test::MarkedWords(pdf_, 1, dir_.Path("marks"))) {
      EXPECT_LT(w.top, 583) << w.text << " marked in the 1550 nm trace's cells";
      top.push_back(w.text);
    }
    for (const char* value : {"0.050", "32.000"}) {
      EXPECT_NE(std::find(top.begin(), top.end(), value), top.end()) << value << " not marked";
    }
  };

  ASSERT_EQ(Plan({"a1310.sor", "b1550.sor"}), BatchPlanResult::kOk);
  PrintBatch();
  expectMarks("batch");

  // The same files loaded, the 1550 nm one current.
  for (const char* name : {"a1310.sor", "b1550.sor"}) {
    auto record = std::make_unique<TraceRecord>();
    record->m_strPath = folder_ + name;
    ASSERT_TRUE(ReloadTraceForPrint(record->m_strPath, record->m_Model).read);
    traces_.push_back(std::move(record));
  }
  const TraceRecord& current = *traces_.back();
  doc_->m_strTracePath = current.m_strPath;
  doc_->m_SorRecord = current.m_Model.m_SorRecord;
  TraceDisplayModel& shown = const_cast<TraceDisplayModel&>(current.m_Model);
  CopyDisplayModel(DisplayModelTargetOf(shown), doc_->DisplayModelMembers());
  doc_->m_PassFailThresholds.MeasuredLinkOrl = 32.0f;
  g_DisplayState.TraceCount = 2;
  PrintBatch();
  expectMarks("loaded");
}

TEST_F(BatchPrintingTest, MarkerReadingsCarryThePanesLabels) {
  Write("a.sor", TraceFile(4));
  ASSERT_EQ(Plan({"a.sor"}), BatchPlanResult::kOk);
  const auto pages = PrintBatch();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_TRUE(Has(pages[0], "Ins.Loss at A:")) << pages[0];
  EXPECT_TRUE(Has(pages[0], "Refl. at A:"));
  EXPECT_TRUE(Has(pages[0], "Cum.Loss to A:"));
  EXPECT_FALSE(Has(pages[0], "at #"));
}

TEST_F(BatchPrintingTest, ACancelledJobPrintsNothingMoreAndLeavesNothingBehind) {
  Write("feet.sor", lumivane::test::WithDistanceUnits(TraceFile(4), "ft"));
  for (const char* name : {"b.sor", "c.sor", "d.sor"}) Write(name, lumivane::test::WithDistanceUnits(TraceFile(4), "ft"));
  std::vector<std::pair<int, int>> told;
  env_.progress = [&told](int done, int total) {
    told.emplace_back(done, total);
    return done < 2;  // Cancel once two pages are out
  };
  lumivane::test::CountingView pane;
  doc_->AddView(pane, PaneKind::EventTable);
  ASSERT_EQ(Plan({"feet.sor", "b.sor", "c.sor", "d.sor"}), BatchPlanResult::kOk);
  lumivane::test::RecordingMessageSink recorder;
  const lumivane::ScopedMessageSink scoped(recorder);
  const auto pages = PrintBatch();
  EXPECT_EQ(pages.size(), 2u);
  EXPECT_EQ(told, (std::vector<std::pair<int, int>>{{0, 4}, {1, 4}, {2, 4}}));
  EXPECT_EQ(g_LengthUnitName, "km");
  EXPECT_DOUBLE_EQ(g_LengthUnitFactor, 1.0);
  EXPECT_EQ(pane.updates, 0);
  EXPECT_TRUE(recorder.MessageTexts().empty());
  EXPECT_TRUE(g_BatchPrint.LoadedFile.empty());
  doc_->RemoveView(pane);
}

TEST_F(BatchPrintingTest, CancelAtTheDialogOfAMultiTraceBatchKeepsTheUnit) {
  Write("feet.sor", lumivane::test::WithDistanceUnits(TraceFile(25), "ft"));
  Write("miles.sor", lumivane::test::WithDistanceUnits(TraceFile(3), "mi"));
  doc_->m_PrintOptions.Layout = kLayoutMultiTrace;
  doc_->m_PrintOptions.PerPageIndex = 1;
  doc_->m_PrintOptions.EventTable = 1;
  ASSERT_EQ(Plan({"feet.sor", "miles.sor"}), BatchPlanResult::kOk);
  env_.askPrint = [](QPrinter&, int) { return false; };
  lumivane::test::CountingView pane;
  doc_->AddView(pane, PaneKind::EventTable);
  SingleTraceReport report(*doc_, traces_, {{}, [] { return std::string("2026-01-02 03:04:05"); }, {}});
  PrintJobControl control(*doc_, traces_, report, env_);
  control.OnFilePrint();
  EXPECT_EQ(g_LengthUnitName, "km");
  EXPECT_DOUBLE_EQ(g_LengthUnitFactor, 1.0);
  EXPECT_EQ(pane.updates, 0);
  EXPECT_FALSE(std::filesystem::exists(pdf_));
  doc_->RemoveView(pane);
}

TEST_F(BatchPrintingTest, MultiTraceCellsLetTheirSamplesGoOnceDrawn) {
  for (const char* name : {"a.sor", "b.sor", "c.sor", "d.sor", "e.sor"}) Write(name, TraceFile(3));
  doc_->m_PrintOptions.Layout = kLayoutMultiTrace;
  doc_->m_PrintOptions.PerPageIndex = 1;
  doc_->m_PrintOptions.EventTable = 0;
  ASSERT_EQ(Plan({"a.sor", "b.sor", "c.sor", "d.sor", "e.sor"}), BatchPlanResult::kOk);
  SingleTraceReport report(*doc_, traces_, {{}, [] { return std::string("2026-01-02 03:04:05"); }, {}});
  // Each time a page is out, no cell drawn so far still holds samples.
  std::vector<int> held;
  env_.progress = [&report, &held](int done, int) {
    int owning = 0;
    if (report.Slots() != nullptr) {
      for (const PageSlot& slot : report.Slots()->m_PageSlots) owning += slot.OwnedSamples ? 1 : 0;
    }
    if (done > 0) held.push_back(owning);
    return true;
  };
  PrintJobControl control(*doc_, traces_, report, env_);
  control.OnFilePrint();
  ASSERT_EQ(PdfPageCount(pdf_), 2);
  EXPECT_EQ(held, (std::vector<int>{0, 0}));
  const std::string all = PdfPageText(pdf_, 1) + PdfPageText(pdf_, 2);
  for (const char* name : {"a.sor", "b.sor", "c.sor", "d.sor", "e.sor"}) EXPECT_TRUE(Has(all, name)) << name;
}

}  // namespace
