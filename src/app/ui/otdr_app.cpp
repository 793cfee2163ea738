#include "app/ui/otdr_app.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QThread>
#include <optional>

#include "measure/pass_fail_limits.h"
#include "measure/ui/analysis_commands.h"
#include "app/ui/about_dlg.h"
#include "vocabulary/command_ids.h"
#include "app/command_line.h"
#include "app/ui/empty_pane_view.h"
#include "app/ui/first_paint_exit.h"
#include "panes/ui/event_table_commands.h"
#include "vocabulary/length_unit.h"
#include "app/ui/main_frame.h"
#include "app/open_rules.h"
#include "app/ui/pane_templates.h"
#include "app/ui/single_instance.h"
#include "app/ui/splash_wnd.h"
#include "app/startup_hooks.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"
#include "document/ui/document_file_commands.h"
#include "document/otdr_doc.h"
#include "instrument/ui/upload_command.h"
#include "panes/ui/pane_frame.h"
#include "panes/pane_tiling.h"
#include "panes/trace_values.h"
#include "platform/message_sink.h"
#include "platform/number_format.h"
#include "platform/path_util.h"
#include "reports/ui/ascii_export_command.h"
#include "reports/batch_page_plan.h"
#include "reports/ui/batch_print_setup.h"
#include "reports/ui/print_job_control.h"
#include "reports/ui/print_option_command.h"
#include "reports/ui/single_trace_report.h"
#include "document/display_state.h"
#include "document/listed_trace_update.h"
#include "traceview/ui/otdr_display_view.h"

COtdrApp* theApp = nullptr;
int g_TraceFileKind = 0;
int ActivePane = 0;
int NextColourSlot = 0;

