#include "measure/ui/pass_fail_dlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>

#include "document/otdr_doc.h"
#include "measure/pass_fail_check.h"
#include "measure/pass_fail_document.h"
#include "measure/pass_fail_limits.h"
#include "measure/ui/analysis_commands.h"
#include "platform/ini_file.h"
#include "recording_message_sink.h"
#include "temp_dir.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::TempDir;

class CountingView : public DocView {
 public:
  void OnInitialUpdate() override {}
  void OnUpdate(DocView*, int) override { ++updates; }
  int updates = 0;
};

class PassFailDlgTest : public ::testing::Test {
 protected:
  PassFailDlgTest() : doc(std::make_unique<COtdrDoc>()) {
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
    doc->m_SorRecord.FxdParams.ActualWavelength = 1550;
    doc->m_FibreParams.Wavelength = 1550;
    doc->AddView(view, PaneKind::EventTable);
  }
  ~PassFailDlgTest() override { doc->RemoveView(view); }
  std::string Folder() const { return dir.path().string(); }

  TempDir dir;
  std::unique_ptr<COtdrDoc> doc;
  CountingView view;
};

TEST_F(PassFailDlgTest, OpensWithTheChecksItIsGivenAndEditsEnabledAsTheyAre) {
  CCPassFailDlg dlg;
  for (int i = 0; i < kPassFailLimitCount; ++i) dlg.CheckState(i) = 1;
  dlg.m_strSpliceLoss = QStringLiteral("0.300");
  dlg.m_strWavelength = QStringLiteral("1550");
  dlg.m_strUnit = QStringLiteral("dB/km");
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Pass/Fail Threshold"));
  EXPECT_EQ(dlg.LimitEdit(kLimitSpliceLoss)->text(), QStringLiteral("0.300"));
  EXPECT_EQ(dlg.WavelengthEdit()->text(), QStringLiteral("1550"));
  EXPECT_EQ(dlg.UnitLabel()->text(), QStringLiteral("dB/km"));
  EXPECT_EQ(dlg.LimitCheck(kLimitReflectance)->text(), QStringLiteral("Relf"));
  EXPECT_TRUE(dlg.AllSelect()->isChecked());
  for (int i = 0; i < kPassFailLimitCount; ++i) {
    EXPECT_TRUE(dlg.LimitCheck(i)->isChecked()) << i;
    EXPECT_TRUE(dlg.LimitEdit(i)->isEnabled()) << i;
  }
  EXPECT_EQ(dlg.m_bCheckLinkOrl, 1);

  CCPassFailDlg some;
  some.m_bCheckConnectorLoss = 1;
  some.show();
  EXPECT_FALSE(some.AllSelect()->isChecked());
  for (int i = 0; i < kPassFailLimitCount; ++i) {
    EXPECT_EQ(some.LimitCheck(i)->isChecked(), i == kLimitConnectorLoss) << i;
    EXPECT_EQ(some.LimitEdit(i)->isEnabled(), i == kLimitConnectorLoss) << i;
  }
}

// The first dialog of a trace without stored limits: OK without a change judges nothing.
TEST_F(PassFailDlgTest, WithoutStoredLimitsEveryBoxOpensUnticked) {
  for (const bool stored : {false, true}) {
    SCOPED_TRACE(stored ? "limits stored for the wavelength" : "no limits stored");
    TempDir folder;
    doc->m_PassFailThresholds = PassFailThresholds{};
    // A section of another wavelength is no limit for this trace.
    folder.WriteFile("otdr config.ini", stored ? "[1550]\nSplice Loss=0.4\n" : "[1310]\nSplice Loss=0.4\n");
    std::array<bool, kPassFailLimitCount> shown{};
    bool allShown = false;
    OnPassFail(*doc, folder.path().string(), nullptr, [&](QDialog& d) {
      auto& dlg = static_cast<CCPassFailDlg&>(d);
      dlg.show();
      for (int i = 0; i < kPassFailLimitCount; ++i) shown[static_cast<std::size_t>(i)] = dlg.LimitCheck(i)->isChecked();
      allShown = dlg.AllSelect()->isChecked();
      dlg.accept();
      return dlg.result();
    });
    for (int i = 0; i < kPassFailLimitCount; ++i) EXPECT_EQ(shown[static_cast<std::size_t>(i)], stored) << i;
    EXPECT_EQ(allShown, stored);
    for (int kind : {kLimitKindLoss, kLimitKindReflectance, kLimitKindAttenuation, kLimitKindLinkLoss}) {
      EXPECT_EQ(IsLimitEnabled(doc->m_PassFailThresholds, kEventNonReflective, kind) ||
                    IsLimitEnabled(doc->m_PassFailThresholds, kEventReflective, kind),
                stored)
          << kind;
    }
  }
}

