#include "app/ui/splash_wnd.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {

// Hides the splash at the first key press or click anywhere in the program and eats that event.
class SplashFilter final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (CSplashWnd::FilterSplashMessage(event)) return true;
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

CSplashWnd::CSplashWnd(QPixmap picture, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(std::move(picture)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFixedSize(m_picture.size());
  const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) move(screen->availableGeometry().center() - rect().center());
  auto* filter = new SplashFilter(this);
  qApp->installEventFilter(filter);
  QTimer::singleShot(kShowMilliseconds, this, &CSplashWnd::HideSplash);
}

void CSplashWnd::EnableSplash(bool enable) { s_enabled = enable; }

void CSplashWnd::ShowSplash(QWidget* parent) {
  if (!s_enabled || s_current != nullptr) return;
  QPixmap picture;
  if (!picture.load(QString::fromLatin1(kPictureName)) || picture.isNull()) return;
  s_current = new CSplashWnd(std::move(picture), parent);
  s_current->show();
  s_current->repaint();
}

bool CSplashWnd::FilterSplashMessage(QEvent* event) {
  if (s_current == nullptr) return false;
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Claimed for the key press that follows, so a key bound to a command reaches this filter
      // instead of running the command.
      event->accept();
      return true;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
      HideSplash();
      return true;
    default:
      return false;
  }
}

void CSplashWnd::HideSplash() {
  if (s_current == nullptr) return;
  QWidget* parent = s_current->parentWidget();
  // Where the platform let the picture take the focus, the main window gets it back; otherwise its
  // keys would do nothing until the user clicks it.
  const bool hadFocus = s_current->isActiveWindow();
  s_current->close();
  s_current = nullptr;
  if (parent == nullptr) return;
  if (hadFocus && parent->isVisible()) parent->activateWindow();
  parent->repaint();
}

CSplashWnd* CSplashWnd::Current() { return s_current; }

void CSplashWnd::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, m_picture);
}
