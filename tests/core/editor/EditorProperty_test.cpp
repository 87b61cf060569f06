// Random edit sequences against a plain model: the text as one std::string
// with its line ends normalised to CR LF, edited with plain string
// operations, and a stack of (text, caret) snapshots for undo and redo.
//
// Each sequence mixes UpdateRows on random row ranges, Lines edits, undo,
// redo, caret moves, marks, the word-wrap switch and changes of the wrap
// column, the rules and the tab width, on random code page 932 text (kanji,
// kana, brackets, punctuation, tabs, CR LF, lone CR and LF, NUL, damaged
// double-byte bytes, text with and without a final line end). After every
// step the store must equal the model, every row must respect the cutting
// rules, and without word break the rows must equal a fresh cut of the whole
// text. Undo must give back the text and the caret of each earlier step.
//
// QUILLET_EDITOR_PROPERTY_RUNS sets the number of sequences (default 60);
// run it long (e.g. 5000) in the sanitizer build before a change is merged.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "EditorTestSupport.h"
#include "core/editor/EditorStrings.h"
#include "core/editor/WrapText.h"

namespace quillet {
namespace {

using test::Cp;
using test::TFakeClient;

// Line ends as the store writes them, computed without its splitter: CR LF,
// a lone CR and a lone LF each become CR LF.
std::string Normalize(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (text[i] == '\n') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

// A normalised text as lines: [begin, end) without and [begin, next) with
// the line end.
struct TModelLine {
  std::size_t Begin;
  std::size_t End;
  std::size_t Next;
};

std::vector<TModelLine> ModelLines(const std::string& text) {
  std::vector<TModelLine> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t end = text.find("\r\n", begin);
    if (end == std::string::npos) {
      lines.push_back({begin, text.size(), text.size()});
      break;
    }
    lines.push_back({begin, end, end + 2});
    begin = end + 2;
  }
  return lines;
}

struct TSnapshot {
  std::string Text;
  TEditorPosition Caret;
};

class TSequence {
public:
  explicit TSequence(unsigned seed) : m_random(seed), m_editor(m_store), m_lines(m_store) {
    m_editor.Focus = true;
    m_store.UndoObj().SetUndoListMax(Pick(2) ? 64 : 100);
    m_store.WrapOption().SetWrapByte(Between(20, 40));
    m_store.SetWordWrap(Pick(2) == 0);
    SetText(RandomText(Between(0, 12)));
  }

  void Run(int steps) {
    for (int step = 0; step < steps && !::testing::Test::HasFatalFailure(); ++step) {
      m_step = step;
      Step();
      Check();
    }
  }

private:
  unsigned Pick(unsigned n) { return static_cast<unsigned>(m_random() % n); }
  int Between(int low, int high) { return low + static_cast<int>(Pick(static_cast<unsigned>(high - low + 1))); }

  std::string RandomText(int pieces) {
    static const std::vector<std::string> parts = {
        Cp("日記"), Cp("今日は"), Cp("「"), Cp("」"), Cp("。"), Cp("、"), Cp("ー"), Cp("ソ"), Cp("（雨）"),
        "word ",   "a",         "x_y",     "\t",      "\r\n",    "\r\n",    "\r",      "\n",      ". ",
        "(",       ")",         "\xB1",    std::string(1, '\0'), "\x82",   "\x82\t",  "\xE0\r", "Hello, world "};
    std::string text;
    for (int i = 0; i < pieces; ++i) text += parts[Pick(static_cast<unsigned>(parts.size()))];
    return text;
  }

  // Puts the caret on a random character boundary of a random row, as the
  // control allows it (after the last row only following a line end).
  void PlaceCaret() {
    const int rows = m_store.Count();
    const bool afterText = rows == 0 || m_store.RowAttribute(rows - 1) != raEof;
    const int row = Between(0, afterText ? rows : rows - 1);
    if (row >= rows) {
      m_editor.SetCaret(row, 0);
      return;
    }
    const std::string_view text = m_store.Get(row);
    std::vector<int> boundaries;
    std::size_t p = 0;
    for (; p < text.size(); p += EditorCharLength(text, p)) boundaries.push_back(static_cast<int>(p));
    boundaries.push_back(static_cast<int>(p));
    const int byte = boundaries[Pick(static_cast<unsigned>(boundaries.size()))];
    m_editor.SetCaret(row, ByteToColumn(text, byte, m_store.Layout()));
  }

