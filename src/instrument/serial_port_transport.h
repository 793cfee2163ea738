#pragma once
// The RS232 link: the port named in the settings, opened exclusively and set up as a raw line.
#include <string>

#include "document/document_settings.h"
#include "instrument/upload_transport.h"

class SerialPortTransport final : public UploadTransport {
 public:
  explicit SerialPortTransport(PortSettings settings, ReceiveLimits limits = {});
  ~SerialPortTransport() override;
  SerialPortTransport(const SerialPortTransport&) = delete;
  SerialPortTransport& operator=(const SerialPortTransport&) = delete;

  UploadTransportKind Kind() const override { return UploadTransportKind::Serial; }
  /// Opens the port exclusively, applies the settings and discards what waits in its input.
  bool Open() override;
  /// Writes the greeting.
  bool Start() override;
  bool Request(UsbCommandCode, std::uint32_t) override { return true; }
  std::size_t Receive(std::span<std::uint8_t> into, const std::atomic<bool>& cancel) override;
  void Recover() override {}
  void Close() override;

 private:
  PortSettings m_settings;
  ReceiveLimits m_limits;
  int m_fd = -1;
};
