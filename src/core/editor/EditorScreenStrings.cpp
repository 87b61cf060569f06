// TEditorScreenStrings; see EditorScreenStrings.h.
#include "core/editor/EditorScreenStrings.h"

#include <algorithm>
#include <stdexcept>

#include "core/editor/WrapText.h"

namespace quillet {
namespace {

// About how many rows `text` takes when wrapped at `wrapByte` columns (0: not
// wrapped): one per line, and a line longer than the width one more for
// every three quarters of the width it holds, as word breaks shorten rows.
std::size_t EstimatedRows(std::string_view text, int wrapByte) {
  std::size_t rows = 0;
  const std::size_t width = wrapByte > 0 ? static_cast<std::size_t>(wrapByte) : 0;
  ForEachLine(text, [&](std::size_t begin, std::size_t end) {
    const std::size_t length = end - begin;
    rows += width == 0 || length <= width ? 1 : 1 + length * 4 / (width * 3);
  });
  return rows;
}

constexpr std::string_view kCrLf = "\r\n";

// Index of the span holding byte `offset` of the line they cut (a byte that
// ends one span and starts the next belongs to the next).
std::size_t SpanAt(std::span<const TRowSpan> spans, std::size_t first, std::size_t offset) {
  std::size_t i = first;
  while (i + 1 < spans.size() && spans[i + 1].Offset <= offset) ++i;
  return i;
}

}  // namespace

TEditorScreenStrings::TEditorScreenStrings() : m_undo(*this) {
  m_wrapOption.SetOnChange([this] {
    if (!m_wordWrap) return;
    const std::vector<TEditorPosition> places = CaretPlaces();  // in the cut the rows still have
    Rebuild(places);
  });
}

TEditorScreenStrings::~TEditorScreenStrings() { m_wrapOption.SetOnChange(nullptr); }

// --- Clients -------------------------------------------------------------------

void TEditorScreenStrings::AttachClient(TEditorClient& client) {
  if (std::find(m_clients.begin(), m_clients.end(), &client) == m_clients.end()) m_clients.push_back(&client);
}

void TEditorScreenStrings::DetachClient(TEditorClient& client) {
  m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), &client), m_clients.end());
}

TEditorClient* TEditorScreenStrings::ActiveClient() const {
  for (TEditorClient* client : m_clients) {
    if (client->HasFocus()) return client;
  }
  return Owner();
}

void TEditorScreenStrings::NotifyRowsChanged() {
  const std::vector<TEditorClient*> clients = m_clients;  // a client may detach meanwhile
  for (TEditorClient* client : clients) client->RowsChanged(m_updateInfo);
}

void TEditorScreenStrings::NotifyReinitialize() {
  const std::vector<TEditorClient*> clients = m_clients;
  for (TEditorClient* client : clients) client->Reinitialize();
}

// --- Lines of rows -----------------------------------------------------------

int TEditorScreenStrings::FirstRowOfLine(int row) const {
  row = std::clamp(row, 0, Count());
  while (row > 0 && RowAttribute(row - 1) == raWrapped) --row;
  return row;
}

int TEditorScreenStrings::LastRowOfLine(int row) const {
  if (row < 0) return row;
  const int last = Count() - 1;
  row = std::min(row, last);
  while (row >= 0 && row < last && RowAttribute(row) == raWrapped) ++row;
  return row;
}

TEditorScreenStrings::TRowsText TEditorScreenStrings::GetRowsText(int index, int count) const {
  TRowsText result;
  if (index < 0 || index >= Count() || count == 0 || count < -1) return result;
  const int last = count == -1 ? LastRowOfLine(index) : std::min(index + count - 1, Count() - 1);
  std::size_t bytes = 0;
  for (int row = index; row <= last; ++row) bytes += Get(row).size() + 2;
  result.Text.reserve(bytes);
  for (int row = index; row <= last; ++row) {
    result.Text += Get(row);
    if (RowAttribute(row) == raCrlf) result.Text += kCrLf;
  }
  result.LastAttribute = RowAttribute(last);
  result.RowCount = last - index + 1;
  return result;
}

void TEditorScreenStrings::WrapText(std::string_view text, TRowAttributeStringList& target) const {
  std::vector<TRowSpan> spans;
  TRowCutter(m_wrapOption, m_tabSpaceCount, m_wordWrap).CutText(text, spans);
  target.AppendRows(text, spans);
}

