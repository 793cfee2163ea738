#include "reports/ui/print_options_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "vocabulary/ui/dialog_buttons.h"
#include "vocabulary/ui/row_text.h"

int g_CombinedChoiceCount = 0;

namespace {

constexpr int kPerPageTwo = 0;
constexpr int kPerPageFour = 1;
constexpr int kPerPageChoices = 4;

/// Checks the button of `id` in an exclusive group, or none at all for -1.
void SetChecked(QButtonGroup* group, int id) {
  if (id >= 0 && group->button(id) != nullptr) {
    group->button(id)->setChecked(true);
    return;
  }
  // An exclusive group refuses to lose its last checked button.
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) button->setChecked(false);
  group->setExclusive(true);
}

int Checked(const QCheckBox* box) { return box->isChecked() ? 1 : 0; }

std::optional<std::string> ChooseLogoFile(QWidget* parent) {
  const QString path =
      QFileDialog::getOpenFileName(parent, QString(), QString(), QStringLiteral("Image Files (*.bmp *.BMP *.Bmp)"));
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

}  // namespace

CCPrintOptionsDlg::CCPrintOptionsDlg(QWidget* parent)
    : QDialog(parent),
      m_chkTraceInfo(new QCheckBox),
      m_chkTrace(new QCheckBox),
      m_chkShowGrid(new QCheckBox),
      m_chkShowMarker(new QCheckBox),
      m_chkFiberInfo(new QCheckBox),
      m_chkEventTable(new QCheckBox),
      m_chkMarkerInfo(new QCheckBox),
      m_chkLogo(new QCheckBox),
      m_rbNormal(new QRadioButton),
      m_rbMultiTrace(new QRadioButton),
      m_rbCombined(new QRadioButton),
      m_grpPerPage(new QGroupBox),
      m_rbPerPage{new QRadioButton(QStringLiteral("2")), new QRadioButton(QStringLiteral("4")),
                  new QRadioButton(QStringLiteral("6")), new QRadioButton(QStringLiteral("8"))},
      m_grpEventOption(new QGroupBox),
      m_rbCurrentTab(new QRadioButton),
      m_rbAllTabs(new QRadioButton),
      m_editLogoPath(new QLineEdit),
      m_btnBrowse(new QPushButton(QStringLiteral("..."))),
      m_LayoutGroup(new QButtonGroup(this)),
      m_PerPageGroup(new QButtonGroup(this)),
      m_EventOptionGroup(new QButtonGroup(this)),
      m_ChooseLogo(ChooseLogoFile) {
  // Values follow the tab order (Normal, Multi Trace, Combined) while the screen shows Combined second.
  m_LayoutGroup->addButton(m_rbNormal, kLayoutNormal);
  m_LayoutGroup->addButton(m_rbMultiTrace, kLayoutMultiTrace);
  m_LayoutGroup->addButton(m_rbCombined, kLayoutCombined);
  auto* perPage = new QHBoxLayout(m_grpPerPage);
  for (int i = 0; i < kPerPageChoices; ++i) {
    m_PerPageGroup->addButton(m_rbPerPage[i], i);
    perPage->addWidget(m_rbPerPage[i]);
    connect(m_rbPerPage[i], &QRadioButton::clicked, this, [this, i] { OnPerPage(i); });
  }
  auto* eventOption = new QVBoxLayout(m_grpEventOption);
  m_EventOptionGroup->addButton(m_rbCurrentTab, 0);
  m_EventOptionGroup->addButton(m_rbAllTabs, 1);
  eventOption->addWidget(m_rbCurrentTab);
  eventOption->addWidget(m_rbAllTabs);

  auto* grid = new QGridLayout;
  const QCheckBox* indented[] = {m_chkShowGrid, m_chkShowMarker};
  QCheckBox* checks[] = {m_chkTraceInfo, m_chkTrace,      m_chkShowGrid,  m_chkShowMarker,
                         m_chkFiberInfo, m_chkEventTable, m_chkMarkerInfo};
  int row = 0;
  for (QCheckBox* check : checks) {
    const bool indent = check == indented[0] || check == indented[1];
    grid->addWidget(check, row++, indent ? 1 : 0, 1, indent ? 1 : 2);
  }
  grid->addWidget(m_rbNormal, 0, 2, 1, 2);
  grid->addWidget(m_rbCombined, 1, 2, 1, 2);
  grid->addWidget(m_rbMultiTrace, 2, 2, 1, 2);
  // The two group boxes share one place; at most one of them shows.
  grid->addWidget(m_grpPerPage, 3, 2, 3, 2);
  grid->addWidget(m_grpEventOption, 3, 2, 3, 2);
  grid->addWidget(m_chkLogo, row, 0, 1, 2);
  grid->addWidget(m_editLogoPath, row, 2);
  grid->addWidget(m_btnBrowse, row, 3);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  AddOkCancel(*this, *layout);

  connect(m_rbNormal, &QRadioButton::clicked, this, &CCPrintOptionsDlg::OnLayoutNormal);
  connect(m_rbMultiTrace, &QRadioButton::clicked, this, &CCPrintOptionsDlg::OnLayoutMultiTrace);
  connect(m_rbCombined, &QRadioButton::clicked, this, &CCPrintOptionsDlg::OnLayoutCombined);
  connect(m_chkEventTable, &QCheckBox::clicked, this, &CCPrintOptionsDlg::OnEventTableCheck);
  connect(m_chkTrace, &QCheckBox::clicked, this, &CCPrintOptionsDlg::OnTraceCheck);
  connect(m_chkLogo, &QCheckBox::clicked, this, &CCPrintOptionsDlg::OnLogoCheck);
  connect(m_btnBrowse, &QPushButton::clicked, this, &CCPrintOptionsDlg::OnBrowseLogo);
}

