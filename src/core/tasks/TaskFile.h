// The task list beside the diary: the task record, its file "Task.txt" in the
// options folder, and the page's rules that do not need a display (sorting,
// the deadline emphasis, the page's settings).
//
// Task.txt is code page 932 text with CR LF line ends, kept compatible with
// files the Windows program wrote and reads:
//   Task File Version 1.0.0
//   comment|date|limit|priority|memo|title|
// one line per task in list order; date is the short date "yyyy/mm/dd",
// limit "1" or "0", priority a decimal number, and a line break inside a
// field is written as the two characters backslash and "n" (only the memo
// turns them back into CR LF). An empty list has no file.
//
// Reading cuts a line into the pieces that end with "|", stepping over
// double-byte characters whole: the trail byte of "ポ" (0x83 0x7C) is a "|"
// and that of "ソ" (0x83 0x5C) a backslash, and neither may cut a field or
// start a line break. A line of fewer than six pieces is not a task (the
// version line is one such); a line whose date or priority does not convert
// becomes the placeholder task ("TaskError"), whose title column still shows
// the sixth field as written.
//
// What the format cannot hold, and how this program keeps its promise that
// a list written and read back is the same list:
//  - "|" inside a field would cut it: the writer refuses such a task (the
//    editor offers to turn it into the full-width "｜" first);
//  - a backslash followed by "n" in the memo would come back as a line
//    break: refused the same way (the editor offers "＼");
//  - a line break in the title or comment, a lone CR or LF in the memo, or a
//    field ending in a lead byte without its trail byte cannot come back as
//    they were: refused. Text converted from Unicode never has the last.
// Title and comment may hold a backslash and "n": only the memo is unescaped.
//
// A file that holds something this program could not take into its list (a
// file it could not read, lines it left out or read as the placeholder, a
// line it would write back differently) is never replaced or removed as it
// stands: TTaskFile keeps it as "Task.txt.bak" (".bak1", ...) before its
// first save replaces it.
//
// Texts are code page 932 bytes. Pure functions, and TTaskFile for one
// thread at a time.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/HColor.h"
#include "core/store/UDate.h"

namespace quillet {

class THIniFile;

inline constexpr std::string_view kTaskFileName = "Task.txt";
inline constexpr std::string_view kTaskFileVersion = "Task File Version 1.0.0";

inline constexpr int kPriorityLow = 0;
inline constexpr int kPriorityNormal = 1;
inline constexpr int kPriorityHigh = 2;

struct TTask {
  std::string Comment;  // one line; the page's status bar shows it
  TDate Date;           // the deadline when Limit is set
  bool Limit = false;   // "有効期限"
  int Priority = kPriorityNormal;  // 0 low, 1 normal, 2 high; other numbers are kept as read
  std::string Memo;     // lines joined by CR LF
  std::string Title;
  // The placeholder of a line that did not convert: the sixth field of that
  // line, which the title column shows instead of Title until the task is
  // edited. Not written: the file gets the placeholder's own fields.
  std::optional<std::string> ShownTitle;

  bool operator==(const TTask&) const = default;
};

// A new task: `today`, title "NewTask", normal priority, no limit, comment
// and memo empty.
TTask NewTask(TDate today);
// The task that stands for a line that did not convert: comment "Error",
// `today`, no limit, normal priority, memo "Invalidate Task", title
// "TaskError", showing `shownTitle`.
TTask PlaceholderTask(TDate today, std::string shownTitle);
// The title column's text: ShownTitle when set, else Title.
const std::string& TitleCaption(const TTask& task);

// The file's date: "2005/03/07".
std::string TaskFileDate(TDate date);
// The date column and the editor's date field: "05/03/07".
std::string TaskColumnDate(TDate date);
// A date as the short date reader takes it: year, month and day separated by
// "/", blanks around allowed; months and days of one or two digits. A year
// of one or two digits is the year ending in them that lies nearest to
// `today` (from 50 years before to 49 after), so "05/03/07" is 2005 and
// "99/12/31" 1999 while today is in 2005; three or four digits are the year
// itself. Nothing for anything else or a day that does not exist, or a year
// outside 1..9999.
std::optional<TDate> ParseTaskDate(std::string_view text, TDate today);

// --- What the file can hold --------------------------------------------------

enum TTaskFlaw : unsigned {
  tfNone = 0,
  tfBar = 1u << 0,             // "|" in some field
  tfMemoBackslashN = 1u << 1,  // backslash followed by "n" in the memo
  tfLineBreak = 1u << 2,       // CR or LF in the title or comment
  tfMemoLoneBreak = 1u << 3,   // CR or LF in the memo that is not part of CR LF
  tfBrokenCharacter = 1u << 4, // a field ends in a lead byte, or one stands before CR or LF
};

// The flaws of `task` (a bit set of TTaskFlaw); tfNone when it is written
// and read back unchanged.
unsigned TaskFlaws(const TTask& task);
// Replaces each "|" in every field with the full-width "｜" (0x8162), and the
// backslash of each backslash-"n" in the memo with "＼" (0x815F). Clears
// tfBar and tfMemoBackslashN and touches nothing else.
void ReplaceUnstorable(TTask& task);

// --- The format ----------------------------------------------------------------

// One task's line, without its line end.
std::string TaskLine(const TTask& task);
// The whole file: the version line and one line per task, each ended by CR LF.
std::string TaskFileBytes(const std::vector<TTask>& tasks);

struct TTaskLineProblem {
  enum TKind {
    Placeholder,  // the date or the priority did not convert
    LeftOut,      // fewer than six pieces, or text beyond the sixth
    Rewritten,    // read, but written back it would differ ("2005/3/7")
  };
  int Line = 0;  // 1-based
  TKind Kind = Placeholder;
  bool operator==(const TTaskLineProblem&) const = default;
};

struct TTaskParse {
  std::vector<TTask> Tasks;
  // Lines other than the version line and empty lines that the list does
  // not hold exactly as the file has them.
  std::vector<TTaskLineProblem> Problems;
};

// Reads the bytes of a task file (lines end at CR LF, LF or CR). `today`
// dates the placeholder tasks.
TTaskParse ParseTaskFile(std::string_view bytes, TDate today);

// --- The file on disk ----------------------------------------------------------

enum class TTaskRead { Missing, Read, Unreadable };

struct TTaskLoad {
  TTaskRead State = TTaskRead::Missing;
  std::vector<TTask> Tasks;
  std::vector<TTaskLineProblem> Problems;
  std::string Error;  // why an existing file could not be read (English, one line)
};

struct TTaskSave {
  bool Ok = false;
  bool Deleted = false;      // the list was empty and the file is gone
  std::string SetAsidePath;  // where the old file was kept, when it was
  std::string Error;         // why the save failed (English, one line)
};

// Task.txt at one path. Load reads it; Save replaces it atomically, or
// removes it for an empty list, keeping first what the last Load could not
// take in (see the top of this file). After a failed Save the file is as it
// was, and the next Save tries again.
class TTaskFile {
public:
  explicit TTaskFile(std::string path) : m_path(std::move(path)) {}

