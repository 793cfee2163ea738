#include "document/batch_file_lists.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "vocabulary/text_table.h"

namespace {

std::vector<std::string> Names(const char* prefix, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i) + ".sor");
  return names;
}

class BatchFileListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(BUILD_LANGUAGE);
    callbacks_.isValidTraceFile = [this](const std::string& name) { return !invalid_.contains(name); };
    callbacks_.askContinue = [this](const std::string& name) {
      asked_.push_back(name);
      return answer_;
    };
    callbacks_.notify = [this](const std::string& text) { messages_.push_back(text); };
  }

  void SelectFolder(const std::vector<std::size_t>& rows) { lists_.Folder().Select(rows); }
  void SelectEdit(const std::vector<std::size_t>& rows) { lists_.Edit().Select(rows); }

  BatchFileLists lists_;
  BatchListCallbacks callbacks_;
  std::set<std::string> invalid_;
  bool answer_ = true;
  std::vector<std::string> asked_;
  std::vector<std::string> messages_;
};

TEST_F(BatchFileListsTest, AddMovesTheSelectedFilesAndANewFolderEmptiesTheEditList) {
  lists_.SetFolderFiles({"a.sor", "b.sor", "c.sor"});
  SelectFolder({0, 2});
  lists_.Add(callbacks_);
  EXPECT_EQ(lists_.Edit().names, (std::vector<std::string>{"a.sor", "c.sor"}));
  EXPECT_EQ(lists_.Folder().names, (std::vector<std::string>{"b.sor"}));
  lists_.SetFolderFiles({"x.sor"});
  EXPECT_EQ(lists_.Edit().Count(), 0u);
}

