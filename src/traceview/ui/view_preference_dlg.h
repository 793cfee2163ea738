#pragma once
// The View Preferences dialog: grid, dotted curves and event bar of the Trace pane.
#include <QDialog>

class QCheckBox;

class CCViewPrefrenceDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit CCViewPrefrenceDlg(QWidget* parent = nullptr);

  /// Puts the members into the check boxes.
  void OnInitDialog();

  int m_bDotted = 0;
  int m_bEventBar = 1;
  int m_bGrid = 1;

  QCheckBox* DottedBox() const { return m_pDotted; }
  QCheckBox* EventBarBox() const { return m_pEventBar; }
  QCheckBox* GridBox() const { return m_pGrid; }

 private:
  void accept() override;
  QCheckBox* m_pDotted = nullptr;
  QCheckBox* m_pEventBar = nullptr;
  QCheckBox* m_pGrid = nullptr;
};
