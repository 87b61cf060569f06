// The diary's main editor; see EditorSE.h.
#include "gui/editor/EditorSE.h"

#include <QDesktopServices>
#include <QScrollBar>
#include <QStyle>
#include <QUrl>

#include "core/base/CodePage.h"
#include "core/editor/AutoWrapFit.h"

namespace quillet {

TEditorSE::TEditorSE(QWidget* parent, std::shared_ptr<TEditorScreenStrings> store)
    : TOleddEditor(parent, std::move(store)) {}

void TEditorSE::SetSEMarks(const TSEMarks& marks) {
  m_seMarks = marks;
  viewport()->update();
}

void TEditorSE::SetSEProperty(const TSEProperty& property) {
  const bool fit = property.AutoWrap && !m_seProperty.AutoWrap;
  m_seProperty = property;
  if (fit) FitWrap();
}

void TEditorSE::FitWrap() {
  if (!m_seProperty.AutoWrap) return;
  const TEditorLayout& layout = Layout();
  TWrapFitMetrics metrics;
  // The width inside the frame, with the vertical bar's share counted in as
  // the window's client width is, since the fit takes the bar off itself.
  metrics.ControlWidth = viewport()->width() + (verticalScrollBar()->isVisible() ? verticalScrollBar()->width() : 0);
  metrics.LeftMargin = Margin().Left;
  metrics.ImagebarVisible = Imagebar().Visible;
  metrics.ImagebarWidth = layout.ImagebarWidth();
  metrics.LeftbarVisible = Leftbar().Visible;
  metrics.LeftbarWidth = layout.LeftbarWidth();
  metrics.CharWidth = qRound(layout.CellWidth());
  metrics.VScrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  metrics.WrapMarkVisible = Marks().WrapMark.Visible;
  ApplyWrapFit(WrapOption(), metrics);
}

void TEditorSE::Relayout() {
  TOleddEditor::Relayout();
  FitWrap();
}

std::optional<TFountainLink> TEditorSE::LinkAtCell(int row, int column) const {
  TFountainRowParser* parser = RowParser();
  if (!parser || row < 0 || row >= Store().Count()) return std::nullopt;
  const std::string_view text = Store().Get(row);
  const TRowOffset at = ColumnToByte(text, column, Store().Layout());
  if (at.Byte >= static_cast<int>(text.size())) return std::nullopt;
  return LinkAt(*parser, row, text, at.Byte);
}

bool TEditorSE::SelectTokenAt(int row, int column) {
  TFountainRowParser* parser = RowParser();
  if (!parser || row < 0 || row >= Store().Count()) return false;
  const std::string_view text = Store().Get(row);
  const TRowOffset at = ColumnToByte(text, column, Store().Layout());
  std::vector<TFountainToken> spans;
  parser->RowTokens(row, text, spans);
  for (const TFountainToken& span : spans) {
    if (at.Byte >= span.First && at.Byte < span.Second) {
      Engine().Select({row, span.First}, {row, span.Second});
      return true;
    }
  }
  return false;
}

void TEditorSE::MouseOverCell(int row, int column, Qt::KeyboardModifiers modifiers, QPoint pos) {
  std::optional<TFountainLink> link = LinkAtCell(row, column);
  if (link != m_link) {
    if (m_link) emit ExitURL(modifiers, pos.x(), pos.y());
    m_link = std::move(link);
    if (m_link) emit EnterURL(modifiers, pos.x(), pos.y());
  }
  if (m_link && m_seProperty.ClickableURL) viewport()->setCursor(Qt::PointingHandCursor);
}

bool TEditorSE::CellClicked(int row, int column, bool doubleClick) {
  if (doubleClick && m_seProperty.SelTokenDblClick && SelectTokenAt(row, column)) return true;
  if (!m_seProperty.ClickableURL) return false;
  const bool wanted = doubleClick == (m_seProperty.ClickableType == TClickableType::DoubleClick);
  if (!wanted) return false;
  const std::optional<TFountainLink> link = LinkAtCell(row, column);
  if (!link) return false;
  // The address is code page 932 bytes up to here; it becomes text to leave
  // the control.
  std::u16string text;
  ToUtf16(link->Text, text);
  if (m_seProperty.OwnerClickable) {
    emit LinkClicked(QString::fromStdU16String(text), link->Mail);
  } else {
    QString target = QString::fromStdU16String(text);
    if (link->Mail) target = QStringLiteral("mailto:") + target;
    else if (target.startsWith(QStringLiteral("www."))) target = QStringLiteral("http://") + target;
    QDesktopServices::openUrl(QUrl(target));
  }
  return true;
}

}  // namespace quillet
