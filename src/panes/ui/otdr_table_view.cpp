#include "panes/ui/otdr_table_view.h"

#include <QContextMenuEvent>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <algorithm>
#include <span>

#include "document/display_state.h"
#include "document/event_choice.h"
#include "document/otdr_doc.h"
#include "measure/link_orl_cache.h"
#include "measure/pass_fail_document.h"
#include "measure/pass_fail_verdict.h"
#include "panes/event_table_cells.h"
#include "panes/event_table_rules.h"
#include "panes/ui/event_icon_images.h"
#include "panes/ui/pane_frame.h"
#include "platform/path_util.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

constexpr LangRow kRowEventTable = 81;
constexpr ListColour kFailedText = MakeListColour(255, 0, 0);

bool SameRows(const EventTableView& a, const EventTableView& b) {
  return std::equal(a.rows.begin(), a.rows.end(), b.rows.begin(), b.rows.end(),
                    [](const EventTableRowView& x, const EventTableRowView& y) {
                      return x.texts == y.texts && x.typeIcon == y.typeIcon && x.failedColumns == y.failedColumns;
                    });
}

EventTableKey KeyOf(int key) {
  switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Down: return EventTableKey::Next;
    case Qt::Key_Up:
    case Qt::Key_Right: return EventTableKey::Previous;
    default: return EventTableKey::Other;
  }
}

}  // namespace

COtdrTableView::COtdrTableView(COtdrDoc& doc, std::string programFolder, QWidget* parent)
    : CCListViewExt(parent), m_Doc(doc), m_strProgramFolder(std::move(programFolder)), m_AddEventMarkers(doc) {
  // Made once: icons made anew for every fill would leave their scaled pictures in Qt's pixmap cache.
  Model().SetSmallImages(MakeEventIcons());
}

COtdrTableView::~COtdrTableView() = default;

bool COtdrTableView::HasPath() const { return !m_Doc.m_strTracePath.empty(); }

void COtdrTableView::OnInitialUpdate() {
  CCListViewExt::OnInitialUpdate();
  EnableCellMode(true);
  BuildEventColumns();
  FillEventTable();
  PlacePaneFrame();
}

void COtdrTableView::BuildEventColumns() {
  // The columns stay; a heading that changes (another length unit) gives its column the set width
  // back until the next fill fits it to its texts.
  const auto headings = EventColumnHeadings(g_LengthUnitName);
  for (int column = 0; column < kEventColumnCount; ++column) {
    const EventColumnHeading& heading = headings[static_cast<std::size_t>(column)];
    const QString text = QString::fromStdString(heading.heading);
    if (column < Model().columnCount() && Model().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() == text) {
      continue;
    }
    if (column < Model().columnCount()) {
      Model().SetColumnHeading(column, text);
    } else {
      Model().InsertColumn(column, text);
    }
    setColumnWidth(column, heading.width);
    m_Shown.reset();
  }
}

void COtdrTableView::FillEventTable() {
  LoadPassFailLimits(m_Doc, m_strProgramFolder);
  g_PassFailFailed = 0;
  EventTableView table = ComputeEventTable(m_Doc, g_LengthUnitFactor);
  // The rows are rebuilt and measured only when what they show changed.
  if (!m_Shown || !SameRows(*m_Shown, table)) {
    ShowRows(table);
    FitEventColumns();
  }
  // The verdict covers every value judged on screen, the link's in Total Fiber Information too.
  if (table.anyFailed || JudgeLinkLimits(m_Doc.m_LinkSummary, m_Doc.m_PassFailThresholds, PeekLinkOrl(m_Doc)).Any()) g_PassFailFailed = 1;
  m_Shown = std::move(table);
}

void COtdrTableView::ShowRows(const EventTableView& table) {
  Model().DeleteAllItems();
  for (int row = 0; row < static_cast<int>(table.rows.size()); ++row) {
    const EventTableRowView& view = table.rows[static_cast<std::size_t>(row)];
    Model().InsertItem(row, QString::fromStdString(view.texts[0]));
    for (int column = 1; column < kEventColumnCount; ++column) {
      Model().SetItemText(row, column, QString::fromStdString(view.texts[static_cast<std::size_t>(column)]));
    }
    Model().SetItemImage(row, kColType, view.typeIcon);
    for (int column = 0; column < kEventColumnCount; ++column) {
      if (view.Failed(column)) SetCellColors(row, column, kDefaultColour, kFailedText);
    }
  }
}

void COtdrTableView::FitEventColumns() {
  // The headings' widths were set for one dialog font; in the font in use a column also takes the
  // width its heading and its texts need, so nothing is cut.
  const auto headings = EventColumnHeadings(g_LengthUnitName);
  for (int column = 0; column < kEventColumnCount; ++column) {
    const int needed = std::max(sizeHintForColumn(column), horizontalHeader()->sectionSizeHint(column));
    setColumnWidth(column, std::max(headings[static_cast<std::size_t>(column)].width, needed));
  }
}

