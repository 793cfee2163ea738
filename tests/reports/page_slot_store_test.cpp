#include "reports/page_slot_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "document/display_model.h"
#include "sor/sor_reader.h"
#include "sor_image_builder.h"
#include "temp_dir.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::MakeSampleSorV2;
using lumivane::test::SampleSorSpec;
using lumivane::test::TempDir;

std::unique_ptr<TraceRecord> LoadedTrace(const Bytes& image, std::string path) {
  auto record = std::make_unique<TraceRecord>();
  TraceDisplayModel& model = record->m_Model;
  EXPECT_EQ(ReadSorImage(image, model.m_SorRecord), SorReadResult::kOk);
  LoadDisplayModel(kSorFileKind, model.m_SorRecord, DisplayModelInputs{}, DisplayModelTargetOf(model));
  record->m_strPath = std::move(path);
  record->m_dOffsetDb = 1.5;
  return record;
}

class PageSlotStoreTest : public ::testing::Test {
 protected:
  PageSlotStoreTest() : store_(std::make_unique<PageSlotStore>()), work_(std::make_unique<TraceDisplayModel>()) {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    ResetLengthUnit();
    batch_.Active = 1;
    batch_.Folder = dir_.path().string() + "/";
  }
  ~PageSlotStoreTest() override { ResetLengthUnit(); }

  void Batch(std::vector<std::string> names) {
    batch_.FileCount = static_cast<int>(names.size());
    batch_.FileNames = std::move(names);
    FillTraceSlots(*store_, {}, batch_);
  }

  TempDir dir_;
  std::unique_ptr<PageSlotStore> store_;
  std::unique_ptr<TraceDisplayModel> work_;
  BatchPrintState batch_;
};

TEST_F(PageSlotStoreTest, LoadedTracesBorrowTheirSamplesAndDescribeTheFile) {
  std::vector<std::unique_ptr<TraceRecord>> traces;
  traces.push_back(LoadedTrace(MakeSampleSorV2(), "/data/first.sor"));
  SampleSorSpec noCursors;
  noCursors.userVer = 202;
  traces.push_back(LoadedTrace(MakeSampleSorV2(noCursors), "second.sor"));
  traces[1]->m_Model.m_nCursorA = 300;
  traces[1]->m_Model.m_nCursorB = 1200;

  ASSERT_EQ(FillTraceSlots(*store_, traces, BatchPrintState{}), 2);
  EXPECT_EQ(store_->m_nSlotCount, 2);
  EXPECT_EQ(store_->m_strSlotFileName, "second.sor");
  for (std::size_t i = 0; i < 2; ++i) {
    const PageSlot& slot = store_->m_PageSlots[i];
    const TraceDisplayModel& model = traces[i]->m_Model;
    EXPECT_EQ(slot.Samples, model.m_DbSamples.Values.data());
    EXPECT_FALSE(slot.OwnedSamples);
    EXPECT_EQ(slot.SampleCount, 2000);
    EXPECT_EQ(slot.FilePointCount, 2000);
    EXPECT_EQ(slot.EventCount, model.m_nEventCount);
    EXPECT_EQ(slot.EventRows.data(), model.m_EventRows);
    EXPECT_DOUBLE_EQ(slot.CeilingLevel, model.m_dDbCeiling);
    EXPECT_DOUBLE_EQ(slot.LowestLevel, ComputeLowestLevel(model.m_SorRecord, 2000));
    EXPECT_DOUBLE_EQ(slot.DbOffset, 1.5);
    EXPECT_EQ(slot.InfoText[1], "Cable ID : CABLE-7");
    EXPECT_EQ(slot.InfoText[24], "Customer : ACME Fibre");
    EXPECT_EQ(slot.InfoText[13].rfind("Ins. Loss at #", 0), 0u);
  }
  EXPECT_EQ(store_->m_PageSlots[0].InfoText[0], "File : first.sor");
  // Each cell's markers stand where the trace shows them when it is chosen.
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(store_->m_PageSlots[i].CellMarkerA, traces[i]->m_Model.m_nCursorA);
    EXPECT_EQ(store_->m_PageSlots[i].CellMarkerB, traces[i]->m_Model.m_nCursorB);
  }
}

TEST_F(PageSlotStoreTest, BatchFillsOnlyNamesUntilACellIsDrawn) {
  Batch({"a.sor", "b.sor"});
  EXPECT_EQ(store_->m_nSlotCount, 2);
  EXPECT_EQ(store_->m_PageSlots[1].Title, "b.sor");
  EXPECT_EQ(store_->m_PageSlots[1].Used, 1);
  EXPECT_EQ(store_->m_PageSlots[1].SampleCount, 0);
}

