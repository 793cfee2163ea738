#include "document/trace_save.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "vocabulary/command_ids.h"
#include "vocabulary/text_rows.h"
#include "docsave_fixture.h"
#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/display_model_params.h"
#include "trace/backscatter_field.h"
#include "sor/sor_map_layout.h"
#include "sor/sor_text.h"
#include "trace/trace_conversions.h"
#include "platform/path_util.h"
#include "sor_test_util.h"

namespace {

using lumivane::Reply;
using lumivane::test::Bytes;
using lumivane::test::DocSaveFixture;
using lumivane::test::SameBytes;
using lumivane::test::TempDir;

std::u16string UnitsOf(const SorFxdParams& fxd) { return std::u16string(SorTextView(fxd.DistanceUnits)); }

TEST(RewriteDistanceUnitsTest, RelabelsForTheDisplayUnitAndKeepsTheRangeReadBack) {
  struct Case {
    const char* fileUnit;
    const char* displayUnit;
    const char* labelBefore;
    std::int32_t rangeBefore;
    const char16_t* labelAfter;
    std::int32_t rangeAfter;
  };
  const Case cases[] = {
      {"km", "kft", "mt", 500000, u"ft", 500000},   // 50 km read the same under either label
      {"km", "mi", "mt", 500000, u"mi", 500000},
      {"kft", "km", "ft", 500000, u"mt", 500000},
      {"km", "km", "mt", 500000, u"mt", 500000},    // same units: nothing changes
      {"kft", "kft", "km", 500, u"km", 500},
      {"km", "kft", "km", 500, u"ft", 500000},      // a "km" label reads tenths of metres
      {"km", "kft", "km", 0, u"ft", 0},
      {"km", "kft", "km", 3000000, u"km", 3000000}, // 300 km do not fit tenths of millimetres: kept
      {"km", "yd", "mt", 500000, u"mt", 500000},    // an unknown display unit keeps the label
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fileUnit) + " -> " + c.displayUnit + ", label " + c.labelBefore);
    SorFxdParams fxd{};
    SetSorText(fxd.DistanceUnits, std::string_view(c.labelBefore));
    fxd.AcquisitionRangeDistance = c.rangeBefore;
    RewriteDistanceUnits(fxd, c.fileUnit, c.displayUnit);
    EXPECT_EQ(UnitsOf(fxd), c.labelAfter);
    EXPECT_EQ(fxd.DistanceUnits[2], 0);
    EXPECT_EQ(fxd.AcquisitionRangeDistance, c.rangeAfter);
  }
}

TEST(StoreEventLossesTest, StoresAtMost199LossesAndNothingForTheMissingFirstOne) {
  auto record = std::make_unique<SorRecord>();
  std::fill(std::begin(record->UserName.EventLossTable), std::end(record->UserName.EventLossTable), 77);
  std::vector<EventRow> rows(250, EventRow{});
  rows[0].CumulativeLoss = kMissingValue;
  for (std::size_t i = 1; i < rows.size(); ++i) rows[i].CumulativeLoss = 0.5f + static_cast<float>(i) / 1000.0f;
  StoreEventLossesToSor(*record, rows, 250);
  const SorUserName& user = record->UserName;
  EXPECT_EQ(user.StoredLossCount, 199);
  EXPECT_EQ(user.EventLossTable[0], 0);
  EXPECT_EQ(user.EventLossTable[1], 501);
  EXPECT_EQ(user.EventLossTable[198], 698);
  EXPECT_EQ(user.EventLossTable[199], 0);

  StoreEventLossesToSor(*record, rows, -4);
  EXPECT_EQ(user.StoredLossCount, 0);
  EXPECT_EQ(user.EventLossTable[1], 0);
}

class StoreDisplayEditsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SorFxdParams& fxd = record_->FxdParams;
    fxd.GroupIndex = 146500;
    fxd.Backscatter = 790;
    fxd.EndOfFibreThreshold = 3000;
    fxd.LossThreshold = 100;
    fxd.ReflectanceThreshold = 40000;
    params_.GroupIndex = 1.4682f;
    params_.Backscatter = -50.0f;
    params_.EndThreshold = 3.5f;
    params_.LossThreshold = -0.35f;
    params_.ReflectanceThreshold = 65.0f;
  }
  std::unique_ptr<SorRecord> record_ = std::make_unique<SorRecord>();
  FibreParamsRecord params_{};
};

