// The editor control; see HEditor.h.
#include "gui/editor/HEditor.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QScrollBar>
#include <QStyleHints>
#include <QtMath>
#include <algorithm>

#include "gui/editor/EditorClipboard.h"
#include "gui/editor/EditorController.h"
#include "gui/editor/EditorPainter.h"

namespace quillet {
namespace {

// The right-pointing arrow over the line-number bar: the usual arrow,
// mirrored, so it points at the row a click there selects.
QCursor RightArrowCursor() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QPolygon arrow({QPoint(15, 0), QPoint(15, 11), QPoint(12, 8), QPoint(10, 13), QPoint(8, 12), QPoint(10, 7),
                        QPoint(6, 7)});
  painter.setPen(Qt::white);
  painter.setBrush(Qt::black);
  painter.drawPolygon(arrow);
  painter.end();
  return QCursor(pixmap, 15, 0);
}

}  // namespace

TEditor::TEditor(QWidget* parent, std::shared_ptr<TEditorScreenStrings> store)
    : QAbstractScrollArea(parent),
      m_store(store ? std::move(store) : std::make_shared<TEditorScreenStrings>()),
      m_lines(*m_store),
      m_engine(*m_store),
      m_painter(std::make_unique<TEditorPainter>(*this)),
      m_controller(std::make_unique<TEditorController>(*this)) {
  m_engine.SetView(this);
  m_cursors.LeftMarginCursor = RightArrowCursor();
  setFont(QFont(QStringLiteral("FixedSys"), 9));
  resize(185, 89);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setCursor(m_cursors.DefaultCursor);
  viewport()->setMouseTracking(true);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  const int flash = QGuiApplication::styleHints()->cursorFlashTime();
  m_blink.setInterval(flash > 0 ? flash / 2 : 0);
  connect(&m_blink, &QTimer::timeout, this, [this] {
    m_blinkOn = !m_blinkOn;
    RepaintCaretArea(Row());
  });
  MetricsChanged();
}

TEditor::~TEditor() { m_engine.SetView(nullptr); }

// --- Text and options ---------------------------------------------------------------

void TEditor::SetText(const std::string& bytes) {
  // The view goes to the top first: the highlighter parses the new rows
  // from the top down to twice the window's height below the top row.
  ScrollTo(0, 0);
  m_engine.SetText(bytes);
  ScrollTo(0, 0);
  UpdateScrollRanges();
  viewport()->update();
}

void TEditor::SetModified(bool modified) { m_engine.SetModified(modified); }

void TEditor::SetCaret(const TEditorCaret& caret) {
  m_engine.Caret() = caret;
  m_engine.CaretOptionsChanged();
}

void TEditor::SetTabSpaceCount(int value) {
  m_engine.SetTabSpaceCount(value);
  viewport()->update();
}

void TEditor::SetWordWrap(bool on) {
  m_store->SetWordWrap(on);
  UpdateScrollRanges();
  ScrollCaret();
  viewport()->update();
}

void TEditor::SetReadOnly(bool on) { m_engine.SetReadOnly(on); }

void TEditor::SetOverwrite(bool on) {
  if (on == m_engine.Overwrite()) return;
  m_engine.SetOverwrite(on);
  emit OverwriteChanged(on);
}

