#include "traceview/bmp_export.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF;

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Source span [first, last) that target cell t of `targets` covers in `sources` pixels; a growing
// stretch repeats one source pixel.
std::pair<int, int> SourceSpan(int t, int targets, int sources) {
  const long long first = static_cast<long long>(t) * sources / targets;
  long long last = static_cast<long long>(t + 1) * sources / targets;
  if (last <= first) last = first + 1;
  return {static_cast<int>(first), static_cast<int>(std::min<long long>(last, sources))};
}

}  // namespace

std::string BmpPathFor(std::string path) {
  const bool known = path.size() >= 4 && (path.ends_with(".BMP") || path.ends_with(".Bmp") || path.ends_with(".bmp"));
  if (!known) path += ".BMP";
  return path;
}

std::uint16_t ToRgb555(std::uint32_t rgb) {
  const std::uint32_t r = (rgb >> 16) & 0xFF;
  const std::uint32_t g = (rgb >> 8) & 0xFF;
  const std::uint32_t b = rgb & 0xFF;
  return static_cast<std::uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}

std::vector<std::uint32_t> ComposeViewBitmap(const Rgb32Picture& source) {
  std::vector<std::uint32_t> out(static_cast<std::size_t>(kBmpWidth) * kBmpHeight, kWhite);
  const bool usable = source.width > 0 && source.height > 0 && source.stride >= source.width &&
                      source.pixels.size() >= static_cast<std::size_t>(source.stride) * (source.height - 1) +
                                                  static_cast<std::size_t>(source.width);
  if (usable) {
    for (int ty = 0; ty < kBmpPlotHeight; ++ty) {
      const auto [y0, y1] = SourceSpan(ty, kBmpPlotHeight, source.height);
      for (int tx = 0; tx < kBmpWidth; ++tx) {
        const auto [x0, x1] = SourceSpan(tx, kBmpWidth, source.width);
        std::uint32_t combined = kWhite;
        for (int sy = y0; sy < y1; ++sy) {
          const std::size_t row = static_cast<std::size_t>(sy) * static_cast<std::size_t>(source.stride);
          for (int sx = x0; sx < x1; ++sx) combined &= source.pixels[row + static_cast<std::size_t>(sx)];
        }
        out[static_cast<std::size_t>(ty) * kBmpWidth + static_cast<std::size_t>(tx)] = combined & kWhite;
      }
    }
  }
  std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(kBmpPlotHeight) * kBmpWidth, kBmpWidth, 0u);
  return out;
}

std::vector<std::uint8_t> EncodeViewBitmap(std::span<const std::uint32_t> composed) {
  std::vector<std::uint8_t> out;
  out.reserve(kBmpFileSize);
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<std::uint32_t>(kBmpFileSize));
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, kBmpWidth);
  Put32(out, kBmpHeight);
  Put16(out, 1);
  Put16(out, 16);
  for (int field = 0; field < 6; ++field) Put32(out, 0);  // compression, size, resolutions, colours
  for (int row = kBmpHeight - 1; row >= 0; --row) {
    for (int x = 0; x < kBmpWidth; ++x) {
      const std::size_t at = static_cast<std::size_t>(row) * kBmpWidth + static_cast<std::size_t>(x);
      Put16(out, at < composed.size() ? ToRgb555(composed[at]) : ToRgb555(kWhite));
    }
  }
  return out;
}

BmpWriteResult WriteBmpFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return BmpWriteResult::CannotCreate;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (written && closed) return BmpWriteResult::Ok;
  std::remove(path.c_str());
  return BmpWriteResult::WriteFailed;
}
