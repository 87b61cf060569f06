// The title list pages of the options dialog on a real main window: what an
// apply stores and how the running title list looks and acts afterwards,
// the preview following the switches, colours and font at once, stored
// values kept through an apply without changes, and the refusal of a face
// the code page cannot hold.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

#include "OptionDialogFixture.h"
#include "gui/options/FmOption.h"
#include "gui/options/FontLabel.h"
#include "gui/titles/TitleModel.h"
#include "gui/titles/TitleView.h"
#include "gui/titles/UTitle.h"

namespace quillet {
namespace {

class TitleOptions : public test::TOptionDialogFixture {
protected:
  static void PickFont(TFmOption& dialog, const TFontChoice& pick) {
    auto* label = Get<TFontLabel>(dialog, "FontName");
    label->SetFontPicker([pick](TFontChoice& choice, bool withColor, QWidget*) {
      EXPECT_FALSE(withColor) << "the list's text colour is a colour of its own";
      choice = pick;
      return true;
    });
    label->Click();
  }
  std::string Stored(const char* key) const { return THIniFile(Ini(), false).ReadString("Title", key, "<none>"); }
  // The text colour a row of `view` is drawn in, invalid for the list's own.
  static QColor RowColor(const TTitleView& view, int day) {
    const TTitleModel& model = view.TitleModel();
    const int row = FindTitleRow(model.Records(), day);
    return model.data(model.index(row, 1), Qt::ForegroundRole).value<QColor>();
  }
};

TEST_F(TitleOptions, ApplyStoresTheKeysAndTheRunningListTakesThemUp) {
  Settings([](THIniFile& ini) {
    ini.WriteBool("Title", "OnCreate", true);
    ini.WriteInteger("Title", "DateColumn", 123);
    ini.WriteColor("Title", "SetBKColor", clLime);
  });
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  EXPECT_EQ(Get<QComboBox>(*dialog, "DblAction")->currentText(), "移動");
  EXPECT_EQ(Get<QComboBox>(*dialog, "ThreadPriority")->currentText(), "通常");
  EXPECT_EQ(Get<QComboBox>(*dialog, "ContextMenuAction")->count(), 8);
  EXPECT_FALSE(Get<QComboBox>(*dialog, "ThreadPriority")->isEnabled()) << "only the thread has a priority";

  Get<QCheckBox>(*dialog, "GridLines")->setChecked(false);
  Get<QCheckBox>(*dialog, "ShowColumn")->setChecked(false);
  Get<QCheckBox>(*dialog, "Sort")->setChecked(true);
  Get<QCheckBox>(*dialog, "MultiThread")->setChecked(true);
  EXPECT_TRUE(Get<QComboBox>(*dialog, "ThreadPriority")->isEnabled());
  Get<QComboBox>(*dialog, "ThreadPriority")->setCurrentIndex(6);
  Get<QComboBox>(*dialog, "SingleAction")->setCurrentIndex(7);
  Get<QComboBox>(*dialog, "DblAction")->setCurrentIndex(2);
  PickColor(*dialog, "BKColor", QColor(0xFF, 0xFF, 0xE0));
  PickColor(*dialog, "SaturdayColor", QColor(0, 0x80, 0));
  PickFont(*dialog, {"DejaVu Serif", 13, clWindowText});
  EXPECT_EQ(Get<TFontLabel>(*dialog, "FontName")->text(), "DejaVu Serif  Size: 13");
  ASSERT_TRUE(dialog->Apply());
  EXPECT_TRUE(shown.isEmpty()) << shown.join("\n").toStdString();

  const struct {
    const char* key;
    const char* value;
  } stored[] = {
      {"GridLines", "0"},      {"ShowColumn", "0"},         {"Sort", "1"},          {"MultiThread", "1"},
      {"ThreadPriority", "6"}, {"SingleAction", "7"},       {"DblAction", "2"},     {"SelectAction", "0"},
      {"BKColor", "$00E0FFFF"}, {"SaturdayColor", "clGreen"}, {"SundayColor", "clRed"}, {"FontName", "DejaVu Serif"},
      {"FontSize", "13"},      {"Mark", "1"},
      // The page's own keys are left alone.
      {"DateColumn", "123"},   {"SetBKColor", "clLime"},
  };
  for (const auto& row : stored) EXPECT_EQ(Stored(row.key), row.value) << row.key;

  auto* page = window.Page<TTitleObject>();
  ASSERT_NE(page, nullptr);
  // The list is collected again, now on a worker thread.
  QElapsedTimer timer;
  timer.start();
  while (page->Collecting() && timer.elapsed() < 5000) QTest::qWait(10);
  ASSERT_FALSE(page->Collecting());
  const TTitleView& view = page->View();
  EXPECT_FALSE(view.showGrid());
  EXPECT_TRUE(view.horizontalHeader()->isHidden());
  EXPECT_EQ(view.palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xE0));
  EXPECT_EQ(view.font().family(), "DejaVu Serif");
  EXPECT_EQ(view.font().pointSize(), 13);
  EXPECT_EQ(RowColor(view, 5), QColor(0, 0x80, 0));  // 5 March 2005 is a Saturday
  EXPECT_EQ(page->Settings().SingleAction, TTitleAction::SortTitle);
  EXPECT_EQ(page->Settings().DblAction, TTitleAction::EditTitle);
  EXPECT_EQ(page->Settings().ThreadPriority, 6);
  EXPECT_TRUE(page->Settings().Sort);
}

TEST_F(TitleOptions, PreviewFollowsSwitchesColoursAndFontAtOnce) {
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  auto* preview = Get<TTitleView>(*dialog, "TitlePreview");
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "日付");
  EXPECT_EQ(preview->model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "タイトル");
  EXPECT_TRUE(RowColor(*preview, 6).isValid()) << "a Sunday is emphasised by default";

