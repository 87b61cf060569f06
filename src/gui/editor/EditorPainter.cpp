// Painting of the editor's viewport; see EditorPainter.h.
#include "gui/editor/EditorPainter.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QTextCharFormat>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/base/CodePage.h"
#include "gui/editor/EditorClipboard.h"
#include "gui/editor/EditorColors.h"
#include "gui/editor/HEditor.h"

namespace quillet {
namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr std::string_view kEofText = "[EOF]";

// An input method's underline from `left` to `right` at `y`.
void DrawUnderline(QPainter& painter, qreal left, qreal right, qreal y, QTextCharFormat::UnderlineStyle style,
                   const QColor& color) {
  if (style == QTextCharFormat::NoUnderline) return;
  painter.setBrush(Qt::NoBrush);
  if (style == QTextCharFormat::WaveUnderline || style == QTextCharFormat::SpellCheckUnderline) {
    QPainterPath wave;
    wave.moveTo(left, y);
    for (int step = 1; left + 2 * step <= right + 0.5; ++step) wave.lineTo(left + 2 * step, y + (step % 2 ? -1 : 1));
    painter.setPen(QPen(color, 1));
    painter.drawPath(wave);
    return;
  }
  const Qt::PenStyle pen = style == QTextCharFormat::DashUnderline    ? Qt::DashLine
                           : style == QTextCharFormat::DotLine        ? Qt::DotLine
                           : style == QTextCharFormat::DashDotLine    ? Qt::DashDotLine
                           : style == QTextCharFormat::DashDotDotLine ? Qt::DashDotDotLine
                                                                      : Qt::SolidLine;
  painter.setPen(QPen(color, 1, pen));
  painter.drawLine(QPointF(left, y), QPointF(right, y));
}

}  // namespace

void TEditorPainter::FontChanged() {
  m_advances.clear();
  m_fontsReady = false;
  for (std::vector<quint32>& indexes : m_glyphIndexes) indexes.clear();
}

const QFont& TEditorPainter::FontOf(int index) {
  if (!m_fontsReady) {
    for (int i = 0; i < 16; ++i) {
      QFont font = m_editor.font();
      font.setBold((i & 1) != 0);
      font.setItalic((i & 2) != 0);
      font.setUnderline((i & 4) != 0);
      font.setStrikeOut((i & 8) != 0);
      m_fonts[i] = font;
      m_rawFonts[i] = QRawFont::fromFont(font);
    }
    m_fontsReady = true;
  }
  return m_fonts[index & 15];
}

quint32 TEditorPainter::GlyphIndexOf(int index, QChar glyph) {
  FontOf(index);
  std::vector<quint32>& indexes = m_glyphIndexes[index & 15];
  if (indexes.empty()) indexes.assign(0x10000, ~0u);
  quint32& found = indexes[glyph.unicode()];
  if (found == ~0u) {
    quint32 glyphIndex = 0;
    int count = 1;
    const QRawFont& raw = m_rawFonts[index & 15];
    if (!raw.isValid() || !raw.glyphIndexesForChars(&glyph, 1, &glyphIndex, &count) || count != 1) glyphIndex = 0;
    found = glyphIndex;
  }
  return found;
}

QChar TEditorPainter::GlyphOf(std::string_view ch) {
  if (m_glyphs.empty()) m_glyphs.assign(0x10000, 0);
  const auto first = static_cast<unsigned char>(ch[0]);
  const std::size_t key = ch.size() == 2 ? (std::size_t{first} << 8 | static_cast<unsigned char>(ch[1])) : first;
  char16_t& glyph = m_glyphs[key];
  if (glyph == 0) {
    std::u16string units;
    ToUtf16(ch, units);
    glyph = units.size() == 1 ? units[0] : kReplacement;
    if (ch.size() == 1 && first < 0x20) glyph = kReplacement;  // control bytes show as a mark
  }
  return QChar(glyph);
}

qreal TEditorPainter::AdvanceOf(QChar glyph) {
  if (m_advances.empty()) m_advances.assign(0x10000, -1.0f);
  float& advance = m_advances[glyph.unicode()];
  if (advance < 0) advance = static_cast<float>(QFontMetricsF(m_editor.font()).horizontalAdvance(glyph));
  return advance;
}

