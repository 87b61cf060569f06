// TFontLabel: a font entry of the options dialog's calendar and title pages.
// A colour label with its colour dialog off: it shows "Size: " and the
// point size (with ShowFamily, the face name before it), drawn in the face
// and colour it stands for, and a click (or Space or Enter) opens a font
// dialog started from the label's face, size and colour. On OK the label
// takes the three and emits FontChanged; on cancel nothing changes and
// nothing is emitted.
//
// The face is kept as the user's font system names it; the settings file
// stores it as code page 932, which the page checks before it writes.
// GUI thread.
#pragma once

#include <functional>

#include "gui/options/ColorLabelSE.h"

namespace quillet {

struct TFontChoice {
  QString family;
  int size = 9;  // points
  TColorRef color = clWindowText;
};

class TFontLabel : public TColorLabelSE {
  Q_OBJECT

public:
  // Asks for a font starting from `choice`, with a colour choice when
  // `withColor`; true with `choice` changed on OK. Tests put a function
  // here that answers at once.
  using TFontPicker = std::function<bool(TFontChoice& choice, bool withColor, QWidget* parent)>;

  explicit TFontLabel(QWidget* parent = nullptr, bool withColor = true, bool showFamily = false);

  const TFontChoice& Choice() const { return m_choice; }
  // Shows `choice`; emits nothing.
  void SetChoice(const TFontChoice& choice);
  // Replaces the font dialog (an empty function restores the built-in one).
  void SetFontPicker(TFontPicker picker);

private:
  void PickFont();

  TFontChoice m_choice;
  bool m_withColor;
  bool m_showFamily;
  TFontPicker m_picker;
};


}  // namespace quillet
