#include "gui/app/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

namespace quillet {

TSingleInstance::TSingleInstance(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

TSingleInstance::~TSingleInstance() {
  if (m_server) m_server->close();
}

QString TSingleInstance::NameFor(const std::string& appFolder) {
  const QByteArray hash =
      QCryptographicHash::hash(QByteArray::fromStdString(appFolder), QCryptographicHash::Sha1).toHex().left(12);
  return QStringLiteral("QUILLET_MUTEX-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

bool TSingleInstance::HandOver(int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(m_name);
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(QByteArray::number(kHandOverMessage) + '\n');
  socket.waitForBytesWritten(timeoutMs);
  // Wait for the running instance to take it, so that it is not lost when
  // this process ends at once.
  socket.waitForReadyRead(timeoutMs);
  socket.disconnectFromServer();
  return true;
}

bool TSingleInstance::Listen() {
  m_server = new QLocalServer(this);
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  connect(m_server, &QLocalServer::newConnection, this, &TSingleInstance::OnNewConnection);
  if (m_server->listen(m_name)) return true;
  // Nobody answered HandOver, so a socket file that is still there was left
  // by a run that ended without closing it.
  QLocalServer::removeServer(m_name);
  return m_server->listen(m_name);
}

void TSingleInstance::OnNewConnection() {
  while (QLocalSocket* socket = m_server->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      const QByteArray line = socket->readLine().trimmed();
      if (line.toInt() != kHandOverMessage) return;
      socket->write("ok\n");
      socket->flush();
      emit HandOverReceived();
    });
  }
}

}  // namespace quillet
