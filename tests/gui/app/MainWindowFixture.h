// The main window on a temporary program folder, as the GUI tests build it:
// a fixed date and clock, errors collected instead of shown, and settings
// written before the window starts.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/app/HIniFile.h"
#include "core/store/UDate.h"
#include "gui/app/UMain.h"

namespace quillet::test {

class TMainWindowFixture : public ::testing::Test {
protected:
  QTemporaryDir dir;
  std::string app;      // the program folder, ending in "/"
  QStringList messages;  // what the window reported as errors

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    app = dir.path().toStdString() + "/";
  }
  std::string Ini() const { return app + "Option/quillet.ini"; }

  TStartupEnv BaseEnv(TDate today = MakeDate(2005, 3, 7), int hour = 12) {
    TStartupEnv env;
    env.appFolder = app;
    env.today = today;
    env.hour = hour;
    env.clock = [today] { return TDateTime{today}; };
    env.reportError = [this](const QString& text) { messages << text; };
    // No modal box may wait for a user who is not there.
    env.askText = [](const QString&, const QString&, const QString&, bool) { return std::optional<QString>(); };
    env.askYesNo = [](const QString&) { return true; };
    return env;
  }
  // Writes the settings file before a window reads it.
  void Settings(const std::function<void(THIniFile&)>& fill) {
    QDir().mkpath(QString::fromStdString(app + "Option"));
    THIniFile ini(Ini(), true);
    fill(ini);
    ASSERT_TRUE(ini.UpdateFile());
  }
  // Writes a file under the program folder, making its folders.
  void Write(const std::string& relative, const std::string& bytes) {
    const std::filesystem::path path = app + relative;
    std::filesystem::create_directories(path.parent_path());
    QFile file(QString::fromStdString(path.string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
  // A file's bytes, or "<missing>".
  static std::string Read(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
  }
};

}  // namespace quillet::test
