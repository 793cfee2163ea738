#include "platform/sort_string_array.h"

#include <algorithm>
#include <utility>

#include "platform/ascii_case.h"

namespace {

// Bytes above 127 compare by their unsigned value, which orders UTF-8 text by code point.
unsigned char FoldAsciiCase(char c) { return static_cast<unsigned char>(lumivane::AsciiLower(c)); }

}  // namespace

int CompareNoCase(const std::string& a, const std::string& b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int difference = FoldAsciiCase(a[i]) - FoldAsciiCase(b[i]);
    if (difference != 0) {
      return difference;
    }
  }
  // A string that is a prefix of the other sorts first.
  return (a.size() < b.size()) ? -1 : (a.size() > b.size() ? 1 : 0);
}

int CSortStringArray::SwapIfGreater(std::size_t i) {
  if (i < size() && i + 1 < size() && CompareNoCase((*this)[i], (*this)[i + 1]) > 0) {
    std::swap((*this)[i], (*this)[i + 1]);
    return 1;
  }
  return 0;
}

void CSortStringArray::SortNoCase() {
  // A stable sort by "compares below" gives exactly the order of repeated neighbour swaps on
  // "compares above", without the quadratic cost on large folders.
  std::stable_sort(begin(), end(), [](const std::string& a, const std::string& b) {
    return CompareNoCase(a, b) < 0;
  });
}
