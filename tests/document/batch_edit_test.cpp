#include "document/batch_edit.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "docsave_fixture.h"
#include "document/trace_file_bytes.h"
#include "sor/sor_map_layout.h"
#include "sor/sor_text.h"
#include "sor/sor_writer.h"
#include "sor_test_util.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::DocSaveFixture;
using lumivane::test::SameBytes;
using lumivane::test::TempDir;

TEST(ListFolderTraceFilesTest, ListsFilesEndingExactlyInSorOrSORIgnoringCaseInOrder) {
  TempDir dir;
  for (const char* name : {"gamma.sor", "c.Sor", "Alpha.SOR", "d.txt", "beta.sor", "e.sOR"}) dir.WriteFile(name, "x");
  std::filesystem::create_directory(dir.Path("folder.sor"));
  EXPECT_EQ(ListFolderTraceFiles(dir.path().string()),
            (std::vector<std::string>{"Alpha.SOR", "beta.sor", "gamma.sor"}));
  EXPECT_TRUE(ListFolderTraceFiles(dir.Path("missing")).empty());
}

TEST(IsValidTraceFileTest, AcceptsWholeRevision2TraceFilesOfTheRightSizeWhateverTheirChecksum) {
  TempDir dir;
  const Bytes good = lumivane::test::MakeSampleSorV2();
  Bytes otherChecksum = good;
  otherChecksum.back() ^= 0x55;
  Bytes truncated = good;
  truncated.resize(good.size() - 100);
  Bytes map250(250, 0);
  std::copy_n("Map", 3, map250.begin());
  struct Case {
    const char* name;
    Bytes bytes;
    int valid;
  };
  const Case cases[] = {
      {"good.sor", good, 1},
      {"GOOD.SOR", good, 1},
      {"good.txt", good, 0},
      {"another maker's checksum.sor", otherChecksum, 1},
      {"blocks past the end.sor", truncated, 0},
      {"revision 1.sor", lumivane::test::MakeSampleSorV1(), 0},
      {"short.sor", Bytes(199, 'M'), 0},
      {"map250.sor", map250, 0},
      {"huge.sor", Bytes(MaxTraceFileSize + 1, 0), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsValidTraceFile(dir.WriteFile(c.name, c.bytes)), c.valid);
  }
  EXPECT_EQ(IsValidTraceFile(dir.Path("missing.sor")), 0);
  std::filesystem::create_directory(dir.Path("folder.sor"));
  EXPECT_EQ(IsValidTraceFile(dir.Path("folder.sor")), 0);
}

TEST(BatchFieldEditsTest, FiberIdTextAndNumberCombineAsChosen) {
  struct Case {
    bool fiberIdBox;
    bool numbering;
    const char16_t* expected;
  };
  const Case cases[] = {
      {true, true, u"CAB7 6"},
      {false, true, u"6"},
      {true, false, u"CAB7 "},
      {false, false, u"old id"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fiberIdBox << c.numbering);
    auto record = std::make_unique<SorRecord>();
    SetSorText(record->GenParams.FiberId, std::string_view("old id"));
    BatchEditSpec spec;
    spec.changeFiberId = c.fiberIdBox;
    spec.numberFibers = c.numbering;
    spec.fiberId = u"CAB7";
    ApplyBatchFieldEdits(*record, spec, 6);
    EXPECT_EQ(SorTextView(record->GenParams.FiberId), c.expected);
  }
}

