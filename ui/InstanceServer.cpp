#include "ui/InstanceServer.h"

#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QUrl>

namespace quillon::ui {
namespace {

constexpr char kBegin[] = "OPEN\n";
constexpr char kEnd[] = "END\n";
constexpr char kAnswer[] = "OK\n";
// A client that never finishes its request is dropped after this long.
constexpr int kRequestTimeoutMs = 5000;

}  // namespace

InstanceServer::InstanceServer(QObject* parent) : QObject(parent), m_server(new QLocalServer(this)) {
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::OnNewConnection);
}

InstanceServer::~InstanceServer() { m_server->close(); }

QString InstanceServer::ServerName() {
  const QString explicitName = qEnvironmentVariable("QUILLON_INSTANCE_SOCKET");
  if (!explicitName.isEmpty()) return explicitName;
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return QDir(runtime).filePath(QStringLiteral("quillon-instance"));
  return QDir(QDir::tempPath()).filePath(QStringLiteral("quillon-%1-instance").arg(::getuid()));
}

bool InstanceServer::Listen() {
  const QString name = ServerName();
  if (m_server->listen(name)) return true;
  if (m_server->serverError() != QAbstractSocket::AddressInUseError) return false;
  // The socket file exists: a running program answers on it, one that ended
  // left it behind.
  QLocalSocket probe;
  probe.connectToServer(name);
  if (probe.waitForConnected(500)) {
    probe.disconnectFromServer();
    return false;
  }
  QLocalServer::removeServer(name);
  return m_server->listen(name);
}

bool InstanceServer::IsListening() const { return m_server->isListening(); }

void InstanceServer::OnNewConnection() {
  while (QLocalSocket* socket = m_server->nextPendingConnection()) {
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kRequestTimeoutMs, socket, [socket] { socket->abort(); });
    OnReadyRead(socket);
  }
}

void InstanceServer::OnReadyRead(QLocalSocket* socket) {
  QByteArray buffer = socket->property("request").toByteArray() + socket->readAll();
  socket->setProperty("request", buffer);
  if (!buffer.endsWith(kEnd)) return;
  QList<QByteArray> lines = buffer.split('\n');
  if (lines.isEmpty() || lines.front() + '\n' != kBegin) {
    socket->abort();
    return;
  }
  QStringList files;
  for (int i = 1; i < lines.size(); ++i) {
    if (lines[i] + '\n' == kEnd) break;
    const QUrl url = QUrl::fromEncoded(lines[i]);
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  socket->setProperty("request", QByteArray());
  socket->write(kAnswer);
  socket->flush();
  socket->disconnectFromServer();
  if (!files.isEmpty()) emit OpenRequested(files);
}

bool InstanceServer::SendOpenRequest(const QStringList& files, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(ServerName());
  if (!socket.waitForConnected(timeoutMs)) return false;
  QByteArray request(kBegin);
  for (const QString& file : files) request += QUrl::fromLocalFile(file).toEncoded() + '\n';
  request += kEnd;
  socket.write(request);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  QByteArray answer;
  while (!answer.contains('\n')) {
    if (!socket.waitForReadyRead(timeoutMs)) return false;
    answer += socket.readAll();
  }
  return answer == kAnswer;
}

}  // namespace quillon::ui
