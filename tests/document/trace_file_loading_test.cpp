#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/otdr_doc.h"
#include "document/trace_display_model.h"
#include "recording_message_sink.h"
#include "sor/sor_block_parsers.h"
#include "sor_image_builder.h"
#include "sor_test_util.h"
#include "temp_dir.h"
#include "unprivileged_child.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::RecordingMessageSink;
using lumivane::test::TempDir;

bool SameRecord(const SorRecord& a, const SorRecord& b) { return lumivane::test::SameBytes(a, b); }

Bytes PaddedTo(Bytes bytes, std::size_t size) {
  bytes.resize(size, 0);
  return bytes;
}

Bytes ShortMapOfNoBlock() {
  Bytes bytes(299, 0);
  std::memcpy(bytes.data(), "Map", 3);
  lumivane::test::PatchU16(bytes, 4, 200);  // revision 2.00
  lumivane::test::PatchU32(bytes, 6, 12);   // a map of no entry
  return bytes;
}

Bytes WithFlippedByte(Bytes bytes, std::size_t at) {
  bytes.at(at) ^= 0x5A;
  return bytes;
}

class TraceFileLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
    // Every case starts from a document that already shows a trace, to see what a failure leaves.
    originalBytes_ = lumivane::test::MakeSampleSorV2();
    originalPath_ = dir_.WriteFile("Original Trace.sor", originalBytes_);
    ASSERT_EQ(doc_->OpenTraceFile(originalPath_, 0, doc_->m_SorRecord), 1);
    *originalRecord_ = doc_->m_SorRecord;
    sink_.Clear();
  }

  // The document still shows the original trace, untouched.
  void ExpectOriginalKept() {
    EXPECT_EQ(doc_->m_strTracePath, originalPath_);
    EXPECT_EQ(doc_->GetPathName(), originalPath_);
    EXPECT_EQ(doc_->MainTitle(), "Lumivane - [" + originalPath_ + "]");
    EXPECT_EQ(doc_->m_nFileLength, static_cast<std::int32_t>(originalBytes_.size()));
    EXPECT_TRUE(std::equal(originalBytes_.begin(), originalBytes_.end(), doc_->m_SorRecord.Source.Bytes.begin()));
    EXPECT_TRUE(SameRecord(doc_->m_SorRecord, *originalRecord_));
  }

  TempDir dir_;
  std::unique_ptr<COtdrDoc> doc_ = std::make_unique<COtdrDoc>();
  std::unique_ptr<SorRecord> originalRecord_ = std::make_unique<SorRecord>();
  Bytes originalBytes_;
  std::string originalPath_;
  RecordingMessageSink sink_;
  lumivane::ScopedMessageSink scoped_{sink_};
};

TEST_F(TraceFileLoading, GoodFilesBecomeTheCurrentTrace) {
  struct Case { const char* name; Bytes bytes; std::int32_t points; };
  const Case cases[] = {
      {"rev2.sor", lumivane::test::MakeSampleSorV2({.points = 1500}), 1500},
      {"rev1.sor", lumivane::test::MakeSampleSorV1({.points = 1200}), 1200},
      {"largest.sor", PaddedTo(lumivane::test::MakeSampleSorV2({.points = 900}), MaxTraceFileSize), 900},
      // The checksum is not the open's business; only lists of files to edit check it.
      {"bad crc.sor", WithFlippedByte(lumivane::test::MakeSampleSorV2({.points = 700}), 400), 700},
      {"Upper/CASE.SOR", lumivane::test::MakeSampleSorV2({.points = 600}), 600},
  };
  std::filesystem::create_directory(dir_.path() / "Upper");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sink_.Clear();
    const std::string path = dir_.WriteFile(c.name, c.bytes);
    ASSERT_EQ(doc_->OpenTraceFile(path, 0, doc_->m_SorRecord), 1);
    EXPECT_TRUE(sink_.messages().empty());
    // The path keeps its case everywhere: it is the file Save will write.
    EXPECT_EQ(doc_->m_strTracePath, path);
    EXPECT_EQ(doc_->GetPathName(), path);
    EXPECT_EQ(doc_->MainTitle(), "Lumivane - [" + path + "]");
    EXPECT_EQ(doc_->m_nFileLength, static_cast<std::int32_t>(c.bytes.size()));
    EXPECT_TRUE(std::equal(c.bytes.begin(), c.bytes.end(), doc_->m_SorRecord.Source.Bytes.begin()));
    EXPECT_EQ(doc_->m_SorRecord.DataPts.Traces[0].PointCount, c.points);
  }
}

