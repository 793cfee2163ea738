#pragma once
// The Pass/Fail dialog: the six limits of one wavelength with a check box each, "All select", and
// a Default button that rewrites every section of the limits file at once.
#include <QDialog>
#include <QString>
#include <array>

#include "document/document_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CCPassFailDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CCPassFailDlg(QWidget* parent = nullptr);

  /// Edit and check box of a limit (PassFailThresholds order), and the other controls.
  QLineEdit* LimitEdit(int limit) const { return m_limitEdits[static_cast<std::size_t>(limit)]; }
  QCheckBox* LimitCheck(int limit) const { return m_checks[static_cast<std::size_t>(limit)]; }
  QCheckBox* AllSelect() const { return m_allSelect; }
  QPushButton* DefaultButton() const { return m_default; }
  QLineEdit* WavelengthEdit() const { return m_wavelength; }
  QLabel* UnitLabel() const { return m_unit; }
  /// The member of a limit's check box (PassFailThresholds order); the boxes open as the members are set.
  int& CheckState(int limit);

  QString m_strSpliceLoss;
  QString m_strConnectorLoss;
  QString m_strLinkLoss;
  QString m_strLinkOrl;
  QString m_strReflectance;
  QString m_strAttenuation;
  QString m_strWavelength;
  QString m_strUnit;
  QString m_strIniPath;
  int m_bCheckSpliceLoss = 0;
  int m_bCheckConnectorLoss = 0;
  int m_bCheckReflectance = 0;
  int m_bCheckAttenuation = 0;
  int m_bCheckLinkLoss = 0;
  int m_bCheckLinkOrl = 0;

 public slots:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QString& LimitText(int limit);
  /// Shows the members in the controls; reads the controls into the members.
  void ShowMembers();
  void ReadMembers();
  void OnAllSelect(bool checked);
  void OnCheck(int limit, bool checked);
  void OnDefault();

  std::array<QLineEdit*, kPassFailLimitCount> m_limitEdits{};
  std::array<QCheckBox*, kPassFailLimitCount> m_checks{};
  QCheckBox* m_allSelect;
  QPushButton* m_default;
  QLineEdit* m_wavelength;
  QLabel* m_unit;
  bool m_bShown = false;
};
