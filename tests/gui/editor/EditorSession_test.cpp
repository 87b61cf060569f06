// A long random typing and editing session sent to the control as key
// events, Japanese and ASCII text mixed, with and without wrapping. After
// every key the text must equal a plain string model edited by the same
// rules, and the caret must stand on a character boundary: never between the
// bytes of a double-byte character, never inside a tab's filler, never past
// a row end, never at the end of a wrapped row.
#include <random>

#include "EditorWidgetSupport.h"

namespace quillet {
namespace {

using test::EditorWidgetTest;
using test::Sj;

// The model: the text as one string, and its own undo and redo stacks.
struct TPlainModel {
  std::string Text;
  std::vector<std::string> Undo;
  std::vector<std::string> Redo;

  void Replace(std::size_t from, std::size_t to, const std::string& with) {
    Undo.push_back(Text);
    Redo.clear();
    Text = Text.substr(0, from) + with + Text.substr(to);
  }
  // Undo or redo: the text goes on one stack and comes off the other.
  void Restore(std::vector<std::string>& from, std::vector<std::string>& to) {
    if (from.empty()) return;
    to.push_back(Text);
    Text = from.back();
    from.pop_back();
  }
  // Byte offset of a logical place (line, byte in line).
  std::size_t OffsetOf(const TEditorPosition& place) const {
    std::size_t offset = 0;
    for (int line = 0; line < place.Line; ++line) {
      const std::size_t end = Text.find("\r\n", offset);
      if (end == std::string::npos) return Text.size();
      offset = end + 2;
    }
    return offset + static_cast<std::size_t>(place.Byte);
  }
  std::size_t LineStart(std::size_t offset) const {
    const std::size_t end = offset == 0 ? std::string::npos : Text.rfind("\r\n", offset - 1);
    return end == std::string::npos ? 0 : end + 2;
  }
  // One character (or line end) before / after an offset.
  std::size_t Before(std::size_t offset) const {
    if (offset >= 2 && Text.compare(offset - 2, 2, "\r\n") == 0) return offset - 2;
    std::size_t p = LineStart(offset);
    std::size_t previous = p;
    while (p < offset) {
      previous = p;
      p += EditorCharLength(Text, p);
    }
    return previous;
  }
  std::size_t After(std::size_t offset) const {
    if (Text.compare(offset, 2, "\r\n") == 0) return offset + 2;
    const std::size_t lineEnd = std::min(Text.find("\r\n", offset), Text.size());
    return offset + EditorCharLength(std::string_view(Text).substr(0, lineEnd), offset);
  }
};

class EditorSession : public EditorWidgetTest, public ::testing::WithParamInterface<int> {};

TEST_P(EditorSession, TextFollowsThePlainModelAndTheCaretStaysOnBoundaries) {
  const int wrap = GetParam();
  TEditorScreenStrings& store = editor->Store();
  editor->SetUndoListMax(100000);
  editor->SetTabSpaceCount(4);
  if (wrap > 0) {
    store.WrapOption().SetWrapByte(wrap);
    store.WrapOption().SetLeading(true);
    store.WrapOption().SetFollowPunctuation(true);
    store.WrapOption().SetWordBreak(true);
    editor->SetWordWrap(true);
  }

  // Pieces typed: ASCII, kanji, kana, "ソ" (its trail byte is a backslash),
  // the ideographic space, punctuation that hangs or may not start a row,
  // an opening bracket that may not end one, half-width katakana.
  const QStringList pieces = {"a", "Z", " ", "x1", QString::fromUtf8("日"), QString::fromUtf8("本語"),
                              QString::fromUtf8("ア"), QString::fromUtf8("ソ"), QString::fromUtf8("　"),
                              QString::fromUtf8("。"), QString::fromUtf8("、"), QString::fromUtf8("「"),
                              QString::fromUtf8("」"), QString::fromUtf8("ｱ"), "(", "word"};
  const Qt::Key moves[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,   Qt::Key_Down,
                           Qt::Key_Home, Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown};
  std::mt19937 random(20050307u + static_cast<unsigned>(wrap));
  TPlainModel model;
  const TEditorEngine& engine = editor->Engine();

  for (int step = 0; step < 3000; ++step) {
    const TTextRange range = engine.HasSelection() ? engine.SelectionRange()
                                                   : TTextRange{engine.CaretPoint(), engine.CaretPoint()};
    const std::size_t from = model.OffsetOf(PositionOfPoint(store, range.Start));
    const std::size_t to = model.OffsetOf(PositionOfPoint(store, range.End));
    const int choice = static_cast<int>(random() % 100);
    std::string action;
    if (choice < 40) {
      const QString piece = pieces[static_cast<qsizetype>(random() % static_cast<unsigned>(pieces.size()))];
      action = "type " + piece.toStdString();
      Type(piece);
      model.Replace(from, to, Sj(piece.toStdString()));
    } else if (choice < 49) {
      const bool enter = choice < 46;
      action = enter ? "enter" : "tab";
      Key(enter ? Qt::Key_Return : Qt::Key_Tab);
      model.Replace(from, to, enter ? "\r\n" : "\t");
    } else if (choice < 62) {
      const bool back = choice < 57;
      action = back ? "backspace" : "delete";
      Key(back ? Qt::Key_Backspace : Qt::Key_Delete);
      if (from != to) model.Replace(from, to, "");
      else if (back && from > 0) model.Replace(model.Before(from), from, "");
      else if (!back && from < model.Text.size()) model.Replace(from, model.After(from), "");
    } else if (choice < 66) {
      action = "undo";
      Key(Qt::Key_Z, Qt::ControlModifier);
      model.Restore(model.Undo, model.Redo);
    } else if (choice < 68) {
      action = "redo";
      Key(Qt::Key_Y, Qt::ControlModifier);
      model.Restore(model.Redo, model.Undo);
    } else {
      const Qt::Key key = moves[random() % std::size(moves)];
      // Mostly plain moves; some select (Shift), some go by words or to the
      // text's ends (Ctrl), so selections stay short enough to keep text.
      const int mode = static_cast<int>(random() % 10);
      Qt::KeyboardModifiers modifiers;
      const bool arrow = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
      if ((mode == 7 || mode == 9) && arrow) modifiers |= Qt::ShiftModifier;
      if (mode >= 8 && (key == Qt::Key_Left || key == Qt::Key_Right || (mode == 8 && (key == Qt::Key_Home || key == Qt::Key_End))))
        modifiers |= Qt::ControlModifier;
      action = "move " + std::to_string(key) + " " + std::to_string(modifiers.toInt());
      Key(key, modifiers);
    }

    const std::string context = "step " + std::to_string(step) + " (" + action + ")";
    ASSERT_EQ(store.Text(), model.Text) << context;
    const int row = editor->Row();
    const int column = editor->Col();
    ASSERT_LE(row, MaxCaretRow(store)) << context;
    if (row < store.Count()) {
      const std::string_view text = store.Get(row);
      const TRowOffset at = ColumnToByte(text, column, store.Layout());
      ASSERT_EQ(at.Extra, 0) << context << ": caret inside a character, a tab's filler or past the row end";
      if (store.RowAttribute(row) == raWrapped) {
        ASSERT_LT(at.Byte, static_cast<int>(text.size())) << context << ": caret at the end of a wrapped row";
      }
    } else {
      ASSERT_EQ(column, 0) << context;
    }
  }
  EXPECT_GT(store.Count(), 40) << store.Text();  // the session wrote something worth checking
}

INSTANTIATE_TEST_SUITE_P(Wrap, EditorSession, ::testing::Values(0, 20),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return param.param == 0 ? std::string("Unwrapped") : "WrappedAt" + std::to_string(param.param);
                         });

}  // namespace
}  // namespace quillet
