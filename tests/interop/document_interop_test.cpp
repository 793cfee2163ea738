#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vocabulary/text_table.h"
#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/otdr_doc.h"
#include "trace/trace_conversions.h"
#include "document/trace_save.h"
#include "sor/sor_reader.h"
#include "platform/path_util.h"
#include "recording_message_sink.h"
#include "kept_blocks.h"
#include "sample_files.h"
#include "temp_dir.h"
#include "sor_test_util.h"

namespace {

using lumivane::test::SampleSorFiles;

TEST(DocumentInterop, EveryFileOpensAsTheCurrentTrace) {
  SKIP_WITHOUT_SAMPLES();
  InitLanguageTable();
  SelectLanguage(BUILD_LANGUAGE);
  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped(sink);
  auto doc = std::make_unique<COtdrDoc>();
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    sink.Clear();
    const std::string path = lumivane::JoinPath(lumivane::test::SampleDir(), file.name);
    ASSERT_EQ(doc->OpenTraceFile(path, 0, doc->m_SorRecord), 1);
    EXPECT_TRUE(sink.messages().empty());
    EXPECT_EQ(doc->m_strTracePath, path);
    EXPECT_EQ(doc->m_nFileLength, static_cast<std::int32_t>(file.bytes.size()));
    // The open reads exactly what the reader makes of the file's bytes, nothing of the file before.
    auto direct = std::make_unique<SorRecord>();
    ASSERT_EQ(ReadSorImage(file.bytes, *direct), SorReadResult::kOk);
    EXPECT_TRUE(lumivane::test::SameBytes(*direct, doc->m_SorRecord));
  }
}

TEST(DocumentInterop, SaveAsOfAnOpenedFileKeepsEveryBlockAndEveryValue) {
  SKIP_WITHOUT_SAMPLES();
  InitLanguageTable();
  SelectLanguage(BUILD_LANGUAGE);
  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped(sink);
  lumivane::test::TempDir dir;
  auto doc = std::make_unique<COtdrDoc>();
  for (const auto& file : SampleSorFiles()) {
    SCOPED_TRACE(file.name);
    // Opened as the open path opens it: the display model writes what it derives into the record.
    const std::string path = lumivane::JoinPath(lumivane::test::SampleDir(), file.name);
    ASSERT_EQ(doc->OpenTraceFile(path, 0, doc->m_SorRecord), 1);
    LoadDisplayModel(kSorFileKind, doc->m_SorRecord, {}, doc->DisplayModelMembers());
    ApplyStoredLossTotals(doc->m_SorRecord, doc->m_EventRows, doc->m_nEventCount);
    const std::string copy = dir.Path(file.name);
    SaveEnvironment env;
    env.chooseSaveAsPath = [&] { return std::optional<SaveAsChoice>(SaveAsChoice{copy, false}); };
    ASSERT_TRUE(OnFileSaveAs(*doc, env));
    const auto written = lumivane::test::TempDir::ReadFile(copy);
    EXPECT_EQ(lumivane::test::BlocksNotKept(file.bytes, written), std::vector<std::string>{});

    auto before = std::make_unique<SorRecord>();
    auto after = std::make_unique<SorRecord>();
    ASSERT_EQ(ReadSorImage(file.bytes, *before), SorReadResult::kOk);
    ASSERT_EQ(ReadSorImage(written, *after), SorReadResult::kOk);
    EXPECT_TRUE(lumivane::test::SameBytes(before->KeyEvents, after->KeyEvents));
    EXPECT_TRUE(lumivane::test::SameBytes(before->FxdParams, after->FxdParams));
    EXPECT_TRUE(lumivane::test::SameBytes(before->DataPts, after->DataPts));
    EXPECT_TRUE(sink.messages().empty());
  }
}

}  // namespace
