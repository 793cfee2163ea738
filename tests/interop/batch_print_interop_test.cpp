// Batch printing of the real trace files: every sample file prints in every layout, one PDF per
// layout, and none is left out without a word.
#include <QPrinter>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "recording_message_sink.h"
#include "reports/batch_page_plan.h"
#include "panes/event_table_cells.h"
#include "panes/trace_values.h"
#include "platform/path_util.h"
#include "reports/batch_print_state.h"
#include "reports/print_file_reading.h"
#include "reports/print_job_plan.h"
#include "reports/report_pdf.h"
#include "reports/ui/print_job_control.h"
#include "reports/ui/single_trace_report.h"
#include "sample_files.h"
#include "temp_dir.h"
#include "vocabulary/length_unit.h"
#include "trace/trace_conversions.h"
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
    for (int p = 1; p <= pages; ++p) {
      const std::string text = lumivane::test::PdfPageText(pdf, p);
      EXPECT_TRUE(Has(text, "OTDR Report")) << l.what << " page " << p;
      all += text;
    }
    for (const std::string& name : names) EXPECT_TRUE(Has(all, "File : " + name)) << l.what << ": " << name;
    EXPECT_FALSE(Has(all, "Read file failed !")) << l.what;
  }
  ResetBatchPrint();
  SetLengthUnit("km");
}

// Words of a text with the blanks between them collapsed, one entry per line.
std::vector<std::string> CollapsedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string collapsed;
    for (std::string word; words >> word;) collapsed += (collapsed.empty() ? "" : " ") + word;
    lines.push_back(collapsed);
  }
  return lines;
}

// The event rows of a file as the Event Table pane shows them, each row's cells joined by blanks.
std::vector<std::string> TableRows(const std::string& path) {
  auto work = std::make_unique<TraceDisplayModel>();
  if (!ReloadTraceForPrint(path, *work).read) return {};
  static const PassFailThresholds kNoLimits{};
  std::vector<std::string> rows;
  for (const EventTableRowView& row :
       ComputeEventTable({EventRowsInUse(work->m_EventRows, work->m_nEventCount), work->m_nEndEventRow,
                          work->m_SorRecord, kNoLimits},
                         g_LengthUnitFactor)
           .rows) {
    std::string line;
    for (const std::string& cell : row.texts) {
      if (!cell.empty()) line += (line.empty() ? "" : " ") + cell;
    }
    rows.push_back(line);
  }
  return rows;
}

// Every layout that prints event cells prints the texts of the Event Table pane: the single-trace
// page of a batch, multi-trace event cells (of a batch and of loaded traces) and the combined table
// of all loaded traces, read back from the PDF the program's print command writes.
TEST(BatchPrintInterop, EveryLayoutPrintsTheEventTablesCells) {
  SKIP_WITHOUT_SAMPLES();
  InitLanguageTable();
  SelectLanguage(0);
  ResetDisplayState();
  std::vector<std::string> names;
  for (const auto& file : lumivane::test::SampleSorFiles()) names.push_back(file.name);
  ASSERT_GT(names.size(), 1u);
  const struct Layout {
    const char* what;
    int layout, perPage, eventOption;
    bool batch;
  } layouts[] = {
      {"normal batch", kLayoutNormal, 0, 0, true},
      {"multi-trace batch with tables", kLayoutMultiTrace, 3, 0, true},
      {"multi-trace of loaded traces with tables", kLayoutMultiTrace, 1, 0, false},
      {"combined table of loaded traces", kLayoutCombined, 0, 1, false},
  };
  for (const char* unit : {"km", "kft"}) {
    for (const Layout& l : layouts) {
      SCOPED_TRACE(std::string(l.what) + " in " + unit);
      ResetBatchPrint();
      ResetDisplayState();
      SetLengthUnit(unit);
      lumivane::test::TempDir dir;
      const std::string pdf = dir.Path("job.pdf");
      auto doc = std::make_unique<COtdrDoc>();
      doc->m_PrintOptions.Layout = l.layout;
      doc->m_PrintOptions.PerPageIndex = l.perPage;
      doc->m_PrintOptions.EventTable = 1;
      doc->m_PrintOptions.EventOption = l.eventOption;
      std::vector<std::unique_ptr<TraceRecord>> traces;
      if (l.batch) {
        ASSERT_EQ(PlanBatchPrint(g_BatchPrint, lumivane::test::SampleDir() + "/", names, doc->m_PrintOptions,
                                 doc->m_ConfigReport),
                  BatchPlanResult::kOk);
      } else {
        const std::string first = lumivane::JoinPath(lumivane::test::SampleDir(), names.front());
        ASSERT_EQ(doc->OpenTraceFile(first, 0, doc->m_SorRecord), 1);
        LoadDisplayModel(kSorFileKind, doc->m_SorRecord, {doc->m_SorRecord.UserName.DistanceCorrection},
                         doc->DisplayModelMembers());
        UpdateTraceValues(*doc, nullptr, 0, dir.path().string());
        for (const std::string& name : names) {
          auto record = std::make_unique<TraceRecord>();
          record->m_strPath = lumivane::JoinPath(lumivane::test::SampleDir(), name);
          ASSERT_TRUE(ReloadTraceForPrint(record->m_strPath, record->m_Model).read);
          traces.push_back(std::move(record));
        }
        g_DisplayState.TraceCount = static_cast<int>(traces.size());
      }
      PrintJobControl::Environment env;
      env.askPrint = lumivane::test::PrintToPdf(pdf);
      SingleTraceReport report(*doc, traces, {});
      PrintJobControl control(*doc, traces, report, env);
      lumivane::test::RecordingMessageSink recorder;
      const lumivane::ScopedMessageSink scoped(recorder);
      control.OnFilePrint();
      std::vector<std::string> printed;
      for (int p = 1; p <= lumivane::test::PdfPageCount(pdf); ++p) {
        for (std::string& line : CollapsedLines(lumivane::test::PdfPageText(pdf, p))) printed.push_back(std::move(line));
      }
      ASSERT_FALSE(printed.empty());
      int compared = 0;
      for (const std::string& name : names) {
        for (const std::string& row : TableRows(lumivane::JoinPath(lumivane::test::SampleDir(), name))) {
          const bool found = std::any_of(printed.begin(), printed.end(),
                                         [&row](const std::string& line) { return Has(line, row); });
          EXPECT_TRUE(found) << name << ": " << row;
          ++compared;
        }
      }
      EXPECT_GT(compared, 0);
    }
  }
  ResetBatchPrint();
  ResetDisplayState();
  SetLengthUnit("km");
}

}  // namespace
