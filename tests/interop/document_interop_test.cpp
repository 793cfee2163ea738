#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/text_table.h"
#include "document/otdr_doc.h"
#include "document/sor_reader.h"
#include "platform/path_util.h"
#include "recording_message_sink.h"
#include "sample_files.h"
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

}  // namespace
