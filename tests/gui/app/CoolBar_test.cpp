// Tests of TCoolBar on a real QMainWindow (offscreen): the default layout,
// order, breaks, widths and visibility loaded from the settings, the
// tool-bar bitmap step that can stop the load, and save/load round trips.
// Checked with QMainWindow::toolBarArea, toolBarBreak and the laid-out
// geometry; settings files live in a QTemporaryDir.
#include "gui/app/CoolBar.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolBar>
#include <array>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "gui/app/ToolImages.h"

namespace quillet {
namespace {

constexpr int kE = TCoolBar::kEditorBand, kD = TCoolBar::kDateBand, kT = TCoolBar::kTitleBand;
using TIds = std::vector<int>;
using TFlags = std::array<std::optional<bool>, 3>;

// The main window's three bars: 15 editor buttons, 9 date buttons, the title
// box; icons re-applied on Changed as the main window does.
struct TBandWindow {
  QMainWindow window;
  TToolImages images;
  std::array<QToolBar*, 3> bars{};
  std::vector<QAction*> actions;
  std::unique_ptr<TCoolBar> coolBar;  // last: goes before the window

  TBandWindow() {
    window.setCentralWidget(new QWidget);
    for (QToolBar*& bar : bars) bar = new QToolBar(&window);
    for (int i = 0; i < 24; ++i) actions.push_back(bars[i < 15 ? kE : kD]->addAction(QString::number(i)));
    auto* title = new QLineEdit;
    title->setFixedWidth(150);
    bars[kT]->addWidget(title);
    auto apply = [this] {
      for (int i = 0; i < 24 && i < images.Count(); ++i) actions[static_cast<size_t>(i)]->setIcon(images.Icon(i));
    };
    apply();
    QObject::connect(&images, &TToolImages::Changed, apply);
    coolBar = std::make_unique<TCoolBar>(&window, bars[kE], bars[kD], bars[kT]);
    window.resize(760, 400);
  }
  void Show() {
    window.show();
    QApplication::processEvents();
  }
  QRect Geo(int id) const { return bars[static_cast<size_t>(id)]->geometry(); }
  bool Break(int id) const { return window.toolBarBreak(bars[static_cast<size_t>(id)]); }
  TIds Order() const { return {coolBar->BandAt(0), coolBar->BandAt(1), coolBar->BandAt(2)}; }
};

// Settings in memory, in a temporary folder that may also hold CoolBar.bmp.
struct TSettings {
  QTemporaryDir dir;
  THIniFile ini{dir.filePath(QStringLiteral("quillet.ini")).toStdString(), false};
  void Int(const std::string& key, int value) { ini.WriteInteger(keys::kWindow, key, value); }
  void Flag(const std::string& key, bool value) { ini.WriteBool(keys::kWindow, key, value); }
  void Ids(const TIds& ids) {
    for (size_t n = 0; n < ids.size(); ++n) Int(keys::CoolBarID(static_cast<int>(n)), ids[n]);
  }
};

bool Above(const QRect& a, const QRect& b) { return a.bottom() < b.top(); }
bool LeftOnSameRow(const QRect& a, const QRect& b) { return a.top() == b.top() && a.right() < b.left(); }

TEST(CoolBarDefault, EditorBarAboveDateAndTitleBarsOnOneRow) {
  TBandWindow w;
  EXPECT_EQ(w.Order(), (TIds{kE, kD, kT}));
  for (QToolBar* bar : w.bars) EXPECT_EQ(w.window.toolBarArea(bar), Qt::TopToolBarArea);
  w.Show();
  EXPECT_TRUE(Above(w.Geo(kE), w.Geo(kD)));
  EXPECT_TRUE(LeftOnSameRow(w.Geo(kD), w.Geo(kT)));
  EXPECT_EQ(w.coolBar->Height(), (w.Geo(kE) | w.Geo(kD) | w.Geo(kT)).height());
}

// --- Visibility --------------------------------------------------------------

struct TVisibleCase {
  const char* name;
  TFlags stored;  // "CoolBarVisible"n by position
  std::array<bool, 3> expected;
};
void PrintTo(const TVisibleCase& c, std::ostream* os) { *os << c.name; }
class CoolBarVisible : public ::testing::TestWithParam<TVisibleCase> {};

TEST_P(CoolBarVisible, BandsAndBarTogglesFollowTheStoredFlags) {
  const TVisibleCase& c = GetParam();
  TBandWindow w;
  TSettings s;
  for (int n = 0; n < 3; ++n)
    if (const auto flag = c.stored[static_cast<size_t>(n)]) s.Flag(keys::CoolBarVisible(n), *flag);
  QSignalSpy toggles(w.coolBar.get(), &TCoolBar::BandVisibilityChanged);
  ASSERT_TRUE(w.coolBar->Load(s.ini, s.dir.path(), w.images));
  w.Show();
  ASSERT_EQ(toggles.count(), 3);  // each bar command takes its band's state
  for (int id = 0; id < 3; ++id) {
    const bool want = c.expected[static_cast<size_t>(id)];
    EXPECT_EQ(w.bars[static_cast<size_t>(id)]->isVisible(), want) << id;
    EXPECT_EQ(w.coolBar->IsBandVisible(id), want) << id;
    EXPECT_EQ(toggles.at(id).at(0).toInt(), id);
    EXPECT_EQ(toggles.at(id).at(1).toBool(), want) << id;
  }
  const bool any = c.expected[0] || c.expected[1] || c.expected[2];
  EXPECT_EQ(w.coolBar->AnyBandVisible(), any);
  if (!any) {
    EXPECT_EQ(w.window.centralWidget()->y(), 0);  // the band area takes no room
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoolBarVisible,
    ::testing::Values(TVisibleCase{"NothingStored", {}, {true, true, true}},
                      TVisibleCase{"AllHidden", {false, false, false}, {false, false, false}},
                      TVisibleCase{"DateBarHidden", {true, false, std::nullopt}, {true, false, true}}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Order and breaks --------------------------------------------------------

TEST(CoolBarOrder, SwappedIdentifiersPutTheDateBarAboveTheEditorBar) {
  TBandWindow w;
  TSettings s;
  s.Ids({kD, kE});
  ASSERT_TRUE(w.coolBar->Load(s.ini, s.dir.path(), w.images));
  w.Show();
  for (QToolBar* bar : w.bars) EXPECT_EQ(w.window.toolBarArea(bar), Qt::TopToolBarArea);
  // Each band kept its own break: the editor bar now starts the second row.
  EXPECT_FALSE(w.Break(kD));
  EXPECT_TRUE(w.Break(kE));
  EXPECT_FALSE(w.Break(kT));
  EXPECT_TRUE(Above(w.Geo(kD), w.Geo(kE)));
  EXPECT_TRUE(LeftOnSameRow(w.Geo(kE), w.Geo(kT)));
  EXPECT_EQ(w.Order(), (TIds{kD, kE, kT}));  // read back from the geometry
}

struct TOrderCase {
  const char* name;
  TIds ids;  // "CoolBarID"n for the first positions
  TIds expected;
};
void PrintTo(const TOrderCase& c, std::ostream* os) { *os << c.name; }
class CoolBarOrder : public ::testing::TestWithParam<TOrderCase> {};

TEST_P(CoolBarOrder, EachStoredBandMovesToItsPosition) {
  const TOrderCase& c = GetParam();
  TBandWindow w;
  TSettings s;
  s.Ids(c.ids);
  ASSERT_TRUE(w.coolBar->Load(s.ini, s.dir.path(), w.images));
  EXPECT_EQ(w.Order(), c.expected);
  w.Show();
  EXPECT_EQ(w.Order(), c.expected);  // and the window shows that order
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoolBarOrder,
    ::testing::Values(// Moving the title bar to the front shifts the others back.
                      TOrderCase{"OnlyFirstStored", {kT}, {kT, kE, kD}},
                      // An identifier that names no band leaves the position's band.
                      TOrderCase{"UnknownIdentifiers", {5, -1, 99}, {kE, kD, kT}},
                      // A band named twice moves twice; still each band once.
                      TOrderCase{"Duplicates", {kD, kD, kD}, {kE, kT, kD}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CoolBarWidth, StoredWidthIsPreferredNotAMinimum) {
  TBandWindow w;
  TSettings s;
  s.Int(keys::CoolBarWidth(0), 5000);  // the editor bar ends its row
  s.Int(keys::CoolBarWidth(1), 300);
  s.Int(std::string(keys::CoolHeight.key), 77);
  ASSERT_TRUE(w.coolBar->Load(s.ini, s.dir.path(), w.images));
  EXPECT_EQ(w.coolBar->Height(), 77);
  w.Show();
  EXPECT_EQ(w.Geo(kD).width(), 300);
  EXPECT_EQ(w.Geo(kE).width(), w.window.width());  // stretched, not held at 5000
  EXPECT_EQ(w.coolBar->Height(), (w.Geo(kE) | w.Geo(kD) | w.Geo(kT)).height());
  // Stored window bounds narrower than the row must still be possible: the
  // band gives way instead of holding the window wide.
  w.window.resize(321, 300);
  QApplication::processEvents();
  EXPECT_EQ(w.window.width(), 321);
  EXPECT_LT(w.Geo(kD).width(), 300);
  EXPECT_EQ(w.bars[kD]->minimumWidth(), 0);
}

TEST(CoolBarWidth, AStaleHugeWidthLeavesTheTitleBoxOnItsRow) {
  TBandWindow w;
  TSettings s;
  s.Int(keys::CoolBarWidth(1), 100000);
  ASSERT_TRUE(w.coolBar->Load(s.ini, s.dir.path(), w.images));
  w.Show();
  EXPECT_LE(w.Geo(kD).width(), w.window.screen()->availableGeometry().width() / 2);
  EXPECT_TRUE(w.bars[kT]->findChild<QLineEdit*>()->isVisible());
}

TEST(CoolBarWidth, ThePadGivesWayBeforeAnyButton) {
  TBandWindow w;
  w.Show();
  const int natural = w.Geo(kD).width();  // 266 with the pad
  w.window.resize(natural + w.Geo(kT).width() - 20, 300);
  QApplication::processEvents();
  for (QAction* action : w.bars[kD]->actions()) {
    const QWidget* button = w.bars[kD]->widgetForAction(action);
    if (button && button->objectName() != QStringLiteral("BandPad")) {
      EXPECT_TRUE(button->isVisible()) << qPrintable(action->text());
    }
  }
}

// --- The tool-bar bitmap -----------------------------------------------------

enum class TBitmap { None, Right, OnePixelTooWide, Unreadable };

struct TBitmapCase {
  const char* name;
  TBitmap bitmap;
  bool loadResource;  // "LoadCoolBarResource"
  bool loaded;        // Load returns true and the stored layout is applied
  bool iconsReplaced;
};
void PrintTo(const TBitmapCase& c, std::ostream* os) { *os << c.name; }
class CoolBarBitmap : public ::testing::TestWithParam<TBitmapCase> {};

TEST_P(CoolBarBitmap, ReplacesEveryIconOrStopsTheWholeLoad) {
  const TBitmapCase& c = GetParam();
  TBandWindow w;
  TSettings s;
  s.ini.WriteBool(keys::kBoot, keys::LoadCoolBarResource.key, c.loadResource);
  s.Ids({kD, kE});
  s.Flag(keys::CoolBarVisible(2), false);
  const int width = w.images.StripWidth() + (c.bitmap == TBitmap::OnePixelTooWide ? 1 : 0);
  QImage strip(width, 16, QImage::Format_RGB32);
  for (int y = 0; y < strip.height(); ++y)
    for (int x = 0; x < width; ++x)
      strip.setPixel(x, y, x % 16 < 4 && y < 4 ? qRgb(255, 0, 255) : qRgb(200 - x / 16 * 7, x % 16 * 9, y * 11));
  const QString path = s.dir.filePath(QStringLiteral("CoolBar.bmp"));
  if (c.bitmap == TBitmap::Unreadable) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("BM not a bitmap") > 0);
  } else if (c.bitmap != TBitmap::None) {
    ASSERT_TRUE(strip.save(path, "BMP"));
  }

  EXPECT_EQ(w.coolBar->Load(s.ini, s.dir.path(), w.images), c.loaded);
  EXPECT_EQ(w.Order(), (c.loaded ? TIds{kD, kE, kT} : TIds{kE, kD, kT}));
  EXPECT_EQ(w.coolBar->IsBandVisible(kT), !c.loaded);
  for (int i = 0; i < 24; ++i) {
    const QImage shown = w.actions[static_cast<size_t>(i)]->icon().pixmap(QSize(16, 16)).toImage();
    QImage want = TToolImages::DesignedImage(i);
    if (c.iconsReplaced) {  // the strip's cut, clear where Qt's own mask says magenta
      const QImage cut = strip.copy(i * 16, 0, 16, 16);
      const QImage mask = cut.createMaskFromColor(qRgb(255, 0, 255), Qt::MaskOutColor);
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) want.setPixel(x, y, mask.pixelIndex(x, y) ? cut.pixel(x, y) : 0u);
    }
    ASSERT_EQ(shown.convertToFormat(QImage::Format_ARGB32), want) << "button " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CoolBarBitmap,
    ::testing::Values(TBitmapCase{"NoBitmap", TBitmap::None, true, true, false},
                      TBitmapCase{"RightSize", TBitmap::Right, true, true, true},
                      TBitmapCase{"OnePixelTooWide", TBitmap::OnePixelTooWide, true, false, false},
                      TBitmapCase{"Unreadable", TBitmap::Unreadable, true, false, false},
                      TBitmapCase{"TooWideButSwitchedOff", TBitmap::OnePixelTooWide, false, true, false}),
    [](const auto& row) { return std::string(row.param.name); });

// --- Save --------------------------------------------------------------------

TEST(CoolBarSave, CapturesBandsTheUserMovedAndKeepsHiddenBandsWidths) {
  TBandWindow w;
  w.Show();
  const int height = w.coolBar->Height();
  w.window.insertToolBar(w.bars[kE], w.bars[kT]);  // a drag to the front of row one
  w.bars[kT]->show();
  QApplication::processEvents();
  TSettings s;
  w.coolBar->Save(s.ini);
  const int ids[] = {kT, kE, kD};
  const bool breaks[] = {false, false, true};
  for (int n = 0; n < 3; ++n) {
    EXPECT_EQ(s.ini.ReadInteger(keys::kWindow, keys::CoolBarID(n), -1), ids[n]) << n;
    EXPECT_EQ(s.ini.ReadInteger(keys::kWindow, keys::CoolBarBreak(n), -1), breaks[n] ? 1 : 0) << n;
    EXPECT_EQ(s.ini.ReadInteger(keys::kWindow, keys::CoolBarVisible(n), -1), 1) << n;
  }
  EXPECT_EQ(s.ini.ReadInteger(keys::kWindow, keys::CoolBarWidth(2), -1), w.Geo(kD).width());
  // All hidden: the last widths and height are what gets written.
  for (int id : {kE, kD, kT}) w.coolBar->SetBandVisible(id, false);
  w.coolBar->Save(s.ini);
  EXPECT_EQ(s.ini.ReadInteger(keys::kWindow, keys::CoolBarWidth(2), -1), w.Geo(kD).width());
  EXPECT_EQ(s.ini.ReadInteger(keys::kWindow, keys::CoolHeight.key, -1), height);
  EXPECT_EQ(s.ini.ReadInteger(keys::kWindow, keys::CoolBarVisible(0), -1), 0);
}

TEST(CoolBarSave, SaveThenLoadRoundTrips) {
  QTemporaryDir dir;
  const std::string file = dir.filePath(QStringLiteral("a.ini")).toStdString();
  // Reversed, the title bar alone on the first row, the date bar hidden.
  TBandWindow first;
  TSettings s;
  s.Ids({kT, kE, kD});
  s.Flag(keys::CoolBarBreak(2), false);
  s.Int(keys::CoolBarWidth(1), 480);
  s.Flag(keys::CoolBarVisible(2), false);
  ASSERT_TRUE(first.coolBar->Load(s.ini, s.dir.path(), first.images));
  first.Show();
  {
    THIniFile out(file, true);
    first.coolBar->Save(out);
  }
  TBandWindow second;
  ASSERT_TRUE(second.coolBar->Load(THIniFile(file, false), dir.path(), second.images));
  second.Show();
  EXPECT_EQ(second.Order(), (TIds{kT, kE, kD}));
  for (int id : {kE, kD, kT}) {
    EXPECT_EQ(second.coolBar->IsBandVisible(id), id != kD) << id;
    EXPECT_EQ(second.coolBar->BandBreak(id), first.coolBar->BandBreak(id)) << id;
    EXPECT_EQ(second.Geo(id), first.Geo(id)) << id;
  }
}

}  // namespace
}  // namespace quillet
