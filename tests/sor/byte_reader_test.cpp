#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sor/byte_reader.h"

namespace {

using lumivane::ByteReader;

TEST(ByteReader, ReadsLittleEndianAndZerosPastTheEnd) {
  const std::vector<std::uint8_t> bytes = {0x34, 0x12, 0xFE, 0xFF, 0xFF, 0x7F, 0x01};
  ByteReader in(bytes);
  EXPECT_EQ(in.U16(), 0x1234);
  EXPECT_EQ(in.I16(), -2);
  EXPECT_EQ(in.I32(), 0x01'7F'FF);  // straddles the end: the missing byte reads 0
  EXPECT_EQ(in.Position(), 8);
  EXPECT_EQ(in.U32(), 0u);
}

TEST(ByteReader, TextKeepsCapacityAndResumesAfterTheZeroByte) {
  const std::vector<std::uint8_t> bytes = {'a', 'b', 'c', 'd', 0, 'x', 0};
  ByteReader in(bytes);
  char16_t text[3] = {9, 9, 9};
  in.Text(text, 3);
  EXPECT_EQ(std::u16string(text), u"ab");
  EXPECT_EQ(in.Position(), 5);
  in.Text(text, 3);
  EXPECT_EQ(std::u16string(text), u"x");
  in.Text(text, 3);  // past the end: an empty text, one byte consumed
  EXPECT_EQ(std::u16string(text), u"");
  EXPECT_EQ(in.Position(), 8);

  // A text cut off by the end of a truncated image ends there, its zero the first byte past it;
  // a reader logging texts sees one without room as read over.
  const std::vector<std::uint8_t> cut = {'x', 'y', 'p', 'q', 'r'};
  for (const std::int64_t capacity : {0, 2, 10}) {
    std::vector<lumivane::TextSpan> log;
    ByteReader tail(cut, 2);
    tail.LogTextsTo(&log);
    char16_t out[10] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    tail.Text(capacity > 0 ? out : nullptr, capacity);
    EXPECT_EQ(tail.Position(), 6) << capacity;
    if (capacity > 0) {
      EXPECT_EQ(std::u16string(out), capacity == 2 ? u"p" : u"pqr");
    }
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].start, 2);
    EXPECT_EQ(log[0].end, 6);
  }
}

TEST(ByteReader, HugeSkipsSaturateAndArraysPastTheEndReadZero) {
  const std::vector<std::uint8_t> bytes = {1, 0, 2, 0, 3};
  ByteReader in(bytes);
  std::uint16_t values[4] = {9, 9, 9, 9};
  in.U16Array(values, 4);
  EXPECT_EQ(values[0], 1);
  EXPECT_EQ(values[1], 2);
  EXPECT_EQ(values[2], 3);  // the odd last byte pairs with a zero past the end
  EXPECT_EQ(values[3], 0);
  in.Skip(std::int64_t{1} << 62);
  in.Skip(std::int64_t{1} << 62);
  EXPECT_GT(in.Position(), 0);
  EXPECT_EQ(in.U8(), 0);
  in.Skip(-100);
  EXPECT_GT(in.Position(), 0);
}

TEST(ByteReader, NameNeedsItsZeroByteInsideTheImage) {
  const std::vector<std::uint8_t> bytes = {'x', 'M', 'a', 'p', 0, 'M', 'a', 'p'};
  ByteReader in(bytes);
  EXPECT_TRUE(in.NameAt(1, "Map"));
  EXPECT_FALSE(in.NameAt(0, "Map"));
  EXPECT_FALSE(in.NameAt(5, "Map"));
  EXPECT_FALSE(in.NameAt(-1, "Map"));
}

}  // namespace
