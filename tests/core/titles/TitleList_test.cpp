// The title list's own operations: following saves, sorting against a plain
// model of the list, and section "Title" as people write it by hand.
#include "core/titles/TitleList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "core/app/HIniFile.h"
#include "core/titles/TitleSettings.h"
#include "../app/TempFolder.h"

namespace quillet {
namespace {

TTitleRecord Row(int day, std::string title = {}, std::string first = {}) {
  TTitleRecord r;
  r.Day = day;
  r.Title = std::move(title);
  r.FirstLine = std::move(first);
  return r;
}

std::string Listing(const TTitleList& list) {
  std::string out;
  for (const TTitleRecord& r : list) out += std::to_string(r.Day) + r.Title + r.FirstLine + " ";
  return out;
}

TEST(TitleList, FollowsSavesOfTheOpenDay) {
  struct TCase {
    const char* name;
    TTitleRecord saved;
    bool empty;
    TTitleSync kind;
    int row;
    const char* after;
  } cases[] = {
      {"an unlisted day goes before the first later day", Row(5, "T", "f"), false, TTitleSync::Inserted, 1,
       "3a 5Tf 20b "},
      {"or at the end", Row(25, "T"), false, TTitleSync::Inserted, 2, "3a 20b 25T "},
      {"a listed day takes title and first line", Row(20, "T", "f"), false, TTitleSync::Updated, 1, "3a 20Tf "},
      {"an emptied listed day goes", Row(3), true, TTitleSync::Removed, 0, "20b "},
      {"an empty unlisted day changes nothing", Row(4), true, TTitleSync::None, -1, "3a 20b "},
  };
  for (const TCase& c : cases) {
    TTitleList list{Row(3, "a"), Row(20, "b")};
    const TTitleSyncChange change = SynchronizeTitle(list, c.saved, c.empty);
    EXPECT_EQ(change.Kind, c.kind) << c.name;
    EXPECT_EQ(change.Row, c.row) << c.name;
    EXPECT_EQ(Listing(list), c.after) << c.name;
  }
}

TEST(TitleList, SortsLikeAStableSortOfThePlainList) {
  std::mt19937 random(3);
  TTitleList list;
  for (int day = 1; day <= 31; ++day) list.push_back(Row(day, std::string(1, static_cast<char>('a' + random() % 4))));
  list.push_back(Row(32, "\x93\xfa"));  // a double-byte title sorts after ASCII, as its bytes do
  std::shuffle(list.begin(), list.end(), random);
  TTitleSorter sorter;
  for (int round = 0; round < 6; ++round) {
    const TTitleColumn column = round % 3 == 0 ? TTitleColumn::Date : TTitleColumn::Title;
    const bool ascending = sorter.Ascending(column);
    TTitleList expected = list;
    std::stable_sort(expected.begin(), expected.end(), [&](const TTitleRecord& a, const TTitleRecord& b) {
      if (column == TTitleColumn::Date) return ascending ? a.Day < b.Day : a.Day > b.Day;
      const auto bytes = [](const std::string& s) { return std::vector<unsigned char>(s.begin(), s.end()); };
      return ascending ? bytes(a.Title) < bytes(b.Title) : bytes(b.Title) < bytes(a.Title);
    });
    sorter.Sort(list, column);
    EXPECT_EQ(Listing(list), Listing(expected)) << round;
    EXPECT_NE(sorter.Ascending(column), ascending);  // each sort flips its column alone
  }
}

TEST(TitleList, SettingsWrittenByHand) {
  test::TTempFolder dir;
  test::WriteRaw(dir / "q.ini",
                 "[Title]\r\nThreadPriority=high\r\nDblAction=9\r\nSingleAction=3\r\nDateColumn=-5\r\n"
                 "TitleColumn=120\r\nSundayColor=$000000FF\r\nSaturdayColor=nonsense\r\nFontSize=0\r\n");
  const TTitleSettings s = ReadTitleSettings(THIniFile(dir / "q.ini", false));
  const TTitleSettings d;
  EXPECT_EQ(s.ThreadPriority, 3);
  EXPECT_EQ(s.DblAction, TTitleAction::None);
  EXPECT_EQ(s.SingleAction, TTitleAction::OpenFile);
  EXPECT_EQ(s.DateColumn, d.DateColumn);
  EXPECT_EQ(s.TitleColumn, 120);
  EXPECT_EQ(s.SundayColor, clRed);
  EXPECT_EQ(s.SaturdayColor, d.SaturdayColor);
  EXPECT_EQ(s.Font, d.Font);
}

}  // namespace
}  // namespace quillet
