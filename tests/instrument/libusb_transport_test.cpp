#include "instrument/libusb_transport.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "upload_test_support.h"

using LibusbTransportTest = lumivane::test::UploadRunTest;

// Without a named device the link never looks at the bus: the upload ends at once with "no instrument".
TEST_F(LibusbTransportTest, WithoutANamedDeviceNoInstrumentIsFound) {
  LibusbTransport link(UsbDeviceConfig{});
  Run(link);
  EXPECT_EQ(progress_.count.load(), UploadOpenFailed);
  EXPECT_EQ(progress_.index.load(), 0);
  EXPECT_FALSE(std::filesystem::exists(folder_));
}
