// The diary grep (see DiaryGrep.h).
#include "core/search/DiaryGrep.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <utility>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/base/AtomicFile.h"
#include "core/base/CodePage.h"
#include "core/search/PlainSearch.h"
#include "core/search/TxtFile.h"
#include "core/store/DayMeta.h"

namespace quillet {

namespace {

// Plain entries up to this size are read whole and searched in memory: one
// read instead of the block reader's buffer of 100 KB for every small file.
constexpr std::uintmax_t kWholeFileLimit = 1u << 20;

// Ends a body search early when the caller has seen enough (the squeeze
// needs one hit per entry).
struct TStopSearch {};

// A month folder held open and listed once. Most of the cost of a search of
// small entries is finding and opening files: one listing tells which days
// have a file (in most diaries many days have none, and probing a name is a
// path look-up), and files are opened relative to the folder.
class TMonthFolder {
public:
  explicit TMonthFolder(const std::string& path)
      : m_fd(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}  // enough to open files in it
  ~TMonthFolder() {
    if (m_fd >= 0) ::close(m_fd);
  }
  TMonthFolder(const TMonthFolder&) = delete;
  TMonthFolder& operator=(const TMonthFolder&) = delete;

  bool Exists() const noexcept { return m_fd >= 0; }

  // Marks which of `names` the folder lists. A folder that may be entered
  // but not listed (no read permission) lists every name: each is then
  // probed when opened, as if there were no listing.
  void List(const std::vector<std::string>& names) {
    m_listed.assign(names.size(), true);
    m_regular.assign(names.size(), false);
    const int fd = ::openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
      if (fd >= 0) ::close(fd);
      return;
    }
    std::vector<bool> listed(names.size(), false);
    std::vector<bool> regular(names.size(), false);
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir);
      if (!entry) break;
      const std::string_view name(entry->d_name);
      for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
          listed[i] = true;
          regular[i] = entry->d_type == DT_REG;  // unknown, a link: asked when opened
          break;
        }
      }
    }
    if (errno == 0) {  // a listing cut short by an error proves nothing
      m_listed.swap(listed);
      m_regular.swap(regular);
    }
    ::closedir(dir);
  }
  bool Listed(std::size_t index) const noexcept { return m_listed[index]; }

  // A regular file `name` in the folder, with its size.
  bool RegularFile(const std::string& name, std::uintmax_t& size) const {
    struct stat st {};
    if (::fstatat(m_fd, name.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode)) return false;
    size = static_cast<std::uintmax_t>(st.st_size);
    return true;
  }

  enum class TRead { NoFile, Read, TooLarge, Failed };
  // Reads the regular file names[index] whole into `text` when it holds at
  // most `limit` bytes; `size` is its size. NoFile when there is no regular
  // file of that name (symbolic links followed); Failed (errno set) when
  // there is one that cannot be read. A file the listing showed to be
  // regular and smaller than the first read costs an open, one read and a
  // close: entries are small.
  TRead ReadWhole(std::size_t index, const std::string& name, std::uintmax_t limit, std::string& text,
                  std::uintmax_t& size) {
    // O_NONBLOCK keeps a named pipe from blocking the open; it is no entry.
    const int fd = ::openat(m_fd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      const int error = errno;
      if (!RegularFile(name, size)) return TRead::NoFile;
      errno = error;
      return TRead::Failed;
    }
    const TRead read = ReadOpen(fd, m_regular[index], limit, text, size);
    const int error = errno;
    ::close(fd);
    errno = error;
    return read;
  }

