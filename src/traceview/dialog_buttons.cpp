#include "traceview/dialog_buttons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "app/text_table.h"

namespace {

constexpr int kRowOk = 105;
constexpr int kRowCancel = 106;

}  // namespace

QString DialogText(int row) { return QString::fromStdString(g_CurrentStrings[static_cast<std::size_t>(row)]); }

void AddOkCancel(QDialog& dialog, QBoxLayout& layout) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  buttons->button(QDialogButtonBox::Ok)->setText(DialogText(kRowOk));
  buttons->button(QDialogButtonBox::Cancel)->setText(DialogText(kRowCancel));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout.addWidget(buttons);
}