TEST_F(PageSlotStoreTest, BatchCellReadsItsFileIntoTheWorkTraceWithItsOwnUnit) {
  dir_.WriteFile("feet.sor", lumivane::test::WithDistanceUnits(MakeSampleSorV2(), "ft"));
  dir_.WriteFile("metres.sor", MakeSampleSorV2());
  Batch({"feet.sor", "metres.sor"});

  ASSERT_TRUE(FillBatchCell(*store_, 0, batch_, *work_));
  const PageSlot& feet = store_->m_PageSlots[0];
  EXPECT_EQ(g_LengthUnitName, "kft");
  EXPECT_EQ(store_->m_strPrintFilePath, batch_.Folder + "feet.sor");
  EXPECT_EQ(feet.InfoText[0], "File : feet.sor");
  EXPECT_EQ(feet.InfoText[17].substr(feet.InfoText[17].size() - 7), " dB/kft");
  ASSERT_TRUE(feet.OwnedSamples);
  EXPECT_EQ(feet.Samples, feet.OwnedSamples->Values.data());
  EXPECT_EQ(feet.SampleCount, work_->m_nPointCount);
  EXPECT_DOUBLE_EQ(feet.Samples[100], work_->m_DbSamples.Values[100]);
  EXPECT_EQ(feet.OwnedSamples->Values.size(), static_cast<std::size_t>(feet.SampleCount));
  EXPECT_DOUBLE_EQ(feet.LengthKm, work_->m_dFibreLengthKm);
  EXPECT_EQ(feet.CellMarkerA, work_->m_nCursorA);
  EXPECT_EQ(feet.EventRows.data(), work_->m_EventRows);
  EXPECT_LE(feet.LowestLevel, feet.CeilingLevel);

  // The owned copy outlives the work trace's next file.
  const double kept = feet.Samples[100];
  ASSERT_TRUE(FillBatchCell(*store_, 1, batch_, *work_));
  EXPECT_EQ(g_LengthUnitName, "km");
  EXPECT_DOUBLE_EQ(store_->m_PageSlots[0].Samples[100], kept);
}

TEST_F(PageSlotStoreTest, UnreadableBatchFileSaysSoAndLeavesTheWorkTraceAlone) {
  dir_.WriteFile("good.sor", MakeSampleSorV2());
  dir_.WriteFile("empty.sor", std::string());
  Bytes wrongVersion = MakeSampleSorV2();
  wrongVersion[4] = 99;  // Map revision
  dir_.WriteFile("version.sor", wrongVersion);
  Batch({"good.sor", "empty.sor", "version.sor", "missing.sor"});
  ASSERT_TRUE(FillBatchCell(*store_, 0, batch_, *work_));
  std::vector<unsigned char> before(sizeof(TraceDisplayModel));
  std::memcpy(before.data(), work_.get(), before.size());

  for (int slot : {1, 2, 3}) {
    EXPECT_FALSE(FillBatchCell(*store_, slot, batch_, *work_));
    const PageSlot& cell = store_->m_PageSlots[static_cast<std::size_t>(slot)];
    EXPECT_EQ(cell.InfoText[0], "File : " + batch_.FileNames[static_cast<std::size_t>(slot)]);
    EXPECT_EQ(cell.InfoText[1], "Read file failed !");
    EXPECT_EQ(cell.InfoText[15], "");
    EXPECT_EQ(cell.Samples, nullptr);
    EXPECT_EQ(cell.SampleCount, 0);
    EXPECT_EQ(std::memcmp(before.data(), work_.get(), before.size()), 0);
  }
}

TEST_F(PageSlotStoreTest, FilesBeyondTheSlotsAreNamedAsNotPrinted) {
  // 999 events: a trace cell and 50 event-table cells a file, so the slots run out in file 40.
  SampleSorSpec spec;
  spec.events = 999;
  const Bytes image = MakeSampleSorV2(spec);
  std::vector<std::string> names;
  for (int i = 0; i < 41; ++i) {
    names.push_back("f" + std::to_string(i) + ".sor");
    dir_.WriteFile(names.back(), image);
  }
  batch_.FileCount = static_cast<int>(names.size());
  batch_.FileNames = names;
  ASSERT_EQ(FillEventTableSlots(*store_, {}, batch_, *work_), kPageSlotCount);
  EXPECT_EQ(store_->m_UnreadFiles, (std::vector<std::string>{batch_.Folder + "f39.sor", batch_.Folder + "f40.sor"}));
}

}  // namespace
