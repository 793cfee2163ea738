#include "document/ui/trace_info_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "document/trace_info.h"
#include "document/ui/user_text_limits.h"
#include "platform/message_sink.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

constexpr LangRow kCaptionRow = 107;
constexpr LangRow kLabelsRow = 97;
constexpr LangRow kCommentsRow = 98;
constexpr LangRow kDeviceRow = 248;
constexpr LangRow kJobIdRow = 336;
constexpr LangRow kCustomerRow = 337;


}  // namespace

CCTraceInfoDlg::CCTraceInfoDlg(QWidget* parent)
    : QDialog(parent),
      m_pFibreType(new QComboBox(this)),
      m_pCableId(new QLineEdit(this)),
      m_pFiberId(new QLineEdit(this)),
      m_pOriginatingLocation(new QLineEdit(this)),
      m_pTerminatingLocation(new QLineEdit(this)),
      m_pOperator(new QLineEdit(this)),
      m_pDevice(new QLineEdit(this)),
      m_pJobId(new QLineEdit(this)),
      m_pCustomer(new QLineEdit(this)),
      m_pMeasurementTime(new QLineEdit(this)),
      m_pMeasurementTimeLabel(new QLabel(QStringLiteral("MeasTime:"), this)),
      m_pBlank(new QLabel(this)) {
  for (QLabel*& label : m_pLabels) label = new QLabel(this);
  auto* labels = new QGroupBox(this);
  auto* comments = new QGroupBox(this);
  auto* top = new QGridLayout(labels);
  QWidget* const labelled[] = {m_pCableId, m_pFiberId, m_pFibreType, m_pOriginatingLocation, m_pTerminatingLocation,
                               m_pOperator};
  for (int i = 0; i < 6; ++i) {
    top->addWidget(m_pLabels[i], i, 0);
    top->addWidget(labelled[i], i, 1);
  }
  auto* bottom = new QGridLayout(comments);
  QWidget* const commented[] = {m_pDevice, m_pJobId, m_pCustomer};
  for (int i = 0; i < 3; ++i) {
    bottom->addWidget(m_pLabels[6 + i], i, 0);
    bottom->addWidget(commented[i], i, 1);
  }
  bottom->addWidget(m_pMeasurementTimeLabel, 3, 0);
  bottom->addWidget(m_pMeasurementTime, 3, 1);
  m_pMeasurementTimeLabel->hide();
  m_pMeasurementTime->hide();
  labels->setObjectName(QStringLiteral("labelsGroup"));
  comments->setObjectName(QStringLiteral("commentsGroup"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CCTraceInfoDlg::OnOK);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(labels);
  layout->addWidget(comments);
  layout->addWidget(m_pBlank);
  layout->addWidget(buttons);
  for (QLineEdit* edit : {m_pCableId, m_pFiberId, m_pOriginatingLocation, m_pTerminatingLocation, m_pOperator}) {
    edit->setMaxLength(kTraceInfoTextLimit);
  }
}

void CCTraceInfoDlg::OnInitDialog() {
  setWindowTitle(RowText(kCaptionRow));
  findChild<QGroupBox*>(QStringLiteral("labelsGroup"))->setTitle(RowText(kLabelsRow));
  findChild<QGroupBox*>(QStringLiteral("commentsGroup"))->setTitle(RowText(kCommentsRow));
  const LangRow labelRows[] = {99, 100, 101, 102, 103, 104, kDeviceRow, kJobIdRow, kCustomerRow};
  for (int i = 0; i < 9; ++i) m_pLabels[i]->setText(RowText(labelRows[i]));
  auto* buttons = findChild<QDialogButtonBox*>();
  buttons->button(QDialogButtonBox::Ok)->setText(RowText(TextRow::Ok));
  buttons->button(QDialogButtonBox::Cancel)->setText(RowText(TextRow::Cancel));
  m_pBlank->setText(QStringLiteral(" "));
  m_pFibreType->clear();
  for (const FibreTypeChoice& choice : kFibreTypeChoices) m_pFibreType->addItem(RowText(choice.nameRow));
  m_pFibreType->setCurrentIndex(m_nFibreTypeIndex >= 0 && m_nFibreTypeIndex < m_pFibreType->count() ? m_nFibreTypeIndex
                                                                                                    : -1);
  const std::pair<QLineEdit*, const QString*> texts[] = {
      {m_pCableId, &m_strCableId},   {m_pFiberId, &m_strFiberId},
      {m_pOperator, &m_strOperator}, {m_pOriginatingLocation, &m_strOriginatingLocation},
      {m_pTerminatingLocation, &m_strTerminatingLocation}, {m_pDevice, &m_strDevice},
      {m_pJobId, &m_strJobId},       {m_pCustomer, &m_strCustomer},
      {m_pMeasurementTime, &m_strMeasurementTime}};
  for (const auto& [edit, text] : texts) ShowWholeText(*edit, *text);
}

bool CCTraceInfoDlg::DoDataExchange() {
  for (QLineEdit* edit : {m_pCableId, m_pFiberId, m_pOperator, m_pOriginatingLocation, m_pTerminatingLocation}) {
    if (!CheckTextLimit(*edit, kTraceInfoTextLimit)) return false;
  }
  m_nFibreTypeIndex = m_pFibreType->currentIndex();
  m_strCableId = m_pCableId->text();
  m_strFiberId = m_pFiberId->text();
  m_strOperator = m_pOperator->text();
  m_strOriginatingLocation = m_pOriginatingLocation->text();
  m_strTerminatingLocation = m_pTerminatingLocation->text();
  m_strDevice = m_pDevice->text();
  m_strJobId = m_pJobId->text();
  m_strCustomer = m_pCustomer->text();
  m_strMeasurementTime = m_pMeasurementTime->text();
  return true;
}

void CCTraceInfoDlg::OnOK() {
  if (DoDataExchange()) accept();
}
