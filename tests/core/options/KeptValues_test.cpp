// Writing a page's section back: stored spellings of untouched keys survive,
// edited keys take the new value, and the title section's writer gives back
// what its reader reads.
#include "core/options/KeptValues.h"

#include <gtest/gtest.h>

#include "core/titles/TitleSettings.h"

namespace quillet {
namespace {

TEST(KeptValues, KeepsTheStoredTextOfKeysLeftAsShown) {
  THIniFile stored("", false);
  stored.WriteString("S", "Style", "5");      // shown as 1
  stored.WriteString("S", "color", "bogus");  // shown as the default; other case
  stored.WriteString("S", "Size", "0");
  THIniFile shown("", false);
  shown.WriteString("S", "Style", "1");
  shown.WriteString("S", "Color", "clWindow");
  shown.WriteString("S", "Size", "9");
  shown.WriteString("S", "Missing", "1");
  TKeptValues kept;
  kept.Remember(stored, shown, "S");

  const struct {
    const char* key;
    const char* now;     // what the page writes at apply
    const char* result;  // what the file gets
  } rows[] = {
      {"Style", "1", "5"},                  // untouched, or changed and changed back
      {"Color", "clWindow", "bogus"},
      {"Size", "12", "12"},                 // edited
      {"Missing", "1", "1"},                // no stored text: the page's value
  };
  THIniFile now("", false);
  for (const auto& row : rows) now.WriteString("S", row.key, row.now);
  THIniFile ini("", false);
  ini.WriteString("S", "Other", "x");
  kept.Write(ini, now, "S");
  for (const auto& row : rows) EXPECT_EQ(ini.ReadString("S", row.key, "<none>"), row.result) << row.key;
  EXPECT_EQ(ini.ReadString("S", "Other", ""), "x");
}

TEST(KeptValues, TitleSettingsReadBackAsWritten) {
  TTitleSettings s;
  s.Sort = true;
  s.SelDrawSentence = false;
  s.OnlyExists = true;
  s.ThreadPriority = 6;
  s.Synchronize = false;
  s.MultiThread = true;
  s.Mark = false;
  s.WeekEmphasis = false;
  s.SaturdayColor = 0x123456;
  s.SundayColor = clNavy;
  s.BKColor = clBtnFace;
  s.TextColor = 0x010203;
  s.SingleAction = TTitleAction::SortTitle;
  s.DblAction = TTitleAction::None;
  s.SelectAction = TTitleAction::Refresh;
  s.ContextMenuAction = TTitleAction::OpenDirectory;
  s.Font = {"\x82\x6c\x82\x72 Gothic", 15};  // code page 932 bytes pass through
  s.GridLines = false;
  s.ShowColumn = false;
  THIniFile ini("", false);
  WriteTitleSettings(ini, s);
  const TTitleSettings back = ReadTitleSettings(ini);
  EXPECT_EQ(back.Sort, s.Sort);
  EXPECT_EQ(back.SelDrawSentence, s.SelDrawSentence);
  EXPECT_EQ(back.OnlyExists, s.OnlyExists);
  EXPECT_EQ(back.ThreadPriority, s.ThreadPriority);
  EXPECT_EQ(back.Synchronize, s.Synchronize);
  EXPECT_EQ(back.MultiThread, s.MultiThread);
  EXPECT_EQ(back.Mark, s.Mark);
  EXPECT_EQ(back.WeekEmphasis, s.WeekEmphasis);
  EXPECT_EQ(back.SaturdayColor, s.SaturdayColor);
  EXPECT_EQ(back.SundayColor, s.SundayColor);
  EXPECT_EQ(back.BKColor, s.BKColor);
  EXPECT_EQ(back.TextColor, s.TextColor);
  EXPECT_EQ(back.SingleAction, s.SingleAction);
  EXPECT_EQ(back.DblAction, s.DblAction);
  EXPECT_EQ(back.SelectAction, s.SelectAction);
  EXPECT_EQ(back.ContextMenuAction, s.ContextMenuAction);
  EXPECT_EQ(back.Font, s.Font);
  EXPECT_EQ(back.GridLines, s.GridLines);
  EXPECT_EQ(back.ShowColumn, s.ShowColumn);
  // The page's own keys are not the dialog's.
  for (const char* key : {"DateColumn", "TitleColumn", "SetBKColor", "SelTextColor"})
    EXPECT_FALSE(ini.ValueExists("Title", key)) << key;
}

}  // namespace
}  // namespace quillet
