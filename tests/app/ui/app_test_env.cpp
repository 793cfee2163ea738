#include "app_test_env.h"

#include <QCoreApplication>
#include <QSettings>
#include <atomic>
#include <unistd.h>

#include "app/ui/otdr_app.h"
#include "document/display_state.h"
#include "sor_image_builder.h"
#include "traceview/zoom_state.h"
#include "vocabulary/length_unit.h"

namespace lumivane::test {

void Settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

AppTestEnv::AppTestEnv() : previousSink_(InstallMessageSink(&sink_)) {
  static std::atomic<int> counter{0};
  instanceName_ = QStringLiteral("lumivane-test-%1-%2").arg(::getpid()).arg(counter++);
  qputenv("LUMIVANE_INSTANCE_NAME", instanceName_.toLocal8Bit());
  qputenv("LUMIVANE_NO_SPLASH", "1");
  qputenv("LUMIVANE_NO_STARTUP_PAUSE", "1");
  QCoreApplication::setOrganizationName(QStringLiteral("LumivaneTest"));
  QCoreApplication::setApplicationName(QStringLiteral("lumivane"));
  const QString settingsDir = QString::fromStdString(dir_.Path("settings"));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir);
  ResetDisplayState();
  ResetZoomState();
  ResetLengthUnit();
  NextColourSlot = 0;
  ActivePane = 0;
}

AppTestEnv::~AppTestEnv() {
  Stop();
  InstallMessageSink(previousSink_);
}

COtdrApp* AppTestEnv::Start(const std::vector<std::string>& arguments) {
  app_ = std::make_unique<COtdrApp>();
  if (!app_->InitInstance(arguments)) app_.reset();
  return app_.get();
}

void AppTestEnv::Stop() {
  if (!app_) return;
  app_->ExitInstance();
  app_.reset();
}

std::string AppTestEnv::WriteTrace(const std::string& name) const { return dir_.WriteFile(name, MakeSampleSorV2()); }

}  // namespace lumivane::test