TEST_F(PassFailDlgTest, ChecksEnableTheirEditsAndAllSelectSetsEveryOne) {
  CCPassFailDlg dlg;
  for (int i = 0; i < kPassFailLimitCount; ++i) dlg.CheckState(i) = 1;
  dlg.show();
  dlg.AllSelect()->click();  // off
  for (int i = 0; i < kPassFailLimitCount; ++i) {
    EXPECT_FALSE(dlg.LimitCheck(i)->isChecked()) << i;
    EXPECT_FALSE(dlg.LimitEdit(i)->isEnabled()) << i;
  }
  EXPECT_EQ(dlg.m_bCheckSpliceLoss + dlg.m_bCheckConnectorLoss + dlg.m_bCheckReflectance + dlg.m_bCheckAttenuation +
                dlg.m_bCheckLinkLoss + dlg.m_bCheckLinkOrl,
            0);
  dlg.LimitCheck(kLimitConnectorLoss)->click();
  EXPECT_TRUE(dlg.LimitEdit(kLimitConnectorLoss)->isEnabled());
  EXPECT_FALSE(dlg.LimitEdit(kLimitSpliceLoss)->isEnabled());
  EXPECT_EQ(dlg.m_bCheckConnectorLoss, 1);
  EXPECT_EQ(dlg.m_bCheckSpliceLoss, 0);
}

TEST_F(PassFailDlgTest, DefaultRewritesTheFileAtOnceAndShowsTheValues) {
  const std::string ini = dir.WriteFile("otdr config.ini", "[1310]\nSplice Loss=0.1\n[1550]\nSplice Loss=0.2\n");
  CCPassFailDlg dlg;
  dlg.m_strIniPath = QString::fromStdString(ini);
  dlg.m_strWavelength = QStringLiteral("1550");
  dlg.show();
  dlg.DefaultButton()->click();
  EXPECT_EQ(dlg.LimitEdit(kLimitReflectance)->text(), QStringLiteral("40"));
  EXPECT_EQ(dlg.LimitEdit(kLimitAttenuation)->text(), QStringLiteral("0.5"));
  dlg.reject();
  PassFailThresholds limits;
  ReadPassFailLimits("1310", ini, limits);
  EXPECT_FLOAT_EQ(limits.Limit[kLimitSpliceLoss], 1.0f);
  EXPECT_FLOAT_EQ(limits.Limit[kLimitLinkLoss], 45.0f);
}

// A value no float holds is no limit: its box opens unticked and empty, and OK without a change
// neither overwrites it nor judges against it.
TEST_F(PassFailDlgTest, ALimitThatIsNotSetOpensUntickedAndOkKeepsItSo) {
  struct Case {
    PassFailLimit limit;
    const char* key;
    const char* stored;
    bool ticked;
    const char* shown;
  };
  const std::array<Case, 4> cases = {{{kLimitSpliceLoss, "Splice Loss", "1e308", false, ""},
                                      {kLimitConnectorLoss, "Connector Loss", "inf", false, ""},
                                      {kLimitLinkLoss, "Link  Loss", "nan", false, ""},
                                      {kLimitAttenuation, "Event Atte", "0.25", true, "0.250"}}};
  std::string ini = "[1550]\nEvent Relf=-40\n[1310]\n";
  for (const Case& c : cases) ini += std::string(c.key) + "=" + c.stored + "\n";
  dir.WriteFile("otdr config.ini", ini);
  doc->m_SorRecord.FxdParams.ActualWavelength = 1310;
  doc->m_FibreParams.Wavelength = 1310;
  const auto judged = [this](const Case& c) {
    const std::int32_t type = c.limit == kLimitConnectorLoss ? kEventReflective : kEventNonReflective;
    const int kind = c.limit == kLimitAttenuation ? kLimitKindAttenuation
                     : c.limit == kLimitLinkLoss  ? kLimitKindLinkLoss
                                                  : kLimitKindLoss;
    return IsLimitEnabled(doc->m_PassFailThresholds, type, kind);
  };
  LoadPassFailLimits(*doc, Folder());
  for (const Case& c : cases) EXPECT_EQ(judged(c), c.ticked) << c.key;

  std::array<bool, kPassFailLimitCount> ticked{};
  std::array<bool, kPassFailLimitCount> editable{};
  std::array<QString, kPassFailLimitCount> shown;
  OnPassFail(*doc, Folder(), nullptr, [&](QDialog& d) {
    auto& dlg = static_cast<CCPassFailDlg&>(d);
    dlg.show();
    for (int i = 0; i < kPassFailLimitCount; ++i) {
      const auto slot = static_cast<std::size_t>(i);
      ticked[slot] = dlg.LimitCheck(i)->isChecked();
      editable[slot] = dlg.LimitEdit(i)->isEnabled();
      shown[slot] = dlg.LimitEdit(i)->text();
    }
    dlg.accept();
    return dlg.result();
  });
  const lumivane::IniFile file(doc->m_strWorkPath);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const auto slot = static_cast<std::size_t>(c.limit);
    EXPECT_EQ(ticked[slot], c.ticked);
    EXPECT_EQ(editable[slot], c.ticked);
    EXPECT_EQ(shown[slot], QString::fromLatin1(c.shown));
    EXPECT_EQ(judged(c), c.ticked);
    if (!c.ticked) {
      EXPECT_EQ(file.ReadString("1310", c.key), c.stored);
    }
  }
  // A trace that fails every loss would fail against a not-set limit read as 0; it passes.
  EXPECT_FALSE(FailsLimit(doc->m_PassFailThresholds, 9.0f, kEventNonReflective, kLimitKindLoss));
  EXPECT_FALSE(FailsLimit(doc->m_PassFailThresholds, 9.0f, kEventReflective, kLimitKindLoss));
  EXPECT_EQ(file.ReadString("1550", "Event Relf"), "-40");

  // The next load reads the same: nothing turned into a limit.
  LoadPassFailLimits(*doc, Folder());
  for (const Case& c : cases) EXPECT_EQ(judged(c), c.ticked) << c.key;
}

