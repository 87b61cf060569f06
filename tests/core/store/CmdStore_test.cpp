// quillet-cli path, cat, put and ls, run as the real binary on a diary in a
// temporary program folder (QUILLET_APP_FOLDER). The diary that cat and ls
// read is made by hand here, as another program would have written it: text
// through iconv, the number key by a plain XOR, the word key by OpenSSL.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

#include "../app/TempFolder.h"
#include "../crypto/OpenSslBlowFish.h"
#include "core/app/AppFolder.h"
#include "core/crypto/USecurity.h"

namespace quillet {
namespace {

using namespace quillet::test;

const std::string kVectorBytes("\x3A\x7C\x19\xE2\x58\x0D\xB4\x61", 8);

class CliStore : public testing::Test {
protected:
  CliStore() {
    m_app = m_tmp / "app/";
    m_diary = m_tmp / "diary/";
    EnsureFolder(m_app + "Option/");
    EnsureFolder(m_diary);
    Settings("");
  }

  // The settings file: the diary folder plus `extra` lines of "Window".
  void Settings(const std::string& extra) const {
    WriteRaw(m_app + "Option/quillet.ini", "[Window]\r\nSavePath=" + m_diary + "\r\n" + extra);
  }

  TRun Run(const std::string& args, const std::string& input = "") const { return RunCli(m_tmp, m_app, args, input); }

  std::string Month() const { return m_diary + "2005/3/"; }
  void MakeMonth() const { EnsureFolder(Month()); }

  TTempFolder m_tmp;
  std::string m_app;
  std::string m_diary;
};

// --- path -------------------------------------------------------------------------------

TEST_F(CliStore, PathFollowsTheSettings) {
  EXPECT_EQ(Run("path 2005-03-07").out, Month() + "7.txt\n");
  Settings("SaveStyle=1\r\nSaveExt=.log\r\n");
  const TRun run = Run("path 2026-12-05");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, m_diary + "2026/12/20261205.log\n");
}

struct TBadArgsRow {
  const char* name;
  const char* args;
  const char* message;  // part of standard error
};

const TBadArgsRow kBadArgs[] = {
    {"path_without_date", "path", "expected one DATE"},
    {"path_impossible_date", "path 2005-02-30", "bad date '2005-02-30'"},
    {"path_loose_date", "path 2005-3-7", "bad date"},
    {"path_year_zero", "path 0000-12-31", "bad date"},
    {"cat_unknown_option", "cat 2005-03-07 --bogus", "unknown option '--bogus'"},
    {"cat_word_and_number", "cat 2005-03-07 --word a --number 3", "not both"},
    {"cat_number_not_integer", "cat 2005-03-07 --number x", "not an integer"},
    {"cat_word_without_value", "cat 2005-03-07 --word", "needs a value"},
    {"put_title_with_emoji", "put 2005-03-07 --title \"$(printf '\\360\\237\\230\\200')\"", "code page 932"},
    {"ls_bad_month", "ls 2005-13", "bad month"},
    {"ls_two_months", "ls 2005-03 2005-04", "expected one month"},
};

class CliStoreBadArgs : public CliStore, public testing::WithParamInterface<TBadArgsRow> {};

TEST_P(CliStoreBadArgs, ExitWithStatus2AndSayWhy) {
  const TRun run = Run(GetParam().args);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("usage: quillet-cli"), std::string::npos);
  EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(Args, CliStoreBadArgs, testing::ValuesIn(kBadArgs),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(CliStore, EveryCommandHasHelp) {
  for (const char* command : {"path", "cat", "put", "ls", "search", "cal", "tasks"}) {
    const TRun run = Run(std::string(command) + " --help");
    EXPECT_EQ(run.status, 0) << command;
    EXPECT_EQ(run.out.rfind(std::string("usage: quillet-cli ") + command, 0), 0u) << run.out;
  }
  EXPECT_EQ(Run("put 2005-03-07 --help").status, 0);  // nothing is read or written
  EXPECT_FALSE(std::filesystem::exists(Month()));
}

// --- cat on a diary written elsewhere ------------------------------------------------------

TEST_F(CliStore, CatReadsEveryMethodOfAHandMadeDiary) {
  Settings("Number=99\r\nWord=" + Scramble(Cp932("鍵")) + "\r\n");
  MakeMonth();
  const std::string plain = Cp932("今日は晴れ。\r\n散歩した");
  WriteRaw(Month() + "1.txt", plain);
  WriteRaw(Month() + "2.txt", NumberKeyXor(plain, 300));  // its own CodeKey
  WriteRaw(Month() + "3.txt", NumberKeyXor(plain, 99));   // the settings' key number
  WriteRaw(Month() + "4.txt", OpenSslCbcInOurOrder(Cp932("鍵"), kVectorBytes, PadCount(plain)));
  WriteRaw(Month() + "Set.ini", "[1]\r\nTitle=" + Cp932("晴れ") +
                                    "\r\n[2]\r\nUseCode=1\r\nMethod=0\r\nCodeKey=300\r\n"
                                    "[3]\r\nUseCode=1\r\nMethod=0\r\n[4]\r\nUseCode=1\r\nMethod=1\r\n");
  for (int day = 1; day <= 4; ++day) {
    const TRun run = Run("cat 2005-03-0" + std::to_string(day));
    EXPECT_EQ(run.status, 0) << day << run.err;
    EXPECT_EQ(run.out, "今日は晴れ。\n散歩した") << "day " << day;
    EXPECT_EQ(Run("cat --raw 2005-03-0" + std::to_string(day)).out, plain) << "day " << day;
  }
  EXPECT_EQ(Run("cat 2005-03-01 --title").out, "晴れ\n");
  EXPECT_EQ(Run("cat 2005-03-04 --word '鍵'").out, "今日は晴れ。\n散歩した");
  const TRun wrongWord = Run("cat 2005-03-04 --word other");  // the padding does not check out
  EXPECT_EQ(wrongWord.status, 1);
  EXPECT_EQ(wrongWord.out, "");
  EXPECT_NE(wrongWord.err.find("wrong key word"), std::string::npos) << wrongWord.err;
  EXPECT_EQ(Run("cat 2005-03-02 --number 44").out, "今日は晴れ。\n散歩した");  // 300 & 255
}

TEST_F(CliStore, CatWithoutAnEntryFails) {
  const TRun run = Run("cat 2005-03-07");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("no entry for 2005-03-07"), std::string::npos) << run.err;
  EXPECT_EQ(Run("cat 2005-03-07 --title").status, 1);
}

TEST_F(CliStore, CatOfAnUnreadableEntryFails) {
  MakeMonth();
  WriteRaw(Month() + "7.txt", "twelve bytes");
  WriteRaw(Month() + "Set.ini", "[7]\r\nUseCode=1\r\nMethod=1\r\n");
  const TRun run = Run("cat 2005-03-07");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot read the word entry"), std::string::npos) << run.err;
}

TEST_F(CliStore, CatWarnsAboutBytesWithoutACharacter) {
  MakeMonth();
  WriteRaw(Month() + "7.txt", "a\x80z");
  const TRun run = Run("cat 2005-03-07");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "a\xEF\xBF\xBDz");
  EXPECT_NE(run.err.find("U+FFFD"), std::string::npos);
}

