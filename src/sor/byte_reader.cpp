#include "sor/byte_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace lumivane {

namespace {
// Positions never grow past this, so arithmetic on counts read from a file cannot overflow.
constexpr std::int64_t kPositionCap = std::int64_t{1} << 48;
}  // namespace

ByteReader::ByteReader(std::span<const std::uint8_t> bytes, std::int64_t position) : bytes_(bytes), position_(0) {
  Seek(position);
}

void ByteReader::Seek(std::int64_t position) { position_ = std::clamp<std::int64_t>(position, 0, kPositionCap); }

void ByteReader::Skip(std::int64_t count) {
  if (count > 0) position_ = std::min(kPositionCap, position_ + std::min(count, kPositionCap));
}

std::uint8_t ByteReader::ByteAt(std::int64_t position) const {
  return position >= 0 && position < Length() ? bytes_[static_cast<std::size_t>(position)] : 0;
}

std::uint8_t ByteReader::U8() {
  const std::uint8_t value = ByteAt(position_);
  Skip(1);
  return value;
}

template <int Size>
std::uint32_t ByteReader::LittleEndian() {
  std::uint32_t value = 0;
  if (position_ + Size <= Length()) {
    const std::uint8_t* p = bytes_.data() + position_;
    for (int i = 0; i < Size; ++i) value |= static_cast<std::uint32_t>(p[i]) << (8 * i);
  } else {
    for (int i = 0; i < Size; ++i) value |= static_cast<std::uint32_t>(ByteAt(position_ + i)) << (8 * i);
  }
  Skip(Size);
  return value;
}

std::uint16_t ByteReader::U16() { return static_cast<std::uint16_t>(LittleEndian<2>()); }

std::int16_t ByteReader::I16() { return static_cast<std::int16_t>(U16()); }

std::uint32_t ByteReader::U32() { return LittleEndian<4>(); }

std::int32_t ByteReader::I32() { return static_cast<std::int32_t>(U32()); }

void ByteReader::U16Array(std::uint16_t* out, std::int64_t count) {
  if (count <= 0) return;
  // Whole values inside the image are decoded in one pass; the rest read as zeros.
  const std::int64_t available = std::clamp<std::int64_t>((Length() - position_) / 2, 0, count);
  const std::uint8_t* p = bytes_.data() + (available > 0 ? position_ : 0);
  if constexpr (std::endian::native == std::endian::little) {
    if (available > 0) std::memcpy(out, p, static_cast<std::size_t>(available) * 2);
  } else {
    for (std::int64_t i = 0; i < available; ++i) {
      out[i] = static_cast<std::uint16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    }
  }
  Skip(available * 2);
  for (std::int64_t i = available; i < count; ++i) out[i] = U16();
}

void ByteReader::Text(char16_t* out, std::int64_t capacity) {
  const std::int64_t start = position_;
  // The text runs to its zero byte, or to the image's end, where the first byte past it reads as
  // its zero.
  const std::int64_t inside = std::max<std::int64_t>(Length() - position_, 0);
  const std::uint8_t* p = inside > 0 ? bytes_.data() + position_ : nullptr;
  const auto* zero = inside > 0 ? static_cast<const std::uint8_t*>(std::memchr(p, 0, static_cast<std::size_t>(inside)))
                                : nullptr;
  const std::int64_t length = zero != nullptr ? zero - p : inside;
  const std::int64_t stored = std::clamp<std::int64_t>(length, 0, std::max<std::int64_t>(capacity - 1, 0));
  for (std::int64_t i = 0; i < stored; ++i) out[i] = p[i];
  if (capacity > 0) out[stored] = 0;
  Skip(length + 1);
  if (textLog_ != nullptr) textLog_->push_back({start, position_, capacity > 0 ? out : nullptr});
}

void ByteReader::FixedText(char16_t* out, std::int64_t length) {
  RawText(out, length);
  out[length] = 0;
}

void ByteReader::RawText(char16_t* out, std::int64_t length) {
  for (std::int64_t i = 0; i < length; ++i) out[i] = U8();
}

bool ByteReader::NameAt(std::int64_t position, std::string_view name) const {
  const auto size = static_cast<std::int64_t>(name.size());
  if (position < 0 || position + size >= Length()) return false;
  const std::uint8_t* p = bytes_.data() + position;
  return std::memcmp(p, name.data(), name.size()) == 0 && p[size] == 0;
}

}  // namespace lumivane
