#include "traceview/overlay_buttons.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TraceButtons, TheCurrentTracesButtonInTheListsOwnOrder) {
  const std::vector<std::string> inOrder{"a", "b", "c", "d"};
  const std::vector<std::string> bLast{"a", "d", "c", "b"};  // b switched to: exchanged with the last
  const ListOrder swapped{false, 1, 3};
  const struct {
    const std::vector<std::string>& paths;
    ListOrder order;
    const char* current;
    int button;
  } cases[] = {
      {inOrder, {}, "a", 1},        {inOrder, {}, "d", 4},      {bLast, swapped, "b", 2},
      {bLast, swapped, "d", 4},     {bLast, swapped, "c", 3},   {inOrder, {}, "e", 0},
      {inOrder, {}, "space", 0},    {inOrder, {false, 1, 7}, "b", 2},  // an exchange beyond the list
  };
  for (const auto& c : cases) EXPECT_EQ(TraceButtonOf(c.paths, c.order, c.current), c.button) << c.current;
}

TEST(CloseCurrentTrace, TheCurrentTraceLeavesAndItsNeighbourFollows) {
  const std::vector<std::string> three{"a", "b", "c"};
  const struct {
    std::vector<std::string> paths;
    const char* current;
    int removed;
    std::optional<std::string> next;
  } cases[] = {
      {three, "a", 0, "b"},                // the first one closed: the next
      {three, "b", 1, "a"},                // the middle one closed: the one before
      {three, "c", 2, "b"},
      {{"a"}, "a", 0, std::nullopt},       // the last one closed: nothing remains
      {three, "x", -1, "c"},               // the document's trace is no longer listed
      {{}, "x", -1, std::nullopt},
  };
  for (const auto& c : cases) {
    const ClosePlan plan = PlanCloseCurrentTrace(c.paths, c.current);
    EXPECT_EQ(plan.removeIndex, c.removed) << c.current;
    EXPECT_EQ(plan.next, c.next) << c.current;
  }
}

}  // namespace
