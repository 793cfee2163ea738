#include "document/ui/dir_tree_ctrl.h"

#include <QDir>
#include <QDirIterator>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStandardItemModel>
#include <QStyle>

#include "platform/sort_string_array.h"

namespace {

// Every folder, dot folders too; pipes, sockets and devices are no folders.
constexpr QDir::Filters kFolderFilter = QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden;

QString JoinChild(const QString& parentPath, const QString& name) {
  return parentPath.endsWith(QLatin1Char('/')) ? parentPath + name : parentPath + QLatin1Char('/') + name;
}

// The root keeps its only character; every other path loses its trailing separators.
QString WithoutTrailingSeparators(QString path) {
  while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
  return path;
}

}  // namespace

CDirTreeCtrl::CDirTreeCtrl(QWidget* parent) : QTreeView(parent), m_pModel(new QStandardItemModel(this)) {
  setModel(m_pModel);
  setHeaderHidden(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  // Closed folders show the closed icon, the selected folder the open one.
  m_FolderIcon = QFileIconProvider().icon(QFileIconProvider::Folder);
  m_FolderIcon.addPixmap(style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(16, 16), QIcon::Selected);
  connect(this, &QTreeView::expanded, this, &CDirTreeCtrl::OnItemExpanded);
  connect(this, &QTreeView::collapsed, this, &CDirTreeCtrl::OnItemCollapsed);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) emit folderSelected(GetItemPath(current));
          });
}

int CDirTreeCtrl::InitDirTree(const QString& root, int showFiles) {
  m_pModel->clear();
  m_bShowFiles = showFiles;
  QStringList tops;
  if (root.isEmpty()) {
    for (const QFileInfo& drive : QDir::drives()) tops << drive.absolutePath();
  } else {
    tops << QDir::cleanPath(root);
  }
  if (tops.isEmpty()) return 0;
  for (const QString& top : tops) {
    const QString path = WithoutTrailingSeparators(top);
    AddItem(path, path, m_pModel->invisibleRootItem());
  }
  return 1;
}

QStandardItem* CDirTreeCtrl::AddItem(const QString& path, const QString& text, QStandardItem* parent) {
  auto* item = new QStandardItem(m_FolderIcon, text);
  item->setEditable(false);
  parent->appendRow(item);
  if (HasSubfolders(path)) AddPlaceholder(item);
  return item;
}

bool CDirTreeCtrl::HasSubfolders(const QString& path) {
  QDirIterator it(path, kFolderFilter);
  return it.hasNext();
}

void CDirTreeCtrl::AddPlaceholder(QStandardItem* item) {
  auto* placeholder = new QStandardItem();
  placeholder->setEditable(false);
  placeholder->setSelectable(false);
  item->appendRow(placeholder);
}

void CDirTreeCtrl::FillFolder(QStandardItem* item, const QString& path) {
  CSortStringArray names;
  // A folder that cannot be listed simply shows no children.
  for (const QString& name : QDir(path).entryList(kFolderFilter, QDir::NoSort)) names.push_back(name.toStdString());
  names.SortNoCase();
  setUpdatesEnabled(false);
  for (const std::string& name : names) {
    const QString child = QString::fromStdString(name);
    AddItem(JoinChild(path, child), child, item);
  }
  setUpdatesEnabled(true);
}

void CDirTreeCtrl::OnItemExpanded(const QModelIndex& index) {
  QStandardItem* item = m_pModel->itemFromIndex(index);
  if (item == nullptr) return;
  item->removeRows(0, item->rowCount());
  FillFolder(item, GetItemPath(index));
}

void CDirTreeCtrl::OnItemCollapsed(const QModelIndex& index) {
  QStandardItem* item = m_pModel->itemFromIndex(index);
  if (item == nullptr) return;
  item->removeRows(0, item->rowCount());
  AddPlaceholder(item);
}

QString CDirTreeCtrl::GetItemPath(const QModelIndex& item) const {
  QStringList parts;
  for (QModelIndex at = item; at.isValid(); at = at.parent()) parts.prepend(at.data().toString());
  if (parts.isEmpty()) return {};
  QString path = parts.takeFirst();
  for (const QString& part : parts) path = JoinChild(path, part);
  return WithoutTrailingSeparators(path);
}

int CDirTreeCtrl::SelectPath(const QString& path) {
  const QString wanted = WithoutTrailingSeparators(QDir::cleanPath(path));
  if (wanted.isEmpty() || !QFileInfo(wanted).isDir()) return 0;
  QStandardItem* found = nullptr;
  for (int row = 0; row < m_pModel->rowCount() && found == nullptr; ++row) {
    QStandardItem* top = m_pModel->item(row);
    const QString topPath = top->text();
    if (wanted == topPath || wanted.startsWith(topPath == QLatin1String("/") ? topPath : topPath + QLatin1Char('/'))) {
      found = top;
    }
  }
  if (found == nullptr) return 0;
  // Collapsing first makes each expansion along the way read its folder afresh.
  const auto refresh = [this](QStandardItem* item) {
    const QModelIndex index = item->index();
    if (isExpanded(index)) collapse(index);
    expand(index);
  };
  const QString rest = wanted.mid(found->text().size());
  for (const QString& component : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    refresh(found);
    QStandardItem* next = nullptr;
    for (int row = 0; row < found->rowCount() && next == nullptr; ++row) {
      if (found->child(row)->text() == component) next = found->child(row);
    }
    if (next == nullptr) return 0;
    found = next;
  }
  refresh(found);
  const QModelIndex index = found->index();
  setCurrentIndex(index);
  scrollTo(index);
  return 1;
}

QString CDirTreeCtrl::SelectedPath() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? GetItemPath(current) : QString();
}
