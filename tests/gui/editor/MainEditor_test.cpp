// The editor control behind the main window's port: the modified mark, the
// wrap modes, settings read at start (highlighting and the reserved words
// included), and a refused character reaching the status bar.
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "EditorWidgetSupport.h"
#include "core/app/HIniFile.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/UMain.h"
#include "gui/editor/MainEditor.h"
#include "../app/MainWindowFixture.h"

namespace quillet {
namespace {

using test::Sj;

class MainEditorTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { InstallFontSubstitutions(); }
  QWidget parent;
  TMainEditor port{&parent};
};

TEST_F(MainEditorTest, ModifiedIsReportedOnceEachWay) {
  QSignalSpy spy(&port, &TMainEditorPort::ModifiedChanged);
  port.SetText(Sj("日記"));
  EXPECT_FALSE(port.Modified());
  port.ReplaceSelection("a");
  port.ReplaceSelection("b");
  EXPECT_TRUE(port.Modified());
  port.SetModified(false);
  ASSERT_EQ(spy.count(), 2);
  EXPECT_TRUE(spy[0][0].toBool());
  EXPECT_FALSE(spy[1][0].toBool());
  EXPECT_EQ(port.Text(), Sj("ab日記"));
}

TEST_F(MainEditorTest, SetTextLeavesNoUndoStepToThePreviousDay) {
  port.SetText("yesterday");
  port.ReplaceSelection("x");
  port.SetText("today");
  port.Undo();
  EXPECT_EQ(port.Text(), "today");
  EXPECT_FALSE(port.IsEmpty());
  port.SetText("");
  EXPECT_TRUE(port.IsEmpty());
}

TEST_F(MainEditorTest, WrapModes) {
  TEditorSE& editor = port.Control();
  editor.SetText(std::string(100, 'a'));
  port.SetWrapMode(TWrapMode::ByteWrap, 30);
  EXPECT_TRUE(editor.WordWrap());
  EXPECT_FALSE(editor.SEProperty().AutoWrap);
  EXPECT_EQ(editor.WrapOption().WrapByte(), 30);
  EXPECT_EQ(editor.Store().Count(), 4);
  port.SetWrapMode(TWrapMode::NonWrap, 30);
  EXPECT_FALSE(editor.WordWrap());
  EXPECT_EQ(editor.Store().Count(), 1);
  port.SetWrapMode(TWrapMode::WordWrap, 30);
  EXPECT_TRUE(editor.WordWrap());
  EXPECT_TRUE(editor.SEProperty().AutoWrap);
}

class MainWindowEditorTest : public test::TMainWindowFixture {
protected:
  static void SetUpTestSuite() { InstallFontSubstitutions(); }
  TStartupEnv Env() { return BaseEnv(); }
};

TEST_F(MainWindowEditorTest, SettingsApplyAtStartAndRefusalsReachTheStatusBar) {
  Settings([](THIniFile& ini) {
    ini.WriteBool("Edit", "ShowRuler", true);
    ini.WriteInteger("Edit", "Column", 5);
  });
  TFmMain window(Env());
  auto* editor = qobject_cast<TEditorSE*>(window.Editor().Widget());
  ASSERT_NE(editor, nullptr);
  EXPECT_TRUE(editor->Ruler().Visible);
  EXPECT_EQ(editor->Leftbar().Column, 6);
  EXPECT_EQ(editor->font().family(), QFont(QStringLiteral("FixedSys")).family());

  QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("😀"));
  QApplication::sendEvent(editor, &key);
  EXPECT_TRUE(window.StatusBar().PanelText(spMessage).contains(QString::fromUtf8("😀")))
      << window.StatusBar().PanelText(spMessage).toStdString();
  EXPECT_TRUE(window.Editor().Text().empty());
  EXPECT_FALSE(window.Editor().Modified());
}

TEST_F(MainWindowEditorTest, AChangeOfDayCommitsTheCompositionIntoTheDayItWasTypedIn) {
  TFmMain window(Env());
  auto* editor = qobject_cast<TEditorSE*>(window.Editor().Widget());
  ASSERT_NE(editor, nullptr);
  window.Editor().ReplaceSelection(Sj("今日は"));
  QInputMethodEvent preedit(QString::fromUtf8("あかるく"), {});
  QApplication::sendEvent(editor, &preedit);
  ASSERT_TRUE(window.ChangeDay(MakeDate(2005, 3, 8)));
  QFile day7(QString::fromStdString(app + "2005/3/7.txt"));
  ASSERT_TRUE(day7.open(QIODevice::ReadOnly));
  EXPECT_EQ(day7.readAll().toStdString(), Sj("今日はあかるく"));
  EXPECT_TRUE(editor->PreeditText().isEmpty());
  EXPECT_TRUE(window.Editor().Text().empty());
  EXPECT_FALSE(window.Editor().Modified());
}

