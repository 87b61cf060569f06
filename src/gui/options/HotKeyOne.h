// THotKeyOne: a read-only field that captures one keyboard shortcut by
// showing the keys the user presses, for the menu-shortcut page of the
// options dialog.
//
// The text is the whole state: empty, "なし" (no shortcut), or a shortcut in
// this field's spaced notation, the held modifiers as "Ctrl + ", "Shift + ",
// "Alt + " in that order followed by the key's name ("Ctrl + Shift + S").
// With the blanks removed the text is Qt's portable shortcut notation
// ("Ctrl+Shift+S"), the one the settings file stores in section "ShortCut",
// so GetShortCut parses exactly what a key press showed.
//
// Shortcut codes: Windows encodes a shortcut as a 16-bit value (virtual key
// plus Ctrl/Shift/Alt bits). Here a code is Qt's QKeyCombination as an int
// (QKeyCombination::toCombined(): Qt::Key | Qt::KeyboardModifiers), 0 for
// none. Codes never reach a file: what is stored is the text ("Ctrl+S").
//
// Key handling: every key press reaches the field before any shortcut of the
// window (the ShortcutOverride is accepted), is shown and goes no further,
// so pressing Ctrl+S here records Ctrl+S instead of saving, and Alt+letter
// records the letter instead of jumping to a label's access key. Two kinds
// of key press are left to the window so that keyboard users can leave the
// field and close the dialog: Tab and Shift+Tab without Ctrl or Alt (focus
// moves on) and Esc without any modifier (the dialog's cancel).
//
// Everything here runs on the user-interface thread.
#pragma once

#include <QLineEdit>
#include <QString>

class QContextMenuEvent;
class QEvent;
class QKeyEvent;

namespace quillet {

class THotKeyOne : public QLineEdit {
  Q_OBJECT

public:
  // The text shown for "no shortcut" once a key is released.
  static const QString kNone;

  explicit THotKeyOne(QWidget* parent = nullptr);

  // Whether a held modifier counts in a key press (all true when created).
  // A held but disallowed modifier is ignored as if it were not held.
  bool AllowAlt() const { return m_allowAlt; }
  void SetAllowAlt(bool on) { m_allowAlt = on; }
  bool AllowCtrl() const { return m_allowCtrl; }
  void SetAllowCtrl(bool on) { m_allowCtrl = on; }
  bool AllowShift() const { return m_allowShift; }
  void SetAllowShift(bool on) { m_allowShift = on; }

  // The shown shortcut as a code (see above): blanks removed, parsed as one
  // portable key sequence; 0 for an empty text, "なし", a text of modifiers
  // only, a key name Qt does not know, or more than one key.
  int GetShortCut() const;
  // Shows `code` in the spaced notation, modifiers in the order Ctrl, Shift,
  // Alt ("Ctrl + Shift + S"); code 0 shows an empty text. A Meta (Windows
  // key) modifier, which this field never records, is kept as "Meta+".
  void SetShortCut(int code);

  // The same two conversions without a field, for the menu tree and the
  // settings: `text` in either notation (blanks are removed first).
  static int ShortCutOf(const QString& text);
  // Qt's portable notation of `code` ("Ctrl+Shift+S"), as section
  // "ShortCut" stores it and the menu tree shows it; "" for 0.
  static QString ShortCutToText(int code);
  // The spaced notation of `code`, as SetShortCut shows it.
  static QString SpacedText(int code);

protected:
  bool event(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  // True for the key presses left to the window (see the file comment).
  static bool LeftToWindow(const QKeyEvent& key);
  // The display routine: the text a key press shows.
  QString PressedText(const QKeyEvent& key) const;
  // Key release: an unreadable or empty shortcut becomes "なし".
  void Validate();

  bool m_allowAlt = true;
  bool m_allowCtrl = true;
  bool m_allowShift = true;
};

}  // namespace quillet