int TEditorScreenStrings::Reparse(int row, bool notify) {
  const TReparsed parsed = m_parser && Count() > 0 ? m_parser->Reparse(std::clamp(row, 0, Count() - 1)) : TReparsed{};
  if (notify && parsed.Count > 0) {
    m_updateInfo = {parsed.First, parsed.Count, parsed.Count, parsed.Count, true, parsed.First};
    NotifyRowsChanged();
  }
  return parsed.Count;
}

int TEditorScreenStrings::LinesCount() const { return m_wordWrap ? LineCount() : Count(); }

int TEditorScreenStrings::RowOfLineIndex(int line) const { return FirstRowOf(std::max(line, 0)); }

void TEditorScreenStrings::StartOf(int row, int& line, int& byte) const {
  byte = 0;
  if (row >= Count()) {
    line = LineCount();
    return;
  }
  line = LineOf(row);
  for (int r = FirstRowOfLine(row); r < row; ++r) byte += RowLength(r);
}

// --- The editing primitive -----------------------------------------------------

bool TEditorScreenStrings::UpdateRows(int index, int count, std::string_view text) {
  const int rows = Count();
  if (index < 0 || count < 0 || index > rows || count > rows - index) return false;
  if (count == 0 && text.empty()) return false;
  const int lastReplaced = index + count - 1;

  // Pure deletion of whole lines.
  if (text.empty() && FirstRowOfLine(index) == index && LastRowOfLine(lastReplaced) == lastReplaced) {
    Changing();
    TUndoData& record = m_undo.NewRecord();
    StartOf(index, record.StartLine, record.StartByte);
    TRowsText old = GetRowsText(index, count);
    record.OldText = std::move(old.Text);
    record.LastRowAttribute = old.LastAttribute;
    record.NewLineCount = 0;
    DeleteRowsCarryingMarks(index, count);
    Finish(index, count, 0);
    return true;
  }

  // The row before the edit takes part when it belongs to the same line,
  // since the edit may move its break. Text put after a last row without a
  // line end continues that row's line (rather than leaving a raEof row in
  // the middle of the store).
  int start = std::max(FirstRowOfLine(index), index - 1);
  if (index == rows && rows > 0 && RowAttribute(rows - 1) != raCrlf) {
    // The edit is at the end of the last row, so the row before that one
    // takes part too (the last row may be short, even empty).
    start = std::max(FirstRowOfLine(rows - 1), rows - 2);
  }
  int last = LastRowOfLine(lastReplaced);
  TRowAttribute attribute;
  if (last > lastReplaced) {
    attribute = RowAttribute(last);
  } else if (last == rows - 1) {
    // A final lone CR ends the line as much as LF does; it must not vanish.
    attribute = EndsWithLineEnd(text) ? raCrlf : raEof;
  } else {
    last = LastRowOfLine(last + 1);
    attribute = RowAttribute(last);
  }

  // The new text, and where each old row's first byte lands in it (rows
  // the edit replaces land where the new text starts).
  std::string source;
  {
    std::size_t bytes = text.size();
    for (int row = start; row <= last; ++row) bytes += Get(row).size() + 2;
    source.reserve(bytes);
  }
  m_offsets.clear();
  for (int row = start; row < index; ++row) {
    m_offsets.push_back(source.size());
    source += Get(row);
    if (RowAttribute(row) == raCrlf) source += kCrLf;
  }
  for (int row = index; row < index + count; ++row) m_offsets.push_back(source.size());
  source += text;
  for (int row = index + count; row <= last; ++row) {
    m_offsets.push_back(source.size());
    source += Get(row);
    if (RowAttribute(row) == raCrlf) source += kCrLf;
  }
  // The old last row may be the empty raEof row after a last line that
  // filled its row exactly; it adds no bytes, so a line end at the end of
  // `text` is the text's last byte and must stay a line end.
  if (attribute == raEof && EndsWithLineEnd(source)) attribute = raCrlf;

  Changing();
  TUndoData& record = m_undo.NewRecord();
  StartOf(start, record.StartLine, record.StartByte);
  TRowsText old = GetRowsText(start, last - start + 1);
  record.OldText = std::move(old.Text);
  record.LastRowAttribute = old.LastAttribute;

  m_spans.clear();
  TRowCutter(m_wrapOption, m_tabSpaceCount, m_wordWrap).CutText(source, m_spans);
  if (!m_spans.empty()) m_spans.back().Attribute = attribute;
  record.NewLineCount = static_cast<int>(
      std::count_if(m_spans.begin(), m_spans.end(), [](const TRowSpan& s) { return s.Attribute != raWrapped; }));
  const int oldCount = last - start + 1;
  ReplaceRowRange(start, oldCount, source, m_spans, m_offsets);
  Finish(start, oldCount, static_cast<int>(m_spans.size()));
  return true;
}

