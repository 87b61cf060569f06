// The squeeze: a second search over the entries of a result list that marks
// the ones matching again. When some items carry a mark, only those are
// examined (each loses its mark first), so squeezing again narrows the
// last squeeze; when none does, every item is. An item's body is searched
// unless it is a title-only hit, its title unless it is a body-only hit,
// with the entry's flags read afresh from its month's Set.ini. Afterwards,
// when any item is marked, the list is sorted marked first, keeping the
// order within each group.
//
// The body search is the grep's (TEntrySearch): encrypted bodies are
// decrypted in memory, nothing is written to disk. A body that cannot be
// read is skipped (its title still counts); a syntax error skips the item
// and the first one is reported in the outcome.
//
// Threads: made on one thread, Run on any one thread over its own copy of
// the list; Cancel from any thread. Callbacks run on the thread of Run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/search/DiaryGrep.h"

namespace quillet {

// Messages of the squeeze dialog (UTF-8), shown as its caption.
inline constexpr std::string_view kMsgEnterSqueezeText = "絞込み文字列を入力して下さい";
inline constexpr std::string_view kMsgNoTargetList = "対象リストが存在しません";
inline constexpr std::string_view kMsgNothingToSearch = "検索対象が存在しません";
inline constexpr std::string_view kMsgSqueezeStopped = "中止しました";
inline constexpr std::string_view kMsgSqueezeCountFailed = "絞り込み個数の把握に失敗しました";

struct TSqueezeOptions {
  std::string PatternText;  // code page 932
  bool CaseSensitive = false;  // "Ansi"
  bool RegExp = false;         // "BmReg"
  bool ShowProgress = true;    // "Progress"
  int Priority = kNormalPriority;  // "Priority", 0..6
};

// Section "Squeeze"; PatternText stays empty.
TSqueezeOptions ReadSqueezeOptions(const THIniFile& ini);
void WriteSqueezeOptions(THIniFile& ini, const TSqueezeOptions& options);

// The checks before a squeeze starts, in order: no pattern in the text, no
// result window, an empty list. Empty when it may start, else the message.
std::string ValidateSqueezeStart(std::string_view patternText, bool haveResultWindow, std::size_t itemCount);

// The result window's caption after a squeeze (UTF-8 pattern):
// "\" P \"の絞込み結果".
std::string SqueezeResultCaption(std::string_view pattern);
// The result window's status after a squeeze: " N個絞り込みました", or
// " 絞り込み対象は存在しませんでした" for none.
std::string SqueezeCountMessage(std::size_t marked);
std::size_t CountMarked(const TGrepList& items) noexcept;

class TSqueeze {
public:
  // Copies the options, the list and the key state (the number key of an
  // entry without "CodeKey" is code.Number).
  TSqueeze(const TSqueezeOptions& options, TGrepList items, const TCode& code);

  // With ShowProgress: the number of items to examine once, then the count
  // examined so far after each.
  std::function<void(std::int64_t total)> OnProgressMax;
  std::function<void(std::int64_t position)> OnProgress;

  // Examines the items and sorts them; a cancelled run leaves the marks as
  // far as it came and does not sort. Call once.
  TSearchOutcome Run();
  void Cancel() noexcept { m_search.Cancel(); }

  // The list with its new marks, valid after Run.
  TGrepList& Items() noexcept { return m_items; }

private:
  bool Examine(TGrepItem& item, TSearchOutcome& outcome);

  TSqueezeOptions m_options;
  TGrepList m_items;
  int m_keyNumber;
  TEntrySearch m_search;
  std::string m_iniFolder;  // the Set.ini read last, kept for the next item
  std::unique_ptr<THIniFile> m_ini;
};

}  // namespace quillet
