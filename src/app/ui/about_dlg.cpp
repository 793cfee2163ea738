#include "app/ui/about_dlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "vocabulary/text_table.h"
#include "vocabulary/ui/row_text.h"

namespace {

// The box is laid out in the units of its template, which are about 1.75 pixels at the usual font.
constexpr double kPixelsPerUnit = 1.75;

QRect Units(int x, int y, int w, int h) {
  auto px = [](int u) { return static_cast<int>(u * kPixelsPerUnit + 0.5); };
  return {px(x), px(y), px(w), px(h)};
}


}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_title(new QLabel(this)),
      m_middle(new QLabel(this)),
      m_lower(new QLabel(this)),
      m_ok(new QPushButton(this)) {
  setFixedSize(Units(0, 0, 245, 71).size());
  auto* icon = new QLabel(this);
  icon->setGeometry(Units(11, 17, 20, 20));
  icon->setPixmap(QIcon(QStringLiteral(":/app/lumivane.png")).pixmap(icon->size()));
  m_title->setGeometry(Units(36, 18, 196, 8));
  m_middle->setGeometry(Units(36, 33, 187, 8));
  m_lower->setGeometry(Units(36, 48, 139, 8));
  m_ok->setGeometry(Units(182, 44, 50, 14));
  m_ok->setDefault(true);
  connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

  setWindowTitle(RowText(TextRow::AboutCaption));
  m_ok->setText(RowText(TextRow::Ok));
  m_title->setText(RowText(TextRow::ProductTitleVersion));
  m_middle->setText(RowText(TextRow::AboutMiddleLine));
  m_lower->setText(RowText(TextRow::AboutLowerLine));
}