TEST_F(StoreDisplayEditsTest, FibreParametersAreRoundedNotTruncated) {
  StoreDisplayEditsToSor(*record_, params_, 1, 0, {}, 0);
  const SorFxdParams& fxd = record_->FxdParams;
  EXPECT_EQ(fxd.GroupIndex, 146820);  // 1.4682f x 100,000 is 146819.997
  EXPECT_EQ(fxd.Backscatter, 800);    // (50 + 30) x 10
  EXPECT_EQ(fxd.EndOfFibreThreshold, 3500);
  EXPECT_EQ(fxd.LossThreshold, 350);  // 0.35f x 1000 is 349.99999
  EXPECT_EQ(fxd.ReflectanceThreshold, 65000);

  record_->UserName.BackscatterMode = 100;
  params_.Backscatter = -81.3f;
  StoreDisplayEditsToSor(*record_, params_, 1, 0, {}, 0);
  EXPECT_EQ(record_->FxdParams.Backscatter, 813);
}

TEST_F(StoreDisplayEditsTest, EveryFieldComesBackAsReadThroughTheDisplayedParameters) {
  for (const std::int32_t mode : {0, kBackscatterModeMicrosecond}) {
    record_->UserName.BackscatterMode = mode;
    for (int field = INT16_MIN; field <= INT16_MAX; ++field) {
      record_->FxdParams.Backscatter = static_cast<std::int16_t>(field);
      record_->FxdParams.LossThreshold = static_cast<std::uint16_t>(field);
      record_->FxdParams.EndOfFibreThreshold = static_cast<std::uint16_t>(field);
      record_->FxdParams.GroupIndex = 140000 + field;
      const SorFxdParams read = record_->FxdParams;
      FibreParamsRecord shown{};
      BuildFibreParams(kSorFileKind, *record_, shown, 0.0);
      StoreDisplayEditsToSor(*record_, shown, 1, 0, {}, 0);
      ASSERT_TRUE(SameBytes(record_->FxdParams, read)) << "field " << field << ", mode " << mode;
    }
  }
}

TEST_F(StoreDisplayEditsTest, NothingChangesWithoutAReanalysisAndKeepKeepsTheParameters) {
  const auto before = std::make_unique<SorRecord>(*record_);
  std::array<EventRow, 1> rows{};
  rows[0].Type = kEventEnd;
  record_->KeyEvents.KeyEventCount = 1;
  record_->KeyEvents.Events.resize(1);
  SetSorText(record_->KeyEvents.Events[0].EventCode, std::string_view("0F9999"));
  const auto withCode = std::make_unique<SorRecord>(*record_);
  StoreDisplayEditsToSor(*record_, params_, 0, 0, rows, 1);
  EXPECT_TRUE(SameBytes(*record_, *withCode));

  StoreDisplayEditsToSor(*record_, params_, 1, 1, rows, 1);
  EXPECT_EQ(record_->FxdParams.GroupIndex, before->FxdParams.GroupIndex);
  EXPECT_EQ(std::u16string(SorTextView(record_->KeyEvents.Events[0].EventCode)), u"0E9999");
}

TEST_F(StoreDisplayEditsTest, EventCodesFollowTheRowTypes) {
  struct Case {
    std::int32_t type;
    std::int32_t origin;
    const char* before;
    const char16_t* after;
  };
  const Case cases[] = {
      {kEventEnd, kOriginAnalysis, "1F9999", u"1E9999"},
      {kEventReflective, kOriginAnalysis, "0A9999", u"1F9999"},
      {kEventReflective, kOriginAnalysis, "2F9999", u"2F9999"},
      {kEventReflective, kOriginUserAdded, "0A9999", u"1A9999"},
      {kEventNonReflective, kOriginAnalysis, "1F9999", u"0F9999"},
      {kEventLaunch, kOriginAnalysis, "1F9999", u"1F9999"},
      {kEventOutOfRange, kOriginAnalysis, "0O9999", u"0O9999"},
  };
  std::vector<EventRow> rows;
  for (const Case& c : cases) {
    EventRow row{};
    row.Type = c.type;
    row.Origin = c.origin;
    SetSorText(record_->KeyEvents.Events.emplace_back().EventCode, std::string_view(c.before));
    ++record_->KeyEvents.KeyEventCount;
    rows.push_back(row);
  }
  StoreDisplayEditsToSor(*record_, params_, 1, 0, rows, static_cast<std::int32_t>(rows.size()));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(std::u16string(SorTextView(record_->KeyEvents.Events[i].EventCode)), cases[i].after);
  }
}

