#pragma once
// Tests of the header preview: English texts, the preview's unit names reset before and after each
// test, and a folder for the files previewed.
#include <gtest/gtest.h>

#include "document/trace_preview.h"
#include "temp_dir.h"
#include "vocabulary/text_table.h"

namespace lumivane::test {

class PreviewFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    ResetPreviewUnitNames();
  }
  void TearDown() override { ResetPreviewUnitNames(); }

  TempDir dir_;
};

}  // namespace lumivane::test
