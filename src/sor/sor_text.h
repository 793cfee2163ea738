#pragma once
// Helpers for the record's fixed-capacity texts (one file byte per UTF-16 cell, zero-terminated).
#include <algorithm>
#include <cstddef>
#include <string_view>

/// Length of a record text up to its terminator or its capacity.
template <std::size_t N>
std::size_t SorTextLength(const char16_t (&text)[N]) {
  std::size_t n = 0;
  while (n < N && text[n] != 0) ++n;
  return n;
}

/// The record text as a view (no copy).
template <std::size_t N>
std::u16string_view SorTextView(const char16_t (&text)[N]) {
  return {text, SorTextLength(text)};
}

/// Stores value cut to the capacity and terminated.
template <std::size_t N>
void SetSorText(char16_t (&text)[N], std::u16string_view value) {
  const std::size_t n = value.size() < N - 1 ? value.size() : N - 1;
  for (std::size_t i = 0; i < n; ++i) text[i] = value[i];
  for (std::size_t i = n; i < N; ++i) text[i] = 0;
}

/// Stores 8-bit characters (such as block names) widened, cut to the capacity and terminated.
template <std::size_t N>
void SetSorText(char16_t (&text)[N], std::string_view value) {
  const std::size_t n = value.size() < N - 1 ? value.size() : N - 1;
  for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<unsigned char>(value[i]);
  for (std::size_t i = n; i < N; ++i) text[i] = 0;
}

/// True when a record text holds exactly the 8-bit name.
inline bool SorTextEquals(std::u16string_view text, std::string_view name) {
  return std::equal(text.begin(), text.end(), name.begin(), name.end(),
                    [](char16_t a, char b) { return a == static_cast<unsigned char>(b); });
}
