#include "panes/ui/add_event_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "panes/event_editing.h"
#include "panes/event_table_cells.h"
#include "platform/message_sink.h"
#include "platform/number_format.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

constexpr LangRow kRowStartType = 32;
constexpr LangRow kRowEndType = 31;
constexpr LangRow kRowReflectiveType = 30;
constexpr LangRow kRowNonReflectiveType = 29;
constexpr LangRow kRowFirstLabel = 137;  // "Event Type" .. "Cum. Loss"
constexpr LangRow kRowOk = 105;
constexpr LangRow kRowCancel = 106;
constexpr int kSignificantDigits = 6;


QLineEdit* ReadOnlyEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setEnabled(false);
  return edit;
}

}  // namespace

std::string SignificantText(double value) {
  if (!std::isfinite(value)) return "0";
  const int magnitude = value == 0.0 ? 1 : static_cast<int>(std::floor(std::log10(std::fabs(value)))) + 1;
  const int decimals = std::clamp(kSignificantDigits - magnitude, 0, kSignificantDigits + 4);
  std::string text = lumivane::Format("%." + std::to_string(decimals) + "f", value);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text == "-0" ? "0" : text;
}

CCModifyEventDlg::CCModifyEventDlg(QWidget* parent)
    : QDialog(parent), m_pTypeList(new QComboBox(this)), m_pLocation(ReadOnlyEdit(this)),
      m_pReflectance(ReadOnlyEdit(this)), m_pAttenuation(ReadOnlyEdit(this)), m_pInsLoss(ReadOnlyEdit(this)),
      m_pCumLoss(ReadOnlyEdit(this)), m_pLocationUnit(new QLabel(this)), m_pAttenuationUnit(new QLabel(this)),
      m_pOk(new QPushButton(this)), m_pCancel(new QPushButton(this)) {
  m_TypeNames = {g_CurrentStrings[kRowStartType], g_CurrentStrings[kRowEndType], g_CurrentStrings[kRowReflectiveType],
                 g_CurrentStrings[kRowNonReflectiveType]};
  m_pTypeList->setEnabled(false);
  for (QLabel*& label : m_Labels) label = new QLabel(this);

  auto* grid = new QGridLayout;
  const std::array<QWidget*, 6> fields{m_pTypeList, m_pLocation, m_pReflectance, m_pAttenuation, m_pInsLoss, m_pCumLoss};
  const std::array<QWidget*, 6> units{nullptr, m_pLocationUnit, new QLabel(QStringLiteral("dB"), this),
                                      m_pAttenuationUnit, new QLabel(QStringLiteral("dB"), this),
                                      new QLabel(QStringLiteral("dB"), this)};
  // Rows follow the resource: type, location, reflectance, attenuation, insertion loss, cumulative loss.
  for (int i = 0; i < 6; ++i) {
    grid->addWidget(m_Labels[static_cast<std::size_t>(i)], i, 0);
    grid->addWidget(fields[static_cast<std::size_t>(i)], i, 1);
    if (units[static_cast<std::size_t>(i)] != nullptr) grid->addWidget(units[static_cast<std::size_t>(i)], i, 2);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(m_pOk);
  buttons->addStretch();
  buttons->addWidget(m_pCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  m_pOk->setDefault(true);
  connect(m_pOk, &QPushButton::clicked, this, &CCModifyEventDlg::accept);
  connect(m_pCancel, &QPushButton::clicked, this, &CCModifyEventDlg::reject);
  connect(m_pTypeList, &QComboBox::currentIndexChanged, this, [this] { OnSelChangeType(); });
}

void CCModifyEventDlg::ValuesToEdits() {
  const auto show = [](QLineEdit* edit, float value) {
    edit->setText(QString::fromStdString(IsMissingValue(value) ? std::string(kNoValueText) : SignificantText(value)));
  };
  show(m_pLocation, m_fLocation);
  show(m_pReflectance, m_fReflectance);
  show(m_pAttenuation, m_fAttenuation);
  show(m_pInsLoss, m_fInsLoss);
  show(m_pCumLoss, m_fCumLoss);
}

void CCModifyEventDlg::OnInitDialog() {
  ValuesToEdits();
  for (int i = 0; i < 6; ++i) m_Labels[static_cast<std::size_t>(i)]->setText(RowText(kRowFirstLabel + i));
  m_pOk->setText(RowText(kRowOk));
  m_pCancel->setText(RowText(kRowCancel));
  m_pLocationUnit->setText(QString::fromStdString(g_LengthUnitName));
  m_pAttenuationUnit->setText(QStringLiteral("db/") + QString::fromStdString(g_LengthUnitName));

  const QSignalBlocker quiet(m_pTypeList);
  m_pTypeList->clear();
  if (m_nType == 1) {
    m_pTypeList->addItem(QString::fromStdString(m_TypeNames[1]), 1);
    m_pTypeList->setCurrentIndex(0);
  } else if (m_nType != 0) {
    m_pTypeList->addItem(QString::fromStdString(m_TypeNames[2]), 2);
    m_pTypeList->addItem(QString::fromStdString(m_TypeNames[3]), 3);
    m_pTypeList->setCurrentIndex(m_nType == 2 ? 0 : 1);
  }
  OnSelChangeType();
  setWindowTitle(QString::fromStdString(m_strTitle));
  ValuesToEdits();
}

void CCModifyEventDlg::OnSelChangeType() {
  if (m_pTypeList->currentIndex() >= 0) m_nType = m_pTypeList->currentData().toInt();
  // Only a modified event's cumulative loss could be edited; an added event is shown as proposed.
  for (QLineEdit* edit : {m_pLocation, m_pReflectance, m_pAttenuation, m_pInsLoss, m_pCumLoss}) edit->setEnabled(false);
}

bool CCModifyEventDlg::DoDataExchange() {
  struct Field {
    QLineEdit* edit;
    float* member;
    double low;
    double high;
  };
  const std::array<Field, 5> fields{{
      {m_pAttenuation, &m_fAttenuation, m_dAttnMin, m_dAttnMax},
      {m_pCumLoss, &m_fCumLoss, 0.0, kAddEventCumulativeLossMax},
      {m_pLocation, &m_fLocation, 0.0, m_dLocationMax},
      {m_pInsLoss, &m_fInsLoss, -kAddEventLossLimit, kAddEventLossLimit},
      {m_pReflectance, &m_fReflectance, kAddEventReflectanceMin, kAddEventReflectanceMax},
  }};
  for (const Field& field : fields) {
    // A value the trace does not give has nothing to check; it stays missing.
    if (IsMissingValue(*field.member) && field.edit->text().toStdString() == kNoValueText) continue;
    bool ok = false;
    const auto value = static_cast<float>(field.edit->text().toDouble(&ok));
    // The bounds are compared as floats, as the value is held; every value the dialog stores is
    // checked, whether or not its box can be edited.
    const bool outside = value < static_cast<float>(field.low) || value > static_cast<float>(field.high);
    if (!ok || outside) {
      lumivane::ShowMessage("Enter a number between " + SignificantText(static_cast<float>(field.low)) + " and " +
                                SignificantText(static_cast<float>(field.high)) + ".",
                            lumivane::MessageIcon::Warning);
      field.edit->setFocus();
      return false;
    }
    *field.member = value;
  }
  return true;
}

void CCModifyEventDlg::accept() {
  if (DoDataExchange()) QDialog::accept();
}
