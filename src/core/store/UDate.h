// Dates of the diary and the rule from a date to its entry file.
//
// The diary is a two-level tree under SavePath: a folder per year (four
// digits), inside it a folder per month (1..12, no leading zero), and in the
// month folder one file per day named by SaveStyle, plus Set.ini:
//   SaveStyle 1: yyyy/m/yyyymmdd + SaveExt   (2005/3/20050307.txt)
//   SaveStyle 2: yyyy/m/m-d + SaveExt        (2005/3/3-7.txt)
//   otherwise:   yyyy/m/d + SaveExt          (2005/3/7.txt)
// (patterns of DateFormat.h). EntryPath(date) == EntryFolder(date) +
// EntryFileName(date) for every style, so code that walks a month folder
// reaches exactly the files that the editor saves. SavePath always ends in exactly one "/".
//
// Dates are std::chrono::year_month_day without time of day; functions taking
// a TDate expect a valid date (ok()). Weekdays count 1 = Monday .. 7 = Sunday.
#pragma once

#include <chrono>
#include <string>

namespace quillet {

class THIniFile;

using TDate = std::chrono::year_month_day;

struct TStoreSettings {
  std::string SaveExt = ".txt";  // appended to every entry file name, dot included
  std::string SavePath;          // diary root, exactly one trailing "/"
  bool SaveReadOnly = true;      // entry files lose their write permission after a save
  int SaveStyle = 0;             // 1, 2, anything else as 0 (see above)
  // The "SavePath" of the settings when it names no folder, so that SavePath
  // fell back to the program folder: callers tell the user. Empty otherwise.
  std::string MissingSavePath;
};

// The date of the given calendar fields (not checked; see ok()).
TDate MakeDate(int year, int month, int day);
int YearOf(TDate date);
int MonthOf(TDate date);
int DayOf(TDate date);
// True when the dates lie in different months (or years).
bool IsOtherMonth(TDate a, TDate b);
// Days in the month (28..31); 0 for a month outside 1..12.
int DaysInMonth(int year, int month);

// The years a diary day can have: the year folder name keeps four digits,
// and there is no year 0. Every way to a day (the command line's dates, the
// window's date commands) refuses a date outside this range rather than
// open an entry that could not be stored.
inline constexpr int kFirstDiaryYear = 1;
inline constexpr int kLastDiaryYear = 9999;
// True for a valid date (ok()) in years kFirstDiaryYear..kLastDiaryYear.
bool IsDiaryDate(TDate date);

// A local date and time of day to the second: what the window's clock gives
// the date commands and the date stamps.
struct TDateTime {
  TDate Date;
  int Hour = 0;    // 0..23
  int Minute = 0;  // 0..59
  int Second = 0;  // 0..60 (a leap second reads as the system gives it)
};

// Today, the current hour (0..23) and the current date and time, in local time.
TDate Today();
int HourOfNow();
TDateTime LocalDateTime();

// `date` moved by whole days, months or years. Month and year steps keep the
// day when the target month has it, else use the target month's last day
// (31 March - 1 month = 28/29 February; 29 February 2004 + 1 year = 28
// February 2005).
TDate AddDays(TDate date, int days);
TDate AddMonthsClamped(TDate date, int months);
TDate AddYearsClamped(TDate date, int years);
// 1 = Monday .. 7 = Sunday.
int WeekdayMonday1(TDate date);

// The late-night rule at start: before 13:00 and before the hour "WakeUp",
// the diary day is still yesterday. `hour` 0..23.
TDate LateNightDate(TDate today, int hour, int wakeUp);

// The file name alone (no folder) of the entry of that date, with SaveExt.
std::string EntryFileName(const TStoreSettings& settings, int year, int month, int day);
// SavePath + year + "/" + month + "/" (the month folder, trailing "/").
std::string EntryFolder(const TStoreSettings& settings, TDate date);
// The full path of the entry file of `date`.
std::string EntryPath(const TStoreSettings& settings, TDate date);

// Creates the year folder, then the month folder, of `date` under SavePath
// when missing (mode 0700; SavePath itself is not created). Returns the month
// folder path, or an empty string when a folder could not be created; then
// `failedFolder` (when given) names the folder that failed, else it is
// cleared. The caller reports the failure to the user.
std::string EnsureEntryFolder(const TStoreSettings& settings, TDate date, std::string* failedFolder = nullptr);

// The diary root from the stored "SavePath": when the key is present and
// names an existing folder, that folder with exactly one trailing "/"
// ("/" alone stays the root folder); otherwise (missing key, empty text, a
// folder that does not exist, a file) `appFolder`.
std::string NormalizeSavePath(std::string stored, bool keyPresent, const std::string& appFolder);

// Reads "SaveExt", "SavePath" (normalised), "SaveReadOnly", "SaveStyle" of
// section "Window". A SaveExt holding "/" or a NUL byte would put entries
// outside their month folder; it is replaced by the default ".txt".
TStoreSettings ReadStoreSettings(const THIniFile& ini, const std::string& appFolder);
void WriteStoreSettings(THIniFile& ini, const TStoreSettings& settings);

// The label of a day in lists: the day number and a weekday suffix
// "日(月)" .. "日(日)" for weekday 1 (Monday) .. 7 (Sunday), as code page 932
// bytes; empty for a weekday outside 1..7.
std::string DayCaption(int day, int weekday);

}  // namespace quillet
