#pragma once
// Which USB device is the instrument and which endpoints carry its command blocks and replies.
// The instrument's driver interface names none of these, so they are settings of the run.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

/// The environment variable that names the instrument: "vvvv:pppp[:interface[:out:in]]", hexadecimal.
inline constexpr const char* kUsbDeviceVariable = "LUMIVANE_USB_DEVICE";

struct UsbDeviceConfig {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  int interfaceNumber = 0;
  std::uint8_t commandEndpoint = 0x01;  // bulk OUT, takes the 6-byte command blocks
  std::uint8_t replyEndpoint = 0x82;    // bulk IN, delivers every reply
  /// Whether a device was named at all; without one no instrument is ever found.
  bool IsSet() const { return vendorId != 0 || productId != 0; }
};

/// Parses "vvvv:pppp[:interface[:out:in]]"; nothing when malformed, an endpoint has the wrong
/// direction, or the ids are both zero.
std::optional<UsbDeviceConfig> ParseUsbDeviceConfig(std::string_view text);

/// The configuration of this run, from kUsbDeviceVariable; unset when it is missing or malformed.
UsbDeviceConfig UsbDeviceConfigFromEnvironment();

/// The ids of one device on the bus.
struct UsbDeviceIdentity {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
};

/// The first device, in bus order, that has the configured ids and opens (`tryOpen(i)` opens
/// device i); later ones are never tried. Nothing when none does.
std::optional<std::size_t> FindUsbDevice(std::span<const UsbDeviceIdentity> devices,
                                                  const UsbDeviceConfig& config,
                                                  const std::function<bool(std::size_t)>& tryOpen);