  Get<QCheckBox>(*dialog, "GridLines")->setChecked(false);
  EXPECT_FALSE(preview->showGrid());
  Get<QCheckBox>(*dialog, "ShowColumn")->setChecked(false);
  EXPECT_TRUE(preview->horizontalHeader()->isHidden());
  PickColor(*dialog, "SundayColor", QColor(0x80, 0, 0x80));
  EXPECT_EQ(RowColor(*preview, 6), QColor(0x80, 0, 0x80));
  EXPECT_EQ(RowColor(*preview, 21), QColor(0x80, 0, 0x80)) << "a holiday reads as a Sunday";
  PickColor(*dialog, "TextColor", QColor(0x40, 0x40, 0x40));
  EXPECT_EQ(preview->palette().color(QPalette::Text), QColor(0x40, 0x40, 0x40));
  Get<QCheckBox>(*dialog, "WeekEmphasis")->setChecked(false);
  EXPECT_FALSE(RowColor(*preview, 6).isValid());
  PickFont(*dialog, {"DejaVu Sans Mono", 15, clWindowText});
  EXPECT_EQ(preview->font().family(), "DejaVu Sans Mono");
  EXPECT_EQ(preview->font().pointSize(), 15);
  const TTitleModel& model = preview->TitleModel();
  const auto markOf = [&](int day) {
    return model.data(model.index(FindTitleRow(model.Records(), day), 0), Qt::DecorationRole);
  };
  EXPECT_TRUE(markOf(7).isValid());
  Get<QCheckBox>(*dialog, "Mark")->setChecked(false);
  EXPECT_FALSE(markOf(7).isValid());
}

TEST_F(TitleOptions, AnApplyWithoutChangesKeepsEveryStoredValue) {
  const std::pair<const char*, const char*> kept[] = {
      {"ThreadPriority", "9"},    // read as "通常"
      {"DblAction", "12"},        // read as "なし"
      {"FontSize", "0"},          // read as 9
      {"BKColor", "not a colour"},
      {"Sort", "2"},              // read as on
      {"SundayColor", "$000000FF"},
      {"FontName", "\xEB\x82\x98\xEB\x88\x94"},  // UTF-8 by hand, which the code page cannot hold
  };
  Settings([&](THIniFile& ini) {
    for (const auto& [key, value] : kept) ini.WriteString("Title", key, value);
  });
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  EXPECT_EQ(Get<QComboBox>(*dialog, "ThreadPriority")->currentIndex(), 3);
  EXPECT_EQ(Get<QComboBox>(*dialog, "DblAction")->currentIndex(), 0);
  EXPECT_EQ(Get<TFontLabel>(*dialog, "FontName")->Choice().size, 9);
  ASSERT_TRUE(dialog->Apply());
  for (const auto& [key, value] : kept) EXPECT_EQ(Stored(key), value) << key;
  // A value the user picks is stored as picked.
  Get<QComboBox>(*dialog, "DblAction")->setCurrentIndex(1);
  ASSERT_TRUE(dialog->Apply());
  EXPECT_EQ(Stored("DblAction"), "1");
  EXPECT_EQ(Stored("ThreadPriority"), "9");
}

TEST_F(TitleOptions, RefusesAFaceTheCodePageCannotHold) {
  Settings([](THIniFile& ini) { ini.WriteBool("Title", "GridLines", true); });
  TFmMain window(BaseEnv());
  const std::string before = Read(Ini());
  auto dialog = Open(window);
  PickFont(*dialog, {QString::fromUtf8("Noto Sans Ελληνικά ☃"), 9, clWindowText});
  Get<QCheckBox>(*dialog, "GridLines")->setChecked(false);
  EXPECT_FALSE(dialog->Apply());
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].contains("☃")) << shown[0].toStdString();
  EXPECT_EQ(Read(Ini()), before);
}

}  // namespace
}  // namespace quillet
