#include "platform/ui/length_unit_setting.h"

#include <QSettings>
#include <QString>

namespace lumivane {
namespace {

constexpr auto kOrganisation = "DovOvad";
constexpr auto kApplication = "Value";
constexpr auto kKey = "Unit";
// The stored text was read into a buffer of ten characters with its terminator; a longer text did
// not fit and the reader kept its preset unit.
constexpr qsizetype kMaxLabelLength = 9;

}  // namespace

std::string ReadStoredLengthUnit() {
  const QSettings settings(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication));
  QString label = settings.value(QString::fromLatin1(kKey)).toString();
  // The text ends at its first terminator, as a C string would.
  const qsizetype terminator = label.indexOf(QChar(u'\0'));
  if (terminator >= 0) label.truncate(terminator);
  if (label.isEmpty() || label.size() > kMaxLabelLength) return std::string(kDefaultLengthUnit);
  return label.toStdString();
}

bool WriteStoredLengthUnit(std::string_view label) {
  QSettings settings(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication));
  settings.setValue(QString::fromLatin1(kKey),
                    QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())));
  settings.sync();
  return settings.status() == QSettings::NoError;
}

}  // namespace lumivane
