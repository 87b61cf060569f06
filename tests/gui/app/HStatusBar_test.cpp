// Tests of THStatusBar: the stretch rule, transient messages and their timer,
// simple mode, and the main window's six panels. Timers run for real but
// short; the 15-second cases check the timer's state instead of sleeping.
#include "gui/app/HStatusBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>
#include <vector>

namespace quillet {
namespace {

// A shown bar whose panel strip is exactly `stripWidth` wide.
std::unique_ptr<THStatusBar> ShownBar(const std::vector<int>& widths, int stripWidth = 400, int messagePanel = 0) {
  auto bar = std::make_unique<THStatusBar>();
  bar->SetReSizePanel(messagePanel);
  for (int width : widths) bar->AddPanel(width, Qt::AlignHCenter);
  bar->resize(800, 24);
  bar->show();
  QApplication::processEvents();
  bar->resize(stripWidth + bar->width() - bar->PanelAreaWidth(), 24);
  QApplication::processEvents();
  return bar;
}

const QLabel* Label(const THStatusBar& bar, int i) { return bar.findChild<QLabel*>(QStringLiteral("Panel%1").arg(i)); }

// --- The stretch rule --------------------------------------------------------

struct TStretchCase {
  const char* name;
  std::vector<int> widths;
  int messagePanel;
  int stripWidth;
  std::vector<int> expected;
};
void PrintTo(const TStretchCase& c, std::ostream* os) { *os << c.name; }

class HStatusBarStretch : public ::testing::TestWithParam<TStretchCase> {};

TEST_P(HStatusBarStretch, MessagePanelTakesWhatTheOthersLeave) {
  const TStretchCase& c = GetParam();
  auto bar = ShownBar(c.widths, c.stripWidth, c.messagePanel);
  int left = bar->PanelRect(0).left();
  for (int i = 0; i < bar->PanelCount(); ++i) {
    EXPECT_EQ(bar->PanelWidth(i), c.expected[static_cast<size_t>(i)]) << "panel " << i;
    EXPECT_EQ(bar->PanelRect(i).left(), left) << "panels abut, panel " << i;
    left += bar->PanelWidth(i);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HStatusBarStretch,
    ::testing::Values(
        // The worked example: a bar 556 wide leaves 556 - 250 = 306.
        TStretchCase{"MainBarAt556", {306, 50, 50, 60, 40, 50}, 0, 556, {306, 50, 50, 60, 40, 50}},
        TStretchCase{"Wider", {306, 50, 50, 60, 40, 50}, 0, 700, {450, 50, 50, 60, 40, 50}},
        TStretchCase{"MiddlePanel", {100, 50, 100}, 1, 400, {100, 200, 100}},
        TStretchCase{"TooNarrowGivesZeroNotNegative", {306, 50, 50}, 0, 60, {0, 50, 50}},
        TStretchCase{"PanelPastTheLastStretchesNothing", {100, 50}, 2, 400, {100, 50}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(HStatusBarStretchRule, WideningTheWindowWidensOnlyPanel0) {
  QMainWindow window;
  THStatusBar* bar = CreateMainStatusBar(&window);
  window.setStatusBar(bar);
  window.resize(760, 400);
  window.show();
  QApplication::processEvents();
  std::vector<QRect> before;
  for (int i = 0; i < bar->PanelCount(); ++i) before.push_back(bar->PanelRect(i));
  window.resize(900, 400);
  QApplication::processEvents();
  EXPECT_EQ(bar->PanelWidth(0), before[0].width() + 140);
  for (int i = 1; i < bar->PanelCount(); ++i)
    EXPECT_EQ(bar->PanelRect(i), before[static_cast<size_t>(i)].translated(140, 0)) << i;
  // A status tip from a menu must not hide the panels.
  bar->showMessage(QStringLiteral("tip"));
  QApplication::processEvents();
  EXPECT_TRUE(Label(*bar, 1)->isVisible());
}

TEST(HStatusBarStretchRule, ChangingThePropertiesReappliesIt) {
  auto bar = ShownBar({100, 50, 100});
  bar->SetAutoReSize(false);
  bar->SetPanelWidth(0, 100);
  EXPECT_EQ(bar->PanelWidth(0), 100);
  bar->SetAutoReSize(true);
  EXPECT_EQ(bar->PanelWidth(0), 250);
  bar->SetReSizePanel(2);
  EXPECT_EQ(bar->PanelWidth(2), 400 - 250 - 50);
}

// --- Transient messages ------------------------------------------------------

TEST(HStatusBarMessage, SecondMessageWithinTheIntervalRestartsTheFullInterval) {
  // Two messages "5 s apart" on a 15 s bar, without waiting: the second must
  // find the timer restarted at the full 15 s, not at what the first left.
  auto bar = ShownBar({100, 50});
  bar->SetDefaultInterval(15000);
  bar->ShowStatusMessage(QStringLiteral("first"));
  EXPECT_EQ(bar->PanelText(0), QStringLiteral("first"));
  QTest::qWait(60);
  const int leftOfFirst = bar->MessageTimer().remainingTime();
  ASSERT_LT(leftOfFirst, 15000 - 40);
  bar->ShowStatusMessage(QStringLiteral("second"));
  EXPECT_EQ(bar->PanelText(0), QStringLiteral("second"));
  EXPECT_EQ(bar->MessageTimer().interval(), 15000);
  EXPECT_GT(bar->MessageTimer().remainingTime(), 15000 - 30);
  bar->ShowStatusMessage(QStringLiteral("third"), 1234);
  EXPECT_EQ(bar->MessageTimer().interval(), 1234);
  // A negative interval would make QTimer refuse to start and the message
  // would never clear: it is taken as 0.
  bar->ShowStatusMessage(QStringLiteral("fourth"), -5);
  EXPECT_EQ(bar->MessageTimer().interval(), 0);
  bar->SetDefaultInterval(-1);
  EXPECT_EQ(bar->DefaultInterval(), 0);
}

TEST(HStatusBarMessage, SecondMessageOutlivesTheFirstsExpiryThenOnlyItClears) {
  constexpr int kInterval = 400;
  auto bar = ShownBar({100, 50});
  QSignalSpy expired(bar.get(), &THStatusBar::MessageExpired);
  bar->SetPanelText(1, QStringLiteral("変更あり"));
  bar->ShowStatusMessage(QStringLiteral("first"), kInterval);
  QTest::qWait(kInterval / 2);
  bar->ShowStatusMessage(QStringLiteral("second"), kInterval);
  QElapsedTimer sinceSecond;
  sinceSecond.start();
  QTest::qWait(kInterval * 3 / 4);  // past the first message's expiry
  if (sinceSecond.elapsed() < kInterval) {  // a loaded machine may oversleep
    EXPECT_EQ(bar->PanelText(0), QStringLiteral("second"));
  }
  ASSERT_TRUE(expired.count() == 1 || expired.wait(5000));
  EXPECT_GE(sinceSecond.nsecsElapsed(), qint64{kInterval - 1} * 1000000);
  EXPECT_EQ(expired.count(), 1);
  EXPECT_EQ(bar->PanelText(0), QString());
  EXPECT_EQ(bar->PanelText(1), QStringLiteral("変更あり"));
  EXPECT_FALSE(bar->MessageTimer().isActive());
}

TEST(HStatusBarMessage, PanelPastTheLastShowsNothing) {
  auto bar = ShownBar({100, 50}, 400, 2);
  bar->ShowStatusMessage(QStringLiteral("lost"));
  EXPECT_EQ(bar->PanelText(0), QString());
  EXPECT_EQ(bar->PanelText(1), QString());
  EXPECT_EQ(bar->SimpleText(), QString());
}

TEST(HStatusBarMessage, SimpleModeShowsAndClearsTheSimpleText) {
  auto bar = ShownBar({100, 50});
  bar->SetPanelText(0, QStringLiteral("kept"));
  bar->SetSimplePanel(true);
  EXPECT_FALSE(Label(*bar, 0)->isVisible());
  QSignalSpy expired(bar.get(), &THStatusBar::MessageExpired);
  bar->ShowStatusMessage(QStringLiteral("simple"), 30);
  EXPECT_EQ(bar->SimpleText(), QStringLiteral("simple"));
  ASSERT_TRUE(expired.wait(2000));
  EXPECT_EQ(bar->SimpleText(), QString());
  EXPECT_EQ(bar->PanelText(0), QStringLiteral("kept"));
  bar->SetSimplePanel(false);
  EXPECT_TRUE(Label(*bar, 0)->isVisible());
}

}  // namespace
}  // namespace quillet
