#include "app/ui/first_paint_exit.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdlib>
#include <utility>

#include "app/startup_hooks.h"

namespace {

class FirstPaintExit final : public QObject {
 public:
  FirstPaintExit(std::function<bool(const QObject*)> isWantedPaint, QObject* parent)
      : QObject(parent), m_isWantedPaint(std::move(isWantedPaint)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // The paint itself runs first; the process ends from the event loop right after it, without
    // tearing anything down, so the measured time is the start alone.
    if (event->type() == QEvent::Paint && m_isWantedPaint(watched)) {
      QTimer::singleShot(0, [] { std::_Exit(EXIT_SUCCESS); });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<bool(const QObject*)> m_isWantedPaint;
};

}  // namespace

void InstallFirstPaintExit(std::function<bool(const QObject*)> isWantedPaint) {
  if (!ExitAtFirstPaintRequested()) return;
  qApp->installEventFilter(new FirstPaintExit(std::move(isWantedPaint), qApp));
}
