#pragma once
// A simulated instrument for the upload tests: the count and files it announces, the byte stream it
// sends, and an in-memory link that serves that stream the way the USB or the RS232 link would,
// with the faults a real link can show.
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "instrument/upload_transport.h"

namespace lumivane::test {

using Bytes = std::vector<std::uint8_t>;

/// One file as the instrument stores it: its record and its content.
struct InstrumentFile {
  Bytes record;
  Bytes content;
};

/// The instrument's files under one announced count.
struct InstrumentScript {
  std::int32_t count = 0;
  std::vector<InstrumentFile> files;
};

/// An 11-byte record (counts 0 to 9999): the name, zero-filled.
Bytes Record11(const std::string& name);
/// A 16-byte record: the name in bytes 0-11, `tail` in bytes 12-15 (a length or anything).
Bytes Record16(const std::string& name, std::uint32_t tail);
/// A 16-byte record whose 16 bytes are all name (no zero byte).
Bytes Record16Name(const std::string& sixteen);
/// A 32-byte record: the name in bytes 0-27, the length in bytes 28-31.
Bytes Record32(const std::string& name, std::uint32_t length);
/// `length` bytes of content that differ from file to file.
Bytes Content(std::size_t length, std::uint8_t seed);

/// What the instrument sends after the greeting: the count, then each record and its content.
Bytes StreamOf(const InstrumentScript& script);

/// The in-memory link: every reply comes from the script's stream in the order asked.
class SimulatedInstrumentLink final : public UploadTransport {
 public:
  SimulatedInstrumentLink(UploadTransportKind kind, Bytes stream);

  // Faults.
  bool refuseOpen = false;
  bool refuseStart = false;
  std::optional<int> refuseRequest;      // the zero-based request the driver refuses
  std::optional<std::size_t> streamEnd;  // the instrument stops sending after this many bytes
  bool silentUntilCancelled = false;     // a stopped instrument keeps the read waiting until cancelled

  // What the worker did.
  std::vector<Bytes> requests;  // each request's 6-byte command block
  int recoveries = 0;
  int closes = 0;
  bool open = false;

  UploadTransportKind Kind() const override { return m_kind; }
  bool Open() override;
  bool Start() override;
  bool Request(UsbCommandCode code, std::uint32_t length) override;
  std::size_t Receive(std::span<std::uint8_t> into, const std::atomic<bool>& cancel) override;
  void Recover() override { ++recoveries; }
  void Close() override;

 private:
  UploadTransportKind m_kind;
  Bytes m_stream;
  std::size_t m_sent = 0;
};

}  // namespace lumivane::test
