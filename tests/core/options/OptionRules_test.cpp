#include "core/options/OptionRules.h"

#include <gtest/gtest.h>

#include "../app/TempFolder.h"
#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/store/EntryStore.h"

namespace quillet {
namespace {

TEST(OptionRules, WakeUpKeepsOnlyHoursUpToNoon) {
  const struct {
    const char* typed;
    int stored;
  } rows[] = {{"12", 12}, {"0", 0}, {" 4 ", 4}, {"$C", 12}, {"13", 0}, {"-1", 0}, {"x", 0}, {"", 0}, {"4x", 0}};
  for (const auto& row : rows) EXPECT_EQ(WakeUpValue(row.typed), row.stored) << row.typed;
}

// The key state the dialog predicts must be the one the program reads back
// from what the dialog writes, or the key-change check examines the wrong key.
TEST(OptionRules, CodeOfOptionsIsWhatTheStartupReadsBack) {
  const test::TTempFolder root;
  const struct {
    const char* number;
    const char* word;
    int method;
  } rows[] = {{"199", "key", 1}, {"200", "", 0}, {"0", "k", 0}, {"abc", "=x?", 1}, {"", " spaced ", 1},
              {"$10", "\x93\xfa\x8b\x4c", 0}, {"-5", "\"quoted\"", 1}};
  for (const auto& row : rows) {
    TSecurityOptions options;
    options.EnCrypt = true;
    options.MethodIndex = row.method;
    options.NumberText = row.number;
    options.Word = row.word;
    {
      THIniFile ini(root / "quillet.ini", true);
      WriteSecurityOptions(ini, options);
      ASSERT_TRUE(ini.UpdateFile());
    }
    const THIniFile ini(root / "quillet.ini", false);
    EXPECT_EQ(CodeOfOptions(options, "login"), ReadCode(ini, true, "login")) << row.number << " " << row.word;
  }
}

TEST(OptionRules, LooksLikeText) {
  EXPECT_TRUE(LooksLikeText("abc\r\n\tdef"));
  EXPECT_TRUE(LooksLikeText("\x93\xfa\x8b\x4c\xb1"));  // 日記 and a half-width kana
  EXPECT_FALSE(LooksLikeText(std::string("a\0b", 3)));
  EXPECT_FALSE(LooksLikeText("\x93"));        // a lead byte cut off
  EXPECT_FALSE(LooksLikeText("\x93\x0a"));    // a lead byte before a line end
  EXPECT_FALSE(LooksLikeText("ab\x1b"));
  EXPECT_FALSE(LooksLikeText("\xff"));
}

class KeyChange : public ::testing::Test {
protected:
  void SetUp() override {
    m_store.SavePath = m_root.Path();
    m_code.EnCrypt = true;
    m_code.Method = true;
    m_code.Word = "old word";
    m_code.Number = 100;
  }
  void Put(int year, int month, int day, bool word, const std::string& body = "text of the day\r\n") {
    m_code.Method = word;
    TSaveRequest request;
    request.Date = MakeDate(year, month, day);
    request.Body = body;
    request.Force = true;
    request.Modified = true;
    ASSERT_TRUE(SaveDay(m_store, m_root.Path(), m_code, request).Ok);
  }
  TCode With(std::string word, int number) const {
    TCode code = m_code;
    code.Word = std::move(word);
    code.Number = number;
    return code;
  }

  test::TTempFolder m_root;
  TStoreSettings m_store;
  TCode m_code;
};

TEST_F(KeyChange, FindsWordKeyDaysTheNewWordDoesNotOpenNewestFirst) {
  Put(2004, 12, 31, true);
  Put(2005, 3, 7, true);
  Put(2005, 3, 20, true);
  Put(2005, 3, 8, false);  // number key: untouched by a new word
  m_code.EnCrypt = false;
  Put(2005, 3, 9, true);   // plain
  const TKeyChangeCheck check = CheckKeyChange(m_store, m_code, With("new word", 100));
  EXPECT_EQ(check.Sampled, 3);
  ASSERT_EQ(check.Lost.size(), 3u);
  EXPECT_EQ(check.Lost[0].Date, MakeDate(2005, 3, 20));
  EXPECT_EQ(check.Lost[1].Date, MakeDate(2005, 3, 7));
  EXPECT_EQ(check.Lost[2].Date, MakeDate(2004, 12, 31));
  EXPECT_EQ(check.Lost[0].Method, TEntryMethod::Word);

  // The same keys (the method and the switch alone change nothing that is read).
  TCode same = m_code;
  same.Method = false;
  same.EnCrypt = true;
  EXPECT_EQ(CheckKeyChange(m_store, m_code, same).Sampled, 0);
  // The sample stops at its limit.
  const TKeyChangeCheck two = CheckKeyChange(m_store, m_code, With("new word", 100), 2);
  EXPECT_EQ(two.Sampled, 2);
  EXPECT_EQ(two.Lost.back().Date, MakeDate(2005, 3, 7));
}

TEST_F(KeyChange, NumberKeyDaysByTheirKeyByte) {
  Put(2005, 3, 7, false);
  Put(2005, 3, 8, false);
  {  // a day with its own key number is read with it whatever the settings say
    THIniFile ini(m_root.Path() + "2005/3/Set.ini", true);
    ini.WriteInteger("8", "CodeKey", 100);
    ASSERT_TRUE(ini.UpdateFile());
  }
  const TKeyChangeCheck changed = CheckKeyChange(m_store, m_code, With("old word", 101));
  EXPECT_EQ(changed.Sampled, 1);
  ASSERT_EQ(changed.Lost.size(), 1u);
  EXPECT_EQ(changed.Lost[0].Date, MakeDate(2005, 3, 7));
  // 356 has the key byte of 100: the same key.
  EXPECT_EQ(CheckKeyChange(m_store, m_code, With("old word", 356)).Sampled, 0);
}

TEST_F(KeyChange, DaysTheOldKeyDoesNotOpenEitherAreNotLost) {
  Put(2005, 3, 7, true);
  const TCode other = With("third word", 100);
  const TKeyChangeCheck check = CheckKeyChange(m_store, other, With("new word", 100));
  EXPECT_EQ(check.Sampled, 1);
  EXPECT_TRUE(check.Lost.empty());
}

TEST_F(KeyChange, UnreadableMonthsAndMissingFilesAreSkipped) {
  Put(2005, 3, 7, true);
  Put(2005, 4, 1, true);
  // April's Set.ini cannot be read (a folder in its place); March's day 7 has lost its file.
  std::filesystem::remove(m_root.Path() + "2005/4/Set.ini");
  std::filesystem::create_directory(m_root.Path() + "2005/4/Set.ini");
  std::filesystem::remove(m_root.Path() + "2005/3/7.txt");
  Put(2005, 3, 2, true);
  std::filesystem::create_directory(m_root.Path() + "notayear");
  const TKeyChangeCheck check = CheckKeyChange(m_store, m_code, With("new word", 100));
  EXPECT_EQ(check.Sampled, 1);
  ASSERT_EQ(check.Lost.size(), 1u);
  EXPECT_EQ(check.Lost[0].Date, MakeDate(2005, 3, 2));
  // A diary root that does not exist has nothing to lose.
  m_store.SavePath = m_root.Path() + "missing/";
  EXPECT_EQ(CheckKeyChange(m_store, m_code, With("new word", 100)).Sampled, 0);
}

}  // namespace
}  // namespace quillet
