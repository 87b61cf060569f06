// The options dialog on a real main window over a temporary program folder:
// the tree, the validation messages in their order, what apply writes (and
// keeps), the running window after apply, and the key-change question on a
// diary with word-key days written by the store.
#include "gui/options/FmOption.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTreeWidget>

#include "OptionDialogFixture.h"
#include "core/app/SettingsKeys.h"
#include "core/store/EntryStore.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/options/HotKeyOne.h"

namespace quillet {
namespace {

class OptionDialog : public test::TOptionDialogFixture {
protected:
  QStringList asked;  // key-change questions
  bool keepOldKey = true;

  std::unique_ptr<TFmOption> Open(TFmMain& window) {
    auto dialog = TOptionDialogFixture::Open(window);
    dialog->askKeepOldKey = [this](const QString& text) {
      asked << text;
      return keepOldKey;
    };
    return dialog;
  }
  static void Set(TFmOption& dialog, const char* name, const QString& text) {
    Get<QLineEdit>(dialog, name)->setText(text);
  }
  static void Check(TFmOption& dialog, const char* name, bool on) { Get<QCheckBox>(dialog, name)->setChecked(on); }
  THIniFile Stored() const { return THIniFile(Ini(), false); }
};

TEST_F(OptionDialog, TreeHoldsEveryGroupAndLeafAndGroupsShowNoPage) {
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  EXPECT_EQ(dialog->windowTitle(), "各種設定");
  QTreeWidget* tree = dialog->OptionTV();
  const QStringList groups{"全般設定", "エディタ設定", "カレンダー設定", "タスク設定", "ビューア設定", "タイトル設定"};
  const int leaves[] = {6, 7, 2, 2, 2, 2};
  ASSERT_EQ(tree->topLevelItemCount(), groups.size());
  int tag = 1;
  for (int g = 0; g < groups.size(); ++g) {
    QTreeWidgetItem* group = tree->topLevelItem(g);
    EXPECT_EQ(group->text(0), groups[g]);
    ASSERT_EQ(group->childCount(), leaves[g]);
    for (int i = 0; i < group->childCount(); ++i, ++tag) {
      tree->setCurrentItem(group->child(i));
      EXPECT_TRUE(dialog->OptionPageCtrl()->currentWidget()->isAncestorOf(dialog->Page(tag))) << tag;
    }
    tree->setCurrentItem(group);
    EXPECT_EQ(dialog->OptionPageCtrl()->currentIndex(), 0) << "a group shows the blank page";
  }
  EXPECT_EQ(dialog->Page(opSecurity)->objectName(), "SecuritySheet");
  EXPECT_EQ(tree->topLevelItem(1)->child(5)->text(0), "行・桁設定");
  // The dialog fits 1280 x 800, and its pages scroll on a screen half as large.
  EXPECT_LE(dialog->width(), 1280);
  EXPECT_LE(dialog->height(), 800);
  EXPECT_LE(dialog->minimumSizeHint().width(), 640);
  EXPECT_LE(dialog->minimumSizeHint().height(), 400);
}

TEST_F(OptionDialog, SecurityValidationInOrderWithItsMessages) {
  TFmMain window(BaseEnv());
  const struct {
    const char* name;
    bool entry;
    const char* password;
    bool encrypt;
    int method;
    const char* number;
    const char* word;
    const char* message;  // empty: accepted
  } rows[] = {
      {"200", false, "", true, 0, "200", "", ""},
      {"0", false, "", true, 0, "0", "", ""},
      {"201", false, "", true, 0, "201", "", "暗号用キーは0から200までの整数を指定して下さい"},
      {"-1", false, "", true, 0, "-1", "", "暗号用キーは0から200までの整数を指定して下さい"},
      {"abc", false, "", true, 0, "abc", "", "暗号用キーが不正です"},
      {"full-width digits", false, "", true, 0, "１２", "", "暗号用キーが不正です"},
      {"no number", false, "", true, 0, "", "", "暗号用キーを入力して下さい"},
      {"no key word", false, "", true, 1, "abc", "", "暗号用キーワードを入力して下さい"},
      {"password first", true, "", true, 0, "abc", "", "パスワードが不正です"},
      {"encryption off", false, "", false, 0, "abc", "", ""},
      {"word method ignores the number", false, "", true, 1, "abc", "key", ""},
      {"key word outside the code page", false, "", true, 1, "", "key\xF0\x9F\x98\x80",
       "暗号用キーワードに保存できない文字があります"},
      {"password with a control character", true, "pa\tss", false, 0, "", "", "パスワードに保存できない文字があります"},
  };
  for (const auto& row : rows) {
    auto dialog = Open(window);
    shown.clear();
    Check(*dialog, "EntryCheck", row.entry);
    Set(*dialog, "EntryEdit", QString::fromUtf8(row.password));
    Check(*dialog, "EnCrypt", row.encrypt);
    Get<QComboBox>(*dialog, "CodeMethodBox")->setCurrentIndex(row.method);
    Set(*dialog, "CodeNumberEdit", QString::fromUtf8(row.number));
    Set(*dialog, "CodeKeyWordEdit", QString::fromUtf8(row.word));
    const std::string before = Read(Ini());
    const bool applied = dialog->Apply();
    EXPECT_EQ(applied, *row.message == '\0') << row.name;
    EXPECT_EQ(shown.value(0), QString::fromUtf8(row.message)) << row.name;
    if (!applied) {
      EXPECT_EQ(Read(Ini()), before) << row.name << ": a refusal writes nothing";
    }
  }
  // The method box enables the field it uses.
  auto dialog = Open(window);
  auto* method = Get<QComboBox>(*dialog, "CodeMethodBox");
  method->setCurrentIndex(1);
  EXPECT_FALSE(Get<QLineEdit>(*dialog, "CodeNumberEdit")->isEnabled());
  EXPECT_TRUE(Get<QLineEdit>(*dialog, "CodeKeyWordEdit")->isEnabled());
  method->setCurrentIndex(0);
  EXPECT_TRUE(Get<QLineEdit>(*dialog, "CodeNumberEdit")->isEnabled());
  EXPECT_FALSE(Get<QLineEdit>(*dialog, "CodeKeyWordEdit")->isEnabled());
}

TEST_F(OptionDialog, ApplyWritesItsKeysOnlyTwiceAlikeAndTheWindowTakesThemUp) {
  Settings([](THIniFile& ini) {
    ini.WriteInteger("Grep", "FromYear", 2001);
    ini.WriteString("ShortCut", "MenuSave", "Ctrl+S");
    keys::LoadTask.Write(ini, false);
  });
  TFmMain window(BaseEnv());
  EXPECT_TRUE(window.Action("ActOption")->isEnabled());
  EXPECT_EQ(window.StatusBar().PanelText(spEncrypt), "");
  auto dialog = Open(window);
  EXPECT_FALSE(Get<QCheckBox>(*dialog, "LoadTask")->isChecked());
  EXPECT_EQ(Get<QLineEdit>(*dialog, "CodeNumberEdit")->text(), "164");
  Check(*dialog, "LoadMenu", false);
  Check(*dialog, "LoadTask", true);
  Check(*dialog, "EnCrypt", true);
  Get<QComboBox>(*dialog, "CodeMethodBox")->setCurrentIndex(1);
  Set(*dialog, "CodeKeyWordEdit", "=secret?");  // scrambles to a leading blank and a quote
  Check(*dialog, "EntryCheck", true);
  Set(*dialog, "EntryEdit", "pass");
  Set(*dialog, "ToolEditor", "/usr/bin/vi");
  Check(*dialog, "SaveWndPos", true);
  Check(*dialog, "CommandWndPos", true);  // unchecks the other
  EXPECT_FALSE(Get<QCheckBox>(*dialog, "SaveWndPos")->isChecked());
  Get<QSpinBox>(*dialog, "WidthPosition")->setValue(640);
  dialog->show();
  Get<QPushButton>(*dialog, "ApplyButton")->click();
  EXPECT_TRUE(shown.isEmpty()) << shown.join('\n').toStdString();
  EXPECT_TRUE(dialog->isVisible()) << "apply keeps the dialog open";
  const std::string once = Read(Ini());
  ASSERT_TRUE(dialog->Apply());
  EXPECT_EQ(Read(Ini()), once) << "a second apply writes the same";
  {
    const THIniFile ini = Stored();
    EXPECT_EQ(ini.ReadInteger("Grep", "FromYear", 0), 2001);
    EXPECT_EQ(ini.ReadString("ShortCut", "MenuSave", ""), "Ctrl+S");
    EXPECT_FALSE(ini.ValueExists("Window", "State")) << "exit keys are not the dialog's";
    EXPECT_FALSE(keys::LoadMenu.Read(ini));
    EXPECT_TRUE(keys::LoadTask.Read(ini));
    for (const TFlagKey* key : {&keys::LoadEditor, &keys::LoadReserve, &keys::LoadCoolBarResource,
                                &keys::LoadCoolBar, &keys::LoadCalendar, &keys::LoadViewer, &keys::LoadTitle,
                                &keys::LoadTitleResource})
      EXPECT_EQ(ini.ReadString("Boot", key->key, "missing"), "1") << key->key;
    EXPECT_EQ(ini.ReadString("Window", "Word", ""), Scramble("=secret?"));
    EXPECT_EQ(ini.ReadString("Window", "EntryText", ""), Scramble("pass"));
    EXPECT_EQ(ini.ReadString("Window", "Method", ""), "1");
    EXPECT_EQ(ini.ReadString("Window", "ToolEditor", ""), "/usr/bin/vi");
    EXPECT_FALSE(keys::SaveWndPos.Read(ini));
    EXPECT_TRUE(keys::CommandWndPos.Read(ini));
    EXPECT_EQ(ini.ReadInteger("Window", "WidthPosition", 0), 640);
    EXPECT_EQ(ReadCode(ini, true, "login").Word, "=secret?");
  }
  EXPECT_EQ(window.StatusBar().PanelText(spEncrypt), "暗号化");
  EXPECT_TRUE(window.Code().EnCrypt);
  EXPECT_TRUE(window.Code().Method);
  EXPECT_EQ(window.Code().Word, "=secret?");
  // And off again.
  Check(*dialog, "EnCrypt", false);
  ASSERT_TRUE(dialog->Apply());
  EXPECT_EQ(window.StatusBar().PanelText(spEncrypt), "");
  EXPECT_FALSE(window.Code().EnCrypt);
}

TEST_F(OptionDialog, WakeUpKeepsHoursUpToNoon) {
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  const struct {
    const char* typed;
    int stored;
  } rows[] = {{"13", 0}, {"-1", 0}, {"x", 0}, {"12", 12}, {"4", 4}};
  for (const auto& row : rows) {
    Set(*dialog, "WakeUp", row.typed);
    ASSERT_TRUE(dialog->Apply());
    EXPECT_EQ(Stored().ReadString("Window", "WakeUp", ""), std::to_string(row.stored)) << row.typed;
  }
}

TEST_F(OptionDialog, OkAfterARefusalStaysOpenAndCancelWritesNothing) {
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  dialog->show();
  Check(*dialog, "EnCrypt", true);
  Set(*dialog, "CodeNumberEdit", "201");
  Get<QPushButton>(*dialog, "OkButton")->click();
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(Read(Ini()), "<missing>");
  Set(*dialog, "CodeNumberEdit", "7");
  Get<QPushButton>(*dialog, "OkButton")->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(window.Code().Number, 7);

  const std::string before = Read(Ini());
  auto second = Open(window);
  second->show();
  Set(*second, "CodeNumberEdit", "9");
  Check(*second, "LoadMenu", false);
  Get<QPushButton>(*second, "CancelButton")->click();
  EXPECT_EQ(Read(Ini()), before);
  EXPECT_EQ(window.Code().Number, 7);
}

TEST_F(OptionDialog, TheMenuCommandRunsTheDialog) {
  TStartupEnv env = BaseEnv();
  int runs = 0;
  env.runOptionDialog = [&runs](TFmOption& dialog) {
    ++runs;
    EXPECT_NE(dialog.OptionPageCtrl()->currentWidget()->findChild<QWidget*>("SaveSheet"), nullptr);
  };
  TFmMain window(env);
  window.Action("ActOption")->trigger();
  EXPECT_EQ(runs, 1);
}

// The menu page: submenus take no shortcut, separators are never written,
// a changed and a removed shortcut reach the file and the running window.
TEST_F(OptionDialog, MenuShortCutsAreWrittenByItemNameAndTakenUpAtOnce) {
  TFmMain window(BaseEnv());
  auto dialog = Open(window);
  dialog->ShowPage(opMenu);
  auto* tree = Get<QTreeWidget>(*dialog, "MenuTV");
  auto* field = Get<THotKeyOne>(*dialog, "MenuHotKey");
  auto* button = Get<QPushButton>(*dialog, "MenuApplyButton");
  ASSERT_TRUE(tree && field && button);
  const auto node = [tree](const QString& name) -> QTreeWidgetItem* {
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
      if ((*it)->data(0, Qt::UserRole).toString() == name) return *it;
    ADD_FAILURE() << name.toStdString();
    return nullptr;
  };
  QTreeWidgetItem* file = node("MenuFile");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->childCount(), 7);
  EXPECT_EQ(node("MenuFileSep1")->text(0), "--------------");
  QTreeWidgetItem* save = node("MenuSave");
  EXPECT_EQ(save->text(0), "上書保存(&S)     Ctrl+S");

