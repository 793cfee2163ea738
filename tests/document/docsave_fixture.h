#pragma once
// A document showing a generated trace file in a temporary folder, with the messages recorded.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_display_model.h"
#include "document/trace_preview.h"
#include "recording_message_sink.h"
#include "sor_image_builder.h"
#include "temp_dir.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace lumivane::test {

class DocSaveFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
    ResetLengthUnit();
    ResetPreviewUnitNames();
    ResetDisplayState();
    ResetWorkTrace();
    g_FileUnitName = "km";
    fileBytes_ = MakeSampleSorV2();
    path_ = dir_.WriteFile("Trace A.sor", fileBytes_);
    ASSERT_EQ(doc_->OpenTraceFile(path_, 0, doc_->m_SorRecord), 1);
    sink_.Clear();
  }

  /// The record a file holds now, read back with the program's own loader.
  std::unique_ptr<SorRecord> Reload(const std::string& path) {
    auto record = std::make_unique<SorRecord>();
    EXPECT_EQ(doc_->LoadTraceFile(path, 0, *record), 1);
    return record;
  }

  TempDir dir_;
  RecordingMessageSink sink_;
  ScopedMessageSink installed_{sink_};
  std::unique_ptr<COtdrDoc> doc_ = std::make_unique<COtdrDoc>();
  Bytes fileBytes_;
  std::string path_;
};

}  // namespace lumivane::test
