#pragma once
// An INI file's lines as they are on disk, parsed once per change of the file: every profile read
// of a document update asks for them again, and a reparse of the whole file for each key would make
// a large file freeze the program.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/ini_lines.h"

namespace lumivane {

/// An INI file larger than this is neither read nor written: no settings file comes near it, and
/// the work of reading one bigger would grow with it.
inline constexpr std::size_t kIniFileByteLimit = std::size_t{1} << 20;

/// What reading an INI file found.
enum class IniFileState {
  Missing,     ///< no file of that name
  Read,        ///< its lines are there
  Unreadable,  ///< not a regular file, or it could not be read
  TooLarge,    ///< beyond kIniFileByteLimit; left unread
};

struct IniSnapshot {
  IniFileState state = IniFileState::Missing;
  std::shared_ptr<const std::vector<IniLine>> lines;  // never null; empty unless state is Read
};

/// The lines of the file at `path` now. A file whose identity, size and times are those of the last
/// parse is not read again; one changed within the file system's timestamp resolution of that parse
/// is, so no edit goes unseen. A FIFO or device of that name is never opened for reading in a way
/// that waits.
IniSnapshot ReadIniSnapshot(const std::string& path);

}  // namespace lumivane
