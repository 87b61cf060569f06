// The wrap option: clamps, change notifications, and reading it from the
// settings file. The default character sets are checked against iconv in
// SettingsKeys_test.cpp.
#include "core/editor/EditorWrapOption.h"

#include <gtest/gtest.h>

#include <string>

#include "../app/TempFolder.h"
#include "EditorTestSupport.h"
#include "core/app/HIniFile.h"

namespace quillet {
namespace {

using test::Cp;

TEST(WrapOptionClamp, WrapByteStaysWithin20And250) {
  TEditorWrapOption option;
  option.SetWrapByte(10);
  EXPECT_EQ(option.WrapByte(), 20);
  option.SetWrapByte(300);
  EXPECT_EQ(option.WrapByte(), 250);
  option.SetWrapByte(-5);
  EXPECT_EQ(option.WrapByte(), 20);
}

TEST(WrapOptionNotify, OncePerChangeAndOncePerAssign) {
  TEditorWrapOption option;
  int changes = 0;
  option.SetOnChange([&] { ++changes; });
  option.SetLeading(true);
  option.SetLeading(true);  // same value
  option.SetWrapByte(80);   // same value
  option.SetWrapByte(500);
  option.SetWrapByte(999);  // clamps to the same 250
  option.SetLeadStr("(");
  EXPECT_EQ(option.LeadSet().Contains("("), true);
  EXPECT_EQ(option.LeadSet().Contains(Cp("「")), false);
  EXPECT_EQ(changes, 3);
  TEditorWrapOption other;
  other.SetWordBreak(true);
  other.SetFollowRetMark(true);
  other.SetPunctuationStr(".");
  option.Assign(other);
  EXPECT_EQ(changes, 4);
  EXPECT_TRUE(option.SameValues(other));
  EXPECT_TRUE(option.PunctuationSet().Contains("."));
  option.Assign(other);
  EXPECT_EQ(changes, 4);
  const TEditorWrapOption copy(option);  // values only
  EXPECT_TRUE(copy.SameValues(option));
}

TEST(WrapOptionSettings, DiaryDefaultsSwitchLeadingOn) {
  test::TTempFolder folder;
  THIniFile empty(folder / "none.ini", false);
  TEditorWrapOption option;
  int changes = 0;
  option.SetOnChange([&] { ++changes; });
  LoadWrapOption(empty, option);
  EXPECT_TRUE(option.Leading());
  EXPECT_FALSE(option.WordBreak());
  EXPECT_EQ(option.WrapByte(), 80);
  EXPECT_EQ(changes, 1);
}

TEST(WrapOptionSettings, ReadsEveryKeyOfSectionEdit) {
  test::TTempFolder folder;
  test::WriteRaw(folder / "quillet.ini", "[Edit]\r\nFollowRet=1\r\nFollowPunctuation=1\r\nPunctuationStr=.\r\n"
                                         "Leading=0\r\nFollowStr=)\r\nLeadStr=(\r\nWordBreak=1\r\nWrapByte=12\r\n");
  THIniFile ini(folder / "quillet.ini", false);
  TEditorWrapOption option;
  LoadWrapOption(ini, option);
  EXPECT_TRUE(option.FollowRetMark());
  EXPECT_TRUE(option.FollowPunctuation());
  EXPECT_EQ(option.PunctuationStr(), ".");
  EXPECT_FALSE(option.Leading());
  EXPECT_EQ(option.FollowStr(), ")");
  EXPECT_EQ(option.LeadStr(), "(");
  EXPECT_TRUE(option.WordBreak());
  EXPECT_EQ(option.WrapByte(), 20);
}

}  // namespace
}  // namespace quillet
