// The squeeze over a grep's list of a small diary: which items it examines
// (the marked ones when any is marked), what it searches for each kind,
// encrypted bodies, the marked-first stable order, and cancel.
#include "core/search/Squeeze.h"

#include <gtest/gtest.h>

#include "TestDiary.h"

namespace quillet {
namespace {

// Day numbers in list order, "*" after a marked one.
std::string Order(const TGrepList& items) {
  std::string order;
  for (const TGrepItem& item : items) order += std::to_string(DayOf(item.Date)) + (item.SqueezeMark ? "* " : " ");
  return order;
}

class Squeeze : public testing::Test {
protected:
  Squeeze() {
    const char* extra[] = {"", "blue", "red", "blue", "red", "red blue", "", "", "red", "", ""};
    for (int day = 1; day <= 10; ++day) {
      const int method = day == 5 ? 2 : day == 8 ? 1 : 0;
      m_diary.Save(2005, 1, day, std::string("day\r\n") + extra[day] + "\r\n", day == 9 ? "red title" : "plain", method);
    }
    TDiaryGrep grep(TGrepOptions{"day", 2005, 1, 2005, 1}, m_diary.m_settings, m_diary.Code);
    grep.Run();
    m_items = grep.Items();
    m_items[3].Kind = TGrepKind::Title;  // day 4: its body is not searched
  }

  TSearchOutcome Run(const std::string& pattern, std::int64_t* total = nullptr) {
    TSqueeze squeeze(TSqueezeOptions{pattern}, m_items, m_diary.Code);
    squeeze.OnProgressMax = [&](std::int64_t n) { if (total) *total = n; };
    const TSearchOutcome outcome = squeeze.Run();
    m_items = squeeze.Items();
    return outcome;
  }

  test::TDiary m_diary;
  TGrepList m_items;
};

TEST_F(Squeeze, NarrowsThenExaminesAllAfterTheMarksAreCleared) {
  ASSERT_EQ(m_items.size(), 10u);
  std::int64_t total = 0;
  Run("red", &total);
  EXPECT_EQ(total, 10);
  EXPECT_EQ(Order(m_items), "2* 5* 8* 1 3 4 6 7 9 10 ");
  EXPECT_EQ(CountMarked(m_items), 3u);

  // Only the three marked items are examined: days 1 and 3 hold blue too.
  Run("blue", &total);
  EXPECT_EQ(total, 3);
  EXPECT_EQ(Order(m_items), "5* 2 8 1 3 4 6 7 9 10 ");

  for (TGrepItem& item : m_items) item.SqueezeMark = 0;
  Run("BLUE", &total);
  EXPECT_EQ(total, 10);
  EXPECT_EQ(Order(m_items), "5* 1* 3* 2 8 4 6 7 9 10 ");
}

TEST_F(Squeeze, TitleOfTitleItemsAndRegExps) {
  m_items[8].Kind = TGrepKind::BodyAndTitle;  // day 9: its title now counts
  TSqueeze squeeze(TSqueezeOptions{"\"^re. title$\"", false, true}, m_items, m_diary.Code);
  EXPECT_FALSE(squeeze.Run().Cancelled);
  EXPECT_EQ(Order(squeeze.Items()), "9* 1 2 3 4 5 6 7 8 10 ");

  TSqueeze broken(TSqueezeOptions{"( red", false, true}, m_items, m_diary.Code);
  EXPECT_FALSE(broken.Run().RegExpError.empty());
  EXPECT_EQ(CountMarked(broken.Items()), 0u);
}

TEST_F(Squeeze, CancelledLeavesTheOrder) {
  TSqueeze squeeze(TSqueezeOptions{"red"}, m_items, m_diary.Code);
  squeeze.OnProgress = [&](std::int64_t position) { if (position == 3) squeeze.Cancel(); };
  EXPECT_TRUE(squeeze.Run().Cancelled);
  EXPECT_EQ(Order(squeeze.Items()), "1 2* 3 4 5 6 7 8 9 10 ");
}

TEST(SqueezeStart, MessagesInOrder) {
  EXPECT_EQ(ValidateSqueezeStart("\"\"", false, 0), kMsgEnterSqueezeText);
  EXPECT_EQ(ValidateSqueezeStart("a", false, 0), kMsgNoTargetList);
  EXPECT_EQ(ValidateSqueezeStart("a", true, 0), kMsgNothingToSearch);
  EXPECT_EQ(ValidateSqueezeStart("a", true, 1), "");
  EXPECT_EQ(SqueezeCountMessage(3), " 3個絞り込みました");
}

}  // namespace
}  // namespace quillet
