#include "sor/byte_writer.h"

#include <string_view>

namespace lumivane {

namespace {
constexpr std::uint8_t kUnrepresentable = '?';
}

std::uint8_t TextCellByte(char16_t cell) {
  // Writing the low byte would turn U+0100, U+3000 and the like into a zero byte inside the text,
  // and every later field of the block would then be read from the wrong place.
  return cell > 0xFF ? kUnrepresentable : static_cast<std::uint8_t>(cell);
}

void ByteWriter::U16(std::uint16_t value) {
  out_.push_back(static_cast<std::uint8_t>(value));
  out_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void ByteWriter::U32(std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out_.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void ByteWriter::U16Array(const std::uint16_t* values, std::int64_t count) {
  if (count <= 0) return;
  const std::size_t at = out_.size();
  out_.resize(at + static_cast<std::size_t>(count) * 2);
  std::uint8_t* p = out_.data() + at;
  for (std::int64_t i = 0; i < count; ++i) {
    p[2 * i] = static_cast<std::uint8_t>(values[i]);
    p[2 * i + 1] = static_cast<std::uint8_t>(values[i] >> 8);
  }
}

void ByteWriter::Name(std::string_view name) {
  out_.insert(out_.end(), name.begin(), name.end());
  out_.push_back(0);
}

void ByteWriter::Text(const char16_t* text, std::int64_t capacity) {
  const std::size_t index = textsWritten_++;
  if (index < sourceTexts_.size()) {
    const SourceText& source = sourceTexts_[index];
    std::int64_t length = 0;
    while (length < capacity && text[length] != 0) ++length;
    if (source.asRead != nullptr && std::u16string_view(source.asRead) == std::u16string_view(text, length)) {
      out_.insert(out_.end(), source.bytes.begin(), source.bytes.end());
      return;
    }
  }
  for (std::int64_t i = 0; i < capacity && text[i] != 0; ++i) out_.push_back(TextCellByte(text[i]));
  out_.push_back(0);
}

void ByteWriter::FixedText(const char16_t* text, std::int64_t length) {
  for (std::int64_t i = 0; i < length; ++i) out_.push_back(TextCellByte(text[i]));
}

}  // namespace lumivane
