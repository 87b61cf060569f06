// The entry encryption formats byte for byte (the word key against OpenSSL,
// the number key against a plain XOR), the key settings, the marker lines of
// number-key files, the scrambling, and the security page checks.
#include "core/crypto/USecurity.h"

#include <gtest/gtest.h>

#include "../app/TempFolder.h"
#include "OpenSslBlowFish.h"
#include "core/app/HIniFile.h"
#include "core/crypto/CryptUtils.h"

namespace quillet {
namespace {

using namespace quillet::test;

const std::string kVectorBytes("\x3A\x7C\x19\xE2\x58\x0D\xB4\x61", 8);

// --- Scramble -----------------------------------------------------------------------

struct TScrambleRow {
  const char* name;
  std::string text;
  std::string scrambled;
};

const TScrambleRow kScrambleRows[] = {
    {"empty", "", ""},
    {"ascii", "abc", "\x7C\x7F\x7E"},
    {"digits_stay_printable", "0123", "-,/."},
    {"stops_at_nul", std::string("ab\0cd", 5), "\x7C\x7F"},
    {"double_byte", "\x93\xFA", "\x8E\xE7"},  // 日
};

class SecurityScramble : public testing::TestWithParam<TScrambleRow> {};

TEST_P(SecurityScramble, XorsEachByteWith1D) {
  EXPECT_EQ(Scramble(GetParam().text), GetParam().scrambled);
}

INSTANTIATE_TEST_SUITE_P(Texts, SecurityScramble, testing::ValuesIn(kScrambleRows),
                         [](const auto& row) { return std::string(row.param.name); });

// --- The key state from the settings ------------------------------------------------------

struct TCodeRow {
  const char* name;
  const char* settings;  // section "Window" lines
  bool atStartup;
  TCode expected;
};

const TCodeRow kCodeRows[] = {
    {"nothing_stored", "", false, {164, "", false, false}},
    {"number_absent_at_startup_word_is_login", "", true, {164, "login", false, false}},
    {"number_0", "Number=0\r\n", false, {164, "", false, false}},
    {"number_200", "Number=200\r\n", false, {164, "", false, false}},
    {"number_199", "Number=199\r\n", false, {199, "", false, false}},
    {"number_1", "Number=1\r\n", false, {1, "", false, false}},
    {"number_negative", "Number=-5\r\n", false, {164, "", false, false}},
    {"number_not_an_integer", "Number=abc\r\n", false, {164, "", false, false}},
    {"word_is_unscrambled", "Word=\x7C\x7F\x7E\r\nEnCrypt=1\r\nMethod=1\r\n", true, {164, "abc", true, true}},
    {"empty_word_kept_when_options_apply", "Word=\r\nEnCrypt=1\r\n", false, {164, "", true, false}},
};

class SecurityReadCode : public testing::TestWithParam<TCodeRow> {};

TEST_P(SecurityReadCode, AppliesTheRules) {
  const TTempFolder tmp;
  WriteRaw(tmp / "q.ini", std::string("[Window]\r\n") + GetParam().settings);
  const THIniFile ini(tmp / "q.ini", false);
  EXPECT_EQ(ReadCode(ini, GetParam().atStartup, "login"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Settings, SecurityReadCode, testing::ValuesIn(kCodeRows),
                         [](const auto& row) { return std::string(row.param.name); });

// --- Number key -----------------------------------------------------------------------------

TEST(SecurityNumberKey, FileIsThePlainTextXorTheKeyByte) {
  const TTempFolder tmp;
  const std::string body = "\x93\xFA\x8B\x4C\r\nline two";  // 日記
  WriteNumberKey(tmp / "7.txt", body, 300);
  const std::string stored = ReadRaw(tmp / "7.txt");
  ASSERT_EQ(stored.size(), body.size());
  for (std::size_t i = 0; i < body.size(); ++i) {
    EXPECT_EQ(static_cast<unsigned char>(stored[i]), static_cast<unsigned char>(body[i]) ^ 44u) << i;
  }
  std::string back;
  ReadNumberKey(back, tmp / "7.txt", 300);
  EXPECT_EQ(back, body);
}

TEST(SecurityNumberKey, ALowByteOfZeroStoresThePlainText) {
  const TTempFolder tmp;
  WriteNumberKey(tmp / "7.txt", "as it is", 256);
  EXPECT_EQ(ReadRaw(tmp / "7.txt"), "as it is");
}

TEST(SecurityNumberKey, AnotherKeyGivesOtherTextWithoutAnError) {
  const TTempFolder tmp;
  WriteNumberKey(tmp / "7.txt", "secret", 164);
  std::string back;
  EXPECT_NO_THROW(ReadNumberKey(back, tmp / "7.txt", 165));
  EXPECT_EQ(back.size(), 6u);
  EXPECT_NE(back, "secret");
}

TEST(SecurityNumberKey, FailuresAreRaisedAndLeaveTheBody) {
  const TTempFolder tmp;
  std::string body = "kept";
  EXPECT_THROW(ReadNumberKey(body, tmp / "missing.txt", 164), EKeyFileError);
  EXPECT_THROW(ReadNumberKey(body, tmp.Path(), 164), EKeyFileError);  // a folder
  EXPECT_EQ(body, "kept");
  EXPECT_THROW(WriteNumberKey(tmp / "no/such/folder.txt", "x", 164), EKeyFileError);
}

TEST(SecurityNumberKey, AReadOnlyFileIsNotOverwritten) {
  const TTempFolder tmp;
  WriteNumberKey(tmp / "7.txt", "old", 164);
  ::chmod((tmp / "7.txt").c_str(), 0400);
  EXPECT_THROW(WriteNumberKey(tmp / "7.txt", "new", 164), EKeyFileError);
  std::string back;
  ReadNumberKey(back, tmp / "7.txt", 164);
  EXPECT_EQ(back, "old");
}

struct TMarkerRow {
  const char* name;
  std::string text;
  std::string loaded;
};

const TMarkerRow kMarkerRows[] = {
    {"both_markers", "Begin of File\r\nbody\r\nEnd of File\r\n", "body\r\n"},
    {"end_marker_without_line_end", "Begin of File\r\nbody\r\nEnd of File", "body\r\n"},
    {"only_begin", "Begin of File", ""},
    {"only_begin_with_line_end", "Begin of File\r\n", ""},
    {"only_end", "a\r\nEnd of File\r\n", "a\r\n"},
    {"begin_not_first", "a\r\nBegin of File\r\n", "a\r\nBegin of File\r\n"},
    {"end_not_last", "End of File\r\nb", "End of File\r\nb"},
    {"case_sensitive", "begin of file\r\nx\r\nEND OF FILE", "begin of file\r\nx\r\nEND OF FILE"},
    {"trailing_blank_is_not_a_marker", "Begin of File \r\nx", "Begin of File \r\nx"},
    {"lf_line_ends", "Begin of File\nx\nEnd of File\n", "x\n"},
    {"cr_line_ends", "Begin of File\rx\rEnd of File", "x\r"},
    {"one_line_that_is_both", "End of File", ""},
    {"text_after_nul_is_not_loaded", std::string("Begin of File\r\nx\0End of File", 28), "x"},
    {"no_markers", "plain\r\ntext", "plain\r\ntext"},
    {"empty", "", ""},
};

class SecurityMarkers : public testing::TestWithParam<TMarkerRow> {};

TEST_P(SecurityMarkers, AreDroppedOnReading) {
  const TTempFolder tmp;
  WriteRaw(tmp / "7.txt", NumberKeyXor(GetParam().text, 164));
  std::string body;
  ReadNumberKey(body, tmp / "7.txt", 164);
  EXPECT_EQ(body, GetParam().loaded);
}

INSTANTIATE_TEST_SUITE_P(Files, SecurityMarkers, testing::ValuesIn(kMarkerRows),
                         [](const auto& row) { return std::string(row.param.name); });

// --- Word key --------------------------------------------------------------------------------

TEST(SecurityWordKey, FileIsOpenSslBlowfishCbcWithTheFixedVector) {
  for (const std::string& body : {std::string(""), std::string("12345"), std::string("\x93\xFA\x8B\x4C\r\n", 6),
                                  std::string(16, 'x'), std::string(1000, '\x82')}) {
    const std::string stored = EncryptWordKey(body, "key word");
    EXPECT_EQ(stored, OpenSslCbcInOurOrder("key word", kVectorBytes, PadCount(body))) << body.size();
    EXPECT_EQ(stored.size(), (body.size() / 8 + 1) * 8);  // 5 bytes in 8, 16 in 24
  }
}

TEST(SecurityWordKey, AMissingFileReadsAsSuccessAndLeavesTheBody) {
  const TTempFolder tmp;
  std::string body = "kept";
  EXPECT_TRUE(ReadWordKey(body, tmp / "none.txt", "word"));
  EXPECT_EQ(body, "kept");
}

TEST(SecurityWordKey, UnreadableFilesFailAndLeaveTheBody) {
  const TTempFolder tmp;
  std::string body = "kept";
  WriteRaw(tmp / "12.txt", std::string(12, 'x'));
  EXPECT_FALSE(ReadWordKey(body, tmp / "12.txt", "word"));  // not whole blocks
  EXPECT_FALSE(ReadWordKey(body, tmp.Path(), "word"));      // a folder
  ASSERT_TRUE(WriteWordKey("secret", tmp / "7.txt", "word"));
  EXPECT_FALSE(ReadWordKey(body, tmp / "7.txt", ""));  // no key word to key the cipher with
  EXPECT_EQ(body, "kept");
}

TEST(SecurityWordKey, AnEmptyWordWritesNothing) {
  const TTempFolder tmp;
  EXPECT_FALSE(WriteWordKey("text", tmp / "7.txt", ""));
  EXPECT_TRUE(Listing(tmp.Path()).empty());
}

TEST(SecurityWordKey, AWrongWordFailsTheReadAndLeavesTheBody) {
  // Read as empty text, a wrong key word once let the next save destroy the entry.
  const TTempFolder tmp;
  ASSERT_TRUE(WriteWordKey("a long enough diary entry", tmp / "7.txt", "right"));
  std::string back = "before";
  EXPECT_FALSE(ReadWordKey(back, tmp / "7.txt", "wrong"));
  EXPECT_EQ(back, "before");
  EXPECT_TRUE(ReadWordKey(back, tmp / "7.txt", "right"));
  EXPECT_EQ(back, "a long enough diary entry");
}

TEST(SecurityWordKey, TheLastBlockMustEndInNBytesOfValueN) {
  // One block as the plain text before encryption: the padding check is on
  // the decrypted block, so each row encrypts its block raw.
  const struct {
    const char* name;
    std::string block;
    bool valid;
    std::string text;
  } rows[] = {
      {"one byte of padding", std::string("1234567\x01", 8), true, "1234567"},
      {"two bytes", std::string("123456\x02\x02", 8), true, "123456"},
      {"a whole block", std::string(8, '\x08'), true, ""},
      {"a count beyond the block", std::string("1234567\x09", 8), false, ""},
      {"a count beyond the file", std::string("1234567\xFF", 8), false, ""},
      {"zero", std::string("1234567\x00", 8), false, ""},
      {"padding bytes that disagree", std::string("12345\x03\x02\x03", 8), false, ""},
  };
  for (const auto& row : rows) {
    TCryptCBC crypt("w", std::make_unique<TBlowFish>(), kWordKeyVector.data(), 8, padCount);
    std::string block = row.block;
    crypt.InitEncrypt();
    crypt.EncryptBlock(reinterpret_cast<std::uint8_t*>(block.data()), reinterpret_cast<std::uint8_t*>(block.data()));
    std::string plain = "before";
    EXPECT_EQ(DecryptWordKey(block, "w", plain), row.valid) << row.name;
    EXPECT_EQ(plain, row.valid ? row.text : "before") << row.name;
  }
}

// --- Start-up password ----------------------------------------------------------------------

TEST(SecurityPassword, AcceptsOnlyTheSameNonEmptyText) {
  const std::string stored = Scramble("open sesame");
  EXPECT_TRUE(CheckStartupPassword("open sesame", stored));
  EXPECT_FALSE(CheckStartupPassword("open sesamE", stored));
  EXPECT_FALSE(CheckStartupPassword("", stored));
  EXPECT_FALSE(CheckStartupPassword("", ""));
  EXPECT_FALSE(CheckStartupPassword("anything", ""));
}

// --- Options page ---------------------------------------------------------------------------

struct TOptionsRow {
  const char* name;
  TSecurityOptions options;
  std::string_view message;
};

const TOptionsRow kOptionsRows[] = {
    {"all_off", {false, "", false, 0, "", ""}, ""},
    {"password_on_but_empty", {true, "", true, 1, "", ""}, kMsgBadPassword},
    {"password_given", {true, "pw", false, 0, "", ""}, ""},
    {"robust_without_word", {false, "", true, 1, "164", ""}, kMsgEnterKeyWord},
    {"robust_with_word", {false, "", true, 1, "", "w"}, ""},
    {"simple_without_number", {false, "", true, 0, "", "w"}, kMsgEnterKey},
    {"simple_not_an_integer", {false, "", true, 0, "12a", ""}, kMsgBadKey},
    {"simple_above_200", {false, "", true, 0, "201", ""}, kMsgKeyRange},
    {"simple_below_0", {false, "", true, 0, "-1", ""}, kMsgKeyRange},
    {"simple_0_accepted", {false, "", true, 0, "0", ""}, ""},
    {"simple_200_accepted", {false, "", true, 0, "200", ""}, ""},
    {"simple_hex_accepted", {false, "", true, 0, "$A4", ""}, ""},
    {"encryption_off_checks_nothing", {false, "", false, 0, "junk", ""}, ""},
};

class SecurityOptionsPage : public testing::TestWithParam<TOptionsRow> {};

TEST_P(SecurityOptionsPage, ChecksInOrder) {
  EXPECT_EQ(ValidateSecurityOptions(GetParam().options), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Pages, SecurityOptionsPage, testing::ValuesIn(kOptionsRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SecurityOptionsPage, WritesScrambledTextsAndReadsBack) {
  const TTempFolder tmp;
  {
    THIniFile ini(tmp / "q.ini", true);
    WriteSecurityOptions(ini, {true, "pass", true, 1, "junk", "\x93\xFA\x8B\x4C"});
  }
  const THIniFile ini(tmp / "q.ini", false);
  EXPECT_EQ(ini.ReadString("Window", "EntryText", ""), Scramble("pass"));
  EXPECT_EQ(ini.ReadString("Window", "Word", ""), Scramble("\x93\xFA\x8B\x4C"));
  EXPECT_EQ(ini.ReadInteger("Window", "Number", 0), 164);  // not an integer: the default
  EXPECT_EQ(ini.ReadString("Window", "Method", ""), "1");
  EXPECT_TRUE(CheckStartupPassword("pass", ini.ReadString("Window", "EntryText", "")));
  EXPECT_EQ(ReadCode(ini, false, "login"), (TCode{164, "\x93\xFA\x8B\x4C", true, true}));
}

}  // namespace
}  // namespace quillet