TEST(HasSorExtensionTest, ComparesTheFourCharactersIgnoringCase) {
  EXPECT_TRUE(HasSorExtension("/t/a.sor"));
  EXPECT_TRUE(HasSorExtension("/t/A.SOR"));
  EXPECT_FALSE(HasSorExtension("/t/asor"));
  EXPECT_FALSE(HasSorExtension("/t/a.sor.bak"));
  EXPECT_FALSE(HasSorExtension(""));
}

class SaveCommandTest : public DocSaveFixture {
 protected:
  void SetUp() override {
    DocSaveFixture::SetUp();
    env_.chooseSaveAsPath = [this]() -> std::optional<SaveAsChoice> {
      ++dialogs_;
      return choice_;
    };
    env_.saveViewAsBmp = [this](const std::string& path) {
      pictures_.push_back(path);
      return true;
    };
    // What the screen shows: moved markers, three events with their losses.
    doc_->m_MarkerState.MarkerA = 120;
    doc_->m_MarkerState.MarkerB = 1500;
    doc_->m_nEventCount = 3;
    doc_->m_EventRows[0].CumulativeLoss = kMissingValue;
    doc_->m_EventRows[1].CumulativeLoss = 1.25f;
    doc_->m_EventRows[2].CumulativeLoss = 3.5f;
    doc_->m_EventRows[1].Type = kEventNonReflective;
    doc_->m_EventRows[2].Type = kEventEnd;
    doc_->m_FibreParams.GroupIndex = 1.4682f;
    doc_->m_FibreParams.Backscatter = -50.0f;
    doc_->SetModifiedFlag(true);
  }

  /// The original record with what a save must change, set field by field.
  std::unique_ptr<SorRecord> ExpectedAfterSave() {
    auto expected = Reload(path_);
    expected->UserName.StoredCursorA = 120;
    expected->UserName.StoredCursorB = 1500;
    expected->UserName.StoredLossCount = 3;
    std::fill(std::begin(expected->UserName.EventLossTable), std::end(expected->UserName.EventLossTable), 0);
    expected->UserName.EventLossTable[1] = 1250;
    expected->UserName.EventLossTable[2] = 3500;
    return expected;
  }

  SaveEnvironment env_;
  std::optional<SaveAsChoice> choice_;
  int dialogs_ = 0;
  std::vector<std::string> pictures_;
};

TEST_F(SaveCommandTest, SaveWritesWhatTheScreenShowsAndClearsTheModifiedFlag) {
  const auto expected = ExpectedAfterSave();
  ASSERT_TRUE(OnFileSave(*doc_, env_));
  EXPECT_FALSE(doc_->IsModified());
  EXPECT_EQ(dialogs_, 0);
  EXPECT_EQ(doc_->m_strSavePath, path_);
  const auto saved = Reload(path_);
  // The map and the checksum are the writer's; the source is the file now on disk.
  expected->Map = saved->Map;
  expected->Cksum = saved->Cksum;
  expected->Source = saved->Source;
  EXPECT_TRUE(SameBytes(*saved, *expected));
  // The document's record now holds what the file holds.
  EXPECT_EQ(doc_->m_SorRecord.UserName.StoredCursorB, 1500);
  EXPECT_EQ(doc_->m_SorRecord.UserName.EventLossTable[2], 3500);
  EXPECT_TRUE(sink_.messages().empty());
}

TEST_F(SaveCommandTest, AfterAReanalysisSaveAlsoWritesTheFibreParametersAndEventTypes) {
  doc_->m_bReanalysed = 1;
  ASSERT_TRUE(OnFileSave(*doc_, env_));
  const auto saved = Reload(path_);
  EXPECT_EQ(saved->FxdParams.GroupIndex, 146820);
  EXPECT_EQ(saved->FxdParams.Backscatter, 800);
  EXPECT_EQ(saved->KeyEvents.Events[1].EventCode[0], u'0');
  EXPECT_EQ(saved->KeyEvents.Events[2].EventCode[1], u'E');
}

