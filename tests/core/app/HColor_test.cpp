// Colour text forms: names and "$00BBGGRR" as the stored settings files hold
// them, plus the other forms those files' reader also takes (any case, blanks,
// short hex, decimal).
#include "core/app/HColor.h"

#include <gtest/gtest.h>

namespace quillet {
namespace {

TEST(HColorText, WritesAndReadsBack) {
  const struct {
    TColorRef color;
    const char* text;
  } cases[] = {
      {clBlack, "clBlack"}, {clMedGray, "clMedGray"}, {clWindow, "clWindow"}, {clScrollBar, "clScrollBar"},
      {clHotLight, "clHotLight"}, {clMenuBar, "clMenuBar"}, {cl3DDkShadow, "cl3DDkShadow"}, {clNone, "clNone"},
      {clDefault, "clDefault"}, {0x00555555, "$00555555"}, {0x00ABCDEF, "$00ABCDEF"},
      {0x80000019, "$80000019"},  // system colour 25 has no name on Windows either
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ColorToString(c.color), c.text);
    TColorRef read = 0x12345678;
    EXPECT_TRUE(StringToColor(c.text, read)) << c.text;
    EXPECT_EQ(read, c.color) << c.text;
  }
}

TEST(HColorText, ReadsTheOtherFormsOfTheStoredFiles) {
  const struct {
    const char* text;
    TColorRef expected;
  } cases[] = {{"CLNAVY", clNavy}, {" clWhite\t", clWhite}, {"$ff", 0xFF}, {"255", 0xFF}, {"-2147483643", clWindow}};
  for (const auto& c : cases) {
    TColorRef read = 0;
    EXPECT_TRUE(StringToColor(c.text, read)) << c.text;
    EXPECT_EQ(read, c.expected) << c.text;
  }
  for (const char* text : {"", "cl", "clPink", "clNavy2", "$", "$100000000", "#FFFFFF", "0x10"}) {
    TColorRef read = clGray;
    EXPECT_FALSE(StringToColor(text, read)) << text;
    EXPECT_EQ(read, clGray) << text;
  }
}

}  // namespace
}  // namespace quillet
