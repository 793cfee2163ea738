#pragma once
// The simulated instrument as the USB bus shows it, generated from the link settings and the files
// it holds: the device record a umockdev testbed takes (the sysfs attributes and the descriptors
// libusb reads) and the conversation it holds on its two bulk endpoints.
#include <cstdint>
#include <string>
#include <vector>

#include "instrument/usb_device_config.h"
#include "simulated_instrument.h"

namespace lumivane::test {

/// Where the simulated instrument sits: its sysfs device and its usbfs node.
inline constexpr const char* kInstrumentSysfsPath = "/devices/usb1";
inline constexpr const char* kInstrumentDeviceNode = "/dev/bus/usb/001/001";

/// The largest packet of both bulk endpoints (a high-speed device).
inline constexpr std::size_t kBulkPacketSize = 512;

/// The device descriptor and the one configuration: one interface with the command (bulk OUT) and
/// reply (bulk IN) endpoints of `config`.
Bytes InstrumentDescriptors(const UsbDeviceConfig& config);

/// The umockdev device record of the instrument.
std::string InstrumentDeviceRecord(const UsbDeviceConfig& config);

/// One 6-byte command block the host must send and the reply the instrument sends for it.
struct UsbExchange {
  Bytes command;
  Bytes reply;
};

/// The command block asking for `length` bytes: zeros, the length's low 16 bits at offset 3, the code.
Bytes CommandBlock(std::uint8_t code, std::uint32_t length);

/// The conversation of a whole upload of `script`: the count, then each file's record and content,
/// each asked for with the length the host must know from what came before.
std::vector<UsbExchange> ConversationOf(const InstrumentScript& script);

}  // namespace lumivane::test
