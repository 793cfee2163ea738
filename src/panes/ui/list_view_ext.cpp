#include "panes/ui/list_view_ext.h"

#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <algorithm>

#include "panes/ui/header_ctrl_ext.h"

namespace {

// Cell text is measured with this much room besides it.
constexpr int kAutoWidthPadding = 12;
constexpr int kSmallIconSize = 16;

ListColour FromQColor(const QColor& colour) {
  return MakeListColour(colour.red(), colour.green(), colour.blue());
}

// Paints the cells: never the platform's focus frame (the list draws its own), and the current cell
// of the focused row in its own colours while the rest of the row shows as selected.
class CellDelegate final : public QStyledItemDelegate {
 public:
  explicit CellDelegate(CCListViewExt& list) : QStyledItemDelegate(&list), m_List(list) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (!(option.state & QStyle::State_Selected) || index.column() != m_List.CurrentColumn() ||
        index.row() != m_List.FocusedRow()) {
      QStyledItemDelegate::paint(painter, option, index);
      return;
    }
    // The row's selection panel is already under the cell; cover it with the cell's own background.
    QStyleOptionViewItem own = option;
    own.state &= ~QStyle::State_Selected;
    const QVariant background = index.data(Qt::BackgroundRole);
    painter->fillRect(own.rect, background.isValid() ? background.value<QBrush>() : own.palette.base());
    QStyledItemDelegate::paint(painter, own, index);
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
  }

 private:
  CCListViewExt& m_List;
};

}  // namespace

CCListViewExt::CCListViewExt(QWidget* parent)
    : QTableView(parent), m_Model(this), m_pHeader(new CHeaderCtrlExt(this)),
      m_Clock([] { return QDateTime::currentSecsSinceEpoch(); }) {
  setHorizontalHeader(m_pHeader);
  setModel(&m_Model);
  setItemDelegate(new CellDelegate(*this));
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setShowGrid(true);
  setWordWrap(false);
  setIconSize(QSize(kSmallIconSize, kSmallIconSize));
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  connect(this, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (m_bCellMode && index.isValid()) ScrollCellIntoView(index.row(), index.column());
  });
  connect(m_pHeader, &CHeaderCtrlExt::DividerDoubleClicked, this, &CCListViewExt::AutoSizeColumn);
}

CCListViewExt::~CCListViewExt() = default;

void CCListViewExt::OnInitialUpdate() {
  if (!m_bDefaultsRecorded) {
    m_bDefaultsRecorded = true;
    // A white background counts as none, so plain cells keep the platform's own background.
    const ListColour base = FromQColor(palette().color(QPalette::Base));
    m_Model.SetDefaultColours(FromQColor(palette().color(QPalette::Text)),
                              base == MakeListColour(255, 255, 255) ? kDefaultColour : base);
  }
  OnUpdate(nullptr, kHintRefresh);
}

void CCListViewExt::OnUpdate(DocView* /*sender*/, int /*hint*/) { viewport()->update(); }

void CCListViewExt::SetCellColors(int row, int column, ListColour bk, ListColour text) {
  m_Model.SetCellColors(row, column, bk, text);
}

int CCListViewExt::FocusedRow() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : -1;
}

void CCListViewExt::SetCurrentColumn(int column) {
  m_nCurColumn = column;
  const int row = FocusedRow();
  if (row >= 0) viewport()->repaint(RowBounds(row));
}

void CCListViewExt::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (current.isValid()) m_nSelectionMark = current.row();
  viewport()->update();
}

void CCListViewExt::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    OnRButtonDown(event);
    return;
  }
  QTableView::mousePressEvent(event);
  if (!indexAt(event->position().toPoint()).isValid()) m_nSelectionMark = -1;
}

