#pragma once
// Little-endian appender for assembling trace-file blocks in memory.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace lumivane {

/// A text as a source file holds it: `asRead` is what the record held after reading it, `bytes`
/// the file's bytes, zero included. Null `asRead`: the text cannot be written back as it was.
struct SourceText {
  const char16_t* asRead;
  std::span<const std::uint8_t> bytes;
};

class ByteWriter {
 public:
  /// The n-th Text() written is the n-th of `sourceTexts`: a text still as read is written with
  /// the source's bytes, so texts longer than the record's field or holding bytes the reader
  /// blanked come back unchanged.
  explicit ByteWriter(std::vector<std::uint8_t>& out, std::span<const SourceText> sourceTexts = {})
      : out_(out), sourceTexts_(sourceTexts) {}

  void U8(std::uint8_t value) { out_.push_back(value); }
  void U16(std::uint16_t value);
  void I16(std::int16_t value) { U16(static_cast<std::uint16_t>(value)); }
  void U32(std::uint32_t value);
  void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
  void U16Array(const std::uint16_t* values, std::int64_t count);

  /// A block identifier or other 8-bit name, then its zero byte.
  void Name(std::string_view name);
  /// A record text up to its terminator (at most capacity cells), then one zero byte; or the
  /// source's bytes of the text (above).
  void Text(const char16_t* text, std::int64_t capacity);
  /// Exactly length cells of a record text, zero cells as zero bytes, no terminator.
  void FixedText(const char16_t* text, std::int64_t length);

 private:
  std::vector<std::uint8_t>& out_;
  std::span<const SourceText> sourceTexts_;
  std::size_t textsWritten_ = 0;
};

/// The file byte of one text cell: cells above 0xFF cannot be stored in one byte and become '?'.
std::uint8_t TextCellByte(char16_t cell);

}  // namespace lumivane
