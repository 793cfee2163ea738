#include "simulated_instrument.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace lumivane::test {

namespace {

void PutLe32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int b = 0; b < 4; ++b) bytes[at + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(value >> (8 * b));
}

Bytes NameField(const std::string& name, std::size_t size) {
  Bytes bytes(size, 0);
  std::copy_n(name.begin(), std::min(name.size(), size), bytes.begin());
  return bytes;
}

}  // namespace

Bytes Record11(const std::string& name) { return NameField(name, 11); }

Bytes Record16(const std::string& name, std::uint32_t tail) {
  Bytes bytes = NameField(name, 16);
  std::fill(bytes.begin() + 12, bytes.end(), 0);
  PutLe32(bytes, 12, tail);
  return bytes;
}

Bytes Record16Name(const std::string& sixteen) { return NameField(sixteen, 16); }

Bytes Record32(const std::string& name, std::uint32_t length) {
  Bytes bytes = NameField(name, 32);
  std::fill(bytes.begin() + 28, bytes.end(), 0);
  PutLe32(bytes, 28, length);
  return bytes;
}

Bytes Content(std::size_t length, std::uint8_t seed) {
  Bytes bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 8));
  return bytes;
}

Bytes StreamOf(const InstrumentScript& script) {
  Bytes stream(4);
  PutLe32(stream, 0, static_cast<std::uint32_t>(script.count));
  for (const InstrumentFile& file : script.files) {
    stream.insert(stream.end(), file.record.begin(), file.record.end());
    stream.insert(stream.end(), file.content.begin(), file.content.end());
  }
  return stream;
}

SimulatedInstrumentLink::SimulatedInstrumentLink(UploadTransportKind kind, Bytes stream)
    : m_kind(kind), m_stream(std::move(stream)) {}

bool SimulatedInstrumentLink::Open() {
  open = !refuseOpen;
  return open;
}

bool SimulatedInstrumentLink::Start() { return !refuseStart; }

bool SimulatedInstrumentLink::Request(UsbCommandCode code, std::uint32_t length) {
  if (refuseRequest && static_cast<int>(requests.size()) == *refuseRequest) return false;
  const auto block = UsbCommandBlock(code, length);
  requests.emplace_back(block.begin(), block.end());
  return true;
}

std::size_t SimulatedInstrumentLink::Receive(std::span<std::uint8_t> into, const std::atomic<bool>& cancel) {
  const std::size_t end = std::min(m_stream.size(), streamEnd.value_or(m_stream.size()));
  const std::size_t n = std::min(into.size(), end - std::min(end, m_sent));
  std::copy_n(m_stream.begin() + static_cast<std::ptrdiff_t>(m_sent), n, into.begin());
  m_sent += n;
  if (n < into.size() && silentUntilCancelled) {
    while (!cancel.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return n;
}

void SimulatedInstrumentLink::Close() {
  if (open) ++closes;
  open = false;
}

}  // namespace lumivane::test
