#include "instrument/usb_device_config.h"

#include <charconv>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::uint8_t kDirectionIn = 0x80;

std::optional<unsigned> ParseHex(std::string_view text, unsigned max) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > max) return std::nullopt;
  return value;
}

std::vector<std::string_view> SplitColons(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t colon; (colon = text.find(':')) != std::string_view::npos; text.remove_prefix(colon + 1)) {
    parts.push_back(text.substr(0, colon));
  }
  parts.push_back(text);
  return parts;
}

}  // namespace

std::optional<UsbDeviceConfig> ParseUsbDeviceConfig(std::string_view text) {
  const std::vector<std::string_view> parts = SplitColons(text);
  if (parts.size() != 2 && parts.size() != 3 && parts.size() != 5) return std::nullopt;
  std::vector<unsigned> values;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const auto value = ParseHex(parts[i], i < 2 ? 0xFFFF : 0xFF);
    if (!value) return std::nullopt;
    values.push_back(*value);
  }
  UsbDeviceConfig config;
  config.vendorId = static_cast<std::uint16_t>(values[0]);
  config.productId = static_cast<std::uint16_t>(values[1]);
  if (values.size() >= 3) config.interfaceNumber = static_cast<int>(values[2]);
  if (values.size() == 5) {
    config.commandEndpoint = static_cast<std::uint8_t>(values[3]);
    config.replyEndpoint = static_cast<std::uint8_t>(values[4]);
  }
  const bool directionsRight = (config.commandEndpoint & kDirectionIn) == 0 && (config.replyEndpoint & kDirectionIn) != 0;
  if (!config.IsSet() || !directionsRight) return std::nullopt;
  return config;
}

UsbDeviceConfig UsbDeviceConfigFromEnvironment() {
  const char* text = std::getenv(kUsbDeviceVariable);
  return text != nullptr ? ParseUsbDeviceConfig(text).value_or(UsbDeviceConfig{}) : UsbDeviceConfig{};
}

std::optional<std::size_t> FindUsbDevice(std::span<const UsbDeviceIdentity> devices,
                                                  const UsbDeviceConfig& config,
                                                  const std::function<bool(std::size_t)>& tryOpen) {
  if (!config.IsSet()) return std::nullopt;
  for (std::size_t i = 0; i < devices.size(); ++i) {
    if (devices[i].vendorId == config.vendorId && devices[i].productId == config.productId && tryOpen(i)) return i;
  }
  return std::nullopt;
}