void TEditor::SetScrollBars(bool horizontal, bool vertical) {
  setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void TEditor::SetMarks(const TEditorMarks& marks) {
  m_marks = marks;
  Relayout();  // the wrap mark takes a column of the window-edge fit
  viewport()->update();
}

void TEditor::SetMargin(const TEditorMargin& margin) {
  m_margin = margin;
  MetricsChanged();
}

void TEditor::SetLeftbar(const TEditorLeftbar& leftbar) {
  m_leftbar = leftbar;
  MetricsChanged();
}

void TEditor::SetRuler(const TEditorRuler& ruler) {
  m_ruler = ruler;
  MetricsChanged();
}

void TEditor::SetImagebar(const TEditorImagebar& imagebar) {
  m_imagebar = imagebar;
  MetricsChanged();
}

void TEditor::SetTextColors(const TEditorTextColors& colors) {
  m_colors = colors;
  viewport()->update();
}

void TEditor::SetRowParser(TFountainRowParser* parser) {
  m_parser = parser;
  viewport()->update();
}

void TEditor::SetTokenLooks(const TTokenLooks& looks) {
  m_looks = looks;
  viewport()->update();
}

// --- Caret and view ----------------------------------------------------------------------

void TEditor::SetRow(int row) { m_engine.SetRow(row); }
void TEditor::SetCol(int column) { m_engine.SetColumn(column); }
void TEditor::SetRowCol(int row, int column) { m_engine.MoveCaretTo(row, column, false); }

void TEditor::SetTopRow(int row) { verticalScrollBar()->setValue(std::clamp(row, 0, verticalScrollBar()->maximum())); }

void TEditor::SetTopCol(int column) {
  horizontalScrollBar()->setValue(std::clamp(column, 0, horizontalScrollBar()->maximum()));
}

void TEditor::ScrollTo(int topRow, int topCol) {
  SetTopRow(topRow);
  SetTopCol(topCol);
  const int bar = horizontalScrollBar()->value();
  SetLeftColumn(!m_preedit.isEmpty() && topCol > bar ? topCol : bar);
}

void TEditor::SetLeftColumn(int column) {
  if (column == m_topCol) return;
  m_topCol = column;
  viewport()->update();
  if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
  emit TopColChanged();
}

void TEditor::ScrollCaret() {
  const int rows = m_layout.VisibleRows();
  const int columns = m_layout.VisibleColumns();
  int top = m_topRow;
  const int row = Row();
  if (row < top) top = row;
  else if (row >= top + rows) top = row - rows + 1;
  // Without a pre-edit all three are the caret's column. With one, its end
  // and its start come into view as far as they fit, its cursor always.
  const int start = Col();
  const int cursor = start + PreeditColumns(m_preeditCursor);
  const int end = start + PreeditColumns(static_cast<int>(m_preedit.size()));
  int left = m_topCol;
  if (end >= left + columns) left = end - columns + 1;
  if (start < left) left = start;
  left = std::clamp(left, cursor - columns + 1, cursor);
  ScrollTo(top, left);
}

QRect TEditor::CaretRect() const {
  const int x = qRound(m_layout.ColumnX(Col(), m_topCol));
  const int y = m_layout.RowY(Row(), m_topRow);
  const int height = m_layout.FontHeight();
  const int cell = std::max(qRound(m_layout.CellWidth()), 2);
  if (m_engine.Overwrite()) {
    // Over the character under the caret: two cells for a full-width one.
    const TTextPoint at = m_engine.CaretPoint();
    const TTextPoint next = NextPoint(*m_store, at);
    int width = 1;
    if (next.Row == at.Row && next.Byte > at.Byte) width = ColumnOfPoint(*m_store, next) - ColumnOfPoint(*m_store, at);
    return QRect(x, y, cell * std::clamp(width, 1, 2), height);
  }
  if (m_engine.Caret().Style == TCaretStyle::csBrief) return QRect(x, y + height * 3 / 4, cell, std::max(height / 4, 2));
  return QRect(x, y, 2, height);
}

QPoint TEditor::CellAt(QPoint point, bool nearest) const { return m_controller->CellAt(point, nearest); }

bool TEditor::CaretVisibleNow() const { return hasFocus() && m_caretShown && m_blinkOn; }

int TEditor::PreeditColumns(int index) const {
  const int last = static_cast<int>(m_preeditColumns.size()) - 1;
  return m_preeditColumns[static_cast<std::size_t>(std::clamp(index, 0, last))];
}

void TEditor::SetPreedit(const QString& text, const QList<QInputMethodEvent::Attribute>& attributes) {
  m_preedit = text;
  m_preeditAttributes = attributes;
  m_preeditCursor = static_cast<int>(text.size());
  m_preeditCursorShown = true;
  for (const QInputMethodEvent::Attribute& attribute : attributes) {
    if (attribute.type != QInputMethodEvent::Cursor) continue;
    m_preeditCursor = std::clamp(attribute.start, 0, static_cast<int>(text.size()));
    m_preeditCursorShown = attribute.length > 0;
  }
  // A character takes the columns it will take once committed, so the text
  // pushed aside lands where it will stay; one the code page cannot hold
  // (it will be refused) takes the cells its glyph covers.
  m_preeditColumns.assign(1, 0);
  const QFontMetricsF metrics(font());
  int columns = 0;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype units = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    const QString character = text.mid(i, units);
    std::string bytes;
    int width = 0;
    if (InputToBytes(character, bytes) && !bytes.empty()) width = std::min(static_cast<int>(bytes.size()), 2);
    else width = std::max(qCeil(metrics.horizontalAdvance(character) / m_layout.CellWidth() - 0.1), 1);
    if (units == 2) m_preeditColumns.push_back(columns);
    columns += width;
    m_preeditColumns.push_back(columns);
    i += units;
  }
}

