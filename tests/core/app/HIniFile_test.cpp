// THIniFile: reading every line-end style and hand-written section lines, the
// lookup rules (also on files far larger than real ones), the integer reader,
// values trimmed and quoted as Windows reads them, and the write-back
// contract (only when asked and changed, atomic, never over a file it could
// not read, no forged lines).
#include "core/app/HIniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"

namespace quillet {
namespace {

using namespace quillet::test;

// ---- Reading ---------------------------------------------------------------

TEST(HIniFileRead, EveryLineEndStyleReadsTheSame) {
  const struct {
    const char* name;
    const char* bytes;
  } cases[] = {
      {"CrLf", "[Window]\r\nSaveExt=.txt\r\nSaveStyle=2\r\n\r\n[Edit]\r\nFontName=FixedSys\r\n"},
      {"LfOnly", "[Window]\nSaveExt=.txt\nSaveStyle=2\n\n[Edit]\nFontName=FixedSys\n"},
      {"CrOnly", "[Window]\rSaveExt=.txt\rSaveStyle=2\r\r[Edit]\rFontName=FixedSys\r"},
      {"Mixed", "[Window]\r\nSaveExt=.txt\nSaveStyle=2\r[Edit]\r\nFontName=FixedSys"},
  };
  for (const auto& c : cases) {
    TTempFolder tmp;
    WriteRaw(tmp / "a.ini", c.bytes);
    const THIniFile ini(tmp / "a.ini", false);
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Window", "Edit"})) << c.name;
    EXPECT_EQ(ini.ReadString("Window", "SaveExt", "?"), ".txt") << c.name;
    EXPECT_EQ(ini.ReadInteger("Window", "SaveStyle", -1), 2) << c.name;
    EXPECT_EQ(ini.ReadSection("Edit"), std::vector<std::string>{"FontName"}) << c.name;
  }
}

TEST(HIniFileRead, SkipsStrayLinesMergesSectionsFirstKeyWins) {
  TTempFolder tmp;
  WriteRaw(tmp / "a.ini",
           "Orphan=before any section\r\n[Window]\r\n; Comment=1\r\n  ;Indented=1\r\nno equals sign\r\n"
           "=no key\r\n  Top \t= 10 \r\nEmpty=\r\nTop=11\r\n[Edit]\r\n[window]\r\nLeft=3\r\n");
  const THIniFile ini(tmp / "a.ini", false);
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Window", "Edit"}));
  EXPECT_EQ(ini.ReadSection("Window"), (std::vector<std::string>{"Top", "Empty", "Left"}));
  EXPECT_EQ(ini.ReadInteger("Window", "Top", 0), 10);
  EXPECT_EQ(ini.ReadString("Window", "Empty", "def"), "");
}

// Day 7's keys must not land in day 6: a section line may carry a comment,
// stray blanks or no ']', and an editor may have put a byte-order mark first.
TEST(HIniFileRead, SectionLinesAsPeopleWriteThem) {
  TTempFolder tmp;
  WriteRaw(tmp / "Set.ini",
           "\xEF\xBB\xBF[6]\r\nTitle=six\r\n[7] ; moved from old pc\r\nTitle=seven\r\n\t[ 8 ]x]\r\nTitle=eight\r\n"
           "[ 9 \r\nTitle=nine\r\nUseCode=1\r\n[\x83\x5D] \x83\x5D]\r\nTitle=zo\r\n");
  const THIniFile ini(tmp / "Set.ini", false);
  // 0x5D, ']', is also the trail byte of "ゾ" (0x83 0x5D).
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"6", "7", "8", "9", "\x83\x5D"}));
  const std::pair<const char*, const char*> titles[] = {
      {"6", "six"}, {"7", "seven"}, {"8", "eight"}, {"9", "nine"}, {"\x83\x5D", "zo"}};
  for (const auto& [day, title] : titles) {
    EXPECT_EQ(ini.ReadString(day, "Title", "?"), title) << day;
  }
  EXPECT_EQ(ini.ReadSection("9"), (std::vector<std::string>{"Title", "UseCode"}));
}

