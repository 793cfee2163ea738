#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <future>
#include <memory>
#include <thread>
#include <filesystem>
#include <string>

#include "temp_dir.h"

using lumivane::IniFile;
using lumivane::IniWriteOutcome;
using lumivane::test::TempDir;

namespace {

// Odd spacing, mixed case, comments, a key without '=', a duplicate key and a duplicate section.
constexpr std::string_view kSample =
    "; limits per wavelength\n"
    "orphan=before any section\n"
    "[1310]\n"
    "  Splice Loss = 1.000  \n"
    "connector loss=2\n"
    "Link  Loss=45\n"
    "Link Loss=one blank\n"
    "Empty=\n"
    "Quoted = \"  padded  \"\n"
    ";Event Relf=99\n"
    "NoEquals line\n"
    "dup=first\n"
    "dup=second\n"
    "\n"
    "[ Settings ]\n"
    "Unit=km\n"
    "[1310]\n"
    "extra=from the repeated section\n"
    "\n"
    "[Unknown]\n"
    "whatever = kept\n";

std::string ReadText(const std::string& path) {
  const auto bytes = TempDir::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

class IniFileTest : public ::testing::Test {
 protected:
  std::string WriteSample(std::string_view text = kSample) { return dir_.WriteFile("otdr config.ini", text); }
  TempDir dir_;
};

}  // namespace

TEST_F(IniFileTest, ReadsStringsWithProfileSemantics) {
  const IniFile ini(WriteSample());
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"1310", "Splice Loss", "1.000"},
      {"1310", "SPLICE LOSS", "1.000"},
      {" 1310 ", "  splice loss ", "1.000"},
      {"1310", "Connector Loss", "2"},
      {"1310", "Link  Loss", "45"},
      {"1310", "Link Loss", "one blank"},
      {"1310", "Empty", ""},
      {"1310", "Quoted", "  padded  "},
      {"1310", "dup", "first"},
      {"settings", "UNIT", "km"},
      {"Unknown", "Whatever", "kept"},
      // Not there: comments, lines without '=', keys before any section, a repeated section.
      {"1310", ";Event Relf", "<fallback>"},
      {"1310", "Event Relf", "<fallback>"},
      {"1310", "NoEquals line", "<fallback>"},
      {"1310", "orphan", "<fallback>"},
      {"1310", "extra", "<fallback>"},
      {"1550", "Splice Loss", "<fallback>"},
      {"Settings", "Splice Loss", "<fallback>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<fallback>"), c.expected);
  }
}

TEST_F(IniFileTest, ReadsCrLfFilesAndByteOrderMark) {
  const IniFile ini(WriteSample("\xEF\xBB\xBF[ConfigReport]\r\nPrintMark=1\r\nPrintPara = 0 \r\n"));
  EXPECT_EQ(ini.ReadString("configreport", "printmark"), "1");
  EXPECT_EQ(ini.ReadString("ConfigReport", "PrintPara"), "0");
  EXPECT_EQ(ini.SectionNames(), std::vector<std::string>{"ConfigReport"});
}

TEST_F(IniFileTest, ListsSectionsAndReadsWholeSections) {
  const IniFile ini(WriteSample());
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"1310", "Settings", "Unknown"}));
  const std::vector<IniFile::Entry> expected = {
      {"Splice Loss", "1.000"}, {"connector loss", "2"}, {"Link  Loss", "45"}, {"Link Loss", "one blank"},
      {"Empty", ""},            {"Quoted", "  padded  "}, {"dup", "first"},
  };
  EXPECT_EQ(ini.ReadSection("1310"), expected);
  EXPECT_TRUE(ini.ReadSection("1550").empty());
}

TEST_F(IniFileTest, MissingFileReadsAsEmpty) {
  const IniFile ini(dir_.Path("absent.ini"));
  EXPECT_EQ(ini.ReadString("1310", "Splice Loss", "d"), "d");
  EXPECT_EQ(ini.ReadInt("1310", "Splice Loss", 7), 7);
  EXPECT_TRUE(ini.SectionNames().empty());
  EXPECT_TRUE(ini.ReadSection("1310").empty());
  EXPECT_FALSE(std::filesystem::exists(ini.path()));
}

