#include <QApplication>
#include <string>
#include <vector>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "platform/message_sink.h"
#include "platform/ui/qt_message_sink.h"

int main(int argc, char* argv[]) {
  QApplication qtApp(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Lumivane"));
  QCoreApplication::setApplicationName(QStringLiteral("lumivane"));
  // Message boxes carry the application title; the main window is not there yet when the first
  // open reports, so they centre on the screen.
  lumivane::QtMessageSink sink(QStringLiteral("Lumivane"));
  lumivane::ScopedMessageSink installed(sink);

  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);

  COtdrApp app;
  if (!app.InitInstance(arguments)) return app.ExitInstance();
  sink.SetParent(app.MainFrame());
  const int loopResult = QApplication::exec();
  const int exitCode = app.ExitInstance();
  return loopResult != 0 ? loopResult : exitCode;
}
