// TFmGrep: the grep dialog "ファイルから検索". It searches the entries of a
// range of months (TDiaryGrep) on a worker thread and hands the hits to the
// main window's result window.
//
// Controls: the search box `GrepWordBox` over "Grep.txt" (plain Add, no
// limit), the range `GrepFYear`/`GrepFMonth` .. `GrepTYear`/`GrepTMonth`, the
// check boxes `GrepAnsi`, `GrepBmReg` (regular expressions are always
// case-sensitive, so it unchecks and disables `GrepAnsi`), `GrepCode`,
// `GrepTitle`, `GrepProgress` (shows `ProgBar`), and `GrepExecute`,
// `GrepQuit`, `GrepExit`. Its messages are its caption. Section "Grep" is
// read on open and written on close.
//
// One search at a time is attached to the dialog (TSearchWorker). Cancel,
// a new search and closing the dialog detach the running one after asking
// it to stop, without waiting: a detached search reports nothing, so the
// caption "検索を中止しました" stays, and a closed dialog is never touched.
//
// A finished search with hits loads the result window, names it after the
// pattern, shows it and closes this dialog 100 ms later (`CloseTimer`). A
// search that found nothing says so in the caption, or says why (a regular
// expression that does not compile); entries that could not be read are
// counted in the caption or the result window's status bar.
//
// Closing (Escape while idle, `GrepExit`, the title bar, the main window's
// close) unchecks "ActGrep" and deletes the dialog. GUI thread.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

#include "core/search/DiaryGrep.h"
#include "gui/search/SearchRunDialog.h"
#include "gui/search/SearchWorker.h"

class QCheckBox;
class QComboBox;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace quillet {

class TFmMain;
class THistoryBox;

class TFmGrep : public TSearchRunDialog {
  Q_OBJECT

public:
  explicit TFmGrep(TFmMain& main);
  ~TFmGrep() override;

  // `GrepExecute`: validates, records the history and starts the search.
  void Execute() override;

  void done(int result) override;

private:
  TGrepOptions Options() const;
  void SetOptions(const TGrepOptions& options);
  void Finish(const TSearchOutcome& outcome, TGrepList& items, bool failed) override;

  std::unique_ptr<THistoryBox> m_wordBox;
  QSpinBox* m_fromYear = nullptr;
  QComboBox* m_fromMonth = nullptr;
  QSpinBox* m_toYear = nullptr;
  QComboBox* m_toMonth = nullptr;
  QCheckBox* m_code = nullptr;
  QCheckBox* m_title = nullptr;
  QString m_notes;                   // a history that could not be saved
};

// What the grep and squeeze dialogs share: their check boxes and buttons
// (a button is never a default by focus: Enter means the search button),
// and their messages beyond the core's.
QCheckBox* SearchCheckBox(QWidget* parent, const char* name, const char* caption);
QPushButton* SearchButton(QWidget* parent, const char* name, const char* caption);
QString Utf8Message(std::string_view text);
QString BadRegExpMessage(const std::string& error);
QString UnreadableNote(std::size_t count);
inline constexpr char kMsgSearchFailed[] = "検索中にエラーが発生しました";

}  // namespace quillet
