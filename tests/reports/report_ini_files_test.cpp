#include "reports/report_ini_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "temp_dir.h"

namespace {

using lumivane::IniFile;
using lumivane::IniWriteOutcome;
using lumivane::test::TempDir;

std::string ReadText(const std::string& path) {
  const std::vector<unsigned char> bytes = TempDir::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(ReportIniFilesTest, ConfigReportWritesSevenKeysInOrderIntoANewFile) {
  TempDir dir;
  EXPECT_EQ(WriteConfigReportIni(dir.path().string(), ConfigReport{}), IniWriteOutcome::Written);
  const IniFile ini(dir.Path("ConfigReport.ini"));
  const std::vector<IniFile::Entry> expected = {
      {"PrintEventTable", "1"}, {"PrintGqlInfo", "1"},    {"PrintMark", "1"},     {"PrintMarkInfo", "1"},
      {"PrintPara", "1"},       {"PrintTraceGraph", "1"}, {"PrintBackGrid", "1"},
  };
  EXPECT_EQ(ini.ReadSection("ConfigReport"), expected);
  EXPECT_EQ(ini.SectionNames(), std::vector<std::string>{"ConfigReport"});
}

TEST(ReportIniFilesTest, ExportOptionsOverwriteTheirKeysAndKeepEverythingElse) {
  TempDir dir;
  const std::string path = dir.WriteFile("ConfigOutputAscii.ini",
                                         "; kept\r\n[Other]\r\nA=1\r\n[configoutputascii]\r\nIntervalType=9\r\nExtra=x\r\n");
  const AsciiExportOptions options{0, 1, 0, 1, 2};
  EXPECT_EQ(WriteConfigOutputAsciiIni(dir.path().string(), options), IniWriteOutcome::Written);
  const IniFile ini(path);
  const std::vector<IniFile::Entry> expected = {
      {"IntervalType", "2"}, {"Extra", "x"},       {"OutputTraceInfo", "0"},
      {"OutputPara", "1"},   {"OutputEvent", "0"}, {"OutputTraceData", "1"},
  };
  EXPECT_EQ(ini.ReadSection("ConfigOutputAscii"), expected);
  EXPECT_EQ(ini.ReadString("Other", "A"), "1");
  EXPECT_TRUE(ReadText(path).starts_with("; kept\r\n[Other]\r\nA=1\r\n[configoutputascii]\r\nIntervalType=2\r\n"))
      << ReadText(path);

  // A second confirmation changes values in place; the file does not grow.
  const std::size_t size = ReadText(path).size();
  EXPECT_EQ(WriteConfigOutputAsciiIni(dir.path().string(), AsciiExportOptions{}), IniWriteOutcome::Written);
  EXPECT_EQ(ReadText(path).size(), size);
  EXPECT_EQ(ini.ReadInt("ConfigOutputAscii", "OutputTraceInfo", -1), 1);
  EXPECT_EQ(ini.ReadInt("ConfigOutputAscii", "IntervalType", -1), 0);
}

TEST(ReportIniFilesTest, AFolderThatCannotBeWrittenReportsTheFailure) {
  TempDir dir;
  const std::string missing = dir.Path("no/such/folder");
  EXPECT_NE(WriteConfigReportIni(missing, ConfigReport{}), IniWriteOutcome::Written);
  EXPECT_NE(WriteConfigOutputAsciiIni(missing, AsciiExportOptions{}), IniWriteOutcome::Written);
}

}  // namespace
