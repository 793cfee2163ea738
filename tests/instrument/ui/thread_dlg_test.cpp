#include "instrument/ui/thread_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "instrument/upload_protocol.h"
#include "instrument/upload_test_support.h"
#include "vocabulary/text_table.h"

using lumivane::test::LocalProgress;

namespace {

class ThreadDlgTest : public ::testing::Test {
 protected:
  ThreadDlgTest() {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
  }
  void Publish(std::int32_t count, std::int32_t index) {
    progress_.count.store(count);
    progress_.index.store(index);
  }
  LocalProgress progress_;
};

}  // namespace

TEST_F(ThreadDlgTest, FollowsATransferToItsEnd) {
  CCThreadDlg dialog(progress_.View());
  dialog.OnInitDialog();
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Upload Trace File");
  EXPECT_EQ(dialog.PollTimer()->interval(), 500);
  EXPECT_TRUE(dialog.PollTimer()->isActive());
  EXPECT_EQ(dialog.OkButton()->text(), "Cancel");
  EXPECT_TRUE(dialog.OkButton()->isEnabled());
  EXPECT_FALSE(dialog.OkButton()->isDefault());
  EXPECT_EQ(dialog.StatusLabel()->text(), "Connecting Port......");

  struct Step {
    std::int32_t count, index;
    const char* text;
    int barAtLeast, barAtMost;
  };
  const Step steps[] = {
      {3, -1, "Total  3 Files, Now Receiving No. 0 ......", 0, 0},
      {3, 0, "Total  3 Files, Now Receiving No. 1 ......", 1, 32},
      {3, 1, "Total  3 Files, Now Receiving No. 2 ......", 33, 65},
  };
  for (const Step& s : steps) {
    Publish(s.count, s.index);
    dialog.UpdateProgress();
    EXPECT_EQ(dialog.StatusLabel()->text().toStdString(), s.text);
    EXPECT_GE(dialog.m_Progress->value(), s.barAtLeast);
    EXPECT_LE(dialog.m_Progress->value(), s.barAtMost);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.OkButton()->text(), "OK");
  }
  // While the worker runs neither Escape nor the window's close ends the dialog.
  QTest::keyClick(&dialog, Qt::Key_Escape);
  dialog.close();
  EXPECT_TRUE(dialog.isVisible());

  Publish(3, 3);
  dialog.UpdateProgress();
  EXPECT_EQ(dialog.StatusLabel()->text(), "Total  3 Files, Have Been Recieved!");
  EXPECT_EQ(dialog.m_Progress->value(), 100);
  EXPECT_TRUE(dialog.OkButton()->isEnabled());
  EXPECT_FALSE(dialog.PollTimer()->isActive());
  QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.Cancelled());
}

// While the port is being connected the button, Escape and the window's close each end the dialog.
TEST_F(ThreadDlgTest, ConnectingCanBeCancelled) {
  const std::function<void(CCThreadDlg&)> ways[] = {
      [](CCThreadDlg& d) { QTest::mouseClick(d.OkButton(), Qt::LeftButton); },
      [](CCThreadDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); },
      [](CCThreadDlg& d) { d.close(); },
  };
  for (const auto& cancel : ways) {
    Publish(UploadConnecting, -1);
    CCThreadDlg dialog(progress_.View());
    dialog.OnInitDialog();
    dialog.show();
    cancel(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.Cancelled());
    EXPECT_FALSE(dialog.PollTimer()->isActive());
  }
}

TEST_F(ThreadDlgTest, AFailureShowsItsTextAndLeavesTheBar) {
  CCThreadDlg dialog(progress_.View());
  Publish(10, 4);
  dialog.OnInitDialog();
  const int bar = dialog.m_Progress->value();
  EXPECT_EQ(bar, 40);
  Publish(UploadTransferFailed, 0);
  dialog.UpdateProgress();
  EXPECT_EQ(dialog.StatusLabel()->text(), "Can't Read Data,Ensure the OTDR is Connected.");
  EXPECT_EQ(dialog.m_Progress->value(), bar);
  EXPECT_TRUE(dialog.Ended());
  EXPECT_TRUE(dialog.OkButton()->isEnabled());
  dialog.show();
  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ThreadDlgTest, TheTimerPollsUntilTheEnd) {
  CCThreadDlg dialog(progress_.View());
  QTimer::singleShot(50, [this] { Publish(0, 0); });
  dialog.OnInitDialog();
  dialog.show();
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.Ended(); }, 3000));
  EXPECT_EQ(dialog.StatusLabel()->text(), "There's No File In OTDR!");
  EXPECT_EQ(dialog.m_Progress->value(), 100);
}
