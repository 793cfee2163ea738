#include "instrument/ui/browse_dir_dlg.h"

#include <QFileDialog>
#include <gtest/gtest.h>

#include <filesystem>

#include "instrument/modal_answer.h"
#include "temp_dir.h"

using lumivane::test::TempDir;
using lumivane::test::WhenModal;

TEST(BrowseDirDlgTest, TheChosenFolderComesBackAndCancelBringsNothing) {
  TempDir dir;
  const std::filesystem::path data = dir.path() / "Data";
  std::filesystem::create_directory(data);

  CBrowseDirDlg browser;
  browser.SetBrowseTitle("Select Directory");
  browser.SetInitialFolder(dir.path().string());
  std::string titleShown, folderShown;
  WhenModal<QFileDialog>([&](QFileDialog& dialog) {
    titleShown = dialog.windowTitle().toStdString();
    folderShown = dialog.directory().absolutePath().toStdString();
    dialog.selectFile(QString::fromStdString(data.string()));
    static_cast<QDialog&>(dialog).accept();
  });
  ASSERT_TRUE(browser.BrowseForFolder());
  EXPECT_EQ(browser.m_strPath, data.string());
  EXPECT_EQ(titleShown, "Select Directory");
  EXPECT_EQ(folderShown, dir.path().string());

  WhenModal<QFileDialog>([](QFileDialog& dialog) { dialog.reject(); });
  EXPECT_FALSE(browser.BrowseForFolder());
}
