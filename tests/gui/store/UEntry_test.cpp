// A diary kept through the real main window on a temporary program folder:
// write, change day, restart and find the text again, plain and encrypted;
// the date commands; a failed write; the start-up password; the time-stamp
// watch; and the command-line companion reading what the window wrote.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <utime.h>

#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/crypto/USecurity.h"
#include "core/store/EntryStore.h"
#include "core/store/UDate.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/UMain.h"
#include "../app/MainWindowFixture.h"

using namespace quillet;

namespace {

std::string Sjis(const char* utf8) {
  std::string out;
  EXPECT_TRUE(FromUtf8(utf8, out)) << utf8;
  return out;
}

class EntryTest : public test::TMainWindowFixture {
protected:
  QStringList questions;
  std::optional<QString> answer;  // what the input box gives back
  bool yes = true;

  TStartupEnv Env(TDate today = MakeDate(2005, 3, 7)) {
    TStartupEnv env = BaseEnv(today);
    env.askText = [this](const QString& caption, const QString& prompt, const QString& text, bool) {
      questions << caption + "|" + prompt + "|" + text;
      return answer;
    };
    env.askYesNo = [this](const QString& text) {
      questions << text;
      return yes;
    };
    return env;
  }
  void KeySettings(bool encrypt, bool wordKey, const char* word) {
    Settings([&](THIniFile& ini) {
      ini.WriteBool("Window", "EnCrypt", encrypt);
      ini.WriteBool("Window", "Method", wordKey);
      ini.WriteString("Window", "Word", Scramble(word));
    });
  }
  // Replaces a saved entry as another program would, with a later time stamp.
  static void WriteLater(const std::string& path, const std::string& bytes) {
    QFile::setPermissions(QString::fromStdString(path), QFile::ReadOwner | QFile::WriteOwner);
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();
    const utimbuf later{std::time(nullptr) + 100, std::time(nullptr) + 100};
    ASSERT_EQ(::utime(path.c_str(), &later), 0);
  }
  static void Type(TFmMain& window, const std::string& sjis) {
    window.Editor().ReplaceSelection(sjis);
    ASSERT_TRUE(window.Editor().Modified());
  }
  std::string FileOf(int y, int m, int d) const {
    return app + std::to_string(y) + "/" + std::to_string(m) + "/" + std::to_string(d) + ".txt";
  }
};

TEST_F(EntryTest, TextAndTitleSurviveAChangeOfDayAndARestart) {
  const struct {
    const char* name;
    bool encrypt, wordKey;
  } rows[] = {{"plain", false, false}, {"number key", true, false}, {"word key", true, true}};
  for (const auto& row : rows) {
    KeySettings(row.encrypt, row.wordKey, "himitsu");
    const std::string body = Sjis("今日は雨だった。\r\n傘を忘れた①。");
    {
      TFmMain window(Env());
      Type(window, body);
      window.TitleEdit()->setText("雨の日");
      emit window.TitleEdit()->textEdited("雨の日");
      EXPECT_EQ(window.StatusBar().PanelText(spModified), "変更あり") << row.name;
      window.Action("ActNextOne")->trigger();
      EXPECT_EQ(window.windowTitle(), "2005/03/08 - Quillet") << row.name;
      EXPECT_TRUE(window.Editor().Text().empty()) << row.name;
      EXPECT_TRUE(window.StatusBar().PanelText(spModified).isEmpty()) << row.name;
    }
    const std::string stored = Read(FileOf(2005, 3, 7));
    EXPECT_EQ(stored == body, !row.encrypt) << row.name;
    TFmMain window(Env());
    EXPECT_EQ(window.Editor().Text(), body) << row.name;
    EXPECT_EQ(window.TitleEdit()->text(), "雨の日") << row.name;
    EXPECT_EQ(window.StatusBar().PanelText(spEncrypted), row.encrypt ? "暗号文章" : "") << row.name;
    EXPECT_EQ(window.CurrentFileName(), FileOf(2005, 3, 7)) << row.name;
    // Clear the day for the next row: empty text and title delete the entry.
    window.Editor().SetText("");
    window.Editor().SetModified(true);
    window.TitleEdit()->clear();
    ASSERT_TRUE(window.SaveEntry(false));
    EXPECT_EQ(Read(FileOf(2005, 3, 7)), "<missing>") << row.name;
  }
}

TEST_F(EntryTest, DateCommandsClampMonthsAndYears) {
  const struct {
    TDate start;
    const char* command;
    const char* caption;
  } rows[] = {
      {MakeDate(2005, 1, 31), "ActNextMonth", "2005/02/28"},
      {MakeDate(2005, 12, 30), "ActNextThree", "2006/01/02"},
      {MakeDate(2005, 3, 1), "ActPrevOne", "2005/02/28"},
  };
  for (const auto& row : rows) {
    TFmMain window(Env(row.start));
    window.Action(row.command)->trigger();
    EXPECT_EQ(window.windowTitle(), QString(row.caption) + " - Quillet") << row.command;
  }
}

TEST_F(EntryTest, DateCommandsStayInsideFourDigitYears) {
  const struct {
    TDate start;
    const char* command;
    TDate clock;  // what "today" answers
  } rows[] = {
      {MakeDate(9999, 12, 31), "ActNextOne", MakeDate(9999, 12, 31)},
      {MakeDate(9999, 6, 1), "ActNextYear", MakeDate(9999, 6, 1)},
      {MakeDate(1, 1, 1), "ActPrevOne", MakeDate(1, 1, 1)},
      {MakeDate(2005, 3, 7), "ActToday", MakeDate(10000, 1, 1)},  // a clock gone wrong
  };
  for (const auto& row : rows) {
    TStartupEnv env = Env(row.start);
    env.clock = [&row] { return TDateTime{row.clock}; };
    TFmMain window(env);
    Type(window, "kept");
    window.Action(row.command)->trigger();
    EXPECT_EQ(window.CurrentDate(), row.start) << row.command;
    EXPECT_EQ(window.Editor().Text(), "kept") << row.command;
    EXPECT_TRUE(window.Editor().Modified()) << row.command;
    EXPECT_EQ(window.StatusBar().PanelText(spMessage), "日付が範囲外です") << row.command;
  }
}

TEST_F(EntryTest, TodayAndTheDateBox) {
  TFmMain window(Env(MakeDate(2005, 3, 7)));
  Type(window, "x");
  // Today is open: nothing is saved or reloaded.
  window.Action("ActToday")->trigger();
  EXPECT_EQ(Read(FileOf(2005, 3, 7)), "<missing>");
  EXPECT_TRUE(window.Editor().Modified());
  // A cancelled date box re-opens the current date, saving it first.
  answer.reset();
  window.Action("ActCommandDate")->trigger();
  EXPECT_EQ(questions.last(), "日付の移動|指定日付|2005/03/07");
  EXPECT_EQ(Read(FileOf(2005, 3, 7)), "x");
  EXPECT_FALSE(window.Editor().Modified());
  answer = "2006/1/15";
  window.Action("ActCommandDate")->trigger();
  EXPECT_EQ(window.windowTitle(), "2006/01/15 - Quillet");
  answer = "2006/02/30";
  window.Action("ActCommandDate")->trigger();
  EXPECT_EQ(window.windowTitle(), "2006/01/15 - Quillet");
  EXPECT_EQ(window.StatusBar().PanelText(spMessage), "不正な日付です");
}

TEST_F(EntryTest, AFailedWriteKeepsTheDayTheTextAndTheMarks) {
  // A file where the year folder should be: the month folder cannot be made.
  QFile blocker(QString::fromStdString(app + "2005"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  TFmMain window(Env());
  Type(window, Sjis("大事な一日"));
  EXPECT_FALSE(window.ChangeDay(MakeDate(2005, 3, 8)));
  EXPECT_EQ(window.windowTitle(), "2005/03/07 - Quillet");
  EXPECT_EQ(window.Editor().Text(), Sjis("大事な一日"));
  EXPECT_TRUE(window.EntryModified());
  EXPECT_EQ(window.StatusBar().PanelText(spModified), "変更あり");
  // Once the way is clear, the next unforced save writes the text.
  ASSERT_TRUE(QFile::remove(QString::fromStdString(app + "2005")));
  EXPECT_TRUE(window.ChangeDay(MakeDate(2005, 3, 8)));
  EXPECT_EQ(Read(FileOf(2005, 3, 7)), Sjis("大事な一日"));
}

TEST_F(EntryTest, AnUnreadableEntryIsSetAsideBeforeItIsReplaced) {
  // A word-key file whose length is no multiple of 8 cannot be read.
  QDir().mkpath(QString::fromStdString(app + "2005/3"));
  {
    QFile body(QString::fromStdString(FileOf(2005, 3, 7)));
    ASSERT_TRUE(body.open(QIODevice::WriteOnly));
    body.write("0123456789");
    QFile meta(QString::fromStdString(app + "2005/3/Set.ini"));
    ASSERT_TRUE(meta.open(QIODevice::WriteOnly));
    meta.write("[7]\r\nTitle=t\r\nUseCode=1\r\nMethod=1\r\n");
  }
  TFmMain window(Env());
  EXPECT_EQ(window.StatusBar().PanelText(spMessage), "ファイルの読み込みに失敗しました");
  Type(window, "new text");
  ASSERT_TRUE(window.ChangeDay(MakeDate(2005, 3, 8)));
  EXPECT_EQ(Read(FileOf(2005, 3, 7) + ".bak"), "0123456789");
  EXPECT_NE(Read(FileOf(2005, 3, 7)), "<missing>");
}

TEST_F(EntryTest, AMissingDiaryFolderIsSaidAtStart) {
  // The program folder stands in for it; the user must know why the diary
  // looks empty.
  Settings([&](THIniFile& ini) { ini.WriteString("Window", "SavePath", app + "gone/"); });
  const TFmMain window(Env());
  EXPECT_EQ(window.StatusBar().PanelText(spMessage),
            QString::fromUtf8(kMsgSavePathMissing) + QString::fromStdString(app + "gone/"));
}

TEST_F(EntryTest, StartupPasswordRefusalsEndTheProgramWithoutTouchingTheDiary) {
  const struct {
    const char* name;
    const char* stored;
    std::optional<QString> typed;
    bool accepted;
    bool message;
  } rows[] = {
      {"right", "secret", QString("secret"), true, false},
      {"wrong", "secret", QString("Secret"), false, true},
      {"nothing stored", "", QString(""), false, true},
      {"cancelled", "secret", std::nullopt, false, false},
  };
  QDir().mkpath(QString::fromStdString(app + "2005/3"));
  QFile entry(QString::fromStdString(FileOf(2005, 3, 7)));
  ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
  entry.write("kept");
  entry.close();
  for (const auto& row : rows) {
    messages.clear();
    Settings([&](THIniFile& ini) {
      ini.WriteBool("Window", "Entry", true);
      ini.WriteString("Window", "EntryText", Scramble(row.stored));
    });
    answer = row.typed;
    const std::string settings = Read(app + "Option/quillet.ini");
    {
      TFmMain window(Env());
      EXPECT_EQ(questions.last().section('|', 0, 1), "パスワード照合|パスワードを入力して下さい") << row.name;
      EXPECT_EQ(window.StartupRefused(), !row.accepted) << row.name;
      EXPECT_EQ(messages.contains("パスワードが不正な為、Quilletを終了します"), row.message) << row.name;
      if (row.accepted) continue;
      EXPECT_EQ(window.Editor().Text(), "") << row.name << ": a refused session read the entry";
      Type(window, "must never reach the disk");
      window.ShowMain();
      EXPECT_FALSE(window.isVisible()) << row.name;
    }
    // The close sequence of the refused window wrote neither file.
    EXPECT_EQ(Read(FileOf(2005, 3, 7)), "kept") << row.name;
    EXPECT_EQ(Read(app + "Option/quillet.ini"), settings) << row.name;
  }
}

TEST_F(EntryTest, TimeStampWatchAsksBeforeReloading) {
  Settings([](THIniFile& ini) { ini.WriteBool("Window", "CheckTimeStump", true); });
  {
    TFmMain window(Env());
    Type(window, "first");
    ASSERT_TRUE(window.SaveEntry(true));
  }
  TFmMain window(Env());
  window.OnApplicationDeactivated();
  ASSERT_NO_FATAL_FAILURE(WriteLater(FileOf(2005, 3, 7), "second"));
  yes = true;
  window.OnApplicationActivated();
  EXPECT_EQ(questions.last(), "ファイルのタイムスタンプが変更されています\r\nファイルを読み直しますか？");
  EXPECT_EQ(window.Editor().Text(), "second");
  // Nothing changed since: no question.
  const qsizetype asked = questions.size();
  window.OnApplicationDeactivated();
  window.OnApplicationActivated();
  EXPECT_EQ(questions.size(), asked);
}

TEST_F(EntryTest, ExternalEditKeepsTheTextAndReloads) {
  // The text kept before the reload is as hard to read as the entry: plain
  // in Log.txt for a plain entry, encrypted beside the entry otherwise (it
  // once went to Log.txt in plain whatever the entry was).
  for (const bool encrypted : {false, true}) {
    KeySettings(encrypted, true, "kagi");
    TFmMain window(Env(MakeDate(2005, 3, encrypted ? 8 : 7)));
    Type(window, "before");
    ASSERT_TRUE(window.SaveEntry(true));
    window.OnApplicationDeactivated();
    window.SetExternalEditPending();
    const std::string path = FileOf(2005, 3, encrypted ? 8 : 7);
    ASSERT_NO_FATAL_FAILURE(WriteLater(path, encrypted ? EncryptWordKey("after", "kagi") : "after"));
    window.OnApplicationActivated();
    EXPECT_EQ(window.Editor().Text(), "after") << encrypted;
    EXPECT_EQ(Read(app + "Log.txt"), "before\r\n") << encrypted;  // the plain day's record alone
    if (encrypted) {
      std::string kept;
      ASSERT_TRUE(ReadWordKey(kept, path + ".bak", "kagi"));
      EXPECT_EQ(kept, "before");
    }
  }
  EXPECT_TRUE(questions.isEmpty());
}

TEST_F(EntryTest, CommandLineReadsWhatTheWindowWroteAndTheOtherWayRound) {
  KeySettings(true, true, "kagi");
  {
    TFmMain window(Env(MakeDate(2005, 3, 1)));
    for (int day = 1; day <= 31; ++day) {
      Type(window, Sjis("三月") + std::to_string(day) + Sjis("日の日記"));
      window.Action("ActNextOne")->trigger();
    }
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QUILLET_APP_FOLDER", QString::fromStdString(app));
  for (int day : {1, 15, 31}) {
    QProcess cat;
    cat.setProcessEnvironment(env);
    cat.start(QUILLET_CLI, {"cat", QString::asprintf("2005-03-%02d", day)});
    ASSERT_TRUE(cat.waitForFinished(10000));
    EXPECT_EQ(cat.exitCode(), 0) << cat.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(cat.readAllStandardOutput()).trimmed(), QString("三月%1日の日記").arg(day));
  }
  QProcess put;
  put.setProcessEnvironment(env);
  put.start(QUILLET_CLI, {"put", "2005-04-02", "--title", "四月"});
  put.write("コマンドから\n二行目\n");
  put.closeWriteChannel();
  ASSERT_TRUE(put.waitForFinished(10000));
  ASSERT_EQ(put.exitCode(), 0) << put.readAllStandardError().toStdString();
  TFmMain window(Env(MakeDate(2005, 4, 2)));
  EXPECT_EQ(window.Editor().Text(), Sjis("コマンドから\r\n二行目\r\n"));
  EXPECT_EQ(window.TitleEdit()->text(), "四月");
  EXPECT_EQ(window.StatusBar().PanelText(spEncrypted), "暗号文章");
}

TEST_F(EntryTest, CloseWithoutSavingKeepsTheOldEntryButWritesTheSettings) {
  {
    TFmMain window(Env());
    Type(window, "kept");
    ASSERT_TRUE(window.SaveEntry(true));
  }
  {
    TFmMain window(Env());
    Type(window, " and dropped");
    window.Action("ActClose")->trigger();
  }
  EXPECT_EQ(Read(FileOf(2005, 3, 7)), "kept");
  EXPECT_TRUE(QFile::exists(QString::fromStdString(app + "Option/quillet.ini")));
  {
    TFmMain window(Env());
    Type(window, "+saved");
    window.Action("ActExit")->trigger();
  }
  EXPECT_EQ(Read(FileOf(2005, 3, 7)), "+savedkept");  // the caret starts at the top
}

TEST_F(EntryTest, TransformsActOnTheFocusedSelectionOnly) {
  TFmMain window(Env());
  window.ShowMain();
  window.activateWindow();
  window.Editor().Widget()->setFocus();
  QApplication::processEvents();
  if (!window.Editor().HasFocus()) GTEST_SKIP() << "no keyboard focus on this platform";
  const struct {
    const char* command;
    std::string in, out;
  } rows[] = {
      {"ActUpperCase", Sjis("abc ｱ"), Sjis("ABC ｱ")},
      {"ActMultiByte", Sjis("ｶﾞｷﾞA"), Sjis("ガギＡ")},
      {"ActTrimRet", "a\r\nb", "ab"},
  };
  for (const auto& row : rows) {
    window.Editor().SetText(row.in);
    window.Editor().SelectAll();
    window.Action(row.command)->trigger();
    EXPECT_EQ(window.Editor().Text(), row.out) << row.command;
  }
  // No selection: nothing happens.
  window.Editor().SetText("abc");
  window.Editor().GoToStart();
  window.Action("ActUpperCase")->trigger();
  EXPECT_EQ(window.Editor().Text(), "abc");
}

TEST_F(EntryTest, DateStampsTakeTheWindowsClock) {
  TStartupEnv env = Env();
  env.clock = [] { return TDateTime{MakeDate(2005, 3, 7), 9, 5, 3}; };
  TFmMain window(env);
  window.Action("ActDateOne")->trigger();
  window.Action("ActDateFive")->trigger();
  EXPECT_EQ(window.Editor().Text(), "05/03/07" "2005/03/07 09:05:03");
}

}  // namespace
