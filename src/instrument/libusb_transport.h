#pragma once
// The USB link on libusb: the configured device's interface, command blocks on its bulk OUT
// endpoint, replies from its bulk IN endpoint.
#include "instrument/upload_transport.h"
#include "instrument/usb_device_config.h"

struct libusb_context;
struct libusb_device_handle;

class LibusbTransport final : public UploadTransport {
 public:
  explicit LibusbTransport(UsbDeviceConfig config, ReceiveLimits limits = {});
  ~LibusbTransport() override;
  LibusbTransport(const LibusbTransport&) = delete;
  LibusbTransport& operator=(const LibusbTransport&) = delete;

  UploadTransportKind Kind() const override { return UploadTransportKind::Usb; }
  /// Opens the first matching device that opens and claims its interface.
  bool Open() override;
  /// Checks that the claimed interface has both configured endpoints.
  bool Start() override;
  /// Sends the command block asking for a reply of `length` bytes; a refused command has its
  /// endpoint's halt cleared before it counts as failed.
  bool Request(UsbCommandCode code, std::uint32_t length) override;
  std::size_t Receive(std::span<std::uint8_t> into, const std::atomic<bool>& cancel) override;
  /// Clears the reply endpoint's halt after a short reply.
  void Recover() override;
  void Close() override;

 private:
  bool ClaimDevice(struct libusb_device* device);

  UsbDeviceConfig m_config;
  ReceiveLimits m_limits;
  libusb_context* m_context = nullptr;
  libusb_device_handle* m_handle = nullptr;
};
