#include "document/otdr_doc.h"

#include <algorithm>
#include <string>

#include "document/marker_windows.h"
#include "platform/message_sink.h"
#include "platform/path_util.h"
#include "trace/trace_conversions.h"
#include "vocabulary/text_rows.h"
#include "vocabulary/text_table.h"

COtdrDoc::COtdrDoc() {
  m_Commands.BindCommand(CmdWindowCascade, [this] { OnWindowCascade(); });
}

COtdrDoc::~COtdrDoc() {
  if (m_pUploadWorker && m_pUploadWorker->joinable()) m_pUploadWorker->join();
}

void COtdrDoc::AddView(DocView& view, PaneKind kind) {
  if (IsRegistered(&view)) return;
  m_Views.push_back({&view, kind});
}

void COtdrDoc::RemoveView(const DocView& view) {
  std::erase_if(m_Views, [&](const RegisteredView& r) { return r.view == &view; });
}

bool COtdrDoc::IsRegistered(const DocView* view) const {
  return std::any_of(m_Views.begin(), m_Views.end(), [&](const RegisteredView& r) { return r.view == view; });
}

std::vector<DocView*> COtdrDoc::ViewsInPaneOrder() const {
  std::vector<RegisteredView> sorted = m_Views;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const RegisteredView& a, const RegisteredView& b) { return a.kind < b.kind; });
  std::vector<DocView*> views;
  views.reserve(sorted.size());
  for (const RegisteredView& r : sorted) views.push_back(r.view);
  return views;
}

void COtdrDoc::UpdateAllViews(DocView* sender, int hint) {
  // A view may register, remove or broadcast while it updates: walk a snapshot and skip views that
  // have gone in the meantime.
  for (DocView* view : ViewsInPaneOrder()) {
    if (view == sender || !IsRegistered(view)) continue;
    view->OnUpdate(sender, hint);
  }
  if (m_ValuesUpdate) m_ValuesUpdate(*this, sender, hint);
}

void COtdrDoc::OnWindowCascade() {
  for (DocView* view : ViewsInPaneOrder()) {
    if (IsRegistered(view)) view->OnInitialUpdate();
  }
}

bool COtdrDoc::OnSaveDocument(std::string_view /*path*/) {
  // The framework hands over the path it prompted for; Save always writes the document's own.
  return m_Save && m_Save();
}

bool COtdrDoc::SaveModified() {
  if (!m_bModified) return true;
  const std::string name = m_strPathName.empty() ? m_strTracePath : m_strPathName;
  switch (lumivane::Ask("Save changes to " + name + "?", lumivane::QuestionButtons::YesNoCancel)) {
    case lumivane::Reply::Yes: return OnSaveDocument(m_strPathName);
    case lumivane::Reply::No: return true;
    case lumivane::Reply::Ok:
    case lumivane::Reply::Cancel: break;
  }
  return false;
}

void COtdrDoc::OnCloseDocument() {
  ResetEditState();
  UpdateAllViews(nullptr, kHintRefresh);
}

void COtdrDoc::SetMainTitle(std::string_view name) {
  m_strMainTitle = g_CurrentStrings[TextRow::MainWindowTitle] + " - [" + std::string(name) + "]";
  if (m_TitleListener) m_TitleListener(m_strMainTitle);
}

void COtdrDoc::NotifySaved(const std::string& previousPath) const {
  if (m_SavedListener) m_SavedListener(previousPath);
}

int COtdrDoc::ResetEditState() {
  m_nEventCount = 0;
  m_nPointCount = 0;
  m_nCurrentEvent = 0;
  m_MarkerState.ActiveMarker = 0;
  m_EventRows.fill(EventRow{});
  return 1;
}

bool COtdrDoc::HasTrace() const { return !lumivane::IsNoFilePath(m_strTracePath); }

std::int32_t COtdrDoc::GetPosition_Distance(float distanceKm) {
  if (!lumivane::HasSorSuffix(m_strTracePath)) {
    lumivane::ShowMessage("GetPosition_Distance");
    return 0;
  }
  return IndexOfShownDistance(distanceKm, m_SorRecord, m_dFibreLengthKm, m_nPointCount);
}

std::int32_t COtdrDoc::DistanceToTime(float distanceKm) const {
  return DistanceToFileTime(distanceKm, m_SorRecord);
}

void COtdrDoc::SetMarkerWindows() { PlaceActiveMarkerWindows(m_MarkerState, m_nPointCount); }

DisplayModelTarget COtdrDoc::DisplayModelMembers() {
  return DisplayModelTarget{
      .dateTime = &m_TraceDateTime,
      .pointCount = &m_nPointCount,
      .eventCount = &m_nEventCount,
      .cursorA = &m_MarkerState.MarkerA,
      .cursorB = &m_MarkerState.MarkerB,
      .fibreLengthKm = &m_dFibreLengthKm,
      .acquisitionRangeKm = &m_dAcquisitionRangeKm,
      .dbSamples = &m_DbSamples,
      .dbCeiling = &m_dDbCeiling,
      .fibreParams = &m_FibreParams,
      .linkSummary = &m_LinkSummary,
      .eventRows = std::span<EventRow, kMaxEventRows>(m_EventRows),
      .endEventRow = &m_nEndEventRow,
      .reflectanceAuxMarkers = m_MarkerState.ReflectanceAuxMarkers,
      .lossAuxMarkers = m_MarkerState.LossAuxMarkers,
      .analysisMode = &m_MarkerState.AnalysisMode,
      .lockAB = &m_MarkerState.LockAB,
  };
}
