// TColorLabelSE: a label that stands for one colour of the settings. It
// shows the colour's name in that colour and, when clicked, lets the user
// pick another in a colour dialog. The options dialog uses one per colour
// entry of the line-number bar, the ruler, the reserved words and the
// calendar and task pages; with the two flags off it serves as a clickable
// caption (the calendar's font labels).
//
// The colour is kept as the settings store it (TColorRef), so a system colour
// such as clWindowText stays one and its name is what the caption shows; the
// caption spells colours as the settings file does: a colour's name
// ("clNavy") or "$" and eight hex digits ("$00555555"), see core/app/HColor.h.
// A colour picked in the dialog is always a fixed colour.
//
// The label takes the keyboard focus (Tab) and opens the dialog on Space or
// Enter as it does on a click, so the options dialog can be used without a
// mouse.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <QColor>
#include <QLabel>
#include <functional>

#include "core/app/HColor.h"

class QKeyEvent;
class QMouseEvent;
class QPaintEvent;

namespace quillet {

class TColorLabelSE : public QLabel {
  Q_OBJECT

public:
  // Asks the user for a colour starting from `initial` (invalid when the
  // label's colour has no RGB, such as clNone); returns an invalid QColor
  // when the user cancels. Tests put a function here that answers at once.
  using TColorPicker = std::function<QColor(const QColor& initial, QWidget* parent)>;

  explicit TColorLabelSE(QWidget* parent = nullptr);

  // Clicking opens the colour dialog (true when created).
  bool ShowColorDialog() const { return m_showColorDialog; }
  void SetShowColorDialog(bool on) { m_showColorDialog = on; }
  // The caption follows the colour: SetFontColor and a picked colour set it
  // to the colour's name (true when created).
  bool CaptionFollowsColor() const { return m_captionFollowsColor; }
  void SetCaptionFollowsColor(bool on) { m_captionFollowsColor = on; }

  // The label's font colour as stored in the settings; clWindowText when
  // created. System colours are drawn in the palette colour that stands for
  // them; clNone and clDefault in the label's default text colour.
  TColorRef FontColor() const { return m_color; }
  // Sets the font colour and, with CaptionFollowsColor, the caption to the
  // colour's settings name. Emits nothing: FontChanged means "the user
  // picked a colour".
  void SetFontColor(TColorRef color);

  // Replaces the colour dialog (an empty function restores QColorDialog).
  void SetColorPicker(TColorPicker picker);

  // What a click does: with ShowColorDialog, ask for a colour starting from
  // the label's own; on OK set it as the font colour (and caption) and emit
  // FontChanged; on cancel change nothing and emit nothing. Then, dialog or
  // not, emit Clicked.
  void Click();

signals:
  // The user picked a colour; FontColor() holds it.
  void FontChanged();
  // The label was clicked (or activated from the keyboard).
  void Clicked();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

private:
  TColorRef m_color = clWindowText;
  bool m_showColorDialog = true;
  bool m_captionFollowsColor = true;
  bool m_pressed = false;
  TColorPicker m_picker;
};

}  // namespace quillet
