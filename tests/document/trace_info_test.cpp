#include "document/trace_info.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "docsave_fixture.h"
#include "sor/sor_text.h"
#include "sor/sor_writer.h"
#include "sor_test_util.h"

namespace {

using lumivane::test::DocSaveFixture;
using lumivane::test::SameBytes;

TEST(TraceInfoTextTest, TextsBecomeFileBytes) {
  struct Case {
    const char16_t* typed;
    const char16_t* stored;
  };
  const Case cases[] = {
      {u"Route 7", u"Route 7"},
      {u"M\u00fcller", u"M\u00fcller"},        // Latin-1 stays one byte
      {u"\u0141\u00f3d\u017a", u"?\u00f3d?"},  // above U+00FF: '?', never a zero byte
      {u"a\U0001F600b", u"a?b"},               // a surrogate pair is one character
      {u"", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::u16string(c.typed).size());
    EXPECT_EQ(ToFileBytes(c.typed), c.stored);
  }
}

TEST(TraceInfoTextTest, FibreTypesMapBothWaysAndUnknownTypesHaveNoPosition) {
  const std::int16_t codes[] = {651, 652, 653, 655};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(FibreTypeIndexOfCode(codes[i]), i);
    EXPECT_EQ(FibreTypeCodeOfIndex(i), codes[i]);
  }
  EXPECT_EQ(FibreTypeIndexOfCode(654), kNoFibreTypeIndex);
  EXPECT_EQ(FibreTypeIndexOfCode(0), kNoFibreTypeIndex);
  EXPECT_FALSE(FibreTypeCodeOfIndex(kNoFibreTypeIndex).has_value());
  EXPECT_FALSE(FibreTypeCodeOfIndex(4).has_value());
}

TEST(TraceInfoStoreTest, TextsAreCutTo100CharactersAndAnUnlistedFibreTypeIsKept) {
  auto record = std::make_unique<SorRecord>();
  record->GenParams.FiberType = 654;
  TraceInfoFields fields = ReadTraceInfo(*record);
  EXPECT_EQ(fields.fibreTypeIndex, kNoFibreTypeIndex);
  fields.operatorName = std::u16string(150, u'x');
  fields.customer = u"Customer \u4e2d";
  StoreTraceInfo(*record, fields);
  EXPECT_EQ(record->GenParams.FiberType, 654);
  EXPECT_EQ(SorTextView(record->GenParams.Operator), std::u16string(100, u'x'));
  EXPECT_EQ(SorTextView(record->NorvalexParams.Customer), u"Customer ?");

  fields.fibreTypeIndex = 3;
  StoreTraceInfo(*record, fields);
  EXPECT_EQ(record->GenParams.FiberType, 655);
}

class TraceInfoFileTest : public DocSaveFixture {};

TEST_F(TraceInfoFileTest, StoredTextsReadBackFromTheFileAsStored) {
  TraceInfoFields fields = ReadTraceInfo(doc_->m_SorRecord);
  fields.cableId = u"C\u00e2ble 12";
  fields.fiberId = u"F-\u0100";
  fields.originatingLocation = u"Exchange";
  fields.terminatingLocation = u"Cabinet 4";
  fields.operatorName = u"J. Smith";
  fields.jobId = u"JOB-9";
  fields.customer = u"Acme";
  fields.fibreTypeIndex = 2;
  StoreTraceInfo(doc_->m_SorRecord, fields);
  ASSERT_EQ(WriteSorFile(doc_->m_SorRecord, path_), SorWriteResult::kOk);
  const auto saved = Reload(path_);
  const TraceInfoFields read = ReadTraceInfo(*saved);
  EXPECT_EQ(read.cableId, u"C\u00e2ble 12");
  EXPECT_EQ(read.fiberId, u"F-?");
  EXPECT_EQ(read.terminatingLocation, u"Cabinet 4");
  EXPECT_EQ(read.operatorName, u"J. Smith");
  EXPECT_EQ(read.jobId, u"JOB-9");
  EXPECT_EQ(read.customer, u"Acme");
  EXPECT_EQ(saved->GenParams.FiberType, 653);
}

}  // namespace