private:
  static constexpr std::size_t kFirstRead = 64 * 1024;

  TRead ReadOpen(int fd, bool regular, std::uintmax_t limit, std::string& text, std::uintmax_t& size) {
    std::size_t got = 0;
    if (regular) {
      if (!m_first) m_first = std::make_unique_for_overwrite<char[]>(kFirstRead);
      if (!ReadSome(fd, m_first.get(), kFirstRead, got)) return TRead::Failed;
      if (got < kFirstRead && got <= limit) {  // the whole file
        text.assign(m_first.get(), got);
        size = got;
        return TRead::Read;
      }
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) return TRead::Failed;
    if (!S_ISREG(st.st_mode)) return TRead::NoFile;
    size = static_cast<std::uintmax_t>(st.st_size);
    if (size > limit) return TRead::TooLarge;
    text.assign(got > 0 ? m_first.get() : "", got);
    // One byte more than the size, so that a single read sees the end.
    text.resize(std::max(static_cast<std::size_t>(size) + 1, got + 1));
    for (;;) {
      std::size_t more = 0;
      if (!ReadSome(fd, text.data() + got, text.size() - got, more)) return TRead::Failed;
      got += more;
      if (got < text.size()) break;  // short of what was asked for: the end
      text.resize(text.size() * 2);  // the file grew since fstat
    }
    text.resize(got);
    size = got;
    return TRead::Read;
  }

  // One read(2), repeated when interrupted.
  static bool ReadSome(int fd, char* into, std::size_t room, std::size_t& got) {
    for (;;) {
      const ssize_t n = ::read(fd, into, room);
      if (n >= 0) {
        got = static_cast<std::size_t>(n);
        return true;
      }
      if (errno != EINTR) return false;
    }
  }

  int m_fd;
  std::vector<bool> m_listed;
  std::vector<bool> m_regular;     // the listing says: a regular file
  std::unique_ptr<char[]> m_first;  // the first read of each file
};

}  // namespace

std::string RegExpErrorText(const ERegExpParser& error) {
  std::string message;
  ToUtf8(error.Message(), message);
  return message + " (position " + std::to_string(error.Position()) + ")";
}

int PriorityFromSetting(int stored) noexcept { return stored >= 0 && stored <= 6 ? stored : kNormalPriority; }

std::int64_t ProgressUnits(std::uintmax_t bytes) noexcept {
  return static_cast<std::int64_t>((bytes + 1023) / 1024);
}

TGrepOptions ReadGrepOptions(const THIniFile& ini, int currentYear, int currentMonth) {
  TGrepOptions options;
  options.FromYear = keys::GrepFromYear.Read(ini, currentYear);
  options.FromMonth = keys::GrepFromMonth.Read(ini, currentMonth);
  options.ToYear = keys::GrepToYear.Read(ini, currentYear);
  options.ToMonth = keys::GrepToMonth.Read(ini, currentMonth);
  options.CaseSensitive = keys::GrepAnsi.Read(ini);
  options.RegExp = keys::GrepBmReg.Read(ini);
  options.SearchEncrypted = keys::GrepCode.Read(ini);
  options.SearchTitles = keys::GrepTitle.Read(ini);
  options.ShowProgress = keys::GrepProgress.Read(ini);
  options.Priority = PriorityFromSetting(keys::GrepPriority.Read(ini));
  return options;
}

void WriteGrepOptions(THIniFile& ini, const TGrepOptions& options) {
  keys::GrepFromYear.Write(ini, options.FromYear);
  keys::GrepFromMonth.Write(ini, options.FromMonth);
  keys::GrepToYear.Write(ini, options.ToYear);
  keys::GrepToMonth.Write(ini, options.ToMonth);
  keys::GrepAnsi.Write(ini, options.CaseSensitive);
  keys::GrepBmReg.Write(ini, options.RegExp);
  keys::GrepCode.Write(ini, options.SearchEncrypted);
  keys::GrepTitle.Write(ini, options.SearchTitles);
  keys::GrepProgress.Write(ini, options.ShowProgress);
  keys::GrepPriority.Write(ini, PriorityFromSetting(options.Priority));
}