TEST_F(SaveCommandTest, AReanalysisOfAnotherTraceIsNotWrittenIntoThisOne) {
  doc_->m_bReanalysed = 1;  // the trace shown until now was reanalysed, then another is opened
  lumivane::test::SampleSorSpec spec;
  spec.foreignBlock = "AcmeTrace 01";
  const Bytes other = lumivane::test::MakeSampleSorV2(spec);
  const std::string otherPath = dir_.WriteFile("Trace B.sor", other);
  ASSERT_EQ(doc_->OpenTraceFile(otherPath, 0, doc_->m_SorRecord), 1);
  LoadDisplayModel(kSorFileKind, doc_->m_SorRecord, {}, doc_->DisplayModelMembers());
  ASSERT_TRUE(OnFileSave(*doc_, env_));
  const Bytes saved = TempDir::ReadFile(otherPath);
  // Everything but this system's own blocks, the map and the checksum is the file as it was.
  const auto blocksOf = [](const Bytes& image) {
    std::vector<std::pair<std::string, Bytes>> blocks;
    for (const SorMappedBlock& b : ReadSorMapLayout(image).blocks) {
      if (b.name == "UserName" || b.name == "Cksum") continue;
      blocks.emplace_back(b.name, Bytes(image.begin() + b.offset, image.begin() + b.offset + b.size));
    }
    return blocks;
  };
  EXPECT_EQ(blocksOf(saved), blocksOf(other));
  EXPECT_EQ(doc_->m_bReanalysed, 0);
}

TEST_F(SaveCommandTest, SaveAndReopenAgainAndAgainChangesNoValue) {
  const auto first = Reload(path_);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(doc_->OpenTraceFile(path_, 0, doc_->m_SorRecord), 1);
    LoadDisplayModel(kSorFileKind, doc_->m_SorRecord, {}, doc_->DisplayModelMembers());
    ApplyStoredLossTotals(doc_->m_SorRecord, doc_->m_EventRows, doc_->m_nEventCount);
    ASSERT_TRUE(OnFileSave(*doc_, env_));
    const auto saved = Reload(path_);
    EXPECT_TRUE(SameBytes(saved->KeyEvents, first->KeyEvents));
    EXPECT_TRUE(SameBytes(saved->FxdParams, first->FxdParams));
    EXPECT_TRUE(SameBytes(saved->GenParams, first->GenParams));
  }
  const auto last = Reload(path_);
  ASSERT_EQ(doc_->OpenTraceFile(path_, 0, doc_->m_SorRecord), 1);
  LoadDisplayModel(kSorFileKind, doc_->m_SorRecord, {}, doc_->DisplayModelMembers());
  ASSERT_TRUE(OnFileSave(*doc_, env_));
  EXPECT_TRUE(SameBytes(Reload(path_)->UserName, last->UserName)) << "the stored losses settle after one save";
}

TEST_F(SaveCommandTest, ARevision1TraceOfMoreSamplesThanShownIsSavedWholeAndStillSaysSo) {
  constexpr int kPoints = 90000;
  const std::string path = dir_.WriteFile("Long.sor", lumivane::test::MakeSampleSorV1({.points = kPoints}));
  const std::vector<std::string> cut = {g_CurrentStrings[TextRow::TracePointsCut]};
  ASSERT_EQ(doc_->OpenTraceFile(path, 0, doc_->m_SorRecord), 1);
  EXPECT_EQ(sink_.MessageTexts(), cut);
  LoadDisplayModel(kSorFileKind, doc_->m_SorRecord, {}, doc_->DisplayModelMembers());
  ASSERT_TRUE(OnFileSave(*doc_, env_));
  const Bytes saved = TempDir::ReadFile(path);
  const SorMapLayout layout = ReadSorMapLayout(saved);
  ASSERT_NE(layout.Listed("DataPts"), nullptr);
  // Identifier, total count, trace count, the trace's count and scale, and every sample.
  EXPECT_EQ(layout.Listed("DataPts")->size, 8 + 4 + 2 + 4 + 2 + 2 * kPoints);
  sink_.Clear();
  ASSERT_EQ(doc_->OpenTraceFile(path, 0, doc_->m_SorRecord), 1);
  EXPECT_EQ(sink_.MessageTexts(), cut);
  EXPECT_EQ(doc_->m_SorRecord.DataPts.Traces[0].PointCount, kSorMaxSamples);
}