TEST(HIniFileRead, NamesIgnoreAsciiCaseButNotDoubleByteCharacters) {
  TTempFolder tmp;
  // 0x83 0x41 is katakana A and 0x83 0x61 another katakana: the second byte
  // looks like 'A'/'a' but must not be case-folded.
  WriteRaw(tmp / "a.ini", "[Window]\r\nSaveExt=.txt\r\n[\x83\x41]\r\nk\x83\x41=1\r\n");
  const THIniFile ini(tmp / "a.ini", false);
  EXPECT_EQ(ini.ReadString(" WINDOW ", "saveext\t", ""), ".txt");
  EXPECT_TRUE(ini.ValueExists("\x83\x41", "K\x83\x41"));
  EXPECT_FALSE(ini.SectionExists("\x83\x61"));
  EXPECT_FALSE(ini.ValueExists("\x83\x41", "K\x83\x61"));
}

// Lookups, also while parsing, must not scan: these files would take minutes
// otherwise. Deleting shifts positions, which the lookups must follow.
TEST(HIniFileRead, HugeFilesParseWholeAndStayConsistentAfterDeletes) {
  constexpr int kKeys = 200000;
  constexpr int kSections = 100000;
  std::string text = "[Big]\r\n";
  for (int i = 0; i < kKeys; ++i) text += "K" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  text += "k7=first value wins\r\n";
  for (int i = 0; i < kSections; ++i) text += "[" + std::to_string(i) + "]\r\nV=" + std::to_string(i) + "\r\n";
  text += "[big]\r\nMerged=1\r\n";
  TTempFolder tmp;
  WriteRaw(tmp / "a.ini", text);
  THIniFile ini(tmp / "a.ini", false);
  const auto sections = ini.ReadSections();
  ASSERT_EQ(sections.size(), std::size_t{kSections + 1});
  EXPECT_EQ(sections[1], "0");
  EXPECT_EQ(sections.back(), std::to_string(kSections - 1));
  ASSERT_EQ(ini.ReadSection("BIG").size(), std::size_t{kKeys + 1});
  EXPECT_EQ(ini.ReadSection("Big").back(), "Merged");
  EXPECT_EQ(ini.ReadInteger("Big", "k7", -1), 7);
  EXPECT_EQ(ini.ReadInteger("99999", "V", -1), 99999);

  ini.DeleteKey("Big", "K1");
  ini.EraseSection("3");
  EXPECT_FALSE(ini.ValueExists("Big", "K1"));
  EXPECT_EQ(ini.ReadInteger("Big", "K2", -1), 2);
  EXPECT_EQ(ini.ReadInteger("Big", "Merged", -1), 1);
  EXPECT_FALSE(ini.SectionExists("3"));
  EXPECT_EQ(ini.ReadInteger("4", "V", -1), 4);
  ini.WriteInteger("Big", "K2", 20);
  ini.WriteInteger("5", "V", 50);
  EXPECT_EQ(ini.ReadSection("Big")[1], "K2");
  EXPECT_EQ(ini.ReadInteger("5", "V", -1), 50);
  EXPECT_EQ(ini.ReadSections().size(), std::size_t{kSections});
}

TEST(HIniFileRead, MissingFileIsEmptyAndNotCreated) {
  TTempFolder tmp;
  {
    THIniFile ini(tmp / "none.ini", true);
    EXPECT_FALSE(ini.ReadFailed());
    EXPECT_EQ(ini.ReadInteger("Edit", "WrapByte", 80), 80);
  }
  EXPECT_TRUE(Listing(tmp.Path()).empty());
}

// Writing the few changed keys over a file that could not be read would
// lose every other setting in it.
TEST(HIniFileRead, UnreadableFileIsNeverWritten) {
  TTempFolder tmp;
  ::mkdir((tmp / "dir.ini").c_str(), 0700);
  {
    THIniFile ini(tmp / "dir.ini", true);
    EXPECT_TRUE(ini.ReadFailed());
    ini.WriteString("Window", "SaveExt", ".txt");
    EXPECT_FALSE(ini.UpdateFile());
  }
  EXPECT_TRUE(Listing(tmp / "dir.ini").empty());
}

// ---- Integers and flags ----------------------------------------------------

