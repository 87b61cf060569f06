// THotKeyOne: shortcut capture and its two notations (see HotKeyOne.h).
#include "gui/options/HotKeyOne.h"

#include <QContextMenuEvent>
#include <QEvent>
#include <QKeyCombination>
#include <QKeyEvent>
#include <QKeySequence>

namespace quillet {

namespace {

QString WithoutBlanks(QString text) {
  text.remove(QLatin1Char(' '));
  text.remove(QChar(0x3000));  // a full-width blank typed through an input method
  return text;
}

// Keys that never give their name: Enter, the modifiers themselves, Space and
// the Windows (Meta) keys. Pressing them with a modifier shows the modifiers
// only, which a release turns into "なし".
bool IsNamelessKey(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:  // the right Alt key on layouts that have one
    case Qt::Key_Space:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_unknown:
    case 0:
      return true;
    default:
      return false;
  }
}

// The modifier a modifier key stands for, so that pressing Ctrl alone shows
// "Ctrl + " whether or not the platform already counts the key as held in
// its own press event (X11 reports the state before the press).
Qt::KeyboardModifiers OwnModifier(int key) {
  switch (key) {
    case Qt::Key_Control: return Qt::ControlModifier;
    case Qt::Key_Shift: return Qt::ShiftModifier;
    case Qt::Key_Alt: return Qt::AltModifier;
    default: return Qt::NoModifier;
  }
}

}  // namespace

const QString THotKeyOne::kNone = QStringLiteral("なし");

THotKeyOne::THotKeyOne(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
  // Keys must arrive as key presses, not as input-method composition.
  setAttribute(Qt::WA_InputMethodEnabled, false);
}

int THotKeyOne::ShortCutOf(const QString& text) {
  const QString plain = WithoutBlanks(text);
  if (plain.isEmpty()) return 0;
  const QKeySequence sequence = QKeySequence::fromString(plain, QKeySequence::PortableText);
  // Qt reads "Ctrl+" (modifiers without a key) and unknown names as one
  // Key_unknown; neither is a shortcut. A list of keys ("Ctrl+K,Ctrl+S") is
  // not one shortcut either.
  if (sequence.count() != 1) return 0;
  const QKeyCombination combination = sequence[0];
  if (combination.key() == Qt::Key_unknown || combination.key() == 0) return 0;
  return combination.toCombined();
}

QString THotKeyOne::ShortCutToText(int code) {
  if (code == 0) return {};
  return QKeySequence(QKeyCombination::fromCombined(code)).toString(QKeySequence::PortableText);
}

QString THotKeyOne::SpacedText(int code) {
  // Qt writes the modifiers as "Meta+Ctrl+Alt+Shift+"; each of ours is taken
  // out and put in front in turn, Alt first, so the result reads Ctrl,
  // Shift, Alt. No key name contains one of these prefixes, and the spaced
  // ones put in front do not match them again.
  QString text = ShortCutToText(code);
  const auto moveToFront = [&text](QLatin1String portable, QLatin1String spaced) {
    const qsizetype at = text.indexOf(portable);
    if (at < 0) return;
    text.remove(at, portable.size());
    text.prepend(spaced);
  };
  moveToFront(QLatin1String("Alt+"), QLatin1String("Alt + "));
  moveToFront(QLatin1String("Shift+"), QLatin1String("Shift + "));
  moveToFront(QLatin1String("Ctrl+"), QLatin1String("Ctrl + "));
  return text;
}

int THotKeyOne::GetShortCut() const { return ShortCutOf(text()); }

void THotKeyOne::SetShortCut(int code) { setText(SpacedText(code)); }

bool THotKeyOne::LeftToWindow(const QKeyEvent& key) {
  const Qt::KeyboardModifiers mods = key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
  if (key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab)
    return !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  if (key.key() == Qt::Key_Escape) return mods == Qt::NoModifier;
  return false;
}

QString THotKeyOne::PressedText(const QKeyEvent& key) const {
  const Qt::KeyboardModifiers held = key.modifiers() | OwnModifier(key.key());
  QString text;
  if (m_allowCtrl && (held & Qt::ControlModifier)) text += QStringLiteral("Ctrl + ");
  if (m_allowShift && (held & Qt::ShiftModifier)) text += QStringLiteral("Shift + ");
  if (m_allowAlt && (held & Qt::AltModifier)) text += QStringLiteral("Alt + ");
  // A shortcut always has at least one modifier.
  if (text.isEmpty()) return text;
  if (IsNamelessKey(key.key())) return text;
  // Qt reports Shift+Tab as its own key; the keyboard's key is Tab.
  const int named = key.key() == Qt::Key_Backtab ? int(Qt::Key_Tab) : key.key();
  // The portable name is the one GetShortCut parses back. Names with a blank
  // ("Media Play") do not survive the blank removal: a release turns them
  // into "なし", as for any key Qt cannot name.
  return text + QKeySequence(named).toString(QKeySequence::PortableText);
}

void THotKeyOne::Validate() {
  if (GetShortCut() == 0) setText(kNone);
}

bool THotKeyOne::event(QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (LeftToWindow(*key)) return QLineEdit::event(event);
      // Accepting the override stops every shortcut of the window and
      // delivers the key to us as a key press.
      event->accept();
      return true;
    }
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (LeftToWindow(*key)) return QLineEdit::event(event);
      setText(PressedText(*key));
      event->accept();
      return true;
    }
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      // Auto-repeat sends a release with each repeated press; the key is
      // still held, so the shown keys stay.
      if (!key->isAutoRepeat()) Validate();
      event->accept();
      return true;
    }
    default:
      return QLineEdit::event(event);
  }
}

void THotKeyOne::contextMenuEvent(QContextMenuEvent* event) {
  // The field's own menu is empty: no edit menu, and nothing for a parent's.
  event->accept();
}

}  // namespace quillet
