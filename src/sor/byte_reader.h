#pragma once
// Bounded little-endian reader over a file image. Every byte at or past the image's end reads as 0,
// so a parser walking off a truncated or lying file sees zeros instead of foreign memory.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace lumivane {

/// Where a text lay in the image: from start to end, the byte after its zero; stored is where the
/// reader kept it (null when it was read over).
struct TextSpan {
  std::int64_t start;
  std::int64_t end;
  const char16_t* stored;
};

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes, std::int64_t position = 0);

  /// Bytes in the image; everything from here on reads as 0.
  std::int64_t Length() const { return static_cast<std::int64_t>(bytes_.size()); }
  std::int64_t Position() const { return position_; }
  void Seek(std::int64_t position);
  /// Moves forward; a negative count moves nowhere.
  void Skip(std::int64_t count);

  std::uint8_t U8();
  std::uint16_t U16();
  std::int16_t I16();
  std::uint32_t U32();
  std::int32_t I32();

  /// Reads count little-endian u16 values into out.
  void U16Array(std::uint16_t* out, std::int64_t count);

  /// Reads a text up to its zero byte, keeping at most capacity - 1 bytes, widened and terminated.
  void Text(char16_t* out, std::int64_t capacity);
  /// Reads exactly length bytes into out, widened, and terminates them at out[length].
  void FixedText(char16_t* out, std::int64_t length);
  /// Reads exactly length bytes into out, widened, without terminator.
  void RawText(char16_t* out, std::int64_t length);

  /// From now on, notes every text Text() reads in `log` (null: none).
  void LogTextsTo(std::vector<TextSpan>* log) { textLog_ = log; }

  /// True when the bytes at position are name followed by a zero byte.
  bool NameAt(std::int64_t position, std::string_view name) const;
  std::uint8_t ByteAt(std::int64_t position) const;

 private:
  /// The next Size bytes (at most 4) as a little-endian value; bytes past the end read as 0.
  template <int Size>
  std::uint32_t LittleEndian();

  std::span<const std::uint8_t> bytes_;
  std::int64_t position_;
  std::vector<TextSpan>* textLog_ = nullptr;
};

}  // namespace lumivane
