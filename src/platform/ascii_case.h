#pragma once
// Case folding of ASCII letters only: names in files and paths are bytes, and folding any other byte
// would depend on the locale.
#include <string_view>

namespace lumivane {

/// The lower-case letter for A to Z, every other byte unchanged.
constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

/// True when `a` and `b` are equal with A to Z taken as a to z.
constexpr bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

}  // namespace lumivane