TEST_F(PassFailDlgTest, OkTakesTheLimitsWritesTheFileAndTellsThePanes) {
  dir.WriteFile("otdr config.ini", "[1550]\nSplice Loss=0.4\nConnector Loss=0.75\n");
  QString shownSplice;
  const auto edit = [&shownSplice](QDialog& d) {
    auto& dlg = static_cast<CCPassFailDlg&>(d);
    dlg.show();
    shownSplice = dlg.LimitEdit(kLimitSpliceLoss)->text();
    dlg.LimitEdit(kLimitSpliceLoss)->setText(QStringLiteral("0.250"));
    dlg.LimitEdit(kLimitLinkOrl)->setText(QString());
    dlg.LimitCheck(kLimitConnectorLoss)->click();
    dlg.accept();
    return dlg.result();
  };
  OnPassFail(*doc, Folder(), nullptr, edit);
  EXPECT_EQ(shownSplice, QStringLiteral("0.400"));
  const PassFailThresholds& t = doc->m_PassFailThresholds;
  EXPECT_FLOAT_EQ(t.Limit[kLimitSpliceLoss], 0.25f);
  EXPECT_FLOAT_EQ(t.Limit[kLimitConnectorLoss], 0.75f);
  EXPECT_FLOAT_EQ(t.Limit[kLimitLinkOrl], 0.0f);
  EXPECT_EQ(t.Enabled, (std::array<std::int32_t, 6>{1, 0, 1, 1, 1, 1}));
  EXPECT_EQ(view.updates, 1);
  PassFailThresholds written;
  ReadPassFailLimits("1550", doc->m_strWorkPath, written);
  EXPECT_FLOAT_EQ(written.Limit[kLimitSpliceLoss], 0.25f);
  EXPECT_FLOAT_EQ(written.Limit[kLimitConnectorLoss], 0.75f);
  EXPECT_FLOAT_EQ(written.Limit[kLimitLinkOrl], 0.0f);
}

TEST_F(PassFailDlgTest, CancelKeepsTheLimitsButStillTellsThePanes) {
  dir.WriteFile("otdr config.ini", "[1550]\nSplice Loss=0.4\n");
  doc->m_PassFailThresholds.Enabled = {0, 0, 0, 0, 0, 0};
  OnPassFail(*doc, Folder(), nullptr, [](QDialog&) { return static_cast<int>(QDialog::Rejected); });
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.4f);
  EXPECT_EQ(doc->m_PassFailThresholds.Enabled, (std::array<std::int32_t, 6>{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(view.updates, 1);
}

TEST_F(PassFailDlgTest, BindingServesTheDocumentsCommand) {
  EXPECT_FALSE(doc->Commands().Serves(CmdPassFail));
  BindPassFailCommand(*doc, Folder(), [] { return nullptr; });
  EXPECT_TRUE(doc->Commands().Serves(CmdPassFail));
  EXPECT_TRUE(doc->Commands().IsEnabled(CmdPassFail));
}

TEST_F(PassFailDlgTest, OkThatCannotWriteTheFileSaysSo) {
  lumivane::test::RecordingMessageSink sink;
  lumivane::ScopedMessageSink scoped(sink);
  const std::string missing = dir.Path("no such folder");
  OnPassFail(*doc, missing, nullptr, [](QDialog& d) {
    auto& dlg = static_cast<CCPassFailDlg&>(d);
    dlg.show();
    dlg.LimitEdit(kLimitSpliceLoss)->setText(QStringLiteral("0.250"));
    dlg.accept();
    return dlg.result();
  });
  ASSERT_EQ(sink.messages().size(), 1u);
  EXPECT_EQ(sink.messages()[0].text.rfind(g_CurrentStrings[TextRow::LimitsNotSaved], 0), 0u);
  EXPECT_NE(sink.messages()[0].text.find(PassFailIniPath(missing)), std::string::npos);
  // The event table's next fill reloads, and the confirmed limit is still the one judged.
  LoadPassFailLimits(*doc, missing);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], 0.25f);
}

}  // namespace