void TEditorScreenStrings::ReplaceRowRange(int start, int oldCount, std::string_view source,
                                           std::span<const TRowSpan> rows,
                                           std::span<const std::size_t> oldOffsets) {
  const int newCount = static_cast<int>(rows.size());
  if (newCount == 0) {
    DeleteRowsCarryingMarks(start, oldCount);
    return;
  }
  // Marks and objects of the old rows, by the new row holding their first byte.
  m_carry.assign(rows.size(), TCarry{});
  for (int i = 0; i < oldCount; ++i) {
    const TRowMarks marks = Marks(start + i);
    void* object = TheStringList::Object(start + i);
    if (marks == 0 && object == nullptr) continue;
    TCarry& carry = m_carry[SpanAt(rows, 0, oldOffsets[static_cast<std::size_t>(i)])];
    carry.Marks = static_cast<TRowMarks>(carry.Marks | marks);
    if (carry.Object == nullptr) carry.Object = object;
  }

  const std::uint32_t base = StoreBytes(source);
  const int common = std::min(oldCount, newCount);
  std::size_t used = 0;
  for (int i = 0; i < common; ++i) {
    const TRowSpan& span = rows[static_cast<std::size_t>(i)];
    const int row = start + i;
    SetStoredText(row, base + static_cast<std::uint32_t>(span.Offset), span.Length);
    SetStateText(row, {});
    SetObject(row, nullptr);
    SetWords(row, span.Attribute, 0);  // parse state "not parsed", marks below
    used += span.Length;
  }
  if (oldCount > newCount) {
    EraseRows(start + newCount, oldCount - newCount);
  } else if (newCount > oldCount) {
    const auto extra = rows.subspan(static_cast<std::size_t>(oldCount));
    for (const TRowSpan& span : extra) used += span.Length;
    InsertStoredRows(start + oldCount, base, extra);
  }
  for (int i = 0; i < newCount; ++i) {
    const TCarry& carry = m_carry[static_cast<std::size_t>(i)];
    if (carry.Marks != 0) SetMarks(start + i, carry.Marks);
    if (carry.Object != nullptr) SetObject(start + i, carry.Object);
  }
  AddGarbage(source.size() - std::min(used, source.size()));
}

void TEditorScreenStrings::DeleteRowsCarryingMarks(int index, int count) {
  TRowMarks carried = 0;
  for (int row = index; row < index + count; ++row) carried |= Marks(row);
  EraseRows(index, count);
  if (carried != 0 && Count() > 0) {
    const int target = std::min(index, Count() - 1);
    SetMarks(target, static_cast<TRowMarks>(Marks(target) | carried));
  }
}

void TEditorScreenStrings::Finish(int start, int oldCount, int newCount) {
  const TReparsed parsed = m_parser && Count() > 0 ? m_parser->Reparse(std::min(start, Count() - 1)) : TReparsed{};
  m_updateInfo = {start, oldCount, newCount, parsed.Count, true, parsed.Count > 0 ? parsed.First : 0};
  Changed();
  NotifyRowsChanged();
  MaybeCompact();
}

// --- Undo support ----------------------------------------------------------------