void TEditor::ClearPreedit() {
  if (m_preedit.isEmpty()) return;
  SetPreedit(QString(), {});
  RepaintCaretArea(Row());
  SetLeftColumn(horizontalScrollBar()->value());
}

void TEditor::CommitPreedit() {
  if (m_preedit.isEmpty()) return;
  // An input method that keeps its own pre-edit sends it back as a commit.
  if (hasFocus()) QGuiApplication::inputMethod()->commit();
  if (m_preedit.isEmpty()) return;
  const QString text = m_preedit;
  ClearPreedit();
  // The input method must not send the same text again later.
  if (hasFocus()) QGuiApplication::inputMethod()->reset();
  InsertUnicode(text);
}

void TEditor::RestartBlink() {
  m_blinkOn = true;
  if (m_blink.interval() > 0 && hasFocus()) m_blink.start();
}

void TEditor::RepaintCaretArea(int row) {
  viewport()->update(QRect(0, m_layout.RowY(row, m_topRow), viewport()->width(), m_layout.RowHeight()));
}

void TEditor::RepaintRows(int first, int last) {
  const int bottom = m_topRow + m_layout.PartialRows();
  first = std::max(first, m_topRow);
  last = std::min(last, bottom);
  if (first > last) return;
  const int y = m_layout.RowY(first, m_topRow);
  viewport()->update(QRect(0, y, viewport()->width(), (last - first + 1) * m_layout.RowHeight()));
}

void TEditor::UpdateScrollRanges() {
  const int rows = MaxCaretRow(*m_store) + 1;
  const int visible = m_layout.VisibleRows();
  QScrollBar* vertical = verticalScrollBar();
  vertical->setRange(0, std::max(rows - visible, 0));
  vertical->setPageStep(visible);
  vertical->setSingleStep(1);
  // Wrapped rows need the wrap column and the wrap mark; hanging punctuation
  // may pass it by up to three columns without asking for a scroll bar.
  const int columns = WordWrap() ? m_store->WrapOption().WrapByte() + (m_marks.WrapMark.Visible ? 2 : 1)
                                 : kMaxCaretColumn + 2;
  const int visibleColumns = m_layout.VisibleColumns();
  QScrollBar* horizontal = horizontalScrollBar();
  horizontal->setRange(0, std::max(columns - visibleColumns, 0));
  horizontal->setPageStep(visibleColumns);
  horizontal->setSingleStep(1);
}

void TEditor::SetDropCaret(QPoint rowColumn) {
  if (rowColumn == m_dropCaret) return;
  if (m_dropCaret.y() >= 0) RepaintCaretArea(m_dropCaret.y());
  m_dropCaret = rowColumn;
  if (m_dropCaret.y() >= 0) RepaintCaretArea(m_dropCaret.y());
}

// --- Commands ---------------------------------------------------------------------------------

void TEditor::Undo() { m_engine.Undo(); }
void TEditor::Redo() { m_engine.Redo(); }

void TEditor::CopyToClipboard() {
  if (!Selected()) return;
  QApplication::clipboard()->setMimeData(
      MakeEditorMimeData(SelText(), SelectionMode() == TSelectionMode::smBox));
}

void TEditor::CutToClipboard() {
  if (!Selected()) return;
  CopyToClipboard();
  m_engine.DeleteSelection();
}

void TEditor::PasteFromClipboard() {
  if (ReadOnly()) return;
  const TDroppedText text = ReadEditorMimeData(QApplication::clipboard()->mimeData());
  if (!text.HasText) return;
  if (!text.Refused.isEmpty()) {
    Refuse(text.Refused);
    return;
  }
  if (text.Box) m_engine.InsertBoxText(text.Bytes);
  else m_engine.ReplaceSelection(text.Bytes);
}

void TEditor::SelectAll() { m_engine.SelectAll(); }

void TEditor::SetSelectionMode(TSelectionMode mode) {
  if (mode == m_engine.SelectionMode()) return;
  m_engine.SetSelectionMode(mode);
  emit SelectionModeChanged();
}

void TEditor::SetSelText(const std::string& bytes) { m_engine.ReplaceSelection(bytes); }

bool TEditor::InsertUnicode(const QString& text) {
  if (ReadOnly() || text.isEmpty()) return false;
  std::string bytes;
  QString refused;
  if (!InputToBytes(text, bytes, &refused)) {
    Refuse(refused);
    return false;
  }
  return m_engine.InsertText(bytes);
}

void TEditor::Refuse(const QString& character) { emit InputRefused(RefusedInputMessage(character)); }

bool TEditor::Search(const std::string& text, bool forward, bool matchCase) {
  return m_engine.Search(text, forward, matchCase);
}

