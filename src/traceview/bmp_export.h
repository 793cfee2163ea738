#pragma once
// The trace view's picture as a BMP file: the last painted picture shrunk into the upper part of a
// fixed 552 x 376 picture, a black rule under it and white below, stored with 16 bits per pixel
// (5 bits each of red, green and blue) and rows bottom-up.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

/// Width and height of the exported picture, and the height the screen picture is shrunk into.
inline constexpr int kBmpWidth = 552;
inline constexpr int kBmpHeight = 376;
inline constexpr int kBmpPlotHeight = 282;
/// Bytes of the whole file: 14 + 40 bytes of headers and 376 rows of 1104 bytes.
inline constexpr std::size_t kBmpFileSize = 54 + static_cast<std::size_t>(kBmpWidth) * 2 * kBmpHeight;

/// The path with ".BMP" appended unless it already ends in ".BMP", ".Bmp" or ".bmp".
std::string BmpPathFor(std::string path);

/// A 32-bit picture (0xAARRGGBB per pixel), rows top-down, `stride` pixels apart.
struct Rgb32Picture {
  std::span<const std::uint32_t> pixels;
  int width = 0;
  int height = 0;
  int stride = 0;
};

/// 0xRRGGBB of the exported picture (552 x 376, top-down): the source stretched into the upper 282
/// rows, where a shrink combines the source pixels of each target pixel by AND so that thin dark
/// lines survive; row 282 black; the rest white.
std::vector<std::uint32_t> ComposeViewBitmap(const Rgb32Picture& source);

/// The 16-bit value of a colour: each channel's top 5 bits, red highest.
std::uint16_t ToRgb555(std::uint32_t rgb);

/// The whole file for a composed 552 x 376 picture.
std::vector<std::uint8_t> EncodeViewBitmap(std::span<const std::uint32_t> composed);

/// Why writing the file failed.
enum class BmpWriteResult { Ok, CannotCreate, WriteFailed };

/// Writes `bytes` to `path`, truncating an existing file; a failed write leaves no partial file.
BmpWriteResult WriteBmpFile(const std::string& path, std::span<const std::uint8_t> bytes);
