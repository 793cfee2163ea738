#include <QCheckBox>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "document/otdr_doc.h"
#include "platform/ini_file.h"
#include "recording_message_sink.h"
#include "reports/ascii_export.h"
#include "reports/ui/ascii_export_command.h"
#include "reports/ui/ascii_output_dlg.h"
#include "reports/ui/print_option_command.h"
#include "reports/ui/print_options_dlg.h"
#include "temp_dir.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::IniFile;
using lumivane::test::RecordingMessageSink;
using lumivane::test::TempDir;

std::string ReadText(const std::string& path) {
  const std::vector<unsigned char> bytes = TempDir::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

class ReportCommandsTest : public ::testing::Test {
 protected:
  ReportCommandsTest() : doc_(std::make_unique<COtdrDoc>()), sink_(std::make_unique<lumivane::ScopedMessageSink>(recorder_)) {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    ResetLengthUnit();
    g_CombinedChoiceCount = 0;
    doc_->m_strTracePath = "/data/link.sor";
    doc_->m_nEventCount = 1;
    doc_->m_EventRows[0].CumulativeLoss = kMissingValue;
    doc_->m_nPointCount = 2;
    doc_->m_SorRecord.DataPts.Traces[0].PointCount = 2;
    doc_->m_dFibreLengthKm = 1.0;
    doc_->m_DbSamples.Values = {0.0, 3.0};
  }
  ~ReportCommandsTest() override { ResetLengthUnit(); }

  AsciiExportEnvironment ExportEnv(std::function<int(CCAsciiOutputDlg&)> run, std::optional<std::string> file) {
    AsciiExportEnvironment env;
    env.iniFolder = [this] { return dir_.path().string(); };
    env.runOptions = std::move(run);
    env.chooseFile = [this, file](QWidget*) {
      ++chosen_;
      return file;
    };
    return env;
  }

  TempDir dir_;
  std::unique_ptr<COtdrDoc> doc_;
  RecordingMessageSink recorder_;
  std::unique_ptr<lumivane::ScopedMessageSink> sink_;
  int chosen_ = 0;
};

TEST_F(ReportCommandsTest, ExportOkStoresTheChoiceRecordsItAndWritesTheFile) {
  SetLengthUnit("kft");
  const auto run = [](CCAsciiOutputDlg& d) {
    d.OnInitDialog();
    EXPECT_EQ(d.windowTitle(), "Export Options");
    EXPECT_TRUE(d.m_chkTraceInfo->isChecked());
    EXPECT_TRUE(d.m_rbSpace->isChecked());
    d.m_chkTraceInfo->setChecked(false);
    d.m_chkPara->setChecked(false);
    d.m_rbTab->setChecked(true);
    d.accept();
    return d.result();
  };
  OnAsciiExport(*doc_, ExportEnv(run, dir_.Path("link")));
  const AsciiExportOptions& o = doc_->m_AsciiExportOptions;
  EXPECT_EQ(o.OutputTraceInfo, 0);
  EXPECT_EQ(o.OutputPara, 0);
  EXPECT_EQ(o.OutputEvent, 1);
  EXPECT_EQ(o.OutputTraceData, 1);
  EXPECT_EQ(o.IntervalType, 2);
  const IniFile ini(dir_.Path("ConfigOutputAscii.ini"));
  EXPECT_EQ(ini.ReadInt("ConfigOutputAscii", "IntervalType", -1), 2);
  EXPECT_EQ(ini.ReadInt("ConfigOutputAscii", "OutputPara", -1), 0);
  const std::string text = ReadText(dir_.Path("link.txt"));
  EXPECT_EQ(text, ComposeAsciiExport(*doc_, o, ExportUnit{"kft", 3.280839895}));
  EXPECT_TRUE(text.starts_with("[Event Table]\r\n    No. \tType  \tLoc.[kft]")) << text;
  EXPECT_TRUE(text.ends_with("\r\n[TraceData]\r\n0.000\t3.000\r\n1.000\t0.000\r\n")) << text;
  EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(ReportCommandsTest, CancelledOptionsChangeNothingAndCancelledNameWritesOnlyTheRecord) {
  const auto cancel = [](CCAsciiOutputDlg& d) {
    d.OnInitDialog();
    d.m_chkEvent->setChecked(false);
    d.reject();
    return d.result();
  };
  OnAsciiExport(*doc_, ExportEnv(cancel, dir_.Path("x")));
  EXPECT_EQ(doc_->m_AsciiExportOptions.OutputEvent, 1);
  EXPECT_EQ(chosen_, 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));

  const auto ok = [](CCAsciiOutputDlg& d) {
    d.OnInitDialog();
    d.accept();
    return d.result();
  };
  OnAsciiExport(*doc_, ExportEnv(ok, std::nullopt));
  EXPECT_EQ(chosen_, 1);
  EXPECT_TRUE(std::filesystem::exists(dir_.Path("ConfigOutputAscii.ini")));
  EXPECT_FALSE(std::filesystem::exists(dir_.Path(".txt")));
  EXPECT_TRUE(recorder_.messages().empty());
}

TEST_F(ReportCommandsTest, AFileThatCannotBeWrittenIsReportedAndAnExistingOneKept) {
  const std::string existing = dir_.WriteFile("kept.txt", "old");
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool written = ExportAsciiText(*doc_, ExportEnv({}, existing));
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::owner_all);
  if (::geteuid() != 0) {
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadText(existing), "old");
    ASSERT_EQ(recorder_.messages().size(), 1u);
    EXPECT_NE(recorder_.messages()[0].text.find(existing), std::string::npos);
  }
  recorder_.Clear();
  EXPECT_FALSE(ExportAsciiText(*doc_, ExportEnv({}, dir_.Path("no/such/folder/out"))));
  ASSERT_EQ(recorder_.messages().size(), 1u);
  EXPECT_NE(recorder_.messages()[0].text.find("no/such/folder/out.txt"), std::string::npos);
}