// --- put ---------------------------------------------------------------------------------------

TEST_F(CliStore, PutWritesWhatTheSaveWrites) {
  const TRun run = Run("put 2005-03-07 --title '日記'", "一行目\n二行目\r\n三行目");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadRaw(Month() + "7.txt"), Cp932("一行目\r\n二行目\r\n三行目"));
  EXPECT_EQ(ModeOf(Month() + "7.txt"), 0400u);
  const std::string ini = ReadRaw(Month() + "Set.ini");
  EXPECT_NE(ini.find("[7]\r\nTitle=" + Cp932("日記") + "\r\nReNewalTime="), std::string::npos) << ini;
  EXPECT_NE(ini.find("\r\nUseCode=0\r\nMethod=0\r\n"), std::string::npos) << ini;
}

TEST_F(CliStore, PutEncryptsByTheSettings) {
  Settings("EnCrypt=1\r\nMethod=1\r\nWord=" + Scramble("secret") + "\r\n");
  ASSERT_EQ(Run("put 2005-03-07", "暗号\n").status, 0);
  EXPECT_EQ(ReadRaw(Month() + "7.txt"), OpenSslCbcInOurOrder("secret", kVectorBytes, PadCount(Cp932("暗号\r\n"))));
  EXPECT_EQ(Run("cat 2005-03-07").out, "暗号\n");
  Settings("EnCrypt=1\r\nMethod=0\r\nNumber=7\r\n");
  ASSERT_EQ(Run("put 2005-03-08", "ab").status, 0);
  EXPECT_EQ(ReadRaw(Month() + "8.txt"), std::string("\x66\x65", 2));  // "ab" XOR 7
}

TEST_F(CliStore, PutKeepsTheTitleWhenNoneIsGiven) {
  Run("put 2005-03-07 --title first", "one");
  Run("put 2005-03-07", "two");
  EXPECT_EQ(Run("cat 2005-03-07 --title").out, "first\n");
  EXPECT_EQ(Run("cat 2005-03-07").out, "two");
}

