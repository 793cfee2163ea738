#pragma once
// The event dialog in add mode: it shows the event that Add Event proposes, read-only, and the user
// confirms it with OK or declines it with Cancel. OK checks every value against its range first.
#include <QDialog>
#include <array>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CCModifyEventDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit CCModifyEventDlg(QWidget* parent = nullptr);

  /// Puts the members into the controls: texts, the type list, the caption and the values.
  void OnInitDialog();
  /// Takes the chosen type and sets which edits may be changed (none, in add mode).
  void OnSelChangeType();
  /// Checks every value against its range and takes it back from its edit; false after the message
  /// for the first value out of range.
  bool DoDataExchange();

  int m_nType = 1;
  double m_dLocationMax = 0.0;
  double m_dAttnMin = 0.0;
  double m_dAttnMax = 0.0;
  int m_nMode = 1;
  float m_fAttenuation = 0.0f;
  float m_fCumLoss = 0.0f;
  float m_fLocation = 0.0f;
  float m_fInsLoss = 0.0f;
  float m_fReflectance = 0.0f;
  std::string m_strTitle;
  std::array<std::string, 4> m_TypeNames;

  QComboBox& TypeList() { return *m_pTypeList; }
  QLineEdit& LocationEdit() { return *m_pLocation; }
  QLineEdit& ReflectanceEdit() { return *m_pReflectance; }
  QLineEdit& AttenuationEdit() { return *m_pAttenuation; }
  QLineEdit& InsertionLossEdit() { return *m_pInsLoss; }
  QLineEdit& CumulativeLossEdit() { return *m_pCumLoss; }

 public slots:
  void accept() override;

 private:
  void ValuesToEdits();

  QComboBox* m_pTypeList;
  QLineEdit* m_pLocation;
  QLineEdit* m_pReflectance;
  QLineEdit* m_pAttenuation;
  QLineEdit* m_pInsLoss;
  QLineEdit* m_pCumLoss;
  std::array<QLabel*, 6> m_Labels{};
  QLabel* m_pLocationUnit;
  QLabel* m_pAttenuationUnit;
  QPushButton* m_pOk;
  QPushButton* m_pCancel;
};

/// A float as the dialog shows it: up to six significant digits, "." as the decimal point.
std::string SignificantText(double value);
