#include "reports/batch_page_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "document/trace_preview.h"
#include "reports/print_job_plan.h"
#include "sor_image_builder.h"
#include "temp_dir.h"

namespace {

using lumivane::test::MakeSampleSorV1;
using lumivane::test::MakeSampleSorV2;
using lumivane::test::SampleSorSpec;
using lumivane::test::TempDir;

using Map = std::vector<std::pair<int, int>>;

Map MapOf(const BatchPrintState& batch) {
  Map map;
  for (int n = 1; n <= batch.TotalPages; ++n) {
    const BatchPageRef& ref = batch.PageMap[static_cast<std::size_t>(n)];
    map.emplace_back(ref.File, ref.Page);
  }
  return map;
}

PrintOptions Layout(int layout, int eventTable = 1) {
  PrintOptions options;
  options.Layout = layout;
  options.EventTable = eventTable;
  return options;
}

class BatchPagePlanTest : public ::testing::Test {
 protected:
  BatchPagePlanTest() { ResetBatchPrint(); }
  ~BatchPagePlanTest() override {
    ResetBatchPrint();
    g_FirstPageEventRows = kFirstPageBaseRows;
  }

  BatchPlanResult Plan(const std::vector<int>& counts, const PrintOptions& options) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < counts.size(); ++i) names.push_back("f" + std::to_string(i) + ".sor");
    return PlanBatchPages(g_BatchPrint, "/data/", names, counts, options, config_);
  }

  ConfigReport config_;
};

TEST_F(BatchPagePlanTest, PagesOfOneFileFollowTheFirstPageRows) {
  PrintOptions noTraceInfo = Layout(kLayoutNormal);
  noTraceInfo.TraceInfo = 0;
  struct Case {
    PrintOptions options;
    int events, pages, firstRows;
  };
  const Case cases[] = {
      {Layout(kLayoutNormal), 5, 1, 19},       {Layout(kLayoutNormal), 19, 1, 19},
      {Layout(kLayoutNormal), 20, 2, 19},      {Layout(kLayoutNormal), 40, 2, 19},
      {Layout(kLayoutNormal), 19 + 64, 2, 19}, {Layout(kLayoutNormal), 19 + 65, 3, 19},
      {noTraceInfo, 40, 2, 26},                {noTraceInfo, 26, 1, 26},
      {Layout(kLayoutNormal, 0), 500, 1, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PagesForBatchFile(c.events, c.options, config_), c.pages) << c.events;
    EXPECT_EQ(g_FirstPageEventRows, c.firstRows) << c.events;
  }
  config_.PrintEventTable = 0;
  EXPECT_EQ(PagesForBatchFile(500, Layout(kLayoutNormal), config_), 1);
}

TEST_F(BatchPagePlanTest, MapListsEachReadableFilesPagesInOrder) {
  struct Case {
    const char* what;
    PrintOptions options;
    std::vector<int> counts;
    Map map;
  };
  const Case cases[] = {
      {"three files", Layout(kLayoutNormal), {5, 40, 10}, {{0, 1}, {1, 1}, {1, 2}, {2, 1}}},
      {"unreadable file skipped", Layout(kLayoutNormal), {5, -1, 10}, {{0, 1}, {2, 1}}},
      {"no event table", Layout(kLayoutNormal, 0), {5, 400, -1}, {{0, 1}, {1, 1}}},
      {"combined with table", Layout(kLayoutCombined), {40, -1}, {{0, 1}, {0, 2}}},
      {"combined without table", Layout(kLayoutCombined, 0), {40, -1, 3}, {{0, 1}, {1, 1}, {2, 1}}},
      {"every file unreadable", Layout(kLayoutNormal), {-1, -1}, {}},
  };
  for (const Case& c : cases) {
    ResetBatchPrint();
    ASSERT_EQ(Plan(c.counts, c.options), BatchPlanResult::kOk) << c.what;
    EXPECT_EQ(g_BatchPrint.Active, 1) << c.what;
    EXPECT_EQ(g_BatchPrint.Folder, "/data/") << c.what;
    EXPECT_EQ(MapOf(g_BatchPrint), c.map) << c.what;
  }
}

