#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string_view>
#include <vector>

#include "sor/sor_crc.h"
#include "sor_image_builder.h"

namespace {

// Bit by bit, as the checksum is defined, to check the table-driven one against.
std::uint16_t ReferenceCrc(const std::uint8_t* bytes, std::size_t length, std::uint16_t initial = 0xFFFF) {
  std::uint16_t crc = initial;
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= static_cast<std::uint16_t>(bytes[i] << 8);
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

TEST(SorCrc16, StartsFromTheGivenRegisterOnEveryPath) {
  std::vector<std::uint8_t> bytes(1000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
  for (const std::size_t length : {std::size_t{5}, std::size_t{64}, std::size_t{999}}) {
    // CRC-16/XMODEM: the same polynomial from 0; its check value is 0x31C3.
    EXPECT_EQ(SorCrc16(bytes.data(), length, 0), ReferenceCrc(bytes.data(), length, 0)) << length;
  }
  constexpr std::string_view check = "123456789";
  EXPECT_EQ(SorCrc16(reinterpret_cast<const std::uint8_t*>(check.data()), check.size(), 0), 0x31C3);
}

TEST(SorCrc16, StandardCheckValueAndEmptyRange) {
  constexpr std::string_view check = "123456789";
  EXPECT_EQ(SorCrc16(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()), 0x29B1);
  EXPECT_EQ(SorCrc16(nullptr, 0), 0xFFFF);
}

TEST(SorCrc16, MatchesBitwiseDefinitionForEveryLengthAndAlignment) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> bytes(200000);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  for (std::size_t start = 0; start < 16; ++start) {
    for (std::size_t length = 0; length < 600; ++length) {
      ASSERT_EQ(SorCrc16(bytes.data() + start, length), ReferenceCrc(bytes.data() + start, length))
          << "start " << start << " length " << length;
    }
  }
  // Lengths around each path's step (16, 64, 256 bytes), from several start values.
  for (std::size_t length : {255, 256, 257, 319, 320, 511, 512, 575, 4095, 4096, 4097, 163961, 199999}) {
    for (const std::uint16_t initial : {0xFFFF, 0x0000, 0x1D0F, 0x8001}) {
      EXPECT_EQ(SorCrc16(bytes.data() + 1, length, initial), ReferenceCrc(bytes.data() + 1, length, initial))
          << "length " << length << " initial " << initial;
    }
  }
}

using lumivane::test::Bytes;

void StoreChecksum(Bytes& file, std::uint16_t crc) {
  file[file.size() - 2] = static_cast<std::uint8_t>(crc & 0xFF);
  file[file.size() - 1] = static_cast<std::uint8_t>(crc >> 8);
}

TEST(VerifySorChecksum, ReportsWhichConventionMatched) {
  const Bytes sample = lumivane::test::MakeSampleSorV2();
  EXPECT_EQ(VerifySorChecksum(sample), SorChecksumStatus::kAllButCksumBlock);

  Bytes otherInstrument = sample;  // checksum over everything but the value itself
  StoreChecksum(otherInstrument, SorCrc16(otherInstrument.data(), otherInstrument.size() - 2));
  EXPECT_EQ(VerifySorChecksum(otherInstrument), SorChecksumStatus::kAllButChecksumValue);
  EXPECT_TRUE(IsChecksumValid(VerifySorChecksum(otherInstrument)));

  Bytes fromZero = sample;  // the same range, the register starting at 0
  StoreChecksum(fromZero, SorCrc16(fromZero.data(), fromZero.size() - 2, 0));
  EXPECT_EQ(VerifySorChecksum(fromZero), SorChecksumStatus::kAllButChecksumValueZero);
  EXPECT_TRUE(IsChecksumValid(VerifySorChecksum(fromZero)));

  Bytes bigEndian = sample;
  const std::uint16_t crc = SorCrc16(sample.data(), sample.size() - 8);
  bigEndian[bigEndian.size() - 2] = static_cast<std::uint8_t>(crc >> 8);
  bigEndian[bigEndian.size() - 1] = static_cast<std::uint8_t>(crc & 0xFF);
  EXPECT_EQ(VerifySorChecksum(bigEndian), SorChecksumStatus::kMismatch);
}

// Random files of many lengths, each given the checksum of one convention computed bit by bit: the
// test must name that convention (the zero-start one is derived from the 0xFFFF pass, not recomputed).
TEST(VerifySorChecksum, NamesEachConventionOnRandomFiles) {
  std::mt19937 random(11);
  for (const std::size_t length : {300, 301, 333, 1000, 4099, 20772, 160772, 294912}) {
    Bytes file(length);
    for (auto& b : file) b = static_cast<std::uint8_t>(random());
    const struct {
      std::uint16_t crc;
      SorChecksumStatus status;
    } cases[] = {
        {ReferenceCrc(file.data(), length - 2), SorChecksumStatus::kAllButChecksumValue},
        {ReferenceCrc(file.data(), length - 8), SorChecksumStatus::kAllButCksumBlock},
        {ReferenceCrc(file.data(), length - 2, 0), SorChecksumStatus::kAllButChecksumValueZero},
    };
    for (const auto& c : cases) {
      StoreChecksum(file, c.crc);
      // A stored value that two conventions share is named by the first; random data rarely does.
      const bool shared = std::count_if(std::begin(cases), std::end(cases),
                                        [&](const auto& other) { return other.crc == c.crc; }) > 1;
      if (!shared) {
        EXPECT_EQ(VerifySorChecksum(file), c.status) << "length " << length;
      }
      StoreChecksum(file, static_cast<std::uint16_t>(c.crc ^ 0x0100));
      const bool hitsAnother = std::any_of(std::begin(cases), std::end(cases),
                                           [&](const auto& other) { return other.crc == (c.crc ^ 0x0100); });
      if (!hitsAnother) {
        EXPECT_EQ(VerifySorChecksum(file), SorChecksumStatus::kMismatch) << "length " << length;
      }
    }
  }
}

TEST(VerifySorChecksum, AnyChangedCoveredByteIsCaughtButTheIdentifierIsNotCovered) {
  const Bytes sample = lumivane::test::MakeSampleSorV2({.points = 100});
  for (std::size_t at : {std::size_t{0}, std::size_t{6}, std::size_t{200}, sample.size() - 9}) {
    Bytes damaged = sample;
    damaged[at] ^= 0x01;
    EXPECT_EQ(VerifySorChecksum(damaged), SorChecksumStatus::kMismatch) << "byte " << at;
  }
  Bytes identifier = sample;
  identifier[identifier.size() - 8] = 'c';  // "cksum": outside what the checksum covers
  EXPECT_EQ(VerifySorChecksum(identifier), SorChecksumStatus::kAllButCksumBlock);
}

TEST(VerifySorChecksum, FilesBelowThreeHundredBytesAreRefused) {
  Bytes file(299, 0);
  StoreChecksum(file, SorCrc16(file.data(), file.size() - 8));
  EXPECT_EQ(VerifySorChecksum(file), SorChecksumStatus::kTooShort);
  EXPECT_FALSE(IsChecksumValid(VerifySorChecksum(file)));
  file.push_back(0);
  StoreChecksum(file, SorCrc16(file.data(), file.size() - 8));
  EXPECT_EQ(VerifySorChecksum(file), SorChecksumStatus::kAllButCksumBlock);
}

TEST(IsSorV2, KnowsAFileByItsMapWhateverItsLength) {
  Bytes file(300, 0);
  file[0] = 'M';
  file[1] = 'a';
  file[2] = 'p';
  EXPECT_TRUE(IsSorV2(file));
  file.resize(3);
  EXPECT_TRUE(IsSorV2(file));
  file[2] = 'P';
  EXPECT_FALSE(IsSorV2(file));
  file.resize(2);
  EXPECT_FALSE(IsSorV2(file));
}

}  // namespace