  TEditorPosition Caret() const { return m_store.PositionOf(m_editor.Row, m_editor.Column); }

  std::size_t UndoMax() const { return static_cast<std::size_t>(m_store.UndoObj().UndoListMax()); }

  // Runs an edit the store must take (one undo step) and applies `expected`
  // to the model.
  template <class TEdit>
  void Edit(const std::string& expected, TEdit&& edit) {
    PlaceCaret();
    const TSnapshot before{m_text, Caret()};
    edit();
    m_text = expected;
    m_undo.push_back(before);
    if (m_undo.size() > UndoMax()) m_undo.pop_front();
    m_redo.clear();
  }

  void SetText(const std::string& text) {
    m_store.SetText(text);
    m_text = Normalize(text);
    m_undo.clear();
    m_redo.clear();
  }

  void UpdateRowsStep() {
    const int rows = m_store.Count();
    const int index = Between(-1, rows + 1);
    const int count = Between(-1, std::min(4, std::max(rows - index + 1, 0)));
    const std::string text = Pick(4) == 0 ? std::string() : RandomText(Between(1, 5));
    const bool valid = index >= 0 && count >= 0 && index <= rows && count <= rows - index &&
                       !(count == 0 && text.empty());
    if (!valid) {
      const std::size_t records = m_store.UndoObj().UndoList().size();
      ASSERT_FALSE(m_store.UpdateRows(index, count, text));
      ASSERT_EQ(m_store.UndoObj().UndoList().size(), records);
      return;
    }
    // Byte offsets of rows in the joined text.
    std::vector<std::size_t> starts;
    std::size_t offset = 0;
    for (int row = 0; row < rows; ++row) {
      starts.push_back(offset);
      offset += m_store.Get(row).size() + (m_store.RowAttribute(row) == raCrlf ? 2 : 0);
    }
    starts.push_back(offset);
    const std::size_t a = starts[static_cast<std::size_t>(index)];
    const std::size_t b = starts[static_cast<std::size_t>(index + count)];
    const std::string expected = Normalize(m_text.substr(0, a) + text + m_text.substr(b));
    m_op = ::testing::PrintToString(std::vector<std::string>{"UpdateRows", std::to_string(index), std::to_string(count), text,
                                                             m_store.WordWrap() ? "wrapped" : "unwrapped"});
    Edit(expected, [&] { ASSERT_TRUE(m_store.UpdateRows(index, count, text)); });
  }

  void LinesStep() {
    const std::vector<TModelLine> lines = ModelLines(m_text);
    const int count = static_cast<int>(lines.size());
    const int index = Between(-1, count);
    const std::string text = RandomText(Between(0, 3));
    const bool inside = index >= 0 && index < count;
    const auto line = [&] { return lines[static_cast<std::size_t>(index)]; };
    const unsigned kind = Pick(4);
    m_op = ::testing::PrintToString(std::vector<std::string>{"Lines", std::to_string(kind), std::to_string(index), text});
    switch (kind) {
      case 0:
        if (!inside) {
          ASSERT_THROW(m_lines.Put(index, text), TEListError);
          return;
        }
        Edit(Normalize(m_text.substr(0, line().Begin) + text + (line().Next > line().End ? "\r\n" : "") +
                       m_text.substr(line().Next)),
             [&] { m_lines.Put(index, text); });
        return;
      case 1:
        if (index == count) break;  // Insert at the end is Add
        if (!inside) {
          ASSERT_THROW(m_lines.Insert(index, text), TEListError);
          return;
        }
        Edit(Normalize(m_text.substr(0, line().Begin) + text + "\r\n" + m_text.substr(line().Begin)),
             [&] { m_lines.Insert(index, text); });
        return;
      case 2:
        if (!inside) {
          ASSERT_THROW(m_lines.Delete(index), TEListError);
          return;
        }
        Edit(Normalize(m_text.substr(0, line().Begin) + m_text.substr(line().Next)), [&] { m_lines.Delete(index); });
        return;
      default:
        break;
    }
    const bool endsOpen = !m_text.empty() && !m_text.ends_with("\r\n");
    Edit(Normalize(endsOpen ? m_text + "\r\n" + text : m_text + text + "\r\n"), [&] {
      if (Pick(2)) {
        m_lines.Add(text);
      } else {
        m_lines.Insert(m_lines.Count(), text);
      }
    });
  }

