#pragma once
// The analysis settings dialog of Trace Reanalysis: a wavelength choice, the group index, the
// scatter coefficient and three detection thresholds, each with a Default button, and a range check
// whenever an edit loses the focus (and once more on Apply).
#include <QDialog>
#include <array>

#include "measure/analysis_settings.h"

class QComboBox;
class QLineEdit;
class QPushButton;

class CCAnalysisDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CCAnalysisDlg(QWidget* parent = nullptr);

  /// The members as one value, and back; set them before the dialog is shown.
  AnalysisSettings Settings() const;
  void SetSettings(const AnalysisSettings& settings);

  /// The edit of a value and the Default button beside it.
  QLineEdit* Edit(AnalysisField field) const { return m_edits[Slot(field)]; }
  QPushButton* DefaultButton(AnalysisField field) const { return m_defaults[Slot(field)]; }
  QComboBox* WavelengthCombo() const { return m_wndWavelength; }

  float m_fGroupIndex = AnalysisSettings{}.groupIndex;
  float m_fScatterCoef = AnalysisSettings{}.scatterCoef;
  float m_fNonReflThreshold = AnalysisSettings{}.nonReflThreshold;
  float m_fReflThreshold = AnalysisSettings{}.reflThreshold;
  float m_fEndThreshold = AnalysisSettings{}.endThreshold;
  int m_nWavelengthIndex = 0;

 public slots:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static constexpr int kFieldCount = 5;
  static std::size_t Slot(AnalysisField field) { return static_cast<std::size_t>(field); }
  float& Member(AnalysisField field);
  /// Shows the members in the controls.
  void ShowMembers();
  /// Reads every edit that holds a number into its member.
  void ReadMembers();
  void OnDefault(AnalysisField field);
  void OnWavelengthChanged(int entry);
  /// Range check of one edit; false after the refusal message, with the remembered value back.
  bool CheckField(AnalysisField field, bool restore);

  QComboBox* m_wndWavelength;
  std::array<QLineEdit*, kFieldCount> m_edits{};
  std::array<QPushButton*, kFieldCount> m_defaults{};
  std::array<float, kFieldCount> m_fRemembered{};
  bool m_bShown = false;
  bool m_bChecking = false;  // a refusal message takes the focus and must not start another check
};
