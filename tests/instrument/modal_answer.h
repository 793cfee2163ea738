#pragma once
// Answers a modal dialog from the event loop that runs it, so a test never blocks on one.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

namespace lumivane::test {

/// Polls for the active modal widget of type T and hands it to `act` once `ready` says so; gives
/// up (and lets the test fail on its own checks) after `timeoutMs`.
template <typename T>
void WhenModal(std::function<void(T&)> act, std::function<bool(T&)> ready = {}, int timeoutMs = 10000) {
  auto* timer = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(timer, &QTimer::timeout, [timer, clock, act, ready, timeoutMs] {
    auto* widget = qobject_cast<T*>(QApplication::activeModalWidget());
    const bool go = widget != nullptr && (!ready || ready(*widget));
    if (!go && clock->elapsed() < timeoutMs) return;
    timer->stop();
    timer->deleteLater();
    if (widget != nullptr) {
      act(*widget);
    } else if (QWidget* other = QApplication::activeModalWidget()) {
      other->close();
    }
  });
  timer->start(10);
}

}  // namespace lumivane::test
