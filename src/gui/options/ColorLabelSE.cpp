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
