#pragma once
// The program's message sink: modal message boxes captioned with the application title.
#include <QPointer>
#include <QString>

#include "platform/message_sink.h"

class QWidget;

namespace lumivane {

class QtMessageSink final : public MessageSink {
 public:
  /// Boxes are captioned `caption` and centred over `parent` (the main window; may be null).
  explicit QtMessageSink(QString caption, QWidget* parent = nullptr);

  /// Changes the window the boxes are centred over (the main window exists after the sink).
  void SetParent(QWidget* parent);

  void ShowMessage(std::string_view text, MessageIcon icon) override;
  Reply Ask(std::string_view text, QuestionButtons buttons) override;

 private:
  QString caption_;
  QPointer<QWidget> parent_;
};

}  // namespace lumivane