void TEditor::PutRowMark(int row, int mark) {
  if (row < 0 || row >= m_store->Count()) return;
  m_store->PutMark(row, mark);
  viewport()->update();
}

void TEditor::DeleteRowMark(int row, int mark) {
  if (row < 0 || row >= m_store->Count()) return;
  m_store->DeleteMark(row, mark);
  viewport()->update();
}

bool TEditor::GotoRowMark(int mark) { return m_store->GotoMark(mark); }

// --- Engine view -----------------------------------------------------------------------------

int TEditor::PageRows() const { return m_layout.VisibleRows(); }

void TEditor::PageScrolled(int rows) { SetTopRow(m_topRow + rows); }

void TEditor::CaretMoved(TCaretMoveKind kind) {
  if (kind != TCaretMoveKind::Vertical || m_engine.Caret().LockScroll) ScrollCaret();
  RepaintCaretArea(m_shownRow);
  if (Row() != m_shownRow || Col() != m_shownCol) RepaintCaretArea(Row());
  if (m_layout.RulerHeight() > 0 && Col() != m_shownCol) viewport()->update(0, 0, viewport()->width(), m_layout.RulerHeight());
  m_shownRow = Row();
  m_shownCol = Col();
  RestartBlink();
  if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImCursorPosition | Qt::ImSurroundingText);
  emit CaretMoved();
}

void TEditor::SelectionChanged() {
  const bool selected = m_engine.HasSelection();
  if (selected || m_selected) viewport()->update();
  if (selected != m_selected || selected) {
    m_selected = selected;
    emit SelectionChanged(selected);
  }
}

void TEditor::TextChanged() { emit Changed(); }

void TEditor::RowsChanged(const TEditorUpdateInfo& info) {
  if (info.OldRowCount != info.NewRowCount) UpdateNumberWidthLater();
  if (!m_redraw) return;
  // The highlighter may have re-parsed rows above the change (an address
  // read across a wrapped row end) and below it (a region it opened).
  const int reparsedFirst = info.ReparsedRows > 0 ? std::min(info.ReparseStart, info.StartRow) : info.StartRow;
  if (info.OldRowCount == info.NewRowCount) {
    RepaintRows(info.StartRow, info.StartRow + std::max(info.NewRowCount, 1) - 1);
    if (info.ReparsedRows > 0) RepaintRows(info.ReparseStart, info.ReparseStart + info.ReparsedRows - 1);
  } else {
    RepaintRows(reparsedFirst, m_topRow + m_layout.PartialRows());
    UpdateScrollRanges();
  }
}

void TEditor::Reinitialized() {
  UpdateNumberWidthLater();
  UpdateScrollRanges();
  viewport()->update();
}

void TEditor::RedrawChanged(bool on) {
  m_redraw = on;
  viewport()->setUpdatesEnabled(on);
  if (on) {
    UpdateScrollRanges();
    viewport()->update();
  }
}

void TEditor::CaretShown(bool shown) {
  m_caretShown = shown;
  RepaintCaretArea(Row());
}

// --- Layout -----------------------------------------------------------------------------------

int TEditor::NumberDigits() const {
  if (!m_leftbar.Visible || !m_leftbar.ShowNumber) return 0;
  const int last = m_leftbar.ShowNumberMode == TNumberMode::nmLine ? m_store->LineCount() : MaxCaretRow(*m_store);
  const int largest = last + (m_leftbar.ZeroBase ? 0 : 1);
  return static_cast<int>(QString::number(largest).size());
}

void TEditor::UpdateNumberWidthLater() {
  if (m_numberWidthPending) return;
  m_numberWidthPending = true;
  QTimer::singleShot(0, this, [this] {
    m_numberWidthPending = false;
    if (!m_layout.SetNumberDigits(NumberDigits())) return;
    Relayout();
    viewport()->update();
  });
}

void TEditor::MetricsChanged() {
  m_layout.SetNumberDigits(NumberDigits());
  m_layout.Measure(font(), m_margin, m_leftbar, m_ruler, m_imagebar);
  m_painter->FontChanged();
  Relayout();
  viewport()->update();
}

void TEditor::Relayout() {
  m_layout.SetViewportSize(viewport()->size());
  UpdateScrollRanges();
}

// --- Events -----------------------------------------------------------------------------------

bool TEditor::event(QEvent* event) {
  // Tab would move the focus before it reaches keyPressEvent.
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab && m_wantTabs && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      keyPressEvent(key);
      return true;
    }
  }
  return QAbstractScrollArea::event(event);
}

