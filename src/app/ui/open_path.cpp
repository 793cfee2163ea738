// The open path: every way a trace file becomes the current trace (start-up, a second start, File
// Open, Add trace, File New, recent files, the trace view's switch and close) ends here.
#include <QFile>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <filesystem>
#include <fstream>
#include <utility>

#include "app/open_rules.h"
#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app/ui/pane_templates.h"
#include "document/display_model.h"
#include "document/display_model_events.h"
#include "document/display_state.h"
#include "document/event_choice.h"
#include "document/trace_file_bytes.h"
#include "document/otdr_doc.h"
#include "document/ui/open_file_dlg.h"
#include "platform/message_sink.h"
#include "platform/path_util.h"
#include "platform/ui/length_unit_setting.h"
#include "trace/trace_conversions.h"
#include "traceview/zoom_state.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

// Titles and messages of File New; fixed texts, not rows of the text table.
constexpr const char* kNewFileTitle = "NEW OTDR";
constexpr const char* kCantCreate = "CAN'T CREATE";

void ShowRow(LangRow row) { lumivane::ShowMessage(g_CurrentStrings[row], lumivane::MessageIcon::Warning); }

// The overlay's scale reference as the document holds it before a new file is read.
ZoomState ZoomReferenceOf(const COtdrDoc& doc) {
  ZoomState z = g_ZoomState;
  z.RangeKm = doc.m_dFibreLengthKm;
  z.AcquisitionRange = doc.m_SorRecord.FxdParams.AcquisitionRange;
  z.GroupIndex = doc.m_SorRecord.FxdParams.GroupIndex;
  z.PointCount = doc.m_nPointCount;
  z.DataSpacing = doc.m_SorRecord.FxdParams.DataSpacing[0];
  z.TracePath = doc.m_strTracePath;
  z.UserZeroKm = UserZeroDistanceKm(doc.m_SorRecord);
  return z;
}

// The display models of the document and of the new record, once the file is read into the
// document. The listed record of a file is the same file: it takes the document's record (without
// the file's bytes, since saves write the document's record alone) and its model, built once.
void BuildDisplayModels(COtdrDoc& doc, TraceRecord& record, bool traceFile) {
  const auto inputsOf = [](const SorRecord& sor) {
    return DisplayModelInputs{sor.UserName.DistanceCorrection, g_DisplayState.MarkerADistance,
                              g_DisplayState.MarkerBDistance};
  };
  LoadDisplayModel(g_TraceFileKind, doc.m_SorRecord, inputsOf(doc.m_SorRecord), doc.DisplayModelMembers());
  TraceDisplayModel& model = record.m_Model;
  if (traceFile) {
    SorSource source = std::exchange(doc.m_SorRecord.Source, {});
    model.m_SorRecord = doc.m_SorRecord;
    doc.m_SorRecord.Source = std::move(source);
    CopyDisplayModel(doc.DisplayModelMembers(), DisplayModelTargetOf(model));
  } else {
    LoadDisplayModel(g_TraceFileKind, model.m_SorRecord, inputsOf(model.m_SorRecord), DisplayModelTargetOf(model));
  }
  doc.m_LinkSummary = model.m_LinkSummary;
  ApplyStoredLossTotals(doc.m_SorRecord, doc.m_EventRows, doc.m_nEventCount);
}

