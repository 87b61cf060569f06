// The task file and the task page's rules (see TaskFile.h).
#include "core/tasks/TaskFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <numeric>

#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "core/base/AtomicFile.h"
#include "core/base/CodePage.h"
#include "core/store/DateFormat.h"

namespace quillet {

namespace {

constexpr char kBar = '|';
constexpr char kBackslash = '\\';
constexpr std::string_view kLineBreakEscape = "\\n";
constexpr std::string_view kCrLf = "\r\n";
constexpr TCharCode kFullWidthBar = 0x8162;        // "｜"
constexpr TCharCode kFullWidthBackslash = 0x815F;  // "＼"
constexpr int kFields = 6;

bool IsSingle(std::string_view s, std::size_t i, char c) { return CharLength(s, i) == 1 && s[i] == c; }

bool HasBar(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i))
    if (IsSingle(s, i, kBar)) return true;
  return false;
}

bool HasBackslashN(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i))
    if (IsSingle(s, i, kBackslash) && i + 1 < s.size() && s[i + 1] == 'n') return true;
  return false;
}

// A lead byte with nothing after it, or before CR or LF: CharLength would
// pair it with the separator or the escape that follows it in the file.
bool HasBrokenCharacter(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); i += CharLength(s, i)) {
    if (!IsLeadByte(static_cast<unsigned char>(s[i]))) continue;
    if (i + 1 == s.size() || s[i + 1] == '\r' || s[i + 1] == '\n') return true;
  }
  return false;
}

bool HasLoneBreak(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n')) return true;
    if (s[i] == '\n' && (i == 0 || s[i - 1] != '\r')) return true;
  }
  return false;
}

// Every line break (CR LF, or a lone CR or LF) as backslash and "n", so that
// a field never splits the line.
void AppendEscaped(std::string& out, std::string_view field) {
  for (std::size_t i = 0; i < field.size();) {
    if (field[i] == '\r' || field[i] == '\n') {
      out += kLineBreakEscape;
      i += field.compare(i, 2, kCrLf) == 0 ? std::size_t{2} : std::size_t{1};
      continue;
    }
    const std::size_t n = CharLength(field, i);
    out.append(field, i, n);
    i += n;
  }
}

// The memo's backslash-"n" pairs as CR LF; a backslash that ends a
// double-byte character is not one.
std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size();) {
    if (IsSingle(field, i, kBackslash) && i + 1 < field.size() && field[i + 1] == 'n') {
      out += kCrLf;
      i += 2;
      continue;
    }
    const std::size_t n = CharLength(field, i);
    out.append(field, i, n);
    i += n;
  }
  return out;
}

// The pieces of a line that each end with "|", and whether anything (text
// after the last "|") was left over.
std::vector<std::string_view> Pieces(std::string_view line, bool& rest) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i < line.size(); i += CharLength(line, i)) {
    if (!IsSingle(line, i, kBar)) continue;
    pieces.push_back(line.substr(start, i - start));
    start = i + 1;
  }
  rest = start < line.size();
  return pieces;
}

// Digits only, one to `most` of them.
std::optional<int> Number(std::string_view text, std::size_t most) {
  if (text.empty() || text.size() > most) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

void ReplaceCode(std::string& text, std::size_t at, TCharCode code) {
  std::string bytes;
  AppendCode(bytes, code);
  text.replace(at, 1, bytes);
}

}  // namespace

TTask NewTask(TDate today) {
  TTask task;
  task.Date = today;
  task.Title = "NewTask";
  return task;
}

TTask PlaceholderTask(TDate today, std::string shownTitle) {
  TTask task;
  task.Comment = "Error";
  task.Date = today;
  task.Memo = "Invalidate Task";
  task.Title = "TaskError";
  task.ShownTitle = std::move(shownTitle);
  return task;
}

const std::string& TitleCaption(const TTask& task) { return task.ShownTitle ? *task.ShownTitle : task.Title; }

std::string TaskFileDate(TDate date) { return FormatDatePattern(kShortDatePattern, date); }