TEditorPainter::TRunStyle TEditorPainter::StyleAt(int byte, bool selected) const {
  const TEditorTextColors& colors = m_editor.TextColors();
  TRunStyle style{colors.Text, QColor(), 0};
  for (const TFountainToken& span : m_spans) {
    if (byte < span.First) break;
    if (byte < span.Second) {
      const TTokenLook& look = m_editor.TokenLooks().Of(span);
      if (look.Color.isValid()) style.Color = look.Color;
      if (look.BkColor.isValid()) style.BkColor = look.BkColor;
      style.FontIndex = (look.Bold ? 1 : 0) | (look.Italic ? 2 : 0) | (look.Underline ? 4 : 0) | (look.StrikeOut ? 8 : 0);
      break;
    }
  }
  if (selected) {
    style.Color = colors.SelText;
    style.BkColor = colors.SelBack;
  }
  return style;
}

void TEditorPainter::Flush(QPainter& painter, int y) {
  if (m_runColumns == 0) return;
  const TEditorLayout& layout = m_editor.Layout();
  const qreal x = layout.ColumnX(m_runColumn, m_editor.TopCol());
  if (m_runStyle.BkColor.isValid())
    painter.fillRect(QRectF(x, y, m_runColumns * layout.CellWidth(), layout.RowHeight()), m_runStyle.BkColor);
  if (!m_runGlyphs.empty()) {
    const int index = m_runStyle.FontIndex;
    QGlyphRun run;
    run.setRawFont(m_rawFonts[index & 15]);
    run.setGlyphIndexes(QList<quint32>(m_runGlyphs.begin(), m_runGlyphs.end()));
    run.setPositions(QList<QPointF>(m_runPositions.begin(), m_runPositions.end()));
    run.setUnderline((index & 4) != 0);
    run.setStrikeOut((index & 8) != 0);
    painter.setPen(m_runStyle.Color);
    painter.drawGlyphRun(QPointF(x, y + layout.Ascent()), run);
  }
  m_runGlyphs.clear();
  m_runPositions.clear();
  m_runColumns = 0;
}

void TEditorPainter::DrawLoneChar(QPainter& painter, QChar glyph, int column, int width, int y,
                                  const TRunStyle& style) {
  const TEditorLayout& layout = m_editor.Layout();
  const QRectF cell(layout.ColumnX(column, m_editor.TopCol()), y, width * layout.CellWidth(), layout.RowHeight());
  if (style.BkColor.isValid()) painter.fillRect(cell, style.BkColor);
  painter.save();
  painter.setClipRect(cell, Qt::IntersectClip);
  painter.setFont(FontOf(style.FontIndex));
  painter.setPen(style.Color);
  // Centred in its cells when narrower or wider than them.
  const qreal advance = AdvanceOf(glyph);
  painter.drawText(QPointF(cell.x() + (cell.width() - advance) / 2, y + layout.Ascent()), QString(glyph));
  painter.restore();
}

