// The date-to-path rule of the diary, the save root, folder creation before a
// save, and the date helpers (weekdays checked against the system's `date`,
// captions against iconv).
#include "core/store/UDate.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "../app/TempFolder.h"
#include "core/app/HIniFile.h"
#include "core/store/DateFormat.h"

namespace quillet {
namespace {

using namespace quillet::test;

TStoreSettings Settings(int style, std::string ext, std::string root) {
  TStoreSettings s;
  s.SaveStyle = style;
  s.SaveExt = std::move(ext);
  s.SavePath = std::move(root);
  return s;
}

TEST(UDatePaths, DesignedExamples) {
  const struct {
    int style;
    const char* ext;
    TDate date;
    const char* path;  // under "/Q/"; the folder is the path up to its last "/"
  } cases[] = {
      {0, ".txt", MakeDate(2005, 3, 7), "/Q/2005/3/7.txt"},
      {1, ".txt", MakeDate(2005, 3, 7), "/Q/2005/3/20050307.txt"},
      {2, ".txt", MakeDate(2005, 3, 7), "/Q/2005/3/3-7.txt"},
      {1, ".txt", MakeDate(2026, 12, 5), "/Q/2026/12/20261205.txt"},
      {2, ".txt", MakeDate(2006, 1, 1), "/Q/2006/1/1-1.txt"},
      {5, ".txt", MakeDate(2005, 3, 7), "/Q/2005/3/7.txt"},  // styles outside 0..2 are 0
      {-1, ".txt", MakeDate(2005, 3, 7), "/Q/2005/3/7.txt"},
      {0, "", MakeDate(2005, 3, 7), "/Q/2005/3/7"},
  };
  for (const auto& c : cases) {
    const TStoreSettings s = Settings(c.style, c.ext, "/Q/");
    const std::string path = c.path;
    EXPECT_EQ(EntryPath(s, c.date), path);
    EXPECT_EQ(EntryFolder(s, c.date), path.substr(0, path.rfind('/') + 1)) << path;
  }
}

// Month-wide scans (calendar, titles, grep) join the month folder and the
// file name; they must reach exactly the file that the editor saves.
TEST(UDatePaths, FolderPlusFileNameIsThePathForEveryDay) {
  for (int style : {0, 1, 2, 3}) {
    const TStoreSettings s = Settings(style, ".txt", "/d/");
    for (TDate d = MakeDate(2003, 12, 25); d != MakeDate(2005, 1, 8); d = AddDays(d, 1)) {
      ASSERT_EQ(EntryFolder(s, d) + EntryFileName(s, YearOf(d), MonthOf(d), DayOf(d)), EntryPath(s, d)) << style;
    }
  }
}

TEST(UDateSavePath, NormalisedOrReplacedByProgramFolder) {
  TTempFolder tmp;
  ::mkdir((tmp / "Diary").c_str(), 0700);
  WriteRaw(tmp / "file", "x");
  const std::string app = tmp / "app/";
  const struct {
    std::string stored;
    bool present;
    std::string expected;
  } cases[] = {
      {tmp / "Diary///", true, tmp / "Diary/"}, {tmp / "Diary", true, tmp / "Diary/"},
      {tmp / "Diary", false, app},              {tmp / "Nowhere/", true, app},
      {tmp / "file", true, app},                {"", true, app},
      {"/", true, "/"},                         {"D:\\Diary\\\\\\", true, app},
  };
  for (const auto& c : cases) EXPECT_EQ(NormalizeSavePath(c.stored, c.present, app), c.expected) << c.stored;
}

TEST(UDateSavePath, SettingsReadAndWritten) {
  TTempFolder tmp;
  ::mkdir((tmp / "Diary").c_str(), 0700);
  // Blanks around "=" are not part of the value (they once made the diary
  // fall back to the program folder without a word).
  WriteRaw(tmp / "a.ini", "[Window]\r\nSavePath = " + (tmp / "Diary//") +
                              "\r\nSaveExt=/../x\r\nSaveReadOnly=0\r\nSaveStyle=2\r\n");
  {
    THIniFile ini(tmp / "a.ini", true);
    TStoreSettings s = ReadStoreSettings(ini, "/app/");
    EXPECT_EQ(s.SavePath, tmp / "Diary/");
    EXPECT_EQ(s.MissingSavePath, "");
    EXPECT_EQ(s.SaveExt, ".txt") << "an extension with '/' would leave the month folder";
    EXPECT_FALSE(s.SaveReadOnly);
    EXPECT_EQ(s.SaveStyle, 2);
    s.SaveExt = "";
    WriteStoreSettings(ini, s);
  }
  EXPECT_EQ(ReadStoreSettings(THIniFile(tmp / "a.ini", false), "/app/").SaveExt, "");
  EXPECT_EQ(ReadStoreSettings(THIniFile(tmp / "none.ini", false), "/app/").SavePath, "/app/");
  WriteRaw(tmp / "b.ini", "[Window]\r\nSavePath=" + (tmp / "gone/") + "\r\n");
  const TStoreSettings missing = ReadStoreSettings(THIniFile(tmp / "b.ini", false), "/app/");
  EXPECT_EQ(missing.SavePath, "/app/");
  EXPECT_EQ(missing.MissingSavePath, tmp / "gone/");  // said to the user, not passed over
}

TEST(UDateSavePath, JapaneseRootIsCodePage932InTheFileAndUtf8OnDisk) {
  TTempFolder tmp;
  const std::string onDisk = tmp / "\xE6\x97\xA5\xE8\xA8\x98";  // 日記 in UTF-8
  ::mkdir(onDisk.c_str(), 0700);
  const std::string inFile = tmp / "\x93\xfa\x8b\x4c";           // 日記 in code page 932
  WriteRaw(tmp / "a.ini", "[Window]\r\nSavePath=" + inFile + "\r\n");
  {
    THIniFile ini(tmp / "a.ini", true);
    TStoreSettings s = ReadStoreSettings(ini, "/app/");
    EXPECT_EQ(s.SavePath, onDisk + "/");
    WriteStoreSettings(ini, s);
  }
  EXPECT_NE(ReadRaw(tmp / "a.ini").find("SavePath=" + inFile + "/\r\n"), std::string::npos);
}

TEST(UDateEnsure, CreatesYearThenMonthOnceAndPrivately) {
  TTempFolder tmp;
  const TStoreSettings s = Settings(0, ".txt", tmp.Path());
  std::string failed = "stale";
  EXPECT_EQ(EnsureEntryFolder(s, MakeDate(2006, 1, 1), &failed), tmp / "2006/1/");
  EXPECT_EQ(failed, "");
  EXPECT_EQ(ModeOf(tmp / "2006"), 0700u);
  EXPECT_EQ(ModeOf(tmp / "2006/1"), 0700u);
  WriteRaw(tmp / "2006/1/1.txt", "x");
  EXPECT_EQ(EnsureEntryFolder(s, MakeDate(2006, 1, 2)), tmp / "2006/1/");
  EXPECT_EQ(Listing(tmp / "2006/1"), std::vector<std::string>{"1.txt"});
}

TEST(UDateEnsure, ReportsTheFolderThatFailed) {
  TTempFolder tmp;
  std::string failed;
  EXPECT_EQ(EnsureEntryFolder(Settings(0, ".txt", tmp / "gone/"), MakeDate(2005, 3, 7), &failed), "");
  EXPECT_EQ(failed, tmp / "gone/2005/") << "the root itself is never created";
  ::mkdir((tmp / "2005").c_str(), 0700);
  WriteRaw(tmp / "2005/3", "a file where the month folder belongs");
  EXPECT_EQ(EnsureEntryFolder(Settings(0, ".txt", tmp.Path()), MakeDate(2005, 3, 7), &failed), "");
  EXPECT_EQ(failed, tmp / "2005/3/");
}

TEST(UDateArithmetic, StepsClampToMonthEnd) {
  const struct {
    TDate got;
    TDate expected;
  } cases[] = {
      {AddDays(MakeDate(2004, 3, 1), -1), MakeDate(2004, 2, 29)},
      {AddDays(MakeDate(2005, 12, 31), 1), MakeDate(2006, 1, 1)},
      {AddDays(MakeDate(2005, 3, 7), -7), MakeDate(2005, 2, 28)},
      {AddMonthsClamped(MakeDate(2005, 3, 31), -1), MakeDate(2005, 2, 28)},
      {AddMonthsClamped(MakeDate(2004, 3, 31), -1), MakeDate(2004, 2, 29)},
      {AddMonthsClamped(MakeDate(2005, 5, 31), 1), MakeDate(2005, 6, 30)},
      {AddMonthsClamped(MakeDate(2005, 12, 15), 1), MakeDate(2006, 1, 15)},
      {AddMonthsClamped(MakeDate(2005, 1, 15), -1), MakeDate(2004, 12, 15)},
      {AddYearsClamped(MakeDate(2004, 2, 29), 1), MakeDate(2005, 2, 28)},
      {AddYearsClamped(MakeDate(2004, 2, 29), 4), MakeDate(2008, 2, 29)},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].expected) << "row " << i;
  EXPECT_FALSE(IsOtherMonth(MakeDate(2005, 3, 7), MakeDate(2005, 3, 31)));
  EXPECT_TRUE(IsOtherMonth(MakeDate(2005, 3, 7), MakeDate(2006, 3, 7))) << "same month, other year";
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2005, 13), 0);
}