std::string TaskColumnDate(TDate date) { return FormatDatePattern("yy/mm/dd", date); }

std::optional<TDate> ParseTaskDate(std::string_view text, TDate today) {
  text = TrimBlanks(text);
  const std::size_t first = text.find('/');
  const std::size_t second = first == std::string_view::npos ? first : text.find('/', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  const std::string_view yearText = text.substr(0, first);
  const std::optional<int> year = Number(yearText, 4);
  const std::optional<int> month = Number(text.substr(first + 1, second - first - 1), 2);
  const std::optional<int> day = Number(text.substr(second + 1), 2);
  if (!year || !month || !day) return std::nullopt;
  int fullYear = *year;
  if (yearText.size() <= 2) {
    // The year ending in these digits from 50 years before today to 49 after.
    const int low = YearOf(today) - 50;
    fullYear = low - (((low % 100) + 100) % 100) + *year;
    if (fullYear < low) fullYear += 100;
  }
  const TDate date = MakeDate(fullYear, *month, *day);
  if (!IsDiaryDate(date)) return std::nullopt;
  return date;
}

unsigned TaskFlaws(const TTask& task) {
  unsigned flaws = tfNone;
  for (const std::string* field : {&task.Comment, &task.Memo, &task.Title}) {
    if (HasBar(*field)) flaws |= tfBar;
    if (HasBrokenCharacter(*field)) flaws |= tfBrokenCharacter;
  }
  if (task.Comment.find_first_of("\r\n") != std::string::npos || task.Title.find_first_of("\r\n") != std::string::npos)
    flaws |= tfLineBreak;
  if (HasBackslashN(task.Memo)) flaws |= tfMemoBackslashN;
  if (HasLoneBreak(task.Memo)) flaws |= tfMemoLoneBreak;
  return flaws;
}

void ReplaceUnstorable(TTask& task) {
  for (std::string* field : {&task.Comment, &task.Memo, &task.Title}) {
    // From the end, so that a replacement never moves what is still to see.
    std::vector<std::size_t> bars;
    for (std::size_t i = 0; i < field->size(); i += CharLength(*field, i))
      if (IsSingle(*field, i, kBar)) bars.push_back(i);
    for (auto it = bars.rbegin(); it != bars.rend(); ++it) ReplaceCode(*field, *it, kFullWidthBar);
  }
  std::vector<std::size_t> backslashes;
  for (std::size_t i = 0; i < task.Memo.size(); i += CharLength(task.Memo, i))
    if (IsSingle(task.Memo, i, kBackslash) && i + 1 < task.Memo.size() && task.Memo[i + 1] == 'n')
      backslashes.push_back(i);
  for (auto it = backslashes.rbegin(); it != backslashes.rend(); ++it)
    ReplaceCode(task.Memo, *it, kFullWidthBackslash);
}

std::string TaskLine(const TTask& task) {
  std::string line;
  AppendEscaped(line, task.Comment);
  line += kBar;
  line += TaskFileDate(task.Date);
  line += kBar;
  line += task.Limit ? '1' : '0';
  line += kBar;
  line += std::to_string(task.Priority);
  line += kBar;
  AppendEscaped(line, task.Memo);
  line += kBar;
  AppendEscaped(line, task.Title);
  line += kBar;
  return line;
}

std::string TaskFileBytes(const std::vector<TTask>& tasks) {
  std::string bytes(kTaskFileVersion);
  bytes += kCrLf;
  for (const TTask& task : tasks) bytes.append(TaskLine(task)).append(kCrLf);
  return bytes;
}

TTaskParse ParseTaskFile(std::string_view bytes, TDate today) {
  TTaskParse parse;
  const std::vector<std::string_view> lines = SplitLines(bytes);
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string_view line = lines[n];
    const int number = static_cast<int>(n) + 1;
    if (line.empty() || (n == 0 && line == kTaskFileVersion)) continue;
    bool rest = false;
    const std::vector<std::string_view> pieces = Pieces(line, rest);
    if (pieces.size() < kFields) {
      parse.Problems.push_back({number, TTaskLineProblem::LeftOut});
      continue;
    }
    TTask task;
    int priority = 0;
    const std::optional<TDate> date = ParseTaskDate(pieces[1], today);
    if (!date || !ParseInteger(pieces[3], priority)) {
      parse.Tasks.push_back(PlaceholderTask(today, std::string(pieces[5])));
      parse.Problems.push_back({number, TTaskLineProblem::Placeholder});
      continue;
    }
    task.Comment = pieces[0];
    task.Date = *date;
    task.Limit = pieces[2] == "1";
    task.Priority = priority;
    task.Memo = Unescape(pieces[4]);
    task.Title = pieces[5];
    if (rest || pieces.size() > kFields)
      parse.Problems.push_back({number, TTaskLineProblem::LeftOut});
    else if (TaskLine(task) != line)
      parse.Problems.push_back({number, TTaskLineProblem::Rewritten});
    parse.Tasks.push_back(std::move(task));
  }
  return parse;
}

