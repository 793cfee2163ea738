#pragma once
// The Batch Edit dialog: the batch file picker (a folder tree, the folder's trace files, the files
// to edit) and the fields to change.
#include <QDialog>
#include <QString>
#include <array>
#include <string>
#include <vector>

#include "document/batch_edit.h"
#include "document/ui/batch_file_picker.h"

class CDirTreeCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

class CCBatchEditDlg : public QDialog {
  Q_OBJECT

 public:
  /// The tree shows the drives (or `treeRoot` alone when given) and starts at `startFolder`.
  explicit CCBatchEditDlg(QString startFolder, QString treeRoot = {}, QWidget* parent = nullptr);

  /// Texts, the tree at the start folder, disabled value controls, the combo, button states.
  void OnInitDialog();
  /// Lists the trace files of the folder `path` and empties "Files to Edit".
  void OnFolderSelected(const QString& path);
  void OnAdd();
  void OnInsert();
  void OnAddAll();
  void OnRemove();
  void OnRemoveAll();
  /// Empties the five texts and the fibre type; boxes and starting number stay.
  void OnClearAllText();
  /// Enables each value control by its box, then the buttons.
  void OnCheckBox();
  /// Takes the list into the file names and ends the dialog; nothing with an empty list.
  void OnOK();

  /// The fields and values as the dialog holds them now.
  BatchEditSpec Spec() const;

  std::string m_strFolder;                 // ends in "/"
  std::vector<std::string> m_FileNames;    // the files to edit, set by OnOK
  int m_nFileCount = 0;

  CDirTreeCtrl* Tree() const { return m_pPicker->Tree(); }
  QListWidget* FolderList() const { return m_pPicker->FolderList(); }
  QListWidget* EditList() const { return m_pPicker->ChosenList(); }
  QPushButton* OkButton() const { return m_pOk; }
  QPushButton* AddButton() const { return m_pPicker->AddButton(); }
  QPushButton* InsertButton() const { return m_pPicker->InsertButton(); }
  QPushButton* AddAllButton() const { return m_pPicker->AddAllButton(); }
  QPushButton* RemoveButton() const { return m_pPicker->RemoveButton(); }
  QPushButton* RemoveAllButton() const { return m_pPicker->RemoveAllButton(); }
  QCheckBox* CheckBox(int field) const { return m_Boxes[static_cast<std::size_t>(field)]; }
  QWidget* ValueControl(int field) const { return m_Values[static_cast<std::size_t>(field)]; }
  QLineEdit* TextEdit(int field) const;
  QComboBox* FibreTypeCombo() const { return m_pFibreType; }
  QSpinBox* StartingNumber() const { return m_pStartingNumber; }

  /// The fields in check-box order.
  enum Field { kCableId, kFiberId, kFibreType, kOriginating, kTerminating, kOperator, kNumbering, kFieldCount };

 private:
  BatchListCallbacks Callbacks() const;

  QString m_strStartFolder;
  QString m_strTreeRoot;
  CBatchFilePicker* m_pPicker;
  QComboBox* m_pFibreType;
  QSpinBox* m_pStartingNumber;
  std::array<QCheckBox*, kFieldCount> m_Boxes{};
  std::array<QWidget*, kFieldCount> m_Values{};
  QPushButton* m_pClearAllText;
  QPushButton* m_pOk;
  QPushButton* m_pCancel;
};
