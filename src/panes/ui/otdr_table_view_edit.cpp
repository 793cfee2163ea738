#include <QDialog>

#include "document/otdr_doc.h"
#include "panes/event_editing.h"
#include "panes/event_table_rules.h"
#include "panes/ui/add_event_dlg.h"
#include "panes/ui/otdr_table_view.h"
#include "platform/message_sink.h"
#include "vocabulary/text_table.h"

namespace {

constexpr LangRow kRowDeleteTheEvent = 0;
constexpr LangRow kRowAddEvent = 34;
constexpr LangRow kRowEventAlreadyHere = 48;
constexpr LangRow kRowEndAlreadyExists = 50;

void Refuse(AddEventRefusal refusal) {
  const LangRow row = refusal == AddEventRefusal::EndAlreadyExists ? kRowEndAlreadyExists : kRowEventAlreadyHere;
  lumivane::ShowMessage(g_CurrentStrings[row], lumivane::MessageIcon::Warning);
}

}  // namespace

void COtdrTableView::OnDeleteEvent() {
  const int r = GetSelectionMark();
  if (lumivane::Ask(g_CurrentStrings[kRowDeleteTheEvent], lumivane::QuestionButtons::YesNo) != lumivane::Reply::Yes) {
    return;
  }
  // The row after the deleted one takes its place and is chosen as a click would choose it, so the
  // highlight, the marker and the readings all move onto that event.
  if (DeleteEvent(m_Doc, r)) ChooseRow(r);
}

bool COtdrTableView::OnUpdateDeleteEvent() const {
  const int r = GetSelectionMark();
  return HasPath() && r > 0 && IsDeletableEvent(m_Doc, r);
}

void COtdrTableView::OnAddEvent() {
  // Without a trace there is nothing to measure the event on.
  if (!m_Doc.HasTrace() || m_Doc.m_nEventCount >= kMaxEventRows) return;
  AddEventStart start = ProposeEvent(m_Doc, m_AddEventMarkers);
  if (start.refusal != AddEventRefusal::None) {
    Refuse(start.refusal);
    return;
  }
  AddEventProposal& proposal = start.proposal;
  CCModifyEventDlg dialog(this);
  dialog.m_strTitle = g_CurrentStrings[kRowAddEvent];
  dialog.m_nMode = 1;
  dialog.m_nType = proposal.type;
  dialog.m_fLocation = proposal.location;
  dialog.m_fReflectance = proposal.reflectance;
  dialog.m_fAttenuation = proposal.attenuation;
  dialog.m_fInsLoss = proposal.insertionLoss;
  dialog.m_fCumLoss = proposal.cumulativeLoss;
  dialog.m_dLocationMax = proposal.locationMax;
  dialog.m_dAttnMin = proposal.attenuationMin;
  dialog.m_dAttnMax = proposal.attenuationMax;
  for (;;) {
    dialog.OnInitDialog();
    if (m_RunDialog(dialog) != QDialog::Accepted) return;
    // The event is stored as the dialog showed it.
    proposal.type = dialog.m_nType;
    proposal.location = dialog.m_fLocation;
    proposal.reflectance = dialog.m_fReflectance;
    proposal.attenuation = dialog.m_fAttenuation;
    proposal.insertionLoss = dialog.m_fInsLoss;
    proposal.cumulativeLoss = dialog.m_fCumLoss;
    const AddEventRefusal refusal = CheckProposal(m_Doc, proposal);
    if (refusal == AddEventRefusal::None) break;
    Refuse(refusal);
  }
  InsertEvent(m_Doc, proposal);
}
