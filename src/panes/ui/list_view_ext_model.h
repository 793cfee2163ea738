#pragma once
// The rows and columns of the extended list view: cell texts, cell images from the list's small
// image list, and per-cell colours kept in row records that the list owns. The records move with
// their rows, so a row keeps its colours when a row above it is deleted.
#include <QAbstractTableModel>
#include <QIcon>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

/// A colour 0x00BBGGRR; kDefaultColour means the list's own.
using ListColour = std::uint32_t;
inline constexpr ListColour kDefaultColour = 0xFFFFFFFFu;

/// RGB as a ListColour.
constexpr ListColour MakeListColour(int red, int green, int blue) {
  return static_cast<ListColour>(red) | static_cast<ListColour>(green) << 8 | static_cast<ListColour>(blue) << 16;
}

class CListViewExtModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  /// The colours of one cell.
  struct CellInfo {
    int m_nColumn = 0;
    ListColour m_crBk = kDefaultColour;
    ListColour m_crText = kDefaultColour;
  };

  /// The record of one row; it owns the row's cell records.
  struct ItemData {
    virtual ~ItemData() = default;
    std::vector<std::unique_ptr<CellInfo>> m_Cells;
  };

  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  /// Inserts a column before `column` (appends when beyond the last); returns its index.
  int InsertColumn(int column, const QString& heading);
  /// Replaces a column's heading; false when there is no such column.
  bool SetColumnHeading(int column, const QString& heading);
  /// Inserts a row with the text of its first cell and a fresh row record; returns its index.
  int InsertItem(int row, const QString& text);
  /// Sets a cell's text; false outside the table.
  bool SetItemText(int row, int column, const QString& text);
  /// Shows image `image` of the small image list in a cell.
  bool SetItemImage(int row, int column, int image);
  /// Deletes a row; its record stays with the list until every row is deleted.
  bool DeleteItem(int row);
  /// Deletes every row and frees every row record.
  void DeleteAllItems();
  /// The text of a cell, empty outside the table.
  QString GetItemText(int row, int column) const;

  /// The row's record, null outside the rows.
  ItemData* GetItemData(int row) const;
  /// The colours of a cell, null when it has none of its own.
  const CellInfo* FindCell(int row, int column) const;
  /// Sets a cell's colours, creating its record; ignored outside the table.
  void SetCellColors(int row, int column, ListColour bk, ListColour text);
  /// Row records the list holds, attached to a row or left over from deleted rows.
  int ItemDataCount() const { return static_cast<int>(m_ItemDataArray.size()); }

  /// The list's defaults, used for cells without colours of their own.
  void SetDefaultColours(ListColour text, ListColour bk);
  /// Replaces the small image list; an empty list shows no images.
  void SetSmallImages(std::vector<QIcon> images);
  bool HasSmallImages() const { return !m_SmallImages.empty(); }

 private:
  struct Row {
    std::vector<QString> texts;
    std::vector<int> images;  // per column, -1 none
    ItemData* data = nullptr;
  };

  bool Contains(int row, int column) const;

  std::vector<QString> m_Headings;
  std::vector<Row> m_Rows;
  std::vector<std::unique_ptr<ItemData>> m_ItemDataArray;
  std::vector<QIcon> m_SmallImages;
  ListColour m_crDefaultText = kDefaultColour;
  ListColour m_crDefaultBk = kDefaultColour;
};