std::string ValidateGrepStart(const TGrepOptions& options) {
  // A text of blanks and quotes has no pattern either: searching the whole
  // diary for nothing would only end in "not found".
  if (SplitGrepPatterns(options.PatternText, false).empty()) return std::string(kMsgEnterSearchText);
  const auto validYear = [](int year) { return year >= kFirstDiaryYear && year <= kLastDiaryYear; };
  const auto validMonth = [](int month) { return month >= 1 && month <= 12; };
  if (!validYear(options.FromYear) || !validYear(options.ToYear) || !validMonth(options.FromMonth) ||
      !validMonth(options.ToMonth)) {
    return std::string(kMsgBadPeriod);
  }
  if (options.FromYear > options.ToYear || (options.FromYear == options.ToYear && options.FromMonth > options.ToMonth)) {
    return std::string(kMsgBadPeriod);
  }
  return {};
}

std::vector<std::string> SplitGrepPatterns(std::string_view text, bool lower) {
  std::vector<std::string> patterns;
  std::string piece;
  bool quoted = false;
  const auto finish = [&] {
    if (!piece.empty()) patterns.push_back(lower ? LowerCase(piece) : piece);
    piece.clear();
  };
  // Walks characters: a double-byte character is copied whole.
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = CharLength(text, i);
    const char c = text[i];
    if (length == 1 && c == '"') {
      quoted = !quoted;
    } else if (length == 1 && c == ' ' && !quoted) {
      finish();
    } else {
      piece.append(text.substr(i, length));
    }
    i += length;
  }
  finish();
  return patterns;
}

// Captions are built by appending: GCC 12 warns falsely (-Wrestrict) about
// a literal + std::string at -O3.
std::string GrepNotFoundCaption(std::string_view pattern) {
  std::string caption("\"");
  caption.append(pattern).append("\" は検出されませんでした");
  return caption;
}

std::string GrepResultCaption(std::string_view pattern) {
  std::string caption("\"");
  caption.append(pattern).append(" \"の検索結果");
  return caption;
}