  tree->setCurrentItem(save);
  EXPECT_TRUE(button->isEnabled());
  EXPECT_EQ(field->text(), "Ctrl + S");
  tree->setCurrentItem(file);
  EXPECT_FALSE(button->isEnabled()) << "a submenu takes no shortcut";
  field->SetShortCut(QKeyCombination(Qt::ControlModifier, Qt::Key_Q).toCombined());
  button->click();
  EXPECT_EQ(file->text(0), "ファイル(&F)     ");

  tree->setCurrentItem(save);
  field->SetShortCut(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_K).toCombined());
  button->click();
  EXPECT_EQ(save->text(0), "上書保存(&S)     Ctrl+Shift+K");
  tree->setCurrentItem(node("MenuUndo"));
  EXPECT_FALSE(window.Action("ActUndo")->shortcut().isEmpty());
  field->setText(THotKeyOne::kNone);
  button->click();
  ASSERT_TRUE(dialog->Apply());

  const THIniFile ini = Stored();
  EXPECT_EQ(ini.ReadString("ShortCut", "MenuSave", ""), "Ctrl+Shift+K");
  EXPECT_TRUE(ini.ValueExists("ShortCut", "MenuUndo"));
  EXPECT_EQ(ini.ReadString("ShortCut", "MenuUndo", "missing"), "");
  EXPECT_EQ(ini.ReadString("ShortCut", "MenuSaveAs", "missing"), "") << "every command is written";
  for (QTreeWidgetItemIterator it(tree); *it; ++it) {
    if ((*it)->childCount() == 0 && (*it)->text(0) != "--------------") continue;
    EXPECT_FALSE(ini.ValueExists("ShortCut", (*it)->data(0, Qt::UserRole).toString().toStdString()))
        << (*it)->text(0).toStdString();
  }
  EXPECT_EQ(window.Action("ActSave")->shortcut(), QKeySequence("Ctrl+Shift+K"));
  EXPECT_TRUE(window.Action("ActUndo")->shortcut().isEmpty());