  const std::string& Path() const { return m_path; }
  TTaskLoad Load(TDate today);
  // Refuses a list with a flawed task (TaskFlaws), and a file without its
  // owner's write permission (the read-only attribute), writing nothing.
  // Cost: one write with fsync of the whole list.
  TTaskSave Save(const std::vector<TTask>& tasks);
  // True while the file on disk holds something the list lacks: the next
  // Save sets it aside first.
  bool KeepsOldFile() const { return m_keepOld; }

private:
  std::string m_path;
  bool m_keepOld = false;
};

// --- Sorting ---------------------------------------------------------------------

enum class TTaskSortKey { Date = 0, Title = 1, Priority = 2 };

// Compares two titles (code page 932): negative, zero or positive. The page
// passes the locale's case-sensitive collation; without one, bytes compare.
using TTitleCompare = std::function<int(std::string_view, std::string_view)>;

// The order of the list sorted by `key`: element i is the row that goes to
// position i. Dates compare as dates, titles (the title column) by
// `compare` with an empty title below any other, priorities as numbers.
// Equal rows keep their order, in either direction.
std::vector<std::size_t> TaskSortOrder(const std::vector<TTask>& tasks, TTaskSortKey key, bool ascending,
                                       const TTitleCompare& compare = {});

// One direction per key, ascending at first; each sort by a key uses its
// direction and then reverses it, so the same sort twice in a row gives
// ascending then descending order.
class TTaskSortDirections {
public:
  bool Take(TTaskSortKey key) {
    bool& ascending = m_ascending[static_cast<std::size_t>(key)];
    const bool now = ascending;
    ascending = !ascending;
    return now;
  }

private:
  bool m_ascending[3] = {true, true, true};
};

// --- The page's settings and a row's look ---------------------------------------

struct TTaskSettings {
  TColorRef BackColor = clWindow;
  TColorRef StrColor = clWindowText;
  bool GridLines = true;
  bool HotTrack = false;
  int Hover = 3000;
  bool DoubleBuf = true;
  bool Ask = false;
  bool LimitEmphasis = true;
  int DblClickStyle = 0;
  int LimitDate = 3;
  int RowColoringStyle = 0;
  TColorRef RowColor = 0x00EFFDE3;
  TColorRef TrailColor = clSilver;
  TColorRef HighPriorityColor = clRed;
  TColorRef NormalPriorityColor = clWindowText;
  TColorRef LowPriorityColor = clHotLight;
};

// Section "Task". A "DblClickStyle", "LimitDate" or "RowColoringStyle" that
// is present but not a number gives all three their defaults.
TTaskSettings ReadTaskSettings(const THIniFile& ini);
// Every key ReadTaskSettings reads.
void WriteTaskSettings(THIniFile& ini, const TTaskSettings& settings);

struct TTaskLook {
  TColorRef Color = clWindowText;
  bool Bold = false;
  bool operator==(const TTaskLook&) const = default;
};

// A row's text colour and weight on `today`: the priority's colour (the
// list's text colour for a number other than 0..2); with LimitEmphasis and
// the task's limit set, bold when its date is at most LimitDate days from
// today either way, and then in TrailColor when the date is before today.
TTaskLook TaskLook(const TTask& task, TDate today, const TTaskSettings& settings);

}  // namespace quillet