TEST_F(ReportCommandsTest, ExportIsEnabledOnlyWithATraceAndPrintOptionAlways) {
  BindAsciiExportCommand(*doc_, ExportEnv({}, std::nullopt));
  PrintOptionEnvironment env;
  env.iniFolder = [this] { return dir_.path().string(); };
  BindPrintOptionCommand(*doc_, env);
  EXPECT_TRUE(doc_->Commands().IsEnabled(CmdAsciiExport));
  EXPECT_TRUE(doc_->Commands().IsEnabled(CmdPrintOption));
  for (const char* none : {"space", "", "SPACE"}) {
    doc_->m_strTracePath = none;
    EXPECT_FALSE(doc_->Commands().IsEnabled(CmdAsciiExport)) << none;
    EXPECT_TRUE(doc_->Commands().IsEnabled(CmdPrintOption)) << none;
  }
}

TEST_F(ReportCommandsTest, PrintOptionOkStoresTheDialogAndWritesTheGates) {
  PrintOptionEnvironment env;
  env.iniFolder = [this] { return dir_.path().string(); };
  env.runDialog = [](CCPrintOptionsDlg& d) {
    d.OnInitDialog();
    d.m_rbMultiTrace->click();
    d.m_rbPerPage[3]->click();
    d.accept();
    return d.result();
  };
  OnPrintOption(*doc_, env);
  EXPECT_EQ(doc_->m_PrintOptions.Layout, 1);
  EXPECT_EQ(doc_->m_PrintOptions.PerPageIndex, 3);
  EXPECT_EQ(doc_->m_PrintOptions.EventTable, 0);
  EXPECT_EQ(ReadText(dir_.Path("ConfigReport.ini")),
            "[ConfigReport]\nPrintEventTable=1\nPrintGqlInfo=1\nPrintMark=1\nPrintMarkInfo=1\n"
            "PrintPara=1\nPrintTraceGraph=1\nPrintBackGrid=1\n");
}

TEST_F(ReportCommandsTest, PrintOptionCancelKeepsTheOptionsAndWritesNoFile) {
  PrintOptionEnvironment env;
  env.iniFolder = [this] { return dir_.path().string(); };
  env.runDialog = [](CCPrintOptionsDlg& d) {
    d.OnInitDialog();
    d.m_rbCombined->click();
    d.reject();
    return d.result();
  };
  OnPrintOption(*doc_, env);
  EXPECT_EQ(doc_->m_PrintOptions.Layout, 0);
  EXPECT_EQ(doc_->m_PrintOptions.EventTable, 1);
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("ConfigReport.ini")));
}

}  // namespace