TEST(UDateRange, OnlyFourDigitYearsFromOne) {
  const struct {
    TDate date;
    bool inRange;
  } rows[] = {
      {MakeDate(1, 1, 1), true},      {AddDays(MakeDate(1, 1, 1), -1), false},
      {MakeDate(9999, 12, 31), true}, {AddDays(MakeDate(9999, 12, 31), 1), false},
      {MakeDate(2005, 2, 30), false},
  };
  for (const auto& row : rows) EXPECT_EQ(IsDiaryDate(row.date), row.inRange) << YearOf(row.date);
}

// Before 13:00 and before WakeUp the diary day is still yesterday (the hour
// of 04:59 is 4).
TEST(UDateLateNight, OnlyBeforeOneAndBeforeWakeUp) {
  const TDate today = MakeDate(2005, 3, 1);
  const TDate yesterday = MakeDate(2005, 2, 28);
  const struct {
    int wakeUp;
    int hour;
    TDate expected;
  } cases[] = {{5, 4, yesterday}, {5, 5, today},       {20, 14, today}, {4, 2, yesterday},
               {4, 13, today},    {24, 12, yesterday}, {24, 13, today}, {0, 0, today}};
  for (const auto& c : cases) EXPECT_EQ(LateNightDate(today, c.hour, c.wakeUp), c.expected) << c.wakeUp << "@" << c.hour;
}