bool TEditorScreenStrings::RestoreRecord(const TUndoData& record, TUndoData& opposite) {
  const int lines = LineCount();
  const int line = record.StartLine;
  if (line < 0 || line > lines || record.StartByte < 0 || record.NewLineCount < 0) return false;

  // Find the rows that now hold the record's text: from the row holding its
  // start byte (one row earlier when that row continues a line, as an edit
  // re-cuts it) to the end of its NewLineCount lines.
  int startRow = Count();
  int startRowByte = 0;
  if (line < lines) {
    int row = FirstRowOf(line);
    const int lineLast = LastRowOfLine(row);
    while (row < lineLast && startRowByte + RowLength(row) <= record.StartByte) {
      startRowByte += RowLength(row);
      ++row;
    }
    if (record.StartByte > startRowByte + RowLength(row)) return false;
    if (row > 0 && RowAttribute(row - 1) == raWrapped) {
      --row;
      startRowByte -= RowLength(row);
    }
    startRow = row;
  } else if (record.StartByte != 0) {
    return false;
  }
  int endRow = startRow - 1;
  if (record.NewLineCount > 0) {
    const int lastLine = line + record.NewLineCount - 1;
    if (lastLine >= lines) return false;
    endRow = LastRowOfLine(FirstRowOf(lastLine));
  } else if (record.StartByte != 0) {
    return false;
  }
  const auto prefixLength = static_cast<std::size_t>(record.StartByte - startRowByte);

  TRowsText now = GetRowsText(startRow, endRow - startRow + 1);
  if (now.Text.size() < prefixLength) return false;
  const std::string prefix = now.Text.substr(0, prefixLength);
  if (record.LastRowAttribute == raInvalid && !prefix.empty()) return false;

  std::string source = prefix + record.OldText;
  m_spans.clear();
  if (record.LastRowAttribute != raInvalid) {
    TRowCutter(m_wrapOption, m_tabSpaceCount, m_wordWrap).CutText(source, m_spans);
    if (record.LastRowAttribute == raWrapped && !m_spans.empty() && m_spans.back().Length == 0) m_spans.pop_back();
    if (!m_spans.empty()) m_spans.back().Attribute = record.LastRowAttribute;
  }

  opposite.StartLine = line;
  opposite.StartByte = record.StartByte;
  opposite.NewLineCount = static_cast<int>(
      std::count_if(m_spans.begin(), m_spans.end(), [](const TRowSpan& s) { return s.Attribute != raWrapped; }));
  opposite.LastRowAttribute = record.NewLineCount > 0 ? now.LastAttribute : raInvalid;
  opposite.OldText = now.Text.substr(prefixLength);

  // Rows before the record's start keep their bytes; the others stood
  // where the old text now starts.
  m_offsets.clear();
  for (int row = startRow, offset = 0; row <= endRow; ++row) {
    m_offsets.push_back(static_cast<std::size_t>(std::min(offset, static_cast<int>(prefixLength))));
    offset += RowLength(row) + (RowAttribute(row) == raCrlf ? 2 : 0);
  }
  Changing();
  const int oldCount = endRow - startRow + 1;
  ReplaceRowRange(startRow, oldCount, source, m_spans, m_offsets);
  Finish(startRow, oldCount, static_cast<int>(m_spans.size()));
  return true;
}

// --- Caret places ------------------------------------------------------------------

TEditorPosition TEditorScreenStrings::PositionOf(int row, int column) const {
  row = std::max(row, 0);
  column = std::max(column, 0);
  if (row >= Count()) return {LineCount(), 0, column};
  TEditorPosition position;
  StartOf(row, position.Line, position.Byte);
  const TRowOffset offset = ColumnToByte(Get(row), column, Layout());
  position.Byte += offset.Byte;
  position.Extra = offset.Extra;
  return position;
}

TRowColumn TEditorScreenStrings::RowColumnOf(const TEditorPosition& position) const {
  if (position.Line < 0) return {0, 0};
  if (position.Line >= LineCount()) return {Count(), std::max(position.Extra, 0)};
  int row = FirstRowOf(position.Line);
  const int lineLast = LastRowOfLine(row);
  int rowByte = 0;
  const int byte = std::max(position.Byte, 0);
  while (row < lineLast && rowByte + RowLength(row) <= byte) {
    rowByte += RowLength(row);
    ++row;
  }
  const int inRow = std::min(byte - rowByte, RowLength(row));
  const int beyond = byte - rowByte - inRow;
  return {row, ByteToColumn(Get(row), inRow, Layout()) + beyond + std::max(position.Extra, 0)};
}

TCaretStamp TEditorScreenStrings::ActiveCaretStamp() const {
  const TEditorClient* client = ActiveClient();
  return client ? StampOf(client->CaretRow(), client->CaretColumn()) : StampOf(0, 0);
}

