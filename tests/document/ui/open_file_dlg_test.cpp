#include "document/ui/open_file_dlg.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QTest>

#include "document/trace_preview.h"
#include "sor_image_builder.h"
#include "preview_fixture.h"
#include "temp_dir.h"
#include "vocabulary/text_table.h"

namespace {

/// Makes `path` the dialog's current file the way a click in its file list does.
bool ClickFile(CCMyOpenFileDlg& dialog, const std::string& path) {
  auto* model = dialog.findChild<QFileSystemModel*>();
  // The dialog's detail and list views share one selection model.
  auto* view = dialog.findChild<QAbstractItemView*>("treeView");
  if (model == nullptr || view == nullptr) return false;
  const QModelIndex index = model->index(QString::fromStdString(path));
  if (!index.isValid()) return false;
  view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  return true;
}

using OpenFileDlgTest = lumivane::test::PreviewFixture;

TEST_F(OpenFileDlgTest, SelectingAFileShowsItsPreviewUnderTheControls) {
  const std::string trace = dir_.WriteFile("span.sor", lumivane::test::MakeSampleSorV2());
  const std::string other = dir_.WriteFile("notes.txt", std::string(300, 'x'));
  CCMyOpenFileDlg dialog(true, QString(), QString(), QFileDialog::Options(), {"OTDR Files(*.sor)", "All(*)"});
  dialog.setDirectory(QString::fromStdString(dir_.path().string()));

  auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
  ASSERT_NE(grid, nullptr);
  const int index = grid->indexOf(dialog.PreviewBox());
  ASSERT_GE(index, 0);
  int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
  grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
  EXPECT_EQ(row, grid->rowCount() - 1);  // below every standard control
  EXPECT_TRUE(dialog.PreviewBox()->isReadOnly());
  EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));

  ASSERT_TRUE(ClickFile(dialog, trace));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.PreviewText().empty(); }, 5000));
  EXPECT_TRUE(dialog.PreviewText().starts_with("Measure Date(m/d/y):   11/14/2023 22:13:20\r\n"))
      << dialog.PreviewText();
  const QString shown = dialog.PreviewBox()->toPlainText();
  EXPECT_TRUE(shown.startsWith("Measure Date(m/d/y):   11/14/2023 22:13:20\nRange:")) << shown.toStdString();
  EXPECT_FALSE(shown.contains('\r'));

  ASSERT_TRUE(ClickFile(dialog, other));
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.PreviewText().empty(); }, 5000));
  EXPECT_TRUE(dialog.PreviewBox()->toPlainText().isEmpty());
}

}  // namespace