TEST(HIniFileInteger, ParsesDecimalAndDollarHexLikeWindows) {
  constexpr int kDef = -777;
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"12", 12}, {" -5\t", -5}, {"+7", 7}, {"007", 7}, {"$ff", 255}, {"$FFFFFFFF", -1}, {"-$10", -16},
      {"$000000010", 16}, {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483648", kDef},
      {"-2147483649", kDef}, {"99999999999999999999", kDef}, {"$100000000", kDef}, {"", kDef}, {"-", kDef},
      {"$", kDef}, {"12abc", kDef}, {"1 2", kDef}, {"0x10", kDef}, {"1.5", kDef}, {"\x82\x50", kDef},
  };
  for (const auto& c : cases) {
    int value = kDef;
    EXPECT_EQ(ParseInteger(c.text, value) ? value : kDef, c.expected) << '"' << c.text << '"';
  }
  TTempFolder tmp;
  WriteRaw(tmp / "a.ini", "[S]\r\nbad=x\r\nminus=-1\r\nzero=0\r\nquoted= \"12\" \r\n");
  const THIniFile ini(tmp / "a.ini", false);
  EXPECT_EQ(ini.ReadInteger("S", "bad", 5), 5);
  EXPECT_EQ(ini.ReadInteger("S", "quoted", 5), 12);
  EXPECT_TRUE(ini.ReadBool("S", "minus", false));
  EXPECT_FALSE(ini.ReadBool("S", "zero", true));
  EXPECT_FALSE(ini.ReadBool("S", "bad", false));
}

TEST(HIniFileTyped, ColorsFontsBoundsAndShortCuts) {
  TTempFolder tmp;
  WriteRaw(tmp / "a.ini",
           "[Color]\r\nBack=clwindow\r\nSel=$00555555\r\nBad=clPink\r\n[Edit]\r\nFontName=\r\nFontSize=x\r\n"
           "[Window]\r\nTop=5\r\nLeftPosition=7\r\n[ShortCut]\r\nMenuSave=Ctrl+S\r\nMenuFind=\r\n");
  THIniFile ini(tmp / "a.ini", false);
  EXPECT_EQ(ini.ReadColor("Color", "Back", clBlack), clWindow);
  EXPECT_EQ(ini.ReadColor("Color", "Sel", clBlack), 0x00555555u);
  EXPECT_EQ(ini.ReadColor("Color", "Bad", clNone), clNone);
  EXPECT_EQ(ini.ReadFont("Edit", {"FixedSys", 9}), (TFontSpec{"FixedSys", 9}));
  EXPECT_EQ(ini.ReadBounds("Window", {1, 2, 3, 4}), (TBounds{5, 2, 3, 4}));
  EXPECT_EQ(ini.ReadBounds("Window", {1, 2, 3, 4}, "Position"), (TBounds{1, 7, 3, 4}));
  EXPECT_EQ(ini.ReadShortCut("ShortCut", "MenuSave", "F2"), "Ctrl+S");
  EXPECT_EQ(ini.ReadShortCut("ShortCut", "MenuFind", "Ctrl+F"), "") << "present and empty: no shortcut";
  EXPECT_EQ(ini.ReadShortCut("ShortCut", "MenuGrep", "Ctrl+G"), "Ctrl+G");
  ini.WriteColor("Color", "Back", clNavy);
  EXPECT_EQ(ini.ReadString("Color", "Back", ""), "clNavy");
}

// ---- Writing ---------------------------------------------------------------

TEST(HIniFileWrite, RoundTripIsCrLfWithBytesAndSpellingKept) {
  TTempFolder tmp;
  const std::string path = tmp / "Set.ini";
  const std::string title = "\x93\xFA\x8B\x4C \x83\x5C\x5C";  // "日記 ソ\": a trail byte 0x5C
  WriteRaw(path, "[Window]\n");
  {
    THIniFile ini(path, true);
    ini.SetSection("7");
    ini.WriteString("Title", title);
    ini.WriteInteger("Renewal", -3);
    ini.WriteBool("Crypt", true);
    ini.WriteString("WINDOW", " SaveExt ", " .txt ");
  }
  EXPECT_EQ(ReadRaw(path), "[Window]\r\nSaveExt=\" .txt \"\r\n\r\n[7]\r\nTitle=" + title +
                               "\r\nRenewal=-3\r\nCrypt=1\r\n\r\n");
  const THIniFile again(path, false);
  EXPECT_EQ(again.ReadString("7", "Title", ""), title);
  EXPECT_EQ(again.ReadString("Window", "SaveExt", ""), " .txt ");
}

