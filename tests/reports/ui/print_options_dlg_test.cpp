#include "reports/ui/print_options_dlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <memory>

#include "document/document_settings.h"
#include "vocabulary/text_table.h"

namespace {

class PrintOptionsDlgTest : public ::testing::Test {
 protected:
  PrintOptionsDlgTest() {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    g_CombinedChoiceCount = 0;
  }

  /// Opens a dialog on `options` as the Print Option command does.
  CCPrintOptionsDlg& Open(const PrintOptions& options) {
    dialog_ = std::make_unique<CCPrintOptionsDlg>();
    CCPrintOptionsDlg& d = *dialog_;
    d.SetOptions(options);
    d.OnInitDialog();
    return d;
  }

  /// OK, and the options as the command stores them.
  PrintOptions Confirm() {
    CCPrintOptionsDlg& d = *dialog_;
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    return d.Options();
  }

  std::unique_ptr<CCPrintOptionsDlg> dialog_;
};

TEST_F(PrintOptionsDlgTest, DefaultsShowTheNormalLayoutWithEveryBlockAndNoGroup) {
  CCPrintOptionsDlg& d = Open(PrintOptions{});
  EXPECT_EQ(d.windowTitle(), "Print Options");
  EXPECT_EQ(d.m_rbCombined->text(), "Visable Trace");
  EXPECT_EQ(d.m_rbAllTabs->text(), "All Visble Tab");
  EXPECT_EQ(d.m_grpPerPage->title(), "Num/Page");
  EXPECT_TRUE(d.m_rbNormal->isChecked());
  EXPECT_TRUE(d.m_grpPerPage->isHidden());
  EXPECT_TRUE(d.m_grpEventOption->isHidden());
  for (QCheckBox* box : {d.m_chkTraceInfo, d.m_chkTrace, d.m_chkShowGrid, d.m_chkShowMarker, d.m_chkFiberInfo,
                         d.m_chkEventTable, d.m_chkMarkerInfo}) {
    EXPECT_TRUE(box->isChecked()) << box->text().toStdString();
    EXPECT_TRUE(box->isEnabled()) << box->text().toStdString();
  }
  EXPECT_FALSE(d.m_chkLogo->isChecked());
  EXPECT_FALSE(d.m_editLogoPath->isEnabled());
  EXPECT_FALSE(d.m_btnBrowse->isEnabled());
  const PrintOptions stored = Confirm();
  EXPECT_EQ(stored.Layout, 0);
  EXPECT_EQ(stored.EventOption, 0);
  EXPECT_EQ(stored.PerPageIndex, -1);
  EXPECT_EQ(stored.EventTable, 1);
}

TEST_F(PrintOptionsDlgTest, FirstMultiTraceChoiceSelectsFourAndTwoExcludesTheEventTable) {
  CCPrintOptionsDlg& d = Open(PrintOptions{});
  d.m_rbMultiTrace->click();
  EXPECT_FALSE(d.m_grpPerPage->isHidden());
  EXPECT_TRUE(d.m_grpEventOption->isHidden());
  EXPECT_TRUE(d.m_rbPerPage[1]->isChecked());
  EXPECT_FALSE(d.m_chkEventTable->isChecked());
  EXPECT_TRUE(d.m_chkEventTable->isEnabled());
  for (QCheckBox* box : {d.m_chkTrace, d.m_chkShowGrid, d.m_chkShowMarker, d.m_chkFiberInfo, d.m_chkMarkerInfo,
                         d.m_chkTraceInfo}) {
    EXPECT_FALSE(box->isEnabled()) << box->text().toStdString();
  }
  d.m_rbPerPage[0]->click();
  EXPECT_FALSE(d.m_chkEventTable->isEnabled());
  d.m_rbPerPage[2]->click();
  EXPECT_TRUE(d.m_chkEventTable->isEnabled());
  d.m_chkEventTable->click();
  EXPECT_FALSE(d.m_rbPerPage[0]->isEnabled());
  d.m_chkEventTable->click();
  EXPECT_TRUE(d.m_rbPerPage[0]->isEnabled());
  d.m_rbPerPage[1]->click();
  const PrintOptions stored = Confirm();
  EXPECT_EQ(stored.Layout, 1);
  EXPECT_EQ(stored.PerPageIndex, 1);
  EXPECT_EQ(stored.EventTable, 0);
}

TEST_F(PrintOptionsDlgTest, ReopeningMultiTraceRestoresThePerPageChoiceAndItsExclusions) {
  PrintOptions options;
  options.Layout = 1;
  options.PerPageIndex = 0;
  options.EventTable = 0;
  CCPrintOptionsDlg& two = Open(options);
  EXPECT_TRUE(two.m_rbPerPage[0]->isChecked());
  EXPECT_FALSE(two.m_chkEventTable->isEnabled());
  EXPECT_FALSE(two.m_chkEventTable->isChecked());
  EXPECT_TRUE(two.m_grpEventOption->isHidden());

  options.PerPageIndex = 3;
  options.EventTable = 1;
  CCPrintOptionsDlg& eight = Open(options);
  EXPECT_TRUE(eight.m_rbPerPage[3]->isChecked());
  EXPECT_TRUE(eight.m_chkEventTable->isChecked());
  EXPECT_TRUE(eight.m_chkEventTable->isEnabled());
  EXPECT_FALSE(eight.m_rbPerPage[0]->isEnabled());
  // Choosing Multi Trace again with "2" remembered keeps the two exclusive.
  options.PerPageIndex = 0;
  options.Layout = 0;
  CCPrintOptionsDlg& normal = Open(options);
  normal.m_rbMultiTrace->click();
  EXPECT_TRUE(normal.m_rbPerPage[0]->isChecked());
  EXPECT_FALSE(normal.m_chkEventTable->isEnabled());
}

TEST_F(PrintOptionsDlgTest, CombinedRightAfterNormalClearsTheEventTableOnlyTheFirstTime) {
  CCPrintOptionsDlg& d = Open(PrintOptions{});
  d.m_rbCombined->click();
  EXPECT_FALSE(d.m_chkEventTable->isChecked());
  EXPECT_TRUE(d.m_grpEventOption->isHidden());
  EXPECT_TRUE(d.m_grpPerPage->isHidden());
  EXPECT_EQ(g_CombinedChoiceCount, 1);

  d.m_rbNormal->click();  // clears both event-option radios
  d.m_rbCombined->click();
  d.m_chkEventTable->click();
  EXPECT_FALSE(d.m_grpEventOption->isHidden());
  EXPECT_TRUE(d.m_rbCurrentTab->isChecked());
  d.m_rbAllTabs->click();
  d.m_rbCombined->click();  // a second Combined choice leaves the table as it is
  EXPECT_TRUE(d.m_chkEventTable->isChecked());
  const PrintOptions stored = Confirm();
  EXPECT_EQ(stored.Layout, 2);
  EXPECT_EQ(stored.EventTable, 1);
  EXPECT_EQ(stored.EventOption, 1);

  // The count outlives the dialog: reopening on the stored Combined layout keeps the table ...
  CCPrintOptionsDlg& again = Open(stored);
  EXPECT_TRUE(again.m_chkEventTable->isChecked());
  EXPECT_FALSE(again.m_grpEventOption->isHidden());
  // ... until a Normal choice, even one that is then cancelled.
  again.m_rbNormal->click();
  again.reject();
  CCPrintOptionsDlg& third = Open(stored);
  EXPECT_FALSE(third.m_chkEventTable->isChecked());
  EXPECT_TRUE(third.m_grpEventOption->isHidden());
  EXPECT_EQ(Confirm().EventTable, 0);
}

TEST_F(PrintOptionsDlgTest, NormalStoresNoEventOption) {
  PrintOptions options;
  options.Layout = 2;
  options.EventOption = 1;
  g_CombinedChoiceCount = 1;
  CCPrintOptionsDlg& d = Open(options);
  d.m_rbNormal->click();
  EXPECT_TRUE(d.m_chkEventTable->isChecked());
  EXPECT_TRUE(d.m_grpEventOption->isHidden());
  const PrintOptions stored = Confirm();
  EXPECT_EQ(stored.Layout, 0);
  EXPECT_EQ(stored.EventOption, -1);
  EXPECT_EQ(stored.PerPageIndex, -1);
}

TEST_F(PrintOptionsDlgTest, TraceSwitchCarriesGridAndMarker) {
  PrintOptions options;
  options.Trace = 0;
  options.ShowGrid = 0;
  options.ShowMarker = 1;
  CCPrintOptionsDlg& d = Open(options);
  EXPECT_FALSE(d.m_chkShowGrid->isEnabled());
  EXPECT_FALSE(d.m_chkShowMarker->isEnabled());
  d.m_chkTrace->click();
  EXPECT_TRUE(d.m_chkShowGrid->isChecked() && d.m_chkShowGrid->isEnabled());
  EXPECT_TRUE(d.m_chkShowMarker->isChecked() && d.m_chkShowMarker->isEnabled());
  d.m_chkTrace->click();
  EXPECT_FALSE(d.m_chkShowGrid->isChecked() || d.m_chkShowGrid->isEnabled());
  const PrintOptions stored = Confirm();
  EXPECT_EQ(stored.Trace, 0);
  EXPECT_EQ(stored.ShowGrid, 0);
  EXPECT_EQ(stored.ShowMarker, 0);
}

TEST_F(PrintOptionsDlgTest, LogoPathIsKeptWhileTheLogoIsOffAndBrowseFillsIt) {
  PrintOptions options;
  options.LogoPath = "/srv/logo.bmp";
  CCPrintOptionsDlg& d = Open(options);
  EXPECT_EQ(d.m_editLogoPath->text(), "/srv/logo.bmp");
  EXPECT_FALSE(d.m_editLogoPath->isEnabled());
  EXPECT_EQ(Confirm().LogoPath, "/srv/logo.bmp");

  CCPrintOptionsDlg& browse = Open(options);
  browse.SetLogoChooser([](QWidget*) { return std::optional<std::string>("/home/u/Company.BMP"); });
  browse.m_chkLogo->click();
  EXPECT_TRUE(browse.m_btnBrowse->isEnabled());
  browse.m_btnBrowse->click();
  EXPECT_EQ(browse.m_editLogoPath->text(), "/home/u/Company.BMP");
  PrintOptions stored = Confirm();
  EXPECT_EQ(stored.Logo, 1);
  EXPECT_EQ(stored.LogoPath, "/home/u/Company.BMP");

  CCPrintOptionsDlg& cancelled = Open(stored);
  cancelled.SetLogoChooser([](QWidget*) { return std::nullopt; });
  cancelled.m_btnBrowse->click();
  cancelled.m_editLogoPath->setText("typed/anything.png");  // nothing is validated
  EXPECT_EQ(Confirm().LogoPath, "typed/anything.png");
}

}  // namespace
