#include "reports/ui/batch_print_setup.h"

#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <string>
#include <vector>

#include "document/trace_file_bytes.h"
#include "platform/message_sink.h"
#include "platform/number_format.h"
#include "recording_message_sink.h"
#include "sor_image_builder.h"
#include "temp_dir.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::Reply;
using lumivane::test::RecordingMessageSink;
using lumivane::test::TempDir;

std::vector<std::string> Names(const QListWidget& list) {
  std::vector<std::string> names;
  for (int i = 0; i < list.count(); ++i) names.push_back(list.item(i)->text().toStdString());
  return names;
}

// Selects rows first .. first + count - 1 in one selection change.
void SelectRange(QListWidget& list, int first, int count) {
  list.clearSelection();
  const QItemSelection range(list.model()->index(first, 0), list.model()->index(first + count - 1, 0));
  list.selectionModel()->select(range, QItemSelectionModel::Select);
}

void SelectRows(QListWidget& list, std::initializer_list<int> rows) {
  list.clearSelection();
  for (int row : rows) list.item(row)->setSelected(true);
}

class BatchPrintSetupTest : public ::testing::Test {
 protected:
  BatchPrintSetupTest() : scoped_(sink_) {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    lumivane::test::SampleSorSpec small;
    small.points = 20;
    valid_ = lumivane::test::MakeSampleSorV2(small);
    folder_ = MakeFolder("traces", {"a.sor", "B.SOR", "c.Sor", "d.txt", "e.sor"});
    dir_.WriteFile("traces/bad.sor", std::string(400, 'x'));
  }

  std::string MakeFolder(const std::string& name, const std::vector<std::string>& files) {
    std::filesystem::create_directory(dir_.path() / name);
    for (const std::string& file : files) dir_.WriteFile(name + "/" + file, valid_);
    return (dir_.path() / name).string();
  }

  QString Root() const { return QString::fromStdString(dir_.path().string()); }

  TempDir dir_;
  RecordingMessageSink sink_;
  lumivane::ScopedMessageSink scoped_;
  std::vector<unsigned char> valid_;
  std::string folder_;
};

TEST_F(BatchPrintSetupTest, OpensOnTheStartFolderListingItsTraceFilesOnly) {
  ASSERT_EQ(IsValidTraceFile(folder_ + "/a.sor"), 1);
  CCBatchPrintSetup dlg(QString::fromStdString(folder_), Root());
  EXPECT_EQ(dlg.windowTitle(), "Select Files");
  EXPECT_EQ(dlg.AddAllButton()->text(), "Add All >>");
  EXPECT_EQ(dlg.m_strFolder, folder_ + "/");
  EXPECT_EQ(Names(*dlg.FolderList()), (std::vector<std::string>{"a.sor", "B.SOR", "bad.sor", "e.sor"}));
  EXPECT_EQ(dlg.ChosenList()->count(), 0);
  EXPECT_TRUE(dlg.AddAllButton()->isEnabled());
  for (QPushButton* off :
       {dlg.AddButton(), dlg.InsertButton(), dlg.RemoveButton(), dlg.RemoveAllButton(), dlg.OkButton()}) {
    EXPECT_FALSE(off->isEnabled()) << off->text().toStdString();
  }
}

TEST_F(BatchPrintSetupTest, AnotherFolderReplacesTheListAndDiscardsTheChosenNames) {
  const std::string other = MakeFolder("other", {"z.sor"});
  CCBatchPrintSetup dlg(QString::fromStdString(folder_), Root());
  SelectRows(*dlg.FolderList(), {0});
  dlg.AddButton()->click();
  ASSERT_EQ(dlg.ChosenList()->count(), 1);
  dlg.OnFolderChanged(QString::fromStdString(other));
  EXPECT_EQ(Names(*dlg.FolderList()), std::vector<std::string>{"z.sor"});
  EXPECT_EQ(dlg.ChosenList()->count(), 0);
  EXPECT_FALSE(dlg.OkButton()->isEnabled());
}

TEST_F(BatchPrintSetupTest, YesToARefusedFileKeepsItOnlyForAdd) {
  const struct {
    const char* button;
    std::vector<std::string> chosen;
    std::vector<std::string> folder;
  } cases[] = {
      {"add", {"a.sor", "bad.sor", "e.sor"}, {"B.SOR"}},
      {"addAll", {"a.sor", "B.SOR", "e.sor"}, {"bad.sor"}},
      {"insert", {"a.sor", "e.sor", "B.SOR"}, {"bad.sor"}},
  };
  for (const auto& c : cases) {
    sink_.Clear();
    sink_.SetDefaultReply(Reply::Yes);
    CCBatchPrintSetup dlg(QString::fromStdString(folder_), Root());
    const std::string button = c.button;
    if (button == "add") {
      SelectRows(*dlg.FolderList(), {0, 2, 3});
      dlg.AddButton()->click();
    } else if (button == "addAll") {
      dlg.AddAllButton()->click();
    } else {
      SelectRows(*dlg.FolderList(), {1});
      dlg.AddButton()->click();
      SelectRows(*dlg.ChosenList(), {0});
      SelectRows(*dlg.FolderList(), {0, 1, 2});
      dlg.InsertButton()->click();
    }
    EXPECT_EQ(Names(*dlg.ChosenList()), c.chosen) << c.button;
    EXPECT_EQ(Names(*dlg.FolderList()), c.folder) << c.button;
    ASSERT_EQ(sink_.questions().size(), 1u) << c.button;
    EXPECT_EQ(sink_.questions()[0].text, "bad.sor \nFormat Error \n   Continue ?   ");
  }
}

