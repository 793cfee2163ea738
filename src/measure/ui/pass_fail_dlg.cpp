#include "measure/ui/pass_fail_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "measure/pass_fail_check.h"
#include "measure/pass_fail_limits.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

constexpr LangRow kCaptionRow = 323;
constexpr LangRow kWavelengthRow = 324;
constexpr LangRow kAllSelectRow = 325;
constexpr LangRow kInsertionLossRow = 77;
constexpr LangRow kDefaultRow = 269;
constexpr LangRow kOkRow = 105;
constexpr LangRow kCancelRow = 106;
// Check-box labels in PassFailThresholds order: splice loss, connector loss, reflectance,
// attenuation, link loss, link ORL.
constexpr std::array<LangRow, kPassFailLimitCount> kCheckRows = {326, 327, 328, 329, 330, 331};


}  // namespace

CCPassFailDlg::CCPassFailDlg(QWidget* parent)
    : QDialog(parent),
      m_allSelect(new QCheckBox(RowText(kAllSelectRow), this)),
      m_default(new QPushButton(RowText(kDefaultRow), this)),
      m_wavelength(new QLineEdit(this)),
      m_unit(new QLabel(this)) {
  setWindowTitle(RowText(kCaptionRow));
  auto* limits = new QGroupBox(RowText(kInsertionLossRow), this);
  auto* grid = new QGridLayout(limits);
  for (int i = 0; i < kPassFailLimitCount; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    m_checks[slot] = new QCheckBox(RowText(kCheckRows[slot]), limits);
    m_limitEdits[slot] = new QLineEdit(limits);
    grid->addWidget(m_checks[slot], i, 0);
    grid->addWidget(m_limitEdits[slot], i, 1);
    grid->addWidget(new QLabel(i == kLimitAttenuation ? QString() : QStringLiteral("dB"), limits), i, 2);
    connect(m_checks[slot], &QCheckBox::clicked, this, [this, i](bool checked) { OnCheck(i, checked); });
  }
  grid->addWidget(m_unit, kLimitAttenuation, 2);
  connect(m_allSelect, &QCheckBox::clicked, this, &CCPassFailDlg::OnAllSelect);
  m_default->setAutoDefault(false);
  connect(m_default, &QPushButton::clicked, this, &CCPassFailDlg::OnDefault);

  auto* wavelength = new QHBoxLayout;
  wavelength->addWidget(new QLabel(RowText(kWavelengthRow), this));
  wavelength->addWidget(m_wavelength);
  wavelength->addWidget(new QLabel(QStringLiteral("nm"), this));
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(RowText(kOkRow), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(RowText(kCancelRow), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CCPassFailDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CCPassFailDlg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(wavelength);
  layout->addWidget(m_allSelect);
  layout->addWidget(limits);
  layout->addWidget(m_default);
  layout->addWidget(buttons);
}

QString& CCPassFailDlg::LimitText(int limit) {
  switch (limit) {
    case kLimitSpliceLoss: return m_strSpliceLoss;
    case kLimitConnectorLoss: return m_strConnectorLoss;
    case kLimitReflectance: return m_strReflectance;
    case kLimitAttenuation: return m_strAttenuation;
    case kLimitLinkLoss: return m_strLinkLoss;
    default: return m_strLinkOrl;
  }
}

int& CCPassFailDlg::CheckState(int limit) {
  switch (limit) {
    case kLimitSpliceLoss: return m_bCheckSpliceLoss;
    case kLimitConnectorLoss: return m_bCheckConnectorLoss;
    case kLimitReflectance: return m_bCheckReflectance;
    case kLimitAttenuation: return m_bCheckAttenuation;
    case kLimitLinkLoss: return m_bCheckLinkLoss;
    default: return m_bCheckLinkOrl;
  }
}

void CCPassFailDlg::showEvent(QShowEvent* event) {
  if (!m_bShown) {
    m_bShown = true;
    ShowMembers();
    bool all = true;
    for (int i = 0; i < kPassFailLimitCount; ++i) {
      const bool checked = CheckState(i) != 0;
      m_checks[static_cast<std::size_t>(i)]->setChecked(checked);
      OnCheck(i, checked);
      all = all && checked;
    }
    m_allSelect->setChecked(all);
  }
  QDialog::showEvent(event);
}

void CCPassFailDlg::ShowMembers() {
  for (int i = 0; i < kPassFailLimitCount; ++i) m_limitEdits[static_cast<std::size_t>(i)]->setText(LimitText(i));
  m_wavelength->setText(m_strWavelength);
  m_unit->setText(m_strUnit);
}

void CCPassFailDlg::ReadMembers() {
  for (int i = 0; i < kPassFailLimitCount; ++i) LimitText(i) = m_limitEdits[static_cast<std::size_t>(i)]->text();
  m_strWavelength = m_wavelength->text();
}

void CCPassFailDlg::OnAllSelect(bool checked) {
  for (int i = 0; i < kPassFailLimitCount; ++i) {
    m_checks[static_cast<std::size_t>(i)]->setChecked(checked);
    OnCheck(i, checked);
  }
}

void CCPassFailDlg::OnCheck(int limit, bool checked) {
  m_limitEdits[static_cast<std::size_t>(limit)]->setEnabled(checked);
  CheckState(limit) = checked ? 1 : 0;
}

void CCPassFailDlg::OnDefault() {
  WriteDefaultPassFailLimits(m_strIniPath.toStdString(), PassFailSectionOfText(m_wavelength->text().toStdString()));
  for (int i = 0; i < kPassFailLimitCount; ++i) {
    const std::string_view value = kPassFailDefaults[static_cast<std::size_t>(i)];
    LimitText(i) = QString::fromLatin1(value.data(), static_cast<int>(value.size()));
  }
  ShowMembers();
}

void CCPassFailDlg::accept() {
  ReadMembers();
  QDialog::accept();
}
