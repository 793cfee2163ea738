#include "panes/ui/list_view_ext.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "panes/ui/header_ctrl_ext.h"

namespace {

class ListViewExtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list.resize(500, 300);
    CListViewExtModel& model = list.Model();
    for (int c = 0; c < 4; ++c) {
      model.InsertColumn(c, QStringLiteral("C%1").arg(c));
      list.setColumnWidth(c, 80);
    }
    const char* texts[] = {"1a", "2", "1b", "3", "1c", "4"};
    for (int r = 0; r < 6; ++r) {
      model.InsertItem(r, QString::number(r));
      model.SetItemText(r, 2, QString::fromLatin1(texts[r]));
    }
    list.OnInitialUpdate();
    list.EnableCellMode(true);
    list.SetClock([this] { return now; });
    list.show();
    QApplication::setActiveWindow(&list);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    list.setFocus();
  }

  QPoint CellCentre(int row, int column) { return list.visualRect(list.Model().index(row, column)).center(); }

  void RightClick(QPoint at) { QTest::mouseClick(list.viewport(), Qt::RightButton, {}, at); }

  int SelectedRowCount() { return static_cast<int>(list.selectionModel()->selectedRows().size()); }

  CCListViewExt list;
  std::int64_t now = 1000;
};

TEST_F(ListViewExtTest, CellColoursAreKeptPerCellAndIgnoredOutsideTheList) {
  CListViewExtModel& model = list.Model();
  const int records = model.ItemDataCount();
  list.SetCellColors(6, 0, kDefaultColour, MakeListColour(255, 0, 0));
  list.SetCellColors(0, -1, kDefaultColour, MakeListColour(255, 0, 0));
  list.SetCellColors(0, 4, kDefaultColour, MakeListColour(255, 0, 0));
  EXPECT_EQ(model.ItemDataCount(), records);
  EXPECT_TRUE(model.GetItemData(0)->m_Cells.empty());

  list.SetCellColors(1, 2, kDefaultColour, MakeListColour(0, 255, 0));
  list.SetCellColors(1, 2, kDefaultColour, MakeListColour(255, 0, 0));
  ASSERT_EQ(model.GetItemData(1)->m_Cells.size(), 1u);
  EXPECT_EQ(model.data(model.index(1, 2), Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
  EXPECT_FALSE(model.data(model.index(1, 2), Qt::BackgroundRole).isValid()) << "a white list keeps its background";
  EXPECT_EQ(model.data(model.index(1, 1), Qt::ForegroundRole).value<QBrush>().color(), list.palette().color(QPalette::Text));
}

TEST_F(ListViewExtTest, RowsKeepTheirColoursWhenRowsAboveGoAndLoseThemOnDeleteAll) {
  CListViewExtModel& model = list.Model();
  list.SetCellColors(4, 1, MakeListColour(0, 0, 255), MakeListColour(255, 0, 0));
  ASSERT_TRUE(model.DeleteItem(2));
  EXPECT_NE(model.FindCell(3, 1), nullptr);
  EXPECT_EQ(model.FindCell(3, 1)->m_crBk, MakeListColour(0, 0, 255));
  EXPECT_EQ(model.ItemDataCount(), 6) << "the deleted row's record stays until all rows go";
  model.DeleteAllItems();
  EXPECT_EQ(model.ItemDataCount(), 0);
  model.InsertItem(0, QStringLiteral("x"));
  EXPECT_EQ(model.FindCell(0, 1), nullptr);
}

TEST_F(ListViewExtTest, FocusRectangleFollowsTheCurrentColumnChosenWithTheRightButton) {
  list.selectionModel()->setCurrentIndex(list.Model().index(2, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list.viewport()->repaint();
  const QRect row = list.visualRect(list.Model().index(2, 0)) | list.visualRect(list.Model().index(2, 3));
  EXPECT_EQ(list.LastFocusRect().left(), row.left());
  EXPECT_EQ(list.LastFocusRect().right(), row.right());

  RightClick(CellCentre(1, 3));
  EXPECT_EQ(list.CurrentColumn(), 3);
  EXPECT_EQ(list.FocusedRow(), 1);
  EXPECT_EQ(list.GetSelectionMark(), 1);
  list.viewport()->repaint();
  const QRect cell = list.visualRect(list.Model().index(1, 3));
  EXPECT_EQ(list.LastFocusRect().right(), cell.right());
  EXPECT_EQ(list.LastFocusRect().left(), cell.left() + 1);

  const QImage image = list.viewport()->grab().toImage();
  const QColor current = image.pixelColor(cell.right() - 4, cell.center().y());
  const QRect other = list.visualRect(list.Model().index(1, 1));
  const QColor selected = image.pixelColor(other.right() - 4, other.center().y());
  EXPECT_NE(current, selected) << "the current cell is painted unselected";

  RightClick(QPoint(10, list.viewport()->height() - 5));
  EXPECT_EQ(list.CurrentColumn(), 3) << "below the rows nothing changes";
}

TEST_F(ListViewExtTest, WithoutCellModeNoFocusRectangleIsDrawn) {
  list.EnableCellMode(false);
  list.selectionModel()->setCurrentIndex(list.Model().index(2, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list.viewport()->repaint();
  EXPECT_TRUE(list.LastFocusRect().isNull());
}

TEST_F(ListViewExtTest, TypingInTheCurrentColumnStepsThroughMatchingRows) {
  RightClick(CellCentre(0, 2));
  QTest::keyClick(&list, Qt::Key_1);
  EXPECT_EQ(list.FocusedRow(), 2);
  QTest::keyClick(&list, Qt::Key_1);
  EXPECT_EQ(list.FocusedRow(), 4);
  QTest::keyClick(&list, Qt::Key_1);
  EXPECT_EQ(list.FocusedRow(), 0) << "wraps past the last row";
  EXPECT_EQ(SelectedRowCount(), 1);

  QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(list.FocusedRow(), 0) << "Ctrl empties the search and selects nothing";
}

TEST_F(ListViewExtTest, EnterAddsTheFocusedRowToTheSelection) {
  list.selectionModel()->select(list.Model().index(1, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list.selectionModel()->setCurrentIndex(list.Model().index(5, 0), QItemSelectionModel::NoUpdate);
  QTest::keyClick(&list, Qt::Key_Return);
  EXPECT_TRUE(list.selectionModel()->isRowSelected(5, {}));
  EXPECT_TRUE(list.selectionModel()->isRowSelected(1, {}));
}

TEST_F(ListViewExtTest, DividerDoubleClickSizesTheColumnToItsWidestText) {
  list.Model().SetItemText(3, 0, QStringLiteral("a much longer text"));
  list.Model().SetSmallImages({QIcon(), QIcon()});
  CHeaderCtrlExt& header = list.Header();
  QTest::mouseDClick(header.viewport(), Qt::LeftButton, {}, QPoint(header.sectionSize(0) - 1, header.height() / 2));
  const int expected = list.fontMetrics().horizontalAdvance(QStringLiteral("a much longer text")) + 12 + 16;
  EXPECT_EQ(list.columnWidth(0), expected);

  list.Model().DeleteAllItems();
  list.AutoSizeColumn(1);
  EXPECT_EQ(list.columnWidth(1), 80) << "an empty list keeps its widths";
}

class HeaderDragTest : public ListViewExtTest {
 protected:
  QWidget* Port() { return list.Header().viewport(); }
  int EdgeOf(int column) { return list.Header().sectionViewportPosition(column) + list.Header().sectionSize(column); }
  void Drag(int fromX, int toX, bool release = true) {
    const int y = list.Header().height() / 2;
    QTest::mousePress(Port(), Qt::LeftButton, {}, QPoint(fromX, y));
    QTest::mouseMove(Port(), QPoint(toX, y));
    if (release) QTest::mouseRelease(Port(), Qt::LeftButton, {}, QPoint(toX, y));
  }
};

TEST_F(HeaderDragTest, DraggingADividerResizesLiveAndNeverBelowZero) {
  const int edge = EdgeOf(1);
  Drag(edge - 1, edge - 1);
  EXPECT_EQ(list.columnWidth(1), 80) << "press and release in place";
  Drag(edge - 1, edge + 19);
  EXPECT_EQ(list.columnWidth(1), 100);
  Drag(EdgeOf(1) - 1, 5);
  EXPECT_EQ(list.columnWidth(1), 0);
  EXPECT_EQ(list.Header().DividerAt(EdgeOf(1) + 1), 1) << "beside a zero-width column it is the one meant";
  Drag(EdgeOf(1) + 1, EdgeOf(1) + 31);
  EXPECT_EQ(list.columnWidth(1), 30);
}

TEST_F(HeaderDragTest, LosingTheMouseDuringADragPutsTheWidthBack) {
  const int edge = EdgeOf(2);
  Drag(edge, edge + 40, false);
  EXPECT_EQ(list.columnWidth(2), 120);
  list.Header().CancelTrack();
  EXPECT_EQ(list.columnWidth(2), 80);
  EXPECT_EQ(list.Header().TrackColumn(), -1);
  QTest::mouseRelease(Port(), Qt::LeftButton, {}, QPoint(edge + 40, 5));
  EXPECT_EQ(list.columnWidth(2), 80);
}

TEST_F(HeaderDragTest, CursorShowsWhereADividerIs) {
  QTest::mouseMove(Port(), QPoint(EdgeOf(0), 5));
  EXPECT_EQ(list.Header().cursor().shape(), Qt::SizeHorCursor);
  QTest::mouseMove(Port(), QPoint(EdgeOf(0) - 30, 5));
  EXPECT_EQ(list.Header().cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
