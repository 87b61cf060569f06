// Helpers of the editor control tests: code page 932 test text made by
// glibc's iconv (not by the code under test), an editor shown on the
// offscreen platform with the program's font mapping, and key, text and
// mouse events sent to it as a user would.
#pragma once

#include "support/IconvText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "gui/app/Application.h"
#include "gui/editor/EditorSE.h"

namespace quillet::test {

inline std::string Sj(std::string_view utf8) { return IconvToCp932(utf8); }

class EditorWidgetTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { InstallFontSubstitutions(); }

  void SetUp() override {
    editor = std::make_unique<TEditorSE>();
    editor->resize(480, 320);
    editor->show();
    editor->activateWindow();
    editor->setFocus();
    QApplication::processEvents();
    QObject::connect(editor.get(), &TEditor::InputRefused, [this](const QString& text) { refused << text; });
  }
  void TearDown() override { editor.reset(); }

  // Text as a key press carries it (what an input method without
  // composition or the keyboard sends).
  void Type(const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(editor.get(), &press);
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(editor.get(), key, modifiers);
  }
  // The middle of a cell's left half (a click there goes before the
  // character), in viewport coordinates.
  QPoint CellPoint(int row, int column) const {
    const TEditorLayout& layout = editor->Layout();
    return QPoint(static_cast<int>(layout.ColumnX(column, editor->TopCol()) + layout.CellWidth() / 4),
                  layout.RowY(row, editor->TopRow()) + layout.RowHeight() / 2);
  }
  // `count` rows of "row", each ending a line.
  void SetRows(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "row\r\n";
    editor->SetText(text);
  }
  std::string Text() const { return editor->Store().Text(); }
  std::pair<int, int> At() const { return {editor->Row(), editor->Col()}; }

  std::unique_ptr<TEditorSE> editor;
  QStringList refused;
};

}  // namespace quillet::test
