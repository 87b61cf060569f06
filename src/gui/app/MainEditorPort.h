// What the main window needs from its editor control, in one place: the text
// of the entry, the modified mark, the commands it forwards, and the few
// settings it applies. The main window talks to the editor only through this
// interface, so the control behind it can change without touching the entry
// logic, and tests can read and type text through it.
//
// Text crosses as code page 932 bytes with CR LF line ends, as the store
// keeps it. All calls on the user-interface thread.
#pragma once

#include <QObject>
#include <optional>
#include <string>

class QWidget;

namespace quillet {

class THIniFile;
struct TFontSpec;

// The wrap commands, numbered as the settings file stores them ("WrapOrder").
enum class TWrapMode : int { NonWrap = 0, WordWrap = 1, ByteWrap = 2 };
// A stored "WrapOrder": any number but 1 and 2 means no wrapping.
inline TWrapMode WrapModeOf(int stored) {
  return stored == 1 ? TWrapMode::WordWrap : stored == 2 ? TWrapMode::ByteWrap : TWrapMode::NonWrap;
}

class TMainEditorPort : public QObject {
  Q_OBJECT

public:
  using QObject::QObject;

  // The control itself, placed in the main window's editor area.
  virtual QWidget* Widget() = 0;

  // The whole text (lines joined with CR LF; no line end after the last line
  // unless the text ends with one) and its replacement. SetText neither marks
  // the text modified nor records an undo step that could bring back the
  // previous day's text.
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual bool IsEmpty() const = 0;
  virtual bool Modified() const = 0;
  virtual void SetModified(bool modified) = 0;
  // Caret to the start of the text, view to the first row.
  virtual void GoToStart() = 0;

  virtual bool HasFocus() const = 0;
  // Ends a composition in progress (input method pre-edit) by putting its
  // text in as typed, so it belongs to the entry it was typed in.
  virtual void CommitComposition() = 0;
  virtual std::string SelectedText() const = 0;
  // Replaces the selection (or inserts at the caret) as one undo step.
  virtual void ReplaceSelection(const std::string& text) = 0;

  virtual void Undo() = 0;
  virtual void Redo() = 0;
  virtual void Cut() = 0;
  virtual void Copy() = 0;
  virtual void Paste() = 0;
  virtual void SelectAll() = 0;
  virtual void SetBoxSelection(bool on) = 0;

  // Find and replace. Search looks from the selection's end (forward) or
  // start (backward), else from the caret, and selects the hit; false, with
  // caret and selection unchanged, when there is none.
  virtual bool Search(const std::string& text, bool forward, bool matchCase) = 0;
  // The caret in display rows and columns, both 0-based.
  virtual int CaretRow() const = 0;
  virtual int CaretColumn() const = 0;
  // The line-number bar counts rows from zero ("ZeroBase").
  virtual bool RowsFromZero() const = 0;
  // Caret to the end of the last row.
  virtual void GoToEnd() = 0;
  // Every hit replaced as one undo step, caret from the top; the count, or
  // nothing when the text is read-only (see ReplaceAllText).
  virtual std::optional<int> ReplaceAll(const std::string& pattern, const std::string& replacement,
                                        bool matchCase) = 0;
  // With window-edge wrapping, the wrap column fitted to the window again.
  virtual void FitWrap() = 0;

  virtual bool ReadOnly() const = 0;
  virtual void SetReadOnly(bool readOnly) = 0;
  // WordWrap wraps at the window edge, ByteWrap at column `wrapByte`.
  virtual void SetWrapMode(TWrapMode mode, int wrapByte) = 0;
  virtual void SetEditorFont(const TFontSpec& font) = 0;
  // Sections "Edit" and "Color" of the settings file, highlighting included.
  virtual void LoadSettings(const THIniFile& ini) = 0;
  // The highlighter's reserved words from "Reserve.txt" in `optionFolder`
  // (ending in "/"); the list is emptied first, and stays empty when the
  // file is missing or unreadable.
  virtual void LoadReserveWords(const std::string& optionFolder) = 0;

signals:
  // The modified mark went from clear to set (the status panel follows it).
  void ModifiedChanged(bool modified);
  // A transient message for the status bar (input the editor refused).
  void StatusMessage(const QString& text);
  // The mouse moved onto a web or mail address (code page 932 bytes, the
  // whole address even when wrapping cut it) and off it again.
  void LinkEntered(const std::string& link);
  void LinkLeft();
  // An address was clicked as the clickable type says (single or double).
  void LinkClicked(const std::string& link, bool mail);
};

}  // namespace quillet