TEST_F(TraceFileLoading, RefusedFilesShowTheirMessageAndChangeNothing) {
  Bytes wrongRevision = lumivane::test::SorImageBuilder()
                            .Block("GenParams").Fixed("EN", 2)
                            .Block("Cksum")
                            .BuildV2(100);
  wrongRevision.resize(400, 0);
  struct Case { std::string name; Bytes bytes; const char* message; };
  const Case cases[] = {
      {"empty.sor", {}, "Read file failed !"},
      {"too large.sor", PaddedTo(lumivane::test::MakeSampleSorV2(), MaxTraceFileSize + 1), "File too large !"},
      {"huge.sor", Bytes(1000000, 0x41), "File too large !"},
      {"wrong revision.sor", wrongRevision, "Version of file wrong !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sink_.Clear();
    const std::string path = dir_.WriteFile(c.name, c.bytes);
    EXPECT_EQ(doc_->OpenTraceFile(path, 0, doc_->m_SorRecord), 0);
    EXPECT_EQ(sink_.MessageTexts(), (std::vector<std::string>{c.message}));
    ExpectOriginalKept();
  }
}

TEST_F(TraceFileLoading, AFileThatHoldsNoTraceIsRefusedAndChangesNothing) {
  std::string text;
  while (text.size() < 2000) text += "These are notes about the span, not a trace.\n";
  const Bytes noDataPts = lumivane::test::MakeSorV2WithBlock([](lumivane::test::SorImageBuilder& b) {
    b.Block("FxdParams").U32(1).Fixed("mt", 2);
  });
  struct Case { std::string name; Bytes bytes; };
  const Case cases[] = {
      {"notes.sor", Bytes(text.begin(), text.end())},
      // A short revision-2 file whose map lists no block.
      {"short.sor", ShortMapOfNoBlock()},
      {"no data points.sor", noDataPts},
      {"no points in the trace.sor", lumivane::test::MakeSampleSorV2({.points = 0})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sink_.Clear();
    const std::string path = dir_.WriteFile(c.name, c.bytes);
    EXPECT_EQ(doc_->OpenTraceFile(path, 0, doc_->m_SorRecord), 0);
    EXPECT_EQ(sink_.MessageTexts(), (std::vector<std::string>{g_CurrentStrings[TextRow::FileHoldsNoTrace]}));
    ExpectOriginalKept();
    EXPECT_EQ(doc_->LoadTraceFile(path, 0, g_WorkTrace.m_SorRecord), 0);
  }
}

TEST_F(TraceFileLoading, ADamagedOrCutFileOpensWithItsWarning) {
  Bytes truncated = lumivane::test::MakeSampleSorV2({.points = 3000});
  truncated.resize(truncated.size() / 2);  // inside the samples
  // Only the samples the file holds are read: the name, the total and trace counts, the trace's
  // point count and scale come first.
  const auto samplesAt = static_cast<std::size_t>(FindSorBlock(truncated, 154, "DataPts")) + 8 + 4 + 2 + 4 + 2;
  const auto samplesHeld = static_cast<std::int32_t>((truncated.size() - samplesAt) / 2);
  lumivane::test::SorImageBuilder many;
  many.Block("GenParams").Fixed("EN", 2).Text("").Text("").I16(652).I16(1550).Text("").Text("").Text("").Fixed("BC", 2);
  many.I32(0).I32(0).Text("").Text("");
  lumivane::test::AddSampleFxdParams(many, true, 90000);
  many.Block("DataPts").I32(90000).I16(1).I32(90000).I16(1000);
  for (int i = 0; i < 90000; ++i) many.U16(static_cast<std::uint16_t>(i));
  many.Block("Cksum");
  struct Case { std::string name; Bytes bytes; LangRow message; bool damaged; std::int32_t points; };
  const Case cases[] = {
      {"truncated.sor", truncated, TextRow::FileDamaged, true, samplesHeld},
      {"many points.sor", many.BuildV2(), TextRow::TracePointsCut, false, kSorMaxSamples},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    sink_.Clear();
    const std::string path = dir_.WriteFile(c.name, c.bytes);
    EXPECT_EQ(doc_->OpenTraceFile(path, 0, doc_->m_SorRecord), 1);
    EXPECT_EQ(sink_.MessageTexts(), (std::vector<std::string>{g_CurrentStrings[c.message]}));
    EXPECT_EQ(doc_->m_strTracePath, path);
    EXPECT_EQ(doc_->m_bFileDamaged, c.damaged);
    EXPECT_EQ(doc_->m_SorRecord.DataPts.Traces[0].PointCount, c.points);
  }
}

TEST_F(TraceFileLoading, OpeningAnotherTraceForgetsAReanalysis) {
  doc_->m_bReanalysed = 1;
  ASSERT_EQ(doc_->OpenTraceFile(dir_.WriteFile("b.sor", lumivane::test::MakeSampleSorV2()), 0, doc_->m_SorRecord), 1);
  EXPECT_EQ(doc_->m_bReanalysed, 0);
}

TEST_F(TraceFileLoading, PathsThatAreNoReadableFile) {
  std::filesystem::create_directory(dir_.path() / "folder.sor");
  // Nothing writes to the pipe: opening or reading it would wait for ever.
  ASSERT_EQ(mkfifo(dir_.Path("pipe.sor").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir_.Path("gone.sor"), dir_.path() / "dangling.sor");
  struct Case { std::string path; const char* message; };
  const Case cases[] = {
      {dir_.Path("missing.sor"), "Can't find file !"},
      {dir_.Path("no folder/missing.sor"), "Can't find file !"},
      {dir_.Path("dangling.sor"), "Can't find file !"},
      {"", "Can't find file !"},
      {dir_.Path("folder.sor"), "Type of file wrong !"},
      {dir_.Path("pipe.sor"), "Type of file wrong !"},
      // The file system cannot even say whether it exists: the open is tried and fails.
      {dir_.Path(std::string(300, 'n') + ".sor"), "Type of file wrong !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    sink_.Clear();
    EXPECT_EQ(doc_->OpenTraceFile(c.path, 0, doc_->m_SorRecord), 0);
    // A file that is not there is named.
    const std::string text = c.message;
    const std::string expected = text == "Can't find file !" ? text + "\n" + c.path : text;
    EXPECT_EQ(sink_.MessageTexts(), (std::vector<std::string>{expected}));
    ExpectOriginalKept();
  }
}

TEST_F(TraceFileLoading, AFileThatCannotBeOpenedIsTheWrongType) {
  if (lumivane::test::RanAsUnprivilegedChild()) return;
  const std::string path = dir_.WriteFile("locked.sor", lumivane::test::MakeSampleSorV2());
  std::filesystem::permissions(path, std::filesystem::perms::none);
  EXPECT_EQ(doc_->OpenTraceFile(path, 0, doc_->m_SorRecord), 0);
  EXPECT_EQ(sink_.MessageTexts(), (std::vector<std::string>{"Type of file wrong !"}));
  ExpectOriginalKept();
}

TEST_F(TraceFileLoading, ThePseudoPathOnlySetsTheTitle) {
  for (const char* path : {"space", "SPACE", "Space"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(doc_->OpenTraceFile(path, 0, doc_->m_SorRecord), 1);
    EXPECT_EQ(doc_->MainTitle(), "Lumivane - [ No use this name ]");
    EXPECT_EQ(doc_->m_strTracePath, originalPath_);
    EXPECT_TRUE(SameRecord(doc_->m_SorRecord, *originalRecord_));
    EXPECT_EQ(doc_->LoadTraceFile(path, 0, g_WorkTrace.m_SorRecord), 1);
  }
  EXPECT_TRUE(sink_.messages().empty());
}

TEST_F(TraceFileLoading, TheTitleListenerHearsEveryTitle) {
  std::vector<std::string> titles;
  doc_->SetTitleListener([&](const std::string& title) { titles.push_back(title); });
  doc_->OpenTraceFile("space", 0, doc_->m_SorRecord);
  doc_->OpenTraceFile(originalPath_, 0, doc_->m_SorRecord);
  EXPECT_EQ(titles, (std::vector<std::string>{"Lumivane - [ No use this name ]", "Lumivane - [" + originalPath_ + "]"}));
}

TEST_F(TraceFileLoading, LoadingIntoTheWorkTraceLeavesTheCurrentTraceAlone) {
  ResetWorkTrace();
  const Bytes other = lumivane::test::MakeSampleSorV2({.points = 321, .userVer = 0});
  const std::string path = dir_.WriteFile("Other.sor", other);
  ASSERT_EQ(doc_->LoadTraceFile(path, 0, g_WorkTrace.m_SorRecord), 1);
  EXPECT_TRUE(sink_.messages().empty());
  EXPECT_EQ(g_WorkTrace.m_SorRecord.DataPts.Traces[0].PointCount, 321);
  EXPECT_EQ(doc_->m_strTracePath, originalPath_);
  EXPECT_EQ(doc_->MainTitle(), "Lumivane - [" + originalPath_ + "]");
  EXPECT_TRUE(SameRecord(doc_->m_SorRecord, *originalRecord_));
  // The file image is shared: it now holds the file last read.
  EXPECT_EQ(doc_->m_nFileLength, static_cast<std::int32_t>(other.size()));

  // A failed load keeps what the work trace held.
  EXPECT_EQ(doc_->LoadTraceFile(dir_.Path("missing.sor"), 0, g_WorkTrace.m_SorRecord), 0);
  EXPECT_EQ(sink_.MessageTexts(), (std::vector<std::string>{"Can't find file !\n" + dir_.Path("missing.sor")}));
  EXPECT_EQ(g_WorkTrace.m_SorRecord.DataPts.Traces[0].PointCount, 321);
  ResetWorkTrace();
}

}  // namespace
