// The result window's list rules without a display: column sorting, row
// deletion, the file-name and band texts, row colouring, hints, settings.
#include "core/search/ResultList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/app/TempFolder.h"

namespace quillet {
namespace {

// Items named by their title so an order reads as a string.
TGrepList Sample() {
  const auto item = [](const char* title, int day, const char* path, TGrepKind kind, TEntryMethod method) {
    TGrepItem it;
    it.Title = title;
    it.Date = MakeDate(2005, 3, day);
    it.Path = path;
    it.Kind = kind;
    it.Method = method;
    return it;
  };
  return {item("a", 3, "/d/2005/3/b.txt", TGrepKind::Body, TEntryMethod::Plain),
          item("b", 1, "/d/2005/3/A.txt", TGrepKind::Title, TEntryMethod::Word),
          item("c", 2, "/d/2005/3/c.txt", TGrepKind::BodyAndTitle, TEntryMethod::Plain),
          item("d", 4, "/d/2005/3/a.txt", TGrepKind::Body, TEntryMethod::Number)};
}

std::string Order(const TResultList& list) {
  std::string order;
  for (const TGrepItem& item : list.Items()) order += item.Title;
  return order;
}

TEST(ResultList, EachColumnSortsAndFlipsItsOwnDirection) {
  using C = TResultColumn;
  const struct {
    const char* name;
    std::vector<C> clicks;
    const char* expected;
  } rows[] = {
      {"No reverses", {C::No}, "dcba"},
      {"No twice gives the order back", {C::No, C::No}, "abcd"},
      {"date ascending first", {C::Date}, "bcad"},
      {"date descending second", {C::Date, C::Date}, "dacb"},
      {"path ignores ASCII case, stable on ties", {C::FileName}, "bdac"},
      {"kind ascending", {C::Kind}, "badc"},
      {"encrypted first", {C::Encrypted}, "bdac"},
      {"encrypted last on the second click", {C::Encrypted, C::Encrypted}, "acbd"},
      {"directions are per column", {C::Date, C::Kind, C::Date}, "dacb"},
  };
  for (const auto& row : rows) {
    TResultList list;
    list.Load(Sample());
    for (const C click : row.clicks) list.Sort(click);
    EXPECT_EQ(Order(list), row.expected) << row.name;
  }
}

TEST(ResultList, DeletesEachSelectedRowOnce) {
  TResultList list;
  list.Load(Sample());
  EXPECT_EQ(list.DeleteRows({0, 2, 2, 9}), 2u);
  EXPECT_EQ(Order(list), "bd");
  EXPECT_EQ(ResultCellText(list.Items()[1], 1, TResultColumn::No, ""), "2");
}

TEST(ResultList, MarksCountAndClear) {
  TGrepList items = Sample();
  items[1].SqueezeMark = 1;
  items[3].SqueezeMark = 1;
  TResultList list;
  list.Load(items);
  EXPECT_EQ(list.MarkedCount(), 2u);
  list.ClearMarks();
  EXPECT_EQ(list.MarkedCount(), 0u);
}

TEST(ResultList, FileNameReplacesOnlyTheLeadingDiaryFolder) {
  EXPECT_EQ(ResultFileName("/home/u/diary/2005/3/7.txt", "/home/u/diary/"), "../2005/3/7.txt");
  // Replacing every occurrence would also cut "/3/" out of the entry's own path.
  EXPECT_EQ(ResultFileName("/3/2005/3/7.txt", "/3/"), "../2005/3/7.txt");
  EXPECT_EQ(ResultFileName("/2005/3/7.txt", "/"), "../2005/3/7.txt");
  EXPECT_EQ(ResultFileName("/elsewhere/7.txt", "/home/u/diary/"), "/elsewhere/7.txt");
}

TEST(ResultList, BandTextOfThePreview) {
  TGrepItem item;
  item.Lines = "4,4";
  EXPECT_EQ(PreviewBandText(item, true), "Non Title ( 行 : 4,4 )");
  EXPECT_EQ(PreviewBandText(item, false), "Non Title");
  item.Title = test::Cp932("雨");
  item.Method = TEntryMethod::Word;
  EXPECT_EQ(PreviewBandText(item, true), "雨 (暗号文章) ( 行 : 4,4 )");
  item.Kind = TGrepKind::Title;
  item.Lines.clear();
  EXPECT_EQ(PreviewBandText(item, true), "雨 (暗号文章)");
}

TEST(ResultList, RowColouringFollowsTheNumbering) {
  std::string odd, even, none;
  for (std::size_t row = 0; row < 4; ++row) {
    odd += RowColored(row, 1) ? 'x' : '.';
    even += RowColored(row, 2) ? 'x' : '.';
    none += RowColored(row, 7) ? 'x' : '.';
  }
  EXPECT_EQ(odd, "x.x.");  // "No" 1 and 3
  EXPECT_EQ(even, ".x.x");
  EXPECT_EQ(none, "....");
}

TEST(ResultList, HintIsTheFirstLineCutOnACharacter) {
  EXPECT_EQ(FirstLineHint("first\r\nsecond"), "first");
  EXPECT_EQ(FirstLineHint("only"), "only");
  // 255 ASCII bytes then a double-byte character: it would end past the limit.
  const std::string longLine = std::string(255, 'a') + "\x93\xFA" + "b";
  EXPECT_EQ(FirstLineHint(longLine), std::string(255, 'a'));
}

TEST(ResultList, SettingsReadBackAndBadValuesFallBack) {
  test::TTempFolder dir;
  TResultSettings written;
  written.Columns[2] = {2, false, test::Cp932("名前"), 333};
  written.CloseOnMove = false;
  written.Color = clNavy;
  written.Font = {"IPAGothic", 12};
  written.HotTrack = true;
  written.HoverTime = 500;
  written.Coloring = 2;
  written.SqueezeColor = clBlue;
  {
    THIniFile ini(dir / "q.ini", true);
    WriteResultSettings(ini, written);
  }
  {
    const THIniFile ini(dir / "q.ini", false);
    const TResultSettings read = ReadResultSettings(ini);
    EXPECT_EQ(read.Columns[2].Caption, written.Columns[2].Caption);
    EXPECT_EQ(read.Columns[2].Width, 333);
    EXPECT_FALSE(read.Columns[2].AutoSize);
    EXPECT_FALSE(read.CloseOnMove);
    EXPECT_EQ(read.Color, clNavy);
    EXPECT_EQ(read.Font, written.Font);
    EXPECT_TRUE(read.HotTrack);
    EXPECT_EQ(read.HoverTime, 500);
    EXPECT_EQ(read.Coloring, 2);
    EXPECT_EQ(read.SqueezeColor, clBlue);
  }
  {
    THIniFile ini(dir / "q.ini", true);
    ini.WriteInteger(kResultSection, "Coloring", 5);
    ini.WriteInteger(kResultSection, "ColumnAlignment0", 9);
    ini.WriteInteger(kResultSection, "HoverTime", -3);
  }
  const TResultSettings read = ReadResultSettings(THIniFile(dir / "q.ini", false));
  EXPECT_EQ(read.Coloring, 0);
  EXPECT_EQ(read.Columns[0].Alignment, 1);
  EXPECT_EQ(read.HoverTime, 0);
}

}  // namespace
}  // namespace quillet
