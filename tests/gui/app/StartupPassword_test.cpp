// The real program with a start-up password, on an X server of its own and
// answered through xdotool: a wrong password and a cancel both end the
// process with no main window shown and nothing written, and the next start
// asks again instead of handing over to a hidden first one.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdio>

#include <memory>

#include "core/app/HIniFile.h"
#include "core/crypto/USecurity.h"
#include "gui/app/Application.h"

using namespace quillet;

namespace {

// The program's main window is the only one whose title ends so.
const QString kMainTitle = " - Quillet$";

class StartupPasswordTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString folder;
  QProcess xvfb;
  QString display;
  std::vector<std::unique_ptr<QProcess>> apps;
  bool mainShown = false;

  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool"})
      if (QStandardPaths::findExecutable(tool).isEmpty())
        GTEST_SKIP() << tool << " is not installed (tools/install-deps.sh installs it)";
    ASSERT_TRUE(dir.isValid());
    folder = dir.path() + "/";
    // The server picks a free display and writes its number to standard output.
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
    ASSERT_TRUE(xvfb.waitForStarted(5000));
    QElapsedTimer timer;
    timer.start();
    while (!xvfb.canReadLine() && timer.elapsed() < 10000) xvfb.waitForReadyRead(200);
    const QByteArray number = xvfb.readLine().trimmed();
    ASSERT_FALSE(number.isEmpty()) << "Xvfb gave no display";
    display = ":" + QString::fromLatin1(number);
  }

  void TearDown() override {
    for (auto& app : apps)
      if (app->state() != QProcess::NotRunning) {
        app->kill();
        app->waitForFinished(2000);
      }
    if (xvfb.state() != QProcess::NotRunning) {
      xvfb.terminate();
      if (!xvfb.waitForFinished(2000)) xvfb.kill();
      xvfb.waitForFinished(2000);
    }
  }

  QProcessEnvironment Env() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QUILLET_APP_FOLDER", folder);
    return env;
  }

  // Runs xdotool to its end; its standard output, empty when nothing matched.
  QString XDoTool(const QStringList& args) const {
    QProcess tool;
    tool.setProcessEnvironment(Env());
    tool.start("xdotool", args);
    if (!tool.waitForFinished(3000)) {
      tool.kill();
      tool.waitForFinished(1000);
      return {};
    }
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
  }

  // The first window of `app` mapped with a title matching `title`.
  QString MappedWindow(const QProcess& app, const QString& title) const {
    return XDoTool({"search", "--all", "--onlyvisible", "--pid", QString::number(app.processId()), "--name", title})
        .section('\n', 0, 0);
  }

  // Whether the main window shows is checked at every step of every wait.
  void WatchMain(const QProcess& app) {
    if (app.state() == QProcess::Running && !MappedWindow(app, kMainTitle).isEmpty()) mainShown = true;
  }

  QProcess& Start() {
    apps.push_back(std::make_unique<QProcess>());
    QProcess& app = *apps.back();
    app.setProcessEnvironment(Env());
    app.start(QUILLET_BINARY, {});
    EXPECT_TRUE(app.waitForStarted(5000));
    return app;
  }

  // Waits for a window of `app` titled `title`; empty when `app` ended first
  // or the time ran out.
  QString WaitForWindow(QProcess& app, const QString& title, int timeoutMs = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && app.state() == QProcess::Running) {
      WatchMain(app);
      const QString window = MappedWindow(app, title);
      if (!window.isEmpty()) return window;
      app.waitForFinished(50);
    }
    return {};
  }

  // Gives `window` the keyboard and sends it keys, as a user would.
  void Keys(const QString& window, const QStringList& keys, const QString& text = {}) {
    XDoTool({"windowfocus", window});
    if (!text.isEmpty()) XDoTool({"type", "--delay", "20", text});
    XDoTool(QStringList{"key"} + keys);
  }

  // Starts the program and waits for its password box. A start that failed
  // on its own before asking (the display refused it on a loaded machine)
  // ends with a non-zero status and is tried once more; a hand-over to a
  // running first instance would end with status 0 and is not.
  QProcess& StartAsking(QString& ask) {
    QProcess* app = &Start();
    ask = WaitForWindow(*app, "パスワード照合");
    if (ask.isEmpty() && app->state() == QProcess::NotRunning && app->exitCode() != 0) {
      std::fprintf(stderr, "a start ended with status %d: %s\n", app->exitCode(),
                   app->readAllStandardError().constData());
      app = &Start();
      ask = WaitForWindow(*app, "パスワード照合");
    }
    return *app;
  }

  bool WaitForExit(QProcess& app, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
      WatchMain(app);
      if (app.waitForFinished(50) || app.state() == QProcess::NotRunning) return true;
    }
    return false;
  }
};

TEST_F(StartupPasswordTest, WrongPasswordAndCancelEndTheProgramAndTheNextStartAsksAgain) {
  {
    QDir().mkpath(folder + "Option");
    THIniFile ini((folder + "Option/quillet.ini").toStdString(), true);
    ini.WriteBool("Window", "Entry", true);
    ini.WriteString("Window", "EntryText", Scramble("secret"));
    ASSERT_TRUE(ini.UpdateFile());
  }
  QFile settingsFile(folder + "Option/quillet.ini");
  ASSERT_TRUE(settingsFile.open(QIODevice::ReadOnly));
  const QByteArray settings = settingsFile.readAll();
  settingsFile.close();

  // A wrong password: the refusal message, then the end.
  QString ask;
  QProcess& first = StartAsking(ask);
  ASSERT_FALSE(ask.isEmpty()) << "no password dialog (exit code " << first.exitCode()
                              << "): " << first.readAllStandardError().toStdString();
  Keys(ask, {"Return"}, "wrong");
  const QString refusal = WaitForWindow(first, "^Quillet$");
  ASSERT_FALSE(refusal.isEmpty()) << "no refusal message";
  Keys(refusal, {"Return"});
  ASSERT_TRUE(WaitForExit(first)) << "the refused program kept running";
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first.exitCode(), kExitStartupRefused);

  // The next start asks again (nobody is left to hand over to); a cancel
  // ends it the same way.
  QString again;
  QProcess& second = StartAsking(again);
  ASSERT_FALSE(again.isEmpty()) << "the second start did not ask for the password (exit code "
                                << second.exitCode() << "): " << second.readAllStandardError().toStdString();
  Keys(again, {"Escape"});
  ASSERT_TRUE(WaitForExit(second)) << "the cancelled program kept running";
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), kExitStartupRefused);

  EXPECT_FALSE(mainShown) << "the main window was shown";
  ASSERT_TRUE(settingsFile.open(QIODevice::ReadOnly));
  EXPECT_EQ(settingsFile.readAll(), settings) << "the settings were written";
  EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Option"})
      << "the diary was touched";
}

}  // namespace
