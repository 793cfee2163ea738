#include "instrument/ui/upload_command.h"

#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "document/otdr_doc.h"
#include "instrument/modal_answer.h"
#include "instrument/simulated_instrument.h"
#include "instrument/ui/comm_set_dlg.h"
#include "instrument/ui/thread_dlg.h"
#include "instrument/upload_test_support.h"
#include "temp_dir.h"
#include "vocabulary/command_ids.h"
#include "vocabulary/text_table.h"

namespace fs = std::filesystem;
using namespace lumivane::test;

namespace {

constexpr const char* kDatedName = "2024-03-05(y-m-d) 14-07-09";

class UploadCommandTest : public ::testing::Test {
 protected:
  UploadCommandTest() : doc_(std::make_unique<COtdrDoc>()), env_{.chooseFolder = {}, .clock = {}, .makeTransport = {}, .listPorts = {}, .progress = progress_.View()} {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    env_.chooseFolder = [this](const std::string& title, const std::string&) -> std::optional<std::string> {
      browserTitles_.push_back(title);
      if (!folderChosen_) return std::nullopt;
      return dir_.path().string();
    };
    env_.clock = [] {
      std::tm time{};
      time.tm_year = 124;
      time.tm_mon = 2;
      time.tm_mday = 5;
      time.tm_hour = 14;
      time.tm_min = 7;
      time.tm_sec = 9;
      return time;
    };
    env_.makeTransport = [this](const PortSettings& settings) {
      linkSettings_.push_back(settings);
      return std::make_unique<SimulatedInstrumentLink>(UploadTransportKind::Serial, StreamOf(script_));
    };
    env_.listPorts = [] { return std::vector<std::string>{}; };
  }

  // Answers the settings dialog: `choose` sets it up, then OK (or Cancel when `ok` is false).
  void AnswerSettings(std::function<void(CCCommSetDlg&)> choose, bool ok = true) {
    WhenModal<CCCommSetDlg>([this, choose, ok](CCCommSetDlg& dialog) {
      settingsInterfaceAtOpen_ = dialog.m_cbInterface->currentText().toStdString();
      settingsPortAtOpen_ = dialog.m_cbPort->currentText().toStdString();
      if (choose) choose(dialog);
      ok ? dialog.accept() : dialog.reject();
    });
  }

  // Waits for the progress dialog's end, notes what it shows, and presses its OK.
  void AnswerProgress() {
    WhenModal<CCThreadDlg>(
        [this](CCThreadDlg& dialog) {
          progressText_ = dialog.m_strStatus;
          dialog.OkButton()->click();
        },
        [this](CCThreadDlg& dialog) {
          // Until the transfer has ended the dialog is what the program shows modally, which
          // holds back every other command and a second start's hand-over.
          progressWasModal_ = progressWasModal_ && QApplication::activeModalWidget() == &dialog;
          return dialog.Ended();
        });
  }

  fs::path Dated() const { return dir_.path() / kDatedName; }

  TempDir dir_;
  LocalProgress progress_;
  std::unique_ptr<COtdrDoc> doc_;
  UploadEnvironment env_;
  InstrumentScript script_;
  bool folderChosen_ = true;
  std::vector<std::string> browserTitles_;
  std::vector<PortSettings> linkSettings_;
  std::string settingsInterfaceAtOpen_, settingsPortAtOpen_, progressText_;
  bool progressWasModal_ = true;
};

}  // namespace

