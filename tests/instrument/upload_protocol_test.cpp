#include "instrument/upload_protocol.h"

#include <gtest/gtest.h>

#include "simulated_instrument.h"

using lumivane::test::Bytes;
using lumivane::test::Record11;
using lumivane::test::Record16;
using lumivane::test::Record16Name;
using lumivane::test::Record32;

TEST(UploadProtocolTest, TheCountsRangePicksTheLayout) {
  struct Case {
    std::int32_t count;
    std::int32_t status;
    UploadLayout layout;
    std::int32_t files;
    int recordLength;
  };
  const Case cases[] = {
      {0, 0, UploadLayout::Fixed11, 0, 11},
      {9999, 0, UploadLayout::Fixed11, 9999, 11},
      {10000, 0, UploadLayout::Fixed16, 0, 16},
      {19999, 0, UploadLayout::Fixed16, 9999, 16},
      {20003, 0, UploadLayout::Explicit16, 3, 16},
      {29999, 0, UploadLayout::Explicit16, 9999, 16},
      {30001, 0, UploadLayout::Explicit32, 1, 32},
      {39999, 0, UploadLayout::Explicit32, 9999, 32},
      {40000, UploadUnsupportedCount, UploadLayout::Fixed11, 0, 11},
      // A count with its top bit set is no count at all; it must not pass for a status either.
      {-1, UploadUnsupportedCount, UploadLayout::Fixed11, 0, 11},
      {-3, UploadUnsupportedCount, UploadLayout::Fixed11, 0, 11},
      {INT32_MIN, UploadUnsupportedCount, UploadLayout::Fixed11, 0, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    const UploadCountInfo info = DecodeUploadCount(c.count);
    EXPECT_EQ(info.status, c.status);
    EXPECT_EQ(info.files, c.files);
    if (c.status == 0) {
      EXPECT_EQ(info.layout, c.layout);
      EXPECT_EQ(UploadRecordLength(info.layout), c.recordLength);
    }
  }
  const std::uint8_t bytes[4] = {0x23, 0x4E, 0x00, 0x00};
  EXPECT_EQ(ReadUploadCount(std::span<const std::uint8_t, 4>(bytes)), 20003);
  const std::uint8_t negative[4] = {0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ReadUploadCount(std::span<const std::uint8_t, 4>(negative)), -1);
}

TEST(UploadProtocolTest, RecordsGiveNameAndLength) {
  using enum UploadTransportKind;
  struct Case {
    const char* what;
    UploadLayout layout;
    UploadTransportKind transport;
    Bytes record;
    std::string name;
    std::uint32_t length;
  };
  const Case cases[] = {
      {"short name", UploadLayout::Fixed11, Usb, Record11("A1.SOR"), "A1.SOR", FixedUploadFileSize},
      {"11 bytes, no zero", UploadLayout::Fixed11, Serial, Record11("ABCDEFGHIJK"), "ABCDEFGHIJK", FixedUploadFileSize},
      // Bytes 12-15 of this layout are never a length, and a zero at byte 12 ends the name on both links.
      {"16, usb", UploadLayout::Fixed16, Usb, Record16("TRACE001.SOR", 0x00024000), "TRACE001.SOR", FixedUploadFileSize},
      {"16, serial", UploadLayout::Fixed16, Serial, Record16("TRACE001.SOR", 0x00024000), "TRACE001.SOR",
       FixedUploadFileSize},
      {"16 name bytes, usb", UploadLayout::Fixed16, Usb, Record16Name("ABCDEFGHIJKLMNOP"), "ABCDEFGHIJKL",
       FixedUploadFileSize},
      {"16 name bytes, serial", UploadLayout::Fixed16, Serial, Record16Name("ABCDEFGHIJKLMNOP"), "ABCDEFGHIJKLMNOP",
       FixedUploadFileSize},
      {"explicit 16", UploadLayout::Explicit16, Usb, Record16("ABCDEFGHIJKL", 1234), "ABCDEFGHIJKL", 1234},
      {"explicit 16 zero", UploadLayout::Explicit16, Serial, Record16("X.SOR", 0), "X.SOR", 0},
      {"explicit 32", UploadLayout::Explicit32, Serial, Record32(std::string(28, 'N'), 0x12345678),
       std::string(28, 'N'), 0x12345678},
      {"empty name", UploadLayout::Explicit32, Usb, Record32("", 5), "", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(UploadFileName(c.layout, c.transport, c.record), c.name);
    EXPECT_EQ(UploadFileLength(c.layout, c.record), c.length);
  }
}

TEST(UploadProtocolTest, UsbCommandBlocksCarryTheLowSixteenBitsAtAnOddOffset) {
  using Block = std::array<std::uint8_t, 6>;
  EXPECT_EQ(UsbCommandBlock(UsbCmdCount, 4), (Block{0, 0, 0, 0x04, 0x00, 0x81}));
  EXPECT_EQ(UsbCommandBlock(UsbCmdNextRecord, 11), (Block{0, 0, 0, 0x0B, 0x00, 0x82}));
  EXPECT_EQ(UsbCommandBlock(UsbCmdNextRecord, 32), (Block{0, 0, 0, 0x20, 0x00, 0x82}));
  EXPECT_EQ(UsbCommandBlock(UsbCmdContent, FixedUploadFileSize), (Block{0, 0, 0, 0x00, 0x40, 0x83}));
  EXPECT_EQ(UsbCommandBlock(UsbCmdContent, 0x1234), (Block{0, 0, 0, 0x34, 0x12, 0x83}));
  EXPECT_EQ(UploadGreeting.size(), 23u);
}
