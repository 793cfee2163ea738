#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
  // A test may name the offscreen screen it runs on (size, scale); any other platform gives way.
  if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QStringLiteral("offscreen"))) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
