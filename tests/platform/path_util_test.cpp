#include "platform/path_util.h"

#include <gtest/gtest.h>

using namespace lumivane;

TEST(PathUtil, SuffixAndNoFilePathIgnoreCase) {
  struct Case {
    const char* path;
    bool sor;
    bool noFile;
  };
  const Case cases[] = {
      {"", false, true},
      {"space", false, true},
      {"SPACE", false, true},
      {"Space", false, true},
      {" space", false, false},
      {"/data/space", false, false},
      {"/data/Trace1.SOR", true, false},
      {"/data/trace1.sor", true, false},
      {"trace1.Sor", true, false},
      {"sor", true, false},
      {"or", false, false},
      {"/data/trace.sor.bak", false, false},
      {"/data/trace.trc", false, false},
      {"/data/mysor", true, false},  // the last three characters decide, dot or not
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HasSorSuffix(c.path), c.sor) << c.path;
    EXPECT_EQ(IsNoFilePath(c.path), c.noFile) << c.path;
  }
}

TEST(PathUtil, JoinsAndSplitsKeepingCase) {
  EXPECT_EQ(JoinPath("/Data/Site A", "Fibre 01.SOR"), "/Data/Site A/Fibre 01.SOR");
  EXPECT_EQ(JoinPath("/Data/", "/x.sor"), "/Data/x.sor");
  EXPECT_EQ(JoinPath("/", "x.sor"), "/x.sor");
  EXPECT_EQ(JoinPath("", "x.sor"), "x.sor");
  EXPECT_EQ(JoinPath("/Data", ""), "/Data");

  EXPECT_EQ(FileNameOf("/Data/Site A/Fibre 01.SOR"), "Fibre 01.SOR");
  EXPECT_EQ(FileNameOf("Fibre.sor"), "Fibre.sor");
  EXPECT_EQ(FileNameOf("/Data/"), "");
  EXPECT_EQ(FolderOf("/Data/Site A/Fibre 01.SOR"), "/Data/Site A");
  EXPECT_EQ(FolderOf("/x.sor"), "/");
  EXPECT_EQ(FolderOf("x.sor"), "");
}