  // The next opening shows what the window now has.
  auto again = Open(window);
  const auto* tree2 = Get<QTreeWidget>(*again, "MenuTV");
  bool found = false;
  for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree2)); *it; ++it)
    found |= (*it)->text(0) == "上書保存(&S)     Ctrl+Shift+K";
  EXPECT_TRUE(found);
}

// Word-key days written by the store under "old key"; the settings hold that key.
class KeyChangeDialog : public OptionDialog {
protected:
  void SetUp() override {
    OptionDialog::SetUp();
    Settings([](THIniFile& ini) {
      keys::EnCrypt.Write(ini, true);
      keys::Method.Write(ini, true);
      keys::Word.Write(ini, Scramble("old key"));
    });
    TStoreSettings store;
    store.SavePath = app;
    TCode code;
    code.EnCrypt = true;
    code.Method = true;
    code.Word = "old key";
    for (const TDate date : {MakeDate(2005, 2, 1), MakeDate(2005, 3, 5), MakeDate(2005, 3, 6)}) {
      TSaveRequest request;
      request.Date = date;
      request.Body = "secret text\r\n";
      request.Force = true;
      request.Modified = true;
      ASSERT_TRUE(SaveDay(store, app, code, request).Ok);
    }
  }
};

TEST_F(KeyChangeDialog, KeepingTheOldKeyWritesNothingOfTheKey) {
  TFmMain window(BaseEnv(MakeDate(2005, 3, 6)));
  ASSERT_EQ(window.Editor().Text(), "secret text\r\n");
  auto dialog = Open(window);
  EXPECT_NE(dialog->Page(opSecurity)->findChild<QLabel*>("KeyChangeNote"), nullptr);
  // Nothing asked while the key stays.
  Check(*dialog, "LoadMenu", false);
  ASSERT_TRUE(dialog->Apply());
  EXPECT_TRUE(asked.isEmpty());

  Set(*dialog, "CodeKeyWordEdit", "new key");
  keepOldKey = true;
  ASSERT_TRUE(dialog->Apply());
  ASSERT_EQ(asked.size(), 1);
  EXPECT_TRUE(asked[0].contains("3日分調べたところ、3日分（最新は2005/03/06）")) << asked[0].toStdString();
  EXPECT_EQ(Get<QLineEdit>(*dialog, "CodeKeyWordEdit")->text(), "old key");
  EXPECT_EQ(Stored().ReadString("Window", "Word", ""), Scramble("old key"));
  EXPECT_EQ(window.Code().Word, "old key");

  Set(*dialog, "CodeKeyWordEdit", "new key");
  Check(*dialog, "EntryCheck", true);
  Set(*dialog, "EntryEdit", "pw");
  keepOldKey = false;
  ASSERT_TRUE(dialog->Apply());
  EXPECT_EQ(asked.size(), 2);
  EXPECT_EQ(Stored().ReadString("Window", "Word", ""), Scramble("new key"));
  EXPECT_EQ(window.Code().Word, "new key");
  EXPECT_TRUE(keys::Entry.Read(Stored()));
}

TEST_F(KeyChangeDialog, ANewDiaryFolderIsReadAtOnce) {
  TFmMain window(BaseEnv(MakeDate(2005, 3, 6)));
  Write("other/2005/3/6.txt", "plain day\r\n");
  auto dialog = Open(window);
  Set(*dialog, "SaveEdit", QString::fromStdString(app + "missing"));
  EXPECT_FALSE(dialog->Apply());
  EXPECT_TRUE(shown.value(0).startsWith("保存先フォルダが見つかりません")) << shown.value(0).toStdString();
  Set(*dialog, "SaveEdit", QString::fromStdString(app + "other"));
  ASSERT_TRUE(dialog->Apply());
  EXPECT_EQ(window.StoreSettings().SavePath, app + "other/");
  EXPECT_EQ(window.Editor().Text(), "plain day\r\n");
}

}  // namespace
}  // namespace quillet