// Windows' reader drops the blanks and one pair of quotes around a value, so
// a value that begins or ends with either is written quoted. A scrambled key
// word shows why: the scrambled form of '=' is a blank.
TEST(HIniFileWrite, TextReadsBackExactlyAndHandWrittenBlanksAreDropped) {
  const std::string values[] = {
      "", "plain", " lead", "trail ", "\tboth\t", "\"quoted\"", "\"", "\"open", "close\"", " \"both\" ",
      "in \"side\" it", "x=y", " m|nn ",  // "=pass=" scrambled
  };
  TTempFolder tmp;
  const std::string path = tmp / "a.ini";
  WriteRaw(path, "[Hand]\r\nSavePath = /home/a/diary/\t\r\nKey =  value  \r\nQuoted= \" a \"\r\n");
  {
    THIniFile ini(path, true);
    EXPECT_EQ(ini.ReadString("Hand", "SavePath", ""), "/home/a/diary/");
    EXPECT_EQ(ini.ReadString("Hand", "Key", ""), "value");
    EXPECT_EQ(ini.ReadVerbatim("Hand", "Key", ""), "  value  ");
    EXPECT_EQ(ini.ReadString("Hand", "Quoted", ""), " a ");
    ini.WriteString("Hand", "Key", "value");
    EXPECT_FALSE(ini.Modified()) << "the value it already reads as";
    for (std::size_t i = 0; i < std::size(values); ++i) ini.WriteString("Text", "K" + std::to_string(i), values[i]);
    ini.WriteVerbatim("Text", "Title", " \"day\" ");
  }
  const THIniFile ini(path, false);
  for (std::size_t i = 0; i < std::size(values); ++i) {
    EXPECT_EQ(ini.ReadString("Text", "K" + std::to_string(i), "?"), values[i]) << '[' << values[i] << ']';
  }
  EXPECT_EQ(ini.ReadVerbatim("Text", "K2", ""), "\" lead\"");
  EXPECT_EQ(ini.ReadVerbatim("Text", "Title", ""), " \"day\" ");
  EXPECT_EQ(ini.ReadString("Text", "Title", ""), "day");
}

TEST(HIniFileWrite, LineBreaksCannotForgeKeysOrSections) {
  TTempFolder tmp;
  {
    THIniFile ini(tmp / "a.ini", true);
    ini.WriteString("Window", "Word", "abc\r\n[Boot]\r\nLoadMenu=0\rEntry=1\nX=2");
    ini.WriteString("Window", "Bad\nKey", "1");
    ini.WriteString("Window", "A=B", "1");
    ini.WriteString("Window", ";Hidden", "1");
    ini.WriteString("Window", "", "1");
    ini.WriteVerbatim("Window", "Title", " a\r\n[Boot]");
    ini.WriteString("Day]\x83\x5D", "Title", "1");  // a ']', then "ゾ" with its trail byte 0x5D
  }
  const THIniFile ini(tmp / "a.ini", false);
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Window", "Day \x83\x5D"}));
  EXPECT_EQ(ini.ReadSection("Window"), (std::vector<std::string>{"Word", "Bad Key", "A B", "Title"}));
  EXPECT_EQ(ini.ReadString("Window", "Word", ""), "abc  [Boot]  LoadMenu=0 Entry=1 X=2");
  EXPECT_EQ(ini.ReadVerbatim("Window", "Title", ""), " a  [Boot]");
}