void COtdrTableView::changeEvent(QEvent* event) {
  CCListViewExt::changeEvent(event);
  // Texts take another width in another font: the columns are fitted again, now and at the next fill.
  if (event->type() == QEvent::FontChange) {
    m_Shown.reset();
    FitEventColumns();
  }
}

void COtdrTableView::PlacePaneFrame() { PlacePaneFrameInTile(*this, PaneKind::EventTable); }

void COtdrTableView::OnUpdate(DocView* sender, int /*hint*/) {
  if (g_DisplayState.UnitChanged != 0) {
    BuildEventColumns();
    g_DisplayState.UnitChanged = 0;
  }
  if (!m_Doc.HasTrace()) {
    m_Doc.m_nEventCount = 0;
    FillEventTable();
    return;
  }
  if (sender == nullptr) FillEventTable();

  const int selected = g_DisplayState.SelectedEventRow;
  selectionModel()->clearSelection();
  if (selected >= 0 && selected < Model().rowCount()) {
    const QModelIndex index = Model().index(selected, 0);
    scrollTo(index, QAbstractItemView::EnsureVisible);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    SetSelectionMark(selected);
  } else {
    selectionModel()->clearCurrentIndex();
    // Nothing chosen: the keys start again from the first row, not from a row of another trace.
    SetSelectionMark(-1);
  }
}

void COtdrTableView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    OnLButtonDown(event);
    return;
  }
  CCListViewExt::mousePressEvent(event);
}

void COtdrTableView::OnLButtonDown(QMouseEvent* event) {
  CCListViewExt::mousePressEvent(event);
  ChooseRow(GetSelectionMark());
}

void COtdrTableView::ChooseRow(int row) {
  if (ChooseEventRow(m_Doc, g_DisplayState, row)) m_Doc.UpdateAllViews(this, kHintEventChosen);
}

// The selection is the one row counter: whatever moves it, the keys' own steps included, chooses
// the event of the row it reaches, marker and all.
void COtdrTableView::keyPressEvent(QKeyEvent* event) {
  if (!HasPath()) {
    event->accept();
    return;
  }
  const EventTableKey key = KeyOf(event->key());
  if (key == EventTableKey::Other) {
    const int before = GetSelectionMark();
    CCListViewExt::keyPressEvent(event);
    const int after = GetSelectionMark();
    // A key that moved the mark, or highlighted a row other than the chosen one (Enter on the row
    // the list made current), chooses that row.
    const bool highlighted = after >= 0 && selectionModel()->isRowSelected(after, QModelIndex());
    if (after >= 0 && (after != before || (highlighted && after != g_DisplayState.SelectedEventRow))) ChooseRow(after);
    return;
  }
  event->accept();
  // The arrows step from the chosen row, not from a row the list made current on its own (taking
  // the focus with nothing chosen makes the first row current): with nothing chosen Down chooses
  // the first row.
  const int rows = std::min(std::clamp(m_Doc.m_nEventCount, 0, kMaxEventRows), Model().rowCount());
  const int chosen = g_DisplayState.SelectedEventRow < rows ? g_DisplayState.SelectedEventRow : -1;
  const int row = StepKeyRow(chosen, key, rows);
  if (row < 0 || row == chosen) return;
  const QModelIndex index = Model().index(row, 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index, QAbstractItemView::EnsureVisible);
  ChooseRow(row);
}

void COtdrTableView::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (!HasPath()) return;
  QMenu menu(this);
  QAction* title = menu.addAction(QString::fromStdString(g_CurrentStrings[kRowEventTable]));
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  title->setEnabled(false);
  menu.addSeparator();
  QAction* deleteEvent = menu.addAction(QStringLiteral("Delete Event"));
  QAction* addEvent = menu.addAction(QStringLiteral("Add Event"));
  const int r = GetSelectionMark();
  addEvent->setEnabled(m_Doc.m_nEventCount < kMaxEventRows);
  deleteEvent->setEnabled(IsDeletableEvent(m_Doc, r));

  QAction* chosen = m_RunMenu ? m_RunMenu(menu, event->globalPos()) : menu.exec(event->globalPos());
  if (chosen == deleteEvent && deleteEvent->isEnabled()) {
    OnDeleteEvent();
  } else if (chosen == addEvent && addEvent->isEnabled()) {
    OnAddEvent();
  }
}

void COtdrTableView::OnTraceReanalysis() { RunTraceReanalysis(m_Doc, this, m_RunDialog); }