TEST_F(SaveCommandTest, AFailedWriteKeepsTheFileTheRecordAndTheModifiedFlag) {
  struct Case {
    const char* what;
    void (*spoil)(SorRecord&);
  };
  const Case cases[] = {
      {"larger than any trace file",
       [](SorRecord& r) {
         r.DataPts.TraceCount = kSorMaxTraces;
         for (SorTraceData& trace : r.DataPts.Traces) trace.PointCount = kSorMaxSamples;
       }},
      // A file the program would refuse to open again is no save.
      {"would not read back", [](SorRecord& r) { r.DataPts.Traces[0].PointCount = 0; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sink_.Clear();
    ASSERT_EQ(doc_->OpenTraceFile(path_, 0, doc_->m_SorRecord), 1);
    c.spoil(doc_->m_SorRecord);
    doc_->SetModifiedFlag(true);
    const auto before = std::make_unique<SorRecord>(doc_->m_SorRecord);
    EXPECT_FALSE(OnFileSave(*doc_, env_));
    EXPECT_TRUE(doc_->IsModified());
    EXPECT_EQ(TempDir::ReadFile(path_), fileBytes_);
    EXPECT_TRUE(SameBytes(doc_->m_SorRecord, *before));
    ASSERT_EQ(sink_.messages().size(), 1u);
    EXPECT_NE(sink_.messages()[0].text.find(path_), std::string::npos);
    // The save prompt hears of the failure and keeps the document open.
    BindSaveCommands(*doc_, env_);
    sink_.ScriptReplies({Reply::Yes});
    EXPECT_FALSE(doc_->SaveModified());
  }
}

TEST_F(SaveCommandTest, SaveOfAPathWithoutTheTraceEndingAsksForANameInstead) {
  const std::string other = dir_.WriteFile("Trace B.txt", fileBytes_);
  doc_->m_strTracePath = other;
  EXPECT_FALSE(OnFileSave(*doc_, env_));  // the dialog is cancelled
  EXPECT_EQ(dialogs_, 1);
  EXPECT_TRUE(doc_->IsModified());
  EXPECT_EQ(TempDir::ReadFile(other), fileBytes_);

  doc_->m_strTracePath.clear();
  choice_ = SaveAsChoice{dir_.Path("Untitled.SOR"), false};
  EXPECT_TRUE(OnFileSave(*doc_, env_));
  EXPECT_EQ(doc_->m_strTracePath, dir_.Path("Untitled.SOR"));
  EXPECT_FALSE(doc_->IsModified());
}

TEST_F(SaveCommandTest, SaveAsWritesTheNewFileAndMakesItTheDocumentsPath) {
  const auto expected = ExpectedAfterSave();
  choice_ = SaveAsChoice{dir_.Path("Copy B"), false};
  ASSERT_TRUE(OnFileSaveAs(*doc_, env_));
  const std::string written = dir_.Path("Copy B.sor");
  EXPECT_EQ(doc_->m_strTracePath, written);
  EXPECT_EQ(doc_->m_strSavePath, written);
  EXPECT_EQ(doc_->GetPathName(), written);
  EXPECT_EQ(doc_->MainTitle(), "Lumivane - [" + written + "]");
  EXPECT_FALSE(doc_->IsModified());
  const auto saved = Reload(written);
  expected->Map = saved->Map;
  expected->Cksum = saved->Cksum;
  expected->Source = saved->Source;
  EXPECT_TRUE(SameBytes(*saved, *expected));
  EXPECT_EQ(TempDir::ReadFile(path_), fileBytes_);
}

// Whichever command names the file, the same screen gives the same file: after a reanalysis Save As
// too stores the fibre parameters, thresholds and event types.
TEST_F(SaveCommandTest, SaveAsStoresWhatSaveStores) {
  doc_->m_FibreParams.ReflectanceThreshold = -56.0f;
  doc_->m_FibreParams.LossThreshold = 0.2f;
  const auto asOpened = std::make_unique<SorRecord>(doc_->m_SorRecord);
  for (const std::int32_t reanalysed : {0, 1}) {
    SCOPED_TRACE(reanalysed);
    doc_->m_SorRecord = *asOpened;
    doc_->m_bReanalysed = reanalysed;
    choice_ = SaveAsChoice{dir_.Path("Copy B.sor"), false};
    ASSERT_TRUE(OnFileSaveAs(*doc_, env_));
    EXPECT_EQ(doc_->m_bReanalysed, 0) << "the record holds the reanalysis now";

    dir_.WriteFile("Trace A.sor", fileBytes_);
    doc_->m_strTracePath = path_;
    doc_->m_SorRecord = *asOpened;
    doc_->m_bReanalysed = reanalysed;
    ASSERT_TRUE(OnFileSave(*doc_, env_));
    const Bytes savedAs = TempDir::ReadFile(dir_.Path("Copy B.sor"));
    EXPECT_EQ(lumivane::test::ImageDifference(savedAs, TempDir::ReadFile(path_)), "");
    const auto reread = Reload(dir_.Path("Copy B.sor"));
    EXPECT_EQ(reread->FxdParams.ReflectanceThreshold, reanalysed != 0 ? 56000 : asOpened->FxdParams.ReflectanceThreshold);
    EXPECT_EQ(reread->FxdParams.LossThreshold, reanalysed != 0 ? 200 : asOpened->FxdParams.LossThreshold);
    EXPECT_EQ(reread->FxdParams.GroupIndex, reanalysed != 0 ? 146820 : asOpened->FxdParams.GroupIndex);
  }
}

TEST_F(SaveCommandTest, SaveAsAsksBeforeReplacingAFileTheAddedEndingNames) {
  const std::string existing = dir_.WriteFile("Kept.sor", "not a trace");
  choice_ = SaveAsChoice{dir_.Path("Kept"), false};
  sink_.ScriptReplies({Reply::No});
  EXPECT_FALSE(OnFileSaveAs(*doc_, env_));
  ASSERT_EQ(sink_.questions().size(), 1u);
  EXPECT_EQ(TempDir::ReadFile(existing),
            std::vector<unsigned char>({'n', 'o', 't', ' ', 'a', ' ', 't', 'r', 'a', 'c', 'e'}));
  EXPECT_EQ(doc_->m_strTracePath, path_);
  EXPECT_TRUE(doc_->IsModified());

  sink_.ScriptReplies({Reply::Yes});
  EXPECT_TRUE(OnFileSaveAs(*doc_, env_));
  EXPECT_EQ(doc_->m_strTracePath, existing);
}

TEST_F(SaveCommandTest, SaveAsCancelledOrAsPictureLeavesTheDocumentAsItWas) {
  EXPECT_FALSE(OnFileSaveAs(*doc_, env_));
  choice_ = SaveAsChoice{dir_.Path("view"), true};
  EXPECT_FALSE(OnFileSaveAs(*doc_, env_));
  EXPECT_EQ(pictures_, std::vector<std::string>{dir_.Path("view")});
  EXPECT_EQ(doc_->m_strTracePath, path_);
  EXPECT_EQ(doc_->MainTitle(), "Lumivane - [" + path_ + "]");
  EXPECT_TRUE(doc_->IsModified());
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("view.sor")));
}

