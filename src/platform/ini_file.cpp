#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <optional>
#include <unordered_set>

#include "platform/ascii_case.h"
#include "platform/folder_sync.h"
#include "platform/ini_snapshot.h"

namespace lumivane {
namespace {

// The first section of that name: the index of its header and of the line after its last line.
struct SectionRange {
  std::size_t header;
  std::size_t end;
};

std::optional<SectionRange> FindSection(const std::vector<IniLine>& lines, std::string_view section) {
  const std::string_view wanted = TrimIniBlanks(section);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != IniLine::Kind::Section || !EqualsIgnoreAsciiCase(lines[i].name, wanted)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && lines[end].kind != IniLine::Kind::Section) ++end;
    return SectionRange{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<IniLine>& lines, SectionRange range, std::string_view key) {
  const std::string_view wanted = TrimIniBlanks(key);
  for (std::size_t i = range.header + 1; i < range.end; ++i) {
    if (lines[i].kind == IniLine::Kind::Key && EqualsIgnoreAsciiCase(lines[i].name, wanted)) return i;
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
  text = TrimIniBlanks(text);
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

bool IniFile::IsTooLarge() const { return ReadIniSnapshot(path_).state == IniFileState::TooLarge; }

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
  const IniSnapshot snapshot = ReadIniSnapshot(path_);
  const std::vector<IniLine>& lines = *snapshot.lines;
  const auto range = FindSection(lines, section);
  if (!range) return std::string(fallback);
  const auto line = FindKey(lines, *range, key);
  if (!line) return std::string(fallback);
  return std::string(Unquote(lines[*line].value));
}

int IniFile::ReadInt(std::string_view section, std::string_view key, int fallback) const {
  const std::string text = ReadString(section, key);
  // An empty value counts as missing; text that does not start with a number reads as 0.
  return text.empty() ? fallback : ParseLeadingInt(text);
}

std::vector<std::string> IniFile::SectionNames() const {
  const IniSnapshot snapshot = ReadIniSnapshot(path_);
  std::vector<std::string> names;
  FirstSpellings seen;
  for (const IniLine& line : *snapshot.lines) {
    if (line.kind == IniLine::Kind::Section && seen.IsFirst(line.name)) names.push_back(line.name);
  }
  return names;
}

std::vector<IniFile::Entry> IniFile::ReadSection(std::string_view section) const {
  const IniSnapshot snapshot = ReadIniSnapshot(path_);
  const std::vector<IniLine>& lines = *snapshot.lines;
  std::vector<Entry> entries;
  const auto range = FindSection(lines, section);
  if (!range) return entries;
  FirstSpellings seen;
  for (std::size_t i = range->header + 1; i < range->end; ++i) {
    const IniLine& line = lines[i];
    if (line.kind == IniLine::Kind::Key && seen.IsFirst(line.name)) {
      entries.emplace_back(line.name, std::string(Unquote(line.value)));
    }
  }
  return entries;
}

IniWriteOutcome IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) const {
  section = TrimIniBlanks(section);
  key = TrimIniBlanks(key);
  value = TrimIniBlanks(value);
  if (!ValidSection(section) || !ValidKey(key)) return IniWriteOutcome::InvalidName;
  if (HasLineBreak(value)) return IniWriteOutcome::InvalidValue;

  const IniSnapshot snapshot = ReadIniSnapshot(path_);
  if (snapshot.state == IniFileState::TooLarge) return IniWriteOutcome::TooLarge;
  if (snapshot.state == IniFileState::Unreadable) return IniWriteOutcome::ReadFailed;
  std::vector<IniLine> lines = *snapshot.lines;
  // New lines follow the file's own line breaks.
  std::string eol = "\n";
  for (const IniLine& line : lines) {
    if (!line.eol.empty()) {
      eol = line.eol;
      break;
    }
  }
  auto keyLine = [&](std::string_view name) {
    IniLine line;
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
    IniLine header;
    // Appending, not "[" + std::string(...): g++ 12 reports a false -Wrestrict overlap on the latter.
    header.text.append("[").append(section).append("]");
    header.eol = eol;
    lines.push_back(std::move(header));
    lines.push_back(keyLine(key));
  } else if (const auto existing = FindKey(lines, *range, key)) {
    // The key keeps its spelling; only the value changes.
    IniLine& line = lines[*existing];
    line.text = line.name + "=" + std::string(value);
  } else {
    // After the section's last non-blank line, so blank lines before the next section stay there.
    std::size_t at = range->end;
    while (at > range->header + 1 && TrimIniBlanks(lines[at - 1].text).empty()) --at;
    endLastLine(at);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), keyLine(key));
  }

  std::string bytes;
  for (const IniLine& line : lines) bytes += line.text + line.eol;
  // A write must not make the file one that is no longer read.
  if (bytes.size() > kIniFileByteLimit) return IniWriteOutcome::TooLarge;
  return ReplaceFile(path_, bytes);
}

}  // namespace lumivane