TEST_F(CliStore, PutRefusesWhatCodePage932CannotHoldAndKeepsTheOldEntry) {
  Run("put 2005-03-07", "old");
  const TRun run = Run("put 2005-03-07", "line\nsmile \xF0\x9F\x98\x80\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("line 2, column 7"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("nothing was written"), std::string::npos) << run.err;
  EXPECT_EQ(ReadRaw(Month() + "7.txt"), "old");
  const TRun nul = Run("put 2005-03-07", std::string("a\0b", 3));
  EXPECT_EQ(nul.status, 2);
  EXPECT_EQ(ReadRaw(Month() + "7.txt"), "old");
}

TEST_F(CliStore, PutMapsTheJisFormsOfInputMethods) {
  ASSERT_EQ(Run("put 2005-03-07", "1\xE3\x80\x9C" "2").status, 0);  // WAVE DASH
  EXPECT_EQ(ReadRaw(Month() + "7.txt"), "1\x81\x60" "2");
}

TEST_F(CliStore, PutOfNothingDeletesTheEntry) {
  Run("put 2005-03-07 --title t", "text");
  ASSERT_EQ(Run("put 2005-03-07 --title ''", "").status, 0);
  EXPECT_FALSE(std::filesystem::exists(Month() + "7.txt"));
  EXPECT_EQ(ReadRaw(Month() + "Set.ini").find("[7]"), std::string::npos);
}

TEST_F(CliStore, PutRawTakesCodePage932Bytes) {
  ASSERT_EQ(Run("put 2005-03-07 --raw", "\x93\xFA\n").status, 0);
  EXPECT_EQ(ReadRaw(Month() + "7.txt"), "\x93\xFA\r\n");
}

TEST_F(CliStore, AFailedPutReportsTheSaveFailure) {
  EnsureFolder(Month() + "7.txt");  // a folder where the entry goes
  const TRun run = Run("put 2005-03-07", "text");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("保存に失敗しました (not a regular file"), std::string::npos) << run.err;
}

TEST_F(CliStore, HonestFailures) {
  // A missing diary folder is said, not silently replaced by the program folder.
  Settings("");
  std::filesystem::remove_all(m_diary);
  const TRun missing = Run("put 2005-03-07", "text");
  EXPECT_EQ(missing.status, 0);
  EXPECT_NE(missing.err.find("the diary folder " + m_diary + " does not exist"), std::string::npos) << missing.err;
  EnsureFolder(m_diary);
  // A Set.ini that cannot be read gives no flags: a word-key body is never
  // printed as cipher text with success.
  MakeMonth();
  WriteRaw(Month() + "7.txt", std::string(16, 'x'));
  EnsureFolder(Month() + "Set.ini");
  const TRun noFlags = Run("cat 2005-03-07");
  EXPECT_EQ(noFlags.status, 1);
  EXPECT_EQ(noFlags.out, "");
  EXPECT_NE(noFlags.err.find("flags are unknown"), std::string::npos) << noFlags.err;
}

// Sanitizers cannot reserve their shadow memory under `ulimit -v`.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST_F(CliStore, AnEntryLargerThanMemoryIsAMessageNotACrash) {
  // A sparse 4 GiB word-key entry costs no disk; the address space of the
  // run is 1 GiB. The save reads it to see whether it must be set aside.
  MakeMonth();
  WriteRaw(Month() + "Set.ini", "[7]\r\nUseCode=1\r\nMethod=1\r\n");
  WriteRaw(Month() + "7.txt", "");
  ASSERT_EQ(::truncate((Month() + "7.txt").c_str(), off_t{4} << 30), 0);
  for (const char* command : {"cat 2005-03-07", "put 2005-03-07 --title new"}) {
    const std::string line = std::string("ulimit -v 1048576; QUILLET_APP_FOLDER='") + m_app + "' '" + QUILLET_CLI +
                             "' " + command + " </dev/null 2>&1 >/dev/null";
    std::string output;
    const bool ok = RunCommand(line, output);
    EXPECT_FALSE(ok) << command;
    EXPECT_NE(output.find("memory"), std::string::npos) << command << ": " << output;
    EXPECT_EQ(output.find("terminate"), std::string::npos) << command << ": " << output;
  }
  EXPECT_EQ(std::filesystem::file_size(Month() + "7.txt"), std::uintmax_t{4} << 30);
}
#endif

// --- ls --------------------------------------------------------------------------------------------

TEST_F(CliStore, LsListsDaysWithABodyOrATitle) {
  Run("put 2005-03-02 --title '晴れ'", "plain");
  Settings("EnCrypt=1\r\nMethod=1\r\nWord=w\r\n");
  Run("put 2005-03-10", "word-key day");
  Run("put 2005-03-20 --title 'title only'", "");
  WriteRaw(Month() + "21.txt", "");  // an empty file is no body
  const TRun run = Run("ls 2005-03");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "2005-03-02\tplain\t5\t晴れ\n"
            "2005-03-10\tword\t16\t\n"
            "2005-03-20\t-\t0\ttitle only\n");
  EXPECT_EQ(Run("ls 2005-04").out, "");
}

}  // namespace
}  // namespace quillet