class BatchEditRunTest : public DocSaveFixture {
 protected:
  void SetUp() override {
    DocSaveFixture::SetUp();
    folder_ = dir_.Path("batch");
    std::filesystem::create_directory(folder_);
    const Bytes file = lumivane::test::MakeSampleSorV2();
    // Files written by the program itself, so that an unchanged field is an unchanged byte.
    const auto record = std::make_unique<SorRecord>();
    ASSERT_EQ(ReadSorImage(file, *record), SorReadResult::kOk);
    record->GenParams.FiberType = 654;
    for (const char* name : {"a.sor", "b.sor", "c.sor"}) {
      ASSERT_EQ(WriteSorFile(*record, folder_ + "/" + name), SorWriteResult::kOk);
    }
    original_ = TempDir::ReadFile(folder_ + "/a.sor");
    docRecord_ = std::make_unique<SorRecord>(doc_->m_SorRecord);
    doc_->SetModifiedFlag(false);
  }

  /// The image a file must hold after the batch: the original with the fields set by hand.
  /// A null text keeps the field.
  std::vector<std::uint8_t> Expected(const char16_t* fiberId, const char16_t* operatorName) {
    auto record = std::make_unique<SorRecord>();
    EXPECT_EQ(ReadSorImage(original_, *record), SorReadResult::kOk);
    if (fiberId != nullptr) SetSorText(record->GenParams.FiberId, std::u16string_view(fiberId));
    if (operatorName != nullptr) SetSorText(record->GenParams.Operator, std::u16string_view(operatorName));
    return lumivane::test::Assemble(*record);
  }

  std::string folder_;
  std::vector<unsigned char> original_;
  std::unique_ptr<SorRecord> docRecord_;
};

TEST_F(BatchEditRunTest, OnlyTheChosenFieldsChangeAndTheCurrentTraceIsUntouched) {
  BatchEditSpec spec;
  spec.changeFiberId = true;
  spec.numberFibers = true;
  spec.changeOperator = true;
  spec.changeFibreType = true;  // with no type chosen: every file keeps its own
  spec.fiberId = u"CAB7";
  spec.operatorName = u"Night shift";
  spec.startingNumber = 5;
  const auto failures = RunBatchEdit(*doc_, folder_, {"a.sor", "b.sor", "c.sor"}, spec);
  EXPECT_TRUE(failures.empty());
  const char16_t* ids[] = {u"CAB7 5", u"CAB7 6", u"CAB7 7"};
  const char* names[] = {"a.sor", "b.sor", "c.sor"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(names[i]);
    const auto written = TempDir::ReadFile(folder_ + "/" + names[i]);
    EXPECT_EQ(lumivane::test::ImageDifference(written, Expected(ids[i], u"Night shift")), "");
  }
  EXPECT_TRUE(SameBytes(doc_->m_SorRecord, *docRecord_));
  EXPECT_EQ(doc_->m_strTracePath, path_);
  EXPECT_FALSE(doc_->IsModified());
  EXPECT_TRUE(sink_.messages().empty());
}

TEST_F(BatchEditRunTest, AFileWithAnotherMakersChecksumIsEditedAndKeepsTheirBlocks) {
  lumivane::test::SampleSorSpec foreign;
  foreign.userVer = 0;
  foreign.withVendor = false;
  foreign.comment = std::string(120, 'k');
  foreign.foreignBlock = "AcmeTrace 01";
  Bytes file = lumivane::test::MakeSampleSorV2(foreign);
  file.back() ^= 0x5A;  // a checksum in a convention of its own
  const std::string path = dir_.WriteFile("batch/foreign.sor", file);
  ASSERT_EQ(IsValidTraceFile(path), 1);
  BatchEditSpec spec;
  spec.changeOperator = true;
  spec.operatorName = u"Night shift";
  EXPECT_TRUE(RunBatchEdit(*doc_, folder_, {"foreign.sor"}, spec).empty());
  const Bytes written = TempDir::ReadFile(path);
  EXPECT_EQ(VerifySorChecksum(written), SorChecksumStatus::kAllButChecksumValue);
  const auto blocks = [](const Bytes& image) {
    std::vector<std::pair<std::string, Bytes>> found;
    for (const SorMappedBlock& b : ReadSorMapLayout(image).blocks) {
      found.emplace_back(b.name, Bytes(image.begin() + b.offset, image.begin() + b.offset + b.size));
    }
    return found;
  };
  const auto before = blocks(file);
  const auto after = blocks(written);
  for (const auto& [name, bytes] : before) {
    if (name == "Cksum") continue;
    const auto it = std::find_if(after.begin(), after.end(), [&](const auto& b) { return b.first == name; });
    ASSERT_NE(it, after.end()) << name;
    if (name != "GenParams") {
      EXPECT_EQ(it->second, bytes) << name;
    }
  }
  auto record = std::make_unique<SorRecord>();
  ASSERT_EQ(ReadSorImage(written, *record), SorReadResult::kOk);
  EXPECT_EQ(SorTextView(record->GenParams.Operator), u"Night shift");
  const Bytes& gen = after[0].second;
  const std::string comment = foreign.comment + '\0';
  EXPECT_NE(std::search(gen.begin(), gen.end(), comment.begin(), comment.end()), gen.end()) << "comment kept whole";
}