TTaskLoad TTaskFile::Load(TDate today) {
  TTaskLoad load;
  std::string bytes;
  if (!ReadFileBytes(m_path, bytes)) {
    const int error = errno;
    load.State = error == ENOENT || error == ENOTDIR ? TTaskRead::Missing : TTaskRead::Unreadable;
    if (load.State == TTaskRead::Unreadable) load.Error = "cannot read " + m_path + ": " + std::strerror(error);
    m_keepOld = load.State == TTaskRead::Unreadable;
    return load;
  }
  TTaskParse parse = ParseTaskFile(bytes, today);
  load.State = TTaskRead::Read;
  load.Tasks = std::move(parse.Tasks);
  load.Problems = std::move(parse.Problems);
  m_keepOld = !load.Problems.empty();
  return load;
}

TTaskSave TTaskFile::Save(const std::vector<TTask>& tasks) {
  TTaskSave save;
  for (std::size_t i = 0; i < tasks.size(); ++i) {
    if (TaskFlaws(tasks[i]) != tfNone) {
      save.Error = "task " + std::to_string(i + 1) + " holds text that " + std::string(kTaskFileName) +
                   " cannot store; nothing was written";
      return save;
    }
  }
  struct stat st {};
  const bool exists = ::stat(m_path.c_str(), &st) == 0;
  if (exists && (st.st_mode & S_IWUSR) == 0) {
    save.Error = m_path + " is read-only; nothing was written";
    return save;
  }
  if (exists && m_keepOld) {
    if (!SetAsideFile(m_path, save.SetAsidePath, &save.Error)) return save;
    m_keepOld = false;
  }
  if (tasks.empty()) {
    if (::unlink(m_path.c_str()) != 0 && errno != ENOENT) {
      save.Error = "cannot remove " + m_path + ": " + std::strerror(errno);
      return save;
    }
    SyncFolder(m_path.substr(0, m_path.rfind('/') + 1));
    save.Deleted = true;
  } else if (!WriteFileAtomic(m_path, TaskFileBytes(tasks), &save.Error)) {
    return save;
  }
  m_keepOld = false;
  save.Ok = true;
  return save;
}

std::vector<std::size_t> TaskSortOrder(const std::vector<TTask>& tasks, TTaskSortKey key, bool ascending,
                                       const TTitleCompare& compare) {
  std::vector<std::size_t> order(tasks.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  const auto compareTitles = [&](const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return static_cast<int>(!a.empty()) - static_cast<int>(!b.empty());
    if (compare) return compare(a, b);
    return a.compare(b);
  };
  const auto sign = [&](std::size_t a, std::size_t b) {
    const TTask& x = tasks[a];
    const TTask& y = tasks[b];
    switch (key) {
      case TTaskSortKey::Date: return x.Date < y.Date ? -1 : (y.Date < x.Date ? 1 : 0);
      case TTaskSortKey::Title: return compareTitles(TitleCaption(x), TitleCaption(y));
      case TTaskSortKey::Priority: return x.Priority < y.Priority ? -1 : (y.Priority < x.Priority ? 1 : 0);
    }
    return 0;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return ascending ? sign(a, b) < 0 : sign(a, b) > 0; });
  return order;
}