bool RemoveStaleGrepTemp(const std::string& appFolder) {
  const std::string path = appFolder + std::string(kGrepTempName);
  return ::unlink(path.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR;
}

// --- TEntrySearch --------------------------------------------------------------

TEntrySearch::TEntrySearch(std::vector<std::string> patterns, bool regExp, bool caseSensitive, const TCode& code)
    : m_patterns(std::move(patterns)),
      m_regExp(regExp),
      m_caseSensitive(caseSensitive || regExp),
      m_code(code),
      m_title(std::make_unique<TAWKStr>()) {}

TEntrySearch::~TEntrySearch() = default;

void TEntrySearch::Cancel() noexcept {
  m_cancel.store(true, std::memory_order_relaxed);
  m_grep.Cancel.store(true, std::memory_order_relaxed);
}

void TEntrySearch::SearchBody(const std::string& path, std::uintmax_t size, TEntryMethod method, int keyNumber,
                              const std::function<bool(std::size_t)>& onHit) {
  if (Cancelled()) throw EGrepCancel();
  if (method == TEntryMethod::Plain && size > kWholeFileLimit) {
    SearchLines(path, {}, false, onHit);  // large: read in blocks
    return;
  }
  std::string text;
  if (!ReadFileBytes(path, text)) throw EUnreadableEntry(path + ": " + std::strerror(errno));
  SearchText(path, text, method, keyNumber, onHit);
}

void TEntrySearch::SearchText(const std::string& path, std::string& text, TEntryMethod method, int keyNumber,
                              const std::function<bool(std::size_t)>& onHit) {
  if (Cancelled()) throw EGrepCancel();
  if (method == TEntryMethod::Number) {
    const std::uint8_t key = KeyByte(keyNumber);
    for (char& c : text) c = static_cast<char>(static_cast<std::uint8_t>(c) ^ key);
    text = StripNumberKeyMarkers(text);
  } else if (method == TEntryMethod::Word) {
    if (!m_wordKey) m_wordKey = std::make_unique<TWordKeyCipher>(m_code.Word);
    if (!m_wordKey->DecryptInPlace(text)) throw EUnreadableEntry(path + ": does not decrypt with the key word");
    // The window loads a text only up to a NUL byte; search what it shows.
    text.resize(std::min(text.find('\0'), text.size()));
  }
  SearchLines(path, text, true, onHit);
}

void TEntrySearch::SearchLines(const std::string& path, std::string_view text, bool inMemory,
                               const std::function<bool(std::size_t)>& onHit) {
  try {
    if (m_regExp) {
      m_grep.OnMatch = [&](TGrep&, const TGrepLine& line) {
        if (!onHit(line.LineNumber)) throw TStopSearch();
      };
      for (const std::string& pattern : m_patterns) {
        m_grep.SetRegExp(pattern);
        if (inMemory) {
          m_grep.GrepText(text);
        } else {
          m_grep.Grep(path);
        }
      }
      return;
    }
    bool stop = false;
    if (inMemory) {
      const std::string all = LinesOfText(text);
      const std::string_view lines(all);
      std::size_t firstLine = 1;
      for (std::size_t from = 0; from + 1 < lines.size() && !stop;) {
        const std::size_t to = BlockEndAfter(lines, from);
        const std::string_view block = lines.substr(from, to - from + 1);
        PlainBlock(block, firstLine, onHit, stop);
        firstLine += CountLineFeeds(block.data() + 1, block.size() - 1);
        from = to;
      }
      return;
    }
    TTxtFile file(path, &m_cancel);
    while (!stop) {
      try {
        file.ReadBlock();
      } catch (const EEndOfFile&) {
        return;
      }
      PlainBlock(file.Lines(), file.FirstLineNumber(), onHit, stop);
    }
  } catch (const TStopSearch&) {
  } catch (const std::system_error& error) {
    throw EUnreadableEntry(error.what());
  }
}

// Each pattern is searched for over the whole block (one memmem pass per
// pattern rather than a call per line and pattern), and its hits are taken
// line by line: a line is reported once for each pattern that occurs in
// it, in pattern order, as a search line by line would. A hit must lie
// inside its line (before the CR LF), and FindPlain keeps it on character
// boundaries; a line end is a boundary for every line, since a lead byte
// before CR or LF stands alone.
void TEntrySearch::PlainBlock(std::string_view lines, std::size_t firstLine,
                              const std::function<bool(std::size_t)>& onHit, bool& stop) {
  if (Cancelled()) throw EGrepCancel();
  if (!m_caseSensitive) {
    m_lowered.assign(lines);
    LowerCaseInPlace(m_lowered);  // keeps lengths, and line ends where they are
    lines = m_lowered;
  }
  const std::size_t count = m_patterns.size();
  m_hitLineEnd.assign(count, std::string_view::npos);
  // The line end (offset of its '\n') of the next hit of pattern k at or
  // after `from`, a line start.
  const auto seek = [&](std::size_t k, std::size_t from) {
    const std::string& pattern = m_patterns[k];
    m_hitLineEnd[k] = std::string_view::npos;
    while (from < lines.size()) {
      const std::size_t hit = FindPlain(lines, pattern, from);
      if (hit == std::string_view::npos) return;
      const auto* end = static_cast<const char*>(std::memchr(lines.data() + hit, '\n', lines.size() - hit));
      const auto lineEnd = static_cast<std::size_t>(end - lines.data());  // the block ends in '\n'
      const std::size_t textEnd = lines[lineEnd - 1] == '\r' ? lineEnd - 1 : lineEnd;
      if (hit + pattern.size() <= textEnd) {
        m_hitLineEnd[k] = lineEnd;
        return;
      }
      from = lineEnd + 1;  // a later hit in this line would cross its end too
    }
  };
  for (std::size_t k = 0; k < count; ++k) seek(k, 1);
  std::size_t counted = 1;  // line feeds before here are counted
  std::size_t number = firstLine;
  for (;;) {
    const std::size_t lineEnd = *std::min_element(m_hitLineEnd.begin(), m_hitLineEnd.end());
    if (lineEnd == std::string_view::npos) return;
    const auto* before = static_cast<const char*>(::memrchr(lines.data(), '\n', lineEnd));  // lines[0] is '\n'
    const auto lineStart = static_cast<std::size_t>(before - lines.data()) + 1;
    number += CountLineFeeds(lines.data() + counted, lineStart - counted);
    counted = lineStart;
    if (Cancelled()) throw EGrepCancel();  // before each line it reports, as the file grep does
    for (std::size_t k = 0; k < count; ++k) {
      if (m_hitLineEnd[k] != lineEnd) continue;
      if (!onHit(number)) {
        stop = true;
        return;
      }
      seek(k, lineEnd + 1);
    }
  }
}

int TEntrySearch::TitleHits(std::string_view title, bool firstOnly) {
  std::string lowered;
  if (!m_caseSensitive) {
    lowered.assign(title);
    LowerCaseInPlace(lowered);
    title = lowered;
  }
  int hits = 0;
  for (const std::string& pattern : m_patterns) {
    bool hit;
    if (m_regExp) {
      m_title->SetRegExp(pattern);
      std::size_t start = 0;
      std::size_t length = 0;
      hit = m_title->Match(title, start, length);
    } else {
      hit = ContainsPlain(title, pattern);
    }
    if (!hit) continue;
    ++hits;
    if (firstOnly) break;
  }
  return hits;
}

// --- TDiaryGrep -------------------------------------------------------------------

TDiaryGrep::TDiaryGrep(const TGrepOptions& options, const TStoreSettings& settings, const TCode& code)
    : m_options(options),
      m_settings(settings),
      m_keyNumber(code.Number),
      m_search(SplitGrepPatterns(options.PatternText, !options.RegExp && !options.CaseSensitive), options.RegExp,
               options.CaseSensitive, code) {}

std::vector<TDiaryGrep::TMonth> TDiaryGrep::Months() const {
  std::vector<TMonth> months;
  for (int year = m_options.FromYear; year <= m_options.ToYear; ++year) {
    const int first = year == m_options.FromYear ? m_options.FromMonth : 1;
    const int last = year == m_options.ToYear ? m_options.ToMonth : 12;
    for (int month = std::max(first, 1); month <= std::min(last, 12); ++month) months.push_back({year, month});
  }
  return months;
}

std::int64_t TDiaryGrep::Estimate(const std::vector<TMonth>& months) {
  std::int64_t total = 0;
  for (const TMonth& m : months) {
    const TMonthFolder folder(EntryFolder(m_settings, MakeDate(m.Year, m.Month, 1)));
    if (!folder.Exists()) continue;
    for (int day = 1; day <= DaysInMonth(m.Year, m.Month); ++day) {
      if (m_search.Cancelled()) throw EGrepCancel();
      std::uintmax_t size = 0;
      if (folder.RegularFile(EntryFileName(m_settings, m.Year, m.Month, day), size)) total += ProgressUnits(size);
    }
  }
  return total;
}

TSearchOutcome TDiaryGrep::Run() {
  TSearchOutcome outcome;
  if (!FolderExists(m_settings.SavePath)) return outcome;
  const std::vector<TMonth> months = Months();
  try {
    if (m_options.ShowProgress) {
      if (OnStatus) OnStatus(kMsgEstimating);
      const std::int64_t total = Estimate(months);
      if (OnProgressMax) OnProgressMax(total);
    }
    if (OnStatus) OnStatus(kMsgSearching);
    std::int64_t position = 0;
    for (const TMonth& month : months) {
      if (m_search.Cancelled()) throw EGrepCancel();
      SearchMonth(month, position, outcome);
    }
  } catch (const EGrepCancel&) {
    outcome.Cancelled = true;
  }
  outcome.Cancelled = outcome.Cancelled || m_search.Cancelled();
  return outcome;
}

void TDiaryGrep::SearchMonth(const TMonth& month, std::int64_t& position, TSearchOutcome& outcome) {
  const std::string folder = EntryFolder(m_settings, MakeDate(month.Year, month.Month, 1));
  TMonthFolder files(folder);
  if (!files.Exists()) return;
  const THIniFile ini(folder + std::string(kSetIniName), false);
  if (ini.ReadFailed()) {
    outcome.Unreadable.push_back(ini.FileName());
    return;
  }
  // Day numbers past the month's end are never looked up (see the header).
  const int days = DaysInMonth(month.Year, month.Month);
  m_names.resize(static_cast<std::size_t>(days));
  for (int day = 1; day <= days; ++day) {
    m_names[static_cast<std::size_t>(day - 1)] = EntryFileName(m_settings, month.Year, month.Month, day);
  }
  files.List(m_names);
  for (int day = 1; day <= days; ++day) {
    if (m_search.Cancelled()) throw EGrepCancel();
    const TDayMeta meta = ReadDayMeta(ini, day);
    TGrepItem entry;
    entry.Method = meta.EntryMethod();
    entry.KeyNumber = meta.KeyNumber(m_keyNumber);
    const std::string& name = m_names[static_cast<std::size_t>(day - 1)];
    entry.Path = folder + name;
    entry.Date = MakeDate(month.Year, month.Month, day);
    entry.Title = meta.Title;
    const auto onHit = [&](std::size_t line) {
      BodyHit(entry.Path, line, entry);
      return true;
    };
    try {
      std::uintmax_t size = 0;
      bool exists = false;
      if (files.Listed(static_cast<std::size_t>(day - 1))) {
        if (entry.Method == TEntryMethod::Plain || m_options.SearchEncrypted) {
          // Plain entries past the limit are searched in blocks; encrypted
          // ones are always decrypted whole.
          const std::uintmax_t limit = entry.Method == TEntryMethod::Plain ? kWholeFileLimit : UINTMAX_MAX;
          const TMonthFolder::TRead read =
              files.ReadWhole(static_cast<std::size_t>(day - 1), name, limit, m_text, size);
          exists = read != TMonthFolder::TRead::NoFile;
          try {
            if (read == TMonthFolder::TRead::Read) {
              m_search.SearchText(entry.Path, m_text, entry.Method, entry.KeyNumber, onHit);
            } else if (read == TMonthFolder::TRead::TooLarge) {
              m_search.SearchBody(entry.Path, size, entry.Method, entry.KeyNumber, onHit);
            } else if (read == TMonthFolder::TRead::Failed) {
              throw EUnreadableEntry(entry.Path + ": " + std::strerror(errno));
            }
          } catch (const EUnreadableEntry&) {
            outcome.Unreadable.push_back(entry.Path);  // the title is still searched
          }
        } else {
          exists = files.RegularFile(name, size);
        }
      }
      if (exists) {
        position += ProgressUnits(size);
        if (m_options.ShowProgress && OnProgress) OnProgress(position);
      }
      if (m_options.SearchTitles && !entry.Title.empty() && m_search.TitleHits(entry.Title, true) > 0) {
        TitleHit(entry);
      }
    } catch (const ERegExpParser& error) {
      if (outcome.RegExpError.empty()) outcome.RegExpError = RegExpErrorText(error);
    }
  }
}

void TDiaryGrep::BodyHit(const std::string& path, std::size_t line, const TGrepItem& day) {
  if (!m_items.empty() && m_items.back().Path == path) {
    m_items.back().Lines += ',' + std::to_string(line);
    return;
  }
  TGrepItem item = day;
  item.Kind = TGrepKind::Body;
  item.Lines = std::to_string(line);
  m_items.push_back(std::move(item));
}

void TDiaryGrep::TitleHit(const TGrepItem& day) {
  if (!m_items.empty() && m_items.back().Path == day.Path) {
    if (m_items.back().Kind == TGrepKind::Body) m_items.back().Kind = TGrepKind::BodyAndTitle;
    return;
  }
  TGrepItem item = day;
  item.Kind = TGrepKind::Title;
  item.Lines.clear();
  m_items.push_back(std::move(item));
}

}  // namespace quillet
