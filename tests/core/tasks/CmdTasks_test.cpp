// quillet-cli tasks, run as the real binary on a Task.txt made by hand as the
// Windows program writes it: the page's order, both output forms, the JSON
// read back by Python's own parser, lines it leaves out, and a file it
// cannot read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "../app/TempFolder.h"
#include "core/app/AppFolder.h"

namespace quillet {
namespace {

using namespace quillet::test;

class CliTasks : public testing::Test {
protected:
  CliTasks() { EnsureFolder(m_tmp / "app/Option/"); }

  std::string TaskFile() const { return m_tmp / "app/Option/Task.txt"; }

  // quillet-cli with `args`, its output piped through `filter` when given.
  TRun Run(const std::string& args, const std::string& filter = "") const {
    return RunCli(m_tmp, m_tmp / "app/", args, {}, filter);
  }

  TTempFolder m_tmp;
};

const std::string kFile = Cp932(
    "Task File Version 1.0.0\r\n"
    "牛乳|2005/03/08|1|2|一行目\\n\"二\"行目|買い物ポ|\r\n"
    "|2005/03/07|0|0|c:\\\\x||\r\n"
    "five|2005/03/07|0|1|fields|\r\n"
    "|abc|0|1||壊れた|\r\n");

TEST_F(CliTasks, ListsTheTasksInFileOrder) {
  WriteRaw(TaskFile(), kFile);
  const TRun text = Run("tasks");
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.out.substr(0, text.out.rfind('\n', text.out.size() - 2) + 1),
            "2005-03-08\thigh\tlimit\t買い物ポ\t牛乳\t一行目\\n\"二\"行目\n"
            "2005-03-07\tlow\t-\t\t\tc:\\\\x\n");
  EXPECT_NE(text.out.find("\tnormal\t-\t壊れた\tError\tInvalidate Task\n"), std::string::npos) << text.out;
  EXPECT_NE(text.err.find("line 4 of"), std::string::npos) << text.err;
  EXPECT_NE(text.err.find("line 5 of"), std::string::npos) << text.err;

  // The JSON as Python's parser reads it, field by field.
  const TRun json = Run("tasks --json", "python3 -c 'import json,sys\n"
                                        "for t in json.load(sys.stdin):\n"
                                        "  print(repr([t[k] for k in (\"date\",\"priority\",\"limit\",\"title\","
                                        "\"caption\",\"comment\",\"memo\",\"placeholder\")]))'");
  EXPECT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out.substr(0, json.out.find('\n', json.out.find('\n') + 1) + 1),
            "['2005-03-08', 2, True, '買い物ポ', '買い物ポ', '牛乳', '一行目\\n\"二\"行目', False]\n"
            "['2005-03-07', 0, False, '', '', '', 'c:\\\\\\\\x', False]\n");
  EXPECT_NE(json.out.find("'TaskError', '壊れた', 'Error', 'Invalidate Task', True]"), std::string::npos) << json.out;
  EXPECT_EQ(Run("tasks --json", "python3 -m json.tool").status, 0);
}

TEST_F(CliTasks, MissingUnreadableAndWrongArguments) {
  EXPECT_EQ(Run("tasks").out, "");
  EXPECT_EQ(Run("tasks --json").out, "[]\n");
  EXPECT_EQ(Run("tasks extra").status, 2);
  EXPECT_EQ(Run("tasks --csv").status, 2);

  WriteRaw(TaskFile(), kFile);
  ::chmod(TaskFile().c_str(), 0200);
  EXPECT_TRUE(AsOrdinaryUser(m_tmp.Path(), [&] {
    const TRun run = Run("tasks");
    return run.status == 1 && run.out.empty() && run.err.find("Permission denied") != std::string::npos;
  }));
}

}  // namespace
}  // namespace quillet
