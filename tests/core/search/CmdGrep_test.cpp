// Tests of `quillet-cli grep`, run as a process on files in a temporary
// folder: output format and UTF-8 conversion, --raw, several patterns,
// --fixed and --ignore-case, and the exit status with its messages.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

struct TResult {
  int status = -1;
  std::string output;  // stdout and stderr
};

TResult Cli(const std::string& arguments) {
  TResult result;
  FILE* pipe = ::popen((std::string("QUILLET_APP_FOLDER=/nonexistent '") + QUILLET_CLI + "' grep " + arguments + " 2>&1")
                           .c_str(),
                       "r");
  if (!pipe) return result;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, n);
  const int raw = ::pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

class CmdGrep : public ::testing::Test {
protected:
  void SetUp() override {
    // Lines: 日記を書いた, ABC の行, and ソ followed by a backslash.
    test::WriteRaw(m_folder / "a.txt", test::Cp932("日記を書いた\r\nABC の行\r\nソ") + "\\\r\n");
    test::WriteRaw(m_folder / "b.txt", test::Cp932("別の日記\r\n"));
  }
  std::string File(const char* name) const { return "'" + (m_folder / name) + "'"; }
  test::TTempFolder m_folder;
};

TEST_F(CmdGrep, PrintsFileLineAndTextInUtf8) {
  const TResult result = Cli("日記 " + File("a.txt") + " " + File("b.txt"));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, (m_folder / "a.txt") + ":1:日記を書いた\n" + (m_folder / "b.txt") + ":1:別の日記\n");
}

TEST_F(CmdGrep, RawPrintsTheStoredBytes) {
  const TResult result = Cli("--raw -e 'ABC' " + File("a.txt"));
  EXPECT_EQ(result.output, (m_folder / "a.txt") + ":2:" + test::Cp932("ABC の行") + "\n");
}

TEST_F(CmdGrep, SeveralPatternsPrintALineOnce) {
  const TResult result = Cli("-e 日記 -e '書い' -e 'AB+C' " + File("a.txt"));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, (m_folder / "a.txt") + ":1:日記を書いた\n" + (m_folder / "a.txt") + ":2:ABC の行\n");
}

TEST_F(CmdGrep, IgnoreCaseLowersWithTheCodePageRule) {
  test::WriteRaw(m_folder / "c.txt", test::Cp932("ＡＢＣ\r\nabc\r\nＡbＣ\r\n"));
  const TResult result = Cli("--fixed --ignore-case -e 'ａｂｃ' " + File("c.txt"));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, (m_folder / "c.txt") + ":1:ＡＢＣ\n");
  EXPECT_EQ(Cli("-F -i -e 'ABC' " + File("c.txt")).output, (m_folder / "c.txt") + ":2:abc\n");
}

struct TErrorRow {
  const char* name;
  const char* arguments;
  int status;
  const char* message;  // part of the output
};

class CmdGrepErrors : public CmdGrep, public ::testing::WithParamInterface<TErrorRow> {};

TEST_P(CmdGrepErrors, ReportAndExit) {
  const TResult result = Cli(std::string(GetParam().arguments) + " " + File("a.txt"));
  EXPECT_EQ(result.status, GetParam().status);
  EXPECT_NE(result.output.find(GetParam().message), std::string::npos) << result.output;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CmdGrepErrors,
    ::testing::Values(
        TErrorRow{"SyntaxError", "-e 'ab)'", 2, "正規表現に余分な文字があります (position 3)"},
        TErrorRow{"SecondPatternBad", "-e ok -e '*x'", 2, "普通の文字、または左括弧\"(\"が必要です (position 1) in pattern '*x'"},
        TErrorRow{"PositionInBytesOfTheStoredPattern", "-e '日記)'", 2, "(position 5)"},
        TErrorRow{"IgnoreCaseNeedsFixed", "-i -e abc", 2, "--ignore-case works with --fixed only"},
        TErrorRow{"UnknownOption", "--colour -e a", 2, "unknown option --colour"},
        TErrorRow{"NotInTheCodePage", "-e '😀'", 2, "code page 932 cannot hold"},
        TErrorRow{"MissingFileStillGrepsTheOthers", "-e 日記 /nonexistent/x.txt", 1, ":1:日記を書いた"},
        TErrorRow{"MissingFileIsNamed", "-e 日記 /nonexistent/x.txt", 1, "/nonexistent/x.txt: No such file"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(CmdGrep, ALimitPassedOnlyByTheJoinedPatternsIsAPatternError) {
  // The deepest nesting one pattern may have; joining puts it in one more group.
  const std::string deep = std::string(500, '(') + "a" + std::string(500, ')');
  EXPECT_EQ(Cli("-e '" + deep + "' " + File("a.txt")).status, 0);
  const TResult result = Cli("-e 日記 -e '" + deep + "' " + File("a.txt"));
  EXPECT_EQ(result.status, 2);
  // The position is the innermost "(" of the deep pattern, counted in it.
  EXPECT_NE(result.output.find("括弧の入れ子が深すぎます (position 500) in pattern '(("), std::string::npos)
      << result.output.substr(0, 200);
}

TEST(CmdGrepUsage, NeedsAPatternAndAFile) {
  EXPECT_EQ(Cli("").status, 2);
  EXPECT_EQ(Cli("-e a").status, 2);
}

}  // namespace
}  // namespace quillet
