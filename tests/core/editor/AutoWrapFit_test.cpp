// The wrap column that fits the window, from the widths the control measures.
#include "core/editor/AutoWrapFit.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/editor/EditorWrapOption.h"

namespace quillet {
namespace {

struct TFitCase {
  const char* name;
  TWrapFitMetrics metrics;
  std::optional<int> column;
};

class WindowEdgeFit : public ::testing::TestWithParam<TFitCase> {};

TEST_P(WindowEdgeFit, FollowsTheFormula) { EXPECT_EQ(FitWrapByte(GetParam().metrics), GetParam().column); }

INSTANTIATE_TEST_SUITE_P(
    Widths, WindowEdgeFit,
    ::testing::Values(
        // 800 - (2 + 20 + 30) - 8 div 2 - 16 = 728; 728 / 8 = 91; - 1.
        TFitCase{"BarsShown", {800, 2, true, 20, true, 30, 8, 16, false}, 90},
        // Hidden bars take no width; 778 / 8 = 97.25 truncates; the wrap mark costs a column.
        TFitCase{"BarsHiddenWrapMarkShown", {800, 2, false, 20, false, 30, 8, 16, true}, 95},
        // C div 2 with an odd cell: 7 div 2 = 3; (700 - 2 - 3 - 16) / 7 = 97.
        TFitCase{"OddCellWidth", {700, 2, false, 0, false, 0, 7, 16, false}, 96},
        // A negative width truncates towards zero, as trunc does.
        TFitCase{"NarrowerThanTheMargins", {10, 2, false, 0, false, 0, 8, 16, false}, -2},
        TFitCase{"CellWidthUnknown", {800, 2, false, 0, false, 0, 0, 16, false}, std::nullopt}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(WindowEdgeFit, TheOptionClampsTheResult) {
  TEditorWrapOption option;
  int changes = 0;
  option.SetOnChange([&] { ++changes; });
  EXPECT_TRUE(ApplyWrapFit(option, {10, 2, false, 0, false, 0, 8, 16, false}));
  EXPECT_EQ(option.WrapByte(), 20);
  EXPECT_TRUE(ApplyWrapFit(option, {20000, 2, false, 0, false, 0, 8, 16, false}));
  EXPECT_EQ(option.WrapByte(), 250);
  EXPECT_FALSE(ApplyWrapFit(option, {800, 2, false, 0, false, 0, 0, 16, false}));
  EXPECT_EQ(option.WrapByte(), 250);
  EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace quillet