std::optional<std::string> ChooseWithDialog(QWidget* parent, FileChoice choice) {
  if (choice == FileChoice::New) {
    const QString name = QFileDialog::getSaveFileName(parent, QString::fromLatin1(kNewFileTitle), QString(), QString(),
                                                      nullptr, QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty()) return std::nullopt;
    return QFile::encodeName(name).toStdString();
  }
  QStringList filters{QStringLiteral("OTDR Files(*.sor)")};
  if (choice == FileChoice::Open) filters << QStringLiteral("所有(*.*)");
  // Any typed name is taken: the caller also tries it with ".sor" and ".trc" appended.
  CCMyOpenFileDlg dialog(true, QString(), QString(), QFileDialog::Options(), filters, parent);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace

COtdrDoc* COtdrApp::OpenDocumentFile(std::string_view requested) {
  const EventClear clear = std::exchange(m_PendingEventClear, EventClear::None);
  const bool promptAnswered = std::exchange(m_bSavePromptAnswered, false);
  const std::string path = NormaliseOpenPath(requested);
  const OpenRefusal refusal = CheckOpenPath(path, g_DisplayState.TraceCount, g_DisplayState.SwitchingTrace != 0);
  if (refusal != OpenRefusal::None) {
    ShowRow(RefusalMessageRow(refusal));
    return nullptr;
  }
  if (!m_pDocument) CreateDocument();
  COtdrDoc& doc = *m_pDocument;
  // Changes the user chose not to save stay marked until the new file has been read: when it
  // cannot be, the document still holds them and the program still asks before they are lost.
  if (doc.IsModified() && !promptAnswered && !doc.SaveModified()) return &doc;

  // The file is read before anything else changes, so a file that cannot be read leaves the
  // document, the list, the unit and the scale reference as they were.
  const bool traceFile = !lumivane::IsNoFilePath(path);
  const ZoomState reference = ZoomReferenceOf(doc);
  if (!doc.OpenTraceFile(path, 0, doc.m_SorRecord)) return nullptr;
  doc.SetModifiedFlag(false);
  // The link ORL kept in the record is this file's until its events change.
  g_DisplayState.LinkOrlDirty = 0;
  auto record = std::make_unique<TraceRecord>();
  if (traceFile) {
    g_TraceFileKind = 0;
    SetLengthUnit(lumivane::ReadStoredLengthUnit());
  }
  if (m_bReplaceOnOpen) {
    // An empty list is in its own order: an exchange a switch made before is history.
    m_TraceList.clear();
    g_DisplayState.TraceCount = 0;
    g_DisplayState.TraceSwapped = 0;
    g_DisplayState.TraceOrderRestored = 1;
  }
  const bool entersList = traceFile && g_DisplayState.SwitchingTrace == 0;
  if (entersList) {
    if (g_DisplayState.TraceCount == 0) {
      g_DisplayState.MarkerADistance = 0.0;
      g_DisplayState.MarkerBDistance = 0.0;
      g_DisplayState.MarkerMoved = 0;
    }
    g_DisplayState.ZoomCaptureOnOpen = 1;
    g_DisplayState.ResetZoomRequest = 1;
    doc.m_bOffsetReset = 1;
  }
  // Writing the reference back into the document would be undone by the read, so only the capture
  // remains.
  if (g_DisplayState.ZoomCaptureOnOpen == 1) g_ZoomState = reference;

  if (clear == EventClear::AllRows) {
    doc.m_EventRows = {};
    doc.m_nEventCount = 0;
  } else if (clear == EventClear::FirstRow) {
    doc.m_EventRows[0] = {};
    doc.m_nEventCount = 0;
  }
  BuildDisplayModels(doc, *record, traceFile);
  // The markers start where the file put them; a row chosen on the trace before means nothing here.
  ForgetEventChoice(doc, g_DisplayState);
  if (entersList) EnterIntoList(std::move(record), path);

  bool panesShown = true;
  for (const PaneKind pane : kOpenOrder) {
    QMdiSubWindow* frame = PaneFrame(pane);
    if (frame == nullptr) frame = CreatePaneFrame(pane);
    if (frame == nullptr) {
      panesShown = false;
      break;
    }
    InitialUpdateFrame(frame);
  }
  doc.UpdateValues();
  if (!panesShown) return &doc;
  LayOutPanes();
  m_pMainFrame->MdiArea()->setActiveSubWindow(PaneFrame(PaneKind::Trace));
  m_pMainFrame->ShowPaneMenu(true);
  // A damaged file is opened once, with its warning, but not offered again.
  if (traceFile && !doc.m_bFileDamaged) {
    m_RecentFiles.Add(path);
    m_pMainFrame->SetRecentFiles(m_RecentFiles.Paths());
  }
  return &doc;
}

void COtdrApp::EnterIntoList(std::unique_ptr<TraceRecord> record, const std::string& path) {
  RestoreListOrder();
  std::vector<ListedTrace> listed;
  for (const auto& r : m_TraceList) listed.push_back({r->m_strPath, r->m_nColourIndex});
  const ListEntryPlan plan = PlanListEntry(listed, path, NextColourSlot);
  if (plan.removeIndex >= 0) m_TraceList.erase(m_TraceList.begin() + plan.removeIndex);
  record->m_strPath = path;
  record->m_nColourIndex = plan.colourIndex;
  record->m_Colours[plan.colourIndex] = m_pDocument->m_TraceColours[plan.colourIndex];
  record->m_dOffsetDb = 0.0;
  m_TraceList.push_back(std::move(record));
  g_DisplayState.TraceCount = plan.traceCount;
  NextColourSlot = plan.nextColourSlot;
}

bool COtdrApp::ExchangeTraceEntries(int i, int j) {
  const int count = static_cast<int>(m_TraceList.size());
  if (i < 0 || j < 0 || i >= count || j >= count) return false;
  std::swap(m_TraceList[i], m_TraceList[j]);
  return true;
}

void COtdrApp::SwapTraceEntries(int i, int j) {
  if (!ExchangeTraceEntries(i, j)) return;
  g_DisplayState.TraceSwapped = 1;
  g_DisplayState.TraceOrderRestored = 0;
}

void COtdrApp::RestoreTraceOrder(int i, int j) {
  if (!ExchangeTraceEntries(i, j)) return;
  g_DisplayState.TraceSwapped = 0;
  g_DisplayState.TraceOrderRestored = 1;
}

void COtdrApp::RestoreListOrder() {
  if (g_DisplayState.TraceOrderRestored == 0) {
    RestoreTraceOrder(g_DisplayState.SwappedTraceIndex, g_DisplayState.SwappedWithIndex);
  }
}

bool COtdrApp::AskSaveFirst() {
  if (!m_pDocument || !m_pDocument->IsModified()) return true;
  if (!m_pDocument->SaveModified()) return false;
  m_bSavePromptAnswered = true;
  return true;
}

void COtdrApp::OnFileOpen() { OpenChosenFile(FileChoice::Open); }

void COtdrApp::OnAddTrace() { OpenChosenFile(FileChoice::AddTrace); }

std::optional<std::string> COtdrApp::ChooseFile(FileChoice choice) {
  if (m_ChooseFile) return m_ChooseFile(choice);
  return ChooseWithDialog(m_pMainFrame.get(), choice);
}

void COtdrApp::OpenChosenFile(FileChoice choice) {
  const std::optional<std::string> name = ChooseFile(choice);
  const auto setMode = [this, choice] {
    m_bReplaceOnOpen = choice == FileChoice::Open ? 1 : 0;
    g_DisplayState.SingleTraceMode = m_bReplaceOnOpen;
  };
  // Add trace switches to adding and to the overlay even when its dialog is cancelled; a cancelled
  // "save first?" leaves the mode as it was.
  if (!name) {
    if (choice == FileChoice::AddTrace) setMode();
    return;
  }
  if (!AskSaveFirst()) return;
  setMode();
  const std::optional<std::string> path = ResolveTypedFileName(*name, &FileExists);
  if (!path) {
    m_bSavePromptAnswered = false;
    lumivane::ShowMessage(FileFailureMessage(TextRow::CantFindFile, *name), lumivane::MessageIcon::Warning);
    return;
  }
  if (m_pDocument->m_nEventCount > 0) {
    m_PendingEventClear = choice == FileChoice::Open ? EventClear::AllRows : EventClear::FirstRow;
  }
  g_DisplayState.FitOverlayRequest = 1;
  OpenDocumentFile(*path);
}

void COtdrApp::OnFileNew() {
  const std::optional<std::string> name = ChooseFile(FileChoice::New);
  if (!name) return;
  if (!FileExists(*name) && !std::ofstream(*name, std::ios::binary)) {
    lumivane::ShowMessage(kCantCreate, lumivane::MessageIcon::Error);
    return;
  }
  OpenDocumentFile(*name);
}

COtdrDoc* COtdrApp::OpenTraceByPath(std::string_view path) {
  if (m_pDocument->m_nEventCount > 0 && m_pDocument->m_bAnalysedOnce == 0) m_PendingEventClear = EventClear::FirstRow;
  return OpenDocumentFile(path);
}
