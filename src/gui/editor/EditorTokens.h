// The Qt side of the highlighter seam (core/editor/EditorFountain.h): the
// colours and font style that each token style is painted in. The row
// parser speaks in byte ranges and style numbers; only the painter turns a
// style number into a look, so the highlighter's rules stay in the core and
// are tested there.
#pragma once

#include <QColor>
#include <array>

#include "core/editor/EditorFountain.h"

namespace quillet {

// How one token style is painted. Invalid colours fall back to the editor's
// own text and background colours.
struct TTokenLook {
  QColor Color;
  QColor BkColor;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
};

// Looks by style number; every style starts with no look of its own.
class TTokenLooks {
public:
  // A style number outside the table (a parse state from a damaged source)
  // paints in the plain look rather than read past the table.
  const TTokenLook& Of(TFountainStyle style) const {
    const int index = static_cast<int>(style);
    return index > 0 && index < kFountainStyleCount ? m_looks[static_cast<std::size_t>(index)] : m_looks[0];
  }
  void Set(TFountainStyle style, const TTokenLook& look) {
    const int index = static_cast<int>(style);
    if (index > 0 && index < kFountainStyleCount) m_looks[static_cast<std::size_t>(index)] = look;
  }

private:
  std::array<TTokenLook, kFountainStyleCount> m_looks;
};

}  // namespace quillet
