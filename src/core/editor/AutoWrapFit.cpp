// AutoWrapFit; see AutoWrapFit.h.
#include "core/editor/AutoWrapFit.h"

#include "core/editor/EditorWrapOption.h"

namespace quillet {

std::optional<int> FitWrapByte(const TWrapFitMetrics& m) {
  if (m.CharWidth <= 0) return std::nullopt;
  const int textLeft =
      m.LeftMargin + (m.ImagebarVisible ? m.ImagebarWidth : 0) + (m.LeftbarVisible ? m.LeftbarWidth : 0);
  const int available = m.ControlWidth - textLeft - m.CharWidth / 2 - m.VScrollBarWidth;
  return available / m.CharWidth - (m.WrapMarkVisible ? 2 : 1);  // '/' truncates, as trunc does
}

bool ApplyWrapFit(TEditorWrapOption& option, const TWrapFitMetrics& metrics) {
  const std::optional<int> column = FitWrapByte(metrics);
  if (!column) return false;
  option.SetWrapByte(*column);
  return true;
}

}  // namespace quillet
