#pragma once
// How the upload's port settings become a serial line's settings on this system.
#include <termios.h>

#include <string>
#include <string_view>

#include "document/document_settings.h"

/// The device a port name stands for: a path stays as it is, "COMn" is the n-th serial line
/// (/dev/ttyS<n-1>), any other name is looked up in /dev.
std::string SerialDevicePath(std::string_view portName);

/// Sets `tio` to a raw binary line with the baud rate, the data bits (the low byte of the setting),
/// the parity index (0 none, 1 even, 2 odd) and the stop-bit index (0 one, 2 two); other indices
/// leave the line's parity or stop bits. Software flow control is off; hardware flow control stays
/// as the line has it. False when a setting cannot be made here (an unknown baud rate, data bits
/// outside 5 to 8, one and a half stop bits).
bool ApplyPortSettings(termios& tio, const PortSettings& settings);
