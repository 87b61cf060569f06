// Task.txt and the task page's rules: lines as the Windows program writes
// them (texts through iconv), random lists written and read back, the file
// kept aside before it is replaced when the list lacks part of it, failures
// that leave the old file, a writer killed mid-save, sorting, the deadline
// emphasis and the settings rule.
#include "core/tasks/TaskFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <random>

#include "../app/TempFolder.h"
#include "core/app/HIniFile.h"

namespace quillet {
namespace {

using namespace quillet::test;

const TDate kToday = MakeDate(2005, 3, 7);
const std::string kHead = "Task File Version 1.0.0\r\n";

TTask Task(const std::string& title, TDate date = kToday, int priority = kPriorityNormal) {
  TTask task = NewTask(date);
  task.Title = title;
  task.Priority = priority;
  return task;
}

// --- Lines as stored -------------------------------------------------------------

TEST(TaskFileFormat, WritesTheStoredLayout) {
  TTask task = Task(Cp932("買い物"), MakeDate(2005, 3, 8), kPriorityHigh);
  task.Comment = Cp932("牛乳");
  task.Limit = true;
  task.Memo = Cp932("一行目\r\n二行目");
  EXPECT_EQ(TaskFileBytes({task, NewTask(kToday)}),
            kHead + Cp932("牛乳|2005/03/08|1|2|一行目\\n二行目|買い物|\r\n") +
                "|2005/03/07|0|1||NewTask|\r\n");
  EXPECT_EQ(TaskFileBytes({}), kHead);
}

struct TReadRow {
  const char* name;
  std::string line;  // one line after the version line
  std::vector<TTask> tasks;
  std::vector<TTaskLineProblem::TKind> problems;
};

TEST(TaskFileFormat, ReadsEachKindOfLine) {
  TTask memo = Task("t");
  memo.Memo = "a\r\nb";
  TTask katakana = Task(Cp932("ポスト"));  // 0x83 0x7C: its trail byte is a "|"
  katakana.Memo = Cp932("ソn");            // 0x83 0x5C "n": no line break
  katakana.Comment = "c:\\new";            // only the memo turns "\n" into a line break
  TTask limited = Task("t", MakeDate(2004, 12, 31), 7);
  limited.Limit = true;
  const TReadRow rows[] = {
      {"two_line_memo", "|2005/03/07|0|1|a\\nb|t|", {memo}, {}},
      {"five_fields_ignored", "|2005/03/07|0|1|memo|", {}, {TTaskLineProblem::LeftOut}},
      {"no_last_bar", "|2005/03/07|0|1|memo|title", {}, {TTaskLineProblem::LeftOut}},
      {"bad_date", "c|abc|0|1|m|shown|", {PlaceholderTask(kToday, "shown")}, {TTaskLineProblem::Placeholder}},
      {"bad_priority", "c|2005/03/07|0|x|m|shown|", {PlaceholderTask(kToday, "shown")},
       {TTaskLineProblem::Placeholder}},
      {"double_byte_bytes", Cp932("c:\\new|2005/03/07|0|1|ソn|ポスト|"), {katakana}, {}},
      {"any_priority_kept", "|2004/12/31|1|7||t|", {limited}, {}},
      {"seventh_field_dropped", "|2005/03/07|0|1|||x|", {Task("")}, {TTaskLineProblem::LeftOut}},
      {"loose_date", "|2005/3/7|0|1||t|", {Task("t")}, {TTaskLineProblem::Rewritten}},
      {"odd_limit", "|2005/03/07|yes|1||t|", {Task("t")}, {TTaskLineProblem::Rewritten}},
  };
  for (const TReadRow& row : rows) {
    for (const char* end : {"\r\n", "\n"}) {
      const TTaskParse parse = ParseTaskFile(kHead + row.line + end, kToday);
      EXPECT_EQ(parse.Tasks, row.tasks) << row.name;
      ASSERT_EQ(parse.Problems.size(), row.problems.size()) << row.name;
      for (std::size_t i = 0; i < row.problems.size(); ++i) {
        EXPECT_EQ(parse.Problems[i], (TTaskLineProblem{2, row.problems[i]})) << row.name;
      }
    }
  }
  // A first line that is no version line and no task is something to keep.
  EXPECT_EQ(ParseTaskFile("Task File Version 2.0.0\r\n", kToday).Problems.size(), 1u);
  EXPECT_TRUE(ParseTaskFile("", kToday).Problems.empty());
}

TEST(TaskFileFormat, ShortDatesAsTheReaderTakesThem) {
  const struct {
    const char* text;
    std::optional<TDate> date;
  } rows[] = {
      {"2005/03/07", MakeDate(2005, 3, 7)}, {" 2005/3/7 ", MakeDate(2005, 3, 7)},
      {"05/03/07", MakeDate(2005, 3, 7)},   {"54/1/1", MakeDate(2054, 1, 1)},
      {"55/1/1", MakeDate(1955, 1, 1)},     {"0001/01/01", MakeDate(1, 1, 1)},
      {"2005/02/30", std::nullopt},         {"2005-03-07", std::nullopt},
      {"0000/01/01", std::nullopt},         {"2005/03/07 12:00", std::nullopt},
      {"abc", std::nullopt},                {"2005/003/07", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(ParseTaskDate(row.text, kToday), row.date) << row.text;
  EXPECT_EQ(TaskColumnDate(MakeDate(1999, 12, 31)), "99/12/31");
}

// --- Written and read back ---------------------------------------------------------

TEST(TaskFileFormat, FlawsAreExactlyWhatCannotComeBack) {
  const struct {
    const char* name;
    TTask task;
    unsigned flaws;
  } rows[] = {
      {"bar_in_title", [] { TTask t = Task("a|b"); return t; }(), tfBar},
      {"backslash_n_in_memo", [] { TTask t = Task("t"); t.Memo = "c:\\new"; return t; }(), tfMemoBackslashN},
      {"line_break_in_comment", [] { TTask t = Task("t"); t.Comment = "a\r\nb"; return t; }(), tfLineBreak},
      {"lf_in_memo", [] { TTask t = Task("t"); t.Memo = "a\nb"; return t; }(), tfMemoLoneBreak},
      {"lead_byte_at_end", [] { TTask t = Task("t\x83"); return t; }(), tfBrokenCharacter},
      {"lead_byte_before_crlf", [] { TTask t = Task("t"); t.Memo = "\x83\r\nx"; return t; }(), tfBrokenCharacter},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TaskFlaws(row.task), row.flaws) << row.name;
    EXPECT_NE(ParseTaskFile(TaskFileBytes({row.task}), kToday).Tasks, std::vector<TTask>{row.task}) << row.name;
  }
}

// Random lists from pieces that meet at every edge of the format: bars and
// backslashes inside double-byte characters, "\n" spelled out, CR LF, blanks.
// QUILLET_TASK_PROPERTY_RUNS sets the number of lists (default 300).
TEST(TaskFileProperty, AnyStorableListReadsBackTheSame) {
  const std::string pieces[] = {"a",         "n",          "\\",          "|",         " ",
                                "\t",        "\r\n",       Cp932("ポ"),   Cp932("ソ"), Cp932("表"),
                                Cp932("＼"), Cp932("｜"),  "\xB1",        "1",         "/"};
  std::mt19937 rng(20050307);
  const auto text = [&](bool memo) {
    std::string out;
    for (int n = std::uniform_int_distribution<int>(0, 8)(rng); n > 0; --n) {
      const std::string& piece = pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(rng)];
      if (memo || piece != "\r\n") out += piece;
    }
    return out;
  };
  const char* runsText = std::getenv("QUILLET_TASK_PROPERTY_RUNS");
  const int runs = runsText ? std::atoi(runsText) : 300;
  for (int run = 0; run < runs; ++run) {
    std::vector<TTask> tasks(std::uniform_int_distribution<std::size_t>(0, 6)(rng));
    for (TTask& task : tasks) {
      task.Comment = text(false);
      task.Title = text(false);
      task.Memo = text(true);
      task.Date = AddDays(MakeDate(1, 1, 1), std::uniform_int_distribution<int>(0, 3652058)(rng));
      task.Limit = rng() % 2 == 0;
      task.Priority = std::uniform_int_distribution<int>(-3, 5)(rng);
      ReplaceUnstorable(task);
      ASSERT_EQ(TaskFlaws(task), tfNone) << task.Title << "|" << task.Memo;
    }
    const TTaskParse parse = ParseTaskFile(TaskFileBytes(tasks), kToday);
    ASSERT_EQ(parse.Tasks, tasks) << TaskFileBytes(tasks);
    ASSERT_TRUE(parse.Problems.empty()) << TaskFileBytes(tasks);
  }
}

// --- The file on disk -------------------------------------------------------------

class TaskFileStore : public testing::Test {
protected:
  std::string Path() const { return m_tmp / "Task.txt"; }
  TTempFolder m_tmp;
};

TEST_F(TaskFileStore, SavesRemovesAndRefusesWhatItCannotStore) {
  TTaskFile file(Path());
  EXPECT_EQ(file.Load(kToday).State, TTaskRead::Missing);
  ASSERT_TRUE(file.Save({Task("a"), Task("b")}).Ok);
  EXPECT_EQ(ReadRaw(Path()), TaskFileBytes({Task("a"), Task("b")}));
  EXPECT_EQ(ModeOf(Path()), 0600u);

  const TTaskSave refused = file.Save({Task("a|b")});
  EXPECT_FALSE(refused.Ok);
  EXPECT_NE(refused.Error.find("cannot store"), std::string::npos);
  EXPECT_EQ(ReadRaw(Path()), TaskFileBytes({Task("a"), Task("b")}));

  ::chmod(Path().c_str(), 0400);  // the read-only attribute: neither replaced nor removed
  EXPECT_FALSE(file.Save({Task("c")}).Ok);
  EXPECT_FALSE(file.Save({}).Ok);
  ::chmod(Path().c_str(), 0600);

  const TTaskSave removed = file.Save({});
  EXPECT_TRUE(removed.Ok && removed.Deleted);
  EXPECT_TRUE(Listing(m_tmp.Path()).empty());
  EXPECT_TRUE(file.Save({}).Ok);  // nothing to remove is no failure
}

TEST_F(TaskFileStore, AFileTheListLacksPartOfIsSetAsideOnce) {
  const std::string old = kHead + "|2005/03/07|0|1||kept|\r\nbroken line\r\n";
  for (const bool emptyList : {false, true}) {
    WriteRaw(Path(), old);
    TTaskFile file(Path());
    const TTaskLoad load = file.Load(kToday);
    EXPECT_EQ(load.Tasks, std::vector<TTask>{Task("kept")});
    EXPECT_TRUE(file.KeepsOldFile());
    const std::vector<TTask> list = emptyList ? std::vector<TTask>{} : load.Tasks;
    const TTaskSave save = file.Save(list);
    ASSERT_TRUE(save.Ok) << save.Error;
    EXPECT_EQ(save.SetAsidePath, Path() + (emptyList ? ".bak1" : ".bak"));
    EXPECT_EQ(ReadRaw(save.SetAsidePath), old);
    EXPECT_EQ(ReadRaw(Path()), emptyList ? "" : TaskFileBytes(list));
    EXPECT_TRUE(file.Save(list).SetAsidePath.empty());  // once is enough
  }
}

TEST_F(TaskFileStore, AnUnreadableFileIsNeverOverwritten) {
  const std::string old = kHead + "|2005/03/07|0|1||secret|\r\n";
  WriteRaw(Path(), old);
  ::chmod(Path().c_str(), 0200);
  EXPECT_TRUE(AsOrdinaryUser(m_tmp.Path(), [&] {
    TTaskFile file(Path());
    const TTaskLoad load = file.Load(kToday);
    if (load.State != TTaskRead::Unreadable || load.Error.find("Permission denied") == std::string::npos) return false;
    const TTaskSave save = file.Save({Task("new")});
    ::chmod(save.SetAsidePath.c_str(), 0600);
    return save.Ok && save.SetAsidePath == Path() + ".bak" && ReadRaw(save.SetAsidePath) == old &&
           ReadRaw(Path()) == TaskFileBytes({Task("new")});
  }));
}

TEST_F(TaskFileStore, AnUnwritableFolderLeavesTheOldFile) {
  const std::string old = TaskFileBytes({Task("old")});
  WriteRaw(Path(), old);
  ::chmod(m_tmp.Path().c_str(), 0500);
  EXPECT_TRUE(AsOrdinaryUser(m_tmp.Path(), [&] {
    TTaskFile file(Path());
    file.Load(kToday);
    const TTaskSave write = file.Save({Task("new")});
    const TTaskSave remove = file.Save({});
    return !write.Ok && !write.Error.empty() && !remove.Ok && ReadRaw(Path()) == old &&
           Listing(m_tmp.Path()).size() == 1;
  }));
  ::chmod(m_tmp.Path().c_str(), 0700);
}

// A writer killed at any moment leaves one whole list or the other.
TEST_F(TaskFileStore, AWriterKilledMidSaveLeavesAWholeList) {
  std::vector<TTask> one;
  std::vector<TTask> other;
  for (int i = 0; i < 2000; ++i) {
    one.push_back(Task("one " + std::to_string(i)));
    other.push_back(Task("other " + std::to_string(i), kToday, i % 3));
  }
  ASSERT_TRUE(TTaskFile(Path()).Save(one).Ok);
  for (int round = 0; round < 5; ++round) {
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      TTaskFile file(Path());
      for (bool first = true;; first = false) {
        file.Save(other);
        file.Save(one);
        if (first && ::write(started[1], "x", 1) != 1) ::_exit(1);
      }
    }
    char byte = 0;
    ASSERT_EQ(::read(started[0], &byte, 1), 1);  // the writer is under way
    ::close(started[0]);
    ::close(started[1]);
    ::usleep(static_cast<useconds_t>(1000 + round * 3000));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::vector<TTask> read = TTaskFile(Path()).Load(kToday).Tasks;
    EXPECT_TRUE(read == one || read == other) << read.size();
  }
}

// --- The page's rules ---------------------------------------------------------------

std::vector<std::string> Titles(const std::vector<TTask>& tasks, const std::vector<std::size_t>& order) {
  std::vector<std::string> titles;
  for (const std::size_t i : order) titles.push_back(tasks[i].Title);
  return titles;
}

TEST(TaskSort, EachKeyFlipsItsOwnDirection) {
  const std::vector<TTask> tasks{Task("b", MakeDate(2005, 3, 9), 0), Task("", MakeDate(2004, 1, 1), 2),
                                 Task("a", MakeDate(2005, 3, 9), 2), Task("c", MakeDate(2005, 3, 8), 1)};
  TTaskSortDirections directions;
  using V = std::vector<std::string>;
  const auto sort = [&](TTaskSortKey key) { return Titles(tasks, TaskSortOrder(tasks, key, directions.Take(key))); };
  EXPECT_EQ(sort(TTaskSortKey::Date), (V{"", "c", "b", "a"}));  // equal dates keep their order
  EXPECT_EQ(sort(TTaskSortKey::Title), (V{"", "a", "b", "c"}));  // no title is the least
  EXPECT_EQ(sort(TTaskSortKey::Date), (V{"b", "a", "c", ""}));
  EXPECT_EQ(sort(TTaskSortKey::Priority), (V{"b", "c", "", "a"}));
  EXPECT_EQ(sort(TTaskSortKey::Title), (V{"c", "b", "a", ""}));
  // The page's collation decides between titles; the placeholder sorts by
  // the title its column shows.
  const std::vector<TTask> shown{PlaceholderTask(kToday, "b"), Task("a")};
  const auto reversed = [](std::string_view a, std::string_view b) { return b.compare(a); };
  EXPECT_EQ(TaskSortOrder(shown, TTaskSortKey::Title, true), (std::vector<std::size_t>{1, 0}));
  EXPECT_EQ(TaskSortOrder(shown, TTaskSortKey::Title, true, reversed), (std::vector<std::size_t>{0, 1}));
}

TEST(TaskLook, DeadlinesNearTodayAreEmphasised) {
  TTaskSettings settings;
  settings.LowPriorityColor = clBlue;
  const struct {
    int days;  // the task's date from today
    bool limit;
    bool emphasis;
    int priority;
    TTaskLook look;
  } rows[] = {
      {1, true, true, kPriorityNormal, {clWindowText, true}},
      {0, true, true, kPriorityHigh, {clRed, true}},
      {-1, true, true, kPriorityLow, {clSilver, true}},
      {-3, true, true, kPriorityLow, {clSilver, true}},
      {-4, true, true, kPriorityLow, {clBlue, false}},
      {-10, true, true, kPriorityHigh, {clRed, false}},
      {4, true, true, kPriorityNormal, {clWindowText, false}},
      {-1, false, true, kPriorityLow, {clBlue, false}},
      {-1, true, false, kPriorityLow, {clBlue, false}},
      {0, false, true, 9, {clWindowText, false}},  // the list's text colour
  };
  for (const auto& row : rows) {
    TTask task = Task("t", AddDays(kToday, row.days), row.priority);
    task.Limit = row.limit;
    settings.LimitEmphasis = row.emphasis;
    EXPECT_EQ(TaskLook(task, kToday, settings), row.look) << row.days << " " << row.limit << row.emphasis;
  }
}

TEST(TaskSettings, AnUnreadableNumberResetsAllThree) {
  const struct {
    const char* lines;
    int dblClick, limitDate, rowColoring, hover;
  } rows[] = {
      {"DblClickStyle=1\r\nLimitDate=5\r\nRowColoringStyle=2\r\nHover=100\r\n", 1, 5, 2, 100},
      {"DblClickStyle=1\r\nLimitDate=x\r\nRowColoringStyle=2\r\nHover=x\r\n", 0, 3, 0, 3000},
      {"LimitDate=7\r\n", 0, 7, 0, 3000},
  };
  for (const auto& row : rows) {
    TTempFolder tmp;
    WriteRaw(tmp / "q.ini", std::string("[Task]\r\n") + row.lines);
    const TTaskSettings s = ReadTaskSettings(THIniFile(tmp / "q.ini", false));
    EXPECT_EQ(std::vector<int>({s.DblClickStyle, s.LimitDate, s.RowColoringStyle, s.Hover}),
              std::vector<int>({row.dblClick, row.limitDate, row.rowColoring, row.hover}))
        << row.lines;
  }
}

}  // namespace
}  // namespace quillet
