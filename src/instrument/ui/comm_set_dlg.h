#pragma once
// The "Communications Settings" dialog: the interface, the serial port and the line settings of the
// next upload. Only the interface and, for RS232, the port can be changed; the line settings are
// shown as they stand.
#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;

class CCCommSetDlg final : public QDialog {
  Q_OBJECT

 public:
  /// The port list offers `systemPorts`, the machine's serial ports; any other name can be typed.
  explicit CCCommSetDlg(std::vector<std::string> systemPorts = {}, QWidget* parent = nullptr);
  ~CCCommSetDlg() override;

  /// Fills the texts and lists from the members and opens on "USB"; DoModal runs it first.
  void OnInitDialog();
  /// Runs the dialog modally; QDialog::Accepted after OK.
  int DoModal();
  /// Enables the port row only while an interface other than "USB" is chosen.
  void OnSelchangeInterface();
  /// Takes the controls' texts and selections into the members and closes with OK.
  void accept() override;

  std::int32_t m_nParityIndex = 0;
  std::int32_t m_nStopBitsIndex = 0;
  QComboBox* m_cbInterface;
  QComboBox* m_cbStopBits;
  QComboBox* m_cbParity;
  QComboBox* m_cbPort;
  QComboBox* m_cbDataBits;
  QComboBox* m_cbBaudRate;
  std::string m_strBaudRate;
  std::string m_strDataBits;
  std::string m_strPort;
  std::string m_strInterface;

  QLabel* PortLabel() const { return m_lblPort; }

 private:
  std::vector<std::string> m_systemPorts;
  QLabel* m_lblInterface;
  QLabel* m_lblPort;
  QLabel* m_lblBaudRate;
  QLabel* m_lblDataBits;
  QLabel* m_lblParity;
  QLabel* m_lblStopBits;
  QPushButton* m_btnOk;
  QPushButton* m_btnCancel;
};
