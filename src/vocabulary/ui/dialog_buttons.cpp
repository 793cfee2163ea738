#include "vocabulary/ui/dialog_buttons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "vocabulary/ui/row_text.h"

namespace {

constexpr int kRowOk = 105;
constexpr int kRowCancel = 106;

}  // namespace

void AddOkCancel(QDialog& dialog, QBoxLayout& layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(RowText(kRowOk));
  buttons->button(QDialogButtonBox::Cancel)->setText(RowText(kRowCancel));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout.addWidget(buttons);
}
