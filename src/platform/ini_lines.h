#pragma once
// The lines of an INI file as the profile functions see them. Each line keeps its own line break, so
// a file is rebuilt byte for byte from its lines and a write changes only the line it means to.
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

/// One physical line of an INI file.
struct IniLine {
  enum class Kind { Other, Section, Key };
  std::string text;   // the line without its line break
  std::string eol;    // the line break ("" on a last line without one)
  Kind kind = Kind::Other;
  std::string name;   // section or key name, trimmed
  std::string value;  // key value, trimmed
};

/// `text` without leading and trailing blanks and tabs.
std::string_view TrimIniBlanks(std::string_view text);

/// The lines of a file's bytes, each classified as a section header, a key or anything else
/// (comments, blank lines, lines without '=').
std::vector<IniLine> ParseIniLines(std::string_view bytes);

}  // namespace lumivane
