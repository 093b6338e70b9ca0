#pragma once
// One running Quillon per user takes the drivers a second start is given:
// "quillon tv.vir" while the program runs sends the file to it over a local
// socket and ends, as a desktop's open request would. The socket lives in the
// user's runtime folder; one left behind by a program that ended is replaced.
//
// The request is UTF-8 text: "OPEN\n", one file URL per line, "END\n"; the
// running program answers "OK\n" once it has the list.
#include <QObject>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace quillon::ui {

class InstanceServer : public QObject {
  Q_OBJECT

 public:
  explicit InstanceServer(QObject* parent = nullptr);
  ~InstanceServer() override;

  // $QUILLON_INSTANCE_SOCKET when set, else quillon-instance in
  // $XDG_RUNTIME_DIR, else quillon-<uid>-instance in the temporary folder.
  static QString ServerName();

  // Starts taking requests. False when another running program already
  // holds the socket, or it cannot be made.
  bool Listen();
  bool IsListening() const;

  // Asks the running program to open FILES (absolute paths). True when it
  // confirmed within TIMEOUTMS; false when none runs (or it did not answer).
  static bool SendOpenRequest(const QStringList& files, int timeoutMs = 3000);

 signals:
  void OpenRequested(const QStringList& files);

 private:
  void OnNewConnection();
  void OnReadyRead(QLocalSocket* socket);

  QLocalServer* m_server;
};

}  // namespace quillon::ui
