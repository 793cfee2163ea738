#pragma once
// Names of a folder's entries are listed in an order that ignores case, so "a.sor" and "A.sor"
// sit together and the listing does not depend on how the instrument spelled its files.
#include <string>
#include <vector>

/// A string array that can sort itself ignoring case; filled and read as a std::vector.
class CSortStringArray : public std::vector<std::string> {
 public:
  using std::vector<std::string>::vector;

  /// Sorts the elements ascending by CompareNoCase; elements that compare equal keep their order.
  void SortNoCase();

  /// Exchanges elements i and i + 1 when element i sorts after element i + 1; returns 1 when it
  /// exchanged them, else 0 (also when i + 1 is past the end).
  int SwapIfGreater(std::size_t i);
};

/// Compares two UTF-8 strings ignoring case: A to Z count as a to z, every other byte by its value
/// (which orders non-ASCII characters by code point). Returns <0, 0 or >0.
int CompareNoCase(const std::string& a, const std::string& b);
