// The options dialog's task pages on a real main window with the task page
// shown: what apply writes to section "Task", what the running page takes up,
// and that an untouched apply keeps the stored values.
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

#include "OptionDialogFixture.h"
#include "core/app/SettingsKeys.h"
#include "gui/options/ColorLabelSE.h"
#include "gui/options/FmOption.h"
#include "gui/tasks/UTask.h"

namespace quillet {
namespace {

class TaskOptions : public test::TOptionDialogFixture {
protected:
  std::string Stored(const char* key) const {
    return THIniFile(Ini(), false).ReadString(keys::kTask, key, "<none>");
  }
};

TEST_F(TaskOptions, ApplyWritesSectionTaskAndThePageTakesItUp) {
  Settings([](THIniFile& ini) { ini.WriteBool("Task", "OnCreate", true); });
  TFmMain window(BaseEnv());
  TTaskObject* page = window.Page<TTaskObject>();
  ASSERT_NE(page, nullptr);
  TFmOption dialog(window);
  dialog.showMessage = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };

  auto* back = Get<TColorLabelSE>(dialog, "TaskBackColor");
  back->SetColorPicker([](const QColor&, QWidget*) { return QColor(1, 2, 3); });
  back->Click();
  EXPECT_EQ(back->text(), "$00030201");
  Get<QCheckBox>(dialog, "TaskGridLines")->setChecked(false);
  Get<QSpinBox>(dialog, "TaskHover")->setValue(500);
  Get<QComboBox>(dialog, "TaskRowColoringStyle")->setCurrentIndex(2);
  Get<QCheckBox>(dialog, "TaskAsk")->setChecked(true);
  Get<QSpinBox>(dialog, "TaskLimitDate")->setValue(5);
  Get<QComboBox>(dialog, "TaskDblClickStyle")->setCurrentIndex(1);
  ASSERT_TRUE(dialog.Apply());

  const std::pair<const char*, const char*> stored[] = {
      {"BackColor", "$00030201"}, {"GridLines", "0"}, {"Hover", "500"},     {"RowColoringStyle", "2"},
      {"Ask", "1"},               {"LimitDate", "5"}, {"DblClickStyle", "1"}, {"HighPriorityColor", "clRed"},
  };
  for (const auto& [key, value] : stored) EXPECT_EQ(Stored(key), value) << key;

  const TTaskSettings& taken = page->Settings();
  EXPECT_EQ(page->View().palette().color(QPalette::Base), QColor(1, 2, 3));
  EXPECT_FALSE(page->View().showGrid());
  EXPECT_TRUE(taken.Ask);
  EXPECT_EQ(taken.LimitDate, 5);
  EXPECT_EQ(taken.DblClickStyle, 1);
}

TEST_F(TaskOptions, AnUntouchedApplyKeepsStoredValuesAndClampsWhatNoControlHolds) {
  Settings([](THIniFile& ini) {
    ini.WriteString("Task", "StrColor", "clNavy");
    ini.WriteString("Task", "RowColor", "$00112233");
    ini.WriteString("Task", "Hover", "-5");
    ini.WriteString("Task", "RowColoringStyle", "7");
    ini.WriteString("Task", "LimitDate", "0");
    ini.WriteString("Task", "DoubleBuf", "0");
  });
  TFmMain window(BaseEnv());
  TFmOption dialog(window);
  ASSERT_TRUE(dialog.Apply());
  const std::pair<const char*, const char*> stored[] = {
      {"StrColor", "clNavy"}, {"RowColor", "$00112233"}, {"LimitDate", "0"}, {"DoubleBuf", "0"},
      {"Hover", "0"},  // no negative hover time
      {"RowColoringStyle", "0"},  // an unknown style is none
  };
  for (const auto& [key, value] : stored) EXPECT_EQ(Stored(key), value) << key;
}

}  // namespace
}  // namespace quillet
