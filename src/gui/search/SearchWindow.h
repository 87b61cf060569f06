// TSearchWindow: what the find window (TFmFind) and the replace window
// (TFmReplace) share: a stay-on-top tool window over the main window's
// editor with the search box `FindBox` ("Find.txt"), the check boxes
// `FindByte` (match case, setting "Byte") and `FindRecursion` (wrap around,
// setting "Recursion") and the search itself.
//
// Opening loads "Find.txt" and, when the settings file exists, the two check
// boxes from section "Search". Closing (the close button, Escape, the
// toggled command, the main window's close) unchecks the main window's
// command, writes "Byte" and "Recursion" (making the options folder when
// needed) and deletes the window.
//
// Reports go to the main window's status bar as transient messages; a
// history file that could not be read or saved is named after the report.
// GUI thread.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QPushButton;

namespace quillet {

class TFmMain;
class THistoryBox;
class TMainEditorPort;

// The report of a search: " N行 M桁" with the caret's row and column counted
// from 1 (the row from 0 when the line-number bar counts from zero), or the
// not-found message.
QString SearchReport(const TMainEditorPort& editor, bool found);

class TSearchWindow : public QDialog {
  Q_OBJECT

public:
  ~TSearchWindow() override;

  // Find next (`forward`) or previous with the box's text: nothing for an
  // empty box; the text goes to the top of "Find.txt"; a search that finds
  // nothing tries once more from the top (end) with wrap-around checked.
  void FindNext(bool forward);

  void done(int result) override;

protected:
  // `commandName`: the main window's toggle that follows this window.
  TSearchWindow(TFmMain& main, const QString& commandName, const QString& caption);

  // Builds the search box with its label on grid row `row`, and the check
  // boxes below the last box; call after the boxes, before showing.
  QComboBox* AddSearchBox(const QString& objectName, const QString& label, int row);
  void AddCheckBoxes(int row);
  QPushButton* AddButton(const QString& objectName, const QString& text, int row);
  // Loads the history boxes and the check boxes.
  void LoadState();

  bool MatchCase() const;
  TMainEditorPort& Editor() const;
  int HistoryLimit() const;
  // The box text as bytes, or false after reporting the refused character.
  bool BoxBytes(const THistoryBox& box, std::string& bytes);
  // Adds to a history, noting a failure for the next report.
  void AddToHistory(THistoryBox& box, const std::string& bytes);
  // Shows `text` with any noted history failure.
  void Report(const QString& text);

  TFmMain& m_main;
  QGridLayout* m_grid = nullptr;
  std::unique_ptr<THistoryBox> m_findBox;
  std::unique_ptr<THistoryBox> m_replaceBox;  // the replace window's
  QCheckBox* m_findByte = nullptr;
  QCheckBox* m_findRecursion = nullptr;

private:
  QString m_commandName;
  QString m_notes;
  bool m_closing = false;
};

}  // namespace quillet
