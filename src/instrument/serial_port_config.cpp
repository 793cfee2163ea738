#include "instrument/serial_port_config.h"

#include <array>
#include <optional>
#include <utility>

#include "platform/ascii_case.h"
#include "platform/ini_file.h"

namespace {

constexpr std::array<std::pair<int, speed_t>, 18> kBaudRates = {{
    {50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300}, {600, B600},
    {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
}};

constexpr std::array<std::pair<int, tcflag_t>, 4> kDataBits = {{{5, CS5}, {6, CS6}, {7, CS7}, {8, CS8}}};

constexpr int kParityNone = 0, kParityEven = 1, kParityOdd = 2;
constexpr int kStopOne = 0, kStopOneAndHalf = 1, kStopTwo = 2;

}  // namespace

std::string SerialDevicePath(std::string_view portName) {
  if (portName.find('/') != std::string_view::npos) return std::string(portName);
  if (portName.size() > 3 && lumivane::EqualsIgnoreAsciiCase(portName.substr(0, 3), "COM")) {
    const std::string_view digits = portName.substr(3);
    const int number = lumivane::ParseLeadingInt(digits);
    if (number >= 1 && digits.find_first_not_of("0123456789") == std::string_view::npos) {
      return "/dev/ttyS" + std::to_string(number - 1);
    }
  }
  return "/dev/" + std::string(portName);
}

bool ApplyPortSettings(termios& tio, const PortSettings& settings) {
  speed_t speed = B0;
  for (const auto& [rate, constant] : kBaudRates) {
    if (rate == settings.m_nBaudRate) speed = constant;
  }
  const int dataBits = settings.m_nDataBits & 0xFF;
  std::optional<tcflag_t> size;
  for (const auto& [bits, flag] : kDataBits) {
    if (bits == dataBits) size = flag;
  }
  if (speed == B0 || !size || settings.m_nStopBits == kStopOneAndHalf) return false;

  // Binary: no line editing, echo, signals, character translation or software flow control. A line
  // starts with XON/XOFF on, and trace files hold those bytes by the hundred: left on, the line
  // swallows them. The line's own size, parity and stop bits stay unless set below, and so does
  // hardware flow control.
  const tcflag_t lineControl = tio.c_cflag;
  ::cfmakeraw(&tio);
  tio.c_iflag &= ~static_cast<tcflag_t>(IXOFF | IXANY | IUCLC | IMAXBEL);
  tio.c_cflag = lineControl | CREAD | CLOCAL;
  tio.c_cflag = (tio.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | *size;
  if (settings.m_nParity == kParityNone) tio.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
  if (settings.m_nParity == kParityEven) tio.c_cflag = (tio.c_cflag | PARENB) & ~static_cast<tcflag_t>(PARODD);
  if (settings.m_nParity == kParityOdd) tio.c_cflag |= PARENB | PARODD;
  if (settings.m_nStopBits == kStopOne) tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB);
  if (settings.m_nStopBits == kStopTwo) tio.c_cflag |= CSTOPB;
  // cfmakeraw asks for at least one byte, so a non-blocking read tells "nothing yet" (EAGAIN) from a
  // hung-up line (0); waiting is done by the caller with its own time limits.
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  return true;
}