  void UndoStep(bool redo) {
    PlaceCaret();
    m_op = redo ? "redo" : "undo";
    std::deque<TSnapshot>& from = redo ? m_redo : m_undo;
    std::deque<TSnapshot>& to = redo ? m_undo : m_redo;
    const TSnapshot now{m_text, Caret()};
    const bool done = redo ? m_store.UndoObj().Redo() : m_store.UndoObj().Undo();
    ASSERT_EQ(done, !from.empty()) << (redo ? "redo" : "undo");
    if (!done) return;
    const TSnapshot back = from.back();
    from.pop_back();
    m_text = back.Text;
    ASSERT_EQ(m_store.Text(), m_text) << (redo ? "redo" : "undo");
    ASSERT_EQ(Caret(), back.Caret) << (redo ? "redo" : "undo") << " caret";
    to.push_back(now);
    if (redo && to.size() > UndoMax()) to.pop_front();
  }

  void LayoutStep() {
    const std::vector<std::string> linesBefore = AllLines();
    const TEditorPosition caret = Caret();
    switch (Pick(6)) {
      case 0:
        m_store.SetWordWrap(!m_store.WordWrap());
        break;
      case 1:
        m_store.WrapOption().SetWrapByte(Between(20, 40));
        break;
      case 2:
        m_store.WrapOption().SetWordBreak(!m_store.WrapOption().WordBreak());
        break;
      case 3:
        m_store.WrapOption().SetLeading(!m_store.WrapOption().Leading());
        break;
      case 4:
        m_store.WrapOption().SetFollowPunctuation(!m_store.WrapOption().FollowPunctuation());
        break;
      default:
        m_store.WrapOption().SetFollowRetMark(!m_store.WrapOption().FollowRetMark());
        break;
    }
    ASSERT_EQ(AllLines(), linesBefore) << "logical lines changed by a re-cut";
    ASSERT_EQ(Caret(), caret) << "caret moved in the text by a re-cut";
  }

  void MarkStep() {
    if (m_store.Count() == 0) return;
    const int row = Between(0, m_store.Count() - 1);
    const int mark = Between(0, 15);
    if (Pick(3) == 0) {
      m_store.DeleteMark(row, mark);
    } else {
      m_store.PutMark(row, mark);
    }
  }

  void Step() {
    const unsigned kind = Pick(100);
    m_op = "kind " + std::to_string(kind);
    if (kind < 30) {
      UpdateRowsStep();
    } else if (kind < 50) {
      LinesStep();
    } else if (kind < 64) {
      UndoStep(false);
    } else if (kind < 72) {
      UndoStep(true);
    } else if (kind < 82) {
      PlaceCaret();
      LayoutStep();
    } else if (kind < 86) {
      m_store.SetTabSpaceCount(2 * Between(1, 4));
    } else if (kind < 94) {
      MarkStep();
    } else if (kind < 97 || m_text.size() > 3000) {
      SetText(RandomText(Between(0, 30)));
    } else {
      m_lines.Clear();
      m_text.clear();
      m_undo.clear();
      m_redo.clear();
    }
  }

  std::vector<std::string> AllLines() const {
    std::vector<std::string> lines;
    for (int i = 0; i < m_lines.Count(); ++i) lines.push_back(m_lines.Get(i));
    return lines;
  }

