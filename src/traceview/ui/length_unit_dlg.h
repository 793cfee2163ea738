#pragma once
// The Length Unit dialog: three radios for kilometres, kilofeet and miles, starting from the unit
// stored in the user's settings.
#include <QDialog>
#include <string>

class QButtonGroup;

class CCLengthUnitDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit CCLengthUnitDlg(QWidget* parent = nullptr);

  /// Selects the radio of the stored unit (none for an unknown label).
  void OnInitDialog();
  /// The stored unit label, "km" when nothing is stored.
  static std::string ReadStoredUnit();
  /// Checks radio `index` (0 km, 1 kft, 2 mi); any other index clears the choice.
  void SelectUnit(int index);

  /// Index of the selected radio, -1 none; read after the dialog closed with OK.
  int m_nUnit = -1;

 private:
  void accept() override;
  QButtonGroup* m_pGroup = nullptr;
};

/// Radio index of a stored unit label, -1 for any other text.
int UnitRadioOf(const std::string& label);
