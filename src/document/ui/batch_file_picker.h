#pragma once
// The file picker of the batch dialogs (Batch Edit, the batch print file selection): a folder tree,
// the folder's trace files, the chosen files and the buttons that move names between the two
// lists. The lists mirror a BatchFileLists, which holds the rules for moving names; the dialog
// around the picker says how a file is tested on its way in and when its OK button may be pressed.
#include <QString>
#include <QWidget>
#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "document/batch_file_lists.h"

class CDirTreeCtrl;
class QListWidget;
class QPushButton;

/// Where the move buttons stand: in a column between the two lists, or in a row below them.
enum class BatchPickerArrangement { ButtonsBetweenLists, ButtonsBelowLists };

/// The moves that take names into the chosen list.
enum class BatchMove { Add, Insert, AddAll };

/// The "Format Error" question about a file the trace-file test refused; true answers Yes.
bool AskFormatErrorContinue(const std::string& name);

class CBatchFilePicker : public QWidget {
  Q_OBJECT

 public:
  /// How a dialog tests and asks about the files of one move (the picker shows its messages).
  using MoveRules = std::function<BatchListCallbacks(BatchMove move)>;

  CBatchFilePicker(BatchPickerArrangement arrangement, MoveRules rules, QWidget* parent = nullptr);

  /// One Remove moves back at most this many names; the rest stay chosen and selected.
  void SetMaxRemovedAtOnce(std::size_t count) { m_nMaxRemovedAtOnce = count; }
  /// The dialog's OK button, enabled while names are chosen and `okAllowed` agrees.
  void SetOkButton(QPushButton* ok, std::function<bool()> okAllowed = {});

  /// Texts, the tree showing the drives (or `treeRoot` alone when given) at `startFolder`, button
  /// states.
  void Init(const QString& treeRoot, const QString& startFolder);

  /// Lists the trace files of the folder `path` and empties the chosen list.
  void ListFolder(const QString& path);
  void Add();
  void Insert();
  void AddAll();
  void Remove();
  void RemoveAll();
  /// Enables each button as the lists (and the dialog, for OK) allow.
  void UpdateButtons();

  /// The chosen names, at most kMaxBatchFiles of them, into `names` and their number into `count`;
  /// false, changing nothing, while none is chosen.
  bool TakeChosenNames(std::vector<std::string>& names, int& count) const;

  /// The folder listed, ending in "/"; empty until a folder is selected.
  const std::string& Folder() const { return m_strFolder; }

  CDirTreeCtrl* Tree() const { return m_pTree; }
  QListWidget* FolderList() const { return m_pFolderList; }
  QListWidget* ChosenList() const { return m_pChosenList; }
  QPushButton* AddButton() const { return m_pAdd; }
  QPushButton* InsertButton() const { return m_pInsert; }
  QPushButton* AddAllButton() const { return m_pAddAll; }
  QPushButton* RemoveButton() const { return m_pRemove; }
  QPushButton* RemoveAllButton() const { return m_pRemoveAll; }

 signals:
  /// A folder was listed: Folder() names it.
  void folderListed();

 private:
  void TakeSelections();
  void ShowLists();
  BatchListCallbacks RulesOf(BatchMove move) const;

  BatchFileLists m_Lists;
  std::string m_strFolder;
  MoveRules m_MoveRules;
  std::size_t m_nMaxRemovedAtOnce = std::numeric_limits<std::size_t>::max();
  QPushButton* m_pOk = nullptr;
  std::function<bool()> m_OkAllowed;
  CDirTreeCtrl* m_pTree;
  QListWidget* m_pFolderList;
  QListWidget* m_pChosenList;
  QPushButton* m_pAdd;
  QPushButton* m_pInsert;
  QPushButton* m_pAddAll;
  QPushButton* m_pRemove;
  QPushButton* m_pRemoveAll;
};