TEST_F(IniFileTest, ReadsIntegersAsTheProfileFunctionsDo) {
  const IniFile ini(WriteSample(
      "[n]\nplain=42\nneg=-17\nplus=+8\ntrailing=12abc\ntext=abc\nempty=\nblank= \nfraction=3.9\n"
      "hex=0x10\nhuge=99999999999\nhugeneg=-99999999999\nsignonly=-\nspaced=- 5\n"));
  struct Case {
    const char* key;
    int expected;
  };
  const Case cases[] = {
      {"plain", 42},     {"neg", -17},          {"plus", 8},           {"trailing", 12},   {"text", 0},
      {"empty", -1},     {"blank", -1},         {"fraction", 3},       {"hex", 0},         {"huge", INT_MAX},
      {"hugeneg", INT_MIN}, {"signonly", 0},    {"spaced", 0},         {"missing", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ini.ReadInt("N", c.key, -1), c.expected) << c.key;
}

TEST_F(IniFileTest, UpdateInPlaceKeepsEveryOtherByte) {
  for (const std::string eol : {"\n", "\r\n"}) {
    SCOPED_TRACE(eol == "\n" ? "LF" : "CRLF");
    std::string original(kSample);
    for (std::size_t at = 0; (at = original.find('\n', at)) != std::string::npos; at += eol.size())
      original.replace(at, 1, eol);
    const IniFile ini(WriteSample(original));

    ASSERT_EQ(ini.WriteString("1310", "SPLICE LOSS", " 0.500 "), IniWriteOutcome::Written);
    std::string expected = original;
    const std::string oldLine = "  Splice Loss = 1.000  ";
    expected.replace(expected.find(oldLine), oldLine.size(), "Splice Loss=0.500");
    EXPECT_EQ(ReadText(ini.path()), expected);
    EXPECT_EQ(ini.ReadString("1310", "Splice Loss"), "0.500");

    // The first of two equal keys is the one read, so it is the one written.
    ASSERT_EQ(ini.WriteString("1310", "DUP", "third"), IniWriteOutcome::Written);
    expected.replace(expected.find("dup=first"), 9, "dup=third");
    EXPECT_EQ(ReadText(ini.path()), expected);
  }
}

TEST_F(IniFileTest, NewKeyJoinsItsSectionBeforeTheBlankLines) {
  const IniFile ini(WriteSample());
  ASSERT_EQ(ini.WriteString("1310", "Event Atte", "0.350"), IniWriteOutcome::Written);
  std::string expected(kSample);
  expected.insert(expected.find("dup=second\n") + 11, "Event Atte=0.350\n");
  EXPECT_EQ(ReadText(ini.path()), expected);
}

TEST_F(IniFileTest, CreatesFileAndSections) {
  const IniFile ini(dir_.Path("ConfigReport.ini"));
  ASSERT_EQ(ini.WriteString("ConfigReport", "PrintEventTable", "1"), IniWriteOutcome::Written);
  ASSERT_EQ(ini.WriteString("ConfigReport", "PrintGqlInfo", "1"), IniWriteOutcome::Written);
  ASSERT_EQ(ini.WriteString("1550", "Link  Loss", "45"), IniWriteOutcome::Written);
  EXPECT_EQ(ReadText(ini.path()), "[ConfigReport]\nPrintEventTable=1\nPrintGqlInfo=1\n[1550]\nLink  Loss=45\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1) << "no temporary left";

  // A last line without a line break, in the file's own style.
  const IniFile crlf(dir_.WriteFile("crlf.ini", "[a]\r\nx=1"));
  ASSERT_EQ(crlf.WriteString("b", "y", "2"), IniWriteOutcome::Written);
  EXPECT_EQ(ReadText(crlf.path()), "[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
}

TEST_F(IniFileTest, RefusesNamesThatWouldCorruptTheFile) {
  const std::string path = WriteSample();
  const IniFile ini(path);
  struct Case {
    const char* section;
    const char* key;
    const char* value;
    IniWriteOutcome expected;
  };
  const Case cases[] = {
      {"", "k", "v", IniWriteOutcome::InvalidName},
      {"  ", "k", "v", IniWriteOutcome::InvalidName},
      {"15]50", "k", "v", IniWriteOutcome::InvalidName},
      {"1550\n[x", "k", "v", IniWriteOutcome::InvalidName},
      {"1550", "", "v", IniWriteOutcome::InvalidName},
      {"1550", "a=b", "v", IniWriteOutcome::InvalidName},
      {"1550", "[k", "v", IniWriteOutcome::InvalidName},
      {"1550", ";k", "v", IniWriteOutcome::InvalidName},
      {"1550", "k\r", "v", IniWriteOutcome::InvalidName},
      {"1550", "k", "1\n[evil]", IniWriteOutcome::InvalidValue},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ini.WriteString(c.section, c.key, c.value), c.expected) << c.section << "/" << c.key;
  }
  EXPECT_EQ(ReadText(path), kSample);
}

TEST_F(IniFileTest, FailedWritesLeaveTheFileAlone) {
  EXPECT_EQ(IniFile(dir_.Path("no such folder/x.ini")).WriteString("s", "k", "v"), IniWriteOutcome::WriteFailed);
  std::filesystem::create_directory(dir_.Path("folder.ini"));
  EXPECT_EQ(IniFile(dir_.Path("folder.ini")).WriteString("s", "k", "v"), IniWriteOutcome::ReadFailed);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.Path("folder.ini")));
}