  void Check() {
    SCOPED_TRACE(::testing::Message() << "step " << m_step << ": " << m_op);
    ASSERT_EQ(m_store.Text(), m_text);
    const std::vector<TModelLine> lines = ModelLines(m_text);
    ASSERT_EQ(m_lines.Count(), static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
      ASSERT_EQ(m_lines.Get(static_cast<int>(i)), m_text.substr(lines[i].Begin, lines[i].End - lines[i].Begin));
    }

    const TEditorWrapOption& option = m_store.WrapOption();
    const bool wrap = m_store.WordWrap();
    const int rows = m_store.Count();
    const int widest = option.FollowPunctuation() ? option.WrapByte() + 3 : option.WrapByte();
    std::string line;
    for (int row = 0; row < rows; ++row) {
      const std::string_view text = m_store.Get(row);
      const TRowAttribute attribute = m_store.RowAttribute(row);
      ASSERT_EQ(text.find_first_of("\r\n"), std::string_view::npos) << "row " << row;
      ASSERT_TRUE(attribute != raEof || row == rows - 1) << "raEof inside, row " << row;
      ASSERT_TRUE(attribute != raWrapped || (wrap && row < rows - 1)) << "raWrapped row " << row;
      if (wrap) {
        ASSERT_LE(RowColumns(text, m_store.Layout()), widest) << "row " << row;
      }
      line += text;
      if (attribute == raWrapped) {
        ASSERT_FALSE(text.empty()) << "empty wrapped row " << row;
        continue;
      }
      // Every row boundary of the line is a character boundary.
      std::set<std::size_t> boundaries{line.size()};
      for (std::size_t p = 0; p < line.size(); p += EditorCharLength(line, p)) boundaries.insert(p);
      for (int r = m_store.FirstRowOfLine(row), offset = 0; r < row; ++r) {
        offset += static_cast<int>(m_store.Get(r).size());
        ASSERT_TRUE(boundaries.count(static_cast<std::size_t>(offset))) << "split character, row " << r;
      }
      line.clear();
    }

    // Marks: 0..9 on one row at most, and the list set is their union.
    TRowMarks all = 0;
    for (int mark = 0; mark < kUniqueRowMarks; ++mark) {
      int holders = 0;
      for (int row = 0; row < rows; ++row) holders += m_store.Marks(row) >> mark & 1;
      ASSERT_LE(holders, 1) << "mark " << mark;
    }
    for (int row = 0; row < rows; ++row) all = static_cast<TRowMarks>(all | m_store.Marks(row));
    ASSERT_EQ(m_store.ListMarks(), all);

    // Without word break every edit leaves the rows a fresh cut would give.
    if (!option.WordBreak()) {
      TEditorScreenStrings fresh;
      fresh.WrapOption().Assign(option);
      fresh.SetTabSpaceCount(m_store.TabSpaceCount());
      fresh.SetWordWrap(wrap);
      fresh.SetText(m_text);
      ASSERT_EQ(test::Dump(m_store), test::Dump(fresh)) << "rows differ from a fresh cut";
    }
  }

  std::mt19937 m_random;
  TEditorScreenStrings m_store;
  TFakeClient m_editor;
  TEditorStrings m_lines;
  std::string m_text;
  std::deque<TSnapshot> m_undo;
  std::deque<TSnapshot> m_redo;
  int m_step = 0;
  std::string m_op;  // the last operation, for failure messages
};

int Runs() {
  const char* runs = std::getenv("QUILLET_EDITOR_PROPERTY_RUNS");
  return runs ? std::max(1, std::atoi(runs)) : 60;
}

TEST(EditorProperty, RandomEditSequencesMatchAPlainModel) {
  const int runs = Runs();
  for (int run = 0; run < runs; ++run) {
    SCOPED_TRACE(::testing::Message() << "seed " << run);
    TSequence(static_cast<unsigned>(run)).Run(300);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace quillet
