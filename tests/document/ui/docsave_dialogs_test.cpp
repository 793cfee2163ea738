#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <filesystem>

#include "document/docsave_fixture.h"
#include "document/trace_info.h"
#include "document/ui/batch_edit_dlg.h"
#include "document/ui/document_file_commands.h"
#include "document/ui/trace_info_dlg.h"
#include "sor/sor_text.h"
#include "sor/sor_writer.h"
#include "sor_test_util.h"

namespace {

using lumivane::test::DocSaveFixture;
using lumivane::test::TempDir;

class TraceInfoDialogTest : public DocSaveFixture {
 protected:
  void SetUp() override {
    DocSaveFixture::SetUp();
    g_DeviceName = "old device";
  }
};

TEST_F(TraceInfoDialogTest, ConfirmedTextsGoIntoTheRecordAndMarkTheDocumentModified) {
  doc_->m_SorRecord.GenParams.FiberType = 652;
  SetSorText(doc_->m_SorRecord.GenParams.CableId, std::string_view("C\xe2" "ble"));
  int shown = 0;
  OnEditTraceInfo(*doc_, nullptr, [&](QDialog& dialog) {
    auto& dlg = static_cast<CCTraceInfoDlg&>(dialog);
    ++shown;
    EXPECT_EQ(dlg.windowTitle(), "Trace Information");
    EXPECT_EQ(dlg.FibreTypeCombo()->count(), 4);
    EXPECT_EQ(dlg.FibreTypeCombo()->currentText(), "Conventional Singlemode Fiber");
    EXPECT_EQ(dlg.CableIdEdit()->text(), QString::fromUtf8("C\u00e2ble"));  // each byte widened
    EXPECT_TRUE(dlg.DeviceEdit()->text().isEmpty());
    dlg.OperatorEdit()->setText("Night \u0141ukasz");
    dlg.DeviceEdit()->setText("OTDR 7");
    dlg.FibreTypeCombo()->setCurrentIndex(3);
    dlg.OnOK();
    return dlg.result();
  });
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(SorTextView(doc_->m_SorRecord.GenParams.Operator), u"Night ?ukasz");
  EXPECT_EQ(doc_->m_SorRecord.GenParams.FiberType, 655);
  EXPECT_EQ(g_DeviceName, "OTDR 7");
  EXPECT_TRUE(doc_->IsModified());
}

TEST_F(TraceInfoDialogTest, AnUnlistedFibreTypeShowsNoChoiceAndIsKept) {
  doc_->m_SorRecord.GenParams.FiberType = 654;
  OnEditTraceInfo(*doc_, nullptr, [](QDialog& dialog) {
    auto& dlg = static_cast<CCTraceInfoDlg&>(dialog);
    EXPECT_EQ(dlg.FibreTypeCombo()->currentIndex(), -1);
    dlg.OnOK();
    return dlg.result();
  });
  EXPECT_EQ(doc_->m_SorRecord.GenParams.FiberType, 654);
  EXPECT_EQ(g_DeviceName, "");
}

TEST_F(TraceInfoDialogTest, ALongerTextFromTheFileIsShownWholeAndMustBeShortenedBeforeOk) {
  const std::string longOperator(80, 'o');
  SetSorText(doc_->m_SorRecord.GenParams.Operator, std::string_view(longOperator));
  const auto before = std::make_unique<SorRecord>(doc_->m_SorRecord);
  OnEditTraceInfo(*doc_, nullptr, [&](QDialog& dialog) {
    auto& dlg = static_cast<CCTraceInfoDlg&>(dialog);
    EXPECT_EQ(dlg.OperatorEdit()->text().size(), 80);
    dlg.OnOK();
    EXPECT_NE(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(sink_.messages().size(), 1u);
    dlg.reject();
    return dlg.result();
  });
  EXPECT_TRUE(lumivane::test::SameBytes(doc_->m_SorRecord, *before));
  EXPECT_FALSE(doc_->IsModified());
  EXPECT_EQ(g_DeviceName, "old device");
}

TEST_F(TraceInfoDialogTest, NothingHappensWithoutATraceFile) {
  doc_->m_strTracePath = "space";
  int shown = 0;
  OnEditTraceInfo(*doc_, nullptr, [&](QDialog&) { return ++shown; });
  EXPECT_EQ(shown, 0);
}

class BatchEditDialogTest : public DocSaveFixture {
 protected:
  void SetUp() override {
    DocSaveFixture::SetUp();
    folder_ = dir_.path() / "traces";
    std::filesystem::create_directory(folder_);
    for (const char* name : {"b.sor", "A.SOR", "c.Sor", "notes.txt"})
      dir_.WriteFile(std::string("traces/") + name, fileBytes_);
    dir_.WriteFile("traces/broken.sor", "not a trace");
  }
  QString Folder() const { return QString::fromStdString(folder_.string()); }
  std::filesystem::path folder_;
};

TEST_F(BatchEditDialogTest, TheStartFolderListsItsTraceFilesAndOkWaitsForAFileAndABox) {
  CCBatchEditDlg dlg(Folder(), QString::fromStdString(dir_.path().string()));
  EXPECT_EQ(dlg.windowTitle(), "Batch Edit");
  EXPECT_EQ(dlg.m_strFolder, folder_.string() + "/");
  ASSERT_EQ(dlg.FolderList()->count(), 3);
  EXPECT_EQ(dlg.FolderList()->item(0)->text(), "A.SOR");
  EXPECT_EQ(dlg.FolderList()->item(1)->text(), "b.sor");
  EXPECT_EQ(dlg.FolderList()->item(2)->text(), "broken.sor");
  EXPECT_FALSE(dlg.OkButton()->isEnabled());
  EXPECT_FALSE(dlg.ValueControl(CCBatchEditDlg::kOperator)->isEnabled());

  dlg.AddAllButton()->click();
  // The broken file is asked about; the recorder's dismiss answer stops the adding there.
  EXPECT_EQ(sink_.questions().size(), 1u);
  EXPECT_EQ(dlg.EditList()->count(), 2);
  EXPECT_FALSE(dlg.OkButton()->isEnabled());
  dlg.CheckBox(CCBatchEditDlg::kOperator)->setChecked(true);
  EXPECT_TRUE(dlg.ValueControl(CCBatchEditDlg::kOperator)->isEnabled());
  EXPECT_TRUE(dlg.OkButton()->isEnabled());

  dlg.EditList()->item(1)->setSelected(true);
  EXPECT_TRUE(dlg.RemoveButton()->isEnabled());
  dlg.RemoveButton()->click();
  EXPECT_EQ(dlg.EditList()->count(), 1);
  EXPECT_EQ(dlg.FolderList()->count(), 2);
}

TEST_F(BatchEditDialogTest, ClearAllTextKeepsTheBoxesAndTheStartingNumber) {
  CCBatchEditDlg dlg(Folder(), QString::fromStdString(dir_.path().string()));
  dlg.CheckBox(CCBatchEditDlg::kCableId)->setChecked(true);
  dlg.TextEdit(CCBatchEditDlg::kCableId)->setText("CABLE");
  dlg.FibreTypeCombo()->setCurrentIndex(2);
  dlg.StartingNumber()->setValue(42);
  dlg.OnClearAllText();
  EXPECT_TRUE(dlg.TextEdit(CCBatchEditDlg::kCableId)->text().isEmpty());
  EXPECT_EQ(dlg.FibreTypeCombo()->currentIndex(), -1);
  EXPECT_TRUE(dlg.CheckBox(CCBatchEditDlg::kCableId)->isChecked());
  EXPECT_EQ(dlg.StartingNumber()->value(), 42);
  EXPECT_EQ(dlg.StartingNumber()->maximum(), 99999999);
  EXPECT_EQ(dlg.TextEdit(CCBatchEditDlg::kFiberId)->maxLength(), 40);
}

TEST_F(BatchEditDialogTest, OkEditsTheListedFilesAndLeavesTheCurrentTraceAlone) {
  const auto current = std::make_unique<SorRecord>(doc_->m_SorRecord);
  OnBatchEdit(*doc_, nullptr, Folder(), [](QDialog& dialog) {
    auto& dlg = static_cast<CCBatchEditDlg&>(dialog);
    dlg.FolderList()->item(0)->setSelected(true);
    dlg.FolderList()->item(1)->setSelected(true);
    dlg.AddButton()->click();
    dlg.CheckBox(CCBatchEditDlg::kNumbering)->setChecked(true);
    dlg.StartingNumber()->setValue(5);
    dlg.OkButton()->click();
    return dlg.result();
  });
  EXPECT_EQ(SorTextView(Reload((folder_ / "A.SOR").string())->GenParams.FiberId), u"5");
  EXPECT_EQ(SorTextView(Reload((folder_ / "b.sor").string())->GenParams.FiberId), u"6");
  EXPECT_EQ(TempDir::ReadFile((folder_ / "c.Sor").string()), fileBytes_);
  EXPECT_TRUE(lumivane::test::SameBytes(doc_->m_SorRecord, *current));
  EXPECT_TRUE(sink_.messages().empty());
}

TEST(SaveAsDialogTest, FiltersAndTheAddedEndingFollowTheChosenFilter) {
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  ConfigureSaveAsDialog(dialog, "space");
  EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
  ASSERT_EQ(dialog.nameFilters().size(), 2);
  EXPECT_EQ(dialog.defaultSuffix(), "sor");
  EXPECT_FALSE(SaveAsChoiceOf(dialog).picture);
  dialog.selectNameFilter(dialog.nameFilters()[1]);
  emit dialog.filterSelected(dialog.nameFilters()[1]);
  EXPECT_EQ(dialog.defaultSuffix(), "BMP");
  EXPECT_TRUE(SaveAsChoiceOf(dialog).picture);
}

TEST(SaveAsDialogTest, StartsFromTheDocumentsOwnFolderAndName) {
  lumivane::test::TempDir dir;
  const std::string path = dir.WriteFile("Route 7.sor", std::string_view("x"));
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  ConfigureSaveAsDialog(dialog, path);
  EXPECT_EQ(QFileInfo(dialog.directory().absolutePath()).canonicalFilePath(),
            QFileInfo(QString::fromStdString(dir.path().string())).canonicalFilePath());
  ASSERT_EQ(dialog.selectedFiles().size(), 1);
  EXPECT_EQ(QFileInfo(dialog.selectedFiles().front()).fileName(), QStringLiteral("Route 7.sor"));
}

}  // namespace
