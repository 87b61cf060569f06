// The real program, started twice on one program folder: the second start
// hands over and ends at once; a termination signal runs the close sequence.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "gui/app/SingleInstance.h"

using namespace quillet;

namespace {

QProcessEnvironment EnvFor(const QString& folder) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QUILLET_APP_FOLDER", folder);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  return env;
}

bool WaitListening(const QString& name, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < timeoutMs) {
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(100)) return true;
    QThread::msleep(50);
  }
  return false;
}

TEST(SingleInstance, SecondStartHandsOverAndSignalClosesTheFirstCleanly) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString folder = dir.path() + "/";
  QProcess first;
  first.setProcessEnvironment(EnvFor(folder));
  first.start(QUILLET_BINARY, {});
  ASSERT_TRUE(first.waitForStarted(5000));
  ASSERT_TRUE(WaitListening(TSingleInstance::NameFor(folder.toStdString()), 15000));

  QProcess second;
  second.setProcessEnvironment(EnvFor(folder));
  second.start(QUILLET_BINARY, {});
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(first.state(), QProcess::Running);
  // The second start never read or wrote the settings.
  EXPECT_FALSE(QFile::exists(folder + "Option/quillet.ini"));

  // SIGTERM, as a logout sends it: the close sequence writes the settings.
  ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
  ASSERT_TRUE(first.waitForFinished(10000));
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first.exitCode(), 0);
  QFile ini(folder + "Option/quillet.ini");
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  const QByteArray text = ini.readAll();
  EXPECT_TRUE(text.contains("State=0\r\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("CoolBarID0=")) << text.toStdString();
}

TEST(SingleInstance, ALeftOverSocketDoesNotBlockTheNextStart) {
  QTemporaryDir dir;
  const QString name = TSingleInstance::NameFor(dir.path().toStdString() + "/stale");
  // A socket file left behind by a killed process: bound, never unlinked.
  const QByteArray path = QFile::encodeName(QDir::tempPath() + "/" + name);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(static_cast<size_t>(path.size()), sizeof(address.sun_path));
  std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
  ASSERT_TRUE(QFile::exists(QFile::decodeName(path)));
  TSingleInstance next(name);
  EXPECT_FALSE(next.HandOver(300));
  EXPECT_TRUE(next.Listen());
}

TEST(SingleInstance, NamesDifferPerProgramFolder) {
  EXPECT_NE(TSingleInstance::NameFor("/a/"), TSingleInstance::NameFor("/b/"));
  EXPECT_TRUE(TSingleInstance::NameFor("/a/").startsWith("QUILLET_MUTEX-"));
}

}  // namespace
