#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <optional>
#include <unordered_set>

#include "platform/ascii_case.h"
#include "platform/folder_sync.h"

namespace lumivane {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// One physical line of the file. `text` excludes the line break, which `eol` holds ("" on a last
// line without one), so the file is rebuilt byte for byte from its lines.
struct Line {
  enum class Kind { Other, Section, Key };
  std::string text;
  std::string eol;
  Kind kind = Kind::Other;
  std::string name;   // section or key name, trimmed
  std::string value;  // key value, trimmed
};

void Classify(Line& line, bool first) {
  std::string_view body = line.text;
  // A byte-order mark written by Windows editors precedes the first line.
  if (first && body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
  const std::string_view trimmed = Trim(body);
  if (trimmed.empty() || trimmed.front() == ';') return;
  if (trimmed.front() == '[') {
    const auto close = trimmed.find(']');
    if (close == std::string_view::npos) return;
    line.kind = Line::Kind::Section;
    line.name = Trim(trimmed.substr(1, close - 1));
    return;
  }
  const auto eq = trimmed.find('=');
  if (eq == std::string_view::npos) return;
  const std::string_view key = Trim(trimmed.substr(0, eq));
  if (key.empty()) return;
  line.kind = Line::Kind::Key;
  line.name = key;
  line.value = Trim(trimmed.substr(eq + 1));
}

struct Parsed {
  std::vector<Line> lines;
  bool readable = true;
};

// The file's bytes; nothing when it does not exist. Anything but a regular file (a FIFO or a device
// named like the file, a folder) is unreadable: it is opened without waiting, so a FIFO cannot block
// the caller, and it is never read.
std::optional<std::string> ReadRegularFile(const std::string& path, bool& exists) {
  exists = true;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    exists = errno != ENOENT && errno != ENOTDIR;
    return std::nullopt;
  }
  struct stat info {};
  std::optional<std::string> bytes;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    bytes.emplace();
    char buffer[65536];
    for (;;) {
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        bytes.reset();
        break;
      }
      if (n == 0) break;
      bytes->append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  return bytes;
}

Parsed Load(const std::string& path) {
  Parsed parsed;
  bool exists = false;
  const std::optional<std::string> read = ReadRegularFile(path, exists);
  if (!read) {
    parsed.readable = !exists;
    return parsed;
  }
  const std::string& bytes = *read;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto nl = bytes.find('\n', pos);
    const std::size_t end = nl == std::string::npos ? bytes.size() : nl;
    std::size_t textEnd = end;
    if (textEnd > pos && bytes[textEnd - 1] == '\r') --textEnd;
    Line line;
    line.text = bytes.substr(pos, textEnd - pos);
    line.eol = bytes.substr(textEnd, nl == std::string::npos ? end - textEnd : end + 1 - textEnd);
    parsed.lines.push_back(std::move(line));
    pos = nl == std::string::npos ? bytes.size() : nl + 1;
  }
  for (std::size_t i = 0; i < parsed.lines.size(); ++i) Classify(parsed.lines[i], i == 0);
  return parsed;
}

// The first section of that name: the index of its header and of the line after its last line.
struct SectionRange {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::string_view section) {
  const std::string_view wanted = Trim(section);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != Line::Kind::Section || !EqualsIgnoreAsciiCase(lines[i].name, wanted)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && lines[end].kind != Line::Kind::Section) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, SectionRange range, std::string_view key) {
  const std::string_view wanted = Trim(key);
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    if (lines[i].kind == Line::Kind::Key && EqualsIgnoreAsciiCase(lines[i].name, wanted)) return i;
  }
  return std::nullopt;
}

// The profile functions hand out a value without one pair of enclosing quotes.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Names met so far, compared without regard to ASCII case, in time linear in the names.
class FirstSpellings {
 public:
  /// True the first time a name is offered in any spelling.
  bool IsFirst(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = AsciiLower(c);
    return seen_.insert(std::move(folded)).second;
  }

 private:
  std::unordered_set<std::string> seen_;
};

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool ValidSection(std::string_view section) {
  return !section.empty() && !HasLineBreak(section) && section.find(']') == std::string_view::npos;
}

bool ValidKey(std::string_view key) {
  return !key.empty() && !HasLineBreak(key) && key.find('=') == std::string_view::npos && key.front() != '[' &&
         key.front() != ';';
}

