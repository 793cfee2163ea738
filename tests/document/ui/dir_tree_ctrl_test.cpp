#include "document/ui/dir_tree_ctrl.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardItemModel>
#include <filesystem>

#include "temp_dir.h"

namespace {

using lumivane::test::TempDir;

class DirTreeCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"gamma", "alpha", "Beta", "alpha/inner", "Beta/deep/deeper"}) {
      std::filesystem::create_directories(dir_.path() / folder);
    }
    dir_.WriteFile("alpha/file.sor", "x");
    root_ = QString::fromStdString(dir_.path().string());
    ASSERT_EQ(tree_.InitDirTree(root_, 0), 1);
  }

  QModelIndex Top() const { return tree_.model()->index(0, 0); }
  QStringList ChildTexts(const QModelIndex& parent) const {
    QStringList texts;
    for (int row = 0; row < tree_.model()->rowCount(parent); ++row) {
      texts << tree_.model()->index(row, 0, parent).data().toString();
    }
    return texts;
  }
  QModelIndex Child(const QModelIndex& parent, const QString& text) const {
    for (int row = 0; row < tree_.model()->rowCount(parent); ++row) {
      const QModelIndex child = tree_.model()->index(row, 0, parent);
      if (child.data().toString() == text) return child;
    }
    return {};
  }

  TempDir dir_;
  QString root_;
  CDirTreeCtrl tree_;
};

TEST_F(DirTreeCtrlTest, ExpandingFillsTheFolderWithItsSubfoldersInCaseInsensitiveOrder) {
  // Until it is expanded a folder with subfolders holds one empty placeholder.
  EXPECT_EQ(ChildTexts(Top()), QStringList{QString()});
  tree_.expand(Top());
  EXPECT_EQ(ChildTexts(Top()), (QStringList{"alpha", "Beta", "gamma"}));
  EXPECT_EQ(ChildTexts(Child(Top(), "alpha")), QStringList{QString()});
  // A folder without subfolders has nothing to expand; files are never shown.
  EXPECT_EQ(tree_.model()->rowCount(Child(Top(), "gamma")), 0);
  tree_.expand(Child(Top(), "alpha"));
  EXPECT_EQ(ChildTexts(Child(Top(), "alpha")), QStringList{"inner"});
}

TEST_F(DirTreeCtrlTest, CollapsingForgetsTheChildrenAndTheNextExpansionReadsTheFolderAgain) {
  tree_.expand(Top());
  tree_.collapse(Top());
  EXPECT_EQ(ChildTexts(Top()), QStringList{QString()});
  std::filesystem::create_directory(dir_.path() / "Delta");
  tree_.expand(Top());
  EXPECT_EQ(ChildTexts(Top()), (QStringList{"alpha", "Beta", "Delta", "gamma"}));
}

TEST_F(DirTreeCtrlTest, SelectPathExpandsDownToTheFolderAndReportsIt) {
  QStringList reported;
  QObject::connect(&tree_, &CDirTreeCtrl::folderSelected, [&](const QString& path) { reported << path; });
  const QString deep = root_ + "/Beta/deep";
  EXPECT_EQ(tree_.SelectPath(deep + "/"), 1);
  EXPECT_EQ(tree_.SelectedPath(), deep);
  EXPECT_EQ(reported, QStringList{deep});
  EXPECT_EQ(tree_.GetItemPath(Top()), root_);

  // Components compare exactly: "beta" is not the folder "Beta".
  EXPECT_EQ(tree_.SelectPath(root_ + "/beta"), 0);
  EXPECT_EQ(tree_.SelectedPath(), deep);
}

TEST_F(DirTreeCtrlTest, SelectPathReadsFoldersAfreshAndRefusesAMissingOneLeavingTheParentExpanded) {
  ASSERT_EQ(tree_.SelectPath(root_ + "/alpha"), 1);
  // The tree was filled before "later" existed; a refreshed expansion finds it.
  std::filesystem::create_directories(dir_.path() / "alpha" / "later");
  EXPECT_EQ(tree_.SelectPath(root_ + "/alpha/later"), 1);
  std::filesystem::remove(dir_.path() / "alpha" / "later");
  EXPECT_EQ(tree_.SelectPath(root_ + "/alpha/later"), 0);
  EXPECT_EQ(tree_.SelectPath(root_ + "/elsewhere"), 0);
  EXPECT_TRUE(tree_.isExpanded(Child(Top(), "alpha")));
}

TEST(DirTreeCtrlDrivesTest, TheRootDriveKeepsItsSeparatorAndPathsBelowItHaveOne) {
  CDirTreeCtrl tree;
  ASSERT_EQ(tree.InitDirTree(QString(), 0), 1);
  const QModelIndex root = tree.model()->index(0, 0);
  EXPECT_EQ(tree.GetItemPath(root), QStringLiteral("/"));
  TempDir dir;
  const QString path = QString::fromStdString(dir.path().string());
  ASSERT_EQ(tree.SelectPath(path), 1);
  EXPECT_EQ(tree.SelectedPath(), path);
  EXPECT_FALSE(tree.SelectedPath().startsWith("//"));
}

}  // namespace