CCPrintOptionsDlg::~CCPrintOptionsDlg() = default;

int CCPrintOptionsDlg::DoModal() {
  OnInitDialog();
  return exec();
}

void CCPrintOptionsDlg::DoDataExchange(bool saveAndValidate) {
  struct Binding {
    QCheckBox* box;
    std::int32_t* value;
  };
  const Binding checks[] = {{m_chkTraceInfo, &TraceInfo},   {m_chkTrace, &Trace},           {m_chkShowGrid, &ShowGrid},
                            {m_chkShowMarker, &ShowMarker}, {m_chkFiberInfo, &FiberInfo},   {m_chkEventTable, &EventTable},
                            {m_chkMarkerInfo, &MarkerInfo}, {m_chkLogo, &Logo}};
  if (saveAndValidate) {
    Layout = m_LayoutGroup->checkedId();
    PerPageIndex = m_PerPageGroup->checkedId();
    EventOption = m_EventOptionGroup->checkedId();
    for (const Binding& b : checks) *b.value = Checked(b.box);
    LogoPath = m_editLogoPath->text().toStdString();
  } else {
    SetChecked(m_LayoutGroup, Layout);
    SetChecked(m_PerPageGroup, PerPageIndex);
    SetChecked(m_EventOptionGroup, EventOption);
    for (const Binding& b : checks) b.box->setChecked(*b.value != 0);
    m_editLogoPath->setText(QString::fromStdString(LogoPath));
  }
}

void CCPrintOptionsDlg::OnInitDialog() {
  DoDataExchange(false);
  setWindowTitle(RowText(151));
  m_chkTraceInfo->setText(RowText(237));
  m_chkTrace->setText(RowText(233));
  m_chkShowGrid->setText(RowText(234));
  m_chkShowMarker->setText(RowText(235));
  m_chkFiberInfo->setText(RowText(239));
  m_chkEventTable->setText(RowText(236));
  m_chkMarkerInfo->setText(RowText(238));
  m_rbNormal->setText(RowText(240));
  m_rbCombined->setText(RowText(241));
  m_rbMultiTrace->setText(RowText(242));
  m_grpPerPage->setTitle(RowText(243));
  m_grpEventOption->setTitle(RowText(244));
  m_rbCurrentTab->setText(RowText(245));
  m_rbAllTabs->setText(RowText(246));
  m_chkLogo->setText(RowText(249));
  DoDataExchange(true);
  ApplyLayoutState();
}

void CCPrintOptionsDlg::ApplyLayoutState() {
  if (Layout == kLayoutNormal) {
    HideLayoutGroups();
  } else if (Layout == kLayoutMultiTrace) {
    OnLayoutMultiTrace();
    ApplyPerPageState();
  } else if (Layout == kLayoutCombined) {
    OnLayoutCombined();
  }
  if (Trace == 0) {
    m_chkShowGrid->setEnabled(false);
    m_chkShowMarker->setEnabled(false);
  }
  if (EventTable == 0) m_grpEventOption->hide();
  if (Logo == 0) {
    m_editLogoPath->setEnabled(false);
    m_btnBrowse->setEnabled(false);
  }
}

void CCPrintOptionsDlg::HideLayoutGroups() {
  m_grpPerPage->hide();
  m_grpEventOption->hide();
  m_chkEventTable->setChecked(EventTable != 0);
}

void CCPrintOptionsDlg::ApplyPerPageState() {
  if (PerPageIndex >= 0 && PerPageIndex < kPerPageChoices) SetChecked(m_PerPageGroup, PerPageIndex);
  m_chkEventTable->setChecked(EventTable != 0);
  if (EventTable == 1) m_rbPerPage[kPerPageTwo]->setEnabled(false);
  m_chkEventTable->setEnabled(PerPageIndex != kPerPageTwo);
}

void CCPrintOptionsDlg::EnableBlocks(bool enable) {
  m_chkFiberInfo->setEnabled(enable);
  m_chkMarkerInfo->setEnabled(enable);
  m_chkTraceInfo->setEnabled(enable);
}

