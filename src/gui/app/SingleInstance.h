// One running Quillet per user and program folder. The first start listens on
// a local socket; a later start finds it, sends the hand-over message (1124,
// the number the window message had) and ends without opening a window. The
// first then restores and raises its window.
//
// The name carries the user id and a hash of the program folder: two users,
// or two diaries kept in different program folders, never hand over to each
// other, while a second start on the same folder always finds the first.
#pragma once

#include <QObject>
#include <QString>
#include <string>

class QLocalServer;

namespace quillet {

class TSingleInstance : public QObject {
  Q_OBJECT

public:
  explicit TSingleInstance(QString name, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // "QUILLET_MUTEX-<uid>-<hash of the folder>".
  static QString NameFor(const std::string& appFolder);

  // True when another instance took the hand-over: the caller ends at once.
  // Waits at most `timeoutMs` for the running one to answer the connection.
  bool HandOver(int timeoutMs = 2000);
  // Becomes the running instance. A socket left behind by a crashed run is
  // removed first. False when listening failed (the program still runs).
  bool Listen();

signals:
  void HandOverReceived();

private:
  void OnNewConnection();

  QString m_name;
  QLocalServer* m_server = nullptr;
};

inline constexpr int kHandOverMessage = 1124;

}  // namespace quillet
