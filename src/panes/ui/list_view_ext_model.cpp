#include "panes/ui/list_view_ext_model.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

namespace {

QColor ToQColor(ListColour colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>(colour >> 8 & 0xFF), static_cast<int>(colour >> 16 & 0xFF));
}

// The cell's own colour, else the list's, else none (the view's palette).
QVariant ChosenColour(ListColour own, ListColour fallback) {
  const ListColour chosen = own != kDefaultColour ? own : fallback;
  if (chosen == kDefaultColour) return {};
  return QBrush(ToQColor(chosen));
}

}  // namespace

int CListViewExtModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_Rows.size());
}

int CListViewExtModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_Headings.size());
}

bool CListViewExtModel::Contains(int row, int column) const {
  return row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
}

QVariant CListViewExtModel::data(const QModelIndex& index, int role) const {
  if (!Contains(index.row(), index.column())) return {};
  const Row& row = m_Rows[static_cast<std::size_t>(index.row())];
  const auto column = static_cast<std::size_t>(index.column());
  switch (role) {
    case Qt::DisplayRole: return row.texts[column];
    case Qt::DecorationRole: {
      // The first cell shows the row's image, image 0 unless set; other cells only a set one.
      const int image = row.images[column] >= 0 ? row.images[column] : (column == 0 ? 0 : -1);
      if (image < 0 || image >= static_cast<int>(m_SmallImages.size())) return {};
      return m_SmallImages[static_cast<std::size_t>(image)];
    }
    case Qt::ForegroundRole:
    case Qt::BackgroundRole: {
      const CellInfo* cell = FindCell(index.row(), index.column());
      if (role == Qt::ForegroundRole) return ChosenColour(cell ? cell->m_crText : kDefaultColour, m_crDefaultText);
      return ChosenColour(cell ? cell->m_crBk : kDefaultColour, m_crDefaultBk);
    }
    default: return {};
  }
}

QVariant CListViewExtModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount()) return {};
  return m_Headings[static_cast<std::size_t>(section)];
}

int CListViewExtModel::InsertColumn(int column, const QString& heading) {
  const int at = std::clamp(column, 0, columnCount());
  beginInsertColumns({}, at, at);
  m_Headings.insert(m_Headings.begin() + at, heading);
  for (Row& row : m_Rows) {
    row.texts.insert(row.texts.begin() + at, QString());
    row.images.insert(row.images.begin() + at, -1);
  }
  endInsertColumns();
  return at;
}

bool CListViewExtModel::SetColumnHeading(int column, const QString& heading) {
  if (column < 0 || column >= columnCount()) return false;
  m_Headings[static_cast<std::size_t>(column)] = heading;
  emit headerDataChanged(Qt::Horizontal, column, column);
  return true;
}

int CListViewExtModel::InsertItem(int row, const QString& text) {
  const int at = std::clamp(row, 0, rowCount());
  beginInsertRows({}, at, at);
  Row entry;
  entry.texts.assign(m_Headings.size(), QString());
  entry.images.assign(m_Headings.size(), -1);
  if (!entry.texts.empty()) entry.texts[0] = text;
  m_ItemDataArray.push_back(std::make_unique<ItemData>());
  entry.data = m_ItemDataArray.back().get();
  m_Rows.insert(m_Rows.begin() + at, std::move(entry));
  endInsertRows();
  return at;
}

bool CListViewExtModel::SetItemText(int row, int column, const QString& text) {
  if (!Contains(row, column)) return false;
  m_Rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)] = text;
  emit dataChanged(index(row, column), index(row, column), {Qt::DisplayRole});
  return true;
}

bool CListViewExtModel::SetItemImage(int row, int column, int image) {
  if (!Contains(row, column)) return false;
  m_Rows[static_cast<std::size_t>(row)].images[static_cast<std::size_t>(column)] = image;
  emit dataChanged(index(row, column), index(row, column), {Qt::DecorationRole});
  return true;
}

bool CListViewExtModel::DeleteItem(int row) {
  if (row < 0 || row >= rowCount()) return false;
  beginRemoveRows({}, row, row);
  m_Rows.erase(m_Rows.begin() + row);
  endRemoveRows();
  return true;
}

void CListViewExtModel::DeleteAllItems() {
  beginResetModel();
  m_Rows.clear();
  m_ItemDataArray.clear();
  endResetModel();
}

QString CListViewExtModel::GetItemText(int row, int column) const {
  return Contains(row, column) ? m_Rows[static_cast<std::size_t>(row)].texts[static_cast<std::size_t>(column)] : QString();
}

CListViewExtModel::ItemData* CListViewExtModel::GetItemData(int row) const {
  return row >= 0 && row < rowCount() ? m_Rows[static_cast<std::size_t>(row)].data : nullptr;
}

const CListViewExtModel::CellInfo* CListViewExtModel::FindCell(int row, int column) const {
  const ItemData* data = GetItemData(row);
  if (data == nullptr) return nullptr;
  for (const auto& cell : data->m_Cells) {
    if (cell->m_nColumn == column) return cell.get();
  }
  return nullptr;
}

void CListViewExtModel::SetCellColors(int row, int column, ListColour bk, ListColour text) {
  if (!Contains(row, column)) return;
  ItemData* data = m_Rows[static_cast<std::size_t>(row)].data;
  auto found = std::find_if(data->m_Cells.begin(), data->m_Cells.end(),
                            [column](const auto& cell) { return cell->m_nColumn == column; });
  CellInfo* cell = nullptr;
  if (found != data->m_Cells.end()) {
    cell = found->get();
  } else {
    data->m_Cells.push_back(std::make_unique<CellInfo>(CellInfo{column, kDefaultColour, kDefaultColour}));
    cell = data->m_Cells.back().get();
  }
  cell->m_crBk = bk;
  cell->m_crText = text;
  emit dataChanged(index(row, column), index(row, column), {Qt::ForegroundRole, Qt::BackgroundRole});
}

void CListViewExtModel::SetDefaultColours(ListColour text, ListColour bk) {
  m_crDefaultText = text;
  m_crDefaultBk = bk;
}

void CListViewExtModel::SetSmallImages(std::vector<QIcon> images) {
  m_SmallImages = std::move(images);
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DecorationRole});
}
