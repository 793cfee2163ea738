#include "reports/ui/ascii_output_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "vocabulary/ui/dialog_buttons.h"
#include "vocabulary/ui/row_text.h"

CCAsciiOutputDlg::CCAsciiOutputDlg(QWidget* parent)
    : QDialog(parent),
      m_chkTraceInfo(new QCheckBox),
      m_chkPara(new QCheckBox),
      m_chkEvent(new QCheckBox),
      m_chkTraceData(new QCheckBox),
      m_rbSpace(new QRadioButton),
      m_rbComma(new QRadioButton),
      m_rbTab(new QRadioButton),
      m_grpSeparator(new QGroupBox),
      m_SeparatorGroup(new QButtonGroup(this)) {
  auto* sections = new QGroupBox;
  auto* checks = new QVBoxLayout(sections);
  for (QCheckBox* box : {m_chkTraceInfo, m_chkPara, m_chkEvent, m_chkTraceData}) checks->addWidget(box);
  auto* radios = new QVBoxLayout(m_grpSeparator);
  int id = 0;
  for (QRadioButton* radio : {m_rbSpace, m_rbComma, m_rbTab}) {
    m_SeparatorGroup->addButton(radio, id++);
    radios->addWidget(radio);
  }
  auto* row = new QHBoxLayout;
  row->addWidget(sections);
  row->addWidget(m_grpSeparator);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  AddOkCancel(*this, *layout);
}

CCAsciiOutputDlg::~CCAsciiOutputDlg() = default;

void CCAsciiOutputDlg::OnInitDialog() {
  setWindowTitle(RowText(125));
  m_chkTraceInfo->setText(RowText(117));
  m_chkPara->setText(RowText(118));
  m_chkEvent->setText(RowText(119));
  m_chkTraceData->setText(RowText(120));
  m_rbSpace->setText(RowText(121));
  m_rbComma->setText(RowText(122));
  m_rbTab->setText(RowText(123));
  m_grpSeparator->setTitle(RowText(124));
  m_chkTraceInfo->setChecked(m_bOutputTraceInfo != 0);
  m_chkPara->setChecked(m_bOutputPara != 0);
  m_chkEvent->setChecked(m_bOutputEvent != 0);
  m_chkTraceData->setChecked(m_bOutputTraceData != 0);
  if (QAbstractButton* radio = m_SeparatorGroup->button(m_nIntervalType)) radio->setChecked(true);
}

int CCAsciiOutputDlg::DoModal() {
  OnInitDialog();
  return exec();
}

void CCAsciiOutputDlg::SetOptions(const AsciiExportOptions& o) {
  m_bOutputTraceInfo = o.OutputTraceInfo;
  m_bOutputPara = o.OutputPara;
  m_bOutputEvent = o.OutputEvent;
  m_bOutputTraceData = o.OutputTraceData;
  m_nIntervalType = o.IntervalType;
}

AsciiExportOptions CCAsciiOutputDlg::Options() const {
  return AsciiExportOptions{m_bOutputTraceInfo, m_bOutputPara, m_bOutputEvent, m_bOutputTraceData, m_nIntervalType};
}

void CCAsciiOutputDlg::accept() {
  m_bOutputTraceInfo = m_chkTraceInfo->isChecked() ? 1 : 0;
  m_bOutputPara = m_chkPara->isChecked() ? 1 : 0;
  m_bOutputEvent = m_chkEvent->isChecked() ? 1 : 0;
  m_bOutputTraceData = m_chkTraceData->isChecked() ? 1 : 0;
  m_nIntervalType = m_SeparatorGroup->checkedId();
  QDialog::accept();
}