TEST_F(BatchEditRunTest, AFileThatCannotBeReadIsReportedUntouchedAndStillUsesItsNumber) {
  const std::string broken = dir_.WriteFile("batch/b.sor", "not a trace file at all");
  const auto brokenBytes = TempDir::ReadFile(broken);
  BatchEditSpec spec;
  spec.numberFibers = true;
  spec.startingNumber = 5;
  const auto failures = RunBatchEdit(*doc_, folder_, {"a.sor", "b.sor", "c.sor"}, spec);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].name, "b.sor");
  EXPECT_EQ(TempDir::ReadFile(broken), brokenBytes);
  EXPECT_EQ(TempDir::ReadFile(folder_ + "/c.sor"), Expected(u"7", nullptr));
  EXPECT_EQ(BatchEditSummary(failures, 3), "1 of 3 files were not changed:\nb.sor: is not a valid trace file");
  EXPECT_EQ(BatchEditSummary({}, 3), "");
}

TEST_F(BatchEditRunTest, AFileThatWouldGrowPastTheLargestTraceFileIsReportedUntouched) {
  // A file just under the size limit: a longer text would make it too large to write.
  auto record = std::make_unique<SorRecord>();
  ASSERT_EQ(ReadSorImage(original_, *record), SorReadResult::kOk);
  const std::vector<std::uint8_t> image = lumivane::test::Assemble(*record);
  // Samples fill the room, in a second trace once the first is full (6 bytes of trace header).
  std::int32_t room = (MaxTraceFileSize - static_cast<std::int32_t>(image.size())) / 2 - 8;
  SorDataPts& data = record->DataPts;
  const std::int32_t first = std::min(room, kSorMaxSamples - data.Traces[0].PointCount);
  data.Traces[0].PointCount += first;
  room -= first;
  ASSERT_EQ(data.TraceCount, 1);
  data.TraceCount = 2;
  data.Traces[1].PointCount = room;
  data.Traces[1].ScaleFactor = 1000;
  const std::string big = folder_ + "/big.sor";
  ASSERT_EQ(WriteSorFile(*record, big), SorWriteResult::kOk);
  const auto bigBytes = TempDir::ReadFile(big);
  ASSERT_LE(bigBytes.size(), static_cast<std::size_t>(MaxTraceFileSize));
  ASSERT_GT(bigBytes.size() + 40, static_cast<std::size_t>(MaxTraceFileSize));
  BatchEditSpec spec;
  spec.changeOperator = true;
  spec.operatorName = std::u16string(50, u'o');
  const auto failures = RunBatchEdit(*doc_, folder_, {"big.sor", "a.sor"}, spec);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].name, "big.sor");
  EXPECT_EQ(TempDir::ReadFile(big), bigBytes);
  EXPECT_EQ(TempDir::ReadFile(folder_ + "/a.sor"), Expected(nullptr, std::u16string(50, u'o').c_str()));
}

}  // namespace
