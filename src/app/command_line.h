#pragma once
// What a start's command line asks for. The whole text after the program name is one trace path
// (the shell has split it at blanks; it is joined again with single blanks), except for the
// switches of an embedded or automated start and the two server-registration switches.
#include <string>
#include <string_view>
#include <vector>

/// What the start-up does with a command line.
struct CommandLineInfo {
  std::string rawCommandLine;  ///< the arguments joined with single blanks; the path to open
  bool embeddedStart = false;  ///< started for embedding or automation: start-up returns at once
  bool showSplash = true;      ///< whether the splash may be shown
};

/// Reads the arguments after the program name.
CommandLineInfo ParseCommandLine(const std::vector<std::string>& arguments);

/// The trace a start opens (or hands to the running program) for its command line: a relative
/// trace path is made absolute against `currentDir`, the folder the user started from; any other
/// text stays as it is.
std::string TracePathOfCommandLine(std::string_view commandLine, std::string_view currentDir);

/// The registration switch a command line ends with.
enum class RegistrationSwitch { None, Register, Unregister };

/// Finds "RegServer" or "UnregServer" (any case) right after a "-" or "/"; a switch counts only
/// when nothing follows it.
RegistrationSwitch FindRegistrationSwitch(std::string_view commandLine);
