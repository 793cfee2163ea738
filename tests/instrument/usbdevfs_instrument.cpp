#include "usbdevfs_instrument.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <stdexcept>
#include <string>

namespace lumivane::test {

namespace {

// Without scatter-gather libusb cuts a bulk transfer into URBs of 16 KiB that continue each other.
constexpr std::uint32_t kBaseCapabilities = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
constexpr std::uint32_t kScatterGather = USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;

usbdevfs_urb& UrbOf(UMockdevIoctlData* data) { return *reinterpret_cast<usbdevfs_urb*>(data->data); }

void ThrowOnError(GError* error, const char* what) {
  if (error == nullptr) return;
  const std::string message = std::string(what) + ": " + error->message;
  g_error_free(error);
  throw std::runtime_error(message);
}

// The ioctl argument as a block of `size` bytes in this process; written back when the ioctl completes.
UMockdevIoctlData* Resolve(UMockdevIoctlData* data, std::size_t offset, std::size_t size) {
  GError* error = nullptr;
  UMockdevIoctlData* resolved = umockdev_ioctl_data_resolve(data, offset, size, &error);
  ThrowOnError(error, "resolving an ioctl argument");
  return resolved;
}

}  // namespace

UsbdevfsInstrument::UsbdevfsInstrument(const UsbDeviceConfig& config, std::vector<UsbExchange> conversation)
    : m_config(config), m_conversation(std::move(conversation)) {
  m_testbed = umockdev_testbed_new();
  m_handler = umockdev_ioctl_base_new();
  g_signal_connect(m_handler, "handle-ioctl", G_CALLBACK(HandleIoctlThunk), this);
  GError* error = nullptr;
  // The handler is in place before the device appears, so no open can miss it.
  umockdev_testbed_attach_ioctl(m_testbed, kInstrumentDeviceNode, m_handler, &error);
  ThrowOnError(error, "attaching the usbfs handler");
  umockdev_testbed_add_from_string(m_testbed, InstrumentDeviceRecord(config).c_str(), &error);
  ThrowOnError(error, "adding the instrument");
}

UsbdevfsInstrument::~UsbdevfsInstrument() {
  g_object_unref(m_testbed);
  g_object_unref(m_handler);
  for (auto* urbs : {&m_waiting, &m_finished}) {
    for (const Urb& urb : *urbs) {
      if (urb.buffer != nullptr) umockdev_ioctl_data_unref(urb.buffer);
      umockdev_ioctl_data_unref(urb.data);
    }
  }
}

std::vector<Bytes> UsbdevfsInstrument::Commands() const {
  std::lock_guard lock(m_mutex);
  return m_commands;
}

std::vector<ReplyTransfer> UsbdevfsInstrument::ReplyTransfers() const {
  std::lock_guard lock(m_mutex);
  return m_replyTransfers;
}

std::vector<std::uint8_t> UsbdevfsInstrument::ClearedHalts() const {
  std::lock_guard lock(m_mutex);
  return m_clearedHalts;
}

int UsbdevfsInstrument::ClaimedInterfaces() const {
  std::lock_guard lock(m_mutex);
  return m_claimed;
}

int UsbdevfsInstrument::HandleIoctlThunk(_UMockdevIoctlBase*, _UMockdevIoctlClient* client, void* self) {
  return static_cast<UsbdevfsInstrument*>(self)->HandleIoctl(client) ? TRUE : FALSE;
}

bool UsbdevfsInstrument::HandleIoctl(UMockdevIoctlClient* client) {
  std::lock_guard lock(m_mutex);
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  const gulong request = umockdev_ioctl_client_get_request(client);
  const int goneErrno = m_gone ? ENODEV : 0;
  switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
      UMockdevIoctlData* caps = Resolve(arg, 0, sizeof(std::uint32_t));
      const std::uint32_t capabilities = kBaseCapabilities | (scatterGather ? kScatterGather : 0);
      std::memcpy(caps->data, &capabilities, sizeof capabilities);
      umockdev_ioctl_client_complete(client, 0, 0);
      umockdev_ioctl_data_unref(caps);
      return true;
    }
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_DISCONNECT_CLAIM: {
      const int claimErrno = goneErrno != 0 ? goneErrno : interfaceBusy ? EBUSY : 0;
      if (claimErrno == 0) ++m_claimed;
      umockdev_ioctl_client_complete(client, claimErrno != 0 ? -1 : 0, claimErrno);
      return true;
    }
    case USBDEVFS_RELEASEINTERFACE:
      if (goneErrno == 0) --m_claimed;
      umockdev_ioctl_client_complete(client, goneErrno != 0 ? -1 : 0, goneErrno);
      return true;
    // The reconnect after release finds no kernel driver for the instrument's interface.
    case USBDEVFS_IOCTL:
      umockdev_ioctl_client_complete(client, goneErrno != 0 ? -1 : 0, goneErrno);
      return true;
    case USBDEVFS_GETDRIVER:
      umockdev_ioctl_client_complete(client, -1, goneErrno != 0 ? goneErrno : ENODATA);
      return true;
    case USBDEVFS_CLEAR_HALT: {
      UMockdevIoctlData* endpoint = Resolve(arg, 0, sizeof(unsigned int));
      if (goneErrno == 0) {
        const auto address = static_cast<std::uint8_t>(*reinterpret_cast<unsigned int*>(endpoint->data));
        m_clearedHalts.push_back(address);
        (address == m_config.commandEndpoint ? m_commandHalted : m_halted) = false;
      }
      umockdev_ioctl_client_complete(client, goneErrno != 0 ? -1 : 0, goneErrno);
      umockdev_ioctl_data_unref(endpoint);
      return true;
    }
    case USBDEVFS_SUBMITURB: Submit(client); return true;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY: Reap(client); return true;
    case USBDEVFS_DISCARDURB: Discard(client); return true;
    default: return false;
  }
}

