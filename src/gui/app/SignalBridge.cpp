#include "gui/app/SignalBridge.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillet {

namespace {

int g_fds[2] = {-1, -1};

void OnSignal(int signalNumber) {
  const auto byte = static_cast<unsigned char>(signalNumber);
  const int saved = errno;
  [[maybe_unused]] const ssize_t n = ::write(g_fds[0], &byte, 1);
  errno = saved;
}

}  // namespace

TSignalBridge::TSignalBridge(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0) return;
  ::fcntl(g_fds[0], F_SETFL, O_NONBLOCK);
  m_notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, &TSignalBridge::OnReadable);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signalNumber, &action, nullptr);
}

TSignalBridge::~TSignalBridge() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signalNumber, &action, nullptr);
  for (int& fd : g_fds) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void TSignalBridge::OnReadable() {
  unsigned char byte = 0;
  if (::read(g_fds[1], &byte, 1) == 1) emit TerminationRequested(byte);
}

}  // namespace quillet
