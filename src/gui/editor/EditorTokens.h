// The Qt side of the highlighter seam (core/editor/EditorFountain.h): the
// colours and font style that each token style is painted in. The row
// parser speaks in byte ranges and style numbers; only the painter turns a
// style number into a look, so the highlighter's rules stay in the core and
// are tested there.
#pragma once

#include <QColor>
#include <QPalette>
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

// Looks by style number, of reserved words and of each bracket item; every
// one starts with no look of its own.
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
  // A token's look: the Reserve look for a reserved word, its item's look
  // for a bracketed region, else its style's.
  const TTokenLook& Of(const TFountainToken& token) const {
    if (token.Reserved) return Of(TFountainStyle::Reserve);
    if (token.Style == TFountainStyle::Bracket)
      return token.Bracket >= 0 && token.Bracket < TFountainBracketCollection::kMaxItems
                 ? m_brackets[static_cast<std::size_t>(token.Bracket)]
                 : m_looks[0];
    return Of(token.Style);
  }
  void SetBracket(int item, const TTokenLook& look) {
    if (item >= 0 && item < TFountainBracketCollection::kMaxItems) m_brackets[static_cast<std::size_t>(item)] = look;
  }

private:
  std::array<TTokenLook, kFountainStyleCount> m_looks;
  std::array<TTokenLook, TFountainBracketCollection::kMaxItems> m_brackets;
};

// The look of a colour item: clNone parts stay invalid (the editor's own
// colour), system colours through `palette`.
TTokenLook LookOf(const TFountainColor& color, const QPalette& palette);
// The looks of every token style of `fountain`.
TTokenLooks MakeTokenLooks(const TEditorFountain& fountain, const QPalette& palette);

}  // namespace quillet