void TEditorScreenStrings::MoveCaret(TEditorClient& client, const TCaretStamp& stamp) const {
  if (PositionOf(stamp.Row, stamp.Column) == stamp.Position) {
    client.SetCaret(stamp.Row, stamp.Column);
  } else {
    const TRowColumn place = RowColumnOf(stamp.Position);
    client.SetCaret(place.Row, place.Column);
  }
}

// --- The whole text -------------------------------------------------------------

std::string TEditorScreenStrings::Text() const {
  std::size_t bytes = 0;
  for (int row = 0; row < Count(); ++row) bytes += Get(row).size() + 2;
  std::string text;
  text.reserve(bytes);
  for (int row = 0; row < Count(); ++row) {
    text += Get(row);
    if (RowAttribute(row) == raCrlf) text += kCrLf;
  }
  return text;
}

void TEditorScreenStrings::SetText(std::string_view text) {
  if (text.size() > kMaxBytes) throw std::length_error("editor text beyond 2 GiB");
  // Cut a piece at a time into rows reserved for an estimate that errs
  // high: a reservation no row uses is never touched, so it costs no memory.
  TRowCutter cutter(m_wrapOption, m_tabSpaceCount, m_wordWrap);
  TEditorStringList fresh;
  fresh.AppendCutText(text, EstimatedRows(text, m_wordWrap ? m_wrapOption.WrapByte() : 0),
                      [&](std::string_view piece, std::vector<TRowSpan>& spans) {
                        cutter.CutText(piece, spans);
                        const bool last = piece.data() + piece.size() == text.data() + text.size();
                        if (last && !spans.empty() && !EndsWithLineEnd(text)) spans.back().Attribute = raEof;
                      });

  m_cutWrapByte = m_wrapOption.WrapByte();
  Changing();
  const int oldCount = Count();
  SwapRows(fresh);
  RecountRows();
  m_undo.Clear();
  const std::vector<TEditorClient*> clients = m_clients;
  for (TEditorClient* client : clients) client->SetCaret(0, 0);
  if (m_parser) m_parser->ParseAll();
  m_updateInfo = {0, oldCount, Count(), 0, true};
  Changed();
  NotifyRowsChanged();
  NotifyReinitialize();
}

// --- Wrapping ----------------------------------------------------------------------

std::vector<TEditorPosition> TEditorScreenStrings::CaretPlaces() const {
  std::vector<TEditorPosition> places;
  for (const TEditorClient* client : m_clients) places.push_back(PositionOf(client->CaretRow(), client->CaretColumn()));
  return places;
}

void TEditorScreenStrings::SetWordWrap(bool on) {
  if (on == m_wordWrap) return;
  const std::vector<TEditorPosition> places = CaretPlaces();
  m_wordWrap = on;
  Rebuild(places);
}

void TEditorScreenStrings::SetTabSpaceCount(int value) {
  value = ClampTabWidth(value);
  if (value == m_tabSpaceCount) return;
  const std::vector<TEditorPosition> places = CaretPlaces();
  m_tabSpaceCount = value;
  if (m_wordWrap) Rebuild(places);
}

void TEditorScreenStrings::Rebuild(const std::vector<TEditorPosition>& places) {
  m_cutWrapByte = m_wrapOption.WrapByte();
  TEditorStringList fresh;
  fresh.SetCapacity(Count());
  TRowCutter cutter(m_wrapOption, m_tabSpaceCount, m_wordWrap);
  std::string joined;
  std::vector<TRowSpan> spans;
  const int rows = Count();
  for (int first = 0; first < rows;) {
    const int last = LastRowOfLine(first);
    std::string_view line;
    if (first == last) {
      line = Get(first);
    } else {
      joined.clear();
      for (int row = first; row <= last; ++row) joined += Get(row);
      line = joined;
    }
    spans.clear();
    cutter.CutLine(line, 0, line.size(), spans);
    if (last == rows - 1) {
      const TRowAttribute end = RowAttribute(last);
      spans.back().Attribute = end == raWrapped ? raEof : end;
    }
    const int base = fresh.Count();
    fresh.AppendRows(line, spans);
    // Marks and objects go to the new row holding the old row's first byte.
    std::size_t offset = 0;
    for (int row = first; row <= last; ++row) {
      const TRowMarks marks = Marks(row);
      void* object = TheStringList::Object(row);
      if (marks != 0 || object != nullptr) {
        const int target = base + static_cast<int>(SpanAt(spans, 0, offset));
        if (marks != 0) fresh.SetMarks(target, static_cast<TRowMarks>(fresh.Marks(target) | marks));
        if (object != nullptr && fresh.Object(target) == nullptr) fresh.PutObject(target, object);
      }
      offset += Get(row).size();
    }
    first = last + 1;
  }

  Changing();
  const int oldCount = Count();
  SwapRows(fresh);
  RecountRows();
  if (m_parser) m_parser->ParseAll();
  m_updateInfo = {0, oldCount, Count(), 0, true};
  Changed();
  NotifyRowsChanged();
  NotifyReinitialize();
  const std::vector<TEditorClient*> clients = m_clients;
  for (std::size_t i = 0; i < clients.size() && i < places.size(); ++i) {
    const TRowColumn place = RowColumnOf(places[i]);
    clients[i]->SetCaret(place.Row, place.Column);
  }
}

