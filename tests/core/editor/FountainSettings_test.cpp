// The highlighter settings of sections "Edit" and "Color" on a fountain:
// the switches change what is found, "ReserveBk" wins over "ReserveBack",
// "ReserveStyle" picks one font style, and the word file is read from the
// options folder.
#include "core/editor/FountainSettings.h"

#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "core/app/HIniFile.h"
#include "core/app/TempFolder.h"
#include "core/editor/EditorFountain.h"

namespace quillet {
namespace {

std::vector<TFountainToken> TokensOf(TEditorFountain& fountain, std::string_view row) {
  std::vector<TFountainToken> tokens;
  fountain.RowTokens(0, row, tokens);
  std::erase_if(tokens, [](const TFountainToken& t) { return !t.Reserved && t.Style != TFountainStyle::Url && t.Style != TFountainStyle::Mail; });
  return tokens;
}

TEST(FountainSettings, SwitchesColoursAndStylesOfTheSettingsFile) {
  test::TTempFolder folder;
  const struct {
    const char* lines;  // the settings file
    std::uint8_t style;
    TColorRef reserveBack;
    std::size_t links;  // addresses found in "a@b.jp http://x"
  } rows[] = {
      {"[Color]\nReserveBack=clRed\n", fsBold, clNone, 2},  // ReserveBk (default on) wins
      {"[Edit]\nReserveBk=0\nReserveStyle=2\n[Color]\nReserveBack=clRed\n", fsItalic, clRed, 2},
      {"[Edit]\nReserveStyle=3\nURL=0\n", fsUnderline, clNone, 1},
      {"[Edit]\nReserveStyle=7\nMail=0\nURL=0\n", 0, clNone, 0},
  };
  for (const auto& row : rows) {
    test::WriteRaw(folder / "quillet.ini", row.lines);
    const THIniFile ini(folder / "quillet.ini", false);
    TEditorFountain fountain;
    LoadFountainSettings(ini, fountain);
    EXPECT_EQ(fountain.Reserve().Style(), row.style) << row.lines;
    EXPECT_EQ(fountain.Reserve().BkColor(), row.reserveBack) << row.lines;
    EXPECT_EQ(fountain.Colors().Reserve().Style(), row.style);  // one item under both names
    EXPECT_EQ(TokensOf(fountain, "a@b.jp http://x").size(), row.links) << row.lines;
  }
}

TEST(FountainSettings, ReservedWordsComeFromTheOptionsFolder) {
  test::TTempFolder folder;
  TEditorFountain fountain;
  test::WriteRaw(folder / "Reserve.txt", test::Cp("雨\r\nUmbrella\r\n"));
  EXPECT_TRUE(LoadReserveWords(folder.Path(), fountain));
  EXPECT_EQ(TokensOf(fountain, test::Cp("今日は雨、umbrella")).size(), 2u);
  std::filesystem::remove(folder / "Reserve.txt");
  EXPECT_TRUE(LoadReserveWords(folder.Path(), fountain));
  EXPECT_TRUE(TokensOf(fountain, test::Cp("今日は雨")).empty());
}

}  // namespace
}  // namespace quillet
