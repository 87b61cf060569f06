// The grep dialog; see FmGrep.h.
#include "gui/search/FmGrep.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "gui/app/UMain.h"
#include "gui/search/FmResult.h"
#include "gui/search/HistoryBox.h"
#include "gui/search/SearchWorker.h"

namespace quillet {

QString BadRegExpMessage(const std::string& error) {
  return QStringLiteral("正規表現が不正です: ") + QString::fromStdString(error);
}

QString UnreadableNote(std::size_t count) {
  return QStringLiteral("(読み込めないファイル %1個)").arg(count);
}

namespace {

QSpinBox* YearBox(QWidget* parent, const char* name) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(kFirstDiaryYear, kLastDiaryYear);
  return box;
}

QComboBox* MonthBox(QWidget* parent, const char* name) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  for (int month = 1; month <= 12; ++month) box->addItem(QString::number(month));
  return box;
}

}  // namespace

QCheckBox* SearchCheckBox(QWidget* parent, const char* name, const char* caption) {
  auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
  box->setObjectName(name);
  return box;
}

QPushButton* SearchButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromUtf8(caption), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QString Utf8Message(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TFmGrep::TFmGrep(TFmMain& main) : TSearchRunDialog(main, kMsgGrepCancelled) {
  setObjectName("FmGrep");
  setWindowTitle("ファイルから検索");

  auto* wordBox = new QComboBox(this);
  wordBox->setObjectName("GrepWordBox");
  wordBox->setMaxVisibleItems(20);
  wordBox->setMinimumWidth(300);
  m_wordBox = std::make_unique<THistoryBox>(wordBox, main.OptionFolder(), "Grep.txt");

  m_fromYear = YearBox(this, "GrepFYear");
  m_fromMonth = MonthBox(this, "GrepFMonth");
  m_toYear = YearBox(this, "GrepTYear");
  m_toMonth = MonthBox(this, "GrepTMonth");
  auto* range = new QHBoxLayout;
  range->addWidget(m_fromYear);
  range->addWidget(new QLabel("年", this));
  range->addWidget(m_fromMonth);
  range->addWidget(new QLabel("月から", this));
  range->addSpacing(8);
  range->addWidget(m_toYear);
  range->addWidget(new QLabel("年", this));
  range->addWidget(m_toMonth);
  range->addWidget(new QLabel("月まで", this));
  range->addStretch(1);

  m_ansi = SearchCheckBox(this, "GrepAnsi", "大文字・小文字を区別する");
  m_bmReg = SearchCheckBox(this, "GrepBmReg", "正規表現を使用する");
  m_code = SearchCheckBox(this, "GrepCode", "暗号ファイル内も検索する");
  m_title = SearchCheckBox(this, "GrepTitle", "タイトルも検索する");
  m_progress = SearchCheckBox(this, "GrepProgress", "進捗を表示する");
  auto* checks = new QGridLayout;
  checks->addWidget(m_ansi, 0, 0);
  checks->addWidget(m_bmReg, 0, 1);
  checks->addWidget(m_code, 1, 0);
  checks->addWidget(m_title, 1, 1);
  checks->addWidget(m_progress, 2, 0);

  m_progBar = new QProgressBar(this);
  m_progBar->setObjectName("ProgBar");
  m_progBar->setRange(0, 1);
  m_progBar->setValue(0);

  auto* left = new QVBoxLayout;
  left->addWidget(wordBox);
  left->addLayout(range);
  left->addLayout(checks);
  left->addWidget(m_progBar);

  FinishLayout(left, "Grep", "CloseTimer");

  const QString note = m_wordBox->Load();
  if (!note.isEmpty()) Say(note);
  const QDate today = QDate::currentDate();
  SetOptions(ReadGrepOptions(THIniFile(main.SettingsFile(), false), today.year(), today.month()));
  wordBox->setFocus();
}

TFmGrep::~TFmGrep() = default;

TGrepOptions TFmGrep::Options() const {
  TGrepOptions options;
  options.FromYear = m_fromYear->value();
  options.FromMonth = m_fromMonth->currentIndex() + 1;
  options.ToYear = m_toYear->value();
  options.ToMonth = m_toMonth->currentIndex() + 1;
  options.CaseSensitive = m_ansi->isChecked();
  options.RegExp = m_bmReg->isChecked();
  options.SearchEncrypted = m_code->isChecked();
  options.SearchTitles = m_title->isChecked();
  options.ShowProgress = m_progress->isChecked();
  options.Priority = m_priority;
  return options;
}

void TFmGrep::SetOptions(const TGrepOptions& options) {
  // A month outside 1..12 in a hand-edited file shows as the nearest one.
  m_fromYear->setValue(options.FromYear);
  m_fromMonth->setCurrentIndex(std::clamp(options.FromMonth, 1, 12) - 1);
  m_toYear->setValue(options.ToYear);
  m_toMonth->setCurrentIndex(std::clamp(options.ToMonth, 1, 12) - 1);
  m_ansi->setChecked(options.CaseSensitive);
  m_bmReg->setChecked(options.RegExp);
  m_ansi->setEnabled(!options.RegExp);
  m_code->setChecked(options.SearchEncrypted);
  m_title->setChecked(options.SearchTitles);
  m_progress->setChecked(options.ShowProgress);
  m_progBar->setVisible(options.ShowProgress);
  m_priority = options.Priority;
}

void TFmGrep::Execute() {
  StopWorker();
  SetRunning(false);
  m_timer.stop();
  std::string text;
  QString refused;
  if (!m_wordBox->Text(text, refused)) {
    Say(refused);
    return;
  }
  TGrepOptions options = Options();
  options.PatternText = text;
  if (const std::string invalid = ValidateGrepStart(options); !invalid.empty()) {
    Say(QString::fromStdString(invalid));
    return;
  }
  const QString note = m_wordBox->Add(text);
  m_notes = note.isEmpty() ? QString() : "  " + note;
  m_pattern = HistoryDisplayText(text);

  auto grep = std::make_shared<TDiaryGrep>(options, m_main.StoreSettings(), m_main.Code());
  TSearchWorker* worker = MakeWorker(grep);
  grep->OnStatus = [this, worker](std::string_view status) {
    worker->Post([this, text = Utf8Message(status)] { Say(text); });
  };
  Launch(worker);
}

void TFmGrep::Finish(const TSearchOutcome& outcome, TGrepList& items, bool failed) {
  EndRun();
  QString notes = m_notes;
  m_notes.clear();
  if (!outcome.Unreadable.empty()) notes += "  " + UnreadableNote(outcome.Unreadable.size());
  if (failed) {
    Say(kMsgSearchFailed + notes);
    return;
  }
  if (items.empty()) {
    // A pattern that does not compile found nothing because of that: say so
    // rather than "not found".
    Say((outcome.RegExpError.empty() ? QString::fromStdString(GrepNotFoundCaption(m_pattern.toStdString()))
                                     : BadRegExpMessage(outcome.RegExpError)) +
        notes);
    return;
  }
  if (outcome.Cancelled) return;
  if (!outcome.RegExpError.empty()) notes += "  " + BadRegExpMessage(outcome.RegExpError);
  TFmResult* result = m_main.ResultWindow();
  result->Load(items);
  result->setWindowTitle(QString::fromStdString(GrepResultCaption(m_pattern.toStdString())));
  if (!notes.isEmpty()) result->ShowStatusMessage(" " + QString::number(items.size()) + "個検出しました" + notes);
  result->show();
  result->raise();
  result->activateWindow();
  m_timer.start();
}

void TFmGrep::done(int result) {
  if (m_closing) return;
  m_closing = true;
  m_timer.stop();
  StopWorker();
  m_main.Action("ActGrep")->setChecked(false);
  if (EnsureFolder(m_main.OptionFolder())) {
    THIniFile ini(m_main.SettingsFile(), true);
    WriteGrepOptions(ini, Options());
    ini.UpdateFile();
  }
  QDialog::done(result);
  deleteLater();
}

}  // namespace quillet
