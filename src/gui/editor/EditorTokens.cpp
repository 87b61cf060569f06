// Token looks from the highlighter's colour items; see EditorTokens.h.
#include "gui/editor/EditorTokens.h"

#include "gui/editor/EditorColors.h"

namespace quillet {

TTokenLook LookOf(const TFountainColor& color, const QPalette& palette) {
  TTokenLook look;
  look.Color = ToQColor(color.Color(), palette);
  look.BkColor = ToQColor(color.BkColor(), palette);
  look.Bold = (color.Style() & fsBold) != 0;
  look.Italic = (color.Style() & fsItalic) != 0;
  look.Underline = (color.Style() & fsUnderline) != 0;
  look.StrikeOut = (color.Style() & fsStrikeOut) != 0;
  return look;
}

TTokenLooks MakeTokenLooks(const TEditorFountain& fountain, const QPalette& palette) {
  TTokenLooks looks;
  for (int kind = 1; kind < kFountainStyleCount; ++kind) {
    if (const TEditorColor* item = fountain.Colors().OfKind(kind))
      looks.Set(static_cast<TFountainStyle>(kind), LookOf(*item, palette));
  }
  for (int item = 0; item < fountain.Brackets().Count(); ++item)
    looks.SetBracket(item, LookOf(fountain.Brackets().Item(item).ItemColor(), palette));
  return looks;
}

}  // namespace quillet
