#include "app/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineTest, TheArgumentsFormOnePathJoinedWithBlanks) {
  EXPECT_EQ(ParseCommandLine({}).rawCommandLine, "");
  EXPECT_EQ(ParseCommandLine({"/data/my", "link.sor"}).rawCommandLine, "/data/my link.sor");
  EXPECT_EQ(ParseCommandLine({"\"/data/a.sor\""}).rawCommandLine, "\"/data/a.sor\"");
  EXPECT_FALSE(ParseCommandLine({"/data/a.sor"}).embeddedStart);
  EXPECT_TRUE(ParseCommandLine({"/data/a.sor"}).showSplash);
}

TEST(CommandLineTest, EmbeddingAndAutomationStartsAreRecognisedInAnyCase) {
  for (const char* arg : {"-Embedding", "/embedding", "-AUTOMATION", "/Automation"}) {
    SCOPED_TRACE(arg);
    const CommandLineInfo info = ParseCommandLine({arg});
    EXPECT_TRUE(info.embeddedStart);
    EXPECT_FALSE(info.showSplash);
  }
  EXPECT_FALSE(ParseCommandLine({"-Embeddings"}).embeddedStart);
}

TEST(CommandLineTest, ARelativeTracePathIsTakenFromTheFolderTheUserStartedIn) {
  const struct {
    const char* line;
    const char* expected;
  } cases[] = {
      {"link 7.sor", "/home/u/data/link 7.sor"},
      {"sub/A.SOR", "/home/u/data/sub/A.SOR"},
      {"\"a.sor\"", "/home/u/data/a.sor"},
      {"/traces/a.sor", "/traces/a.sor"},
      {"notes.txt", "notes.txt"},
      {"space", "space"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(TracePathOfCommandLine(c.line, "/home/u/data"), c.expected);
  }
}

TEST(CommandLineTest, ARegistrationSwitchCountsOnlyAtTheEnd) {
  const struct {
    const char* line;
    RegistrationSwitch expected;
  } cases[] = {
      {"-RegServer", RegistrationSwitch::Register},
      {"/regserver", RegistrationSwitch::Register},
      {"-UNREGSERVER", RegistrationSwitch::Unregister},
      {"/data/x -RegServer", RegistrationSwitch::Register},
      {"-RegServer /data/a.sor", RegistrationSwitch::None},
      {"-RegServer2", RegistrationSwitch::None},
      {"RegServer", RegistrationSwitch::None},
      {"", RegistrationSwitch::None},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(FindRegistrationSwitch(c.line), c.expected);
  }
}

}  // namespace
