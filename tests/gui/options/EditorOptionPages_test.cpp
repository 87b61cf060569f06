// The editor pages of the options dialog on a real main window: what apply
// stores under which key and what the running editor and highlighter then
// show, the round trip of stored values the controls cannot show, texts the
// code page cannot hold, and the reserved-word file with its failures.
#include "gui/options/EditorOptionPages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <sys/stat.h>

#include "../../core/app/TempFolder.h"
#include "OptionDialogFixture.h"
#include "core/app/SettingsKeys.h"
#include "core/editor/EditorFountain.h"
#include "gui/app/MainEditorPort.h"
#include "gui/editor/EditorSE.h"
#include "gui/options/FmOption.h"

namespace quillet {
namespace {

class EditorOptions : public test::TOptionDialogFixture {
protected:
  static TEditorSE& Control(TFmMain& window) { return *qobject_cast<TEditorSE*>(window.Editor().Widget()); }
  std::string Reserve() const { return app + "Option/Reserve.txt"; }
  // The reserved tokens of the editor's first row after showing `text`.
  static std::vector<TFountainToken> ReservedTokens(TFmMain& window, const std::string& text) {
    window.Editor().SetText(text);
    TEditorSE& editor = Control(window);
    std::vector<TFountainToken> tokens, reserved;
    editor.RowParser()->RowTokens(0, editor.Store().Get(0), tokens);
    for (const TFountainToken& token : tokens)
      if (token.Reserved) reserved.push_back(token);
    return reserved;
  }
};

// Code page 932 as iconv spells it.
std::string Sj(const std::string& utf8) { return test::Cp932(utf8); }

TEST_F(EditorOptions, ControlsAreWrittenUnderTheirKeysAndTheRunningEditorTakesThem) {
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  for (const char* name : {"ShowRuler", "ShowTab", "ZeroBase", "RulerEdge", "AutoIndent"})
    Get<QCheckBox>(*dialog, name)->setChecked(true);
  for (const char* name : {"ShowLeftBar", "Mail", "LeftBarBkColor"}) Get<QCheckBox>(*dialog, name)->setChecked(false);
  auto* barBack = Get<TColorLabelSE>(*dialog, "LeftBarBk");
  barBack->SetColorPicker([](const QColor&, QWidget*) { return QColor(Qt::yellow); });
  barBack->Click();
  const struct {
    const char* name;
    int index;
  } combos[] = {{"TabCount", 2}, {"Column", 6}, {"GaugeRange", 0}, {"VScrollBar", 1}, {"ClickableType", 0},
                {"ReserveStyle", 3}};
  for (const auto& row : combos) Get<QComboBox>(*dialog, row.name)->setCurrentIndex(row.index);
  Get<QSpinBox>(*dialog, "UndoBuf")->setValue(1000);
  Get<QSpinBox>(*dialog, "LeftMargin")->setValue(7);
  Get<QSpinBox>(*dialog, "History")->setValue(9);
  ASSERT_TRUE(dialog->Apply());
  EXPECT_TRUE(shown.isEmpty()) << shown.join('\n').toStdString();

  const THIniFile ini(Ini(), false);
  const struct {
    const char* key;
    const char* stored;
  } stored[] = {{"ShowRuler", "1"},  {"ShowLeftBar", "0"}, {"Mail", "0"},        {"LeftBarBkColor", "0"},
                {"TabCount", "6"},   {"Column", "6"},      {"GaugeRange", "0"},  {"VScrollBar", "1"},
                {"HScrollBar", "0"}, {"ClickableType", "1"}, {"ReserveStyle", "3"}, {"UndoBuf", "1000"},
                {"LeftMargin", "7"}, {"History", "9"},     {"KeepCaret", "1"}};
  for (const auto& row : stored) EXPECT_EQ(ini.ReadString("Edit", row.key, "?"), row.stored) << row.key;

  TEditorSE& editor = Control(window);
  EXPECT_TRUE(editor.Ruler().Visible);
  EXPECT_EQ(editor.Ruler().GaugeRange, 8);
  EXPECT_TRUE(editor.Ruler().Edge);
  EXPECT_FALSE(editor.Leftbar().Visible);
  EXPECT_TRUE(editor.Leftbar().ZeroBase);
  EXPECT_EQ(editor.Leftbar().Column, 7);
  EXPECT_EQ(editor.Leftbar().BkColor, QColor(Qt::yellow));  // a background of its own now
  EXPECT_TRUE(editor.SEMarks().TabMark.Visible);
  EXPECT_TRUE(editor.Caret().AutoIndent);
  EXPECT_EQ(editor.TabSpaceCount(), 6);
  EXPECT_EQ(editor.UndoListMax(), 1000);
  EXPECT_EQ(editor.Margin().Left, 7);
  EXPECT_EQ(editor.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(editor.SEProperty().ClickableType, TClickableType::SingleClick);
  EXPECT_EQ(window.History(), 9);
}

TEST_F(EditorOptions, UntouchedControlsWriteBackWhatTheyCouldNotShow) {
  const struct {
    const char* key;
    const char* value;
  } rows[] = {{"TabCount", "0"},     {"Column", "20"},    {"GaugeRange", "7"},
              {"HScrollBar", "-3"},  {"WrapByte", "500"},    {"UndoBuf", "10"},   {"History", "-5"},
              {"LeftMargin", "-4"},  {"ReserveStyle", "9"},  {"ClickableType", "1"}};
  // "FollowStr" holds a byte pair the code page does not map.
  const std::string follow = "\x85\x40" + Sj("」");
  Settings([&](THIniFile& ini) {
    for (const auto& row : rows) ini.WriteString("Edit", row.key, row.value);
    ini.WriteString("Edit", "FollowStr", follow);
    ini.WriteString("Color", "Back", "$00123456");
    ini.WriteInteger("Window", "WrapOrder", 2);  // wrapped at the stored column
  });
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  EXPECT_EQ(Get<QComboBox>(*dialog, "TabCount")->currentText(), "2");
  EXPECT_EQ(Get<QComboBox>(*dialog, "Column")->currentText(), "8");
  EXPECT_EQ(Get<QSpinBox>(*dialog, "WrapByte")->value(), 250);
  EXPECT_EQ(Get<QSpinBox>(*dialog, "History")->value(), 5);
  EXPECT_EQ(Get<QComboBox>(*dialog, "ReserveStyle")->currentText(), "通常");
  ASSERT_TRUE(dialog->Apply());
  ASSERT_TRUE(dialog->Apply());  // twice: the same values
  const THIniFile ini(Ini(), false);
  for (const auto& row : rows) EXPECT_EQ(ini.ReadString("Edit", row.key, "?"), row.value) << row.key;
  EXPECT_EQ(ini.ReadString("Edit", "FollowStr", ""), follow);
  EXPECT_EQ(ini.ReadString("Color", "Back", ""), "$00123456");
  // Keys that were missing are written with the defaults their readers use.
  EXPECT_EQ(keys::LeadStr.Read(ini), keys::LeadStr.def);
  EXPECT_EQ(ini.ReadString("Edit", "ShowUnderLine", "?"), "1");
  EXPECT_EQ(ini.ReadString("Color", "ReserveBack", "?"), "clNone");

  // A control the user changes stores its own value.
  Get<QComboBox>(*dialog, "Column")->setCurrentIndex(0);
  Get<QSpinBox>(*dialog, "WrapByte")->setValue(30);
  ASSERT_TRUE(dialog->Apply());
  const THIniFile again(Ini(), false);
  EXPECT_EQ(again.ReadString("Edit", "Column", ""), "0");
  EXPECT_EQ(again.ReadString("Edit", "WrapByte", ""), "30");
  EXPECT_EQ(Control(window).WrapOption().WrapByte(), 30);
}

TEST_F(EditorOptions, ColourListAndColourLabelsReachTheEditor) {
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  auto* list = Get<TEditorColorList>(*dialog, "EditColorList");
  auto* change = Get<QPushButton>(*dialog, "EditColorButton");
  ASSERT_EQ(list->count(), 12);
  EXPECT_EQ(list->item(11)->text(), "Mail");
  EXPECT_FALSE(change->isEnabled());
  QColor offered;
  list->SetColorPicker([&](const QColor& initial, QWidget*) {
    offered = initial;
    return QColor(255, 0, 0);
  });
  list->setCurrentRow(2);  // "背景"
  EXPECT_TRUE(change->isEnabled());
  EXPECT_EQ(Get<QLabel>(*dialog, "EditColorName")->text(), "背景");
  change->click();
  EXPECT_EQ(offered, QColor(Qt::white));
  list->setCurrentRow(10);  // "URL"
  list->SetColorPicker([](const QColor&, QWidget*) { return QColor(); });  // cancelled
  change->click();

  auto* bar = Get<TColorLabelSE>(*dialog, "LeftBar");
  bar->SetColorPicker([](const QColor&, QWidget*) { return QColor(0, 0, 128); });
  bar->Click();
  EXPECT_EQ(bar->text(), "clNavy");
  auto* reserveBack = Get<TColorLabelSE>(*dialog, "ReserveBack");
  EXPECT_FALSE(reserveBack->isEnabled());  // "ReserveBk" on: the editor's background
  Get<QCheckBox>(*dialog, "ReserveBk")->setChecked(false);
  EXPECT_TRUE(reserveBack->isEnabled());
  reserveBack->SetColorPicker([](const QColor&, QWidget*) { return QColor(0, 128, 0); });
  reserveBack->Click();
  ASSERT_TRUE(dialog->Apply());

  const THIniFile ini(Ini(), false);
  EXPECT_EQ(ini.ReadString("Color", "Back", ""), "clRed");
  EXPECT_EQ(ini.ReadString("Color", "URL", ""), "clHotLight");
  EXPECT_EQ(ini.ReadString("Color", "LeftBar", ""), "clNavy");
  EXPECT_EQ(ini.ReadString("Color", "ReserveBack", ""), "clGreen");
  EXPECT_EQ(Control(window).TextColors().Back, QColor(Qt::red));
  EXPECT_EQ(Control(window).Leftbar().Color, QColor(0, 0, 128));
}

TEST_F(EditorOptions, WrapRulesReachTheEditorAndTextsOutsideTheCodePageAreRefused) {
  Settings([](THIniFile& ini) { ini.WriteBool("Edit", "Leading", false); });
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  auto* follow = Get<QLineEdit>(*dialog, "FollowStr");
  EXPECT_FALSE(follow->isEnabled());
  Get<QCheckBox>(*dialog, "Leading")->setChecked(true);
  EXPECT_TRUE(follow->isEnabled());
  follow->setText(QString::fromUtf8("。」ｰ!"));
  Get<QLineEdit>(*dialog, "LeadStr")->setText(QString::fromUtf8("「("));
  ASSERT_TRUE(dialog->Apply());
  const TEditorWrapOption& wrap = Control(window).WrapOption();
  EXPECT_TRUE(wrap.Leading());
  EXPECT_EQ(wrap.FollowStr(), Sj("。」ｰ!"));
  EXPECT_EQ(wrap.LeadStr(), Sj("「("));

  const struct {
    const char* text;
    const char* message;
  } refused[] = {{"a😀", "行頭禁則文字に保存できない文字があります: 絵文字など"},
                 {"a\xC2\x85", "行頭禁則文字に保存できない文字があります: \xC2\x85"},
                 {"a\tb", "行頭禁則文字に保存できない文字があります: U+0009"}};
  for (const auto& row : refused) {
    shown.clear();
    const std::string before = Read(Ini());
    follow->setText(QString::fromUtf8(row.text));
    EXPECT_FALSE(dialog->Apply()) << row.text;
    EXPECT_EQ(shown, QStringList{QString::fromUtf8(row.message)});
    EXPECT_EQ(Read(Ini()), before) << "nothing is written";
  }
}

TEST_F(EditorOptions, ReservedWordsRoundTripThroughTheFileAndReachTheHighlighter) {
  const std::string file = Sj("雨") + "\r\n\r\nrain\nA\x85\x40Z\r\n";
  Write("Option/Reserve.txt", file);  // an unmapped pair in the third word
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  auto* list = Get<TReserveWordView>(*dialog, "ReserveList");
  auto* edit = Get<QLineEdit>(*dialog, "ReserveEdit");
  auto* add = Get<QPushButton>(*dialog, "ReserveAddButton");
  ASSERT_EQ(list->topLevelItemCount(), 3) << "the empty line is skipped";
  EXPECT_EQ(list->topLevelItem(0)->text(0), "雨");

  // Opening and applying without a change leaves the file alone.
  ASSERT_TRUE(dialog->Apply());
  EXPECT_EQ(Read(Reserve()), file);

  edit->clear();
  add->click();
  EXPECT_EQ(list->topLevelItemCount(), 3) << "an empty word is not added";
  edit->setText(QString::fromUtf8("風"));
  add->click();
  dialog->show();
  QTest::keyClick(edit, Qt::Key_Return);  // the same word twice keeps both
  EXPECT_EQ(list->topLevelItemCount(), 5);
  EXPECT_TRUE(dialog->isVisible()) << "Enter in the field is not the dialog's OK";
  edit->setText(QString::fromUtf8("😀"));
  add->click();
  EXPECT_EQ(shown, QStringList{"予約語に保存できない文字があります: 絵文字など"});
  EXPECT_EQ(list->topLevelItemCount(), 5);

  list->setCurrentItem(list->topLevelItem(1));  // "rain"
  EXPECT_EQ(edit->text(), "rain") << "selecting copies the word into the field";
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(list->topLevelItemCount(), 4);

  // Header clicks sort ascending, then descending.
  list->header()->sectionClicked(0);
  EXPECT_EQ(list->topLevelItem(0)->text(0), QString::fromUtf8("A\uFFFDZ"));
  list->header()->sectionClicked(0);
  EXPECT_EQ(list->topLevelItem(0)->text(0), "風");

  Get<QComboBox>(*dialog, "ReserveStyle")->setCurrentIndex(2);
  ASSERT_TRUE(dialog->Apply());
  EXPECT_TRUE(shown.size() == 1);
  EXPECT_EQ(Read(Reserve()), Sj("風\r\n風\r\n雨\r\n") + "A\x85\x40Z\r\n");
  const auto reserved = ReservedTokens(window, Sj("風 rain 雨"));
  ASSERT_EQ(reserved.size(), 2u);
  EXPECT_EQ(reserved[0].First, 0);
  EXPECT_EQ(reserved[1].First, 8);
  EXPECT_TRUE(Control(window).TokenLooks().Of(reserved[0]).Italic);
}

TEST_F(EditorOptions, AWordFileThatCannotBeWrittenOrReadIsNeverReplaced) {
  // Read-only: the list stays in the dialog and the next apply saves it.
  Write("Option/Reserve.txt", "rain\r\n");
  ASSERT_EQ(::chmod(Reserve().c_str(), 0444), 0);
  {
    TFmMain window(BaseEnv());
    auto dialog = Open(window);
    Get<QLineEdit>(*dialog, "ReserveEdit")->setText("snow");
    Get<QPushButton>(*dialog, "ReserveAddButton")->click();
    EXPECT_TRUE(dialog->Apply()) << "the settings are saved all the same";
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("予約語を")) << shown[0].toStdString();
    EXPECT_EQ(Read(Reserve()), "rain\r\n");
    EXPECT_EQ(Get<TReserveWordView>(*dialog, "ReserveList")->topLevelItemCount(), 2);
    ASSERT_EQ(::chmod(Reserve().c_str(), 0644), 0);
    shown.clear();
    EXPECT_TRUE(dialog->Apply());
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(Read(Reserve()), "rain\r\nsnow\r\n");
  }
  // Unreadable (a folder in its place): the page says so and edits nothing.
  std::filesystem::remove(Reserve());
  std::filesystem::create_directory(Reserve());
  {
    TFmMain window(BaseEnv());
    auto dialog = Open(window);
    EXPECT_TRUE(Get<QLabel>(*dialog, "ReserveNote")->text().contains("読み込めない"));
    EXPECT_FALSE(Get<TReserveWordView>(*dialog, "ReserveList")->isEnabled());
    EXPECT_FALSE(Get<QPushButton>(*dialog, "ReserveAddButton")->isEnabled());
    EXPECT_TRUE(dialog->Apply());
    EXPECT_TRUE(std::filesystem::is_directory(Reserve()));
  }
  // Without read permission, as an ordinary user.
  std::filesystem::remove(Reserve());
  Write("Option/Reserve.txt", "rain\r\n");
  ASSERT_EQ(::chmod(Reserve().c_str(), 0200), 0);
  TFmMain window(BaseEnv());
  EXPECT_TRUE(test::AsOrdinaryUser(app, [&] {
    auto dialog = Open(window);
    const bool locked = !dialog->findChild<QWidget*>("ReserveList")->isEnabled();
    dialog->findChild<QLineEdit*>("ReserveEdit")->setText("snow");
    dialog->findChild<QPushButton*>("ReserveAddButton")->click();
    return locked && dialog->Apply();
  }));
  ASSERT_EQ(::chmod(Reserve().c_str(), 0644), 0);
  EXPECT_EQ(Read(Reserve()), "rain\r\n");
}

}  // namespace
}  // namespace quillet
