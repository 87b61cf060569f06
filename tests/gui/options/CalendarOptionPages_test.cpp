// The calendar pages of the options dialog on a real main window: what an
// apply stores and how the running calendar looks afterwards, the two
// previews following every change at once, values outside the controls'
// range kept through an apply, and the refusals (a face the code page
// cannot hold, a settings file that cannot be written).
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <gtest/gtest.h>

#include "OptionDialogFixture.h"
#include "gui/calendar/HCalendar.h"
#include "gui/calendar/UCalendar.h"
#include "gui/options/FmOption.h"
#include "gui/options/FontLabel.h"

namespace quillet {
namespace {

class CalendarOptions : public test::TOptionDialogFixture {
protected:
  static void PickFont(TFmOption& dialog, const char* name, const TFontChoice& pick) {
    auto* label = Get<TFontLabel>(dialog, name);
    label->SetFontPicker([pick](TFontChoice& choice, bool withColor, QWidget*) {
      EXPECT_TRUE(withColor);
      choice = pick;
      return true;
    });
    label->Click();
  }
  std::string Stored(const char* key) const { return THIniFile(Ini(), false).ReadString("Calendar", key, "<none>"); }
  void ShowCalendar(const std::function<void(THIniFile&)>& more = {}) {
    Settings([&](THIniFile& ini) {
      ini.WriteBool("Calendar", "OnCreate", true);
      if (more) more(ini);
    });
  }
  static std::array<THCalendar*, 2> Previews(TFmOption& dialog) {
    return {Get<THCalendar>(dialog, "CalendarPreview1"), Get<THCalendar>(dialog, "CalendarPreview2")};
  }
};

TEST_F(CalendarOptions, ApplyStoresTheKeysAndTheRunningCalendarTakesThemUp) {
  ShowCalendar();
  TFmMain window(BaseEnv());
  THCalendar& running = window.Page<TCalendarObject>()->Calendar();
  auto dialog = Open(window);
  // The stored defaults come in as the page shows them.
  EXPECT_TRUE(Get<QCheckBox>(*dialog, "Holiday")->isChecked());
  EXPECT_EQ(Get<TColorLabelSE>(*dialog, "SelectColor")->text(), "$00555555");
  EXPECT_EQ(Get<QComboBox>(*dialog, "SelectStyle")->currentText(), "領域塗り潰し");

  Get<QCheckBox>(*dialog, "FrameVisible")->setChecked(false);
  Get<QCheckBox>(*dialog, "Holiday")->setChecked(false);
  Get<QCheckBox>(*dialog, "HotTrackVisible")->setChecked(false);
  Get<QComboBox>(*dialog, "TitleStyle")->setCurrentIndex(1);
  Get<QComboBox>(*dialog, "WeekStyle")->setCurrentIndex(1);
  Get<QComboBox>(*dialog, "SelectStyle")->setCurrentIndex(1);
  PickColor(*dialog, "Color", QColor(0x11, 0x22, 0x33));
  PickColor(*dialog, "FrameColor", QColor(0, 0, 0x80));
  PickFont(*dialog, "SunFont", {"DejaVu Serif", 14, clNavy});
  ASSERT_TRUE(dialog->Apply());
  EXPECT_TRUE(shown.isEmpty()) << shown.join("\n").toStdString();

  const struct {
    const char* key;
    const char* value;
  } stored[] = {
      {"FrameVisible", "0"}, {"Holiday", "0"},          {"HotTrackVisible", "0"}, {"TitleVisible", "1"},
      {"TitleStyle", "1"},   {"WeekStyle", "1"},        {"SelectStyle", "1"},     {"Color", "$00332211"},
      {"FrameColor", "clNavy"}, {"SunFontColor", "clNavy"}, {"SunFontName", "DejaVu Serif"},
      {"SunFontSize", "14"},  {"SelectColor", "$00555555"}, {"SatFontColor", "clSkyBlue"},
  };
  for (const auto& row : stored) EXPECT_EQ(Stored(row.key), row.value) << row.key;

  const THProperty& p = running.HProperty();
  EXPECT_FALSE(p.Frame);
  EXPECT_FALSE(p.GridLines);
  EXPECT_FALSE(p.Holiday);
  EXPECT_FALSE(running.HotTrack());
  EXPECT_EQ(p.TitleArrangement, TTitleArrangement::taLeft);
  EXPECT_EQ(p.SelectType, TSelectType::stFrame);
  EXPECT_EQ(running.WeekLabel(0), "Sun");
  EXPECT_EQ(running.HColors().Color, 0x332211u);
  EXPECT_EQ(running.HColors().GridLinesColor, clNavy);
  EXPECT_EQ(running.HFonts().SunFont.Color, clNavy);
  EXPECT_EQ(running.HFonts().SunFont.Font.family(), "DejaVu Serif");
  EXPECT_EQ(running.HFonts().SunFont.Font.pointSize(), 14);
}

TEST_F(CalendarOptions, BothPreviewsFollowEveryChangeAtOnce) {
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  const auto previews = Previews(*dialog);
  ASSERT_TRUE(previews[0] && previews[1]);
  EXPECT_EQ(MonthOf(previews[0]->Current()), 5);

  Get<QCheckBox>(*dialog, "Holiday")->setChecked(false);
  Get<QCheckBox>(*dialog, "WeekVisible")->setChecked(false);
  Get<QComboBox>(*dialog, "WeekStyle")->setCurrentIndex(1);
  PickColor(*dialog, "WeekColor", QColor(0xFF, 0, 0));
  PickFont(*dialog, "TitleFont", {"DejaVu Sans Mono", 12, clGreen});
  for (THCalendar* preview : previews) {
    EXPECT_FALSE(preview->HProperty().Holiday);
    EXPECT_FALSE(preview->HProperty().Week);
    EXPECT_EQ(preview->WeekLabel(6), "Sat");
    EXPECT_EQ(preview->HColors().WeekColor, clRed);
    EXPECT_EQ(preview->HFonts().TitleFont.Font.family(), "DejaVu Sans Mono");
    EXPECT_EQ(preview->HFonts().TitleFont.Font.pointSize(), 12);
    EXPECT_EQ(preview->HFonts().TitleFont.Color, clGreen);
  }
  EXPECT_EQ(Get<TFontLabel>(*dialog, "TitleFont")->text(), "Size: 12");

  // A cancelled font dialog changes nothing and says nothing.
  auto* label = Get<TFontLabel>(*dialog, "TitleFont");
  bool changed = false;
  QObject::connect(label, &TColorLabelSE::FontChanged, [&] { changed = true; });
  label->SetFontPicker([](TFontChoice& choice, bool, QWidget*) {
    choice.size = 40;
    return false;
  });
  label->Click();
  EXPECT_FALSE(changed);
  EXPECT_EQ(label->Choice().size, 12);
  EXPECT_EQ(previews[1]->HFonts().TitleFont.Font.pointSize(), 12);
}

TEST_F(CalendarOptions, AnApplyWithoutChangesKeepsEveryStoredValue) {
  // Values the controls cannot show as stored: each stays as it was.
  const std::pair<const char*, const char*> kept[] = {
      {"TitleStyle", "5"},        // read as "左端"
      {"WeekStyle", "-2"},        // read as "Sun..Sat"
      {"FrameVisible", "7"},      // read as on
      {"Color", "bogus"},         // read as the default
      {"SunFontSize", "0"},       // read as the default size
      {"SatFontName", ""},        // read as the default face
      {"FrameColor", "$000000FF"},  // the same colour as clRed, spelt differently
      {"StrFontSize", "11"},
      {"TitleFontName", "\x82\x6c\x82\x72 \x96\xbe\x92\xa9"},  // "ＭＳ 明朝" in code page 932
      // Typed by hand in UTF-8, which the code page cannot hold: not the
      // user's to fix before any other apply.
      {"WeekSunFontName", "\xEB\x82\x98\xEB\x88\x94"},
  };
  Settings([&](THIniFile& ini) {
    for (const auto& [key, value] : kept) ini.WriteString("Calendar", key, value);
    ini.WriteString("Other", "Keep", "yes");
  });
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  // Face names are code page 932 in the file, for the dialog and the
  // previews alike (the running calendar reads them with the same routine).
  EXPECT_EQ(Get<TFontLabel>(*dialog, "TitleFont")->Choice().family, "ＭＳ 明朝");
  EXPECT_EQ(Get<THCalendar>(*dialog, "CalendarPreview1")->HFonts().TitleFont.Font.family(), "ＭＳ 明朝");
  EXPECT_EQ(Get<QComboBox>(*dialog, "TitleStyle")->currentIndex(), 1);
  EXPECT_EQ(Get<QComboBox>(*dialog, "WeekStyle")->currentIndex(), 1);
  EXPECT_EQ(Get<TFontLabel>(*dialog, "StrFont")->text(), "Size: 11");
  // Changed and changed back before an apply is no change either.
  Get<QComboBox>(*dialog, "TitleStyle")->setCurrentIndex(0);
  ASSERT_TRUE(dialog->Apply());
  Get<QComboBox>(*dialog, "TitleStyle")->setCurrentIndex(1);
  ASSERT_TRUE(dialog->Apply());
  for (const auto& [key, value] : kept) EXPECT_EQ(Stored(key), value) << key;
  EXPECT_EQ(THIniFile(Ini(), false).ReadString("Other", "Keep", ""), "yes");
}

TEST_F(CalendarOptions, RefusesWhatCannotBeStoredAndWritesNothing) {
  ShowCalendar([](THIniFile& ini) { ini.WriteBool("Calendar", "FrameVisible", true); });
  TFmMain window(BaseEnv());
  THCalendar& running = window.Page<TCalendarObject>()->Calendar();
  const std::string before = Read(Ini());
  {
    // A face the settings file's code page cannot spell.
    auto dialog = Open(window);
    PickFont(*dialog, "StrFont", {QString::fromUtf8("나눔고딕"), 10, clBlack});
    Get<QCheckBox>(*dialog, "FrameVisible")->setChecked(false);
    EXPECT_FALSE(dialog->Apply());
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QString::fromUtf8("나눔고딕"))) << shown[0].toStdString();
    EXPECT_EQ(Read(Ini()), before);
    EXPECT_TRUE(running.HProperty().Frame);
  }
  {
    // A settings file that cannot be written (no write permission, which
    // the writer honours also for root).
    ASSERT_TRUE(QFile::setPermissions(QString::fromStdString(Ini()), QFileDevice::ReadOwner));
    auto dialog = Open(window);
    Get<QCheckBox>(*dialog, "FrameVisible")->setChecked(false);
    EXPECT_FALSE(dialog->Apply());
    EXPECT_EQ(shown.size(), 2);
    EXPECT_EQ(Read(Ini()), before);
    EXPECT_TRUE(running.HProperty().Frame);
  }
}

}  // namespace
}  // namespace quillet