TEST_F(SaveCommandTest, SaveAsIntoAMissingFolderReportsAndRetargetsNothing) {
  choice_ = SaveAsChoice{dir_.Path("no such folder/b.sor"), false};
  EXPECT_FALSE(OnFileSaveAs(*doc_, env_));
  EXPECT_EQ(doc_->m_strTracePath, path_);
  EXPECT_EQ(doc_->GetPathName(), path_);
  EXPECT_TRUE(doc_->IsModified());
  EXPECT_EQ(sink_.messages().size(), 1u);
}

TEST_F(SaveCommandTest, EnableRulesFollowTheTraceTheFlagAndADraggedMarker) {
  BindSaveCommands(*doc_, env_);
  const DocumentCommands& commands = doc_->Commands();
  struct Case {
    bool trace;
    bool modified;
    int markerMoved;
    bool save;
  };
  for (const Case c : {Case{true, true, 0, true}, Case{true, false, 0, false}, Case{true, false, 1, true},
                       Case{false, true, 1, false}}) {
    SCOPED_TRACE(testing::Message() << c.trace << c.modified << c.markerMoved);
    doc_->m_strTracePath = c.trace ? path_ : std::string(NoFilePath);
    doc_->SetModifiedFlag(c.modified);
    g_DisplayState.MarkerMoved = c.markerMoved;
    EXPECT_EQ(commands.IsEnabled(CmdFileSave), c.save);
    EXPECT_EQ(commands.IsEnabled(CmdFileSaveAs), c.trace);
  }
  // Export has its rule here but its handler elsewhere: without the handler it stays greyed.
  doc_->m_strTracePath = path_;
  EXPECT_FALSE(commands.IsEnabled(CmdAsciiExport));
  EXPECT_TRUE(commands.IsEnabled(CmdPrint));
}

TEST_F(SaveCommandTest, ADraggedMarkerOnAnUnmodifiedDocumentIsSavedAsTheStoredCursor) {
  BindSaveCommands(*doc_, env_);
  doc_->SetModifiedFlag(false);
  g_DisplayState.MarkerMoved = 1;
  ASSERT_TRUE(doc_->Commands().Execute(CmdFileSave));
  EXPECT_EQ(Reload(path_)->UserName.StoredCursorA, 120);
}

}  // namespace
