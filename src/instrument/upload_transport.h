#pragma once
// What the upload needs of a link to the instrument. The USB and RS232 links differ only in how
// they open, how a conversation starts and whether a reply must be asked for.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "instrument/upload_protocol.h"

/// How long a reply may keep the worker waiting before it counts as short.
struct ReceiveLimits {
  int firstByteMs = 10000;  // from the request (or the previous reply) to the reply's first byte
  int interByteMs = 2000;   // between two bytes of one reply
};

class UploadTransport {
 public:
  virtual ~UploadTransport() = default;

  /// Which transport this is; the record names depend on it.
  virtual UploadTransportKind Kind() const = 0;
  /// Finds and opens the link; false means no instrument or port (UploadOpenFailed).
  virtual bool Open() = 0;
  /// Starts the conversation: the USB command channel, the RS232 greeting; false: UploadStartFailed.
  virtual bool Start() = 0;
  /// Asks for the next reply of `length` bytes; the serial stream needs no request and answers true.
  virtual bool Request(UsbCommandCode code, std::uint32_t length) = 0;
  /// Receives up to `into.size()` bytes within the limits; fewer when the peer stops, goes silent,
  /// fails, or `cancel` is set. Returns the number received.
  virtual std::size_t Receive(std::span<std::uint8_t> into, const std::atomic<bool>& cancel) = 0;
  /// Puts the link back in order after a short reply.
  virtual void Recover() = 0;
  /// Closes whatever is open; harmless when nothing is.
  virtual void Close() = 0;
};