TEST_F(IniFileTest, AFifoNamedLikeTheFileIsRefusedWithoutWaitingForAWriter) {
  const std::string path = dir_.Path("otdr config.ini");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  // The reads run aside, so a read that blocks fails the test instead of hanging the suite.
  auto done = std::make_shared<std::promise<std::pair<std::vector<std::string>, IniWriteOutcome>>>();
  std::thread([path, done] {
    const IniFile file(path);
    done->set_value({file.SectionNames(), file.WriteString("1310", "Splice Loss", "1")});
  }).detach();
  auto result = done->get_future();
  if (result.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
    // Opening the other end releases the blocked read before the test ends.
    ::close(::open(path.c_str(), O_WRONLY | O_NONBLOCK));
    FAIL() << "reading a FIFO blocked";
  }
  const auto [sections, written] = result.get();
  EXPECT_TRUE(sections.empty());
  EXPECT_EQ(written, IniWriteOutcome::ReadFailed);
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_TRUE(S_ISFIFO(after.st_mode)) << "the FIFO is not replaced";
}

TEST_F(IniFileTest, RepeatedSectionsAndKeysKeepTheirFirstSpelling) {
  const std::string path = WriteSample("[A]\nk=1\nK=2\n[b]\n[a]\nk=3\n[B]\n[c]\n");
  EXPECT_EQ(IniFile(path).SectionNames(), (std::vector<std::string>{"A", "b", "c"}));
  EXPECT_EQ(IniFile(path).ReadSection("a"), (std::vector<IniFile::Entry>{{"k", "1"}}));
}

TEST_F(IniFileTest, WriteKeepsThePermissions) {
  const std::string path = WriteSample();
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(IniFile(path).WriteString("1310", "Splice Loss", "2"), IniWriteOutcome::Written);
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 0777, 0640u);
}

// Nothing a settings file holds comes near the limit: a file beyond it reads as empty and no write
// rewrites it, nor makes a file grow beyond it.
TEST_F(IniFileTest, AFileBeyondTheLimitIsNeitherReadNorWritten) {
  const std::string header = "[1310]\nSplice Loss=1\n";
  const std::string atLimit = header + ";" + std::string(lumivane::kIniFileByteLimit - header.size() - 2, 'x') + "\n";
  ASSERT_EQ(atLimit.size(), lumivane::kIniFileByteLimit);
  const IniFile ini(WriteSample(atLimit));
  EXPECT_FALSE(ini.IsTooLarge());
  EXPECT_EQ(ini.ReadString("1310", "Splice Loss"), "1");
  EXPECT_EQ(ini.WriteString("1310", "Splice Loss", "12"), IniWriteOutcome::TooLarge);
  // Compared as a whole, not shown: a megabyte of text would bury the report.
  EXPECT_TRUE(ReadText(ini.path()) == atLimit);

  const std::string beyond = atLimit + "[1550]\n";
  WriteSample(beyond);
  EXPECT_TRUE(ini.IsTooLarge());
  EXPECT_EQ(ini.ReadString("1310", "Splice Loss", "none"), "none");
  EXPECT_EQ(ini.ReadInt("1310", "Splice Loss", -1), -1);
  EXPECT_TRUE(ini.SectionNames().empty());
  EXPECT_TRUE(ini.ReadSection("1310").empty());
  EXPECT_EQ(ini.WriteString("1550", "k", "v"), IniWriteOutcome::TooLarge);
  EXPECT_TRUE(ReadText(ini.path()) == beyond);
}

// A file is not parsed again while it stays as it was, yet every change on disk is seen: an edit
// in place of the same size at once and long after the last parse, a replacement, a removal; and a
// write keeps what another program changed.
TEST_F(IniFileTest, EveryChangeOnDiskIsSeen) {
  const IniFile ini(WriteSample("[s]\nk=1\n"));
  EXPECT_EQ(ini.ReadString("s", "k"), "1");
  WriteSample("[s]\nk=2\n");
  EXPECT_EQ(ini.ReadString("s", "k"), "2");

  // Past the coarsest timestamp resolution the parse is kept; an edit still changes the file's times.
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  EXPECT_EQ(ini.ReadString("s", "k"), "2");
  WriteSample("[s]\nk=3\n");
  EXPECT_EQ(ini.ReadString("s", "k"), "3");

  WriteSample("[s]\nk=3\nother=x\n");
  ASSERT_EQ(ini.WriteString("s", "k", "4"), IniWriteOutcome::Written);
  EXPECT_EQ(ReadText(ini.path()), "[s]\nk=4\nother=x\n");

  const std::string replacement = dir_.WriteFile("replacement.ini", "[s]\nk=5\n");
  std::filesystem::rename(replacement, ini.path());
  EXPECT_EQ(ini.ReadString("s", "k"), "5");
  std::filesystem::remove(ini.path());
  EXPECT_EQ(ini.ReadString("s", "k", "gone"), "gone");
}
