// The hits of a diary grep: one TGrepItem per entry that matched, in the
// order the search met them (by date, body hits before the title hit of the
// same day). The grep makes the list, the result window shows, sorts and
// edits it, and the squeeze marks the items that match a second search.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/store/DayMeta.h"
#include "core/store/UDate.h"

namespace quillet {

// Where an item matched.
enum class TGrepKind { Body, Title, BodyAndTitle };

// The kind as the result window's "対象" column shows it (UTF-8):
// "本文", "タイトル", "本文 + タイトル".
inline std::string_view GrepKindText(TGrepKind kind) noexcept {
  switch (kind) {
    case TGrepKind::Body: return "本文";
    case TGrepKind::Title: return "タイトル";
    case TGrepKind::BodyAndTitle: break;
  }
  return "本文 + タイトル";
}

struct TGrepItem {
  TEntryMethod Method = TEntryMethod::Plain;
  int KeyNumber = 0;   // the number-key method's key: "CodeKey", else the program's key number
  std::string Path;    // full path of the entry file
  TDate Date{};
  std::string Lines;   // 1-based numbers of the matching body lines joined by ","; empty for a title hit
  int SqueezeMark = 0;  // 1 when the last squeeze matched it
  TGrepKind Kind = TGrepKind::Body;
  std::string Title;   // from Set.ini, code page 932
};

using TGrepList = std::vector<TGrepItem>;

}  // namespace quillet
