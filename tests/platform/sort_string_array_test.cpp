#include "platform/sort_string_array.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

TEST(SortStringArrayTest, SortNoCaseOrdersIgnoringAsciiCaseAndKeepsTies) {
  struct Case {
    Names input;
    Names sorted;
  };
  const std::vector<Case> cases = {
      {{}, {}},
      {{"only.sor"}, {"only.sor"}},
      {{"b", "A", "a", "C"}, {"A", "a", "b", "C"}},
      {{"B", "b", "a", "A"}, {"a", "A", "B", "b"}},
      // Letters compare as lower case, so '_' (between 'Z' and 'a') comes before every letter.
      {{"a.sor", "_x.sor", "Z.sor"}, {"_x.sor", "a.sor", "Z.sor"}},
      {{"ab", "A"}, {"A", "ab"}},
      {{"trace10.sor", "Trace2.sor", "trace1.sor"}, {"trace1.sor", "trace10.sor", "Trace2.sor"}},
      // Non-ASCII letters are not folded and sort after ASCII, by code point.
      {{"\xC3\xA9", "\xC3\x89", "z"}, {"z", "\xC3\x89", "\xC3\xA9"}},
  };
  for (const Case& c : cases) {
    CSortStringArray array(c.input.begin(), c.input.end());
    array.SortNoCase();
    EXPECT_EQ(static_cast<const Names&>(array), c.sorted) << ::testing::PrintToString(c.input);
  }
}

TEST(SortStringArrayTest, SwapIfGreaterSwapsOnlyStrictlyGreaterNeighbours) {
  CSortStringArray array{"b", "A", "a", "B"};
  EXPECT_EQ(array.SwapIfGreater(0), 1);
  EXPECT_EQ(static_cast<const Names&>(array), (Names{"A", "b", "a", "B"}));
  EXPECT_EQ(array.SwapIfGreater(0), 0);  // "A" before "b"
  EXPECT_EQ(array.SwapIfGreater(1), 1);
  EXPECT_EQ(array.SwapIfGreater(2), 0);  // "b" and "B" differ only in case
  EXPECT_EQ(static_cast<const Names&>(array), (Names{"A", "a", "b", "B"}));
  EXPECT_EQ(array.SwapIfGreater(3), 0);  // no neighbour past the end
  EXPECT_EQ(array.SwapIfGreater(100), 0);
  EXPECT_EQ(array.SwapIfGreater(static_cast<std::size_t>(-1)), 0);
}

// Repeated neighbour passes are the defining order; the sort must match it exactly, ties included.
TEST(SortStringArrayTest, SortNoCaseMatchesRepeatedNeighbourPasses) {
  std::mt19937 random(7);
  const std::string alphabet = "aAbB_z.1";
  for (int round = 0; round < 50; ++round) {
    CSortStringArray array;
    const int count = static_cast<int>(random() % 30);
    for (int i = 0; i < count; ++i) {
      std::string name;
      const int length = static_cast<int>(random() % 4);
      for (int k = 0; k < length; ++k) {
        name += alphabet[random() % alphabet.size()];
      }
      array.push_back(name);
    }
    CSortStringArray passes = array;
    for (bool swapped = true; swapped;) {
      swapped = false;
      for (std::size_t i = 0; i + 1 < passes.size(); ++i) {
        swapped = (passes.SwapIfGreater(i) != 0) || swapped;
      }
    }
    array.SortNoCase();
    ASSERT_EQ(static_cast<const Names&>(array), static_cast<const Names&>(passes)) << "round " << round;
  }
}

}  // namespace
