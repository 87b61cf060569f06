// quillet-cli titles as the real binary: the page's days and fields, the
// "OnlyExists" setting and its flags, weekdays against date(1), refusals.
#include <gtest/gtest.h>

#include <filesystem>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

using namespace quillet::test;

class CliTitles : public testing::Test {
protected:
  CliTitles() {
    std::filesystem::create_directories(m_tmp / "app/Option/");
    std::filesystem::create_directories(m_tmp / "diary/2005/3/");
    Settings("");
    WriteRaw(m_tmp / "diary/2005/3/3.txt", Cp932("三日の本文\r\n二行目"));
    WriteRaw(m_tmp / "diary/2005/3/Set.ini", "[3]\r\nTitle=" + Cp932("題") + "\r\n[20]\r\nTitle=t20\r\n");
  }
  void Settings(const std::string& title) {
    WriteRaw(m_tmp / "app/Option/quillet.ini", "[Window]\r\nSavePath=" + (m_tmp / "diary/") + "\r\n" + title);
  }
  std::string Run(const std::string& args) {
    const TRun run = RunCli(m_tmp, m_tmp / "app/", "titles " + args);
    m_status = run.status;
    m_err = run.err;
    return run.out;
  }
  TTempFolder m_tmp;
  int m_status = -1;
  std::string m_err;
};

TEST_F(CliTitles, ListsTheDaysAsThePageDoes) {
  const std::string all = Run("2005-03");
  std::istringstream lines(all);
  int count = 0;
  for (std::string line; std::getline(lines, line); ++count) {
    // The caption's weekday is date(1)'s (%u: 1 Monday .. 7 Sunday).
    std::string weekday;
    const std::string date = line.substr(0, 10);
    ASSERT_TRUE(RunCommand("date -d " + date + " +%u", weekday));
    const std::string kanji[] = {"月", "火", "水", "木", "金", "土", "日"};
    const std::string caption = line.substr(11, line.find('\t', 11) - 11);
    EXPECT_EQ(caption, std::to_string(std::stoi(date.substr(8))) + "日(" + kanji[std::stoi(weekday) - 1] + ")");
  }
  EXPECT_EQ(count, 31);
  EXPECT_NE(all.find("2005-03-03\t3日(木)\t題\t三日の本文\n"), std::string::npos) << all;

  const std::string only = "2005-03-03\t3日(木)\t題\t三日の本文\n2005-03-20\t20日(日)\tt20\t\n";
  EXPECT_EQ(Run("2005-03 --only-exists"), only);
  Settings("[Title]\r\nOnlyExists=1\r\n");
  EXPECT_EQ(Run("2005-03"), only);
  EXPECT_EQ(Run("2005-03 --all").size(), all.size());
  const std::string raw = "2005-03-03\t" + Cp932("3日(木)") + "\t" + Cp932("題") + "\t";
  EXPECT_EQ(Run("2005-03 --raw").substr(0, raw.size()), raw);
}

TEST_F(CliTitles, FailuresAndRefusals) {
  std::filesystem::remove(m_tmp / "diary/2005/3/Set.ini");
  std::filesystem::create_directories(m_tmp / "diary/2005/3/Set.ini");
  EXPECT_EQ(Run("2005-03 --only-exists"), "2005-03-03\t3日(木)\t\t\n");
  EXPECT_EQ(m_status, 1);
  EXPECT_NE(m_err.find("Set.ini"), std::string::npos) << m_err;
  for (const char* args : {"2005-13", "2005", "2005-03 --all --only-exists", "--bogus", "2005-03 2005-04"}) {
    EXPECT_TRUE(Run(args).empty() && m_status == 2 && m_err.find("usage: quillet-cli titles") != std::string::npos)
        << args << ": " << m_status << " " << m_err;
  }
}

}  // namespace
}  // namespace quillet
