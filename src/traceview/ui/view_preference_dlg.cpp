#include "traceview/ui/view_preference_dlg.h"

#include <QCheckBox>
#include <QVBoxLayout>

#include "vocabulary/ui/dialog_buttons.h"
#include "vocabulary/ui/row_text.h"

namespace {

constexpr int kRowGrid = 133;
constexpr int kRowDotted = 134;
constexpr int kRowEventBar = 135;
constexpr int kRowCaption = 136;

}  // namespace

CCViewPrefrenceDlg::CCViewPrefrenceDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(RowText(kRowCaption));
  auto* layout = new QVBoxLayout(this);
  m_pGrid = new QCheckBox(RowText(kRowGrid), this);
  m_pDotted = new QCheckBox(RowText(kRowDotted), this);
  m_pEventBar = new QCheckBox(RowText(kRowEventBar), this);
  layout->addWidget(m_pGrid);
  layout->addWidget(m_pDotted);
  layout->addWidget(m_pEventBar);
  AddOkCancel(*this, *layout);
}

void CCViewPrefrenceDlg::OnInitDialog() {
  m_pDotted->setChecked(m_bDotted != 0);
  m_pEventBar->setChecked(m_bEventBar != 0);
  m_pGrid->setChecked(m_bGrid != 0);
}

void CCViewPrefrenceDlg::accept() {
  m_bDotted = m_pDotted->isChecked() ? 1 : 0;
  m_bEventBar = m_pEventBar->isChecked() ? 1 : 0;
  m_bGrid = m_pGrid->isChecked() ? 1 : 0;
  QDialog::accept();
}
