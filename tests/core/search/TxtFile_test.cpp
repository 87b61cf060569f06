// Tests of TTxtFile: line ends of every kind, lines that cross the 100 KB
// block boundary (a CR LF pair cut in two by a read included), lines longer
// than a block, the line feed added to a last line, empty files, cancel and
// unreadable files. Expected lines come from the plain splitter of the
// search tests.
#include "core/search/TxtFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <random>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "../app/TempFolder.h"
#include "ReferenceMatcher.h"

namespace quillet {
namespace {

using TLines = std::vector<std::pair<std::size_t, std::string>>;

// Every line the reader yields, with its number, checking the block shape.
TLines ReadAll(const std::string& path) {
  TTxtFile file(path);
  TLines lines;
  for (;;) {
    try {
      file.ReadBlock();
    } catch (const EEndOfFile&) {
      return lines;
    }
    const std::string_view block = file.Lines();
    EXPECT_GE(block.size(), 2u);
    EXPECT_EQ(block.front(), '\n');
    EXPECT_EQ(block.back(), '\n');
    for (std::size_t cr = block.find('\r'); cr != std::string_view::npos; cr = block.find('\r', cr + 1)) {
      EXPECT_EQ(block[cr + 1], '\n') << "a carriage return not followed by a line feed";
    }
    EXPECT_EQ(file.FirstLineNumber(), lines.size() + 1);
    std::size_t number = file.FirstLineNumber();
    for (std::size_t start = 1; start < block.size(); ++number) {
      const std::size_t end = block.find('\n', start);
      lines.emplace_back(number, std::string(TrimLineEnd(block, start, end)));
      start = end + 1;
    }
  }
}

// The reference split, numbered.
TLines Split(const std::string& text) {
  TLines lines;
  for (const std::string& line : test::SplitLines(text)) lines.emplace_back(lines.size() + 1, line);
  return lines;
}

struct TRow {
  const char* name;
  std::string text;
};

class LineEnds : public ::testing::TestWithParam<TRow> {};

TEST_P(LineEnds, AreReadAsOneLineFeed) {
  test::TTempFolder folder;
  test::WriteRaw(folder / "f.txt", GetParam().text);
  EXPECT_EQ(ReadAll(folder / "f.txt"), Split(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Table, LineEnds,
                         ::testing::Values(TRow{"CrLf", "one\r\ntwo\r\n"}, TRow{"Lf", "one\ntwo\n"},
                                           TRow{"LoneCr", "one\rtwo\r"}, TRow{"Mixed", "a\r\n\rb\n\r\nc"},
                                           TRow{"NoLineEndAtTheEnd", "one\r\ntwo"},
                                           TRow{"OnlyALineEnd", "\r\n"}, TRow{"BlankLines", "\n\n\n"},
                                           TRow{"CrAtTheVeryEnd", "x\r"}, TRow{"CrCrLf", "x\r\r\ny"},
                                           TRow{"EmptyFileHasNoLines", ""}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(TxtFile, CrLfCutByTheBlockBoundaryIsOneLineEnd) {
  // The first read takes exactly one block; put CR as its last byte.
  std::string text(TTxtFile::kBlockSize - 1, 'x');
  text += "\r\nnext\r\n";
  test::TTempFolder folder;
  test::WriteRaw(folder / "f.txt", text);
  const TLines lines = ReadAll(folder / "f.txt");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].second.size(), TTxtFile::kBlockSize - 1);
  EXPECT_EQ(lines[1], (std::pair<std::size_t, std::string>{2, "next"}));
}

// Now and then a run of up to 150000 bytes: lines longer than a block.
TEST(TxtFile, RandomFilesAcrossManyBlocks) {
  std::mt19937 random(42);
  const char* pieces[] = {"a", "bc", "\x93\xFA", "\r\n", "\n", "\r", "\r\r\n"};
  for (int round = 0; round < 4; ++round) {
    std::string text;
    while (text.size() < 5 * TTxtFile::kBlockSize) {
      const int weight = static_cast<int>(random() % 100);
      text += weight < 60 ? pieces[random() % 3] : pieces[3 + random() % 4];
      if (random() % 5000 == 0) text += std::string(random() % 150000, 'z');
    }
    test::TTempFolder folder;
    test::WriteRaw(folder / "f.txt", text);
    ASSERT_EQ(ReadAll(folder / "f.txt"), Split(text)) << "round " << round;
  }
}

TEST(TxtFile, CancelFlagStopsAfterABlock) {
  test::TTempFolder folder;
  test::WriteRaw(folder / "f.txt", "a\r\nb\r\n");
  std::atomic<bool> cancel{true};
  TTxtFile file(folder / "f.txt", &cancel);
  EXPECT_THROW(file.ReadBlock(), EGrepCancel);
  EXPECT_THROW(file.CheckCancel(), EGrepCancel);
  cancel = false;
  EXPECT_NO_THROW(file.CheckCancel());
}

TEST(TxtFile, MissingFileRaisesTheSystemError) {
  test::TTempFolder folder;
  try {
    TTxtFile file(folder / "missing.txt");
    FAIL();
  } catch (const std::system_error& error) {
    EXPECT_EQ(error.code().value(), ENOENT);
  }
}

}  // namespace
}  // namespace quillet
