#include "traceview/ui/length_unit_dlg.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include "vocabulary/length_unit.h"
#include "vocabulary/ui/row_text.h"
#include "vocabulary/ui/dialog_buttons.h"
#include "platform/ui/length_unit_setting.h"

namespace {

constexpr int kRowCaption = 223;
constexpr int kRowMeters = 224;
constexpr int kRowGroup = 227;

}  // namespace

int UnitRadioOf(const std::string& label) {
  for (std::size_t i = 0; i < kLengthUnits.size(); ++i) {
    if (label == kLengthUnits[i].name) return static_cast<int>(i);
  }
  return -1;
}

CCLengthUnitDlg::CCLengthUnitDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(RowText(kRowCaption));
  auto* layout = new QVBoxLayout(this);
  auto* box = new QGroupBox(RowText(kRowGroup), this);
  auto* radios = new QVBoxLayout(box);
  m_pGroup = new QButtonGroup(this);
  for (int i = 0; i < static_cast<int>(kLengthUnits.size()); ++i) {
    auto* radio = new QRadioButton(RowText(kRowMeters + i), box);
    radios->addWidget(radio);
    m_pGroup->addButton(radio, i);
  }
  layout->addWidget(box);
  AddOkCancel(*this, *layout);
  OnInitDialog();
}

std::string CCLengthUnitDlg::ReadStoredUnit() { return lumivane::ReadStoredLengthUnit(); }

void CCLengthUnitDlg::OnInitDialog() { SelectUnit(UnitRadioOf(ReadStoredUnit())); }

void CCLengthUnitDlg::SelectUnit(int index) {
  // An exclusive group cannot show "none" once a radio is checked, so it is opened up to clear.
  m_pGroup->setExclusive(false);
  for (QAbstractButton* radio : m_pGroup->buttons()) radio->setChecked(m_pGroup->id(radio) == index);
  m_pGroup->setExclusive(true);
}

void CCLengthUnitDlg::accept() {
  m_nUnit = m_pGroup->checkedId();
  QDialog::accept();
}
