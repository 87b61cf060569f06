// TEditorPainter: paints an editor's viewport: the rows from the top row
// with the selection, token colours and marks, the line-number bar, the
// image bar of row marks, the ruler, the caret, the input method's pre-edit
// text and the drop caret of a drag.
//
// Characters sit on the column grid of the row store: a character is drawn
// at column × cell width, a full-width one over two cells. Runs of
// characters in one colour are drawn as one glyph run of the font's own
// glyphs, each glyph placed on its cell (no text shaping: a row of a diary
// needs none, and shaping was most of the cost of painting a page); a
// character the font lacks, or whose glyph does not fill exactly its cells,
// is drawn on its own with font fallback at its cell, so the grid never
// drifts and the caret always stands between the right characters. Bytes without a character
// (and control bytes) show as a replacement mark in the hide mark's colour.
//
// Marks, as drawn here: the line end a small down-and-left arrow after the
// row's last character; the wrap mark a short arrow after the last
// character of a wrapped row (after hanging punctuation, if any); "[EOF]"
// after the text's last character; the half-width space a small dot, the
// full-width space a square and the tab a chevron at its start; the caret
// row's underline across the text area.
//
// The pre-edit stands on the column grid at the caret, and what follows the
// caret on its row moves right by the pre-edit's columns. Its segments take
// the input method's formats (background, ink, underline style); ink that
// would not read on a segment's background is replaced (EditorColors.h).
// GUI thread; only called from the editor's paint event.
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QPainter>
#include <QRect>
#include <QString>
#include <string_view>
#include <vector>

#include "core/editor/EditorColumns.h"
#include "gui/editor/EditorTokens.h"

namespace quillet {

class TEditor;
class TEditorScreenStrings;
struct TEditorLeftbar;

// The number the line-number bar shows beside `row`, or an empty text: rows
// are counted (nmRow) or logical lines, on their first row only (nmLine);
// from 0 with ZeroBase, else from 1; padded with zeros to the bar's digits
// with ZeroLead. The empty place after a final line end is numbered too.
QString LeftbarNumber(const TEditorScreenStrings& store, int row, const TEditorLeftbar& bar);

class TEditorPainter {
public:
  explicit TEditorPainter(TEditor& editor) : m_editor(editor) {}

  void Paint(QPainter& painter, const QRect& dirty);
  // Forgets the measured glyphs after a font change.
  void FontChanged();

private:
  struct TRunStyle {
    QColor Color;
    QColor BkColor;  // invalid: no fill
    int FontIndex = 0;  // bit 0 bold, 1 italic, 2 underline, 3 strike-out
    bool operator==(const TRunStyle&) const = default;
  };

  void PaintRow(QPainter& painter, int row, int y);
  void PaintLeftbar(QPainter& painter, int firstRow, int lastRow);
  void PaintImagebar(QPainter& painter, int firstRow, int lastRow);
  void PaintRuler(QPainter& painter);
  void PaintCaret(QPainter& painter);
  void PaintPreedit(QPainter& painter);
  void PaintDropCaret(QPainter& painter);
  void Flush(QPainter& painter, int y);
  void DrawLoneChar(QPainter& painter, QChar glyph, int column, int width, int y, const TRunStyle& style);
  void DrawRetMark(QPainter& painter, qreal x, int y, const QColor& color);
  void DrawWrapMark(QPainter& painter, qreal x, int y, const QColor& color);
  // The Unicode character of one code page 932 character (U+FFFD when none).
  QChar GlyphOf(std::string_view ch);
  qreal AdvanceOf(QChar glyph);
  const QFont& FontOf(int index);
  // The glyph of a character in font `index` without fallback; 0 when the
  // font has none.
  quint32 GlyphIndexOf(int index, QChar glyph);
  TRunStyle StyleAt(int byte, bool selected) const;

  TEditor& m_editor;
  TEditorAttributeArray m_attrs;
  std::vector<TFountainToken> m_spans;
  std::vector<char16_t> m_glyphs;  // by lead << 8 | trail, or the byte; 0: not yet known
  std::vector<float> m_advances;   // by UTF-16 unit; negative: not yet measured
  QFont m_fonts[16];
  QRawFont m_rawFonts[16];
  std::vector<quint32> m_glyphIndexes[16];  // by UTF-16 unit; ~0u: not yet looked up
  bool m_fontsReady = false;
  // The run being gathered: glyphs and their positions from the run start.
  std::vector<quint32> m_runGlyphs;
  std::vector<QPointF> m_runPositions;
  int m_runColumn = 0;   // first column (0-based)
  int m_runColumns = 0;  // columns it spans
  TRunStyle m_runStyle;
};

}  // namespace quillet
