// The squeeze dialog; see FmSqueeze.h.
#include "gui/search/FmSqueeze.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "gui/app/UMain.h"
#include "gui/search/FmGrep.h"
#include "gui/search/FmResult.h"
#include "gui/search/HistoryBox.h"
#include "gui/search/SearchWorker.h"

namespace quillet {

TFmSqueeze::TFmSqueeze(TFmMain& main) : TSearchRunDialog(main, kMsgSqueezeStopped) {
  setObjectName("FmSqueeze");
  setWindowTitle("絞込み検索");

  auto* box = new QComboBox(this);
  box->setObjectName("SqueezeBox");
  box->setMaxVisibleItems(20);
  box->setMinimumWidth(260);
  m_box = std::make_unique<THistoryBox>(box, main.OptionFolder(), "Grep.txt");
  auto* label = new QLabel("絞込み文字列", this);
  label->setBuddy(box);

  m_ansi = SearchCheckBox(this, "SqueezeAnsi", "大文字・小文字を区別する");
  m_bmReg = SearchCheckBox(this, "SqueezeBmReg", "正規表現を使用する");
  m_progress = SearchCheckBox(this, "SqueezeProgress", "進捗を表示する");
  m_progBar = new QProgressBar(this);
  m_progBar->setObjectName("SqueezeProgBar");
  m_progBar->setRange(0, 1);
  m_progBar->setValue(0);

  auto* left = new QGridLayout;
  left->addWidget(label, 0, 0);
  left->addWidget(box, 0, 1);
  left->addWidget(m_ansi, 1, 0, 1, 2);
  left->addWidget(m_bmReg, 2, 0, 1, 2);
  left->addWidget(m_progress, 3, 0, 1, 2);
  left->addWidget(m_progBar, 4, 0, 1, 2);

  FinishLayout(left, "Squeeze", "SqueezeTimer");

  const QString note = m_box->Load();
  if (!note.isEmpty()) Say(note);
  const TSqueezeOptions options = ReadSqueezeOptions(THIniFile(main.SettingsFile(), false));
  m_ansi->setChecked(options.CaseSensitive);
  m_bmReg->setChecked(options.RegExp);
  m_ansi->setEnabled(!options.RegExp);
  m_progress->setChecked(options.ShowProgress);
  m_progBar->setVisible(options.ShowProgress);
  m_priority = options.Priority;
  box->setFocus();
}

TFmSqueeze::~TFmSqueeze() = default;

TSqueezeOptions TFmSqueeze::Options() const {
  TSqueezeOptions options;
  options.CaseSensitive = m_ansi->isChecked();
  options.RegExp = m_bmReg->isChecked();
  options.ShowProgress = m_progress->isChecked();
  options.Priority = m_priority;
  return options;
}

void TFmSqueeze::Execute() {
  m_timer.stop();
  std::string text;
  QString refused;
  if (!m_box->Text(text, refused)) {
    Say(refused);
    return;
  }
  TFmResult* result = m_main.ExistingResultWindow();
  if (const std::string invalid = ValidateSqueezeStart(text, result != nullptr, result ? result->Items().size() : 0);
      !invalid.empty()) {
    Say(QString::fromStdString(invalid));
    return;
  }
  StopWorker();
  TSqueezeOptions options = Options();
  options.PatternText = text;
  m_pattern = HistoryDisplayText(text);

  // The list is copied here, on the GUI thread; the worker never reads the
  // result window.
  auto squeeze = std::make_shared<TSqueeze>(options, result->Items(), m_main.Code());
  TSearchWorker* worker = MakeWorker(squeeze);
  Launch(worker);
}

void TFmSqueeze::Finish(const TSearchOutcome& outcome, TGrepList& items, bool failed) {
  EndRun();
  const QString unreadable =
      outcome.Unreadable.empty() ? QString() : "  " + UnreadableNote(outcome.Unreadable.size());
  if (failed) {
    Say(kMsgSearchFailed + unreadable);
    return;
  }
  if (outcome.Cancelled) {
    Say(Utf8Message(kMsgSqueezeStopped));
    return;
  }
  const std::size_t marked = CountMarked(items);
  // Every item failed on the pattern: the marks it took away were not the
  // user's answer, so the list stays as it was.
  if (marked == 0 && !outcome.RegExpError.empty()) {
    Say(BadRegExpMessage(outcome.RegExpError) + unreadable);
    return;
  }
  QString status = QString::fromStdString(SqueezeCountMessage(marked)) + unreadable;
  if (!outcome.RegExpError.empty()) status += "  " + BadRegExpMessage(outcome.RegExpError);
  TFmResult* result = m_main.ResultWindow();
  result->setWindowTitle(QString::fromStdString(SqueezeResultCaption(m_pattern.toStdString())));
  result->Load(items);
  result->ShowStatusMessage(status);
  result->show();
  result->raise();
  result->activateWindow();
  m_timer.start();
  hide();
}

void TFmSqueeze::done(int result) {
  if (m_closing) return;
  m_closing = true;
  m_timer.stop();
  StopWorker();
  if (EnsureFolder(m_main.OptionFolder())) {
    THIniFile ini(m_main.SettingsFile(), true);
    WriteSqueezeOptions(ini, Options());
    ini.UpdateFile();
  }
  QDialog::done(result);
  deleteLater();
}

}  // namespace quillet
