#include "instrument/upload_protocol.h"

#include <algorithm>

namespace {

constexpr std::int32_t kLayoutStep = 10000;
constexpr std::int32_t kUnsupportedFrom = 40000;

std::uint32_t ReadLe32(std::span<const std::uint8_t> bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// Bytes of the record that may hold the name.
std::size_t NameFieldLength(UploadLayout layout, UploadTransportKind transport) {
  switch (layout) {
    case UploadLayout::Fixed11: return 11;
    // The USB driver of this layout hands over at most 12 name bytes; the serial stream all 16.
    case UploadLayout::Fixed16: return transport == UploadTransportKind::Usb ? 12 : 16;
    case UploadLayout::Explicit16: return 12;
    case UploadLayout::Explicit32: return 28;
  }
  return 0;
}

}  // namespace

UploadCountInfo DecodeUploadCount(std::int32_t count) {
  // A negative count would read as a file count below zero and could pass for a status code; an
  // instrument that sends one speaks a protocol this program does not know.
  if (count < 0 || count >= kUnsupportedFrom) return {UploadUnsupportedCount, UploadLayout::Fixed11, 0};
  static constexpr std::array<UploadLayout, 4> kLayouts = {UploadLayout::Fixed11, UploadLayout::Fixed16,
                                                           UploadLayout::Explicit16, UploadLayout::Explicit32};
  return {0, kLayouts[static_cast<std::size_t>(count / kLayoutStep)], count % kLayoutStep};
}

std::int32_t ReadUploadCount(std::span<const std::uint8_t, kUploadCountBytes> bytes) {
  return static_cast<std::int32_t>(ReadLe32(bytes));
}

int UploadRecordLength(UploadLayout layout) {
  switch (layout) {
    case UploadLayout::Fixed11: return 11;
    case UploadLayout::Fixed16:
    case UploadLayout::Explicit16: return 16;
    case UploadLayout::Explicit32: return 32;
  }
  return 0;
}

std::uint32_t UploadFileLength(UploadLayout layout, std::span<const std::uint8_t> record) {
  const bool explicitLength = layout == UploadLayout::Explicit16 || layout == UploadLayout::Explicit32;
  const auto length = static_cast<std::size_t>(UploadRecordLength(layout));
  if (!explicitLength || record.size() < length) return FixedUploadFileSize;
  return ReadLe32(record.subspan(length - 4, 4));
}

std::string UploadFileName(UploadLayout layout, UploadTransportKind transport, std::span<const std::uint8_t> record) {
  const std::span<const std::uint8_t> field = record.first(std::min(record.size(), NameFieldLength(layout, transport)));
  const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return {field.begin(), end};
}

std::array<std::uint8_t, 6> UsbCommandBlock(UsbCommandCode code, std::uint32_t replyLength) {
  return {0, 0, 0, static_cast<std::uint8_t>(replyLength & 0xFF), static_cast<std::uint8_t>((replyLength >> 8) & 0xFF),
          code};
}