void CCPrintOptionsDlg::OnLayoutNormal() {
  if (m_rbNormal->isChecked()) {
    m_grpPerPage->hide();
    m_grpEventOption->hide();
    m_chkEventTable->setEnabled(true);
    m_chkEventTable->setChecked(true);
    m_chkTrace->setEnabled(true);
    DoDataExchange(true);
    if (Trace == 1) {
      m_chkShowGrid->setEnabled(true);
      m_chkShowMarker->setEnabled(true);
    }
    EnableBlocks(true);
    m_rbPerPage[kPerPageTwo]->setEnabled(true);
    SetChecked(m_PerPageGroup, -1);
    SetChecked(m_EventOptionGroup, -1);
  }
  g_CombinedChoiceCount = 0;
}

void CCPrintOptionsDlg::OnLayoutMultiTrace() {
  if (m_rbMultiTrace->isChecked()) {
    m_grpEventOption->hide();
    m_grpPerPage->show();
    m_chkEventTable->setEnabled(true);
    m_chkEventTable->setChecked(false);
    for (QCheckBox* box : {m_chkTrace, m_chkShowGrid, m_chkShowMarker}) box->setEnabled(false);
    EnableBlocks(false);
    const int index = PerPageIndex >= 0 && PerPageIndex < kPerPageChoices ? PerPageIndex : kPerPageFour;
    CheckPerPage(index);
  }
  g_CombinedChoiceCount = 0;
}

void CCPrintOptionsDlg::OnLayoutCombined() {
  if (m_rbCombined->isChecked()) {
    m_grpPerPage->hide();
    m_chkTrace->setEnabled(true);
    DoDataExchange(true);
    if (Trace == 1) {
      m_chkShowGrid->setEnabled(true);
      m_chkShowMarker->setEnabled(true);
    }
    EnableBlocks(true);
    m_chkEventTable->setEnabled(true);
    m_rbPerPage[kPerPageTwo]->setEnabled(true);
    SetChecked(m_PerPageGroup, -1);
  }
  if (g_CombinedChoiceCount == 0) EventTable = 0;
  if (EventTable == 0) m_chkEventTable->setChecked(false);
  ++g_CombinedChoiceCount;
}

void CCPrintOptionsDlg::OnEventTableCheck() {
  DoDataExchange(true);
  if (m_chkEventTable->isChecked()) {
    m_rbPerPage[kPerPageTwo]->setEnabled(false);
    if (Layout == kLayoutCombined) {
      m_grpEventOption->show();
      if (EventOption == -1) SetChecked(m_EventOptionGroup, 0);
    }
  } else {
    m_rbPerPage[kPerPageTwo]->setEnabled(true);
    if (Layout == kLayoutCombined) m_grpEventOption->hide();
  }
}

void CCPrintOptionsDlg::OnTraceCheck() {
  const bool on = m_chkTrace->isChecked();
  for (QCheckBox* box : {m_chkShowGrid, m_chkShowMarker}) {
    box->setChecked(on);
    box->setEnabled(on);
  }
}

void CCPrintOptionsDlg::OnPerPage(int index) {
  // Two traces per page leave no room for an event table.
  m_chkEventTable->setEnabled(index != kPerPageTwo);
}

void CCPrintOptionsDlg::CheckPerPage(int index) {
  SetChecked(m_PerPageGroup, index);
  OnPerPage(index);
}

void CCPrintOptionsDlg::OnLogoCheck() {
  const bool on = m_chkLogo->isChecked();
  m_editLogoPath->setEnabled(on);
  m_btnBrowse->setEnabled(on);
}

void CCPrintOptionsDlg::OnBrowseLogo() {
  const std::optional<std::string> chosen = m_ChooseLogo ? m_ChooseLogo(this) : std::nullopt;
  if (!chosen) return;
  LogoPath = *chosen;
  m_editLogoPath->setText(QString::fromStdString(LogoPath));
}

void CCPrintOptionsDlg::SetOptions(const PrintOptions& o) {
  TraceInfo = o.TraceInfo;
  Trace = o.Trace;
  ShowGrid = o.ShowGrid;
  ShowMarker = o.ShowMarker;
  FiberInfo = o.FiberInfo;
  EventTable = o.EventTable;
  MarkerInfo = o.MarkerInfo;
  Logo = o.Logo;
  LogoPath = o.LogoPath;
  Layout = o.Layout;
  PerPageIndex = o.PerPageIndex;
  EventOption = o.EventOption;
}

PrintOptions CCPrintOptionsDlg::Options() const {
  PrintOptions o;
  o.TraceInfo = TraceInfo;
  o.Trace = Trace;
  o.ShowGrid = ShowGrid;
  o.ShowMarker = ShowMarker;
  o.FiberInfo = FiberInfo;
  o.EventTable = EventTable;
  o.MarkerInfo = MarkerInfo;
  o.Logo = Logo;
  o.LogoPath = LogoPath;
  o.Layout = Layout;
  o.PerPageIndex = PerPageIndex;
  o.EventOption = EventOption;
  return o;
}

void CCPrintOptionsDlg::accept() {
  DoDataExchange(true);
  QDialog::accept();
}
