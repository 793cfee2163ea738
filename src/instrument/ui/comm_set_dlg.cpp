#include "instrument/ui/comm_set_dlg.h"

#include <algorithm>
#include <filesystem>

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "instrument/serial_port_config.h"
#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

const char* const kInterfaces[] = {"USB", "RS232"};
const char* const kBaudRates[] = {"300", "600", "1200", "2400", "9600", "14400", "19200", "38400", "57600", "115200"};
const char* const kDataBits[] = {"5", "6", "7", "8"};
const char* const kParities[] = {"NONE", "EVEN", "ODD"};
const char* const kStopBits[] = {"1", "1.5", "2"};

QString Qt8(const std::string& text) { return QString::fromStdString(text); }

// The port shows by its device name here (another system's "COM1" is /dev/ttyS0); a name that stands
// for no device (a port since unplugged) gives way to the machine's first port, or to nothing.
std::string ShownPortName(const std::string& stored, const std::vector<std::string>& systemPorts) {
  const std::string device = SerialDevicePath(stored);
  std::error_code ec;
  if (std::find(systemPorts.begin(), systemPorts.end(), device) != systemPorts.end() ||
      std::filesystem::exists(device, ec)) {
    return device;
  }
  return systemPorts.empty() ? std::string() : systemPorts.front();
}

template <std::size_t N>
void Fill(QComboBox* box, const char* const (&items)[N]) {
  for (const char* item : items) box->addItem(QString::fromLatin1(item));
}

QComboBox* MakeCombo(bool editable) {
  auto* box = new QComboBox;
  box->setEditable(editable);
  return box;
}

}  // namespace

CCCommSetDlg::CCCommSetDlg(std::vector<std::string> systemPorts, QWidget* parent)
    : QDialog(parent),
      m_cbInterface(MakeCombo(false)),
      m_cbStopBits(MakeCombo(false)),
      m_cbParity(MakeCombo(false)),
      m_cbPort(MakeCombo(true)),
      m_cbDataBits(MakeCombo(true)),
      m_cbBaudRate(MakeCombo(true)),
      m_systemPorts(std::move(systemPorts)),
      m_lblInterface(new QLabel),
      m_lblPort(new QLabel),
      m_lblBaudRate(new QLabel),
      m_lblDataBits(new QLabel),
      m_lblParity(new QLabel),
      m_lblStopBits(new QLabel),
      m_btnOk(new QPushButton),
      m_btnCancel(new QPushButton) {
  auto* rows = new QGridLayout;
  const std::pair<QLabel*, QComboBox*> pairs[] = {{m_lblInterface, m_cbInterface}, {m_lblPort, m_cbPort},
                                                  {m_lblBaudRate, m_cbBaudRate},   {m_lblDataBits, m_cbDataBits},
                                                  {m_lblParity, m_cbParity},       {m_lblStopBits, m_cbStopBits}};
  int row = 0;
  for (const auto& [label, box] : pairs) {
    rows->addWidget(label, row, 0);
    rows->addWidget(box, row++, 1);
  }
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(m_btnOk);
  buttons->addWidget(m_btnCancel);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(rows);
  layout->addLayout(buttons);
  m_btnOk->setDefault(true);
  connect(m_btnOk, &QPushButton::clicked, this, &CCCommSetDlg::accept);
  connect(m_btnCancel, &QPushButton::clicked, this, &CCCommSetDlg::reject);
  connect(m_cbInterface, &QComboBox::currentIndexChanged, this, &CCCommSetDlg::OnSelchangeInterface);
}

CCCommSetDlg::~CCCommSetDlg() = default;

void CCCommSetDlg::OnInitDialog() {
  setWindowTitle(RowText(TextRow::CommunicationsSettings));
  m_lblInterface->setText(RowText(TextRow::PortLabel));
  m_lblPort->setText(RowText(TextRow::Rs232Label));
  m_lblBaudRate->setText(RowText(TextRow::BaudRateLabel));
  m_lblDataBits->setText(RowText(TextRow::DataBitLabel));
  m_lblParity->setText(RowText(TextRow::ParityLabel));
  m_lblStopBits->setText(RowText(TextRow::StopBitLabel));
  m_btnOk->setText(RowText(TextRow::Ok));
  m_btnCancel->setText(RowText(TextRow::Cancel));

  Fill(m_cbInterface, kInterfaces);
  for (const std::string& port : m_systemPorts) {
    if (m_cbPort->findText(Qt8(port)) < 0) m_cbPort->addItem(Qt8(port));
  }
  Fill(m_cbBaudRate, kBaudRates);
  Fill(m_cbDataBits, kDataBits);
  Fill(m_cbParity, kParities);
  Fill(m_cbStopBits, kStopBits);
  m_cbPort->setEditText(Qt8(ShownPortName(m_strPort, m_systemPorts)));
  m_cbBaudRate->setEditText(Qt8(m_strBaudRate));
  m_cbDataBits->setEditText(Qt8(m_strDataBits));
  // The interface list always opens on USB, whatever the last upload used.
  m_cbInterface->setCurrentIndex(0);
  m_cbParity->setCurrentIndex(m_nParityIndex);
  m_cbStopBits->setCurrentIndex(m_nStopBitsIndex);
  for (QWidget* fixed : std::initializer_list<QWidget*>{m_cbBaudRate, m_lblBaudRate, m_cbDataBits, m_lblDataBits,
                                                         m_cbParity, m_lblParity, m_cbStopBits, m_lblStopBits}) {
    fixed->setEnabled(false);
  }
  OnSelchangeInterface();
}

int CCCommSetDlg::DoModal() {
  OnInitDialog();
  return exec();
}

void CCCommSetDlg::OnSelchangeInterface() {
  const bool serial = m_cbInterface->currentIndex() != 0;
  m_cbPort->setEnabled(serial);
  m_lblPort->setEnabled(serial);
}

void CCCommSetDlg::accept() {
  m_strBaudRate = m_cbBaudRate->currentText().toStdString();
  m_strDataBits = m_cbDataBits->currentText().toStdString();
  m_strPort = m_cbPort->currentText().toStdString();
  m_strInterface = m_cbInterface->currentText().toStdString();
  m_nParityIndex = m_cbParity->currentIndex();
  m_nStopBitsIndex = m_cbStopBits->currentIndex();
  QDialog::accept();
}
