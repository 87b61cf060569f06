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
#include "gui/search/SearchWorker.h"

class QCheckBox;
class QProgressBar;
class QPushButton;

namespace quillet {

class TFmMain;
class THistoryBox;

class TFmSqueeze : public QDialog {
  Q_OBJECT

public:
  explicit TFmSqueeze(TFmMain& main);
  ~TFmSqueeze() override;

  // `SqueezeExecute`: checks, then starts the squeeze over the result list.
  void Execute();
  // `SqueezeQuit`: stops the running squeeze without waiting.
  void Quit();
  bool Running() const { return m_worker != nullptr; }
  TSearchWorker* Worker() const { return m_worker; }

  void done(int result) override;

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  TSqueezeOptions Options() const;
  void SetRunning(bool running);
  void StopWorker();
  void Finish(const TSearchOutcome& outcome, TGrepList& items, bool failed);
  void Say(const QString& message) { setWindowTitle(message); }

  TFmMain& m_main;
  std::unique_ptr<THistoryBox> m_box;
  QCheckBox* m_ansi = nullptr;
  QCheckBox* m_bmReg = nullptr;
  QCheckBox* m_progress = nullptr;
  QProgressBar* m_progBar = nullptr;
  QPushButton* m_execute = nullptr;
  QPushButton* m_quit = nullptr;
  QPushButton* m_exit = nullptr;
  QTimer m_squeezeTimer;
  int m_priority = kNormalPriority;
  QString m_pattern;
  QPointer<TSearchWorker> m_worker;
  bool m_closing = false;
};

}  // namespace quillet
