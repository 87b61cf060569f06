// The four kinds of side-panel page (calendar, tasks, image list, titles) and
// what the settings file says about each: its section, the "OnCreate" flag
// that builds the page at start, and the "Boot" flag that loads its settings
// then. A kind's number is its "LastTab" value, and its name is both its
// section and the stem of its command names ("ActCalendarShow"), so one table
// serves the settings and the commands.
//
// Kinds are listed in their start-up order, which is also the order of their
// tabs and of their release at close.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "core/app/SettingsKeys.h"

namespace quillet {

enum class TPageKind : int { Calendar = 0, Task = 1, Viewer = 2, Title = 3 };

inline constexpr int kPageKindCount = 4;

struct TPageKindInfo {
  TPageKind kind;
  std::string_view name;     // section of the settings file and command stem
  const TFlagKey* onCreate;  // build the page at start; written at exit
  const TFlagKey* load;      // section "Boot": read the page's settings at start
};

inline constexpr std::array<TPageKindInfo, kPageKindCount> kPageKinds{{
    {TPageKind::Calendar, keys::kCalendar, &keys::CalendarOnCreate, &keys::LoadCalendar},
    {TPageKind::Task, keys::kTask, &keys::TaskOnCreate, &keys::LoadTask},
    {TPageKind::Viewer, keys::kViewer, &keys::ViewerOnCreate, &keys::LoadViewer},
    {TPageKind::Title, keys::kTitle, &keys::TitleOnCreate, &keys::LoadTitle},
}};

constexpr int PageIndex(TPageKind kind) { return static_cast<int>(kind); }

constexpr const TPageKindInfo& PageKindInfo(TPageKind kind) { return kPageKinds[static_cast<std::size_t>(kind)]; }

// The page that a "LastTab" value names; none for a value outside 0..3, which
// activates nothing at start.
constexpr std::optional<TPageKind> PageKindOfLastTab(int value) {
  if (value < 0 || value >= kPageKindCount) return std::nullopt;
  return static_cast<TPageKind>(value);
}

}  // namespace quillet
