// The editor control's caret, selection and editing keys; see EditorEngine.h.
#include "core/caret/EditorEngine.h"

#include <algorithm>

#include "core/caret/EditorIndent.h"
#include "core/caret/EditorSearch.h"
#include "core/caret/EditorWords.h"

namespace quillet {
namespace {

constexpr std::string_view kCrLf = "\r\n";
// Rows a page key moves when no view says otherwise.
constexpr int kDefaultPageRows = 20;

bool HasLineEnd(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

int CharCount(std::string_view text) {
  int count = 0;
  for (std::size_t p = 0; p < text.size(); p += EditorCharLength(text, p)) ++count;
  return count;
}

}  // namespace

TEditorEngine::TEditorEngine(TEditorScreenStrings& store) : m_store(store) { m_store.AttachClient(*this); }

TEditorEngine::~TEditorEngine() { m_store.DetachClient(*this); }

// --- Options -----------------------------------------------------------------------

void TEditorEngine::CaretOptionsChanged() { PlaceCaret(m_row, m_column, TCaretTravel::Backward, TCaretMoveKind::Jump); }

void TEditorEngine::SetOverwrite(bool on) {
  m_overwrite = on;
  if (m_view) m_view->CaretMoved(TCaretMoveKind::Jump);
}

void TEditorEngine::SetTabSpaceCount(int value) {
  m_store.SetTabSpaceCount(value);
  CaretOptionsChanged();
}

// --- Caret -------------------------------------------------------------------------

void TEditorEngine::PlaceCaret(int row, int column, TCaretTravel travel, TCaretMoveKind kind) {
  m_row = std::clamp(row, 0, MaxCaretRow(m_store));
  // A box is a rectangle of columns: while one is being drawn its corner may
  // stand past the end of a short row.
  TEditorCaret rules = m_caret;
  if (m_selection.Anchored() && m_selection.Mode() == TSelectionMode::smBox) rules.FreeCaret = true;
  m_column = AdjustCaretColumn(m_store, rules, m_row, column, travel, m_remembered);
  if (m_view) m_view->CaretMoved(kind);
}

void TEditorEngine::PlaceAtPosition(const TEditorPosition& position) {
  const TRowColumn place = m_store.RowColumnOf(position);
  PlaceCaret(place.Row, place.Column, TCaretTravel::Backward, TCaretMoveKind::Edit);
}

void TEditorEngine::SetRow(int row) { PlaceCaret(row, m_column, TCaretTravel::Vertical, TCaretMoveKind::Jump); }

void TEditorEngine::SetColumn(int column) { PlaceCaret(m_row, column, TCaretTravel::Backward, TCaretMoveKind::Jump); }

void TEditorEngine::SetCaret(int row, int column) {
  PlaceCaret(row, column, TCaretTravel::Backward, TCaretMoveKind::Jump);
}

void TEditorEngine::BeforeMove(bool select) {
  if (select) {
    if (!m_selection.Anchored()) m_selection.SetAnchor(m_store.PositionOf(m_row, m_column));
  } else if (m_selection.Anchored()) {
    m_selection.Clear();
    if (m_view) m_view->SelectionChanged();
  }
}

void TEditorEngine::MoveLeft() {
  if (m_column > 0) {
    PlaceCaret(m_row, m_column - 1, TCaretTravel::Backward, TCaretMoveKind::Horizontal);
    return;
  }
  if (m_row == 0) return;
  const int above = m_row - 1;
  if (m_store.RowAttribute(above) == raWrapped || m_caret.NextLine)
    PlaceCaret(above, RowEnd(above), TCaretTravel::Backward, TCaretMoveKind::Horizontal);
}

void TEditorEngine::MoveRight() {
  const int end = RowEnd(m_row);
  if (m_column < end) {
    if (m_row < m_store.Count() && m_store.RowAttribute(m_row) == raWrapped) {
      // The end of a wrapped row is the next row's start: past the last
      // character the caret goes there.
      const TTextPoint at = PointOfColumn(m_store, m_row, m_column);
      int next = m_column + 1;
      const bool inTab = ColumnOfPoint(m_store, at) < m_column;
      if (!(m_caret.InTab && inTab) && at.Row == m_row) {
        const std::string_view row = m_store.Get(m_row);
        next = ColumnOfPoint(m_store, {m_row, at.Byte + static_cast<int>(EditorCharLength(row, static_cast<std::size_t>(at.Byte)))});
      }
      if (next >= end || at.Row != m_row) {
        PlaceCaret(m_row + 1, 0, TCaretTravel::Forward, TCaretMoveKind::Horizontal);
        return;
      }
    }
    PlaceCaret(m_row, m_column + 1, TCaretTravel::Forward, TCaretMoveKind::Horizontal);
    return;
  }
  if (m_caret.FreeCaret) {
    PlaceCaret(m_row, m_column + 1, TCaretTravel::Forward, TCaretMoveKind::Horizontal);
  } else if (m_caret.NextLine && m_row + 1 <= MaxCaretRow(m_store)) {
    PlaceCaret(m_row + 1, 0, TCaretTravel::Forward, TCaretMoveKind::Horizontal);
  }
}

void TEditorEngine::MoveCaret(TCaretCommand command, bool select) {
  BeforeMove(select);
  switch (command) {
    case TCaretCommand::Left: MoveLeft(); break;
    case TCaretCommand::Right: MoveRight(); break;
    case TCaretCommand::Up:
      PlaceCaret(m_row - 1, m_column, TCaretTravel::Vertical, TCaretMoveKind::Vertical);
      break;
    case TCaretCommand::Down:
      PlaceCaret(m_row + 1, m_column, TCaretTravel::Vertical, TCaretMoveKind::Vertical);
      break;
    case TCaretCommand::Home: PlaceCaret(m_row, 0, TCaretTravel::Backward, TCaretMoveKind::Horizontal); break;
    case TCaretCommand::End:
      PlaceCaret(m_row, RowEnd(m_row), TCaretTravel::Backward, TCaretMoveKind::Horizontal);
      break;
    case TCaretCommand::PageUp:
    case TCaretCommand::PageDown: {
      const int page = std::max(m_view ? m_view->PageRows() : kDefaultPageRows, 1);
      const int target = std::clamp(m_row + (command == TCaretCommand::PageUp ? -page : page), 0, MaxCaretRow(m_store));
      if (m_view) m_view->PageScrolled(target - m_row);
      PlaceCaret(target, m_column, TCaretTravel::Vertical, TCaretMoveKind::Page);
      break;
    }
    case TCaretCommand::TextStart: PlaceCaret(0, 0, TCaretTravel::Backward, TCaretMoveKind::Jump); break;
    case TCaretCommand::TextEnd: {
      const TTextPoint end = TextEndPoint(m_store);
      PlaceCaret(end.Row, ColumnOfPoint(m_store, end), TCaretTravel::Backward, TCaretMoveKind::Jump);
      break;
    }
    case TCaretCommand::WordLeft:
    case TCaretCommand::WordRight: {
      const TTextPoint to = command == TCaretCommand::WordLeft ? PrevWordPoint(m_store, CaretPoint())
                                                               : NextWordPoint(m_store, CaretPoint());
      PlaceCaret(to.Row, ColumnOfPoint(m_store, to), TCaretTravel::Backward, TCaretMoveKind::Horizontal);
      break;
    }
  }
  if (select && m_view) m_view->SelectionChanged();
}

void TEditorEngine::MoveCaretTo(int row, int column, bool select, TCaretMoveKind kind) {
  BeforeMove(select);
  PlaceCaret(row, column, TCaretTravel::Backward, kind);
  if (select && m_view) m_view->SelectionChanged();
}

// --- Selection ------------------------------------------------------------------

void TEditorEngine::SetSelectionMode(TSelectionMode mode) {
  if (mode == m_selection.Mode()) return;
  m_selection.SetMode(mode);
  if (m_view) m_view->SelectionChanged();
}

void TEditorEngine::ClearSelection() {
  if (!m_selection.Anchored()) return;
  m_selection.Clear();
  if (m_view) m_view->SelectionChanged();
}

void TEditorEngine::Select(TTextPoint anchor, TTextPoint caret) {
  m_selection.SetAnchor(PositionOfPoint(m_store, anchor));
  caret = Normalized(m_store, caret);
  PlaceCaret(caret.Row, ColumnOfPoint(m_store, caret), TCaretTravel::Backward, TCaretMoveKind::Jump);
  if (m_view) m_view->SelectionChanged();
}

void TEditorEngine::SelectAll() {
  if (m_selection.Mode() == TSelectionMode::smBox) {
    // The far corner past any row end, so the box spans every column.
    m_selection.SetAnchor(m_store.PositionOf(0, kMaxCaretColumn + 1));
    PlaceCaret(MaxCaretRow(m_store), 0, TCaretTravel::Backward, TCaretMoveKind::Jump);
    if (m_view) m_view->SelectionChanged();
    return;
  }
  Select({0, 0}, TextEndPoint(m_store));
}

void TEditorEngine::SelectWord() {
  const TTextRange word = WordAt(m_store, CaretPoint());
  Select(word.Start, word.End);
}

TRowSelection TEditorEngine::SelectedBytes(int row) const {
  TRowSelection result;
  if (!m_selection.Anchored() || row < 0 || row >= m_store.Count()) return result;
  const std::string_view text = m_store.Get(row);
  if (m_selection.Mode() == TSelectionMode::smBox) {
    const TBoxRect box = SelectionBox();
    if (box.Empty() || row < box.TopRow || row > box.BottomRow) return result;
    const auto [first, second] = BoxRowBytes(text, m_store.Layout(), box.LeftColumn, box.RightColumn);
    return {first, second, false};
  }
  const TTextRange range = SelectionRange();
  if (range.Empty() || row < range.Start.Row || row > range.End.Row) return result;
  result.First = row == range.Start.Row ? range.Start.Byte : 0;
  result.Second = row == range.End.Row ? range.End.Byte : static_cast<int>(text.size());
  result.LineEnd = row < range.End.Row && m_store.RowAttribute(row) == raCrlf;
  return result;
}

bool TEditorEngine::IsSelected(int row, int column) const {
  if (!m_selection.Anchored()) return false;
  if (m_selection.Mode() == TSelectionMode::smBox) {
    const TBoxRect box = SelectionBox();
    return !box.Empty() && row >= box.TopRow && row <= box.BottomRow && column >= box.LeftColumn &&
           column < box.RightColumn;
  }
  if (row < 0 || row >= m_store.Count()) return false;
  const TRowSelection part = SelectedBytes(row);
  const TRowOffset at = ColumnToByte(m_store.Get(row), column, m_store.Layout());
  if (at.Byte >= static_cast<int>(m_store.Get(row).size())) return part.LineEnd && at.Extra == 0;
  return at.Byte >= part.First && at.Byte < part.Second;
}

std::string TEditorEngine::SelectedText() const {
  if (!HasSelection()) return {};
  if (m_selection.Mode() == TSelectionMode::smBox) return BoxText(m_store, SelectionBox());
  return TextOfRange(m_store, SelectionRange());
}

// --- Editing ----------------------------------------------------------------------

void TEditorEngine::AfterEdit() {
  m_modified = true;
  if (m_view) {
    m_view->TextChanged();
    m_view->SelectionChanged();
  }
}

bool TEditorEngine::Replace(const TTextRange& range, std::string_view text, int padding) {
  bool changed = false;
  m_selection.Clear();
  const TEditorPosition after = ReplaceText(m_store, range, text, padding, &changed);
  if (!changed) {
    if (m_view) m_view->SelectionChanged();
    return false;
  }
  PlaceAtPosition(after);
  AfterEdit();
  return true;
}

bool TEditorEngine::DeleteSelectionOnly() {
  if (!HasSelection()) return false;
  if (m_selection.Mode() == TSelectionMode::smBox) {
    const TBoxRect box = SelectionBox();
    m_selection.Clear();
    if (!DeleteBox(m_store, box)) return false;
    PlaceCaret(box.TopRow, box.LeftColumn, TCaretTravel::Backward, TCaretMoveKind::Edit);
    AfterEdit();
    return true;
  }
  return Replace(SelectionRange(), {}, 0);
}

bool TEditorEngine::DeleteSelection() { return !m_readOnly && DeleteSelectionOnly(); }

bool TEditorEngine::ReplaceSelection(std::string_view text) {
  if (m_readOnly) return false;
  if (HasSelection()) {
    if (m_selection.Mode() == TSelectionMode::smNormal) return Replace(SelectionRange(), text, 0);
    // The box goes, then the text comes: one step, as every other replace.
    const TUndoGroup group(m_store.UndoObj());
    const bool deleted = DeleteSelectionOnly();
    return ReplaceSelection(text) || deleted;
  }
  if (text.empty()) return false;
  const TTextPoint at = CaretPoint();
  const int padding = at.Byte >= static_cast<int>(at.Row < m_store.Count() ? m_store.Get(at.Row).size() : 0)
                          ? m_column - ColumnOfPoint(m_store, at)
                          : 0;
  return Replace({at, at}, text, padding);
}

bool TEditorEngine::InsertText(std::string_view text) {
  if (m_readOnly || text.empty()) return false;
  if (!m_overwrite || HasSelection() || HasLineEnd(text)) return ReplaceSelection(text);
  // Overwrite: as many characters as typed, never a line end.
  const TTextPoint at = CaretPoint();
  TTextPoint end = at;
  for (int n = CharCount(text); n > 0; --n) {
    if (end.Row >= m_store.Count()) break;
    if (end.Byte >= static_cast<int>(m_store.Get(end.Row).size()) && m_store.RowAttribute(end.Row) != raWrapped) break;
    end = NextPoint(m_store, end);
  }
  if (end == at) return ReplaceSelection(text);
  return Replace({at, end}, text, 0);
}

bool TEditorEngine::Enter(bool shift) {
  if (m_readOnly) return false;
  if (m_overwrite && !shift) {
    ClearSelection();
    if (m_row + 1 <= MaxCaretRow(m_store))
      PlaceCaret(m_row + 1, 0, TCaretTravel::Forward, TCaretMoveKind::Horizontal);
    return false;
  }
  const bool selected = HasSelection() && m_selection.Mode() == TSelectionMode::smNormal;
  const TTextRange range = selected ? SelectionRange() : TTextRange{CaretPoint(), CaretPoint()};
  const TTextPoint at = range.Start;
  const int column = selected ? ColumnOfPoint(m_store, at) : m_column;
  if (!selected) ClearSelection();
  if (at.Row >= m_store.Count()) {
    if (!shift) return Replace(range, kCrLf, 0);
  }

  int indent = 0;
  if (m_caret.AutoIndent && at.Row < m_store.Count()) {
    const int first = m_store.FirstRowOfLine(at.Row);
    const int white = LeadingWhiteColumns(m_store.Get(first), m_store.Layout());
    indent = white;
    if (indent == 0 && m_caret.PrevSpaceIndent && at.Row == first && m_store.Get(at.Row).empty())
      indent = std::max(PrevSpaceIndent(m_store, first), 0);
    if (at.Row == first && column < white) indent = column;
  }
  const std::string indentText = IndentText(indent, m_caret.TabIndent, TabSpaceCount());
  if (!shift) return Replace(range, std::string(kCrLf) + indentText, 0);

  // Shift+Enter: an indented empty line above the current one.
  const TTextPoint lineStart =
      at.Row < m_store.Count() ? TTextPoint{m_store.FirstRowOfLine(at.Row), 0} : at;
  TEditorPosition target = PositionOfPoint(m_store, lineStart);
  m_selection.Clear();
  bool changed = false;
  ReplaceText(m_store, {lineStart, lineStart}, indentText + std::string(kCrLf), 0, &changed);
  if (!changed) return false;
  target.Byte = static_cast<int>(indentText.size());
  PlaceAtPosition(target);
  AfterEdit();
  return true;
}

bool TEditorEngine::Tab() {
  if (m_readOnly) return false;
  const TColumnLayout layout = m_store.Layout();
  if (m_overwrite) {
    ClearSelection();
    PlaceCaret(m_row, NextTabStop(m_column, layout), TCaretTravel::Forward, TCaretMoveKind::Horizontal);
    return false;
  }
  if (!m_caret.SoftTab) return ReplaceSelection("\t");
  const bool selected = HasSelection() && m_selection.Mode() == TSelectionMode::smNormal;
  const int column = selected ? ColumnOfPoint(m_store, SelectionRange().Start) : m_column;
  return ReplaceSelection(std::string(static_cast<std::size_t>(SoftTabSpaces(column, layout)), ' '));
}

bool TEditorEngine::BackSpace() {
  if (m_readOnly) return false;
  if (HasSelection()) return DeleteSelectionOnly();
  ClearSelection();
  const TTextPoint at = CaretPoint();
  const int atColumn = ColumnOfPoint(m_store, at);
  if (m_column > atColumn) {
    if (at.Row >= m_store.Count() || at.Byte >= static_cast<int>(m_store.Get(at.Row).size())) {
      // Past the row end: the caret only steps back through free space.
      PlaceCaret(m_row, m_column - 1, TCaretTravel::Backward, TCaretMoveKind::Horizontal);
      return false;
    }
    return Replace({at, NextPoint(m_store, at)}, {}, 0);  // inside a tab's filler: the tab goes
  }
  if (m_caret.BackSpaceUnIndent && m_column > 0 && m_row < m_store.Count() &&
      m_store.FirstRowOfLine(m_row) == m_row) {
    const std::string_view row = m_store.Get(m_row);
    if (IsAllWhite(row) || m_column == LeadingWhiteColumns(row, m_store.Layout())) {
      const int target = UnindentTarget(m_store, m_row, m_column);
      const TTextPoint from = PointOfColumn(m_store, m_row, target);
      return Replace({from, at}, {}, target - ColumnOfPoint(m_store, from));
    }
  }
  const TTextPoint before = PrevPoint(m_store, at);
  if (before == at) return false;
  return Replace({before, at}, {}, 0);
}

bool TEditorEngine::DeleteChar() {
  if (m_readOnly) return false;
  if (HasSelection()) return DeleteSelectionOnly();
  ClearSelection();
  const TTextPoint at = CaretPoint();
  const TTextPoint next = NextPoint(m_store, at);
  if (next == at) return false;
  const int atColumn = ColumnOfPoint(m_store, at);
  const bool pastEnd = at.Row < m_store.Count() && at.Byte >= static_cast<int>(m_store.Get(at.Row).size());
  // Joining the next line from free space pads the row up to the caret.
  return Replace({at, next}, {}, pastEnd ? m_column - atColumn : 0);
}

bool TEditorEngine::InsertBoxText(std::string_view text) {
  if (m_readOnly) return false;
  const std::vector<std::string> lines = BoxLines(NormalizeLineEnds(text));
  if (lines.empty()) return false;
  const TUndoGroup group(m_store.UndoObj());
  const bool deleted = DeleteSelectionOnly();
  m_selection.Clear();
  const int row = m_row;
  const int column = m_column;
  if (!InsertBox(m_store, row, column, lines)) return deleted;
  PlaceCaret(row, column, TCaretTravel::Backward, TCaretMoveKind::Edit);
  AfterEdit();
  return true;
}

bool TEditorEngine::MoveSelectionTo(int row, int column, bool copy) {
  if (m_readOnly || !HasSelection()) return false;
  if (m_selection.Mode() == TSelectionMode::smBox) {
    const TBoxRect box = SelectionBox();
    const bool inside = row >= box.TopRow && row <= box.BottomRow && column >= box.LeftColumn && column < box.RightColumn;
    if (inside) return false;
    const std::string text = BoxText(m_store, box);
    const TUndoGroup group(m_store.UndoObj());
    if (!copy) {
      DeleteSelectionOnly();
      if (row >= box.TopRow && row <= box.BottomRow && column >= box.RightColumn) column -= box.RightColumn - box.LeftColumn;
    }
    PlaceCaret(row, column, TCaretTravel::Backward, TCaretMoveKind::Jump);
    return InsertBoxText(text) || !copy;
  }

  const TTextRange range = SelectionRange();
  const TTextPoint target = PointOfColumn(m_store, row, column);
  if (range.Start < target && target < range.End) return false;
  if (!copy && (target == range.Start || target == range.End)) return false;
  const std::string text = TextOfRange(m_store, range);
  TTextRange changed;
  std::string replacement;
  TEditorPosition movedStart;
  if (copy) {
    changed = {target, target};
    replacement = text;
    movedStart = PositionOfPoint(m_store, target);
  } else if (target <= range.Start) {
    changed = {target, range.End};
    replacement = text + TextOfRange(m_store, {target, range.Start});
    movedStart = PositionOfPoint(m_store, target);
  } else {
    changed = {range.Start, target};
    const std::string between = TextOfRange(m_store, {range.End, target});
    replacement = between + text;
    movedStart = AdvancePosition(PositionOfPoint(m_store, range.Start), between);
  }
  m_selection.Clear();
  bool done = false;
  ReplaceText(m_store, changed, replacement, 0, &done);
  if (!done) return false;
  const TEditorPosition movedEnd = AdvancePosition(movedStart, text);
  m_selection.SetAnchor(movedStart);
  PlaceAtPosition(movedEnd);
  AfterEdit();
  return true;
}

bool TEditorEngine::Undo() {
  if (m_readOnly) return false;
  m_selection.Clear();
  if (!m_store.UndoObj().Undo()) return false;
  PlaceCaret(m_row, m_column, TCaretTravel::Backward, TCaretMoveKind::Jump);
  AfterEdit();
  return true;
}

bool TEditorEngine::Redo() {
  if (m_readOnly) return false;
  m_selection.Clear();
  if (!m_store.UndoObj().Redo()) return false;
  PlaceCaret(m_row, m_column, TCaretTravel::Backward, TCaretMoveKind::Jump);
  AfterEdit();
  return true;
}

void TEditorEngine::SetText(std::string_view text) {
  m_selection.Clear();
  m_remembered = -1;
  m_store.SetText(text);
  m_modified = false;
  PlaceCaret(0, 0, TCaretTravel::Backward, TCaretMoveKind::Jump);
  if (m_view) m_view->SelectionChanged();
}

bool TEditorEngine::Search(std::string_view text, bool forward, bool matchCase) {
  TTextPoint from = CaretPoint();
  if (HasSelection() && m_selection.Mode() == TSelectionMode::smNormal) {
    const TTextRange range = SelectionRange();
    from = forward ? range.End : range.Start;
  }
  const std::optional<TTextRange> hit = SearchText(m_store, text, from, forward, matchCase);
  if (!hit) return false;
  if (forward)
    Select(hit->Start, hit->End);
  else
    Select(hit->End, hit->Start);
  return true;
}

// --- TEditorClient ------------------------------------------------------------------

void TEditorEngine::HideCaret() {
  if (m_hideDepth++ == 0 && m_view) m_view->CaretShown(false);
}

void TEditorEngine::ShowCaret() {
  if (m_hideDepth > 0 && --m_hideDepth == 0 && m_view) m_view->CaretShown(true);
}

void TEditorEngine::RowsChanged(const TEditorUpdateInfo& info) {
  // The rows may have changed under the caret (another editor of the store,
  // the Lines view): keep it on a legal row until it is placed again.
  m_row = std::min(m_row, MaxCaretRow(m_store));
  if (m_view) m_view->RowsChanged(info);
}

void TEditorEngine::Reinitialize() {
  m_row = std::min(m_row, MaxCaretRow(m_store));
  if (m_view) m_view->Reinitialized();
}

void TEditorEngine::SetRedraw(bool on) {
  if (m_view) m_view->RedrawChanged(on);
}

}  // namespace quillet
