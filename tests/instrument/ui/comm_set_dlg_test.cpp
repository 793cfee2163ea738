#include "instrument/ui/comm_set_dlg.h"

#include <QComboBox>
#include <QLabel>
#include <gtest/gtest.h>

#include "vocabulary/text_table.h"

namespace {

class CommSetDlgTest : public ::testing::Test {
 protected:
  CommSetDlgTest() : dialog_({"/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyUSB0"}) {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    dialog_.m_strInterface = "RS232";
    dialog_.m_strPort = "/dev/ttyS0";
    dialog_.m_strBaudRate = "115200";
    dialog_.m_strDataBits = "8";
    dialog_.m_nParityIndex = 0;
    dialog_.m_nStopBitsIndex = 0;
    dialog_.OnInitDialog();
  }

  static QStringList Items(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
  }

  CCCommSetDlg dialog_;
};

}  // namespace

TEST_F(CommSetDlgTest, OpensOnUsbWithThePortRowDisabledAndTheLineSettingsFixed) {
  EXPECT_EQ(dialog_.windowTitle(), "Communications Settings");
  EXPECT_EQ(dialog_.m_cbInterface->currentText(), "USB");
  EXPECT_EQ(dialog_.m_cbPort->currentText(), "/dev/ttyS0");
  EXPECT_FALSE(dialog_.m_cbPort->isEnabled());
  EXPECT_FALSE(dialog_.PortLabel()->isEnabled());
  EXPECT_EQ(dialog_.PortLabel()->text(), "RS232");
  EXPECT_EQ(dialog_.m_cbBaudRate->currentText(), "115200");
  EXPECT_EQ(dialog_.m_cbDataBits->currentText(), "8");
  EXPECT_EQ(dialog_.m_cbParity->currentText(), "NONE");
  EXPECT_EQ(dialog_.m_cbStopBits->currentText(), "1");
  for (const QComboBox* fixed : {dialog_.m_cbBaudRate, dialog_.m_cbDataBits, dialog_.m_cbParity, dialog_.m_cbStopBits}) {
    EXPECT_FALSE(fixed->isEnabled());
  }
  EXPECT_EQ(Items(dialog_.m_cbInterface), (QStringList{"USB", "RS232"}));
  EXPECT_EQ(Items(dialog_.m_cbPort), (QStringList{"/dev/ttyUSB0", "/dev/ttyS0"})) << "the machine's ports";
  EXPECT_EQ(Items(dialog_.m_cbBaudRate),
            (QStringList{"300", "600", "1200", "2400", "9600", "14400", "19200", "38400", "57600", "115200"}));
  EXPECT_EQ(Items(dialog_.m_cbParity), (QStringList{"NONE", "EVEN", "ODD"}));
  EXPECT_EQ(Items(dialog_.m_cbStopBits), (QStringList{"1", "1.5", "2"}));
}

TEST_F(CommSetDlgTest, ChoosingRs232EnablesOnlyThePortRowAndOkTakesTheTexts) {
  dialog_.m_cbInterface->setCurrentIndex(1);
  EXPECT_TRUE(dialog_.m_cbPort->isEnabled());
  EXPECT_TRUE(dialog_.PortLabel()->isEnabled());
  EXPECT_FALSE(dialog_.m_cbBaudRate->isEnabled());
  dialog_.m_cbPort->setEditText("/dev/ttyACM7");
  dialog_.accept();
  EXPECT_EQ(dialog_.result(), QDialog::Accepted);
  EXPECT_EQ(dialog_.m_strInterface, "RS232");
  EXPECT_EQ(dialog_.m_strPort, "/dev/ttyACM7");
  EXPECT_EQ(dialog_.m_strBaudRate, "115200");
  EXPECT_EQ(dialog_.m_strDataBits, "8");
  EXPECT_EQ(dialog_.m_nParityIndex, 0);
  EXPECT_EQ(dialog_.m_nStopBitsIndex, 0);

  dialog_.m_cbInterface->setCurrentIndex(0);
  EXPECT_FALSE(dialog_.m_cbPort->isEnabled());
}

TEST(CommSetDlgPortTest, ThePortShowsAsADeviceOfThisMachine) {
  InitLanguageTable();
  SelectLanguage(LanguageColumn::English);
  struct Case {
    const char* stored;
    std::vector<std::string> ports;
    const char* shown;
  };
  const Case cases[] = {
      {"ttyNoSuchLine9", {"/dev/ttyUSB0", "/dev/ttyACM0"}, "/dev/ttyUSB0"},
      {"/dev/ttyACM0", {"/dev/ttyUSB0", "/dev/ttyACM0"}, "/dev/ttyACM0"},
      {"/dev/null", {"/dev/ttyUSB0"}, "/dev/null"},
      {"ttyNoSuchLine9", {}, ""},
      // Another system's name for a port shows as the port's name here.
      {"COM1", {"/dev/ttyUSB0", "/dev/ttyS0"}, "/dev/ttyS0"},
      {"com3", {"/dev/ttyUSB0", "/dev/ttyS2"}, "/dev/ttyS2"},
      {"ttyACM0", {"/dev/ttyUSB0", "/dev/ttyACM0"}, "/dev/ttyACM0"},
      {"COM99", {"/dev/ttyUSB0"}, "/dev/ttyUSB0"},
  };
  for (const Case& c : cases) {
    CCCommSetDlg dialog(c.ports);
    dialog.m_strPort = c.stored;
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.m_cbPort->currentText().toStdString(), c.shown) << c.stored;
    EXPECT_EQ(dialog.m_cbPort->count(), static_cast<int>(c.ports.size()));
  }
}
