#pragma once
// The start-up picture. It is shown only when "SnpSplash.bmp" lies in the current folder, goes two
// seconds after it appeared, and the first key press or click anywhere in the program only closes it.
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class CSplashWnd final : public QWidget {
  Q_OBJECT

 public:
  /// The picture's file name, looked up in the current folder.
  static constexpr const char* kPictureName = "SnpSplash.bmp";
  /// How long the picture stays, counted from its creation.
  static constexpr int kShowMilliseconds = 2000;

  /// Sets whether ShowSplash shows anything.
  static void EnableSplash(bool enable);
  /// Creates and shows the splash over `parent` once; nothing when disabled, already shown or the
  /// picture cannot be read.
  static void ShowSplash(QWidget* parent);
  /// Takes a key press or click while the splash is shown: closes the splash and returns true.
  static bool FilterSplashMessage(QEvent* event);
  /// Closes the splash and repaints its parent.
  static void HideSplash();
  /// The splash on screen, or null.
  static CSplashWnd* Current();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CSplashWnd(QPixmap picture, QWidget* parent);

  QPixmap m_picture;
  static inline QPointer<CSplashWnd> s_current;
  static inline bool s_enabled = false;
};
