// The yardstick of the start-up benchmark: the smallest Qt widgets program that shows a window,
// ending right after the window's first paint the way the application's start-up hook does.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {

class EndAtFirstPaint final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) QTimer::singleShot(0, [] { std::_Exit(EXIT_SUCCESS); });
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(800, 600);
  window.installEventFilter(new EndAtFirstPaint(&window));
  window.show();
  return QApplication::exec();
}
