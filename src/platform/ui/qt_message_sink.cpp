#include "platform/ui/qt_message_sink.h"

#include <QMessageBox>
#include <utility>

namespace lumivane {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Information: break;
  }
  return QMessageBox::Information;
}

}  // namespace

QtMessageSink::QtMessageSink(QString caption, QWidget* parent) : caption_(std::move(caption)), parent_(parent) {}

void QtMessageSink::SetParent(QWidget* parent) { parent_ = parent; }

void QtMessageSink::ShowMessage(std::string_view text, MessageIcon icon) {
  QMessageBox box(BoxIcon(icon), caption_, FromUtf8(text), QMessageBox::Ok, parent_);
  box.exec();
}

Reply QtMessageSink::Ask(std::string_view text, QuestionButtons buttons) {
  QMessageBox::StandardButtons set = QMessageBox::Yes | QMessageBox::No;
  QMessageBox::StandardButton first = QMessageBox::Yes;
  if (buttons == QuestionButtons::YesNoCancel) set |= QMessageBox::Cancel;
  if (buttons == QuestionButtons::OkCancel) {
    set = QMessageBox::Ok | QMessageBox::Cancel;
    first = QMessageBox::Ok;
  }
  QMessageBox box(QMessageBox::Question, caption_, FromUtf8(text), set, parent_);
  // Enter confirms with the first button; Escape cancels.
  box.setDefaultButton(first);
  // Escape and the close box give the same answer as an unattended question.
  const Reply dismissed = DismissReply(buttons);
  box.setEscapeButton(dismissed == Reply::No ? QMessageBox::No : QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes: return Reply::Yes;
    case QMessageBox::No: return Reply::No;
    case QMessageBox::Ok: return Reply::Ok;
    case QMessageBox::Cancel: return Reply::Cancel;
    default: return dismissed;
  }
}

}  // namespace lumivane
