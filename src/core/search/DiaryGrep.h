// The diary grep: searches every entry of a range of months for one or more
// words or regular expressions, in the bodies (decrypting encrypted ones in
// memory when asked) and in the titles, and lists one TGrepItem per entry
// that matched. Also its options and settings, the pattern splitting and the
// body search that the squeeze (Squeeze.h) shares.
//
// The walk: for each month of the range whose folder exists, its Set.ini is
// read once and the folder is listed once; for each day 1 .. last day of
// the month, the entry file is month folder + EntryFileName (so every
// SaveStyle is found as saved), looked for in that listing and opened
// relative to the folder, and its flags, key number and title come from
// the day's section. Day numbers
// past the month's end are never looked up: a stray file such as 2005/2/30
// would otherwise become a hit on an impossible date.
//
// A body hit appends its 1-based line number to the entry's item, so a line
// that matches two patterns is listed twice ("4,4"); regular expressions
// give the lines pattern by pattern, plain search line by line and, inside
// a line, pattern by pattern. A title hit on an entry with body hits turns
// its kind into "本文 + タイトル" rather than adding an item.
//
// Decrypted text never reaches the disk: encrypted bodies are decrypted into
// memory and grepped there (TGrep::GrepText), and the word key's schedule is
// run once per search. Nothing is written to "Grep.~tmp"; RemoveStaleGrepTemp
// deletes one left by an older version of the program.
//
// Failures skip, never stop: a body that cannot be read or decrypted is left
// out (its title is still searched, as for an encrypted body that the options
// leave out) and counted in the result; a month whose Set.ini exists but
// cannot be read is skipped whole, since without its flags an encrypted body
// would be searched as garbage. A syntax error of a regular expression
// abandons the day it happened in, and the first such error is reported in
// the result.
//
// Threads: a TDiaryGrep is made on one thread and Run on any one thread (the
// window runs it on a worker); Cancel may be called from any thread at any
// time. The callbacks run on the thread that runs Run. Texts of patterns
// and titles are code page 932; messages are UTF-8.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/SettingsKeys.h"
#include "core/crypto/USecurity.h"
#include "core/search/Grep.h"
#include "core/search/GrepItem.h"
#include "core/store/UDate.h"

