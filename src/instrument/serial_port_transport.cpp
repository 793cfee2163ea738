#include "instrument/serial_port_transport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

#include "instrument/serial_port_config.h"

namespace {

using Clock = std::chrono::steady_clock;

// Waits are cut into slices so a cancelled transfer ends soon.
constexpr int kPollSliceMs = 100;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, kPollSliceMs));
}

}  // namespace

SerialPortTransport::SerialPortTransport(PortSettings settings, ReceiveLimits limits)
    : m_settings(std::move(settings)), m_limits(limits) {}

SerialPortTransport::~SerialPortTransport() { Close(); }

bool SerialPortTransport::Open() {
  Close();
  const std::string path = SerialDevicePath(m_settings.m_strPortName);
  m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (m_fd < 0) return false;
  termios tio{};
  // The terminal's exclusive mode keeps other users out, the lock also other programs run by root.
  const bool ready = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0 && ::ioctl(m_fd, TIOCEXCL) == 0 && ::tcgetattr(m_fd, &tio) == 0 &&
                     ApplyPortSettings(tio, m_settings) && ::tcsetattr(m_fd, TCSANOW, &tio) == 0 &&
                     ::tcflush(m_fd, TCIFLUSH) == 0;
  if (!ready) Close();
  return ready;
}

bool SerialPortTransport::Start() {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(UploadGreeting.data());
  std::size_t sent = 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_limits.firstByteMs);
  while (sent < UploadGreeting.size()) {
    const ssize_t n = ::write(m_fd, bytes + sent, UploadGreeting.size() - sent);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    if (Clock::now() >= deadline) return false;
    pollfd p{m_fd, POLLOUT, 0};
    ::poll(&p, 1, MillisecondsLeft(deadline));
  }
  // Not drained: with hardware flow control and nobody at the other end that wait would never end.
  return true;
}

std::size_t SerialPortTransport::Receive(std::span<std::uint8_t> into, const std::atomic<bool>& cancel) {
  std::size_t got = 0;
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(m_limits.firstByteMs);
  while (got < into.size() && !cancel.load()) {
    const ssize_t n = ::read(m_fd, into.data() + got, into.size() - got);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
      deadline = Clock::now() + std::chrono::milliseconds(m_limits.interByteMs);
      continue;
    }
    // End of file: the line is gone (a hang-up); an error other than "nothing yet" ends the read too.
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) break;
    if (Clock::now() >= deadline) break;
    pollfd p{m_fd, POLLIN, 0};
    ::poll(&p, 1, MillisecondsLeft(deadline));
  }
  return got;
}

void SerialPortTransport::Close() {
  if (m_fd < 0) return;
  ::ioctl(m_fd, TIOCNXCL);
  ::close(m_fd);
  m_fd = -1;
}
