#pragma once
// The simulated instrument at the kernel interface. A umockdev testbed holds its device record and
// hands every usbfs ioctl made on its device node to this object, so libusb enumerates, opens,
// claims and transfers exactly as on a real bus; the test binary runs under umockdev's preload
// library. The instrument plays a generated conversation with the faults of a real device: a slow
// reply, a halted endpoint, a short reply, a refused command, a device pulled out mid-transfer.
#include <chrono>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <vector>

#include "instrument/usb_device_config.h"
#include "usb_instrument_device.h"

struct _UMockdevTestbed;
struct _UMockdevIoctlBase;
struct _UMockdevIoctlClient;
struct _UMockdevIoctlData;

namespace lumivane::test {

/// What goes wrong with the device in exchange number `exchange`: after `bytes` bytes of its reply,
/// or, for a refusal, at its command.
struct DeviceFault {
  enum Kind {
    Stall,    // the reply endpoint halts until the host clears the halt
    Unplug,   // the device leaves the bus
    Silence,  // the device sends nothing more
    Refuse,   // the command endpoint halts on the command until the host clears the halt
  };
  Kind kind = Stall;
  std::size_t exchange = 0;
  std::size_t bytes = 0;
};

/// One URB of the reply endpoint as the kernel ended it.
struct ReplyTransfer {
  std::size_t asked = 0;
  std::size_t got = 0;
  int status = 0;  // 0, or the negative errno the URB ended with
};

class UsbdevfsInstrument {
 public:
  /// Puts the instrument on the testbed's bus.
  UsbdevfsInstrument(const UsbDeviceConfig& config, std::vector<UsbExchange> conversation);
  ~UsbdevfsInstrument();
  UsbdevfsInstrument(const UsbdevfsInstrument&) = delete;
  UsbdevfsInstrument& operator=(const UsbdevfsInstrument&) = delete;

  // The bus and the device; set before the host opens the device.
  bool scatterGather = true;   // the kernel takes a bulk transfer of any length as one URB
  bool interfaceBusy = false;  // another program holds the interface
  std::optional<DeviceFault> fault;
  std::size_t bytesPerMs = 0;  // how fast a reply follows its command; 0: at once

  // What the host did.
  std::vector<Bytes> Commands() const;
  std::vector<ReplyTransfer> ReplyTransfers() const;
  std::vector<std::uint8_t> ClearedHalts() const;
  /// Interfaces claimed and not released.
  int ClaimedInterfaces() const;

 private:
  struct Urb {
    _UMockdevIoctlData* data;    // the URB, resolved into this process
    _UMockdevIoctlData* buffer;  // its buffer
  };

  static int HandleIoctlThunk(_UMockdevIoctlBase*, _UMockdevIoctlClient* client, void* self);
  bool HandleIoctl(_UMockdevIoctlClient* client);
  void Submit(_UMockdevIoctlClient* client);
  void Reap(_UMockdevIoctlClient* client);
  void Discard(_UMockdevIoctlClient* client);
  void ReceiveCommand(const Urb& urb);
  /// Moves the waiting reply URB to the finished ones when the device has ended it by now.
  void Advance();
  /// Fills `urb` with what the device has sent of the current reply, at most up to a fault.
  /// Returns the status the URB ends with when it ends now, nothing while it would keep waiting.
  std::optional<int> Fill(const Urb& urb, bool cancelled);
  void Finish(const Urb& urb, int status);

  UsbDeviceConfig m_config;
  std::vector<UsbExchange> m_conversation;
  _UMockdevTestbed* m_testbed = nullptr;
  _UMockdevIoctlBase* m_handler = nullptr;

  mutable std::mutex m_mutex;
  std::vector<Bytes> m_commands;
  std::optional<std::size_t> m_reply;  // the reply being sent
  std::size_t m_sent = 0;              // its bytes handed over so far
  std::chrono::steady_clock::time_point m_commandTime;
  bool m_halted = false;         // the reply endpoint
  bool m_commandHalted = false;  // the command endpoint
  bool m_gone = false;
  bool m_draining = false;  // a transfer is being cancelled
  int m_claimed = 0;
  std::list<Urb> m_waiting;   // submitted reply URBs the device has not ended
  std::list<Urb> m_finished;  // URBs to reap, in the order they ended
  std::vector<ReplyTransfer> m_replyTransfers;
  std::vector<std::uint8_t> m_clearedHalts;
};

}  // namespace lumivane::test
