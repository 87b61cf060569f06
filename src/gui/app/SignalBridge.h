// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the user-interface
// thread. A logout or shutdown ends programs this way on Linux, and the diary
// must then run its normal close sequence rather than die with the day's text
// unsaved. The handler only writes one byte to a socket pair (async-signal
// safe); the rest happens in the event loop.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace quillet {

class TSignalBridge : public QObject {
  Q_OBJECT

public:
  explicit TSignalBridge(QObject* parent = nullptr);
  ~TSignalBridge() override;

signals:
  void TerminationRequested(int signalNumber);

private:
  void OnReadable();
  QSocketNotifier* m_notifier = nullptr;
};

}  // namespace quillet
