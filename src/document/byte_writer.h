#pragma once
// Little-endian appender for assembling trace-file blocks in memory.
#include <cstdint>
#include <string_view>
#include <vector>

namespace lumivane {

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void U8(std::uint8_t value) { out_.push_back(value); }
  void U16(std::uint16_t value);
  void I16(std::int16_t value) { U16(static_cast<std::uint16_t>(value)); }
  void U32(std::uint32_t value);
  void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
  void U16Array(const std::uint16_t* values, std::int64_t count);

  /// A block identifier or other 8-bit name, then its zero byte.
  void Name(std::string_view name);
  /// A record text up to its terminator (at most capacity cells), then one zero byte.
  void Text(const char16_t* text, std::int64_t capacity);
  /// Exactly length cells of a record text, zero cells as zero bytes, no terminator.
  void FixedText(const char16_t* text, std::int64_t length);

 private:
  std::vector<std::uint8_t>& out_;
};

/// The file byte of one text cell: cells above 0xFF cannot be stored in one byte and become '?'.
std::uint8_t TextCellByte(char16_t cell);

}  // namespace lumivane
