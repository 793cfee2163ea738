#include "platform/ui/qt_message_sink.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

using namespace lumivane;

namespace {

struct SeenBox {
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Waits for the next modal box, records it into the result and answers it with `answer`. When no
// box appears within a few seconds the poll ends, so the test fails instead of hanging.
std::shared_ptr<SeenBox> AnswerNextBox(std::function<void(QMessageBox&)> answer) {
  auto seen = std::make_shared<SeenBox>();
  auto* timer = new QTimer;
  auto polls = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box && ++*polls < 500) return;
    timer->stop();
    timer->deleteLater();
    if (!box) return;
    *seen = SeenBox{box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                    box->standardButton(box->defaultButton())};
    answer(*box);
  });
  timer->start(10);
  return seen;
}

}  // namespace

TEST(QtMessageSink, AsksWithTheButtonsAndReturnsTheChoice) {
  QtMessageSink sink(QStringLiteral("Lumivane"));
  const auto yesNo = QMessageBox::Yes | QMessageBox::No;
  const auto yesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  const auto okCancel = QMessageBox::Ok | QMessageBox::Cancel;
  struct Case {
    QuestionButtons buttons;
    QMessageBox::StandardButtons expectedSet;
    QMessageBox::StandardButton expectedDefault;
    QMessageBox::StandardButton click;  // NoButton: Escape or the close box
    Reply expected;
  };
  const Case cases[] = {
      {QuestionButtons::YesNo, yesNo, QMessageBox::Yes, QMessageBox::Yes, Reply::Yes},
      {QuestionButtons::YesNo, yesNo, QMessageBox::Yes, QMessageBox::No, Reply::No},
      {QuestionButtons::YesNo, yesNo, QMessageBox::Yes, QMessageBox::NoButton, Reply::No},
      {QuestionButtons::YesNoCancel, yesNoCancel, QMessageBox::Yes, QMessageBox::No, Reply::No},
      {QuestionButtons::YesNoCancel, yesNoCancel, QMessageBox::Yes, QMessageBox::NoButton, Reply::Cancel},
      {QuestionButtons::OkCancel, okCancel, QMessageBox::Ok, QMessageBox::Ok, Reply::Ok},
      {QuestionButtons::OkCancel, okCancel, QMessageBox::Ok, QMessageBox::NoButton, Reply::Cancel},
  };
  for (const Case& c : cases) {
    const auto seen = AnswerNextBox([&c](QMessageBox& box) {
      if (c.click == QMessageBox::NoButton) {
        box.reject();
      } else {
        box.button(c.click)->click();
      }
    });
    EXPECT_EQ(sink.Ask("Delete the Event ?", c.buttons), c.expected);
    EXPECT_EQ(seen->buttons, c.expectedSet);
    EXPECT_EQ(seen->defaultButton, c.expectedDefault);
    EXPECT_EQ(seen->icon, QMessageBox::Question);
    EXPECT_EQ(seen->caption, QStringLiteral("Lumivane"));
    EXPECT_EQ(seen->text, QStringLiteral("Delete the Event ?"));
  }
}

TEST(QtMessageSink, ShowsUtf8TextWithItsIconAndAnOkButton) {
  QtMessageSink sink(QStringLiteral("Lumivane"));
  const auto seen = AnswerNextBox([](QMessageBox& box) { box.accept(); });
  sink.ShowMessage("所有 – Can't find file !", MessageIcon::Error);
  EXPECT_EQ(seen->text, QString::fromUtf8("所有 – Can't find file !"));
  EXPECT_EQ(seen->icon, QMessageBox::Critical);
  EXPECT_EQ(seen->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}
