// Geometry of the editor's viewport; see EditorLayout.h.
#include "gui/editor/EditorLayout.h"

#include <QFontMetricsF>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace quillet {

void TEditorLayout::Measure(const QFont& font, const TEditorMargin& margin, const TEditorLeftbar& leftbar,
                            const TEditorRuler& ruler, const TEditorImagebar& imagebar) {
  const QFontMetricsF metrics(font);
  // '0' stands for every half-width cell; with IPAGothic all of them match.
  m_charWidth = std::max<qreal>(metrics.horizontalAdvance(QLatin1Char('0')), 1);
  m_cellWidth = m_charWidth + std::max(margin.Character, 0);
  m_fontHeight = std::max(qCeil(metrics.height()), 1);
  m_ascent = qCeil(metrics.ascent());
  m_rowHeight = std::max(m_fontHeight + margin.Line, 1);

  m_imagebarWidth =
      imagebar.Visible ? std::max(imagebar.LeftMargin + imagebar.MarkWidth + imagebar.RightMargin, 0) : 0;
  m_leftbar = leftbar;
  m_marginLeft = std::max(margin.Left, 0);
  m_leftbarWidth = LeftbarWidthFor(m_numberDigits);
  m_textLeft = m_imagebarWidth + m_leftbarWidth + m_marginLeft;

  m_rulerFont = font;
  m_rulerFont.setPixelSize(std::max(qRound(m_fontHeight * 0.6), 7));
  m_rulerHeight = ruler.Visible ? QFontMetrics(m_rulerFont).height() + 6 : 0;
  m_textTop = m_rulerHeight + std::max(margin.Top, 0);
}

int TEditorLayout::LeftbarWidthFor(int digits) const {
  if (!m_leftbar.Visible) return 0;
  const int shown = std::max({m_leftbar.Column, digits, 1});
  return std::max(m_leftbar.LeftMargin + qCeil(shown * m_charWidth) + m_leftbar.RightMargin, 0);
}

bool TEditorLayout::SetNumberDigits(int digits) {
  m_numberDigits = digits;
  const int width = LeftbarWidthFor(digits);
  if (width == m_leftbarWidth) return false;
  m_leftbarWidth = width;
  m_textLeft = m_imagebarWidth + m_leftbarWidth + m_marginLeft;
  return true;
}

int TEditorLayout::VisibleRows() const {
  return std::max((m_viewport.height() - m_textTop) / m_rowHeight, 1);
}

int TEditorLayout::PartialRows() const {
  return std::max((m_viewport.height() - m_textTop + m_rowHeight - 1) / m_rowHeight, 1);
}

int TEditorLayout::VisibleColumns() const {
  return std::max(static_cast<int>((m_viewport.width() - m_textLeft) / m_cellWidth), 1);
}

QRect TEditorLayout::RowRect(int row, int topRow) const {
  return QRect(0, RowY(row, topRow), m_viewport.width(), m_rowHeight);
}

int TEditorLayout::RowAt(int y, int topRow) const {
  const int offset = y - m_textTop;
  return topRow + (offset >= 0 ? offset / m_rowHeight : -((-offset + m_rowHeight - 1) / m_rowHeight));
}

int TEditorLayout::ColumnAt(qreal x, int topColumn, bool nearest) const {
  const qreal cells = (x - m_textLeft) / m_cellWidth;
  const int column = nearest ? static_cast<int>(std::lround(cells)) : static_cast<int>(std::floor(cells));
  return std::max(topColumn + column, 0);
}

TEditorArea TEditorLayout::AreaAt(QPoint point) const {
  if (point.y() < m_rulerHeight) return TEditorArea::Ruler;
  if (point.x() < m_imagebarWidth) return TEditorArea::Imagebar;
  if (point.x() < m_imagebarWidth + m_leftbarWidth) return TEditorArea::Leftbar;
  if (point.y() < m_textTop) return TEditorArea::TopMargin;
  return TEditorArea::Text;
}

}  // namespace quillet