TEST_F(BatchFileListsTest, TheLimitOf2000FilesRefusesTheWholeMove) {
  lists_.SetFolderFiles(Names("f", 2001));
  std::vector<std::size_t> first(1990);
  for (std::size_t i = 0; i < first.size(); ++i) first[i] = i;
  SelectFolder(first);
  lists_.Add(callbacks_);
  ASSERT_EQ(lists_.Edit().Count(), 1990u);
  SelectFolder({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  lists_.Add(callbacks_);
  EXPECT_EQ(messages_, std::vector<std::string>{"Files more than 2000"});
  EXPECT_EQ(lists_.Edit().Count(), 1990u);
  EXPECT_EQ(lists_.Folder().Count(), 11u);
  SelectFolder({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  lists_.Add(callbacks_);
  EXPECT_EQ(lists_.Edit().Count(), 2000u);
}

TEST_F(BatchFileListsTest, NamesDifferingOnlyInCaseOrByAPrefixAreDifferentFiles) {
  lists_.SetFolderFiles({"a.sor", "A.SOR", "a.sor.sor"});
  lists_.AddAll(callbacks_);
  EXPECT_EQ(lists_.Edit().names, (std::vector<std::string>{"a.sor", "A.SOR", "a.sor.sor"}));
  EXPECT_TRUE(messages_.empty());
  SelectEdit({1});
  lists_.Remove();
  EXPECT_EQ(lists_.Folder().names, std::vector<std::string>{"A.SOR"});
  EXPECT_EQ(lists_.Edit().names, (std::vector<std::string>{"a.sor", "a.sor.sor"}));
}

TEST_F(BatchFileListsTest, AFileAlreadyListedStopsTheAddWithItsNameSelected) {
  lists_.SetFolderFiles({"a.sor", "b.sor", "c.sor"});
  lists_.AddAll(callbacks_);
  // A name can only be in both lists if the folder lists it again; the move stops there.
  lists_.Folder().Insert(0, "d.sor");
  lists_.Folder().Insert(1, "b.sor");
  SelectFolder({0, 1});
  lists_.Add(callbacks_);
  EXPECT_EQ(messages_, std::vector<std::string>{"b.sor  Already exist !"});
  EXPECT_EQ(lists_.Edit().names, (std::vector<std::string>{"a.sor", "b.sor", "c.sor", "d.sor"}));
  EXPECT_EQ(lists_.Edit().SelectedRows(), std::vector<std::size_t>{1});
  EXPECT_EQ(lists_.Folder().names, std::vector<std::string>{"b.sor"});
}

TEST_F(BatchFileListsTest, InsertNeedsExactlyOneTargetAndSelectsTheFirstNewEntry) {
  lists_.SetFolderFiles({"a.sor", "b.sor", "x.sor", "y.sor"});
  SelectFolder({0, 1});
  lists_.Add(callbacks_);
  SelectFolder({0, 1});
  for (const std::vector<std::size_t>& targets : {std::vector<std::size_t>{}, std::vector<std::size_t>{0, 1}}) {
    SelectEdit(targets);
    lists_.Insert(callbacks_);
    EXPECT_EQ(lists_.Edit().names, (std::vector<std::string>{"a.sor", "b.sor"}));
  }
  SelectEdit({1});
  SelectFolder({0, 1});
  lists_.Insert(callbacks_);
  EXPECT_EQ(lists_.Edit().names, (std::vector<std::string>{"a.sor", "x.sor", "y.sor", "b.sor"}));
  EXPECT_EQ(lists_.Edit().SelectedRows(), std::vector<std::size_t>{1});
  EXPECT_EQ(lists_.Folder().Count(), 0u);
}

TEST_F(BatchFileListsTest, ARefusedFileAsksAndYesSkipsItWhileNoStops) {
  invalid_ = {"b.sor", "d.sor"};
  lists_.SetFolderFiles({"a.sor", "b.sor", "c.sor", "d.sor", "e.sor"});
  lists_.AddAll(callbacks_);
  EXPECT_EQ(asked_, (std::vector<std::string>{"b.sor", "d.sor"}));
  EXPECT_EQ(lists_.Edit().names, (std::vector<std::string>{"a.sor", "c.sor", "e.sor"}));
  EXPECT_EQ(lists_.Folder().names, (std::vector<std::string>{"b.sor", "d.sor"}));

  lists_.RemoveAll();
  answer_ = false;
  lists_.AddAll(callbacks_);
  // No stops at the first refused file; what was added before it has left the folder list.
  EXPECT_EQ(lists_.Edit().Count() + lists_.Folder().Count(), 5u);
  EXPECT_TRUE(lists_.Folder().Find("b.sor").has_value());
  EXPECT_FALSE(lists_.Edit().Find("b.sor").has_value());
}

TEST_F(BatchFileListsTest, RemoveReturnsEntriesToTheEndOfTheFolderList) {
  lists_.SetFolderFiles({"a.sor", "b.sor", "c.sor"});
  lists_.AddAll(callbacks_);
  lists_.Folder().Insert(0, "z.sor");
  SelectEdit({0, 2});
  lists_.Remove();
  EXPECT_EQ(lists_.Folder().names, (std::vector<std::string>{"z.sor", "a.sor", "c.sor"}));
  EXPECT_EQ(lists_.Edit().names, std::vector<std::string>{"b.sor"});
  lists_.RemoveAll();
  EXPECT_EQ(lists_.Folder().names, (std::vector<std::string>{"z.sor", "a.sor", "c.sor", "b.sor"}));
  EXPECT_EQ(lists_.Edit().Count(), 0u);
}

TEST_F(BatchFileListsTest, ButtonStatesFollowTheListsAndTheBoxes) {
  lists_.SetFolderFiles({"a.sor", "b.sor", "c.sor"});
  BatchButtonStates s = lists_.ButtonStates(true);
  EXPECT_TRUE(s.addAll);
  EXPECT_FALSE(s.add || s.insert || s.remove || s.removeAll || s.ok);
  SelectFolder({0});
  lists_.Add(callbacks_);
  SelectFolder({0});
  EXPECT_FALSE(lists_.ButtonStates(false).ok);
  s = lists_.ButtonStates(true);
  EXPECT_TRUE(s.ok && s.add && s.removeAll);
  EXPECT_FALSE(s.insert || s.remove);
  SelectEdit({0});
  s = lists_.ButtonStates(true);
  EXPECT_TRUE(s.insert && s.remove);
}

}  // namespace
