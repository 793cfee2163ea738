#pragma once
// Edit Trace Information: the header texts and the fibre type of the current trace.
#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QLabel;

class CCTraceInfoDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CCTraceInfoDlg(QWidget* parent = nullptr);

  /// Texts, combo entries and the members into the controls; call after filling the members.
  void OnInitDialog();
  /// The controls into the members; refuses (false, with a message) a text over its limit.
  bool DoDataExchange();
  /// Takes the controls and ends the dialog with OK when they are valid.
  void OnOK();

  int m_nFibreTypeIndex = -1;  // combo position, -1 for none
  QString m_strCableId;
  QString m_strFiberId;
  QString m_strOperator;
  QString m_strOriginatingLocation;
  QString m_strTerminatingLocation;
  QString m_strDevice;
  QString m_strJobId;
  QString m_strCustomer;
  QString m_strMeasurementTime;

  QComboBox* FibreTypeCombo() const { return m_pFibreType; }
  QLineEdit* CableIdEdit() const { return m_pCableId; }
  QLineEdit* FiberIdEdit() const { return m_pFiberId; }
  QLineEdit* OperatorEdit() const { return m_pOperator; }
  QLineEdit* DeviceEdit() const { return m_pDevice; }
  QLineEdit* JobIdEdit() const { return m_pJobId; }
  QLineEdit* CustomerEdit() const { return m_pCustomer; }

 private:
  QComboBox* m_pFibreType;
  QLineEdit* m_pCableId;
  QLineEdit* m_pFiberId;
  QLineEdit* m_pOriginatingLocation;
  QLineEdit* m_pTerminatingLocation;
  QLineEdit* m_pOperator;
  QLineEdit* m_pDevice;
  QLineEdit* m_pJobId;
  QLineEdit* m_pCustomer;
  QLineEdit* m_pMeasurementTime;
  QLabel* m_pMeasurementTimeLabel;
  QLabel* m_pBlank;
  QLabel* m_pLabels[9];  // the labels of the edits, top to bottom
};
