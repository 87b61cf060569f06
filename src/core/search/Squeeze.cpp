// The squeeze (see Squeeze.h).
#include "core/search/Squeeze.h"

#include <algorithm>
#include <utility>

#include <sys/stat.h>

#include "core/app/HIniFile.h"
#include "core/search/TxtFile.h"
#include "core/store/DayMeta.h"

namespace quillet {

namespace {

bool RegularFile(const std::string& path, std::uintmax_t& size) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = static_cast<std::uintmax_t>(st.st_size);
  return true;
}

}  // namespace

TSqueezeOptions ReadSqueezeOptions(const THIniFile& ini) {
  TSqueezeOptions options;
  options.CaseSensitive = keys::SqueezeAnsi.Read(ini);
  options.RegExp = keys::SqueezeBmReg.Read(ini);
  options.ShowProgress = keys::SqueezeProgress.Read(ini);
  options.Priority = PriorityFromSetting(keys::SqueezePriority.Read(ini));
  return options;
}

void WriteSqueezeOptions(THIniFile& ini, const TSqueezeOptions& options) {
  keys::SqueezeAnsi.Write(ini, options.CaseSensitive);
  keys::SqueezeBmReg.Write(ini, options.RegExp);
  keys::SqueezeProgress.Write(ini, options.ShowProgress);
  keys::SqueezePriority.Write(ini, PriorityFromSetting(options.Priority));
}

std::string ValidateSqueezeStart(std::string_view patternText, bool haveResultWindow, std::size_t itemCount) {
  if (SplitGrepPatterns(patternText, false).empty()) return std::string(kMsgEnterSqueezeText);
  if (!haveResultWindow) return std::string(kMsgNoTargetList);
  if (itemCount == 0) return std::string(kMsgNothingToSearch);
  return {};
}

// Built by appending, as the grep's captions (GCC 12's false -Wrestrict).
std::string SqueezeResultCaption(std::string_view pattern) {
  std::string caption("\" ");
  caption.append(pattern).append(" \"の絞込み結果");
  return caption;
}

std::string SqueezeCountMessage(std::size_t marked) {
  if (marked == 0) return " 絞り込み対象は存在しませんでした";
  std::string message(" ");
  message.append(std::to_string(marked)).append("個絞り込みました");
  return message;
}

std::size_t CountMarked(const TGrepList& items) noexcept {
  return static_cast<std::size_t>(
      std::count_if(items.begin(), items.end(), [](const TGrepItem& item) { return item.SqueezeMark != 0; }));
}

TSqueeze::TSqueeze(const TSqueezeOptions& options, TGrepList items, const TCode& code)
    : m_options(options),
      m_items(std::move(items)),
      m_keyNumber(code.Number),
      m_search(SplitGrepPatterns(options.PatternText, !options.RegExp && !options.CaseSensitive), options.RegExp,
               options.CaseSensitive, code) {}

TSearchOutcome TSqueeze::Run() {
  TSearchOutcome outcome;
  const bool narrowing = CountMarked(m_items) > 0;
  const auto examined = [&](const TGrepItem& item) { return !narrowing || item.SqueezeMark != 0; };
  if (m_options.ShowProgress && OnProgressMax) {
    OnProgressMax(static_cast<std::int64_t>(std::count_if(m_items.begin(), m_items.end(), examined)));
  }
  std::int64_t position = 0;
  try {
    for (TGrepItem& item : m_items) {
      if (m_search.Cancelled()) throw EGrepCancel();
      if (!examined(item)) continue;
      item.SqueezeMark = 0;
      if (m_options.ShowProgress && OnProgress) OnProgress(++position);
      if (Examine(item, outcome)) item.SqueezeMark = 1;
    }
  } catch (const EGrepCancel&) {
    outcome.Cancelled = true;
    return outcome;
  }
  if (CountMarked(m_items) > 0) {
    std::stable_sort(m_items.begin(), m_items.end(),
                     [](const TGrepItem& a, const TGrepItem& b) { return a.SqueezeMark > b.SqueezeMark; });
  }
  return outcome;
}

bool TSqueeze::Examine(TGrepItem& item, TSearchOutcome& outcome) {
  try {
    std::uintmax_t size = 0;
    if (item.Kind != TGrepKind::Title && RegularFile(item.Path, size)) {
      const std::string folder = item.Path.substr(0, item.Path.rfind('/') + 1);
      if (!m_ini || folder != m_iniFolder) {
        m_ini = std::make_unique<THIniFile>(folder + std::string(kSetIniName), false);
        m_iniFolder = folder;
      }
      if (m_ini->ReadFailed()) {
        // Without the flags an encrypted body would be searched as garbage.
        outcome.Unreadable.push_back(m_ini->FileName());
      } else {
        const TDayMeta meta = ReadDayMeta(*m_ini, DayOf(item.Date));
        bool hit = false;
        try {
          m_search.SearchBody(item.Path, size, meta.EntryMethod(), meta.KeyNumber(m_keyNumber), [&](std::size_t) {
            hit = true;
            return false;  // one hit decides
          });
        } catch (const EUnreadableEntry&) {
          outcome.Unreadable.push_back(item.Path);
        }
        if (hit) return true;
      }
    }
    return item.Kind != TGrepKind::Body && !item.Title.empty() && m_search.TitleHits(item.Title, true) > 0;
  } catch (const ERegExpParser& error) {
    if (outcome.RegExpError.empty()) outcome.RegExpError = RegExpErrorText(error);
    return false;
  }
}

}  // namespace quillet
