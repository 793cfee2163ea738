#include "app/ui/command_table.h"

#include <QAction>
#include <gtest/gtest.h>

namespace {

TEST(CommandTableTest, ACommandNobodyServesIsGreyed) {
  CommandTable table;
  QAction* action = table.Action(32918);
  table.UpdatePass();
  EXPECT_FALSE(action->isEnabled());
  EXPECT_FALSE(table.Execute(32918));
}

TEST(CommandTableTest, TheRuleDecidesAndADisabledCommandDoesNotRun) {
  CommandTable table;
  bool loaded = false;
  int runs = 0;
  table.Bind(1, [&] { ++runs; }, [&] { return EnabledIf(loaded); });
  table.UpdatePass();
  EXPECT_FALSE(table.Action(1)->isEnabled());
  EXPECT_FALSE(table.Execute(1));
  loaded = true;
  EXPECT_TRUE(table.Execute(1));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(table.Action(1)->isEnabled());

  table.Unbind(1);
  table.UpdatePass();
  EXPECT_FALSE(table.Action(1)->isEnabled());
}

TEST(CommandTableTest, TheCheckMarkFollowsTheRuleAfterTheCommandRan) {
  CommandTable table;
  int active = 0;
  table.Bind(2, [&] { active = 2; }, [&] { return CommandUi{true, active == 2}; });
  table.Bind(3, [&] { active = 3; }, [&] { return CommandUi{true, active == 3}; });
  table.UpdatePass();
  table.Action(2)->trigger();
  EXPECT_TRUE(table.Action(2)->isChecked());
  EXPECT_FALSE(table.Action(3)->isChecked());
  table.Action(3)->trigger();
  EXPECT_FALSE(table.Action(2)->isChecked());
  EXPECT_TRUE(table.Action(3)->isChecked());
}

}  // namespace
