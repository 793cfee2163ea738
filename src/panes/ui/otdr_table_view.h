#pragma once
// The Event Table pane's view: one row per event of the current trace in eleven columns, failed
// values in red. A click on a row or a step of the arrow keys chooses its event and puts the active
// marker on it, and the context menu, the Edit menu and the application offer Delete Event, Add
// Event and Trace Reanalysis.
#include <QPoint>
#include <functional>
#include <optional>
#include <string>

#include "measure/add_event_measurements.h"
#include "measure/ui/analysis_commands.h"
#include "panes/event_table_cells.h"
#include "panes/ui/event_table_commands.h"
#include "panes/ui/list_view_ext.h"

class COtdrDoc;
class QAction;
class QMenu;

class COtdrTableView final : public CCListViewExt, public EventTableCommands {
  Q_OBJECT

 public:
  /// Shows a context menu at a screen point and returns the chosen item (null: none); tests choose
  /// instead of opening the menu.
  using MenuRunner = std::function<QAction*(QMenu&, QPoint)>;

  /// A view of `doc` reading the pass/fail limits from the program folder `programFolder`.
  COtdrTableView(COtdrDoc& doc, std::string programFolder, QWidget* parent = nullptr);
  ~COtdrTableView() override;

  COtdrDoc* GetDocument() const { return &m_Doc; }

  void OnInitialUpdate() override;
  void OnUpdate(DocView* sender, int hint) override;

  /// Makes the eleven headings the current length unit's, keeping the columns.
  void BuildEventColumns();
  /// Shows every row of the document, judging the values against the pass/fail limits; the rows
  /// are rebuilt and their columns fitted only when their texts, icons or verdicts changed.
  void FillEventTable();
  /// Widens every column to its heading and texts in the font in use, never below its set width.
  void FitEventColumns();
  /// Moves the pane's frame to its tile of the main window.
  void PlacePaneFrame();

  // --- Event editing --------------------------------------------------------------------------
  /// Delete Event: asks, then removes the event of the selection mark.
  void OnDeleteEvent();
  /// Whether Edit > Delete Event is available.
  bool OnUpdateDeleteEvent() const;
  /// Add Event at the active marker, confirmed by the user in the event dialog.
  void OnAddEvent();
  void AddEvent() override { OnAddEvent(); }
  void OnTraceReanalysis() override;


  /// Replaces how dialogs and the context menu run (tests answer them without blocking).
  void SetDialogRunner(DialogRunner run) { m_RunDialog = std::move(run); }
  void SetMenuRunner(MenuRunner run) { m_RunMenu = std::move(run); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool HasPath() const;
  void OnLButtonDown(QMouseEvent* event);
  /// Chooses the event of `row` and tells the other panes.
  void ChooseRow(int row);
  /// Puts the rows of `table` into the list.
  void ShowRows(const EventTableView& table);

  COtdrDoc& m_Doc;
  std::string m_strProgramFolder;
  AddEventMeasurements m_AddEventMarkers;
  std::optional<EventTableView> m_Shown;  // what the rows show; none before the first fill
  DialogRunner m_RunDialog = ExecDialog;
  MenuRunner m_RunMenu;
};