void UsbdevfsInstrument::Submit(UMockdevIoctlClient* client) {
  UMockdevIoctlData* data = Resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(usbdevfs_urb));
  usbdevfs_urb& urb = UrbOf(data);
  const bool knownEndpoint = urb.endpoint == m_config.commandEndpoint || urb.endpoint == m_config.replyEndpoint;
  if (m_gone || urb.type != USBDEVFS_URB_TYPE_BULK || !knownEndpoint || urb.buffer_length <= 0) {
    umockdev_ioctl_client_complete(client, -1, m_gone ? ENODEV : EINVAL);
    umockdev_ioctl_data_unref(data);
    return;
  }
  const Urb submitted{data, Resolve(data, offsetof(usbdevfs_urb, buffer), static_cast<std::size_t>(urb.buffer_length))};
  urb.actual_length = 0;
  urb.status = 0;
  if (urb.endpoint == m_config.commandEndpoint) {
    ReceiveCommand(submitted);
  } else {
    m_waiting.push_back(submitted);
  }
  umockdev_ioctl_client_complete(client, 0, 0);
}

void UsbdevfsInstrument::ReceiveCommand(const Urb& urb) {
  usbdevfs_urb& fields = UrbOf(urb.data);
  if (m_commandHalted) return Finish(urb, -EPIPE);
  const std::uint8_t* bytes = urb.buffer->data;
  m_commands.emplace_back(bytes, bytes + fields.buffer_length);
  const std::size_t next = m_commands.size() - 1;
  if (fault && fault->kind == DeviceFault::Refuse && fault->exchange == next) {
    m_commandHalted = true;
    m_reply.reset();
    return Finish(urb, -EPIPE);
  }
  // A device that is asked more often than its conversation allows stays silent.
  m_reply = next < m_conversation.size() ? std::optional(next) : std::nullopt;
  m_sent = 0;
  m_commandTime = std::chrono::steady_clock::now();
  fields.actual_length = fields.buffer_length;
  Finish(urb, 0);
}

