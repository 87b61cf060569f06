// TColorLabelSE: the colour label (see ColorLabelSE.h).
#include "gui/options/ColorLabelSE.h"

#include <QApplication>
#include <QColorDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <cstdlib>

#include "gui/editor/EditorColors.h"

namespace quillet {

namespace {

QColor AskColor(const QColor& initial, QWidget* parent) { return QColorDialog::getColor(initial, parent); }

}  // namespace

TColorLabelSE::TColorLabelSE(QWidget* parent) : QLabel(parent), m_picker(AskColor) {
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
}

void TColorLabelSE::SetFontColor(TColorRef color) {
  m_color = color;
  QPalette pal = palette();
  const QColor ink = ToQColor(color, QApplication::palette());
  pal.setColor(QPalette::WindowText, ink.isValid() ? ink : QApplication::palette().color(QPalette::WindowText));
  // A colour too close to the page's own ground (clWindow, a white font) is
  // shown on a ground it can be read on.
  const QColor ground = parentWidget() ? parentWidget()->palette().color(QPalette::Window)
                                       : QApplication::palette().color(QPalette::Window);
  const QColor shown = pal.color(QPalette::WindowText);
  // Lightness apart by less than a third of the scale reads poorly.
  const bool faint = std::abs(shown.lightness() - ground.lightness()) < 85;
  setAutoFillBackground(faint);
  pal.setColor(QPalette::Window,
               faint ? (shown.lightness() > 127 ? QColor(0x40, 0x40, 0x40) : QColor(0xF0, 0xF0, 0xF0)) : ground);
  setPalette(pal);
  if (m_captionFollowsColor) setText(QString::fromStdString(ColorToString(color)));
}

void TColorLabelSE::SetColorPicker(TColorPicker picker) { m_picker = picker ? std::move(picker) : TColorPicker(AskColor); }

void TColorLabelSE::Click() {
  if (m_showColorDialog) {
    const QColor chosen = m_picker(ToQColor(m_color, QApplication::palette()), this);
    if (chosen.isValid()) {
      SetFontColor(ColorRefOf(chosen));
      emit FontChanged();
    }
  }
  emit Clicked();
}

void TColorLabelSE::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    m_pressed = true;
    event->accept();
    return;
  }
  QLabel::mousePressEvent(event);
}

void TColorLabelSE::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && m_pressed) {
    m_pressed = false;
    event->accept();
    // A click is a press and a release on the label; dragging off cancels.
    if (rect().contains(event->position().toPoint())) Click();
    return;
  }
  QLabel::mouseReleaseEvent(event);
}

void TColorLabelSE::keyPressEvent(QKeyEvent* event) {
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  if (plain && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    event->accept();
    Click();
    return;
  }
  QLabel::keyPressEvent(event);
}

void TColorLabelSE::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.backgroundColor = palette().color(QPalette::Window);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

}  // namespace quillet