// Writes beside the target and renames over it, so a failed write never damages the existing file.
IniWriteOutcome ReplaceFile(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".tmp-" + std::to_string(::getpid());
  struct stat old {};
  const bool existed = ::stat(path.c_str(), &old) == 0;
  // Renaming would replace a file the user made read-only; honour that as writing in place would.
  if (existed && ::access(path.c_str(), W_OK) != 0) return IniWriteOutcome::WriteFailed;
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, existed ? (old.st_mode & 07777) : 0666);
  if (fd < 0) return IniWriteOutcome::WriteFailed;
  // The creation mode passes through the umask; the replaced file keeps exactly its own mode.
  bool ok = !existed || ::fchmod(fd, old.st_mode & 07777) == 0;
  std::size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok) {
    ::unlink(temp.c_str());
    return IniWriteOutcome::WriteFailed;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return IniWriteOutcome::ReplaceFailed;
  }
  SyncFolderOf(path);
  return IniWriteOutcome::Written;
}

}  // namespace

int ParseLeadingInt(std::string_view text) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  long long magnitude = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    // Saturate rather than wrap: a huge number must not come back with the other sign.
    if (magnitude <= static_cast<long long>(INT_MAX) + 1) magnitude = magnitude * 10 + (c - '0');
  }
  if (negative) return magnitude > static_cast<long long>(INT_MAX) ? INT_MIN : static_cast<int>(-magnitude);
  return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
  const Parsed parsed = Load(path_);
  const auto range = FindSection(parsed.lines, section);
  if (!range) return std::string(fallback);
  const auto line = FindKey(parsed.lines, *range, key);
  if (!line) return std::string(fallback);
  return std::string(Unquote(parsed.lines[*line].value));
}

int IniFile::ReadInt(std::string_view section, std::string_view key, int fallback) const {
  const std::string text = ReadString(section, key);
  // An empty value counts as missing; text that does not start with a number reads as 0.
  return text.empty() ? fallback : ParseLeadingInt(text);
}

std::vector<std::string> IniFile::SectionNames() const {
  const Parsed parsed = Load(path_);
  std::vector<std::string> names;
  FirstSpellings seen;
  for (const Line& line : parsed.lines) {
    if (line.kind == Line::Kind::Section && seen.IsFirst(line.name)) names.push_back(line.name);
  }
  return names;
}

std::vector<IniFile::Entry> IniFile::ReadSection(std::string_view section) const {
  const Parsed parsed = Load(path_);
  std::vector<Entry> entries;
  const auto range = FindSection(parsed.lines, section);
  if (!range) return entries;
  FirstSpellings seen;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const Line& line = parsed.lines[i];
    if (line.kind == Line::Kind::Key && seen.IsFirst(line.name)) {
      entries.emplace_back(line.name, std::string(Unquote(line.value)));
    }
  }
  return entries;
}

IniWriteOutcome IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) const {
  section = Trim(section);
  key = Trim(key);
  value = Trim(value);
  if (!ValidSection(section) || !ValidKey(key)) return IniWriteOutcome::InvalidName;
  if (HasLineBreak(value)) return IniWriteOutcome::InvalidValue;

  Parsed parsed = Load(path_);
  if (!parsed.readable) return IniWriteOutcome::ReadFailed;
  std::vector<Line>& lines = parsed.lines;
  // New lines follow the file's own line breaks.
  std::string eol = "\n";
  for (const Line& line : lines) {
    if (!line.eol.empty()) {
      eol = line.eol;
      break;
    }
  }
  auto keyLine = [&](std::string_view name) {
    Line line;
    line.text = std::string(name) + "=" + std::string(value);
    line.eol = eol;
    return line;
  };
  // A new line must not run on from a last line that has no line break.
  auto endLastLine = [&](std::size_t before) {
    if (before > 0 && lines[before - 1].eol.empty()) lines[before - 1].eol = eol;
  };

  const auto range = FindSection(lines, section);
  if (!range) {
    endLastLine(lines.size());
    Line header;
    // Appending, not "[" + std::string(...): g++ 12 reports a false -Wrestrict overlap on the latter.
    header.text.append("[").append(section).append("]");
    header.eol = eol;
    lines.push_back(std::move(header));
    lines.push_back(keyLine(key));
  } else if (const auto existing = FindKey(lines, *range, key)) {
    // The key keeps its spelling; only the value changes.
    Line& line = lines[*existing];
    line.text = line.name + "=" + std::string(value);
  } else {
    // After the section's last non-blank line, so blank lines before the next section stay there.
    std::size_t at = range->end;
    while (at > range->header + 1 && Trim(lines[at - 1].text).empty()) --at;
    endLastLine(at);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), keyLine(key));
  }

  std::string bytes;
  for (const Line& line : lines) bytes += line.text + line.eol;
  return ReplaceFile(path_, bytes);
}

}  // namespace lumivane
