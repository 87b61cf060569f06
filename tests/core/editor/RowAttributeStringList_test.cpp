// The per-row attributes kept in the item words (read back as set, never as
// bit positions), and the line structure and mark totals derived from them,
// checked against a brute-force walk over random attribute changes.
#include "core/editor/RowAttributeStringList.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace quillet {
namespace {

TEST(RowAttributePacking, AZeroedRowIsNotYetParsed) {
  TRowAttributeStringList list;
  list.Add("fresh");
  EXPECT_EQ(list.Token(0), -2);
  EXPECT_EQ(list.RowAttribute(0), raCrlf);
  list.SetToken(0, -1);
  EXPECT_EQ(list.Token(0), -1);
  // Kinds above the old four-bit field: a wrapped row may open with a web
  // address (21) or a control code (28).
  for (const int kind : {13, 14, 21, 28, TRowAttributeStringList::kMaxToken}) {
    list.SetToken(0, kind);
    EXPECT_EQ(list.Token(0), kind);
  }
  EXPECT_THROW(list.SetToken(0, TRowAttributeStringList::kMaxToken + 1), std::out_of_range);
  EXPECT_THROW(list.SetToken(0, -3), std::out_of_range);
  EXPECT_EQ(list.Token(0), TRowAttributeStringList::kMaxToken);  // unchanged by a refusal
}

TEST(RowAttributePacking, DataRecordRoundTripsWithSignedBytes) {
  TRowAttributeStringList list;
  list.Add("row");
  list.SetMarks(0, 0x0003);
  TRowAttributeData data;  // reset value: token -1, values 0
  EXPECT_EQ(data.Token, -1);
  data.RowAttribute = raWrapped;
  data.PrevRowAttribute = raEof;
  data.Token = 22;
  data.Value1 = -1;  // "no open bracket" must survive the byte
  data.Value2 = 127;
  data.Value3 = -128;
  data.Byte1 = -7;
  data.StateText = "\"open";
  list.SetRowAttributeData(0, data);
  EXPECT_EQ(list.RowAttributeData(0), data);
  EXPECT_EQ(list.Marks(0), 0x0003);  // marks are not part of the record
}

TEST(RowAttributePacking, OutsideTheListReadsInvalid) {
  TRowAttributeStringList list;
  EXPECT_EQ(list.RowAttribute(0), raInvalid);
  EXPECT_EQ(list.RowAttribute(-1), raInvalid);
  EXPECT_THROW(list.SetRowAttribute(0, raCrlf), TEListError);
}

// Line structure by a plain walk.
struct TLines {
  std::vector<int> lineOfRow;
  std::vector<int> firstRows;
};

TLines Walk(const TRowAttributeStringList& list) {
  TLines lines;
  int line = 0;
  for (int row = 0; row < list.Count(); ++row) {
    if (row == 0 || list.RowAttribute(row - 1) != raWrapped) lines.firstRows.push_back(row);
    lines.lineOfRow.push_back(line);
    if (list.RowAttribute(row) != raWrapped) ++line;
  }
  return lines;
}

TEST(RowLines, FollowEveryKindOfChange) {
  std::mt19937 random(3);
  TRowAttributeStringList list;
  for (int step = 0; step < 5000; ++step) {
    const int count = list.Count();
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    switch (random() % 5) {
      case 0:
        list.Insert(pick(count + 1), "r");
        break;
      case 1:
        if (count > 0) list.Delete(pick(count));
        break;
      case 2:
      case 3:
        if (count > 0) list.SetRowAttribute(pick(count), random() % 2 ? raWrapped : raCrlf);
        break;
      default:
        if (count > 0) list.SetMarks(pick(count), static_cast<TRowMarks>(random()));
        break;
    }
    // Ask about a random row or line, as an editor does after an edit.
    const TLines expected = Walk(list);
    const int lines = static_cast<int>(expected.firstRows.size());
    const bool lastWrapped = count > 0 && list.RowAttribute(list.Count() - 1) == raWrapped;
    ASSERT_EQ(list.LineCount(), list.Count() == 0 ? 0 : lines) << step << lastWrapped;
    if (list.Count() > 0) {
      const int row = pick(list.Count());
      ASSERT_EQ(list.LineOfRow(row), expected.lineOfRow[static_cast<std::size_t>(row)]) << step;
      const int line = pick(lines);
      ASSERT_EQ(list.RowOfLine(line), expected.firstRows[static_cast<std::size_t>(line)]) << step;
    }
    ASSERT_EQ(list.LineOfRow(list.Count()), list.LineCount());
    ASSERT_EQ(list.RowOfLine(lines + 3), list.Count());
    TRowMarks marks = 0;
    for (int row = 0; row < list.Count(); ++row) marks = static_cast<TRowMarks>(marks | list.Marks(row));
    ASSERT_EQ(list.ListMarks(), marks) << step;
  }
}

TEST(RowLines, AppendedRowsCarryTheirAttributes) {
  TRowAttributeStringList list;
  const std::string text = "abcdef\r\ng";
  const TRowSpan rows[] = {{0, 3, raWrapped}, {3, 3, raCrlf}, {8, 1, raEof}};
  list.AppendRows(text, rows);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Get(1), "def");
  EXPECT_EQ(list.RowAttribute(0), raWrapped);
  EXPECT_EQ(list.RowAttribute(2), raEof);
  EXPECT_EQ(list.LineCount(), 2);
  EXPECT_EQ(list.RowOfLine(1), 2);
  EXPECT_EQ(list.LineOfRow(1), 0);
}

}  // namespace
}  // namespace quillet