bool TEditor::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Leave) MouseOverCell(-1, -1, QGuiApplication::keyboardModifiers(), QPoint(-1, -1));
  return QAbstractScrollArea::viewportEvent(event);
}

void TEditor::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  m_painter->Paint(painter, event->rect());
}

void TEditor::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Relayout();
}

void TEditor::keyPressEvent(QKeyEvent* event) {
  if (m_controller->KeyPress(event)) event->accept();
  else event->ignore();
}

void TEditor::inputMethodEvent(QInputMethodEvent* event) {
  // The old pre-edit goes first, so that a commit's caret move scrolls for
  // the committed text alone.
  ClearPreedit();
  if (!ReadOnly()) {
    if (event->replacementLength() > 0 && Row() < m_store->Count()) {
      // Replace characters around the caret in its row (reconversion): one
      // UTF-16 unit per character of the row, as BytesToPlainText maps them.
      const int caretIndex = [&] {
        int index = 0;
        const TTextPoint at = m_engine.CaretPoint();
        const std::string_view row = m_store->Get(at.Row);
        for (std::size_t p = 0; static_cast<int>(p) < at.Byte && p < row.size(); p += EditorCharLength(row, p)) ++index;
        return index;
      }();
      const std::string_view row = m_store->Get(Row());
      const auto byteOf = [&](int index) {
        std::size_t p = 0;
        for (int i = 0; i < index && p < row.size(); ++i) p += EditorCharLength(row, p);
        return static_cast<int>(p);
      };
      const int from = std::max(caretIndex + event->replacementStart(), 0);
      const int to = from + event->replacementLength();
      m_engine.Select({Row(), byteOf(from)}, {Row(), byteOf(to)});
    }
    if (!event->commitString().isEmpty()) InsertUnicode(event->commitString());
  }
  if (!ReadOnly() && !event->preeditString().isEmpty()) {
    SetPreedit(event->preeditString(), event->attributes());
    ScrollCaret();
    RepaintCaretArea(Row());
    if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
  }
  event->accept();
}

QVariant TEditor::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImReadOnly: return ReadOnly();
    case Qt::ImFont: return font();
    case Qt::ImHints: return static_cast<int>(Qt::ImhMultiLine);
    case Qt::ImCursorRectangle:
    case Qt::ImAnchorRectangle: {
      QRect rect = CaretRect();
      if (!m_preedit.isEmpty())
        rect = QRect(qRound(m_layout.ColumnX(Col() + PreeditColumns(m_preeditCursor), m_topCol)), rect.y(), 2, 1);
      rect.setHeight(m_layout.RowHeight());
      return rect.translated(viewport()->pos());
    }
    case Qt::ImSurroundingText:
      return Row() < m_store->Count() ? BytesToPlainText(m_store->Get(Row())) : QString();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: {
      if (Row() >= m_store->Count()) return 0;
      const TTextPoint at = m_engine.CaretPoint();
      const std::string_view row = m_store->Get(at.Row);
      int index = 0;
      for (std::size_t p = 0; static_cast<int>(p) < at.Byte && p < row.size(); p += EditorCharLength(row, p)) ++index;
      return index;
    }
    case Qt::ImCurrentSelection: {
      const std::string selected = SelText();
      return selected.size() < 4096 ? BytesToPlainText(selected) : QString();
    }
    default: return QAbstractScrollArea::inputMethodQuery(query);
  }
}

void TEditor::mousePressEvent(QMouseEvent* event) {
  if (!hasFocus()) setFocus(Qt::MouseFocusReason);
  m_controller->MousePress(event);
}

void TEditor::mouseMoveEvent(QMouseEvent* event) { m_controller->MouseMove(event); }
void TEditor::mouseReleaseEvent(QMouseEvent* event) { m_controller->MouseRelease(event); }
void TEditor::mouseDoubleClickEvent(QMouseEvent* event) { m_controller->MouseDoubleClick(event); }
void TEditor::wheelEvent(QWheelEvent* event) { m_controller->Wheel(event); }

void TEditor::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  RestartBlink();
  RepaintCaretArea(Row());
}

void TEditor::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  m_blink.stop();
  RepaintCaretArea(Row());
}

void TEditor::scrollContentsBy(int, int) {
  const int top = verticalScrollBar()->value();
  const int left = horizontalScrollBar()->value();
  const bool rowChanged = top != m_topRow;
  const bool colChanged = left != m_topCol;
  m_topRow = top;
  m_topCol = left;
  viewport()->update();
  if (hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
  if (rowChanged) emit TopRowChanged();
  if (colChanged) emit TopColChanged();
}

void TEditor::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) MetricsChanged();
}

}  // namespace quillet
