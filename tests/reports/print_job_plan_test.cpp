#include "reports/print_job_plan.h"

#include <gtest/gtest.h>

#include <vector>

#include "panes/event_table_cells.h"
#include "reports/batch_print_state.h"

namespace {

class PrintJobPlanTest : public ::testing::Test {
 protected:
  PrintJobPlanTest() { ResetBatchPrint(); }
  ~PrintJobPlanTest() override { ResetBatchPrint(); }

  int Pages(const PrintOptions& options, int events, int traceCount = 1,
            std::span<const TraceEvents> traces = {}) const {
    return PlanPrintJob({options, config_, events, traceCount, g_BatchPrint}, traces, [] { return 7; }).LastPage;
  }

  ConfigReport config_;
};

PrintOptions Blocks(int traceInfo, int trace, int markerInfo, int fiberInfo) {
  PrintOptions options;
  options.TraceInfo = traceInfo;
  options.Trace = trace;
  options.MarkerInfo = markerInfo;
  options.FiberInfo = fiberInfo;
  return options;
}

TEST_F(PrintJobPlanTest, FirstPageRowsGrowWithEachBlockSwitchedOff) {
  struct Case {
    PrintOptions options;
    int rows;
  };
  const Case cases[] = {
      {Blocks(1, 1, 1, 1), 19}, {Blocks(0, 1, 1, 1), 26}, {Blocks(1, 0, 1, 1), 46},
      {Blocks(1, 1, 0, 1), 27}, {Blocks(1, 1, 1, 0), 22}, {Blocks(0, 0, 0, 0), 64},
  };
  for (const Case& c : cases) {
    g_FirstPageEventRows = 0;
    EXPECT_EQ(FirstPageEventRows(c.options), c.rows);
    Pages(c.options, 0);
    EXPECT_EQ(g_FirstPageEventRows, c.rows);
  }
}

TEST_F(PrintJobPlanTest, SingleTracePagesByEventCount) {
  struct Case {
    PrintOptions options;
    int events;
    int pages;
  };
  PrintOptions noTable;
  noTable.EventTable = 0;
  PrintOptions combinedNoTable = noTable;
  combinedNoTable.Layout = 2;
  const Case cases[] = {
      {PrintOptions{}, 0, 1},       {PrintOptions{}, 19, 1},   {PrintOptions{}, 20, 2},
      {PrintOptions{}, 83, 2},      {PrintOptions{}, 84, 3},   {PrintOptions{}, 200, 4},
      {PrintOptions{}, 1000, 17},   {Blocks(0, 0, 0, 0), 64, 1}, {Blocks(0, 0, 0, 0), 65, 2},
      {Blocks(0, 0, 0, 0), 128, 2}, {noTable, 1000, 1},        {combinedNoTable, 1000, 1},
  };
  for (const Case& c : cases) EXPECT_EQ(Pages(c.options, c.events), c.pages) << c.events;
}

TEST_F(PrintJobPlanTest, MultiTraceAndBatchJobsTakeTheirCountsFromElsewhere) {
  PrintOptions multi;
  multi.Layout = 1;
  g_FirstPageEventRows = 33;
  EXPECT_EQ(Pages(multi, 500), 7);
  EXPECT_EQ(g_FirstPageEventRows, 33);

  g_BatchPrint.Active = 1;
  g_BatchPrint.TotalPages = 12;
  EXPECT_EQ(Pages(PrintOptions{}, 500), 12);
  PrintOptions combined;
  combined.Layout = 2;
  EXPECT_EQ(Pages(combined, 0), 12);
  EXPECT_EQ(Pages(multi, 0), 7);
  // A batch whose files all failed still prints one (empty) page.
  g_BatchPrint.TotalPages = 0;
  EXPECT_EQ(Pages(PrintOptions{}, 500), 1);
  EXPECT_EQ(g_FirstPageEventRows, 33);
}

class CombinedTableTest : public PrintJobPlanTest {
 protected:
  CombinedTableTest() : first_(10), second_(10) {
    for (int i = 0; i < 10; ++i) {
      first_[i].texts[kColLocation] = std::to_string(i);
      second_[i].texts[kColLocation] = std::to_string(100 + i);
    }
    traces_ = {{"/data/a.sor", first_}, {"/data/b.sor", second_}};
    options_.Layout = 2;
    options_.EventOption = 1;
  }

