#pragma once
// The "Select Files" dialog of the batch print commands: a folder tree, the
// folder's trace files and the files chosen for the batch, all from one folder.
// The two lists mirror a BatchFileLists, which holds the rules for moving
// names.
#include <QDialog>
#include <QDir>
#include <QString>
#include <string>
#include <vector>

#include "document/batch_file_lists.h"
#include "document/ui/batch_list_widgets.h"

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

  CDirTreeCtrl* Tree() const { return m_pTree; }
  QListWidget* FolderList() const { return m_pFolderFiles; }
  QListWidget* ChosenList() const { return m_pChosenFiles; }
  QPushButton* OkButton() const { return m_pOk; }
  QPushButton* AddButton() const { return m_pAdd; }
  QPushButton* InsertButton() const { return m_pInsert; }
  QPushButton* AddAllButton() const { return m_pAddAll; }
  QPushButton* RemoveButton() const { return m_pRemove; }
  QPushButton* RemoveAllButton() const { return m_pRemoveAll; }

 private:
  void ShowLists();
  void UpdateSelectButtons();
  BatchListCallbacks Callbacks(bool keepRefusedOnYes, bool& stopped) const;

  QString m_strStartFolder;
  QString m_strTreeRoot;
  BatchFileLists m_Lists;
  BatchListControls m_Controls;
  CDirTreeCtrl* m_pTree;
  QListWidget* m_pFolderFiles;
  QListWidget* m_pChosenFiles;
  QPushButton* m_pAddAll;
  QPushButton* m_pInsert;
  QPushButton* m_pAdd;
  QPushButton* m_pRemove;
  QPushButton* m_pRemoveAll;
  QPushButton* m_pOk;
  QPushButton* m_pCancel;
};
