// Image.dat: random lists written and read back, the reader's tolerance and
// refusals, and the rule that a file that cannot be read is not replaced.
#include "core/viewer/ImageDat.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

using test::Cp932;
using test::ReadRaw;
using test::WriteRaw;

// Pieces for random fields: ASCII, kana whose trail byte is "|" (ポ 0x83
// 0x7C) or a backslash (ソ 0x83 0x5C), kanji, half-width kana, blanks.
std::string RandomField(std::mt19937& rng, bool name) {
  static const std::string pieces[] = {"a", "Z", "0", ".", " ", "_", "-", "\\", Cp932("ポ"), Cp932("ソ"),
                                       Cp932("表"), Cp932("日記"), "\xB1", Cp932("　")};
  std::string out = name ? "p" : "";
  const int n = static_cast<int>(rng() % 8);
  for (int i = 0; i < n; ++i) out += pieces[rng() % std::size(pieces)];
  return out;
}

TEST(ImageDat, RandomListsComeBackAsWritten) {
  std::mt19937 rng(932);
  for (int round = 0; round < 200; ++round) {
    std::vector<TImageDatLine> lines(rng() % 6);
    for (auto& line : lines) line = {RandomField(rng, true), RandomField(rng, false)};
    std::string bytes;
    ASSERT_TRUE(ImageDatBytes(lines, bytes));
    EXPECT_EQ(ParseImageDat(bytes).Lines, lines);
    // The same file with LF line ends and no final line end.
    std::string lf;
    for (char c : bytes)
      if (c != '\r') lf += c;
    if (!lf.empty()) lf.pop_back();
    EXPECT_EQ(ParseImageDat(lf).Lines, lines);
  }
}

TEST(ImageDat, ReadsWhatPeopleAndOtherWritersLeave) {
  const std::string po = Cp932("ポ");  // its trail byte is "|"
  struct {
    const char* name;
    std::string bytes;
    std::vector<TImageDatLine> lines;
    std::size_t dropped;
  } cases[] = {
      {"stored format", "a.jpg|sun|\r\nb.bmp||\r\n", {{"a.jpg", "sun"}, {"b.bmp", ""}}, 0},
      {"trail byte | does not cut", po + ".jpg|" + po + "|\r\n", {{po + ".jpg", po}}, 0},
      {"name only", "a.jpg\r\n", {{"a.jpg", ""}}, 0},
      {"no closing bar", "a.jpg|c\r\n", {{"a.jpg", "c"}}, 0},
      {"further fields ignored", "a.jpg|c|x|y|\r\n", {{"a.jpg", "c"}}, 0},
      {"empty lines and lone CR", "\r\n\r\na.jpg|c|\r\rb.jpg|d|\n\n", {{"a.jpg", "c"}, {"b.jpg", "d"}}, 0},
      {"names leaving the folder are dropped", "../x.jpg|c|\r\n|c|\r\n.|\r\n..|\r\na.jpg|\r\n", {{"a.jpg", ""}}, 4},
      {"NUL in a name", std::string("a\0b.jpg|c|\r\n", 12), {}, 1},
  };
  for (const auto& c : cases) {
    const TImageDatParse parse = ParseImageDat(c.bytes);
    EXPECT_EQ(parse.Lines, c.lines) << c.name;
    EXPECT_EQ(parse.Dropped, c.dropped) << c.name;
  }
}

TEST(ImageDat, RefusesWhatTheFormatCannotHold) {
  const std::string lead = "\x83";  // half of ポ: the "|" written after it would complete it
  const std::vector<TImageDatLine> bad[] = {
      {{"a|b.jpg", ""}}, {{"a.jpg", "x|y"}}, {{"a.jpg", "two\r\nlines"}}, {{"a\n.jpg", ""}},
      {{"a.jpg", "ok"}, {"", "empty name"}}, {{"..", ""}}, {{"d/a.jpg", ""}}, {{"a.jpg", "x" + lead}},
      {{"a" + lead, ""}}, {{"a.jpg", lead + "\r"}},
  };
  for (const auto& lines : bad) {
    std::string out = "untouched";
    std::string error;
    EXPECT_FALSE(ImageDatBytes(lines, out, &error)) << lines.back().Name << "|" << lines.back().Comment;
    EXPECT_EQ(out, "untouched");
    EXPECT_FALSE(error.empty());
  }
  EXPECT_TRUE(ImageDatCommentFlaw(Cp932("ポ")).empty());
  EXPECT_TRUE(ImageDatNameFlaw(Cp932("ソ.jpg")).empty());
}

TEST(ImageDat, NamesOnDiskAreUtf8) {
  EXPECT_EQ(PictureDiskName(Cp932("ポ写真.jpg")), "ポ写真.jpg");
  EXPECT_EQ(PictureDiskName("\x85\x40.jpg"), "\x85\x40.jpg");  // no character: used as it stands
  std::string cp932;
  ASSERT_TRUE(PictureListName("ポ写真.jpg", cp932));
  EXPECT_EQ(cp932, Cp932("ポ写真.jpg"));
  EXPECT_FALSE(PictureListName("\xF0\x9F\x98\x80.jpg", cp932));  // an emoji
}

class ImageDatFileTest : public ::testing::Test {
protected:
  std::string Path() const { return m_tmp / "Image.dat"; }
  test::TTempFolder m_tmp;
};

TEST_F(ImageDatFileTest, LoadsStoresAndTellsMissingFromUnreadable) {
  TImageDatFile file(Path());
  EXPECT_EQ(file.Load().State, TImageDatRead::Missing);
  const std::vector<TImageDatLine> lines{{Cp932("ポ.jpg"), Cp932("コメント")}, {"b.png", ""}};
  std::string error;
  ASSERT_TRUE(file.Store(lines, &error)) << error;
  EXPECT_EQ(ReadRaw(Path()), Cp932("ポ.jpg|コメント|\r\nb.png||\r\n"));
  const TImageDatLoad load = file.Load();
  EXPECT_EQ(load.State, TImageDatRead::Read);
  EXPECT_EQ(load.Lines, lines);
  EXPECT_FALSE(file.Store({{"a|b", ""}}, &error));
  EXPECT_EQ(test::ModeOf(Path()), 0600u);
  EXPECT_EQ(ReadRaw(Path()), Cp932("ポ.jpg|コメント|\r\nb.png||\r\n"));
  ::mkdir((m_tmp / "folder").c_str(), 0700);
  EXPECT_EQ(TImageDatFile(m_tmp / "folder").Load().State, TImageDatRead::Unreadable);
}

TEST_F(ImageDatFileTest, AnUnreadableFileIsNeverReplaced) {
  const std::string old = "secret.jpg|kept|\r\n";
  WriteRaw(Path(), old);
  ::chmod(Path().c_str(), 0200);
  EXPECT_TRUE(test::AsOrdinaryUser(m_tmp.Path(), [&] {
    TImageDatFile file(Path());
    const TImageDatLoad load = file.Load();
    std::string error;
    const bool stored = file.Store({{"new.jpg", ""}}, &error);
    // A file made unreadable after a good load is not replaced either.
    TImageDatFile later(Path());
    ::chmod(Path().c_str(), 0600);
    later.Load();
    ::chmod(Path().c_str(), 0200);
    const bool laterStored = later.Store({{"new.jpg", ""}});
    ::chmod(Path().c_str(), 0600);
    return load.State == TImageDatRead::Unreadable && load.Error.find("Permission denied") != std::string::npos &&
           !stored && !error.empty() && !file.MayReplace() && !laterStored && ReadRaw(Path()) == old;
  }));
}

}  // namespace
}  // namespace quillet
