#include "app/open_rules.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct PathCase {
  const char* path;
  const char* normalised;
  OpenRefusal refusal;
};

TEST(OpenRulesTest, PathsAreUnquotedKeepTheirCaseAndMustEndInSor) {
  const PathCase cases[] = {
      {"/data/Link A.SOR", "/data/Link A.SOR", OpenRefusal::None},
      {"\"/data/a.sor\"", "/data/a.sor", OpenRefusal::None},
      {"x \"/data/a.sor\" y", "/data/a.sor", OpenRefusal::None},
      {"\"/data/a.sor", "", OpenRefusal::NotTraceFile},  // a single quote leaves nothing
      {"/data/sensor", "/data/sensor", OpenRefusal::None},
      {"/data/a.sor ", "/data/a.sor ", OpenRefusal::NotTraceFile},
      {"/data/a.trc", "/data/a.trc", OpenRefusal::NotTraceFile},
      {"", "", OpenRefusal::NotTraceFile},
      {"SpAcE", "SpAcE", OpenRefusal::None},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string path = NormaliseOpenPath(c.path);
    EXPECT_EQ(path, c.normalised);
    EXPECT_EQ(CheckOpenPath(path, 0, false), c.refusal);
  }
}

TEST(OpenRulesTest, AFifthTraceIsRefusedUnlessAListedOneIsMadeCurrent) {
  EXPECT_EQ(CheckOpenPath("a.sor", 3, false), OpenRefusal::None);
  EXPECT_EQ(CheckOpenPath("a.sor", 4, false), OpenRefusal::TooManyTraces);
  EXPECT_EQ(CheckOpenPath("a.sor", 4, true), OpenRefusal::None);
  EXPECT_EQ(CheckOpenPath("a.trc", 4, false), OpenRefusal::NotTraceFile);
  EXPECT_EQ(RefusalMessageRow(OpenRefusal::TooManyTraces), TextRow::OpenMaxTrace);
  EXPECT_EQ(RefusalMessageRow(OpenRefusal::NotTraceFile), TextRow::NotBellcoreFile);
}

TEST(OpenRulesTest, AReopenedPathLeavesItsPlaceAndKeepsItsColour) {
  const ListedTrace listed[] = {{"a.sor", 0}, {"b.sor", 1}, {"c.sor", 2}};
  const ListEntryPlan reopen = PlanListEntry(listed, "b.sor", 3);
  EXPECT_EQ(reopen.removeIndex, 1);
  EXPECT_EQ(reopen.colourIndex, 1);
  EXPECT_EQ(reopen.traceCount, 3);
  EXPECT_EQ(reopen.nextColourSlot, 3);

  const ListEntryPlan other = PlanListEntry(listed, "B.sor", 3);  // paths compare exactly
  EXPECT_EQ(other.removeIndex, -1);
  EXPECT_EQ(other.colourIndex, 3);
  EXPECT_EQ(other.traceCount, 4);
  EXPECT_EQ(other.nextColourSlot, 4);
}

TEST(OpenRulesTest, ColourIndicesCycleThroughTheSixteenColours) {
  int slot = 0;
  std::vector<int> colours;
  for (int n = 0; n < 17; ++n) {
    const ListEntryPlan plan = PlanListEntry({}, "x.sor", slot);
    colours.push_back(plan.colourIndex);
    slot = plan.nextColourSlot;
  }
  EXPECT_EQ(colours[15], 15);
  EXPECT_EQ(colours[16], 0);
}

TEST(OpenRulesTest, ATypedNameIsTriedAsItIsThenWithSorThenWithTrc) {
  std::set<std::string> files;
  auto exists = [&](const std::string& p) { return files.count(p) > 0; };
  EXPECT_FALSE(ResolveTypedFileName("a", exists));
  files = {"a.trc"};
  EXPECT_EQ(ResolveTypedFileName("a", exists), "a.trc");
  files = {"a.trc", "a.sor"};
  EXPECT_EQ(ResolveTypedFileName("a", exists), "a.sor");
  files = {"a.trc", "a.sor", "a"};
  EXPECT_EQ(ResolveTypedFileName("a", exists), "a");
}

}  // namespace
