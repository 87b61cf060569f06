// TFmSqueeze: the squeeze dialog "絞込み検索". It searches the entries listed
// in the result window again (TSqueeze) on a worker thread and marks the
// ones that match; the result window then shows the list, marked first.
//
// Controls: `SqueezeBox` labelled "絞込み文字列", showing "Grep.txt" but never
// adding to it, `SqueezeAnsi`, `SqueezeBmReg` (unchecks and disables
// `SqueezeAnsi`), `SqueezeProgress` (shows the progress bar), and
// `SqueezeExecute`, `SqueezeQuit`, `SqueezeExit`. Its messages are its
// caption. Section "Squeeze" is read on open and written on close.
//
// The search works on a copy of the result window's list taken when it
// starts, and gives the list back only when it finishes; a squeeze that is
// stopped, replaced by a new one or outlived by the dialog is detached
// (TSearchWorker) and changes nothing. A finished squeeze loads the result
// window, names it after the pattern, shows the count in its status bar,
// and closes this dialog 100 ms later (`SqueezeTimer`); the dialog is hidden
// at once. A regular expression that does not compile and marks nothing is
// said in the caption and leaves the list as it was.
//
// Closing (Escape while idle, `SqueezeExit`, the title bar, the main
// window's close) deletes the dialog. GUI thread.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>

#include "core/search/Squeeze.h"
#include "gui/search/SearchRunDialog.h"
#include "gui/search/SearchWorker.h"

class QCheckBox;
class QProgressBar;
class QPushButton;

namespace quillet {

class TFmMain;
class THistoryBox;

class TFmSqueeze : public TSearchRunDialog {
  Q_OBJECT

public:
  explicit TFmSqueeze(TFmMain& main);
  ~TFmSqueeze() override;

  // `SqueezeExecute`: checks, then starts the squeeze over the result list.
  void Execute() override;

  void done(int result) override;

private:
  TSqueezeOptions Options() const;
  void Finish(const TSearchOutcome& outcome, TGrepList& items, bool failed) override;

  std::unique_ptr<THistoryBox> m_box;
};

}  // namespace quillet
