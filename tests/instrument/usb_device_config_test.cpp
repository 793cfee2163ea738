#include "instrument/usb_device_config.h"

#include <gtest/gtest.h>

#include <vector>

TEST(UsbDeviceConfigTest, TheDeviceSettingIsParsed) {
  struct Case {
    const char* text;
    bool ok;
    UsbDeviceConfig config;
  };
  const Case cases[] = {
      {"1234:abcd", true, {0x1234, 0xABCD, 0, 0x01, 0x82}},
      {"1234:ABCD:1", true, {0x1234, 0xABCD, 1, 0x01, 0x82}},
      {"0471:0002:0:02:86", true, {0x0471, 0x0002, 0, 0x02, 0x86}},
      {"", false, {}},
      {"1234", false, {}},
      {"0:0", false, {}},
      {"12345:1", false, {}},
      {"12g4:1", false, {}},
      {"1234:1:0:82:86", false, {}},  // the command endpoint must point out of the host
      {"1234:1:0:02:06", false, {}},  // the reply endpoint must point into it
      {"1234:1:0:02", false, {}},
      {"1234::0", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto config = ParseUsbDeviceConfig(c.text);
    ASSERT_EQ(config.has_value(), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(config->vendorId, c.config.vendorId);
    EXPECT_EQ(config->productId, c.config.productId);
    EXPECT_EQ(config->interfaceNumber, c.config.interfaceNumber);
    EXPECT_EQ(config->commandEndpoint, c.config.commandEndpoint);
    EXPECT_EQ(config->replyEndpoint, c.config.replyEndpoint);
  }
}

TEST(UsbDeviceConfigTest, TheFirstMatchingDeviceThatOpensWins) {
  const std::vector<UsbDeviceIdentity> bus = {{0x1111, 0x0001}, {0x1234, 0x0002}, {0x1234, 0x0002}, {0x1234, 0x0002}};
  const UsbDeviceConfig config{0x1234, 0x0002};
  struct Case {
    const char* what;
    std::vector<bool> opens;  // per device
    std::optional<std::size_t> chosen;
    std::vector<std::size_t> tried;
  };
  const Case cases[] = {
      {"the first match opens", {true, true, true, true}, 1, {1}},
      {"a match that does not open is passed over", {true, false, true, true}, 2, {1, 2}},
      {"no match opens", {true, false, false, false}, std::nullopt, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::size_t> tried;
    const auto chosen = FindUsbDevice(bus, config, [&](std::size_t i) {
      tried.push_back(i);
      return c.opens[i];
    });
    EXPECT_EQ(chosen, c.chosen);
    EXPECT_EQ(tried, c.tried);
  }
  // Without a named device nothing on the bus is ever opened.
  bool anyTried = false;
  EXPECT_FALSE(FindUsbDevice(bus, UsbDeviceConfig{}, [&](std::size_t) { return anyTried = true; }));
  EXPECT_FALSE(anyTried);
}