TTaskSettings ReadTaskSettings(const THIniFile& ini) {
  TTaskSettings s;
  s.BackColor = keys::TaskBackColor.Read(ini);
  s.StrColor = keys::TaskStrColor.Read(ini);
  s.GridLines = keys::TaskGridLines.Read(ini);
  s.HotTrack = keys::TaskHotTrack.Read(ini);
  s.Hover = keys::TaskHover.Read(ini);
  s.DoubleBuf = keys::TaskDoubleBuf.Read(ini);
  s.Ask = keys::TaskAsk.Read(ini);
  s.LimitEmphasis = keys::TaskLimitEmphasis.Read(ini);
  // The three numbers are read as one: one that is there but unreadable
  // gives all three their defaults.
  const TIntKey* numbers[] = {&keys::TaskDblClickStyle, &keys::TaskLimitDate, &keys::TaskRowColoringStyle};
  bool readable = true;
  for (const TIntKey* key : numbers) {
    int value = 0;
    if (ini.ValueExists(key->section, key->key) && !ParseInteger(ini.ReadString(key->section, key->key, ""), value))
      readable = false;
  }
  if (readable) {
    s.DblClickStyle = keys::TaskDblClickStyle.Read(ini);
    s.LimitDate = keys::TaskLimitDate.Read(ini);
    s.RowColoringStyle = keys::TaskRowColoringStyle.Read(ini);
  }
  s.RowColor = keys::TaskRowColor.Read(ini);
  s.TrailColor = keys::TaskTrailColor.Read(ini);
  s.HighPriorityColor = keys::TaskHighPriorityColor.Read(ini);
  s.NormalPriorityColor = keys::TaskNormalPriorityColor.Read(ini);
  s.LowPriorityColor = keys::TaskLowPriorityColor.Read(ini);
  return s;
}

void WriteTaskSettings(THIniFile& ini, const TTaskSettings& s) {
  keys::TaskBackColor.Write(ini, s.BackColor);
  keys::TaskStrColor.Write(ini, s.StrColor);
  keys::TaskGridLines.Write(ini, s.GridLines);
  keys::TaskHotTrack.Write(ini, s.HotTrack);
  keys::TaskHover.Write(ini, s.Hover);
  keys::TaskDoubleBuf.Write(ini, s.DoubleBuf);
  keys::TaskAsk.Write(ini, s.Ask);
  keys::TaskLimitEmphasis.Write(ini, s.LimitEmphasis);
  keys::TaskDblClickStyle.Write(ini, s.DblClickStyle);
  keys::TaskLimitDate.Write(ini, s.LimitDate);
  keys::TaskRowColoringStyle.Write(ini, s.RowColoringStyle);
  keys::TaskRowColor.Write(ini, s.RowColor);
  keys::TaskTrailColor.Write(ini, s.TrailColor);
  keys::TaskHighPriorityColor.Write(ini, s.HighPriorityColor);
  keys::TaskNormalPriorityColor.Write(ini, s.NormalPriorityColor);
  keys::TaskLowPriorityColor.Write(ini, s.LowPriorityColor);
}

TTaskLook TaskLook(const TTask& task, TDate today, const TTaskSettings& settings) {
  TTaskLook look;
  switch (task.Priority) {
    case kPriorityHigh: look.Color = settings.HighPriorityColor; break;
    case kPriorityNormal: look.Color = settings.NormalPriorityColor; break;
    case kPriorityLow: look.Color = settings.LowPriorityColor; break;
    default: look.Color = settings.StrColor; break;
  }
  if (settings.LimitEmphasis && task.Limit) {
    const auto days = (std::chrono::sys_days(task.Date) - std::chrono::sys_days(today)).count();
    if (std::abs(days) <= settings.LimitDate) {
      look.Bold = true;
      if (task.Date < today) look.Color = settings.TrailColor;
    }
  }
  return look;
}

}  // namespace quillet