TEST_F(BatchPagePlanTest, SeveralTracesPerPageOnlyCountsTheFiles) {
  ASSERT_EQ(Plan({5, -1, 40}, Layout(kLayoutMultiTrace)), BatchPlanResult::kOk);
  EXPECT_EQ(g_BatchPrint.FileCount, 3);
  EXPECT_EQ(g_BatchPrint.TotalPages, 0);
  EXPECT_EQ(g_BatchPrint.FileNames.size(), 3u);
}

TEST_F(BatchPagePlanTest, BatchBeyondThePageMapIsRefusedWhole) {
  // 19 + 64 * 16 events need 17 pages each; 235 such files fill 3,995 of the 3,999 pages.
  const int bigEvents = 19 + 64 * 16;
  std::vector<int> fits(235, bigEvents);
  fits.push_back(19 + 64 * 2);  // 3 more: 3,998
  fits.push_back(0);            // 1 more: exactly 3,999
  ASSERT_EQ(Plan(fits, Layout(kLayoutNormal)), BatchPlanResult::kOk);
  EXPECT_EQ(g_BatchPrint.TotalPages, kBatchPageMapSize - 1);
  EXPECT_EQ(g_BatchPrint.PageMap[kBatchPageMapSize - 1].File, 236);

  ResetBatchPrint();
  fits.push_back(0);  // one page too many
  EXPECT_EQ(Plan(fits, Layout(kLayoutNormal)), BatchPlanResult::kTooManyPages);
  EXPECT_EQ(g_BatchPrint.Active, 0);
  EXPECT_EQ(g_BatchPrint.TotalPages, 0);

  EXPECT_EQ(Plan(std::vector<int>(MaxBatchFiles + 1, 0), Layout(kLayoutMultiTrace)), BatchPlanResult::kTooManyFiles);
  EXPECT_EQ(g_BatchPrint.Active, 0);
}

TEST_F(BatchPagePlanTest, HeadersAreReadFromTheFilesOnDisk) {
  TempDir dir;
  SampleSorSpec spec;
  spec.events = 40;
  dir.WriteFile("forty.sor", MakeSampleSorV2(spec));
  spec.events = 0;
  dir.WriteFile("none.SOR", MakeSampleSorV2(spec));
  dir.WriteFile("old.sor", MakeSampleSorV1());
  dir.WriteFile("short.sor", std::string(150, 'M'));
  dir.WriteFile("notes.txt", MakeSampleSorV2());
  const std::string folder = dir.path().string() + "/";

  struct Case {
    const char* name;
    int read, events;
  };
  const Case cases[] = {{"forty.sor", 1, 40}, {"none.SOR", 1, 0}, {"old.sor", 1, 3},
                        {"short.sor", 0, 0}, {"notes.txt", 0, 0}, {"gone.sor", 0, 0}};
  g_FileUnitName = "kft";
  for (const Case& c : cases) {
    TracePreview preview;
    EXPECT_EQ(ReadBatchFileEventCount(folder + c.name, preview), c.read) << c.name;
    if (c.read) {
      EXPECT_EQ(preview.EventCount, c.events) << c.name;
    }
  }
  // The unit that Save compares against belongs to the document's file, not to a batch header.
  EXPECT_EQ(g_FileUnitName, "kft");
  ResetPreviewUnitNames();

  ASSERT_EQ(PlanBatchPrint(g_BatchPrint, folder, {"forty.sor", "gone.sor", "none.SOR"}, Layout(kLayoutNormal), config_),
            BatchPlanResult::kOk);
  EXPECT_EQ(MapOf(g_BatchPrint), (Map{{0, 1}, {0, 2}, {2, 1}}));
}

}  // namespace
