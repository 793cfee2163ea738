#include "measure/ui/analysis_dlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "platform/message_sink.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

constexpr LangRow kCaptionRow = 259;
constexpr LangRow kFibreGroupRow = 260;
constexpr LangRow kWavelengthRow = 261;
constexpr LangRow kIorRow = 262;
constexpr LangRow kScatterRow = 263;
constexpr LangRow kParametersGroupRow = 264;
constexpr LangRow kNonReflRow = 265;
constexpr LangRow kReflRow = 266;
constexpr LangRow kEndRow = 267;
constexpr LangRow kApplyRow = 268;
constexpr LangRow kDefaultRow = 269;
constexpr LangRow kCancelRow = 106;
// The values show with six significant digits, as the edits of a settings dialog do.
constexpr int kShownDigits = 6;

constexpr std::array<AnalysisField, 5> kFields = {AnalysisField::GroupIndex, AnalysisField::ScatterCoef,
                                                  AnalysisField::NonReflThreshold, AnalysisField::ReflThreshold,
                                                  AnalysisField::EndThreshold};
constexpr std::array<LangRow, 5> kLabelRows = {kIorRow, kScatterRow, kNonReflRow, kReflRow, kEndRow};


}  // namespace

CCAnalysisDlg::CCAnalysisDlg(QWidget* parent) : QDialog(parent), m_wndWavelength(new QComboBox(this)) {
  setWindowTitle(RowText(kCaptionRow));
  for (const std::string_view name : kAnalysisWavelengthNames) {
    m_wndWavelength->addItem(QString::fromLatin1(name.data(), static_cast<int>(name.size())));
  }
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    m_edits[i] = new QLineEdit(this);
    m_edits[i]->installEventFilter(this);
    m_defaults[i] = new QPushButton(RowText(kDefaultRow), this);
    m_defaults[i]->setAutoDefault(false);
    const AnalysisField field = kFields[i];
    connect(m_defaults[i], &QPushButton::clicked, this, [this, field] { OnDefault(field); });
    connect(m_edits[i], &QLineEdit::textEdited, this, [this] { ReadMembers(); });
  }
  connect(m_wndWavelength, &QComboBox::activated, this, &CCAnalysisDlg::OnWavelengthChanged);

  auto row = [this](std::size_t i) {
    auto* line = new QHBoxLayout;
    line->addWidget(m_edits[i]);
    line->addWidget(m_defaults[i]);
    return line;
  };
  auto* fibre = new QGroupBox(RowText(kFibreGroupRow), this);
  auto* fibreForm = new QFormLayout(fibre);
  fibreForm->addRow(RowText(kWavelengthRow), m_wndWavelength);
  auto* parameters = new QGroupBox(RowText(kParametersGroupRow), this);
  auto* parametersForm = new QFormLayout(parameters);
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    (i < 2 ? fibreForm : parametersForm)->addRow(RowText(kLabelRows[i]), row(i));
  }
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(RowText(kApplyRow), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(RowText(kCancelRow), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &CCAnalysisDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CCAnalysisDlg::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(fibre);
  layout->addWidget(parameters);
  layout->addWidget(buttons);
}

AnalysisSettings CCAnalysisDlg::Settings() const {
  return {m_nWavelengthIndex, m_fGroupIndex, m_fScatterCoef, m_fNonReflThreshold, m_fReflThreshold, m_fEndThreshold};
}

void CCAnalysisDlg::SetSettings(const AnalysisSettings& s) {
  m_nWavelengthIndex = s.wavelengthIndex;
  m_fGroupIndex = s.groupIndex;
  m_fScatterCoef = s.scatterCoef;
  m_fNonReflThreshold = s.nonReflThreshold;
  m_fReflThreshold = s.reflThreshold;
  m_fEndThreshold = s.endThreshold;
  if (m_bShown) ShowMembers();
}

float& CCAnalysisDlg::Member(AnalysisField field) {
  switch (field) {
    case AnalysisField::GroupIndex: return m_fGroupIndex;
    case AnalysisField::ScatterCoef: return m_fScatterCoef;
    case AnalysisField::NonReflThreshold: return m_fNonReflThreshold;
    case AnalysisField::ReflThreshold: return m_fReflThreshold;
    case AnalysisField::EndThreshold: break;
  }
  return m_fEndThreshold;
}

void CCAnalysisDlg::showEvent(QShowEvent* event) {
  if (!m_bShown) {
    m_bShown = true;
    for (const AnalysisField field : kFields) m_fRemembered[Slot(field)] = Member(field);
    ShowMembers();
  }
  QDialog::showEvent(event);
}

void CCAnalysisDlg::ShowMembers() {
  const QSignalBlocker block(m_wndWavelength);
  m_wndWavelength->setCurrentIndex(std::clamp(m_nWavelengthIndex, 0, kAnalysisWavelengthCount - 1));
  for (const AnalysisField field : kFields) {
    m_edits[Slot(field)]->setText(QString::number(Member(field), 'g', kShownDigits));
  }
}

void CCAnalysisDlg::ReadMembers() {
  // Half-typed texts ("-", "") are left for the check at focus loss instead of interrupting the typing.
  for (const AnalysisField field : kFields) {
    bool ok = false;
    const float value = QLocale::c().toFloat(m_edits[Slot(field)]->text().trimmed(), &ok);
    if (ok) Member(field) = value;
  }
}

void CCAnalysisDlg::OnDefault(AnalysisField field) {
  const int entry = std::clamp(m_wndWavelength->currentIndex(), 0, kAnalysisWavelengthCount - 1);
  const float value = AnalysisDefaultValue(field, entry);
  Member(field) = value;
  // The table slot keeps the default for the rest of the run, even when the dialog is cancelled.
  if (field == AnalysisField::GroupIndex) g_IorByWavelength[static_cast<std::size_t>(entry)] = value;
  if (field == AnalysisField::ScatterCoef) g_ScatterByWavelength[static_cast<std::size_t>(entry)] = value;
  ShowMembers();
}

void CCAnalysisDlg::OnWavelengthChanged(int entry) {
  m_nWavelengthIndex = std::clamp(entry, 0, kAnalysisWavelengthCount - 1);
  m_fGroupIndex = g_IorByWavelength[static_cast<std::size_t>(m_nWavelengthIndex)];
  m_fScatterCoef = g_ScatterByWavelength[static_cast<std::size_t>(m_nWavelengthIndex)];
  ShowMembers();
}

bool CCAnalysisDlg::CheckField(AnalysisField field, bool restore) {
  QLineEdit* edit = m_edits[Slot(field)];
  bool parsed = false;
  const float typed = QLocale::c().toFloat(edit->text().trimmed(), &parsed);
  // A text that is no number is refused like a value out of range.
  const AnalysisValueCheck check = CheckAnalysisValue(field, parsed ? typed : std::numeric_limits<float>::quiet_NaN());
  if (check.accepted) {
    // A value left as it was shown keeps all its digits: Apply without a change changes nothing.
    if (edit->text().trimmed() != QString::number(Member(field), 'g', kShownDigits)) Member(field) = check.value;
    if (field == AnalysisField::ScatterCoef) ShowMembers();
    return true;
  }
  m_bChecking = true;
  lumivane::ShowMessage(g_CurrentStrings[check.messageRow], lumivane::MessageIcon::Warning);
  m_bChecking = false;
  if (restore) {
    Member(field) = m_fRemembered[Slot(field)];
    ShowMembers();
  }
  return false;
}

bool CCAnalysisDlg::eventFilter(QObject* watched, QEvent* event) {
  for (const AnalysisField field : kFields) {
    if (watched != m_edits[Slot(field)]) continue;
    if (event->type() == QEvent::FocusIn && !m_bChecking) m_fRemembered[Slot(field)] = Member(field);
    if (event->type() == QEvent::FocusOut && !m_bChecking) CheckField(field, true);
  }
  return QDialog::eventFilter(watched, event);
}

void CCAnalysisDlg::accept() {
  // The edit that still has the focus has not been checked; a group index of 0 would make every
  // distance of the trace infinite.
  for (const AnalysisField field : kFields) {
    if (!CheckField(field, false)) {
      m_edits[Slot(field)]->setFocus();
      return;
    }
  }
  QDialog::accept();
}