TEST_F(UploadCommandTest, AnRs232UploadStoresEveryFileInTheDatedFolder) {
  const Bytes a = Content(FixedUploadFileSize, 1), b = Content(FixedUploadFileSize, 2);
  script_ = {2, {{Record11("A.SOR"), a}, {Record11("B.SOR"), b}}};
  env_.listPorts = [] { return std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyS6"}; };
  BindUploadCommand(*doc_, env_);
  AnswerSettings([](CCCommSetDlg& dialog) {
    dialog.m_cbInterface->setCurrentIndex(1);
    dialog.m_cbPort->setEditText("COM7");
  });
  AnswerProgress();
  ASSERT_TRUE(doc_->Commands().IsEnabled(CmdUploadTraceFile));
  ASSERT_TRUE(doc_->Commands().Execute(CmdUploadTraceFile));

  EXPECT_EQ(settingsInterfaceAtOpen_, "USB");
  EXPECT_EQ(browserTitles_, std::vector<std::string>{"Select Directory"});
  ASSERT_EQ(linkSettings_.size(), 1u);
  EXPECT_EQ(linkSettings_[0].m_strPortType, "RS232");
  EXPECT_EQ(linkSettings_[0].m_strPortName, "COM7");
  EXPECT_EQ(linkSettings_[0].m_nBaudRate, 115200);
  EXPECT_EQ(linkSettings_[0].m_nDataBits, 8);
  EXPECT_EQ(linkSettings_[0].m_nParity, 0);
  EXPECT_EQ(linkSettings_[0].m_nStopBits, 0);
  EXPECT_EQ(doc_->m_strWorkPath, Dated().string() + "/");
  EXPECT_EQ(FilesIn(Dated()), (std::map<std::string, Bytes>{{"A.SOR", a}, {"B.SOR", b}}));
  EXPECT_EQ(progressText_, "Total  2 Files, Have Been Recieved!");
  EXPECT_TRUE(progressWasModal_);
  EXPECT_EQ(doc_->m_pUploadWorker, nullptr);

  // The next upload opens on USB again, with the port used last shown (disabled) by its name here.
  fs::remove_all(Dated());
  AnswerSettings({}, false);
  OnUploadTraceFile(*doc_, env_);
  EXPECT_EQ(settingsInterfaceAtOpen_, "USB");
  EXPECT_EQ(settingsPortAtOpen_, "/dev/ttyS6");
  EXPECT_EQ(doc_->m_PortSettings.m_strPortType, "RS232");
}

TEST_F(UploadCommandTest, CancellingTheSettingsOrTheFolderStartsNothing) {
  AnswerSettings([](CCCommSetDlg& dialog) { dialog.m_cbInterface->setCurrentIndex(1); }, false);
  OnUploadTraceFile(*doc_, env_);
  EXPECT_EQ(doc_->m_PortSettings.m_strPortType, "USB");
  EXPECT_TRUE(browserTitles_.empty());

  doc_->m_strWorkPath = "/some/limits.ini";
  folderChosen_ = false;
  AnswerSettings({});
  OnUploadTraceFile(*doc_, env_);
  EXPECT_EQ(browserTitles_.size(), 1u);
  EXPECT_EQ(doc_->m_strWorkPath, "");
  EXPECT_TRUE(linkSettings_.empty());
  EXPECT_TRUE(fs::is_empty(dir_.path()));
}

TEST_F(UploadCommandTest, ASecondUploadInTheSameSecondEndsSilently) {
  fs::create_directory(Dated());
  StartUpload(*doc_, env_);
  EXPECT_TRUE(linkSettings_.empty());
  EXPECT_EQ(doc_->m_pUploadWorker, nullptr);
}

TEST_F(UploadCommandTest, OutcomesShowInTheProgressDialog) {
  struct Case {
    const char* what;
    InstrumentScript script;
    std::string text;
    bool folderStays;
  };
  const std::vector<Case> cases = {
      {"no files", {0, {}}, "There's No File In OTDR!", true},
      {"a newer instrument", {40000, {}}, "Warning! Select new version please!", false},
      {"cut off", {1, {{Record11("A.SOR"), Content(100, 1)}}}, "Can't Read Data,Ensure the OTDR is Connected.", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(Dated());
    script_ = c.script;
    AnswerProgress();
    StartUpload(*doc_, env_);
    EXPECT_EQ(progressText_, c.text);
    EXPECT_EQ(fs::exists(Dated()), c.folderStays);
    EXPECT_EQ(doc_->m_pUploadWorker, nullptr);
  }
}

// An instrument that never answers: the port stays in its connecting wait until cancelled.
class SilentInstrument final : public UploadTransport {
 public:
  UploadTransportKind Kind() const override { return UploadTransportKind::Serial; }
  bool Open() override { return true; }
  bool Start() override { return true; }
  bool Request(UsbCommandCode, std::uint32_t) override { return true; }
  std::size_t Receive(std::span<std::uint8_t>, const std::atomic<bool>& cancel) override {
    while (!cancel.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return 0;
  }
  void Recover() override {}
  void Close() override {}
};

TEST_F(UploadCommandTest, CancellingTheConnectingPortStopsTheAttemptWithNothingWritten) {
  env_.makeTransport = [](const PortSettings&) { return std::make_unique<SilentInstrument>(); };
  for (const bool byClose : {false, true}) {
    SCOPED_TRACE(byClose ? "closed" : "Cancel");
    WhenModal<CCThreadDlg>([byClose](CCThreadDlg& dialog) { byClose ? (void)dialog.close() : dialog.OkButton()->click(); });
    StartUpload(*doc_, env_);
    EXPECT_FALSE(fs::exists(Dated()));
    EXPECT_EQ(doc_->m_pUploadWorker, nullptr);
  }
}