namespace {

constexpr unsigned long kStartupPauseMs = 1000;

// Keeps the Trace pane open: its frame refuses to close while the program runs.
class RefuseClose final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close) {
      event->ignore();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

COtdrApp::COtdrApp() {
  theApp = this;
  ResetLengthUnit();
  g_TraceFileKind = 0;
}

COtdrApp::~COtdrApp() {
  // The panes hold the document; they go first, then the traces, then the document.
  m_pMainFrame.reset();
  m_pPrintJob.reset();
  m_pReport.reset();
  m_TraceList.clear();
  m_pDocument.reset();
  if (theApp == this) theApp = nullptr;
}

bool COtdrApp::InitInstance(const std::vector<std::string>& arguments) {
  const CommandLineInfo info = ParseCommandLine(arguments);
  // Started for embedding or automation: nothing here serves such a start.
  if (info.embeddedStart) return false;
  m_strCmdLine = info.rawCommandLine;
  CSplashWnd::EnableSplash(info.showSplash && !SplashSuppressed());
  InitLanguageTable();
  SelectLanguage(BUILD_LANGUAGE);

  // The running program has a current folder of its own, so a relative path goes over absolute.
  const std::string tracePath = TracePathOfCommandLine(m_strCmdLine, QDir::currentPath().toStdString());
  const QString instanceName = lumivane::InstanceServerName();
  if (lumivane::HandToRunningInstance(instanceName, tracePath)) return false;
  // The registration switches have nothing to register here; they end the start with success.
  if (FindRegistrationSwitch(m_strCmdLine) != RegistrationSwitch::None) return false;

  m_RecentFiles.Load();
  // The document exists before the frame, so no command that reaches it can come first.
  CreateDocument();
  CMainFrame::Callbacks callbacks;
  callbacks.openCommandLine = [this](const std::string& line) {
    OpenDocumentFile(line);
    m_Commands.UpdatePass();
  };
  callbacks.openRecentFile = [this](const std::string& path) {
    // A full list refuses any open; that says nothing against the entry, which stays.
    const bool listFull = CheckOpenPath(NormaliseOpenPath(path), g_DisplayState.TraceCount,
                                        g_DisplayState.SwitchingTrace != 0) == OpenRefusal::TooManyTraces;
    if (OpenDocumentFile(path) == nullptr && !listFull) {
      m_RecentFiles.Remove(path);
      m_pMainFrame->SetRecentFiles(m_RecentFiles.Paths());
    }
  };
  callbacks.relayoutPanes = [this] {
    if (m_pDocument) m_pDocument->OnWindowCascade();
    LayOutPanes();
  };
  callbacks.canClose = [this] { return !m_pDocument || m_pDocument->CanCloseFrame(); };
  m_pMainFrame = std::make_unique<CMainFrame>(m_Commands, std::move(callbacks));
  const bool traceAsked = !m_strCmdLine.empty();
  InstallFirstPaintExit([this, traceAsked](const QObject* watched) {
    return g_pDisplayView != nullptr && watched == g_pDisplayView->viewport() && (!traceAsked || !m_TraceList.empty());
  });
  BindCommands();
  m_pMainFrame->OnCreate(instanceName);
  m_pMainFrame->SetRecentFiles(m_RecentFiles.Paths());
  // The pause lets the splash be seen; without one on screen it would only delay the start.
  if (CSplashWnd::Current() != nullptr && !StartupPauseSuppressed()) {
    QApplication::processEvents();
    QThread::msleep(kStartupPauseMs);
  }
  m_pMainFrame->showNormal();
  m_pMainFrame->repaint();

  // A file that cannot be opened leaves the program as a start without one would be.
  if (m_strCmdLine.empty() || OpenDocumentFile(tracePath) == nullptr) OpenDocumentFile(std::string(NoFilePath));
  m_Commands.UpdatePass();
  return true;
}

int COtdrApp::ExitInstance() { return 0; }

void COtdrApp::CreateDocument() {
  m_pDocument = std::make_unique<COtdrDoc>();
  m_pDocument->SetTitleListener([this](const std::string& title) {
    if (m_pMainFrame) m_pMainFrame->setWindowTitle(QString::fromStdString(title));
  });
  // Once saved, the listed trace is the trace as saved, whichever trace is current later.
  m_pDocument->SetSavedListener([this](const std::string& previousPath) {
    for (const std::unique_ptr<TraceRecord>& record : m_TraceList) {
      if (record->m_strPath == previousPath) {
        StoreSavedTrace(*m_pDocument, *record);
        return;
      }
    }
  });
  // The pass/fail limits file lives beside the executable.
  InstallTraceValues(*m_pDocument, QCoreApplication::applicationDirPath().toStdString());
  BindPassFailCommand(*m_pDocument, QCoreApplication::applicationDirPath().toStdString(),
                      [this]() -> QWidget* { return m_pMainFrame.get(); });
  BindDocumentFileCommands(
      *m_pDocument, [this]() -> QWidget* { return m_pMainFrame.get(); },
      [](const std::string& path) { return g_pDisplayView != nullptr && g_pDisplayView->SaveViewAsBmp(path); });
}

void COtdrApp::BindCommands() {
  CommandTable& t = m_Commands;
  t.Bind(CmdAppAbout, [this] { OnAppAbout(); });
  t.Bind(CmdFileNew, [this] { OnFileNew(); });
  t.Bind(CmdFileOpen, [this] { OnFileOpen(); }, [this] { return OnUpdateOpenCommands(); });
  t.Bind(CmdAddTrace, [this] { OnAddTrace(); }, [this] { return OnUpdateOpenCommands(); });
  for (const PaneKind pane : kOpenOrder) {
    const int index = WindowMenuIndex(pane);
    t.Bind(
        CmdShowTracePane + index, [this, pane] { ShowPaneWindow(pane); },
        [index] { return CommandUi{true, ActivePane == index}; });
  }
  t.Bind(CmdAddEvent, [this] { ForwardAddEvent(); }, [this] { return OnUpdateAddEvent(); });
  t.Bind(CmdTraceReanalysis, [this] { ForwardTraceReanalysis(); }, [this] { return OnUpdateTraceReanalysis(); });
  BindUploadCommand(*m_pDocument, DefaultUploadEnvironment(m_pMainFrame.get()));
  BindAsciiExportCommand(*m_pDocument, DefaultAsciiExportEnvironment(m_pMainFrame.get()));
  BindPrintOptionCommand(*m_pDocument, DefaultPrintOptionEnvironment(m_pMainFrame.get()));
  BindPrintCommands();

  // The document answers its own commands before the application does, as long as a pane is active.
  for (const DocMessageMapEntry& entry : kDocMessageMap) {
    if (entry.kind != DocCommandKind::Command) continue;
    const int id = entry.id;
    if (id == CmdWindowCascade) {
      t.Bind(id, [this] {
        if (m_pDocument && m_pMainFrame->MdiArea()->activeSubWindow() != nullptr) {
          m_pDocument->Commands().Execute(CmdWindowCascade);
          LayOutPanes();
        } else {
          RestorePanes();
        }
      });
    } else if (id == CmdPassFail) {
      t.Bind(id, [this] { m_pDocument->Commands().Execute(CmdPassFail); }, [this] { return OnUpdatePassFail(); });
    } else {
      t.Bind(
          id, [this, id] { m_pDocument->Commands().Execute(id); },
          [this, id] { return EnabledIf(m_pDocument && m_pDocument->Commands().IsEnabled(id)); });
    }
  }
}

void COtdrApp::BindPrintCommands() {
  SingleTraceReport::Sources sources;
  sources.view = [] {
    ReportViewSnapshot view;
    view.linkMapMode = g_DisplayState.LinkMapMode == 1;
    if (g_pDisplayView == nullptr) return view;
    const TraceViewState& state = g_pDisplayView->State();
    view.distancePerDivKm = state.m_dDistancePerDiv;
    view.dbPerDiv = state.m_dDbPerDiv;
    view.dotted = state.m_bDottedTrace != 0;
    view.showEventBar = state.m_bShowEventBar != 0;
    view.showGrid = state.m_bShowGrid != 0;
    view.grid = state.m_rcGrid;
    view.canvas = state.m_sizeScrollTotal;
    view.pixelsPerSample = state.m_dPixelsPerSample;
    view.pixelsPerDb = state.m_dPixelsPerDb;
    return view;
  };
  // The limits file the panes judge with, whatever folder an upload last used.
  sources.limitsFile = PassFailIniPath(QCoreApplication::applicationDirPath().toStdString());
  m_pReport = std::make_unique<SingleTraceReport>(*m_pDocument, m_TraceList, std::move(sources));
  PrintJobControl::Environment env = PrintJobControl::DefaultEnvironment(m_pMainFrame.get());
  env.maximiseTracePane = [this] {
    m_bTracePaneWasMaximised = m_pTraceFrame && m_pTraceFrame->isMaximized();
    if (m_pTraceFrame) m_pTraceFrame->showMaximized();
  };
  // A maximised frame maximises its siblings as they come up; after the print every pane goes back
  // to its tile unless the user had maximised the Trace pane himself.
  env.restorePanes = [this] {
    if (!m_bTracePaneWasMaximised) RestorePanes();
  };
  m_pPrintJob = std::make_unique<PrintJobControl>(*m_pDocument, m_TraceList, *m_pReport, std::move(env));
  CommandTable& t = m_Commands;
  const auto holdsTrace = [this] { return EnabledIf(DocumentHoldsTrace()); };
  t.Bind(CmdPrint, [this] { m_pPrintJob->OnPrintCommand(); }, holdsTrace);
  t.Bind(CmdPrintPreview, [this] { m_pPrintJob->OnPrintPreviewCommand(); }, holdsTrace);
  // The accelerators print what the last job printed, a batch included, so they stay enabled.
  t.Bind(CmdPrintActiveView, [this] { m_pPrintJob->OnFilePrint(); });
  t.Bind(CmdPrintPreviewActiveView, [this] { m_pPrintJob->OnFilePrintPreview(); });
  t.Bind(CmdPrintSetup, [this] { m_pPrintJob->OnFilePrintSetup(); });
  t.Bind(CmdBatchPrintPreview, [this] {
    if (ChooseBatch()) m_pPrintJob->OnFilePrintPreview();
  });
  t.Bind(CmdBatchPrint, [this] {
    if (ChooseBatch()) m_pPrintJob->OnFilePrint();
  });
}

bool COtdrApp::ChooseBatch() {
  CCBatchPrintSetup dialog(QDir::currentPath(), {}, m_pMainFrame.get());
  if ((m_RunBatchDialog ? m_RunBatchDialog(dialog) : dialog.exec()) != QDialog::Accepted) return false;
  const BatchPlanResult result = PlanBatchPrint(g_BatchPrint, dialog.m_strFolder, dialog.m_FileNames,
                                                m_pDocument->m_PrintOptions, m_pDocument->m_ConfigReport);
  if (result == BatchPlanResult::kOk) return true;
  // The page map and the name table have their limits; a batch beyond them is not started.
  lumivane::ShowMessage(g_CurrentStrings[result == BatchPlanResult::kTooManyFiles ? TextRow::FilesMoreThan
                                                                                   : TextRow::TooManyBatchPages] +
                            (result == BatchPlanResult::kTooManyFiles ? lumivane::Format("%d", MaxBatchFiles)
                                                                      : lumivane::Format("%d", kBatchPageMapSize - 1)),
                        lumivane::MessageIcon::Warning);
  return false;
}

bool COtdrApp::DocumentHoldsTrace() const { return m_pDocument && m_pDocument->HasTrace(); }

bool COtdrApp::EventTableBuilt() const {
  return PaneTemplateOf(PaneKind::EventTable).makeView != &MakeEmptyPaneView;
}

CommandUi COtdrApp::OnUpdateOpenCommands() const { return EnabledIf(g_DisplayState.TraceCount < kMaxListedTraces); }

CommandUi COtdrApp::OnUpdateAddEvent() const {
  return EnabledIf(EventTableBuilt() && DocumentHoldsTrace() && m_pDocument->m_nEventCount < kMaxEventRows);
}

CommandUi COtdrApp::OnUpdateTraceReanalysis() const { return EnabledIf(EventTableBuilt() && DocumentHoldsTrace()); }

CommandUi COtdrApp::OnUpdatePassFail() const {
  return EnabledIf(DocumentHoldsTrace() && m_pDocument->Commands().Serves(CmdPassFail));
}

void COtdrApp::BindViewCommand(QObject& view, int id, std::function<void()> handler, std::function<bool()> enabled) {
  m_Commands.Bind(id, std::move(handler), [rule = std::move(enabled)] { return EnabledIf(!rule || rule()); });
  QObject::connect(&view, &QObject::destroyed, &m_Commands, [this, id] { m_Commands.Unbind(id); });
}

QPointer<QMdiSubWindow>& COtdrApp::FrameSlot(PaneKind pane) {
  switch (pane) {
    case PaneKind::Trace: return m_pTraceFrame;
    case PaneKind::EventTable: return m_pEventTableFrame;
    case PaneKind::Parameters: return m_pParametersFrame;
    case PaneKind::FiberInfo: return m_pFiberInfoFrame;
    case PaneKind::MarkerInfo: return m_pMarkerInfoFrame;
  }
  return m_pTraceFrame;
}

QMdiSubWindow* COtdrApp::PaneFrame(PaneKind pane) const {
  return const_cast<COtdrApp*>(this)->FrameSlot(pane).data();
}

QMdiSubWindow* COtdrApp::CreatePaneFrame(PaneKind pane) {
  const PaneTemplate& tmpl = PaneTemplateOf(pane);
  QWidget* view = tmpl.makeView(*m_pDocument);
  if (view == nullptr) return nullptr;
  auto* frame = new QMdiSubWindow;
  frame->setWidget(view);
  frame->setWindowTitle(QString::fromStdString(g_CurrentStrings[tmpl.caption]));
  frame->setWindowIcon(m_pMainFrame->windowIcon());
  if (tmpl.closable) {
    frame->setAttribute(Qt::WA_DeleteOnClose);
  } else {
    GreyFrameClose(*frame);
    frame->installEventFilter(new RefuseClose(frame));
  }
  QMdiArea* area = m_pMainFrame->MdiArea();
  area->addSubWindow(frame);
  if (!tmpl.closable) {
    // A close button that cannot close is not offered; the title bar draws it with the system menu.
    frame->setWindowFlags((frame->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowMinMaxButtonsHint) &
                          ~(Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint));
  }
  // A new pane appears in the tile its view will place it in on every layout.
  const QSize client = area->viewport()->size();
  const PixelRect tile = PaneTile(pane, {0, 0, client.width(), client.height()}, CurrentPaneNeeds(*area, frame->size() - view->size()));
  frame->setGeometry(tile.left, tile.top, tile.Width(), tile.Height());
  if (auto* docView = dynamic_cast<DocView*>(view)) {
    m_pDocument->AddView(*docView, pane);
    // Only the address is compared, so the view may already be gone when this runs.
    QObject::connect(view, &QObject::destroyed, m_pMainFrame.get(), [this, docView] {
      if (m_pDocument) m_pDocument->RemoveView(*docView);
    });
  }
  FrameSlot(pane) = frame;
  return frame;
}

void COtdrApp::InitialUpdateFrame(QMdiSubWindow* frame) {
  frame->show();
  m_pMainFrame->MdiArea()->setActiveSubWindow(frame);
  if (auto* docView = dynamic_cast<DocView*>(frame->widget())) docView->OnInitialUpdate();
}

void COtdrApp::ShowPaneWindow(PaneKind pane) {
  QMdiSubWindow* frame = PaneFrame(pane);
  if (frame == nullptr) frame = CreatePaneFrame(pane);
  if (frame == nullptr) return;
  ActivePane = WindowMenuIndex(pane);
  InitialUpdateFrame(frame);
  m_pMainFrame->ShowPaneMenu(true);
}

void COtdrApp::LayOutPanes() {
  // The views place themselves as they update; once every pane knows what its lines need, the
  // tiles are settled for all of them together, from one reading of those needs.
  QMdiArea* area = m_pMainFrame->MdiArea();
  const QSize client = area->viewport()->size();
  std::optional<PaneNeeds> needs;
  for (const PaneKind pane : kOpenOrder) {
    QMdiSubWindow* frame = PaneFrame(pane);
    if (frame == nullptr || frame->widget() == nullptr) continue;
    frame->showNormal();
    if (!needs) needs = CurrentPaneNeeds(*area, frame->size() - frame->widget()->size());
    const PixelRect tile = PaneTile(pane, {0, 0, client.width(), client.height()}, *needs);
    frame->setGeometry(tile.left, tile.top, tile.Width(), tile.Height());
  }
}

void COtdrApp::RestorePanes() {
  for (const PaneKind pane : {PaneKind::EventTable, PaneKind::Parameters, PaneKind::MarkerInfo,
                              PaneKind::FiberInfo, PaneKind::Trace}) {
    if (QMdiSubWindow* frame = PaneFrame(pane)) InitialUpdateFrame(frame);
  }
}

void COtdrApp::ForwardAddEvent() {
  if (PaneFrame(PaneKind::EventTable) == nullptr) ShowPaneWindow(PaneKind::EventTable);
  QMdiSubWindow* frame = PaneFrame(PaneKind::EventTable);
  if (auto* table = frame != nullptr ? dynamic_cast<EventTableCommands*>(frame->widget()) : nullptr) {
    table->AddEvent();
  }
}

void COtdrApp::ForwardTraceReanalysis() {
  if (PaneFrame(PaneKind::EventTable) == nullptr) ShowPaneWindow(PaneKind::EventTable);
  QMdiSubWindow* frame = PaneFrame(PaneKind::EventTable);
  if (auto* table = frame != nullptr ? dynamic_cast<EventTableCommands*>(frame->widget()) : nullptr) {
    table->OnTraceReanalysis();
  }
}

void COtdrApp::OnAppAbout() {
  CAboutDlg dialog(m_pMainFrame.get());
  dialog.exec();
}
