#include "traceview/bmp_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "temp_dir.h"

namespace {

std::uint16_t PixelAt(const std::vector<std::uint8_t>& file, int fileRow, int x) {
  const std::size_t at = 54 + static_cast<std::size_t>(fileRow) * kBmpWidth * 2 + static_cast<std::size_t>(x) * 2;
  return static_cast<std::uint16_t>(file[at] | (file[at + 1] << 8));
}

TEST(BmpPathFor, KeepsOnlyTheThreeKnownEndings) {
  const std::pair<const char*, const char*> cases[] = {
      {"a.bmp", "a.bmp"},         {"a.Bmp", "a.Bmp"}, {"a.BMP", "a.BMP"}, {"a", "a.BMP"},
      {"a.bMp", "a.bMp.BMP"},     {"a.BmP", "a.BmP.BMP"}, {"bmp", "bmp.BMP"}, {"", ".BMP"},
      {"/d/trace.sor", "/d/trace.sor.BMP"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(BmpPathFor(in), out) << in;
}

TEST(EncodeViewBitmap, HeaderBytesAndRows) {
  std::vector<std::uint32_t> source(100 * 50, 0xFFFFFF);
  const auto file = EncodeViewBitmap(ComposeViewBitmap({source, 100, 50, 100}));
  ASSERT_EQ(file.size(), 415158u);
  const std::vector<std::uint8_t> header{0x42, 0x4D, 0xB6, 0x55, 0x06, 0x00, 0, 0, 0, 0, 0x36, 0, 0, 0,
                                         0x28, 0,    0,    0,    0x28, 0x02, 0, 0, 0x78, 0x01, 0, 0,
                                         1,    0,    16,   0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 54), header);
  for (int x : {0, 300, 551}) {
    EXPECT_EQ(PixelAt(file, 0, x), 0x7FFF) << "the bottom rows are white";
    EXPECT_EQ(PixelAt(file, 92, x), 0x7FFF);
    EXPECT_EQ(PixelAt(file, 93, x), 0x0000) << "row 282 is the black rule";
    EXPECT_EQ(PixelAt(file, 94, x), 0x7FFF) << "the white source";
  }
}

TEST(ComposeViewBitmap, ShrinkKeepsThinDarkLinesAndColoursTruncateTo555) {
  const int w = 1104;
  const int h = 564;
  std::vector<std::uint32_t> source(static_cast<std::size_t>(w) * h, 0xFFFFFF);
  for (int y = 0; y < h; ++y) source[static_cast<std::size_t>(y) * w + 501] = 0x000000;
  for (int x = 0; x < w; ++x) source[static_cast<std::size_t>(10) * w + x] = 0xFF0000;
  const auto out = ComposeViewBitmap({source, w, h, w});
  EXPECT_EQ(out[100 * kBmpWidth + 250], 0x000000u) << "a 1-pixel line in a picture twice as wide survives";
  EXPECT_EQ(out[100 * kBmpWidth + 249], 0xFFFFFFu);
  EXPECT_EQ(out[5 * kBmpWidth + 10], 0xFF0000u);
  EXPECT_EQ(ToRgb555(0xFF0000), 0x7C00) << "red in the high bits";
  EXPECT_EQ(ToRgb555(0x00FF00), 0x03E0);
  EXPECT_EQ(ToRgb555(0x0000FF), 0x001F);
  EXPECT_EQ(ToRgb555(0x070707), 0x0000) << "channels are truncated, not rounded";
}

TEST(WriteBmpFile, TruncatesAnOldFileAndReportsWhatFailed) {
  lumivane::test::TempDir dir;
  const std::string path = (dir.path() / "old.bmp").string();
  {
    std::ofstream old(path, std::ios::binary);
    old << std::string(500000, 'x');
  }
  const std::vector<std::uint8_t> bytes(1000, 7);
  ASSERT_EQ(WriteBmpFile(path, bytes), BmpWriteResult::Ok);
  EXPECT_EQ(std::filesystem::file_size(path), 1000u);
  EXPECT_EQ(WriteBmpFile((dir.path() / "missing" / "x.BMP").string(), bytes), BmpWriteResult::CannotCreate);
}

}  // namespace