  std::vector<EventTableRowView> first_;
  std::vector<EventTableRowView> second_;
  std::vector<TraceEvents> traces_;
  PrintOptions options_;
};

TEST_F(CombinedTableTest, EveryTracesRowsStandUnderItsName) {
  const CombinedEventTable table = BuildCombinedEventRows(traces_);
  ASSERT_EQ(table.Rows.size(), 22u);
  EXPECT_EQ(table.Names[3], "a.sor");
  EXPECT_EQ(table.Names[10], "b.sor");
  EXPECT_EQ(table.Rows[0].NameIndex, 3);
  EXPECT_EQ(table.Rows[1].Cells.texts[kColLocation], "0");
  EXPECT_EQ(table.Rows[10].Cells.texts[kColLocation], "9");
  EXPECT_EQ(table.Rows[10].NameIndex, 0);
  EXPECT_EQ(table.Rows[11].NameIndex, 10);
  EXPECT_EQ(table.Rows[12].Cells.texts[kColLocation], "100");
  EXPECT_EQ(table.Rows[21].Cells.texts[kColLocation], "109");
  EXPECT_EQ(table.Rows[10].Trace, 0);
  EXPECT_EQ(table.Rows[12].Trace, 1);

  const PrintJobPlan plan = PlanPrintJob({options_, config_, 3, 2, g_BatchPrint}, traces_, {});
  EXPECT_TRUE(plan.UseCombined);
  EXPECT_EQ(plan.LastPage, 2);
  EXPECT_EQ(plan.Combined.Rows.size(), 22u);
}

TEST_F(CombinedTableTest, TableHoldsAtMostAThousandRows) {
  std::vector<EventTableRowView> big(995);
  traces_[1].Rows = big;  // 1 heading + 10 + 1 heading + 995 = 1007 rows offered
  const CombinedEventTable table = BuildCombinedEventRows(traces_);
  EXPECT_EQ(table.Rows.size(), 1000u);
  std::vector<EventTableRowView> exact(988);
  traces_[1].Rows = exact;
  EXPECT_EQ(BuildCombinedEventRows(traces_).Rows.size(), 1000u);
  traces_[1].Rows = std::span<const EventTableRowView>(exact).first(987);
  EXPECT_EQ(BuildCombinedEventRows(traces_).Rows.size(), 999u);
}

TEST_F(CombinedTableTest, CountAndTableFollowOneRuleAndNeverReuseAnEarlierJob) {
  // A single loaded trace, a batch, or no event option prints the document's own events: the page
  // count comes from them and no combined table is carried into the job.
  struct Case {
    int eventOption;
    int traceCount;
    int batchActive;
  };
  const Case cases[] = {{1, 1, 0}, {-1, 2, 0}, {0, 2, 0}, {1, 2, 1}};
  for (const Case& c : cases) {
    options_.EventOption = c.eventOption;
    g_BatchPrint.Active = c.batchActive;
    g_BatchPrint.TotalPages = 1;
    const PrintJobPlan plan = PlanPrintJob({options_, config_, 3, c.traceCount, g_BatchPrint}, traces_, {});
    EXPECT_FALSE(plan.UseCombined);
    EXPECT_TRUE(plan.Combined.Rows.empty());
    EXPECT_EQ(plan.LastPage, 1);
    EXPECT_EQ(UseCombinedEventTable(options_, c.batchActive == 1, c.traceCount), false);
  }
}

TEST(PageRoutineTest, DispatchAndScaleFactors) {
  EXPECT_EQ(ChoosePageRoutine(0, false), PageRoutine::SingleTrace);
  EXPECT_EQ(ChoosePageRoutine(0, true), PageRoutine::SingleTrace);
  EXPECT_EQ(ChoosePageRoutine(1, false), PageRoutine::MultiTrace);
  EXPECT_EQ(ChoosePageRoutine(1, true), PageRoutine::MultiTrace);
  EXPECT_EQ(ChoosePageRoutine(2, false), PageRoutine::Combined);
  EXPECT_EQ(ChoosePageRoutine(2, true), PageRoutine::SingleTrace);

  const std::pair<int, int> scaleY[] = {{-1, 1}, {-1136, 1}, {-2839, 1}, {-2840, 2}, {-3975, 2}, {-3976, 3}, {0, 1}};
  for (const auto& [bottom, factor] : scaleY) EXPECT_EQ(PrintScaleY(bottom), factor) << bottom;

  struct X {
    int right;
    int factor;
    int narrowed;
  };
  const X scaleX[] = {{500, 1, 500}, {779, 1, 779}, {1557, 1, 1557}, {1558, 1, 779}, {2400, 1, 800}};
  for (const X& x : scaleX) {
    EXPECT_EQ(PrintScaleX(x.right).Factor, x.factor) << x.right;
    EXPECT_EQ(PrintScaleX(x.right).Right, x.narrowed) << x.right;
  }
}

}  // namespace
