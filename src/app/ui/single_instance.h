#pragma once
// One running program per user and desktop: the first start listens on a local socket, a later start hands its
// command line over that socket and ends. The running program opens the text as if it were its own
// command line.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QLocalServer;

namespace lumivane {

/// The socket name of this user's running instance on this desktop (WAYLAND_DISPLAY, else
/// DISPLAY); the environment variable LUMIVANE_INSTANCE_NAME replaces it (tests give each run its own).
QString InstanceServerName();

/// The socket name for user `uid` on the desktop named by `waylandDisplay` when it is not empty,
/// else by `x11Display` (whose screen number does not count: ":0" and ":0.0" are one desktop).
QString InstanceServerNameFor(unsigned uid, const QByteArray& waylandDisplay, const QByteArray& x11Display);

/// Hands `commandLine` (UTF-8) to the instance listening under `name`; true when it acknowledged
/// the text, false when no instance answers within `timeoutMs`.
bool HandToRunningInstance(const QString& name, const std::string& commandLine, int timeoutMs = 5000);

/// Listens for later starts and passes each received command line on.
class InstanceServer final : public QObject {
  Q_OBJECT

 public:
  using Receiver = std::function<void(const std::string&)>;

  /// `receiver` runs on the user-interface thread once the text is acknowledged.
  InstanceServer(QString name, Receiver receiver, QObject* parent = nullptr);
  ~InstanceServer() override;

  /// Starts listening; a socket left behind by an ended program is taken over. False on failure.
  bool Listen();

 private:
  void Accept();

  QString m_name;
  Receiver m_receiver;
  QLocalServer* m_server;
};

}  // namespace lumivane