// --- Marks --------------------------------------------------------------------------

void TEditorScreenStrings::PutMark(int row, int mark) {
  CheckIndex(row);
  if (mark < 0 || mark >= kRowMarkCount) return;
  const auto bit = static_cast<TRowMarks>(1u << mark);
  if (mark < kUniqueRowMarks) {
    const int holder = FirstRowWithMark(mark);
    if (holder >= 0) SetMarks(holder, static_cast<TRowMarks>(Marks(holder) & ~bit));
  }
  SetMarks(row, static_cast<TRowMarks>(Marks(row) | bit));
}

void TEditorScreenStrings::DeleteMark(int row, int mark) {
  CheckIndex(row);
  if (mark < 0 || mark >= kRowMarkCount) return;
  SetMarks(row, static_cast<TRowMarks>(Marks(row) & ~(1u << mark)));
}

int TEditorScreenStrings::FirstRowWithMark(int mark) const {
  if (mark < 0 || mark >= kRowMarkCount || RowsWithMark(mark) == 0) return -1;
  for (int row = 0; row < Count(); ++row) {
    if (Marks(row) >> mark & 1) return row;
  }
  return -1;
}

bool TEditorScreenStrings::GotoMark(int mark) {
  const int row = FirstRowWithMark(mark);
  if (row < 0) return false;
  if (TEditorClient* client = ActiveClient()) client->SetCaret(row, client->CaretColumn());
  return true;
}

// --- Raw row operations -------------------------------------------------------------

void TEditorScreenStrings::AfterRawChange(int start, int oldCount, int newCount) {
  m_undo.Clear();
  // A raw change keeps the parse state words of the rows it touched, so
  // the row after it is parsed again like after an edit.
  const TReparsed parsed = m_parser && Count() > 0 ? m_parser->Reparse(std::min(start, Count() - 1)) : TReparsed{};
  m_updateInfo = {start, oldCount, newCount, parsed.Count, true, parsed.Count > 0 ? parsed.First : 0};
  NotifyRowsChanged();
}

void TEditorScreenStrings::Put(int index, std::string_view text) {
  TRowAttributeStringList::Put(index, text);
  AfterRawChange(index, 1, 1);
}

void TEditorScreenStrings::Insert(int index, std::string_view text) {
  TRowAttributeStringList::Insert(index, text);
  AfterRawChange(index, 0, 1);
}

void TEditorScreenStrings::Delete(int index) {
  CheckIndex(index);
  Changing();
  DeleteRowsCarryingMarks(index, 1);
  Changed();
  AfterRawChange(index, 1, 0);
  MaybeCompact();
}

void TEditorScreenStrings::PutItem(int index, const TheStringItem& item) {
  TRowAttributeStringList::PutItem(index, item);
  AfterRawChange(index, 1, 1);
}

void TEditorScreenStrings::InsertItem(int index, const TheStringItem& item) {
  TRowAttributeStringList::InsertItem(index, item);
  AfterRawChange(index, 0, 1);
}

void TEditorScreenStrings::Clear() {
  const int oldCount = Count();
  TRowAttributeStringList::Clear();
  m_undo.Clear();
  const std::vector<TEditorClient*> clients = m_clients;
  for (TEditorClient* client : clients) client->SetCaret(0, 0);
  m_updateInfo = {0, oldCount, 0, 0, true};
  NotifyRowsChanged();
  NotifyReinitialize();
}

}  // namespace quillet
