// Sections "Edit" and "Color" of the settings file applied to the main
// editor, and settings colours mapped to Qt colours.
#include <QTemporaryDir>

#include "EditorWidgetSupport.h"
#include "core/app/HIniFile.h"
#include "gui/editor/EditorColors.h"
#include "gui/editor/EditorSettings.h"

namespace quillet {
namespace {

using test::EditorWidgetTest;

class EditorSettingsTest : public EditorWidgetTest {
protected:
  QTemporaryDir dir;
  std::string Path() const { return dir.path().toStdString() + "/quillet.ini"; }
  // Writes `lines` as the file and applies it.
  void Apply(const std::function<void(THIniFile&)>& fill) {
    {
      THIniFile ini(Path(), true);
      fill(ini);
    }
    const THIniFile ini(Path(), false);
    LoadEditorSettings(ini, *editor);
  }
};

TEST_F(EditorSettingsTest, KeysReachTheirProperties) {
  Apply([](THIniFile& ini) {
    ini.WriteBool("Edit", "ShowRuler", true);
    ini.WriteInteger("Edit", "GaugeRange", 0);
    ini.WriteInteger("Edit", "Column", 5);
    ini.WriteInteger("Edit", "TabCount", 5);
    ini.WriteInteger("Edit", "UndoBuf", 10);
    ini.WriteBool("Edit", "ShowRet", true);
    ini.WriteBool("Edit", "ShowTab", true);
    ini.WriteBool("Edit", "FreeCaret", true);
    ini.WriteBool("Edit", "NextLine", false);
    ini.WriteBool("Edit", "LeftBarBkColor", false);
    ini.WriteColor("Color", "LeftBarBk", clRed);
    ini.WriteColor("Color", "String", 0x00112233);
    ini.WriteInteger("Edit", "VScrollBar", 1);
    ini.WriteBool("Edit", "ClickableType", true);
    ini.WriteInteger("Edit", "LineMargin", 3);
    ini.WriteBool("Edit", "ZeroBase", true);
  });
  EXPECT_TRUE(editor->Ruler().Visible);
  EXPECT_EQ(editor->Ruler().GaugeRange, 8);
  EXPECT_EQ(editor->Leftbar().Column, 6);
  EXPECT_EQ(editor->TabSpaceCount(), 4);   // 5 rounds down to even
  EXPECT_EQ(editor->UndoListMax(), 64);    // never below 64
  EXPECT_TRUE(editor->Marks().RetMark.Visible);
  EXPECT_TRUE(editor->Marks().WrapMark.Visible);  // follows the line-end mark
  EXPECT_TRUE(editor->SEMarks().TabMark.Visible);
  EXPECT_FALSE(editor->SEMarks().SpaceMark.Visible);
  EXPECT_TRUE(editor->Caret().FreeCaret);
  EXPECT_FALSE(editor->Caret().NextLine);
  EXPECT_EQ(editor->Leftbar().BkColor, QColor(255, 0, 0));
  EXPECT_EQ(editor->TextColors().Text, QColor(0x33, 0x22, 0x11));  // $00BBGGRR
  EXPECT_EQ(editor->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(editor->SEProperty().ClickableType, TClickableType::SingleClick);
  EXPECT_EQ(editor->Margin().Line, 3);
  EXPECT_TRUE(editor->Leftbar().ZeroBase);
  // The ruler takes room above the text, the bigger line margin between rows.
  EXPECT_GT(editor->Layout().TextTop(), 2);
}

TEST_F(EditorSettingsTest, DamagedNumbersStayWithinReason) {
  Apply([](THIniFile& ini) {
    ini.WriteInteger("Edit", "Column", -7);
    ini.WriteInteger("Edit", "LeftMargin", -40);
    ini.WriteString("Color", "Back", "clNone");
  });
  EXPECT_EQ(editor->Leftbar().Column, 1);
  EXPECT_EQ(editor->Margin().Left, 0);
  EXPECT_TRUE(editor->TextColors().Back.isValid());  // never a transparent page
}

TEST(EditorColors, FixedSystemAndMarkerColours) {
  QPalette palette;
  palette.setColor(QPalette::Active, QPalette::Link, QColor(1, 2, 3));
  palette.setColor(QPalette::Active, QPalette::Base, QColor(4, 5, 6));
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(7, 8, 9));
  const struct {
    const char* name;
    TColorRef color;
    QColor expected;
  } rows[] = {
      {"fixed red", clRed, QColor(255, 0, 0)},
      {"fixed BBGGRR", 0x00C08040, QColor(0x40, 0x80, 0xC0)},
      {"hot light is the link colour", clHotLight, QColor(1, 2, 3)},
      {"window is the base colour", clWindow, QColor(4, 5, 6)},
      {"grey text is disabled text", clGrayText, QColor(7, 8, 9)},
      {"none has no colour", clNone, QColor()},
      {"default has no colour", clDefault, QColor()},
  };
  for (const auto& row : rows) EXPECT_EQ(ToQColor(row.color, palette), row.expected) << row.name;
}

}  // namespace
}  // namespace quillet
