// The report takes its values from the document, never from a pane: a report printed with every
// pane closed is the report printed with them open.
#include <QPrinter>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "counting_view.h"
#include "document/display_model.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_record.h"
#include "panes/trace_values.h"
#include "panes/ui/otdr_gxd_view.h"
#include "panes/ui/otdr_gxl_view.h"
#include "panes/ui/otdr_table_view.h"
#include "reports/batch_print_state.h"
#include "reports/report_pdf.h"
#include "reports/ui/print_job_control.h"
#include "reports/ui/single_trace_report.h"
#include "sor/sor_reader.h"
#include "sor_image_builder.h"
#include "temp_dir.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Has;

class ReportValuesTest : public ::testing::Test {
 protected:
  ReportValuesTest() {
    InitLanguageTable();
    SelectLanguage(0);
    ResetBatchPrint();
    SetLengthUnit("km");
  }
  ~ReportValuesTest() override {
    ResetDisplayState();
    SetLengthUnit("km");
  }

  // A document holding a 10-event trace file, its values kept by the document's own update.
  static std::unique_ptr<COtdrDoc> LoadedDocument() {
    auto doc = std::make_unique<COtdrDoc>();
    lumivane::test::SampleSorSpec spec;
    spec.events = 10;
    spec.points = 20000;  // the trace reaches past its last event
    EXPECT_EQ(ReadSorImage(lumivane::test::MakeSampleSorV2(spec), doc->m_SorRecord), SorReadResult::kOk);
    LoadDisplayModel(kSorFileKind, doc->m_SorRecord, DisplayModelInputs{}, doc->DisplayModelMembers());
    doc->m_strTracePath = "/data/link.sor";
    doc->m_PassFailThresholds.Enabled = {1, 0, 0, 0, 0, 0};
    doc->m_PassFailThresholds.Limit[0] = 0.1f;  // every stored splice loss of 0.19 dB fails
    InstallTraceValues(*doc, "");
    return doc;
  }

  // Moves the markers and chooses an event as a user would, then prints the report's first page.
  std::string UseAndPrint(COtdrDoc& doc) {
    ResetDisplayState();
    g_DisplayState.TraceCount = 1;
    lumivane::test::CountingView traceView;
    doc.AddView(traceView, PaneKind::Trace);
    doc.UpdateAllViews(nullptr, kHintRefresh);
    doc.m_MarkerState.MarkerA = 3000;
    doc.m_MarkerState.MarkerB = 12000;
    doc.UpdateAllViews(&traceView, kHintRefresh);
    doc.m_MarkerState.ActiveMarker = 1;
    doc.m_nCurrentEvent = 4;
    doc.UpdateAllViews(&traceView, kHintEventChosen);
    doc.RemoveView(traceView);

    const std::string pdf = dir_.Path("report.pdf");
    PrintJobControl::Environment env;
    env.askPrint = lumivane::test::PrintToPdf(pdf);
    std::vector<std::unique_ptr<TraceRecord>> traces;
    SingleTraceReport report(doc, traces, {{}, [] { return std::string("2026-01-02 03:04:05"); }, {}});
    PrintJobControl control(doc, traces, report, env);
    control.OnPrintCommand();
    return lumivane::test::PdfPageText(pdf, 1);
  }

  lumivane::test::TempDir dir_;
};

TEST_F(ReportValuesTest, APrintWithEveryPaneClosedEqualsOneWithThemOpen) {
  const auto open = LoadedDocument();
  auto* table = new COtdrTableView(*open, "");
  auto* markers = new COtdrGxdView(*open);
  auto* totals = new COtdrGxlView(*open);
  open->AddView(*table, PaneKind::EventTable);
  open->AddView(*totals, PaneKind::FiberInfo);
  open->AddView(*markers, PaneKind::MarkerInfo);
  const std::string withPanes = UseAndPrint(*open);
  open->RemoveView(*table);
  open->RemoveView(*totals);
  open->RemoveView(*markers);
  delete table;
  delete markers;
  delete totals;

  const auto closed = LoadedDocument();
  const std::string withoutPanes = UseAndPrint(*closed);
  EXPECT_EQ(withoutPanes, withPanes);

  // The values are those of the markers as they stand: marker B on the chosen fifth event.
  EXPECT_TRUE(Has(withoutPanes, "Marker B")) << withoutPanes;
  EXPECT_TRUE(Has(withoutPanes, "Ins.Loss at B:")) << withoutPanes;

  EXPECT_TRUE(Has(withoutPanes, "Fail"));
  EXPECT_FALSE(Has(withoutPanes, "A-B: 0.00000"));
}

}  // namespace