namespace quillet {

// Messages of the grep dialog (UTF-8), shown as its caption.
inline constexpr std::string_view kMsgEnterSearchText = "検索文字列を入力して下さい";
inline constexpr std::string_view kMsgBadPeriod = "検索期間が不正です";
inline constexpr std::string_view kMsgEstimating = "終了時間を算出中...";
inline constexpr std::string_view kMsgSearching = "検索中...";
inline constexpr std::string_view kMsgGrepCancelled = "検索を中止しました";
inline constexpr std::string_view kMsgThreadError = "Thread Initializing Error";

// The file older versions decrypted entries into, in the program folder.
inline constexpr std::string_view kGrepTempName = "Grep.~tmp";

namespace keys {
inline constexpr std::string_view kSqueeze = "Squeeze";
// Section "Grep"; "FromYear" .. "ToMonth" default to the current month,
// which the caller passes.
inline constexpr TIntKey GrepFromYear{kGrep, "FromYear", 0, W::Exit};
inline constexpr TIntKey GrepFromMonth{kGrep, "FromMonth", 0, W::Exit};
inline constexpr TIntKey GrepToYear{kGrep, "ToYear", 0, W::Exit};
inline constexpr TIntKey GrepToMonth{kGrep, "ToMonth", 0, W::Exit};
inline constexpr TFlagKey GrepAnsi{kGrep, "Ansi", false, W::Exit};
inline constexpr TFlagKey GrepBmReg{kGrep, "BmReg", false, W::Exit};
inline constexpr TFlagKey GrepCode{kGrep, "Code", true, W::Exit};
inline constexpr TFlagKey GrepTitle{kGrep, "Title", true, W::Exit};
inline constexpr TFlagKey GrepProgress{kGrep, "Progress", true, W::Exit};
inline constexpr TIntKey GrepPriority{kGrep, "Priority", 3, W::Exit};
inline constexpr TFlagKey SqueezeAnsi{kSqueeze, "Ansi", false, W::Exit};
inline constexpr TFlagKey SqueezeBmReg{kSqueeze, "BmReg", false, W::Exit};
inline constexpr TFlagKey SqueezeProgress{kSqueeze, "Progress", true, W::Exit};
inline constexpr TIntKey SqueezePriority{kSqueeze, "Priority", 3, W::Exit};
}  // namespace keys

// Thread priority 0 (idle) .. 6 (time-critical); 3 is normal.
inline constexpr int kNormalPriority = 3;
// A stored priority outside 0..6 gives normal.
int PriorityFromSetting(int stored) noexcept;

struct TGrepOptions {
  std::string PatternText;       // the search box, code page 932
  int FromYear = 0;
  int FromMonth = 0;
  int ToYear = 0;
  int ToMonth = 0;
  bool CaseSensitive = false;    // "Ansi"; regular expressions are always case-sensitive
  bool RegExp = false;           // "BmReg"
  bool SearchEncrypted = true;   // "Code"
  bool SearchTitles = true;      // "Title"
  bool ShowProgress = true;      // "Progress"
  int Priority = kNormalPriority;  // "Priority", 0..6
};

// Section "Grep". The month range defaults to `currentYear`/`currentMonth`;
// PatternText stays empty (the search box has its own history).
TGrepOptions ReadGrepOptions(const THIniFile& ini, int currentYear, int currentMonth);
void WriteGrepOptions(THIniFile& ini, const TGrepOptions& options);

// The checks before a search starts: empty when it may start, else the
// message. A text of double quotes and nothing else is empty; a range whose
// start lies after its end, or with a month outside 1..12 or a year outside
// the diary's years, is invalid.
std::string ValidateGrepStart(const TGrepOptions& options);

// The patterns of a search text: pieces separated by ASCII blanks outside
// double quotes (a double quote switches between inside and outside), every
// double quote then removed, empty pieces dropped. With `lower` (neither
// regular expressions nor case-sensitive) each is lowered by the code page's
// case rule. So 朝 "日 記" gives 朝 and "日 記" with its blank.
std::vector<std::string> SplitGrepPatterns(std::string_view text, bool lower);

// The captions that name the pattern (UTF-8 in, UTF-8 out).
std::string GrepNotFoundCaption(std::string_view pattern);  // "\"P\" は検出されませんでした"
std::string GrepResultCaption(std::string_view pattern);    // "\"P \"の検索結果"

// Deletes `appFolder` + "Grep.~tmp" when it exists. False only when it
// exists and cannot be deleted.
bool RemoveStaleGrepTemp(const std::string& appFolder);

// Raised inside the body search when an entry cannot be read or decrypted.
class EUnreadableEntry : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The body and title search of one set of patterns, shared by the grep and
// the squeeze. Holds a TGrep and a TAWKStr (so compiled patterns are
// cached across entries) and the word key's schedule. One per worker.
class TEntrySearch {
public:
  // `patterns` as SplitGrepPatterns gives them for these flags. `code` is
  // the key state to decrypt with (copied).
  TEntrySearch(std::vector<std::string> patterns, bool regExp, bool caseSensitive, const TCode& code);
  ~TEntrySearch();

  // Calls onHit(line number) for every hit of the body at `path`, stored by
  // `method` (number key with `keyNumber`): regular expressions pattern by
  // pattern over the file's lines, plain search line by line and pattern by
  // pattern inside a line. onHit returns false to stop the search early.
  // `size` is the file's size as the caller found it: a plain file of up to
  // 1 MiB is read whole, a larger one in blocks (encrypted ones are always
  // read whole). Throws ERegExpParser, EUnreadableEntry, EGrepCancel.
  void SearchBody(const std::string& path, std::uintmax_t size, TEntryMethod method, int keyNumber,
                  const std::function<bool(std::size_t)>& onHit);
  // SearchBody of a body already read whole into `text`, which it decrypts
  // where it lies (so `text` is changed). The same hits and exceptions.
  void SearchText(const std::string& path, std::string& text, TEntryMethod method, int keyNumber,
                  const std::function<bool(std::size_t)>& onHit);
  // The number of patterns that match `title` (regular expressions: any
  // match, possibly empty; plain: the title lowered when not case-sensitive).
  // With `firstOnly`, at most 1. Throws ERegExpParser.
  int TitleHits(std::string_view title, bool firstOnly);

