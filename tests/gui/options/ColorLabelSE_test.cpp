// Tests of TColorLabelSE: the caption spells colours as the settings file
// does, and a click asks for a colour through a replaced picker (never a
// modal box), firing FontChanged once on OK and nothing on cancel.
#include "gui/options/ColorLabelSE.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace quillet {
namespace {

TEST(ColorLabelSE, CreatedUnderlinedWithHandCursorAndBothFlags) {
  TColorLabelSE label;
  EXPECT_TRUE(label.font().underline());
  EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(label.ShowColorDialog());
  EXPECT_TRUE(label.CaptionFollowsColor());
}

TEST(ColorLabelSE, CaptionIsTheSettingsNameAndTextTakesTheColour) {
  struct TCase {
    TColorRef color;
    const char* caption;
    QColor ink;
  };
  const QColor windowText = QApplication::palette().color(QPalette::WindowText);
  const TCase cases[] = {
      {clNavy, "clNavy", QColor(0, 0, 0x80)},
      {0x00555555, "$00555555", QColor(0x55, 0x55, 0x55)},
      // Byte order of the stored format: 0x00BBGGRR.
      {0x00010203, "$00010203", QColor(3, 2, 1)},
      {clWindowText, "clWindowText", windowText},
  };
  TColorLabelSE label;
  for (const TCase& c : cases) {
    label.SetFontColor(c.color);
    EXPECT_EQ(label.text(), QString::fromLatin1(c.caption));
    EXPECT_EQ(label.FontColor(), c.color);
    EXPECT_EQ(label.palette().color(QPalette::WindowText), c.ink) << c.caption;
  }
  label.SetCaptionFollowsColor(false);
  label.setText("Size: 9");
  label.SetFontColor(clRed);
  EXPECT_EQ(label.text(), "Size: 9");
  EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
}

// A label whose picker answers `answer` and records what it was offered.
struct TPicked {
  TColorLabelSE label;
  std::vector<QColor> offered;
  QColor answer;
  QSignalSpy changed{&label, &TColorLabelSE::FontChanged};
  QSignalSpy clicked{&label, &TColorLabelSE::Clicked};

  explicit TPicked(QColor answerColor) : answer(answerColor) {
    label.SetFontColor(0x00555555);
    label.SetColorPicker([this](const QColor& initial, QWidget* parent) {
      EXPECT_EQ(parent, &label);
      offered.push_back(initial);
      return answer;
    });
    label.resize(100, 20);
    label.show();
  }
};

TEST(ColorLabelSE, ClickThenOkSetsTheColourAndFiresOnce) {
  TPicked p(QColor(0, 0, 0x80));
  QTest::mouseClick(&p.label, Qt::LeftButton);
  ASSERT_EQ(p.offered.size(), 1U);
  EXPECT_EQ(p.offered[0], QColor(0x55, 0x55, 0x55));  // starts from the label's own colour
  EXPECT_EQ(p.label.FontColor(), clNavy);
  EXPECT_EQ(p.label.text(), "clNavy");
  EXPECT_EQ(p.changed.count(), 1);
  EXPECT_EQ(p.clicked.count(), 1);
  // Space on the focused label does the same, for keyboard users.
  p.answer = QColor(0x12, 0x34, 0x56);
  QTest::keyClick(&p.label, Qt::Key_Space);
  EXPECT_EQ(p.label.text(), "$00563412");
  EXPECT_EQ(p.changed.count(), 2);
}

TEST(ColorLabelSE, ClickThenCancelChangesNothingAndFiresNothing) {
  TPicked p{QColor()};
  QTest::mouseClick(&p.label, Qt::LeftButton);
  EXPECT_EQ(p.offered.size(), 1U);
  EXPECT_EQ(p.label.FontColor(), 0x00555555U);
  EXPECT_EQ(p.label.text(), "$00555555");
  EXPECT_EQ(p.changed.count(), 0);
  EXPECT_EQ(p.clicked.count(), 1);
}

TEST(ColorLabelSE, WithoutTheDialogFlagAClickOnlyReportsTheClick) {
  TPicked p(QColor(0, 0, 0x80));
  p.label.SetShowColorDialog(false);
  QTest::mouseClick(&p.label, Qt::LeftButton);
  EXPECT_TRUE(p.offered.empty());
  EXPECT_EQ(p.changed.count(), 0);
  EXPECT_EQ(p.clicked.count(), 1);
  // A press dragged off the label before the release is no click.
  QTest::mousePress(&p.label, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(&p.label, Qt::LeftButton, {}, QPoint(500, 5));
  EXPECT_EQ(p.clicked.count(), 1);
}

TEST(ColorLabelSE, AColourCloseToThePageGroundIsShownOnAGroundItCanBeReadOn) {
  QWidget page;
  page.setPalette(QPalette(Qt::black, QColor(0xEF, 0xEF, 0xEF)));
  TColorLabelSE label(&page);
  for (const auto& [color, filled] : {std::pair{clWhite, true}, {clBlack, false}, {clSilver, true}, {clNavy, false}}) {
    label.SetFontColor(color);
    EXPECT_EQ(label.autoFillBackground(), filled) << ColorToString(color);
    const int apart = std::abs(label.palette().color(QPalette::WindowText).lightness() -
                               label.palette().color(QPalette::Window).lightness());
    EXPECT_GE(apart, 85) << ColorToString(color);
  }
}

}  // namespace
}  // namespace quillet