void CCListViewExt::OnRButtonDown(QMouseEvent* event) {
  const QModelIndex hit = indexAt(event->position().toPoint());
  if (!m_bCellMode || !hit.isValid()) {
    QTableView::mousePressEvent(event);
    if (!hit.isValid()) m_nSelectionMark = -1;
    return;
  }
  m_nCurColumn = hit.column();
  // The press moves the selection and the focus to the row, as a right-click in a list does.
  selectionModel()->setCurrentIndex(hit, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_nSelectionMark = hit.row();
  SetCurrentColumn(hit.column());
  event->accept();
}

void CCListViewExt::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
    // Only a focused row is selected; without one nothing is.
    const int row = FocusedRow();
    if (row >= 0) selectionModel()->select(m_Model.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTableView::keyPressEvent(event);
    return;
  }
  const QString text = event->text();
  if (m_nCurColumn > 0 && text.size() == 1 && (text[0].isPrint() || (event->modifiers() & Qt::ControlModifier))) {
    OnChar(event);
    return;
  }
  QTableView::keyPressEvent(event);
}

void CCListViewExt::OnChar(QKeyEvent* event) {
  const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
  const int found = TypeAheadStep(m_Search, m_nCurColumn, FocusedRow(), event->text()[0].unicode(), ctrl, m_Clock(),
                                  m_Model.rowCount(), [this](int row) {
                                    return m_Model.GetItemText(row, m_nCurColumn).toStdU16String();
                                  });
  event->accept();
  if (found < 0) return;
  const QModelIndex index = m_Model.index(found, 0);
  selectionModel()->clearSelection();
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  scrollTo(index, QAbstractItemView::EnsureVisible);
}

void CCListViewExt::ScrollCellIntoView(int row, int column) {
  if (row < 0 || row >= m_Model.rowCount() || column < 0 || column >= m_Model.columnCount()) return;
  scrollTo(m_Model.index(row, 0), QAbstractItemView::EnsureVisible);
  const int clientWidth = viewport()->width();
  const QRect cell = visualRect(m_Model.index(row, column));
  QScrollBar* bar = horizontalScrollBar();
  if (cell.right() + 1 > clientWidth) {
    bar->setValue(bar->value() + (cell.width() > clientWidth ? cell.left() : cell.right() + 1 - clientWidth));
  }
  if (cell.left() < 0) bar->setValue(bar->value() + cell.left());
}

void CCListViewExt::AutoSizeColumn(int column) {
  if (m_Model.rowCount() == 0 || column < 0 || column >= m_Model.columnCount()) return;
  int width = 0;
  const QFontMetrics metrics = fontMetrics();
  for (int row = 0; row < m_Model.rowCount(); ++row) {
    width = std::max(width, metrics.horizontalAdvance(m_Model.GetItemText(row, column)) + kAutoWidthPadding);
  }
  if (m_Model.HasSmallImages() && column == 0) width += iconSize().width();
  setColumnWidth(column, width);
}

QRect CCListViewExt::RowBounds(int row) const {
  const int columns = m_Model.columnCount();
  if (columns == 0) return {};
  return visualRect(m_Model.index(row, 0)) | visualRect(m_Model.index(row, columns - 1));
}

QRect CCListViewExt::FocusRectOf(int row) const {
  const int border = 1;
  const int columns = m_Model.columnCount();
  if (columns == 0) return {};
  if (m_nCurColumn < 0 || m_nCurColumn >= columns) return RowBounds(row).adjusted(0, 0, 0, -border);
  QRect cell = visualRect(m_Model.index(row, m_nCurColumn));
  if (m_pHeader->visualIndex(m_nCurColumn) != 0) cell.setLeft(cell.left() + border);
  return cell.adjusted(0, 0, 0, -border);
}

void CCListViewExt::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  m_rcLastFocus = {};
  const int row = FocusedRow();
  if (!m_bCellMode || row < 0 || !hasFocus()) return;
  QPainter painter(viewport());
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = FocusRectOf(row);
  option.backgroundColor = palette().color(QPalette::Base);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  m_rcLastFocus = option.rect;
}
