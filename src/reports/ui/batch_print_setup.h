#pragma once
// The "Select Files" dialog of the batch print commands: the batch file picker (a folder tree, the
// folder's trace files and the files chosen for the batch, all from one folder) above OK and
// Cancel.
#include <QDialog>
#include <QDir>
#include <QString>
#include <string>
#include <vector>

#include "document/ui/batch_file_picker.h"

class CDirTreeCtrl;
class QListWidget;
class QPushButton;

class CCBatchPrintSetup : public QDialog {
  Q_OBJECT

 public:
  /// The tree shows the drives (or `treeRoot` alone when given) and starts at
  /// `startFolder`.
  explicit CCBatchPrintSetup(QString startFolder = QDir::currentPath(), QString treeRoot = {},
                             QWidget* parent = nullptr);

  /// Texts, the tree at the start folder, button states.
  void OnInitDialog();
  /// Lists the trace files of the folder `path` and empties the chosen list.
  void OnFolderChanged(const QString& path);
  void OnAddFiles();
  void OnAddAllFiles();
  void OnInsertFiles();
  void OnRemoveFiles();
  void OnRemoveAllFiles();
  /// Takes the chosen names into m_FileNames and ends the dialog.
  void OnOK();

  std::string m_strFolder;               // ends in "/"; empty until a folder is selected
  std::vector<std::string> m_FileNames;  // the chosen names as listed, set by OnOK
  int m_nFileCount = 0;

  CDirTreeCtrl* Tree() const { return m_pPicker->Tree(); }
  QListWidget* FolderList() const { return m_pPicker->FolderList(); }
  QListWidget* ChosenList() const { return m_pPicker->ChosenList(); }
  QPushButton* OkButton() const { return m_pOk; }
  QPushButton* AddButton() const { return m_pPicker->AddButton(); }
  QPushButton* InsertButton() const { return m_pPicker->InsertButton(); }
  QPushButton* AddAllButton() const { return m_pPicker->AddAllButton(); }
  QPushButton* RemoveButton() const { return m_pPicker->RemoveButton(); }
  QPushButton* RemoveAllButton() const { return m_pPicker->RemoveAllButton(); }

 private:
  BatchListCallbacks Callbacks(BatchMove move) const;

  QString m_strStartFolder;
  QString m_strTreeRoot;
  CBatchFilePicker* m_pPicker;
  QPushButton* m_pOk;
  QPushButton* m_pCancel;
};