  // Stops SearchBody within a block of 100 KB of text or before the next
  // line it would report, and any later call at its start. Any thread.
  void Cancel() noexcept;
  bool Cancelled() const noexcept { return m_cancel.load(std::memory_order_relaxed); }
  const std::vector<std::string>& Patterns() const noexcept { return m_patterns; }

private:
  void SearchLines(const std::string& path, std::string_view text, bool inMemory,
                   const std::function<bool(std::size_t)>& onHit);
  void PlainBlock(std::string_view lines, std::size_t firstLine, const std::function<bool(std::size_t)>& onHit,
                  bool& stop);

  std::vector<std::string> m_patterns;
  bool m_regExp;
  bool m_caseSensitive;
  TCode m_code;
  std::unique_ptr<TWordKeyCipher> m_wordKey;  // made at the first word-key entry
  TGrep m_grep;
  std::unique_ptr<TAWKStr> m_title;
  std::atomic<bool> m_cancel{false};
  std::string m_lowered;                 // reused buffer of the plain search
  std::vector<std::size_t> m_hitLineEnd;  // the plain search: per pattern, where its next hit's line ends
};

// What a grep or squeeze run ended with.
struct TSearchOutcome {
  bool Cancelled = false;
  // The first syntax error of a regular expression (UTF-8: the engine's
  // message and the byte position in the pattern), empty when none.
  std::string RegExpError;
  // Entry files that could not be read or decrypted, and month folders
  // whose Set.ini could not be read, in the order met.
  std::vector<std::string> Unreadable;
};

class TDiaryGrep {
public:
  // Copies the options, the store settings and the key state.
  TDiaryGrep(const TGrepOptions& options, const TStoreSettings& settings, const TCode& code);

  // Status texts kMsgEstimating and kMsgSearching (UTF-8).
  std::function<void(std::string_view status)> OnStatus;
  // With ShowProgress: the total (sum of ceil(size / 1024) over the entry
  // files of the range) once, then the running position after each file.
  std::function<void(std::int64_t total)> OnProgressMax;
  std::function<void(std::int64_t position)> OnProgress;

  // Searches the range; returns when done or cancelled. The items are the
  // hits found until then. Call once.
  TSearchOutcome Run();
  // Any thread, any time; Run returns soon after (within one block of
  // 100 KB of text, or before the next line it would report).
  void Cancel() noexcept { m_search.Cancel(); }

  // The hits, valid after Run; the caller may move them out.
  TGrepList& Items() noexcept { return m_items; }

private:
  struct TMonth {
    int Year;
    int Month;
  };
  std::vector<TMonth> Months() const;
  std::int64_t Estimate(const std::vector<TMonth>& months);
  void SearchMonth(const TMonth& month, std::int64_t& position, TSearchOutcome& outcome);
  void BodyHit(const std::string& path, std::size_t line, const TGrepItem& day);
  void TitleHit(const TGrepItem& day);

  TGrepOptions m_options;
  TStoreSettings m_settings;
  int m_keyNumber;  // the window's key number: the default of "CodeKey"
  TEntrySearch m_search;
  TGrepList m_items;
  std::vector<std::string> m_names;  // the entry file names of the month being searched
  std::string m_text;                // the body being searched, its buffer reused
};

// A syntax error as the outcome reports it (UTF-8): the engine's message
// and " (position N)", N the 1-based byte in the pattern.
std::string RegExpErrorText(const ERegExpParser& error);

// Size in progress units: ceil(bytes / 1024).
std::int64_t ProgressUnits(std::uintmax_t bytes) noexcept;

}  // namespace quillet
