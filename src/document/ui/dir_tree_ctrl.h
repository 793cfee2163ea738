#pragma once
// A folders-only tree of the machine's file system. A folder's children are read when it is
// expanded, afresh at every expansion, and forgotten when it collapses; a folder with subfolders
// carries one empty placeholder child until then, so that it shows its expand button.
#include <QIcon>
#include <QString>
#include <QTreeView>

class QStandardItem;
class QStandardItemModel;

class CDirTreeCtrl : public QTreeView {
  Q_OBJECT

 public:
  explicit CDirTreeCtrl(QWidget* parent = nullptr);

  /// Fills the top level: the drives when `root` is empty (on this system "/"), else `root`
  /// alone. Files are never shown; `showFiles` is kept for callers that pass it. Returns 1, or 0
  /// when there is no drive to show.
  int InitDirTree(const QString& root, int showFiles);

  /// The item's full path without a trailing separator ("/" for the root itself).
  QString GetItemPath(const QModelIndex& item) const;

  /// Expands the tree down to the existing folder `path` (components compared exactly) and
  /// selects it; returns 1, or 0 when the path does not exist or a component is not in the tree,
  /// leaving the tree expanded as far as it got.
  int SelectPath(const QString& path);

  /// The path of the selected item; empty when nothing is selected.
  QString SelectedPath() const;

 signals:
  /// A new folder was selected.
  void folderSelected(const QString& path);

 private:
  void OnItemExpanded(const QModelIndex& index);
  void OnItemCollapsed(const QModelIndex& index);
  QStandardItem* AddItem(const QString& path, const QString& text, QStandardItem* parent);
  void FillFolder(QStandardItem* item, const QString& path);
  static bool HasSubfolders(const QString& path);
  static void AddPlaceholder(QStandardItem* item);

  QStandardItemModel* m_pModel;
  QIcon m_FolderIcon;
  int m_bShowFiles = 0;
};
