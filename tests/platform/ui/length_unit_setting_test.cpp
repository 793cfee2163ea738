#include "platform/ui/length_unit_setting.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QString>
#include <filesystem>

#include "temp_dir.h"

using namespace lumivane;

namespace {

// Points the user settings at a temporary folder, so the test never sees or changes the real ones.
class LengthUnitSetting : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString folder = QString::fromStdString(dir_.path().string());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
  }
  void StoreRaw(const QString& text) {
    QSettings settings(QStringLiteral("DovOvad"), QStringLiteral("Value"));
    settings.setValue(QStringLiteral("Unit"), text);
  }
  test::TempDir dir_;
};

}  // namespace

TEST_F(LengthUnitSetting, NothingStoredReadsKm) { EXPECT_EQ(ReadStoredLengthUnit(), "km"); }

TEST_F(LengthUnitSetting, WrittenUnitIsReadBackFromTheRedirectedFolder) {
  for (const char* unit : {"kft", "mi", "km"}) {
    ASSERT_TRUE(WriteStoredLengthUnit(unit));
    EXPECT_EQ(ReadStoredLengthUnit(), unit);
  }
  EXPECT_TRUE(std::filesystem::exists(dir_.path() / "DovOvad" / "Value.conf"));
}

TEST_F(LengthUnitSetting, HandEditedValues) {
  struct Case {
    QString stored;
    const char* expected;
  };
  const Case cases[] = {
      {QStringLiteral("xyz"), "xyz"},  // the caller keeps the label and selects no radio
      {QStringLiteral("123456789"), "123456789"},
      {QStringLiteral("1234567890"), "km"},  // too long to be a unit
      {QString(), "km"},
      {QStringLiteral("kft") + QChar(u'\0') + QStringLiteral("junk"), "kft"},
  };
  for (const Case& c : cases) {
    StoreRaw(c.stored);
    EXPECT_EQ(ReadStoredLengthUnit(), c.expected) << c.stored.toStdString();
  }
}
