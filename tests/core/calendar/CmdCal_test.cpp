// quillet-cli cal as the real binary: week rows against ncal -b and Python's calendar, marks, refusals.
#include <gtest/gtest.h>

#include <algorithm>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

using namespace quillet::test;

// The lines after the title and the weekday row, without trailing blanks.
std::vector<std::string> WeekRows(const std::string& calendar) {
  std::vector<std::string> rows;
  std::istringstream in(calendar.substr(calendar.find('\n', calendar.find('\n') + 1) + 1));
  for (std::string line; std::getline(in, line);) rows.push_back(line.erase(line.find_last_not_of(' ') + 1));
  return rows;
}

class CliCal : public testing::Test {
protected:
  CliCal() {
    std::filesystem::create_directories(m_tmp / "app/Option/");
    std::filesystem::create_directories(m_tmp / "diary/2005/3/");
    WriteRaw(m_tmp / "app/Option/quillet.ini", "[Window]\r\nSavePath=" + (m_tmp / "diary/") + "\r\n");
    for (const std::string day : {"7", "21"}) WriteRaw(m_tmp / "diary/2005/3/" + day + ".txt", "x");
    WriteRaw(m_tmp / "diary/2005/3/8.txt", "");  // an empty file is no entry
  }
  // Standard output; the exit status and standard error go to m_status and m_err.
  std::string Run(const std::string& args, const std::string& app = "app/") {
    const TRun run = RunCli(m_tmp, m_tmp / app, "cal " + args);
    m_status = run.status;
    m_err = run.err;
    return run.out;
  }
  TTempFolder m_tmp;
  int m_status = -1;
  std::string m_err;
};

TEST_F(CliCal, WeekRowsAreCalsOnceTheMarksAreStripped) {
  // From a Sunday (two blank rows), from a Saturday (six rows), marked days,
  // the first and last years (Python's calendar for year 1: ncal turns Julian).
  for (const auto& [year, month] : {std::pair{2009, 2}, {2021, 5}, {2005, 3}, {1900, 1}, {9999, 12}, {1, 1}}) {
    const std::string y = std::to_string(year), m = std::to_string(month);
    std::string ours = Run(std::string(4 - y.size(), '0') + y + "-" + m), text;
    std::replace_if(
        ours.begin(), ours.end(), [](char c) { return c == '*' || c == '+' || c == '#'; }, ' ');
    const std::string reference =
        year >= 1900
            ? "ncal -b -h " + m + " " + y
            : "python3 -c 'import calendar\nprint(calendar.TextCalendar(6).formatmonth(" + y + ", " + m + "))'";
    ASSERT_TRUE(RunCommand(reference, text)) << reference;
    std::vector<std::string> theirs = WeekRows(text);
    theirs.resize(6);  // Python prints only the rows a month needs
    EXPECT_EQ(WeekRows(ours), theirs) << reference;
  }
}

TEST_F(CliCal, MarksAndHolidayList) {
  const std::vector<std::string> march = WeekRows(Run("2005-3"));  // 20 春分の日 on a Sunday, so 21 振替休日
  EXPECT_EQ(march.at(1), " 6  7* 8  9 10 11 12");
  EXPECT_EQ(march.at(3), "20+21#22 23 24 25 26");
  const std::string holidays = Run("--holidays 2021");
  EXPECT_NE(holidays.find("\n2021-07-22 海の日\n2021-07-23 スポーツの日\n"), std::string::npos) << holidays;
  EXPECT_NE(holidays.find("\n2021-08-08 山の日\n2021-08-09 振替休日\n"), std::string::npos) << holidays;
  EXPECT_TRUE(Run("--holidays 1947").empty() && m_status == 0 && m_err.find("1948..2150") != std::string::npos)
      << m_err;
}

TEST_F(CliCal, TodayAndRefusals) {
  EXPECT_EQ(Run(""), Run("\"$(date +%Y-%m)\""));  // date(1)'s month; fails if the month turns in between
  for (const char* args : {"2005-13", "0000-01", "10000-01", "2005-3-1", "2005-03 2005-04", "--holidays",
                           "--holidays 99", "--holidays 2021 2005-03", "--bogus"}) {
    EXPECT_TRUE(Run(args).empty() && m_status == 2 && m_err.find("usage: quillet-cli cal") != std::string::npos)
        << args << ": " << m_status << " " << m_err;
  }
  EXPECT_TRUE(Run("2005-03", "nowhere/").empty() && m_status == 1) << m_status;
  EXPECT_NE(m_err.find("does not exist"), std::string::npos) << m_err;
}

}  // namespace
}  // namespace quillet
