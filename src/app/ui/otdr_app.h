#pragma once
// The application object: it starts the program, keeps the one document and the list of loaded
// traces, makes the five panes and answers the application's own commands. Exactly one exists
// while the program runs; theApp points to it.
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ui/command_table.h"
#include "app/ui/recent_file_list.h"
#include "document/doc_view.h"
#include "document/trace_record.h"

class CMainFrame;
class CCBatchPrintSetup;
class PrintJobControl;
class SingleTraceReport;
class COtdrDoc;
class QMdiSubWindow;
class QObject;

/// The file kind of the current trace; 0 (SR-4731) is the only kind.
extern int g_TraceFileKind;

/// The pane last shown through the Window menu, numbered as that menu counts (0 Trace).
extern int ActivePane;

/// The colour index the next new trace of the list gets, 0 to 16 (16 wraps to 0 at the next entry).
extern int NextColourSlot;

/// Which file chooser a command shows.
enum class FileChoice { Open, AddTrace, New };

class COtdrApp final {
 public:
  /// Chooses a file for a command; nothing when the user cancels.
  using FileChooser = std::function<std::optional<std::string>(FileChoice)>;

  COtdrApp();
  ~COtdrApp();
  COtdrApp(const COtdrApp&) = delete;
  COtdrApp& operator=(const COtdrApp&) = delete;

  /// Starts the program with the arguments after its name. False: the start ends here with success
  /// (handed over to a running instance, a registration switch, or an embedded start).
  bool InitInstance(const std::vector<std::string>& arguments);
  /// Ends the run; returns the process's exit code.
  int ExitInstance();

  // --- Open path ----------------------------------------------------------------------------
  /// Opens a trace file (or the pseudo-path "space") as the current trace and enters it into the
  /// list. Returns the document, also when the user cancelled the save prompt; null when the path
  /// was refused or the file not read, in which case the document and the list are as they were.
  COtdrDoc* OpenDocumentFile(std::string_view path);
  /// File Open: replaces every listed trace with the chosen file.
  void OnFileOpen();
  /// Add trace: adds the chosen file to the list.
  void OnAddTrace();
  /// File New: opens a chosen name, creating an empty file when there is none.
  void OnFileNew();
  /// "Save first?" for a command that is about to replace the current trace, asked before the
  /// command changes anything. False when the user cancelled (or the save failed): the command then
  /// changes nothing. True when nothing was modified or the user saved or declined; the command's
  /// next open then takes that answer and does not ask again.
  bool AskSaveFirst();
  /// Opens a path for the trace view's switch and close commands.
  COtdrDoc* OpenTraceByPath(std::string_view path);
  /// Exchanges the list entries at positions i and j and notes that the list is out of order.
  void SwapTraceEntries(int i, int j);
  /// Exchanges them back and notes that the list is in order again.
  void RestoreTraceOrder(int i, int j);
  /// Puts the list back in its own order when the last switch left it out of order.
  void RestoreListOrder();

  // --- Panes and application commands ---------------------------------------------------------
  /// Creates the pane when it is missing, makes it the checked one and shows and refreshes it.
  void ShowPaneWindow(PaneKind pane);
  /// Shows and refreshes every existing pane, the Trace pane last.
  void RestorePanes();
  /// Moves every existing pane to its tile, sized for what the information panes show.
  void LayOutPanes();
  /// Add Event on the Event Table pane, which is opened first when it was closed.
  void ForwardAddEvent();
  /// Trace Reanalysis on the Event Table pane, which is opened first when it was closed.
  void ForwardTraceReanalysis();
  /// Shows the About box.
  void OnAppAbout();

  /// Lets a pane's view serve command `id` while the view exists; the command is greyed again when
  /// the view goes.
  void BindViewCommand(QObject& view, int id, std::function<void()> handler, std::function<bool()> enabled);

  /// The frame of a pane, null while the pane does not exist.
  QMdiSubWindow* PaneFrame(PaneKind pane) const;
  CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
  CommandTable& Commands() { return m_Commands; }
  const RecentFileList& RecentFiles() const { return m_RecentFiles; }
  /// Replaces the file dialogs (tests answer them without a window).
  void SetFileChooser(FileChooser chooser) { m_ChooseFile = std::move(chooser); }
  /// Runs the batch file selection; returns the dialog's result.
  using BatchDialogRunner = std::function<int(CCBatchPrintSetup&)>;
  /// Replaces the run of the batch file selection (tests choose files without a window).
  void SetBatchDialogRunner(BatchDialogRunner run) { m_RunBatchDialog = std::move(run); }
  /// The print path of every print command.
  PrintJobControl& PrintJob() { return *m_pPrintJob; }

  // --- Members, as the rest of the program knows them ----------------------------------------
  std::string m_strCmdLine;  // the raw command line of this start
  std::vector<std::unique_ptr<TraceRecord>> m_TraceList;  // at most four, in list order
  std::unique_ptr<COtdrDoc> m_pDocument;
  QPointer<QMdiSubWindow> m_pTraceFrame;
  QPointer<QMdiSubWindow> m_pEventTableFrame;
  QPointer<QMdiSubWindow> m_pParametersFrame;
  QPointer<QMdiSubWindow> m_pFiberInfoFrame;
  QPointer<QMdiSubWindow> m_pMarkerInfoFrame;
  int m_bReplaceOnOpen = 0;  // 1: the next open replaces every listed trace; 0: it adds one

 private:
  /// Which event rows an open empties once its file has been read.
  enum class EventClear { None, FirstRow, AllRows };

  void CreateDocument();
  void BindCommands();
  QPointer<QMdiSubWindow>& FrameSlot(PaneKind pane);
  QMdiSubWindow* CreatePaneFrame(PaneKind pane);
  void InitialUpdateFrame(QMdiSubWindow* frame);
  std::optional<std::string> ChooseFile(FileChoice choice);
  void OpenChosenFile(FileChoice choice);
  void EnterIntoList(std::unique_ptr<TraceRecord> record, const std::string& path);
  /// Exchanges the entries at positions i and j; false when either position is not in the list.
  bool ExchangeTraceEntries(int i, int j);
  bool DocumentHoldsTrace() const;
  void BindPrintCommands();
  /// Runs the batch file selection and plans the batch; false when cancelled or refused.
  bool ChooseBatch();
  bool EventTableBuilt() const;

  // Update rules.
  CommandUi OnUpdateOpenCommands() const;
  CommandUi OnUpdateAddEvent() const;
  CommandUi OnUpdateTraceReanalysis() const;
  CommandUi OnUpdatePassFail() const;

  CommandTable m_Commands;
  std::unique_ptr<CMainFrame> m_pMainFrame;
  std::unique_ptr<SingleTraceReport> m_pReport;   // draws the pages of every print job
  std::unique_ptr<PrintJobControl> m_pPrintJob;
  bool m_bTracePaneWasMaximised = false;  // before the last Print maximised it
  RecentFileList m_RecentFiles;
  FileChooser m_ChooseFile;
  BatchDialogRunner m_RunBatchDialog;
  EventClear m_PendingEventClear = EventClear::None;
  bool m_bSavePromptAnswered = false;  // the next open's caller has asked the save question already
};

/// The running application object; null before it is made and after it is gone.
extern COtdrApp* theApp;