// Found by fuzzing: a lead byte with no trail byte at the end of a section
// name took the ']' written after it for its trail byte, so after a save the
// section read back under another name, its keys lost to the day; and a lead
// byte before CR, LF or '=' in a written name hid them from the cleaning, so
// they split the line or the key.
TEST(HIniFileWrite, BrokenCharactersInNamesCannotRenameSectionsOrSplitLines) {
  TTempFolder tmp;
  // Read: "[7\x85" has no ']'; "[8\x85 ]" ends in a lead byte once trimmed.
  WriteRaw(tmp / "a.ini", "[7\x85\r\nTitle=seven\r\n[8\x85 ]\r\nTitle=eight\r\n");
  {
    THIniFile ini(tmp / "a.ini", true);
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"7", "8"}));
    EXPECT_EQ(ini.ReadString("7\x85", "Title", "?"), "seven");  // a lookup drops it too
    ini.WriteString("9\x85", "Title", "nine");
    ini.WriteString("Window", "Key\x85=Forged", "1");
    ini.WriteString("Day\x85\n[Boot]", "Key\x85\nLoadMenu", "0");
    ASSERT_TRUE(ini.UpdateFile());
  }
  const THIniFile ini(tmp / "a.ini", false);
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"7", "8", "9", "Window", "Day\x85 [Boot"}));
  EXPECT_EQ(ini.ReadString("7", "Title", "?"), "seven");
  EXPECT_EQ(ini.ReadString("8", "Title", "?"), "eight");
  EXPECT_EQ(ini.ReadString("9", "Title", "?"), "nine");
  EXPECT_EQ(ini.ReadSection("Window"), (std::vector<std::string>{"Key\x85 Forged"}));
  EXPECT_EQ(ini.ReadSection("Day\x85 [Boot"), (std::vector<std::string>{"Key\x85 LoadMenu"}));
  EXPECT_FALSE(ini.SectionExists("Boot"));
}

TEST(HIniFileWrite, WritesBackOnlyWhenAskedAndChanged) {
  TTempFolder tmp;
  const std::string path = tmp / "a.ini";
  // The comment shows whether the file was rewritten: rewriting drops it.
  const std::string original = "; keep\r\n[Window]\r\nState=0\r\n[Gone]\r\nx=1\r\n";
  WriteRaw(path, original);
  { THIniFile(path, false).WriteInteger("Window", "State", 2); }
  EXPECT_EQ(ReadRaw(path), original) << "a reader's changes are discarded";
  {
    THIniFile writer(path, true);
    writer.WriteInteger("Window", "State", 0);  // the value it already has
    writer.DeleteKey("Window", "Missing");
    writer.EraseSection("Missing");
    EXPECT_FALSE(writer.Modified());
  }
  EXPECT_EQ(ReadRaw(path), original) << "nothing changed, nothing written";
  {
    THIniFile writer(path, true);
    writer.WriteInteger("Window", "State", 2);
    writer.EraseSection("gone");
  }
  EXPECT_EQ(ReadRaw(path), "[Window]\r\nState=2\r\n\r\n");
}

TEST(HIniFileWrite, FailedUpdateLeavesNothingAndCanBeRetried) {
  TTempFolder tmp;
  WriteRaw(tmp / "ro.ini", "[Window]\r\nState=0\r\n");
  ::chmod((tmp / "ro.ini").c_str(), 0400);
  {
    THIniFile readOnly(tmp / "ro.ini", true);
    readOnly.WriteInteger("Window", "State", 2);
    EXPECT_FALSE(readOnly.UpdateFile()) << "a read-only file stays as it is";
  }
  EXPECT_EQ(ReadRaw(tmp / "ro.ini"), "[Window]\r\nState=0\r\n");
  ::unlink((tmp / "ro.ini").c_str());

  THIniFile ini(tmp / "Option/quillet.ini", true);
  ini.WriteInteger("Window", "State", 1);
  EXPECT_FALSE(ini.UpdateFile()) << "the folder does not exist";
  EXPECT_TRUE(ini.Modified());
  EXPECT_TRUE(Listing(tmp.Path()).empty());
  ::mkdir((tmp / "Option").c_str(), 0700);
  EXPECT_TRUE(ini.UpdateFile());
  EXPECT_FALSE(ini.Modified());
  EXPECT_EQ(Listing(tmp / "Option"), std::vector<std::string>{"quillet.ini"});
}

}  // namespace
}  // namespace quillet
