// TEditorLayout: where things stand in the editor's viewport. From the font
// and the property groups it measures the half-width cell, the row height
// and the bars, and turns rows and columns into pixels and back.
//
// Across the viewport, left to right: the image bar (row marks), the
// line-number bar, the left margin, then the text. Top to bottom: the ruler,
// the top margin, then the rows. A column is one half-width cell of the font
// plus the character margin; a full-width character takes two cells, which
// the mapped "FixedSys" font (IPAGothic) draws exactly. The row height is the
// font's height plus the line margin. Positions are in viewport pixels; the
// top row and the left column come from the scroll bars.
//
// Pure arithmetic once measured; no painting.
#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

#include "gui/editor/EditorProperties.h"

namespace quillet {

enum class TEditorArea { Text, Imagebar, Leftbar, Ruler, TopMargin };

class TEditorLayout {
public:
  // Measures the font and the bars; call after any of them changed.
  void Measure(const QFont& font, const TEditorMargin& margin, const TEditorLeftbar& leftbar,
               const TEditorRuler& ruler, const TEditorImagebar& imagebar);
  void SetViewportSize(QSize size) { m_viewport = size; }
  // Digits of the largest number the line-number bar shows now. The bar is
  // as wide as the larger of these and its "Column" digits, so a number
  // past the column count is never cut. True when the bar's width changed
  // (the caller lays out again).
  bool SetNumberDigits(int digits);
  QSize ViewportSize() const { return m_viewport; }

  // The glyph advance of a half-width character (C of the wrap fit).
  qreal CharWidth() const { return m_charWidth; }
  // One column on screen: CharWidth plus the character margin.
  qreal CellWidth() const { return m_cellWidth; }
  int RowHeight() const { return m_rowHeight; }
  int Ascent() const { return m_ascent; }
  int FontHeight() const { return m_fontHeight; }
  const QFont& RulerFont() const { return m_rulerFont; }

  int ImagebarWidth() const { return m_imagebarWidth; }
  int LeftbarLeft() const { return m_imagebarWidth; }
  int LeftbarWidth() const { return m_leftbarWidth; }
  // First pixel of the text area (left margin included before it).
  int TextLeft() const { return m_textLeft; }
  int RulerHeight() const { return m_rulerHeight; }
  int TextTop() const { return m_textTop; }

  // Rows wholly visible (at least 1), and rows touched by the viewport.
  int VisibleRows() const;
  int PartialRows() const;
  int VisibleColumns() const;

  int RowY(int row, int topRow) const { return m_textTop + (row - topRow) * m_rowHeight; }
  qreal ColumnX(int column, int topColumn) const { return m_textLeft + (column - topColumn) * m_cellWidth; }
  QRect RowRect(int row, int topRow) const;
  // The row under a y (may lie above 0 or below the text).
  int RowAt(int y, int topRow) const;
  // The column under an x: the cell holding it, or with `nearest` the cell
  // boundary closest to it (where a click puts the caret).
  int ColumnAt(qreal x, int topColumn, bool nearest) const;
  TEditorArea AreaAt(QPoint point) const;

private:
  QSize m_viewport;
  qreal m_charWidth = 8;
  qreal m_cellWidth = 8;
  int m_rowHeight = 16;
  int m_ascent = 12;
  int m_fontHeight = 16;
  QFont m_rulerFont;
  int LeftbarWidthFor(int digits) const;

  int m_imagebarWidth = 0;
  TEditorLeftbar m_leftbar;
  int m_marginLeft = 0;
  int m_numberDigits = 0;
  int m_leftbarWidth = 0;
  int m_textLeft = 0;
  int m_rulerHeight = 0;
  int m_textTop = 0;
};

}  // namespace quillet
