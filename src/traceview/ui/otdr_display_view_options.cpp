// The trace view's options and second pictures: the length unit, the view preferences, the link
// map and the picture export.
#include <QDialog>
#include <QPainter>
#include <QScrollBar>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "measure/pass_fail_check.h"
#include "platform/message_sink.h"
#include "platform/ui/length_unit_setting.h"
#include "traceview/bmp_export.h"
#include "traceview/link_map_layout.h"
#include "traceview/ui/length_unit_dlg.h"
#include "traceview/ui/link_map_painter.h"
#include "traceview/ui/otdr_display_view.h"
#include "traceview/ui/view_preference_dlg.h"
#include "vocabulary/length_unit.h"

namespace {

int RunModal(const std::function<int(QDialog&)>& run, QDialog& dialog) {
  return run ? run(dialog) : dialog.exec();
}

}  // namespace

// --- Length unit and view preferences ------------------------------------------------------------

void COtdrDisplayView::OnLengthUnits() {
  CCLengthUnitDlg dialog(this);
  if (RunModal(m_RunDialog, dialog) != QDialog::Accepted) return;
  if (dialog.m_nUnit >= 0 && dialog.m_nUnit < static_cast<int>(kLengthUnits.size())) {
    SetLengthUnit(kLengthUnits[static_cast<std::size_t>(dialog.m_nUnit)].name);
  }
  g_DisplayState.UnitChanged = 1;
  if (g_DisplayState.LinkMapMode == 1) g_DisplayState.LinkMapRedraw = 1;
  // The scale caption and the link map's distances are drawn in the unit.
  m_State.m_bBackgroundDirty = 1;
  m_Doc.UpdateAllViews(nullptr, kHintRefresh);
  lumivane::WriteStoredLengthUnit(g_LengthUnitName);
}

bool COtdrDisplayView::OnUpdateLengthUnits() const { return m_Doc.HasTrace(); }

void COtdrDisplayView::OnViewPreferences() {
  CCViewPrefrenceDlg dialog(this);
  dialog.m_bDotted = m_State.m_bDottedTrace;
  dialog.m_bEventBar = m_State.m_bShowEventBar;
  dialog.m_bGrid = m_State.m_bShowGrid;
  dialog.OnInitDialog();
  if (RunModal(m_RunDialog, dialog) == QDialog::Accepted) {
    m_State.m_bDottedTrace = dialog.m_bDotted;
    m_State.m_bShowEventBar = dialog.m_bEventBar;
    m_State.m_bShowGrid = dialog.m_bGrid;
    // The options are part of the cached picture: it is drawn again at once.
    m_State.m_bBackgroundDirty = 1;
  }
  viewport()->update();
}

// --- Link map ----------------------------------------------------------------------------------

void COtdrDisplayView::OnToggleLinkMap() {
  g_DisplayState.LinkMapMode = g_DisplayState.LinkMapMode == 1 ? 0 : 1;
  g_DisplayState.TraceSwapped = 1;
  m_State.m_bBackgroundDirty = 1;
  viewport()->repaint();
}

bool COtdrDisplayView::OnUpdateToggleLinkMap() const { return m_Doc.HasTrace() && g_DisplayState.TraceCount >= 1; }

void COtdrDisplayView::DrawLinkMap(QPainter& painter) {
  const int count = std::clamp(m_Doc.m_nEventCount, 0, kMaxEventRows);
  const std::span<const EventRow> rows(m_Doc.m_EventRows.data(), static_cast<std::size_t>(count));
  const std::vector<bool> fails = LossLimitFails(rows, m_Doc.m_PassFailThresholds);
  std::vector<std::string> labels;
  for (const EventRow& row : rows) labels.push_back(LinkDistanceLabel(row.Distance, g_LengthUnitFactor));
  LinkMapInputs in;
  in.grid = m_State.m_rcGrid;
  in.clientWidth = viewport()->width();
  in.showEventBar = m_State.m_bShowEventBar != 0;
  in.clickedEvent = m_Doc.m_nTableClickedEvent;
  in.sizes = LinkMapSizesOf(LoadedLinkMapPictures());
  const LinkMapLayout layout = LayoutLinkMap(rows, fails, in);
  DrawLinkMapLayout(painter, layout, labels, g_LengthUnitName, m_State.m_rcGrid.right);
}

// --- Picture export ------------------------------------------------------------------------------

bool COtdrDisplayView::SaveViewAsBmp(std::string path) {
  const std::string target = BmpPathFor(std::move(path));
  const QImage source = LogicalPicture().convertToFormat(QImage::Format_RGB32);
  const Rgb32Picture picture{
      std::span<const std::uint32_t>(reinterpret_cast<const std::uint32_t*>(source.constBits()),
                                     static_cast<std::size_t>(source.sizeInBytes() / 4)),
      source.width(), source.height(), static_cast<int>(source.bytesPerLine() / 4)};
  const std::vector<std::uint8_t> bytes = EncodeViewBitmap(ComposeViewBitmap(picture));
  const BmpWriteResult result = WriteBmpFile(target, bytes);
  if (result == BmpWriteResult::Ok) return true;
  const char* why = result == BmpWriteResult::CannotCreate ? "The picture file cannot be created:\n"
                                                           : "The picture file could not be written:\n";
  lumivane::ShowMessage(std::string(why) + target, lumivane::MessageIcon::Error);
  return false;
}
