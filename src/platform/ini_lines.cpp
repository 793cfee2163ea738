#include "platform/ini_lines.h"

namespace lumivane {
namespace {

constexpr std::string_view kBlanks = " \t";

void Classify(IniLine& line, bool first) {
  std::string_view body = line.text;
  // A byte-order mark written by Windows editors precedes the first line.
  if (first && body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
  const std::string_view trimmed = TrimIniBlanks(body);
  if (trimmed.empty() || trimmed.front() == ';') return;
  if (trimmed.front() == '[') {
    const auto close = trimmed.find(']');
    if (close == std::string_view::npos) return;
    line.kind = IniLine::Kind::Section;
    line.name = TrimIniBlanks(trimmed.substr(1, close - 1));
    return;
  }
  const auto eq = trimmed.find('=');
  if (eq == std::string_view::npos) return;
  const std::string_view key = TrimIniBlanks(trimmed.substr(0, eq));
  if (key.empty()) return;
  line.kind = IniLine::Kind::Key;
  line.name = key;
  line.value = TrimIniBlanks(trimmed.substr(eq + 1));
}

}  // namespace

std::string_view TrimIniBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::vector<IniLine> ParseIniLines(std::string_view bytes) {
  std::vector<IniLine> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto nl = bytes.find('\n', pos);
    const std::size_t end = nl == std::string_view::npos ? bytes.size() : nl;
    std::size_t textEnd = end;
    if (textEnd > pos && bytes[textEnd - 1] == '\r') --textEnd;
    IniLine line;
    line.text = bytes.substr(pos, textEnd - pos);
    line.eol = bytes.substr(textEnd, nl == std::string_view::npos ? end - textEnd : end + 1 - textEnd);
    Classify(line, lines.empty());
    lines.push_back(std::move(line));
    pos = nl == std::string_view::npos ? bytes.size() : nl + 1;
  }
  return lines;
}

}  // namespace lumivane
