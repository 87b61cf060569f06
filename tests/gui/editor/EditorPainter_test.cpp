// The line-number bar's numbers: rows or logical lines, from 0 or 1, padded
// with zeros or not.
#include <gtest/gtest.h>

#include "core/editor/EditorScreenStrings.h"
#include "gui/editor/EditorPainter.h"
#include "gui/editor/EditorProperties.h"

namespace quillet {
namespace {

TEST(LeftbarNumber, RowsLinesBasesAndPadding) {
  TEditorScreenStrings store;
  store.WrapOption().SetWrapByte(20);
  store.SetWordWrap(true);
  store.SetText(std::string(30, 'a') + "\r\nb\r\n");  // rows: 20 a, 10 a, b, then the empty place
  TEditorLeftbar rows;
  TEditorLeftbar lines;
  lines.ShowNumberMode = TNumberMode::nmLine;
  TEditorLeftbar zero = lines;
  zero.ZeroBase = true;
  zero.ZeroLead = true;
  zero.Column = 4;
  const struct {
    int row;
    const char *byRow, *byLine, *zeroLead;
  } table[] = {
      {0, "1", "1", "0000"},
      {1, "2", "", ""},  // the second row of a wrapped line carries no line number
      {2, "3", "2", "0001"},
      {3, "4", "3", "0002"},  // the empty place after the final line end
      {4, "", "", ""},        // nothing below it
  };
  for (const auto& row : table) {
    EXPECT_EQ(LeftbarNumber(store, row.row, rows).toStdString(), row.byRow) << row.row;
    EXPECT_EQ(LeftbarNumber(store, row.row, lines).toStdString(), row.byLine) << row.row;
    EXPECT_EQ(LeftbarNumber(store, row.row, zero).toStdString(), row.zeroLead) << row.row;
  }
  store.SetText("x");  // no final line end: no place below the last row
  EXPECT_EQ(LeftbarNumber(store, 1, rows).toStdString(), "");
  TEditorLeftbar wide = rows;
  wide.ZeroLead = true;
  wide.Column = 2;
  store.SetText(std::string(200, '\n'));
  EXPECT_EQ(LeftbarNumber(store, 150, wide).toStdString(), "151");  // wider than the digits: not cut
}

}  // namespace
}  // namespace quillet
