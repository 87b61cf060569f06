// Date helpers and the date-to-path rule of the diary (see UDate.h).
#include "core/store/UDate.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <ctime>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "core/store/DateFormat.h"

namespace quillet {
namespace {

namespace chr = std::chrono;

// The patterns by SaveStyle; the folder part is the same for every style.
constexpr std::string_view kPatternStyle0 = "yyyy/m/d";
constexpr std::string_view kPatternStyle1 = "yyyy/m/yyyymmdd";
constexpr std::string_view kPatternStyle2 = "yyyy/m/m-d";

std::string_view PatternOf(int style) {
  switch (style) {
    case 1: return kPatternStyle1;
    case 2: return kPatternStyle2;
    default: return kPatternStyle0;
  }
}

// The file-name part of a style's pattern (after the last "/").
std::string_view FileNamePatternOf(int style) {
  const std::string_view pattern = PatternOf(style);
  return pattern.substr(pattern.rfind('/') + 1);
}

// One level of folder: created with 0700 when missing. The parent must exist.
bool MakeOneFolder(const std::string& folder) {
  if (FolderExists(folder)) return true;
  if (::mkdir(folder.c_str(), 0700) == 0) {
    ::chmod(folder.c_str(), 0700);  // exactly 0700, whatever the umask
    return true;
  }
  return errno == EEXIST && FolderExists(folder);
}

tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return local;
}

// Code page 932 weekday suffixes "日(月)" .. "日(日)", Monday first.
constexpr std::array<std::string_view, 7> kWeekdaySuffixes{
    "\x93\xFA(\x8C\x8E)", "\x93\xFA(\x89\xCE)", "\x93\xFA(\x90\x85)", "\x93\xFA(\x96\xD8)",
    "\x93\xFA(\x8B\xE0)", "\x93\xFA(\x93\x79)", "\x93\xFA(\x93\xFA)",
};

}  // namespace

TDate MakeDate(int year, int month, int day) {
  return TDate{chr::year{year}, chr::month{static_cast<unsigned>(month)}, chr::day{static_cast<unsigned>(day)}};
}

int YearOf(TDate date) { return static_cast<int>(date.year()); }
int MonthOf(TDate date) { return static_cast<int>(static_cast<unsigned>(date.month())); }
int DayOf(TDate date) { return static_cast<int>(static_cast<unsigned>(date.day())); }

bool IsOtherMonth(TDate a, TDate b) { return a.year() != b.year() || a.month() != b.month(); }

int DaysInMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  const chr::year_month_day_last last{chr::year{year} / chr::month{static_cast<unsigned>(month)} / chr::last};
  return static_cast<int>(static_cast<unsigned>(last.day()));
}

TDate Today() {
  const tm local = LocalNow();
  return MakeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

int HourOfNow() { return LocalNow().tm_hour; }

TDateTime LocalDateTime() {
  const tm local = LocalNow();
  return {MakeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday), local.tm_hour, local.tm_min, local.tm_sec};
}

bool IsDiaryDate(TDate date) {
  return date.ok() && YearOf(date) >= kFirstDiaryYear && YearOf(date) <= kLastDiaryYear;
}

TDate AddDays(TDate date, int days) { return TDate{chr::sys_days{date} + chr::days{days}}; }

TDate AddMonthsClamped(TDate date, int months) {
  TDate moved = date + chr::months{months};
  if (!moved.ok()) moved = moved.year() / moved.month() / chr::last;
  return moved;
}

TDate AddYearsClamped(TDate date, int years) {
  TDate moved = date + chr::years{years};
  if (!moved.ok()) moved = moved.year() / moved.month() / chr::last;
  return moved;
}

int WeekdayMonday1(TDate date) { return static_cast<int>(chr::weekday{chr::sys_days{date}}.iso_encoding()); }

TDate LateNightDate(TDate today, int hour, int wakeUp) {
  return (hour < 13 && hour < wakeUp) ? AddDays(today, -1) : today;
}

std::string EntryFileName(const TStoreSettings& settings, int year, int month, int day) {
  return FormatDatePattern(FileNamePatternOf(settings.SaveStyle), MakeDate(year, month, day)) + settings.SaveExt;
}

std::string EntryFolder(const TStoreSettings& settings, TDate date) {
  return settings.SavePath + FormatDatePattern("yyyy/m/", date);
}

std::string EntryPath(const TStoreSettings& settings, TDate date) {
  return settings.SavePath + FormatDatePattern(PatternOf(settings.SaveStyle), date) + settings.SaveExt;
}

std::string EnsureEntryFolder(const TStoreSettings& settings, TDate date, std::string* failedFolder) {
  if (failedFolder) failedFolder->clear();
  const std::string yearFolder = settings.SavePath + FormatDatePattern("yyyy/", date);
  const std::string monthFolder = yearFolder + FormatDatePattern("m/", date);
  for (const std::string* folder : {&yearFolder, &monthFolder}) {
    if (!MakeOneFolder(*folder)) {
      if (failedFolder) *failedFolder = *folder;
      return {};
    }
  }
  return monthFolder;
}

std::string NormalizeSavePath(std::string stored, bool keyPresent, const std::string& appFolder) {
  if (!keyPresent || stored.empty() || !FolderExists(stored)) return appFolder;
  return WithTrailingSlash(std::move(stored));
}

TStoreSettings ReadStoreSettings(const THIniFile& ini, const std::string& appFolder) {
  TStoreSettings settings;
  settings.SaveExt = PathFromSetting(keys::SaveExt.Read(ini));
  if (settings.SaveExt.find_first_of(std::string_view("/\0", 2)) != std::string::npos) {
    settings.SaveExt = std::string(keys::SaveExt.def);
  }
  const bool present = ini.ValueExists(keys::SavePath.section, keys::SavePath.key);
  const std::string stored = PathFromSetting(keys::SavePath.Read(ini, PathToSetting(appFolder)));
  settings.SavePath = NormalizeSavePath(stored, present, appFolder);
  if (present && !stored.empty() && !FolderExists(stored)) settings.MissingSavePath = stored;
  settings.SaveReadOnly = keys::SaveReadOnly.Read(ini);
  settings.SaveStyle = keys::SaveStyle.Read(ini);
  return settings;
}

void WriteStoreSettings(THIniFile& ini, const TStoreSettings& settings) {
  keys::SaveExt.Write(ini, PathToSetting(settings.SaveExt));
  keys::SavePath.Write(ini, PathToSetting(settings.SavePath));
  keys::SaveReadOnly.Write(ini, settings.SaveReadOnly);
  keys::SaveStyle.Write(ini, settings.SaveStyle);
}

std::string DayCaption(int day, int weekday) {
  if (weekday < 1 || weekday > 7) return {};
  return std::to_string(day) + std::string(kWeekdaySuffixes[static_cast<std::size_t>(weekday - 1)]);
}

}  // namespace quillet
