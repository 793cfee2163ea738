#include "instrument/libusb_transport.h"

#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Reply reads are cut into slices so a cancelled transfer ends soon.
constexpr unsigned kReadSliceMs = 100;

bool InterfaceHasEndpoints(const libusb_interface_descriptor& setting, std::uint8_t out, std::uint8_t in) {
  bool hasOut = false, hasIn = false;
  for (int e = 0; e < setting.bNumEndpoints; ++e) {
    hasOut = hasOut || setting.endpoint[e].bEndpointAddress == out;
    hasIn = hasIn || setting.endpoint[e].bEndpointAddress == in;
  }
  return hasOut && hasIn;
}

}  // namespace

LibusbTransport::LibusbTransport(UsbDeviceConfig config, ReceiveLimits limits)
    : m_config(config), m_limits(limits) {}

LibusbTransport::~LibusbTransport() { Close(); }

bool LibusbTransport::ClaimDevice(libusb_device* device) {
  if (libusb_open(device, &m_handle) != 0) return false;
  libusb_set_auto_detach_kernel_driver(m_handle, 1);
  if (libusb_claim_interface(m_handle, m_config.interfaceNumber) == 0) return true;
  libusb_close(m_handle);
  m_handle = nullptr;
  return false;
}

bool LibusbTransport::Open() {
  Close();
  if (!m_config.IsSet() || libusb_init(&m_context) != 0) {
    m_context = nullptr;
    return false;
  }
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(m_context, &list);
  std::vector<UsbDeviceIdentity> identities;
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor descriptor{};
    libusb_get_device_descriptor(list[i], &descriptor);
    identities.push_back({descriptor.idVendor, descriptor.idProduct});
  }
  const auto chosen =
      FindUsbDevice(identities, m_config, [&](std::size_t i) { return ClaimDevice(list[i]); });
  if (count >= 0) libusb_free_device_list(list, 1);
  if (!chosen) Close();
  return chosen.has_value();
}

bool LibusbTransport::Start() {
  libusb_config_descriptor* descriptor = nullptr;
  if (libusb_get_active_config_descriptor(libusb_get_device(m_handle), &descriptor) != 0) return false;
  bool found = false;
  for (int i = 0; i < descriptor->bNumInterfaces; ++i) {
    const libusb_interface& interface = descriptor->interface[i];
    for (int s = 0; s < interface.num_altsetting; ++s) {
      const libusb_interface_descriptor& setting = interface.altsetting[s];
      found = found || (setting.bInterfaceNumber == m_config.interfaceNumber &&
                        InterfaceHasEndpoints(setting, m_config.commandEndpoint, m_config.replyEndpoint));
    }
  }
  libusb_free_config_descriptor(descriptor);
  return found;
}

bool LibusbTransport::Request(UsbCommandCode code, std::uint32_t length) {
  auto block = UsbCommandBlock(code, length);
  int sent = 0;
  const int result = libusb_bulk_transfer(m_handle, m_config.commandEndpoint, block.data(),
                                          static_cast<int>(block.size()), &sent,
                                          static_cast<unsigned>(m_limits.firstByteMs));
  // A refused command halts the command endpoint in the device, and the halt outlives this
  // conversation: left there, it would refuse every later upload until the instrument is replugged.
  if (result == LIBUSB_ERROR_PIPE) libusb_clear_halt(m_handle, m_config.commandEndpoint);
  return result == 0 && sent == static_cast<int>(block.size());
}

std::size_t LibusbTransport::Receive(std::span<std::uint8_t> into, const std::atomic<bool>& cancel) {
  std::size_t got = 0;
  auto limit = std::chrono::milliseconds(m_limits.firstByteMs);
  Clock::time_point since = Clock::now();
  while (got < into.size() && !cancel.load()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(since + limit - Clock::now()).count();
    if (left <= 0) break;
    int n = 0;
    const int result = libusb_bulk_transfer(m_handle, m_config.replyEndpoint, into.data() + got,
                                            static_cast<int>(into.size() - got), &n,
                                            static_cast<unsigned>(std::min<long long>(left, kReadSliceMs)));
    got += static_cast<std::size_t>(n);
    if (n > 0) {
      since = Clock::now();
      limit = std::chrono::milliseconds(m_limits.interByteMs);
    }
    // A transfer that completes with fewer bytes than asked ended on a short packet: the reply is over.
    if (result != LIBUSB_ERROR_TIMEOUT) break;
  }
  return got;
}

void LibusbTransport::Recover() {
  if (m_handle != nullptr) libusb_clear_halt(m_handle, m_config.replyEndpoint);
}

void LibusbTransport::Close() {
  if (m_handle != nullptr) {
    libusb_release_interface(m_handle, m_config.interfaceNumber);
    libusb_close(m_handle);
    m_handle = nullptr;
  }
  if (m_context != nullptr) {
    libusb_exit(m_context);
    m_context = nullptr;
  }
}
