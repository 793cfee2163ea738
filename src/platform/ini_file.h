#pragma once
// Private-profile INI files with the semantics of the Windows profile functions, so files shared with
// Windows installations keep working: section and key names compare without regard to ASCII case, keys may
// contain blanks, values are trimmed, and a write changes one line and keeps every other byte.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ini_snapshot.h"

namespace lumivane {

/// How a write ended. Anything but Written leaves the file as it was.
enum class IniWriteOutcome {
  Written,
  InvalidName,    ///< empty or multi-line section or key, a section with ']', a key with '=' or a leading '[' or ';'
  InvalidValue,   ///< a value with a line break
  ReadFailed,     ///< the file exists but cannot be read; writing would lose its other content
  TooLarge,       ///< the file is, or would become, larger than kIniFileByteLimit
  WriteFailed,    ///< the temporary file could not be written
  ReplaceFailed,  ///< the temporary file could not take the place of the file
};

/// One INI file on disk. Every call sees the file as it is now, as the profile functions do; a file
/// is parsed again only when it changed. A file beyond kIniFileByteLimit reads as empty and is never
/// written.
class IniFile {
 public:
  using Entry = std::pair<std::string, std::string>;

  explicit IniFile(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }
  /// Whether the file is beyond kIniFileByteLimit, so that it is neither read nor written.
  bool IsTooLarge() const;

  /// The trimmed value of `key` in `section`; `fallback` when the file, section or key is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback = {}) const;
  /// The value as a decimal integer: optional sign and leading digits, 0 when it starts otherwise;
  /// `fallback` when the key is missing or its value is empty.
  int ReadInt(std::string_view section, std::string_view key, int fallback) const;
  /// Every section name in file order, each once (its first spelling); empty for a missing file.
  std::vector<std::string> SectionNames() const;
  /// The keys and values of `section` in file order, each key once; empty when it is missing.
  std::vector<Entry> ReadSection(std::string_view section) const;
  /// Sets `key` in `section`, creating the file and the section as needed.
  IniWriteOutcome WriteString(std::string_view section, std::string_view key, std::string_view value) const;

 private:
  std::string path_;
};

/// The integer at the start of `text` as the profile functions parse it (0 when there is none).
int ParseLeadingInt(std::string_view text);

}  // namespace lumivane