void TEditorPainter::DrawRetMark(QPainter& painter, qreal x, int y, const QColor& color) {
  const TEditorLayout& layout = m_editor.Layout();
  const qreal w = layout.CharWidth();
  const qreal h = layout.FontHeight();
  const qreal right = x + w * 0.7;
  const qreal top = y + h * 0.25;
  const qreal bottom = y + h * 0.75;
  const qreal left = x + w * 0.15;
  QPainterPath path;
  path.moveTo(right, top);
  path.lineTo(right, bottom);
  path.lineTo(left, bottom);
  path.moveTo(left + w * 0.3, bottom - h * 0.15);
  path.lineTo(left, bottom);
  path.lineTo(left + w * 0.3, bottom + h * 0.15);
  painter.setPen(QPen(color, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

void TEditorPainter::DrawWrapMark(QPainter& painter, qreal x, int y, const QColor& color) {
  const TEditorLayout& layout = m_editor.Layout();
  const qreal w = layout.CharWidth();
  const qreal h = layout.FontHeight();
  const qreal mid = y + h * 0.55;
  QPainterPath path;
  path.moveTo(x + w * 0.1, mid);
  path.lineTo(x + w * 0.85, mid);
  path.moveTo(x + w * 0.55, mid - h * 0.15);
  path.lineTo(x + w * 0.85, mid);
  path.lineTo(x + w * 0.55, mid + h * 0.15);
  painter.setPen(QPen(color, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

void TEditorPainter::PaintRow(QPainter& painter, int row, int y) {
  TEditorScreenStrings& store = m_editor.Store();
  const TEditorLayout& layout = m_editor.Layout();
  const TEditorMarks& marks = m_editor.Marks();
  const TSEMarks* blanks = m_editor.BlankMarks();
  const TEditorEngine& engine = m_editor.Engine();
  const int topCol = m_editor.TopCol();
  const int lastCol = topCol + layout.VisibleColumns() + 2;
  const int caretRow = engine.Row();
  // A pre-edit pushes what follows the caret on its row to the right.
  const bool composing = row == caretRow && !m_editor.PreeditText().isEmpty();
  const int shiftFrom = composing ? engine.Column() : std::numeric_limits<int>::max();
  const int shift = composing ? m_editor.PreeditColumns(static_cast<int>(m_editor.PreeditText().size())) : 0;

  if (row >= store.Count()) {
    // The place after the text: "[EOF]" when the text ends with a line end.
    const bool emptyText = store.Count() == 0;
    if (row == store.Count() && marks.EofMark.Visible && (emptyText || store.RowAttribute(row - 1) == raCrlf)) {
      painter.setFont(FontOf(0));
      painter.setPen(marks.EofMark.Color);
      painter.drawText(QPointF(layout.ColumnX(shift, topCol), y + layout.Ascent()),
                       QString::fromLatin1(kEofText.data()));
    }
  } else {
    const std::string_view text = store.Get(row);
    const TRowAttribute attribute = store.RowAttribute(row);
    m_attrs.Build(text, store.Layout(), lastCol + 2);
    const TRowSelection selection = engine.SelectedBytes(row);
    m_spans.clear();
    if (TFountainRowParser* parser = m_editor.RowParser()) parser->RowTokens(row, text, m_spans);
    const bool gridOnly = m_editor.Margin().Character > 0;
    enum class TMarkKind { Space, DblSpace, Tab, Undisplayable };
    struct TMark {
      int Column;
      TMarkKind Kind;
    };
    std::vector<TMark> blankMarks;

    m_runGlyphs.clear();
    m_runPositions.clear();
    m_runColumns = 0;
    const int count = m_attrs.Count();
    for (int col = 1; col <= count;) {
      const char attr = m_attrs.Attr(col);
      const int byte = m_attrs.Bytes(col - 1);
      int width = attr == kAttrLead ? 2 : 1;
      const bool tab = text[static_cast<std::size_t>(byte)] == '\t' && attr == kAttrDelimiter;
      if (tab) {
        while (m_attrs.Attr(col + width) == kAttrTabFill) ++width;
      }
      const int column = col - 1 >= shiftFrom ? col - 1 + shift : col - 1;
      col += width;
      if (column + width <= topCol) continue;
      if (column > lastCol) break;
      const bool selected = byte >= selection.First && byte < selection.Second;
      const TRunStyle style = StyleAt(byte, selected);
      const std::string_view ch = text.substr(static_cast<std::size_t>(byte), attr == kAttrLead ? 2 : 1);
      const QChar glyph = tab ? QChar(' ') : GlyphOf(ch);
      const bool fullSpace = attr == kAttrLead && IsFullWidthSpace(text, static_cast<std::size_t>(byte));
      if (tab) blankMarks.push_back({column, TMarkKind::Tab});
      else if (fullSpace) blankMarks.push_back({column, TMarkKind::DblSpace});
      else if (ch == " ") blankMarks.push_back({column, TMarkKind::Space});
      const bool undisplayable = glyph.unicode() == kReplacement;
      if (undisplayable) blankMarks.push_back({column, TMarkKind::Undisplayable});

      const quint32 glyphIndex = undisplayable || tab ? 0 : GlyphIndexOf(style.FontIndex, glyph);
      const bool regular = glyphIndex != 0 && !gridOnly &&
                           std::abs(AdvanceOf(glyph) - width * layout.CharWidth()) < 0.5;
      if (!(style == m_runStyle) || m_runColumn + m_runColumns != column || !regular) Flush(painter, y);
      if (regular) {
        if (m_runColumns == 0) {
          m_runColumn = column;
          m_runStyle = style;
        }
        m_runGlyphs.push_back(glyphIndex);
        m_runPositions.emplace_back(m_runColumns * layout.CellWidth(), 0);
        m_runColumns += width;
      } else if (tab || undisplayable) {
        if (style.BkColor.isValid())
          painter.fillRect(QRectF(layout.ColumnX(column, topCol), y, width * layout.CellWidth(), layout.RowHeight()),
                           style.BkColor);
      } else {
        DrawLoneChar(painter, glyph, column, width, y, style);
      }
    }
    Flush(painter, y);

    const int endColumn = m_attrs.Truncated() ? -1 : count >= shiftFrom ? count + shift : count;
    if (endColumn >= 0) {
      const qreal endX = layout.ColumnX(endColumn, topCol);
      if (selection.LineEnd)
        painter.fillRect(QRectF(endX, y, layout.CellWidth(), layout.RowHeight()), m_editor.TextColors().SelBack);
      if (attribute == raCrlf && marks.RetMark.Visible) DrawRetMark(painter, endX, y, marks.RetMark.Color);
      if (attribute == raWrapped && marks.WrapMark.Visible) DrawWrapMark(painter, endX, y, marks.WrapMark.Color);
      if (attribute == raEof && marks.EofMark.Visible) {
        painter.setFont(FontOf(0));
        painter.setPen(marks.EofMark.Color);
        painter.drawText(QPointF(endX, y + layout.Ascent()), QString::fromLatin1(kEofText.data()));
      }
    }

    // Blank and undisplayable marks over the text.
    const qreal cell = layout.CellWidth();
    for (const TMark& mark : blankMarks) {
      const qreal x = layout.ColumnX(mark.Column, topCol);
      const qreal h = layout.FontHeight();
      painter.setBrush(Qt::NoBrush);
      if (mark.Kind == TMarkKind::Space && blanks && blanks->SpaceMark.Visible) {
        painter.setPen(QPen(blanks->SpaceMark.Color, 1));
        painter.drawLine(QPointF(x + cell * 0.2, y + h * 0.8), QPointF(x + cell * 0.8, y + h * 0.8));
      } else if (mark.Kind == TMarkKind::DblSpace && blanks && blanks->DblSpaceMark.Visible) {
        painter.setPen(QPen(blanks->DblSpaceMark.Color, 1));
        painter.drawRect(QRectF(x + cell * 0.25, y + h * 0.2, cell * 1.5, h * 0.6));
      } else if (mark.Kind == TMarkKind::Tab && blanks && blanks->TabMark.Visible) {
        painter.setPen(QPen(blanks->TabMark.Color, 1));
        QPainterPath path;
        path.moveTo(x + cell * 0.2, y + h * 0.3);
        path.lineTo(x + cell * 0.7, y + h * 0.5);
        path.lineTo(x + cell * 0.2, y + h * 0.7);
        painter.drawPath(path);
      } else if (mark.Kind == TMarkKind::Undisplayable && marks.HideMark.Visible) {
        painter.setPen(QPen(marks.HideMark.Color, 1));
        painter.drawRect(QRectF(x + cell * 0.15, y + h * 0.2, cell * 0.7, h * 0.6));
      }
    }
    if (m_editor.OnDrawLine) {
      const QString line = BytesToPlainText(text);
      m_editor.OnDrawLine(m_editor, line, layout.TextLeft(), y, row, selection.Any());
    }
  }

  if (row == caretRow && marks.Underline.Visible) {
    painter.setPen(QPen(marks.Underline.Color, 1));
    const int lineY = y + layout.RowHeight() - 1;
    painter.drawLine(layout.TextLeft(), lineY, layout.ViewportSize().width(), lineY);
  }
}

QString LeftbarNumber(const TEditorScreenStrings& store, int row, const TEditorLeftbar& bar) {
  if (row < 0 || row > MaxCaretRow(store)) return {};
  int number = row;
  if (bar.ShowNumberMode == TNumberMode::nmLine) {
    // Only a line's first row carries its number.
    if (row < store.Count() && row > 0 && store.RowAttribute(row - 1) == raWrapped) return {};
    number = row < store.Count() ? store.LineOfRow(row) : store.LineCount();
  }
  QString text = QString::number(number + (bar.ZeroBase ? 0 : 1));
  if (bar.ZeroLead && text.size() < bar.Column) text = QString(bar.Column - text.size(), QLatin1Char('0')) + text;
  return text;
}

void TEditorPainter::PaintLeftbar(QPainter& painter, int firstRow, int lastRow) {
  const TEditorLeftbar& bar = m_editor.Leftbar();
  const TEditorLayout& layout = m_editor.Layout();
  TEditorScreenStrings& store = m_editor.Store();
  const QRect area(layout.LeftbarLeft(), 0, layout.LeftbarWidth(), layout.ViewportSize().height());
  if (bar.BkColor.isValid()) painter.fillRect(area, bar.BkColor);
  if (bar.Edge) {
    painter.setPen(QPen(bar.Color, 1));
    painter.drawLine(area.right(), 0, area.right(), area.bottom());
  }
  if (!bar.ShowNumber) return;
  painter.setFont(FontOf(0));
  painter.setPen(bar.Color);
  const int right = area.right() - bar.RightMargin;
  const QFontMetricsF metrics(FontOf(0));
  for (int row = std::max(firstRow, 0); row <= lastRow; ++row) {
    const QString text = LeftbarNumber(store, row, bar);
    if (text.isEmpty()) continue;
    const qreal width = metrics.horizontalAdvance(text);
    painter.drawText(QPointF(right - width, layout.RowY(row, m_editor.TopRow()) + layout.Ascent()), text);
  }
}

void TEditorPainter::PaintImagebar(QPainter& painter, int firstRow, int lastRow) {
  const TEditorImagebar& bar = m_editor.Imagebar();
  const TEditorLayout& layout = m_editor.Layout();
  TEditorScreenStrings& store = m_editor.Store();
  QFont small = FontOf(0);
  small.setPixelSize(std::max(layout.FontHeight() * 2 / 3, 7));
  painter.setFont(small);
  const QColor ink = m_editor.Leftbar().Color;
  for (int row = std::max(firstRow, 0); row <= lastRow && row < store.Count(); ++row) {
    const TRowMarks marks = store.Marks(row);
    if (marks == 0) continue;
    int mark = 0;
    while (!(marks >> mark & 1)) ++mark;
    const int y = layout.RowY(row, m_editor.TopRow());
    const QRectF box(bar.LeftMargin, y + 1, bar.MarkWidth, layout.RowHeight() - 2);
    painter.setPen(QPen(ink, 1));
    if (mark < kUniqueRowMarks) {
      painter.setBrush(m_editor.TextColors().Back);
      painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
      painter.drawText(box, Qt::AlignCenter, QString::number(mark));
    } else {
      painter.setBrush(ink);
      const qreal d = std::min(box.width(), box.height()) / 2;
      painter.drawEllipse(box.center(), d / 2, d / 2);
    }
  }
  painter.setBrush(Qt::NoBrush);
}

void TEditorPainter::PaintRuler(QPainter& painter) {
  const TEditorRuler& ruler = m_editor.Ruler();
  const TEditorLayout& layout = m_editor.Layout();
  const int height = layout.RulerHeight();
  const int width = layout.ViewportSize().width();
  if (ruler.BkColor.isValid()) painter.fillRect(QRect(0, 0, width, height), ruler.BkColor);
  const int topCol = m_editor.TopCol();
  const qreal cell = layout.CellWidth();
  // The caret's column, marked on the gauge.
  const qreal caretX = layout.ColumnX(m_editor.Col(), topCol);
  painter.fillRect(QRectF(caretX, height - 5, cell, 4), ruler.MarkColor);
  painter.setFont(layout.RulerFont());
  painter.setPen(QPen(ruler.Color, 1));
  const int gauge = ruler.GaugeRange > 0 ? ruler.GaugeRange : 10;
  const int bottom = height - 1;
  for (int col = topCol; col <= topCol + layout.VisibleColumns() + 1; ++col) {
    const qreal x = layout.ColumnX(col, topCol);
    if (x < layout.TextLeft()) continue;
    int tick = 2;
    if (col % gauge == 0) {
      tick = height / 2;
      if (col > 0) painter.drawText(QPointF(x + 2, height / 2 + 1), QString::number(col));
    } else if (col % (gauge / 2) == 0) {
      tick = 4;
    }
    painter.drawLine(QPointF(x, bottom - tick), QPointF(x, bottom));
  }
  if (ruler.Edge) painter.drawLine(0, bottom, width, bottom);
}

void TEditorPainter::PaintCaret(QPainter& painter) {
  if (!m_editor.CaretVisibleNow() || !m_editor.PreeditText().isEmpty()) return;
  const QRect rect = m_editor.CaretRect();
  // Over selected text the caret takes the selected text's colour, so it
  // stays visible on the selection's background.
  const TEditorEngine& engine = m_editor.Engine();
  const TTextPoint at = engine.CaretPoint();
  const TRowSelection selection = engine.SelectedBytes(at.Row);
  const bool atRowEnd = at.Row < m_editor.Store().Count() &&
                        at.Byte >= static_cast<int>(m_editor.Store().Get(at.Row).size());
  const bool onSelection = (at.Byte >= selection.First && at.Byte < selection.Second) || (atRowEnd && selection.LineEnd);
  const QColor ink = onSelection ? m_editor.TextColors().SelText : m_editor.TextColors().Text;
  if (m_editor.Overwrite()) {
    QColor block = ink;
    block.setAlpha(110);
    painter.fillRect(rect, block);
  } else {
    painter.fillRect(rect, ink);
  }
}

void TEditorPainter::PaintPreedit(QPainter& painter) {
  const QString& text = m_editor.PreeditText();
  if (text.isEmpty()) return;
  const TEditorLayout& layout = m_editor.Layout();
  const TEditorTextColors& colors = m_editor.TextColors();
  const QPalette& palette = m_editor.palette();
  const int topCol = m_editor.TopCol();
  const int caretCol = m_editor.Col();
  const int y = layout.RowY(m_editor.Row(), m_editor.TopRow());
  const qreal underlineY = y + layout.Ascent() + std::max<qreal>(QFontMetricsF(FontOf(0)).underlinePos(), 1) + 0.5;
  const qreal cell = layout.CellWidth();
  QColor cursorInk = colors.Text;
  for (int i = 0; i < text.size();) {
    const int units = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    // The formats the input method gives this character (segments may
    // overlap; later ones win).
    QTextCharFormat format;
    bool formatted = false;
    for (const QInputMethodEvent::Attribute& attribute : m_editor.PreeditAttributes()) {
      if (attribute.type != QInputMethodEvent::TextFormat || i < attribute.start ||
          i >= attribute.start + attribute.length)
        continue;
      format.merge(qvariant_cast<QTextFormat>(attribute.value).toCharFormat());
      formatted = true;
    }
    // Its colours, honoured where they read; a background whose ink is
    // missing or too faint (as the selected segment often comes) gets the
    // palette's ink for highlighted text, else its text ink, else black or
    // white, so the segment being converted is never unreadable.
    const bool hasBack = format.background().style() != Qt::NoBrush;
    const bool hasInk = format.foreground().style() != Qt::NoBrush;
    const QColor back = hasBack ? format.background().color() : colors.Back;
    QColor ink = colors.Text;
    if (hasBack) {
      const QColor given = hasInk ? format.foreground().color() : QColor();
      ink = ReadableInk(back, {given, palette.color(QPalette::HighlightedText), palette.color(QPalette::Text),
                               colors.Text});
    } else if (hasInk) {
      ink = ReadableInk(back, {format.foreground().color(), colors.Text, palette.color(QPalette::Text)});
    }
    const int from = m_editor.PreeditColumns(i);
    const int width = m_editor.PreeditColumns(i + units) - from;
    const QRectF box(layout.ColumnX(caretCol + from, topCol), y, width * cell, layout.RowHeight());
    if (hasBack) painter.fillRect(box, back);
    const int fontIndex = (format.fontWeight() >= QFont::DemiBold ? 1 : 0) | (format.fontItalic() ? 2 : 0) |
                          (format.fontStrikeOut() ? 8 : 0);
    const QString character = text.mid(i, units);
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    painter.setFont(FontOf(fontIndex));
    painter.setPen(ink);
    // Centred in its cells, as a lone character of the text is.
    const qreal advance = QFontMetricsF(FontOf(fontIndex)).horizontalAdvance(character);
    painter.drawText(QPointF(box.x() + (box.width() - advance) / 2, y + layout.Ascent()), character);
    painter.restore();
    // The underline the input method asks for; unformatted text is dotted,
    // so a composition always shows as one.
    const QTextCharFormat::UnderlineStyle style =
        formatted ? format.underlineStyle() : QTextCharFormat::DotLine;
    DrawUnderline(painter, box.left(), box.right(), underlineY, style,
                  format.underlineColor().isValid() ? format.underlineColor() : ink);
    if (i == m_editor.PreeditCursor()) cursorInk = ink;
    i += units;
  }
  if (m_editor.PreeditCursorShown() && m_editor.CaretVisibleNow()) {
    const qreal x = layout.ColumnX(caretCol + m_editor.PreeditColumns(m_editor.PreeditCursor()), topCol);
    painter.fillRect(QRectF(x, y, 2, layout.FontHeight()), cursorInk);
  }
}

void TEditorPainter::PaintDropCaret(QPainter& painter) {
  const QPoint drop = m_editor.DropCaret();
  if (drop.y() < 0) return;
  const TEditorLayout& layout = m_editor.Layout();
  const qreal x = layout.ColumnX(drop.x(), m_editor.TopCol());
  const int y = layout.RowY(drop.y(), m_editor.TopRow());
  painter.setPen(QPen(m_editor.TextColors().Text, 2, Qt::DotLine));
  painter.drawLine(QPointF(x, y), QPointF(x, y + layout.RowHeight()));
}

void TEditorPainter::Paint(QPainter& painter, const QRect& dirty) {
  const TEditorLayout& layout = m_editor.Layout();
  painter.fillRect(dirty, m_editor.TextColors().Back);
  const int topRow = m_editor.TopRow();
  const int firstRow = std::max(layout.RowAt(std::max(dirty.top(), layout.TextTop()), topRow), topRow);
  const int lastRow = layout.RowAt(dirty.bottom(), topRow);

  if (dirty.bottom() >= layout.TextTop() && dirty.right() >= layout.TextLeft()) {
    painter.save();
    painter.setClipRect(QRect(layout.TextLeft() - std::max(m_editor.Margin().Left, 0), layout.TextTop(),
                              layout.ViewportSize().width(), layout.ViewportSize().height()),
                        Qt::IntersectClip);
    for (int row = firstRow; row <= lastRow; ++row) PaintRow(painter, row, layout.RowY(row, topRow));
    PaintPreedit(painter);
    PaintCaret(painter);
    PaintDropCaret(painter);
    painter.restore();
  }
  if (layout.LeftbarWidth() > 0 && dirty.left() < layout.LeftbarLeft() + layout.LeftbarWidth()) {
    painter.save();
    painter.setClipRect(QRect(layout.LeftbarLeft(), layout.TextTop(), layout.LeftbarWidth(),
                              layout.ViewportSize().height()),
                        Qt::IntersectClip);
    PaintLeftbar(painter, firstRow, lastRow);
    painter.restore();
  }
  if (layout.ImagebarWidth() > 0 && dirty.left() < layout.ImagebarWidth()) {
    painter.save();
    painter.setClipRect(QRect(0, layout.TextTop(), layout.ImagebarWidth(), layout.ViewportSize().height()),
                        Qt::IntersectClip);
    PaintImagebar(painter, firstRow, lastRow);
    painter.restore();
  }
  if (layout.RulerHeight() > 0 && dirty.top() < layout.RulerHeight()) PaintRuler(painter);
}

}  // namespace quillet
