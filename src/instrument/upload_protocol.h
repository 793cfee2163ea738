#pragma once
// The instrument's file-list protocol: an announced count whose value range picks the layout of the
// per-file record, then each file's record and content. Over USB every reply is asked for with a
// 6-byte command block; over RS232 one greeting starts a single stream from the instrument.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

/// How an upload ended, as the progress count shows it (its negative values).
enum UploadStatus : std::int32_t {
  UploadConnecting = -1,
  UploadStartFailed = -2,
  UploadTransferFailed = -3,
  UploadOpenFailed = -4,
  UploadFileTooLarge = -5,  // a record announces a file longer than any trace file
  UploadUnsupportedCount = -212,
};

/// The 23 bytes that open an RS232 transfer; sent without a terminator.
inline constexpr std::string_view UploadGreeting = "Norvalex Tech: Kestrova";

/// The length of every file of the two fixed-length layouts.
inline constexpr std::uint32_t FixedUploadFileSize = 0x24000;

/// USB command codes; each asks for one reply.
enum UsbCommandCode : std::uint8_t {
  UsbCmdCount = 0x81,
  UsbCmdNextRecord = 0x82,
  UsbCmdContent = 0x83,
};

/// The bytes of the announced count.
inline constexpr int kUploadCountBytes = 4;

/// The layout of `UploadFileRecord` for all files of one transfer, chosen by the count's range.
enum class UploadLayout {
  Fixed11,     // 11-byte name, files of FixedUploadFileSize
  Fixed16,     // 16-byte record, files of FixedUploadFileSize; bytes 12-15 are no length
  Explicit16,  // 12-byte name, unsigned 32-bit length at bytes 12-15
  Explicit32,  // 28-byte name, unsigned 32-bit length at bytes 28-31
};

/// Which transport carried the records; the two read the Fixed16 name differently.
enum class UploadTransportKind { Usb, Serial };

/// The decoded count: the layout and number of files, or the status that refuses it.
struct UploadCountInfo {
  std::int32_t status = 0;  // 0, or UploadUnsupportedCount
  UploadLayout layout = UploadLayout::Fixed11;
  std::int32_t files = 0;
};

/// The largest record of any layout.
inline constexpr int kMaxUploadRecordLength = 32;

/// Decodes the 4-byte little-endian count. Negative values and 40000 or more are refused.
UploadCountInfo DecodeUploadCount(std::int32_t count);

/// The count as the instrument sends it: 4 bytes, little-endian, signed.
std::int32_t ReadUploadCount(std::span<const std::uint8_t, kUploadCountBytes> bytes);

/// The record length of a layout: 11, 16 or 32 bytes.
int UploadRecordLength(UploadLayout layout);

/// The file length a record announces: its last four bytes in the explicit layouts, else the fixed size.
std::uint32_t UploadFileLength(UploadLayout layout, std::span<const std::uint8_t> record);

/// The file name's bytes: the name field up to its first zero byte, or the whole field.
std::string UploadFileName(UploadLayout layout, UploadTransportKind transport, std::span<const std::uint8_t> record);

/// The 6-byte USB command block: zeros, the expected reply length's low 16 bits at the odd offset 3
/// (little-endian), then the code.
std::array<std::uint8_t, 6> UsbCommandBlock(UsbCommandCode code, std::uint32_t replyLength);
