#include "usb_instrument_device.h"

#include <array>

#include "platform/number_format.h"

namespace lumivane::test {

namespace {

constexpr std::uint8_t kCount = 0x81, kNextRecord = 0x82, kContent = 0x83;
constexpr std::uint32_t kFixedFileLength = 0x24000;
constexpr std::int32_t kLayoutStep = 10000;

void PutLe16(Bytes& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

Bytes BulkEndpoint(std::uint8_t address) {
  Bytes endpoint = {7, 0x05, address, 0x02};
  PutLe16(endpoint, static_cast<std::uint16_t>(kBulkPacketSize));
  endpoint.push_back(0);
  return endpoint;
}

std::string Hex(const Bytes& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 0xF];
  }
  return text;
}

std::string Hex16(std::uint16_t value) {
  return Hex({static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF)});
}

std::uint32_t ReadLe32(const Bytes& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t b = 0; b < 4; ++b) value |= static_cast<std::uint32_t>(bytes[at + b]) << (8 * b);
  return value;
}

}  // namespace

Bytes InstrumentDescriptors(const UsbDeviceConfig& config) {
  Bytes bytes = {18, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 64};
  PutLe16(bytes, config.vendorId);
  PutLe16(bytes, config.productId);
  bytes.insert(bytes.end(), {0x00, 0x01, 0, 0, 0, 1});
  const Bytes out = BulkEndpoint(config.commandEndpoint), in = BulkEndpoint(config.replyEndpoint);
  const auto total = static_cast<std::uint16_t>(9 + 9 + out.size() + in.size());
  bytes.insert(bytes.end(), {9, 0x02});
  PutLe16(bytes, total);
  bytes.insert(bytes.end(), {1, 1, 0, 0x80, 50});
  bytes.insert(bytes.end(), {9, 0x04, static_cast<std::uint8_t>(config.interfaceNumber), 0, 2, 0xFF, 0, 0, 0});
  bytes.insert(bytes.end(), out.begin(), out.end());
  bytes.insert(bytes.end(), in.begin(), in.end());
  return bytes;
}

std::string InstrumentDeviceRecord(const UsbDeviceConfig& config) {
  // Attribute values end in a newline, as the kernel writes them; the record spells it "\n".
  return Format("P: %s\n", kInstrumentSysfsPath) + "N: bus/usb/001/001\n" + "E: SUBSYSTEM=usb\n" +
         "E: DEVTYPE=usb_device\n" + "E: DRIVER=usb\n" + "E: BUSNUM=001\n" + "E: DEVNUM=001\n" +
         Format("E: DEVNAME=%s\n", kInstrumentDeviceNode) + "A: busnum=1\\n\n" + "A: devnum=1\\n\n" +
         "A: bConfigurationValue=1\\n\n" + "A: speed=480\\n\n" + "A: idVendor=" + Hex16(config.vendorId) + "\\n\n" +
         "A: idProduct=" + Hex16(config.productId) + "\\n\n" + "H: descriptors=" +
         Hex(InstrumentDescriptors(config)) + "\n";
}

Bytes CommandBlock(std::uint8_t code, std::uint32_t length) {
  return {0, 0, 0, static_cast<std::uint8_t>(length & 0xFF), static_cast<std::uint8_t>((length >> 8) & 0xFF), code};
}

std::vector<UsbExchange> ConversationOf(const InstrumentScript& script) {
  static constexpr std::array<std::uint32_t, 4> kRecordLength = {11, 16, 16, 32};
  const auto layout = static_cast<std::size_t>(script.count / kLayoutStep);
  const bool explicitLength = layout >= 2;
  const std::uint32_t recordLength = kRecordLength[layout];
  std::vector<UsbExchange> conversation = {{CommandBlock(kCount, 4), StreamOf({script.count, {}})}};
  for (const InstrumentFile& file : script.files) {
    conversation.push_back({CommandBlock(kNextRecord, recordLength), file.record});
    const std::uint32_t length = explicitLength ? ReadLe32(file.record, recordLength - 4) : kFixedFileLength;
    conversation.push_back({CommandBlock(kContent, length), file.content});
  }
  return conversation;
}

}  // namespace lumivane::test
