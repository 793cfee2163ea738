#include "app/ui/single_instance.h"

#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>
#include <unistd.h>

#include <cctype>

namespace lumivane {

namespace {

// A frame is a 32-bit big-endian byte count and the UTF-8 text; the answer is one byte.
constexpr char kAck = '1';
constexpr qint64 kMaxCommandLineBytes = 1 << 20;

}  // namespace

QString InstanceServerName() {
  const QByteArray override = qgetenv("LUMIVANE_INSTANCE_NAME");
  if (!override.isEmpty()) return QString::fromLocal8Bit(override);
  return InstanceServerNameFor(::getuid(), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
}

QString InstanceServerNameFor(unsigned uid, const QByteArray& waylandDisplay, const QByteArray& x11Display) {
  QByteArray display = waylandDisplay;
  if (display.isEmpty()) {
    display = x11Display;
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.lastIndexOf('.');
    if (colon >= 0 && dot > colon) display.truncate(dot);
  }
  // A Wayland socket may be named by its path; a slash would make the name a path of its own.
  for (char& c : display) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return QStringLiteral("lumivane-OTDR-%1-%2").arg(uid).arg(QString::fromLatin1(display));
}

bool HandToRunningInstance(const QString& name, const std::string& commandLine, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(timeoutMs)) return false;
  QByteArray frame;
  QDataStream(&frame, QIODevice::WriteOnly) << static_cast<quint32>(commandLine.size());
  frame.append(commandLine.data(), static_cast<qsizetype>(commandLine.size()));
  socket.write(frame);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  if (!socket.waitForReadyRead(timeoutMs)) return false;
  return socket.read(1) == QByteArray(1, kAck);
}

InstanceServer::InstanceServer(QString name, Receiver receiver, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_receiver(std::move(receiver)), m_server(new QLocalServer(this)) {
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::Accept);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listen() {
  // Listening takes the name over even from a running instance, so ask first whether one answers.
  // A socket file left behind by a program that ended abnormally answers nobody and is replaced.
  QLocalSocket probe;
  probe.connectToServer(m_name);
  if (probe.waitForConnected(500)) return false;
  QLocalServer::removeServer(m_name);
  return m_server->listen(m_name);
}

void InstanceServer::Accept() {
  while (QLocalSocket* socket = m_server->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (socket->property("done").toBool()) return;
      if (socket->bytesAvailable() < 4) return;
      quint32 size = 0;
      const QByteArray head = socket->peek(4);
      QDataStream(head) >> size;
      if (size > kMaxCommandLineBytes) {
        socket->abort();
        return;
      }
      if (socket->bytesAvailable() < 4 + static_cast<qint64>(size)) return;
      socket->read(4);
      const QByteArray text = socket->read(size);
      socket->setProperty("done", true);
      socket->write(QByteArray(1, kAck));
      socket->flush();
      // The open may show a message box; the sender must not wait for it.
      QTimer::singleShot(0, this, [this, line = text.toStdString()] { m_receiver(line); });
    });
  }
}

}  // namespace lumivane