TEST(UDateClock, WeekdaysAndTodayAgreeWithSystemDate) {
  std::vector<TDate> dates{MakeDate(2004, 2, 29), MakeDate(2005, 3, 7), MakeDate(2005, 3, 13)};
  for (int year : {1900, 2000, 2005, 2100}) {
    for (int month = 1; month <= 12; ++month) dates.push_back(MakeDate(year, month, 1));
  }
  std::string input;
  std::string expected;
  for (const TDate d : dates) {
    input += FormatDatePattern("yyyy-mm-dd\\n", d);
    expected += std::to_string(WeekdayMonday1(d)) + "\n";
  }
  std::string output;
  ASSERT_TRUE(RunCommand("printf '" + input + "' | date -f - +%u", output));
  EXPECT_EQ(output, expected);

  std::string before;
  std::string after;
  RunCommand("date +%F", before);
  const std::string today = FormatDatePattern("yyyy-mm-dd\n", Today());
  RunCommand("date +%F", after);
  EXPECT_TRUE(today == before || today == after) << today;  // either side of midnight
  EXPECT_TRUE(HourOfNow() >= 0 && HourOfNow() <= 23);
}

TEST(UDateCaption, WeekdaySuffixesInCodePage932) {
  const struct {
    int day;
    int weekday;
    const char* utf8;
  } cases[] = {{7, 1, "7日(月)"},   {8, 2, "8日(火)"},  {9, 3, "9日(水)"},  {10, 4, "10日(木)"},
               {1, 5, "1日(金)"},   {12, 6, "12日(土)"}, {31, 7, "31日(日)"}};
  for (const auto& c : cases) EXPECT_EQ(DayCaption(c.day, c.weekday), Cp932(c.utf8)) << c.utf8;
  for (int weekday : {-1, 0, 8}) EXPECT_EQ(DayCaption(7, weekday), "");
}

}  // namespace
}  // namespace quillet
