#pragma once
// The About box: the product title of the built edition and its two further lines.
#include <QDialog>

class QLabel;
class QPushButton;

class CAboutDlg final : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

  QLabel* TitleLabel() const { return m_title; }
  QLabel* MiddleLabel() const { return m_middle; }
  QLabel* LowerLabel() const { return m_lower; }
  QPushButton* OkButton() const { return m_ok; }

 private:
  QLabel* m_title;
  QLabel* m_middle;
  QLabel* m_lower;
  QPushButton* m_ok;
};
