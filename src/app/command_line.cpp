#include "app/command_line.h"

#include "app/open_rules.h"
#include "platform/ascii_case.h"
#include "platform/path_util.h"

namespace {

using lumivane::EqualsIgnoreAsciiCase;

bool IsSwitchStart(char c) { return c == '-' || c == '/'; }

bool IsEmbeddingSwitch(std::string_view arg) {
  if (arg.size() < 2 || !IsSwitchStart(arg.front())) return false;
  const std::string_view name = arg.substr(1);
  return EqualsIgnoreAsciiCase(name, "Embedding") || EqualsIgnoreAsciiCase(name, "Automation");
}

}  // namespace

CommandLineInfo ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLineInfo info;
  for (const std::string& arg : arguments) {
    if (IsEmbeddingSwitch(arg)) {
      info.embeddedStart = true;
      info.showSplash = false;
    }
    if (!info.rawCommandLine.empty()) info.rawCommandLine += ' ';
    info.rawCommandLine += arg;
  }
  return info;
}

std::string TracePathOfCommandLine(std::string_view commandLine, std::string_view currentDir) {
  const std::string path = NormaliseOpenPath(commandLine);
  if (path.empty() || path.front() == '/' || !lumivane::HasSorSuffix(path)) return std::string(commandLine);
  return lumivane::JoinPath(currentDir, path);
}

RegistrationSwitch FindRegistrationSwitch(std::string_view commandLine) {
  for (std::size_t i = 0; i < commandLine.size(); ++i) {
    if (!IsSwitchStart(commandLine[i])) continue;
    const std::string_view rest = commandLine.substr(i + 1);
    if (EqualsIgnoreAsciiCase(rest, "UnregServer")) return RegistrationSwitch::Unregister;
    if (EqualsIgnoreAsciiCase(rest, "RegServer")) return RegistrationSwitch::Register;
  }
  return RegistrationSwitch::None;
}