TEST_F(BatchPrintSetupTest, NoToARefusedFileStopsThePassWithWhatMovedSoFar) {
  sink_.SetDefaultReply(Reply::No);
  CCBatchPrintSetup dlg(QString::fromStdString(folder_), Root());
  SelectRows(*dlg.FolderList(), {0, 2, 3});
  dlg.AddButton()->click();
  EXPECT_EQ(Names(*dlg.ChosenList()), std::vector<std::string>{"a.sor"});
  EXPECT_EQ(Names(*dlg.FolderList()), (std::vector<std::string>{"B.SOR", "bad.sor", "e.sor"}));
}

TEST_F(BatchPrintSetupTest, InsertPutsTheNamesBeforeTheOneSelectedChosenNameAndSelectsTheFirst) {
  const std::string folder = MakeFolder("five", {"1.sor", "2.sor", "3.sor", "4.sor", "5.sor"});
  CCBatchPrintSetup dlg(QString::fromStdString(folder), Root());
  SelectRows(*dlg.FolderList(), {0, 1});
  dlg.AddButton()->click();  // 1.sor 2.sor chosen
  SelectRows(*dlg.ChosenList(), {0, 1});
  SelectRows(*dlg.FolderList(), {0});
  EXPECT_FALSE(dlg.InsertButton()->isEnabled());

  SelectRows(*dlg.ChosenList(), {1});
  SelectRows(*dlg.FolderList(), {0, 1, 2});
  ASSERT_TRUE(dlg.InsertButton()->isEnabled());
  dlg.InsertButton()->click();
  EXPECT_EQ(Names(*dlg.ChosenList()), (std::vector<std::string>{"1.sor", "3.sor", "4.sor", "5.sor", "2.sor"}));
  EXPECT_TRUE(dlg.ChosenList()->item(1)->isSelected());
  EXPECT_EQ(dlg.ChosenList()->selectedItems().size(), 1);
}

TEST_F(BatchPrintSetupTest, NamesMovedBackGoToTheEndOfTheFolderList) {
  CCBatchPrintSetup dlg(QString::fromStdString(folder_), Root());
  SelectRows(*dlg.FolderList(), {0, 3});
  dlg.AddButton()->click();  // a.sor e.sor
  SelectRows(*dlg.ChosenList(), {0});
  dlg.RemoveButton()->click();
  EXPECT_EQ(Names(*dlg.FolderList()), (std::vector<std::string>{"B.SOR", "bad.sor", "a.sor"}));
  dlg.RemoveAllButton()->click();
  EXPECT_EQ(Names(*dlg.FolderList()), (std::vector<std::string>{"B.SOR", "bad.sor", "a.sor", "e.sor"}));
  EXPECT_EQ(dlg.ChosenList()->count(), 0);
}

TEST_F(BatchPrintSetupTest, OkHandsBackTheFolderAndTheNamesInTheirOwnCase) {
  CCBatchPrintSetup dlg(QString::fromStdString(folder_), Root());
  SelectRows(*dlg.FolderList(), {1, 0});
  dlg.AddButton()->click();
  ASSERT_TRUE(dlg.OkButton()->isEnabled());
  dlg.OkButton()->click();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.m_strFolder, folder_ + "/");
  EXPECT_EQ(dlg.m_nFileCount, 2);
  EXPECT_EQ(dlg.m_FileNames, (std::vector<std::string>{"a.sor", "B.SOR"}));
}

// Two thousand and one small trace files: enough to reach the batch limit
// through the dialog.
class BatchPrintLimitTest : public BatchPrintSetupTest {
 protected:
  BatchPrintLimitTest() {
    std::vector<std::string> names;
    for (int i = 0; i < 2001; ++i) names.push_back(lumivane::Format("f%04d.sor", i));
    many_ = MakeFolder("many", names);
  }
  std::string many_;
};

TEST_F(BatchPrintLimitTest, MoreThanTheBatchHoldsMovesNothing) {
  CCBatchPrintSetup dlg(QString::fromStdString(many_), Root());
  dlg.AddAllButton()->click();  // 2001 names: over the limit
  EXPECT_EQ(sink_.MessageTexts(), std::vector<std::string>{"Files more than 2000"});
  EXPECT_EQ(dlg.ChosenList()->count(), 0);

  SelectRange(*dlg.FolderList(), 0, 1990);
  dlg.AddButton()->click();
  ASSERT_EQ(dlg.ChosenList()->count(), 1990);
  SelectRange(*dlg.FolderList(), 0, 11);
  dlg.AddButton()->click();
  EXPECT_EQ(sink_.MessageTexts().size(), 2u);
  EXPECT_EQ(dlg.ChosenList()->count(), 1990);
  SelectRange(*dlg.FolderList(), 0, 10);
  dlg.AddButton()->click();
  EXPECT_EQ(dlg.ChosenList()->count(), 2000);

  SelectRange(*dlg.ChosenList(), 0, 1200);
  dlg.RemoveButton()->click();
  EXPECT_EQ(dlg.ChosenList()->count(), 1000);
  EXPECT_EQ(dlg.ChosenList()->selectedItems().size(), 200);
  EXPECT_EQ(dlg.ChosenList()->item(0)->text(), "f1000.sor");
  EXPECT_TRUE(dlg.ChosenList()->item(199)->isSelected());
  EXPECT_FALSE(dlg.ChosenList()->item(200)->isSelected());
  EXPECT_EQ(dlg.FolderList()->count(), 1001);
}

}  // namespace