std::optional<int> UsbdevfsInstrument::Fill(const Urb& urb, bool cancelled) {
  usbdevfs_urb& fields = UrbOf(urb.data);
  if (m_gone) return -ENODEV;
  if (m_halted) return -EPIPE;
  // Once a transfer is being cancelled, the kernel lets no more data into its remaining URBs.
  const bool front = !m_draining && !m_waiting.empty() && m_waiting.front().data == urb.data;
  if (!m_reply || !front) return cancelled ? std::optional(-ENOENT) : std::nullopt;

  const Bytes& reply = m_conversation[*m_reply].reply;
  std::size_t released = reply.size();
  if (bytesPerMs > 0) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_commandTime);
    released = std::min(reply.size(), static_cast<std::size_t>(elapsed.count()) * bytesPerMs / kBulkPacketSize * kBulkPacketSize);
  }
  const bool faultHere = fault && fault->exchange == *m_reply && fault->kind != DeviceFault::Refuse;
  const std::size_t limit = faultHere ? std::min(released, fault->bytes) : released;
  const auto actual = static_cast<std::size_t>(fields.actual_length);
  const std::size_t take = std::min(limit - std::min(limit, m_sent), static_cast<std::size_t>(fields.buffer_length) - actual);
  std::copy_n(reply.begin() + static_cast<std::ptrdiff_t>(m_sent), take, urb.buffer->data + actual);
  fields.actual_length += static_cast<int>(take);
  m_sent += take;

  if (faultHere && m_sent == fault->bytes && fault->kind != DeviceFault::Silence) {
    const bool stall = fault->kind == DeviceFault::Stall;
    (stall ? m_halted : m_gone) = true;
    return stall ? -EPIPE : -ENODEV;
  }
  if (fields.actual_length == fields.buffer_length) return 0;
  if (cancelled) return -ENOENT;
  // The reply's last packet was short: the transfer ends with fewer bytes than asked.
  if (fields.actual_length > 0 && m_sent == reply.size() && !faultHere) return 0;
  return std::nullopt;
}

void UsbdevfsInstrument::Finish(const Urb& urb, int status) {
  usbdevfs_urb& fields = UrbOf(urb.data);
  fields.status = status;
  if (fields.endpoint == m_config.replyEndpoint) {
    m_replyTransfers.push_back({static_cast<std::size_t>(fields.buffer_length),
                                static_cast<std::size_t>(fields.actual_length), status});
  }
  m_waiting.remove_if([&](const Urb& waiting) { return waiting.data == urb.data; });
  if (m_waiting.empty()) m_draining = false;
  m_finished.push_back(urb);
}

void UsbdevfsInstrument::Advance() {
  while (!m_waiting.empty()) {
    const Urb front = m_waiting.front();
    const std::optional<int> status = Fill(front, false);
    if (!status) return;
    Finish(front, *status);
  }
}

void UsbdevfsInstrument::Reap(UMockdevIoctlClient* client) {
  Advance();
  if (m_finished.empty()) {
    umockdev_ioctl_client_complete(client, -1, m_gone ? ENODEV : EAGAIN);
    return;
  }
  const Urb urb = m_finished.front();
  m_finished.pop_front();
  UMockdevIoctlData* pointer = Resolve(umockdev_ioctl_client_get_arg(client), 0, sizeof(void*));
  umockdev_ioctl_data_set_ptr(pointer, 0, urb.data);
  umockdev_ioctl_client_complete(client, 0, 0);
  umockdev_ioctl_data_unref(pointer);
  umockdev_ioctl_data_unref(urb.buffer);
  umockdev_ioctl_data_unref(urb.data);
}

void UsbdevfsInstrument::Discard(UMockdevIoctlClient* client) {
  const gulong address = *reinterpret_cast<const gulong*>(umockdev_ioctl_client_get_arg(client)->data);
  const auto found = std::find_if(m_waiting.begin(), m_waiting.end(),
                                  [&](const Urb& urb) { return urb.data->client_addr == address; });
  if (found == m_waiting.end()) {
    umockdev_ioctl_client_complete(client, -1, EINVAL);
    return;
  }
  const Urb urb = *found;
  const int status = Fill(urb, true).value_or(-ENOENT);
  m_draining = true;
  Finish(urb, status);
  umockdev_ioctl_client_complete(client, 0, 0);
}

}  // namespace lumivane::test
