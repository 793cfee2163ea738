#pragma once
// The Batch Edit dialog: a folder tree, the folder's trace files, the files to edit and the fields
// to change. The two lists mirror a BatchFileLists, which holds the rules for moving names.
#include <QDialog>
#include <QString>
#include <array>
#include <string>
#include <vector>

#include "document/batch_edit.h"
#include "document/batch_file_lists.h"
#include "document/ui/batch_list_widgets.h"

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

  CDirTreeCtrl* Tree() const { return m_pTree; }
  QListWidget* FolderList() const { return m_pFolderList; }
  QListWidget* EditList() const { return m_pEditList; }
  QPushButton* OkButton() const { return m_pOk; }
  QPushButton* AddButton() const { return m_pAdd; }
  QPushButton* InsertButton() const { return m_pInsert; }
  QPushButton* AddAllButton() const { return m_pAddAll; }
  QPushButton* RemoveButton() const { return m_pRemove; }
  QPushButton* RemoveAllButton() const { return m_pRemoveAll; }
  QCheckBox* CheckBox(int field) const { return m_Boxes[static_cast<std::size_t>(field)]; }
  QWidget* ValueControl(int field) const { return m_Values[static_cast<std::size_t>(field)]; }
  QLineEdit* TextEdit(int field) const;
  QComboBox* FibreTypeCombo() const { return m_pFibreType; }
  QSpinBox* StartingNumber() const { return m_pStartingNumber; }

  /// The fields in check-box order.
  enum Field { kCableId, kFiberId, kFibreType, kOriginating, kTerminating, kOperator, kNumbering, kFieldCount };

 private:
  void ShowLists();
  void UpdateButtonStates();
  BatchListCallbacks Callbacks() const;

  QString m_strStartFolder;
  QString m_strTreeRoot;
  BatchFileLists m_Lists;
  BatchListControls m_Controls;
  CDirTreeCtrl* m_pTree;
  QListWidget* m_pFolderList;
  QListWidget* m_pEditList;
  QComboBox* m_pFibreType;
  QSpinBox* m_pStartingNumber;
  std::array<QCheckBox*, kFieldCount> m_Boxes{};
  std::array<QWidget*, kFieldCount> m_Values{};
  QPushButton* m_pAdd;
  QPushButton* m_pInsert;
  QPushButton* m_pAddAll;
  QPushButton* m_pRemove;
  QPushButton* m_pRemoveAll;
  QPushButton* m_pClearAllText;
  QPushButton* m_pOk;
  QPushButton* m_pCancel;
};
