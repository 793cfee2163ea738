// Batch printing of the real trace files: every sample file prints in every layout, one PDF per
// layout, and none is left out without a word.
#include <QPrinter>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "recording_message_sink.h"
#include "reports/batch_page_plan.h"
#include "reports/batch_print_state.h"
#include "reports/print_job_plan.h"
#include "reports/report_pdf.h"
#include "reports/ui/print_job_control.h"
#include "reports/ui/single_trace_report.h"
#include "sample_files.h"
#include "temp_dir.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Has;

TEST(BatchPrintInterop, EverySampleFilePrintsInEveryLayout) {
  SKIP_WITHOUT_SAMPLES();
  InitLanguageTable();
  SelectLanguage(0);
  ResetDisplayState();
  std::vector<std::string> names;
  for (const auto& file : lumivane::test::SampleSorFiles()) names.push_back(file.name);
  ASSERT_FALSE(names.empty());
  const struct Layout {
    const char* what;
    int layout, perPage, eventTable;
  } layouts[] = {
      {"normal", kLayoutNormal, 0, 1},        {"combined", kLayoutCombined, 0, 1},
      {"combined, no table", kLayoutCombined, 0, 0}, {"two to a page", kLayoutMultiTrace, 0, 0},
      {"eight to a page", kLayoutMultiTrace, 3, 0},  {"eight with tables", kLayoutMultiTrace, 3, 1},
  };
  for (const Layout& l : layouts) {
    ResetBatchPrint();
    SetLengthUnit("km");
    lumivane::test::TempDir dir;
    const std::string pdf = dir.Path("batch.pdf");
    auto doc = std::make_unique<COtdrDoc>();
    doc->m_PrintOptions.Layout = l.layout;
    doc->m_PrintOptions.PerPageIndex = l.perPage;
    doc->m_PrintOptions.EventTable = l.eventTable;
    ASSERT_EQ(PlanBatchPrint(g_BatchPrint, lumivane::test::SampleDir() + "/", names, doc->m_PrintOptions,
                             doc->m_ConfigReport),
              BatchPlanResult::kOk);
    PrintJobControl::Environment env;
    env.askPrint = lumivane::test::PrintToPdf(pdf);
    std::vector<std::unique_ptr<TraceRecord>> traces;
    SingleTraceReport report(*doc, traces, {});
    PrintJobControl control(*doc, traces, report, env);
    lumivane::test::RecordingMessageSink recorder;
    const lumivane::ScopedMessageSink scoped(recorder);
    control.OnFilePrint();
    EXPECT_TRUE(recorder.MessageTexts().empty()) << l.what << ": " << recorder.MessageTexts().front();
    const int pages = lumivane::test::PdfPageCount(pdf);
    ASSERT_GE(pages, 1) << l.what;
    std::string all;
    std::vector<lumivane::test::PdfWord> words;
    for (int p = 1; p <= pages; ++p) {
      const std::string text = lumivane::test::PdfPageText(pdf, p);
      EXPECT_TRUE(Has(text, "OTDR Report")) << l.what << " page " << p;
      all += text;
      const auto pageWords = lumivane::test::PdfWords(pdf, p);
      words.insert(words.end(), pageWords.begin(), pageWords.end());
    }
    // Every name whole, whatever font or lines its column needs.
    for (const std::string& name : names) EXPECT_TRUE(lumivane::test::PrintedWhole(words, name)) << l.what << ": " << name;
    EXPECT_FALSE(Has(all, "Read file failed !")) << l.what;
  }
  ResetBatchPrint();
  SetLengthUnit("km");
}

}  // namespace
