#include "instrument/serial_port_config.h"

#include <gtest/gtest.h>

TEST(SerialPortConfigTest, PortNamesBecomeDevices) {
  const std::pair<std::string, std::string> cases[] = {
      {"COM1", "/dev/ttyS0"},        {"com4", "/dev/ttyS3"},           {"COM12", "/dev/ttyS11"},
      {"COM7", "/dev/ttyS6"},        {"ttyUSB0", "/dev/ttyUSB0"},      {"/dev/pts/3", "/dev/pts/3"},
      {"COM0", "/dev/COM0"},         {"COM1x", "/dev/COM1x"},          {"./port", "./port"},
  };
  for (const auto& [name, device] : cases) EXPECT_EQ(SerialDevicePath(name), device) << name;
}

TEST(SerialPortConfigTest, SettingsBecomeARawLine) {
  termios start{};
  // A line as Linux starts it: software flow control on, input and output translated.
  start.c_iflag = ICRNL | IXON | IXOFF | IXANY | ISTRIP;
  start.c_oflag = OPOST | ONLCR;
  start.c_lflag = ICANON | ECHO | ISIG;
  start.c_cflag = CS7 | PARENB | PARODD | CSTOPB | CRTSCTS;

  struct Case {
    const char* what;
    int baud, dataBits, parity, stopBits;
    bool ok;
    speed_t speed;
    tcflag_t size, parityFlags, stopFlag;
  };
  const Case cases[] = {
      {"the defaults", 115200, 8, 0, 0, true, B115200, CS8, 0, 0},
      {"even parity, two stop bits", 9600, 7, 1, 2, true, B9600, CS7, PARENB, CSTOPB},
      {"odd parity", 300, 5, 2, 0, true, B300, CS5, PARENB | PARODD, 0},
      {"the data bits' low byte", 57600, 0x106, 0, 0, true, B57600, CS6, 0, 0},
      {"unknown indices leave the line's parity and stop bits", 19200, 8, 7, -1, true, B19200, CS8,
       PARENB | PARODD, CSTOPB},
      {"one and a half stop bits", 115200, 8, 0, 1, false, 0, 0, 0, 0},
      {"a rate the line does not have", 14400, 8, 0, 0, false, 0, 0, 0, 0},
      {"nine data bits", 115200, 9, 0, 0, false, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PortSettings settings;
    settings.m_nBaudRate = c.baud;
    settings.m_nDataBits = c.dataBits;
    settings.m_nParity = c.parity;
    settings.m_nStopBits = c.stopBits;
    termios tio = start;
    ASSERT_EQ(ApplyPortSettings(tio, settings), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(cfgetispeed(&tio), c.speed);
    EXPECT_EQ(cfgetospeed(&tio), c.speed);
    EXPECT_EQ(tio.c_cflag & CSIZE, c.size);
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD), c.parityFlags);
    EXPECT_EQ(tio.c_cflag & CSTOPB, c.stopFlag);
    // Binary and raw: no translation and no XON/XOFF, while hardware flow control stays as the line had it.
    EXPECT_EQ(tio.c_iflag & (ICRNL | ISTRIP | IXON | IXOFF | IXANY), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 1);
    EXPECT_EQ(tio.c_cflag & CRTSCTS, static_cast<tcflag_t>(CRTSCTS));
  }
}
