// quillet-cli cal: a month as cal(1) lays it out, Sunday first, with each day
// marked for an entry or a national holiday, as the calendar page shows them;
// and the list of a year's national holidays.
//
// The week rows keep cal's columns exactly: three columns a day, the number
// right-aligned in the first two. cal leaves the third one blank; here it
// holds the day's mark, so a script that strips the marks gets cal's layout.
#include <bitset>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSupport.h"
#include "core/app/AppFolder.h"
#include "core/calendar/EntryDays.h"
#include "core/calendar/Holidays.h"
#include "core/calendar/MonthGrid.h"

namespace quillet::cli {
namespace {

constexpr const char* kUsage = "cal [YYYY-MM | --holidays YYYY]";
constexpr const char* kHelp =
    "usage: quillet-cli cal [YYYY-MM]\n"
    "       quillet-cli cal --holidays YYYY\n"
    "\n"
    "Prints the calendar of a month (YYYY-MM or YYYY-M; without it, the month\n"
    "of today's local date) laid out as cal(1) does, Sunday first: the title,\n"
    "the weekday row and always six week rows. Each day number is followed by\n"
    "one mark:\n"
    "  *  the day has an entry (its entry file holds at least one byte)\n"
    "  +  the day is a national holiday of Japan\n"
    "  #  both\n"
    "Strip the marks and the week rows are cal's, column for column.\n"
    "\n"
    "  --holidays YYYY  list the national holidays of the year instead, one\n"
    "                   line each: date (YYYY-MM-DD), a space, the name\n"
    "\n"
    "Holidays are known for 1948 (from 20 July, when the holiday law took\n"
    "effect) to 2150; other years have none.\n"
    "Exit status: 0 printed, 1 the diary folder does not exist, 2 wrong\n"
    "arguments.\n";

// The grid spans seven cells of three columns; cal centres the title over
// the first 20, leaving out the last cell's blank column, and so do we.
constexpr int kTitleWidth = 20;

int Usage(std::string_view message) {
  Complain("cal", message);
  std::fprintf(stderr, "usage: quillet-cli %s\n", kUsage);
  return kExitUsage;
}

void Print(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void TrimRight(std::string& line) {
  const auto end = line.find_last_not_of(' ');
  line.erase(end == std::string::npos ? 0 : end + 1);
}

// "2005-3" reads as "2005-03"; the rest is the rule of the other commands.
bool ParseCalendarMonth(std::string text, int& year, int& month) {
  if (text.size() == 6 && text[4] == '-') text.insert(5, "0");
  return ParseMonth(text, year, month);
}

// Exactly four digits, 0001..9999, like the year of YYYY-MM.
bool ParseYear(std::string_view text, int& year) {
  if (text.size() != 4) return false;
  year = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    year = year * 10 + (c - '0');
  }
  return year >= kFirstDiaryYear && year <= kLastDiaryYear;
}

char Mark(bool entry, bool holiday) {
  if (entry && holiday) return '#';
  if (entry) return '*';
  if (holiday) return '+';
  return ' ';
}

std::string RenderMonth(int year, int month, const std::bitset<32>& entries) {
  const auto holidays = HolidaysOfMonth(year, month);

  // The title's width in terminal columns: digits take one, 年 and 月 two.
  const std::string yearText = std::to_string(year);
  const std::string monthText = std::to_string(month);
  const int titleColumns = static_cast<int>(yearText.size() + monthText.size()) + 4;
  std::string out(static_cast<std::size_t>((kTitleWidth - titleColumns) / 2), ' ');
  out += yearText + "年" + monthText + "月\n";
  // Each weekday is a full-width character: two columns, over the day numbers.
  out += "日 月 火 水 木 金 土\n";

  const TMonthGrid grid = MakeMonthGrid(year, month);
  for (int row = 0; row < kGridRows; ++row) {
    std::string line;
    for (int column = 0; column < kGridColumns; ++column) {
      const TMonthCell& cell = grid.Cells[static_cast<std::size_t>(row * kGridColumns + column)];
      if (cell.Kind != TCellKind::ThisMonth) {
        line += "   ";
        continue;
      }
      const auto day = static_cast<std::size_t>(DayOf(cell.Date));
      char text[4];
      std::snprintf(text, sizeof text, "%2d%c", DayOf(cell.Date), Mark(entries.test(day), !holidays[day].empty()));
      line += text;
    }
    TrimRight(line);
    out += line + "\n";
  }
  return out;
}

int RunHolidays(const std::string& yearText) {
  int year = 0;
  if (!ParseYear(yearText, year)) return Usage("--holidays: bad year '" + yearText + "' (expected YYYY)");
  if (year < kFirstHolidayYear || year > kLastHolidayYear) {
    // Not an error: the year simply has no holiday this program knows of.
    Complain("cal", "holidays are known for " + std::to_string(kFirstHolidayYear) + ".." +
                        std::to_string(kLastHolidayYear) + " only; " + yearText + " has none");
    return kExitOk;
  }
  std::string out;
  for (const auto& [date, name] : HolidaysOfYear(year)) out += FormatDate(date) + " " + std::string(name) + "\n";
  Print(out);
  return kExitOk;
}

int RunCal(const std::vector<std::string>& args) {
  const TParsedArgs parsed = ParseArgs(args, {}, {"--holidays"});
  if (parsed.help) {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (!parsed.error.empty()) return Usage(parsed.error);
  if (const std::string* year = parsed.Value("--holidays")) {
    if (!parsed.positional.empty()) return Usage("--holidays takes no month");
    return RunHolidays(*year);
  }
  if (parsed.positional.size() > 1) return Usage("expected at most one month YYYY-MM");

  // The calendar's today is the clock's date: the late-night rule, which
  // keeps the program on yesterday's entry after midnight, is about which
  // entry to open, not about which month it is.
  const TDate today = Today();
  int year = YearOf(today);
  int month = MonthOf(today);
  if (!parsed.positional.empty() && !ParseCalendarMonth(parsed.positional[0], year, month)) {
    return Usage("bad month '" + parsed.positional[0] + "' (expected YYYY-MM, year 0001..9999)");
  }

  const TCliContext context = LoadContext("cal");
  if (!FolderExists(context.store.SavePath)) {
    Complain("cal", "the diary folder " + context.store.SavePath + " does not exist");
    return kExitFailure;
  }
  Print(RenderMonth(year, month, DaysWithEntries(context.store, year, month)));
  return kExitOk;
}

const TCliRegistrar kCal({"cal", kUsage, "a month's calendar with entry and holiday marks", RunCal});

}  // namespace
}  // namespace quillet::cli