// The tokens of the editor's row 0 with their looks.
std::vector<std::pair<TFountainToken, TTokenLook>> LooksOfRow0(TEditorSE& editor) {
  std::vector<TFountainToken> tokens;
  editor.RowParser()->RowTokens(0, editor.Store().Get(0), tokens);
  std::vector<std::pair<TFountainToken, TTokenLook>> looks;
  for (const TFountainToken& token : tokens)
    if (token.Reserved || token.Style == TFountainStyle::Url) looks.emplace_back(token, editor.TokenLooks().Of(token));
  return looks;
}

TEST_F(MainWindowEditorTest, AddressesAndReservedWordsTakeTheirColoursFromTheSettings) {
  Settings([](THIniFile& ini) {
    ini.WriteString("Color", "URL", "clRed");
    ini.WriteString("Color", "ReserveStr", "clBlue");
    ini.WriteInteger("Edit", "ReserveStyle", 2);
  });
  QFile words(QString::fromStdString(app + "Option/Reserve.txt"));
  ASSERT_TRUE(words.open(QIODevice::WriteOnly));
  words.write(Sj("雨\r\n").c_str());
  words.close();
  TFmMain window(Env());
  window.show();
  auto* editor = qobject_cast<TEditorSE*>(window.Editor().Widget());
  ASSERT_NE(editor, nullptr);
  window.Editor().SetText(Sj("雨 http://x.jp"));
  const auto looks = LooksOfRow0(*editor);
  ASSERT_EQ(looks.size(), 2u);
  EXPECT_EQ(looks[0].first, (TFountainToken{0, 2, TFountainStyle::Kanji, true}));
  EXPECT_EQ(looks[0].second.Color, QColor(Qt::blue));
  EXPECT_TRUE(looks[0].second.Italic);
  EXPECT_FALSE(looks[0].second.BkColor.isValid());  // "ReserveBk": the editor's background
  EXPECT_EQ(looks[1].first, (TFountainToken{3, 14, TFountainStyle::Url}));
  EXPECT_EQ(looks[1].second.Color, QColor(Qt::red));
  // And it is painted so.
  QApplication::processEvents();
  const QImage image = editor->viewport()->grab().toImage();
  const TEditorLayout& layout = editor->Layout();
  int red = 0;
  for (int x = qRound(layout.ColumnX(4, 0)); x < qRound(layout.ColumnX(14, 0)); ++x)
    for (int y = layout.TextTop(); y < layout.TextTop() + layout.FontHeight(); ++y)
      red += image.pixelColor(x, y).red() > 160 && image.pixelColor(x, y).blue() < 100 ? 1 : 0;
  EXPECT_GT(red, 10);
}

TEST_F(MainWindowEditorTest, WithoutLoadReserveNoWordIsReserved) {
  Settings([](THIniFile& ini) { ini.WriteBool("Boot", "LoadReserve", false); });
  QFile words(QString::fromStdString(app + "Option/Reserve.txt"));
  ASSERT_TRUE(words.open(QIODevice::WriteOnly));
  words.write("rain\r\n");
  words.close();
  TFmMain window(Env());
  auto* editor = qobject_cast<TEditorSE*>(window.Editor().Widget());
  window.Editor().SetText("rain http://x.jp");
  const auto looks = LooksOfRow0(*editor);
  ASSERT_EQ(looks.size(), 1u);
  EXPECT_EQ(looks[0].first.Style, TFountainStyle::Url);
}

TEST_F(MainWindowEditorTest, ALoadParsesTheRowsDownToTwiceTheWindowOnly) {
  TFmMain window(Env());
  window.show();
  QApplication::processEvents();
  auto* editor = qobject_cast<TEditorSE*>(window.Editor().Widget());
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "row http://x.jp\r\n";
  window.Editor().SetText(text);
  editor->SetTopRow(3000);  // the day before was read far down
  window.Editor().SetText(text);
  const int rows = editor->Layout().VisibleRows();
  ASSERT_GT(rows, 0);
  EXPECT_EQ(editor->Store().ParsedEnd(), 2 * rows + 1);
}

}  // namespace
}  // namespace quillet
