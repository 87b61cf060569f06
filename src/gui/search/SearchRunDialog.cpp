// The running and idle states the grep and squeeze dialogs share; see
// SearchRunDialog.h.
#include "gui/search/SearchRunDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/app/UMain.h"
#include "gui/search/FmGrep.h"

namespace quillet {

TSearchRunDialog::TSearchRunDialog(TFmMain& main, std::string_view stopped)
    : QDialog(&main, Qt::Dialog | Qt::WindowStaysOnTopHint),
      m_main(main),
      m_owner(&main),
      m_stopped(Utf8Message(stopped)) {
  setModal(false);
}

TSearchRunDialog::~TSearchRunDialog() { StopWorker(); }

void TSearchRunDialog::FinishLayout(QLayout* left, const char* prefix, const char* timerName) {
  const std::string name(prefix);
  m_execute = SearchButton(this, (name + "Execute").c_str(), "検索");
  m_quit = SearchButton(this, (name + "Quit").c_str(), "中止");
  m_exit = SearchButton(this, (name + "Exit").c_str(), "閉じる");
  m_execute->setDefault(true);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(m_execute);
  buttons->addWidget(m_quit);
  buttons->addWidget(m_exit);
  buttons->addStretch(1);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left);
  layout->setStretchFactor(left, 1);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  m_timer.setObjectName(timerName);
  m_timer.setSingleShot(true);
  m_timer.setInterval(100);
  connect(&m_timer, &QTimer::timeout, this, &QDialog::reject);

  connect(m_bmReg, &QCheckBox::toggled, this, [this](bool on) {
    if (on) m_ansi->setChecked(false);
    m_ansi->setEnabled(!on);
  });
  connect(m_progress, &QCheckBox::toggled, m_progBar, &QWidget::setVisible);
  connect(m_execute, &QPushButton::clicked, this, [this] { Execute(); });
  connect(m_quit, &QPushButton::clicked, this, &TSearchRunDialog::Quit);
  connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
  SetRunning(false);
}

void TSearchRunDialog::SetRunning(bool running) {
  m_execute->setEnabled(!running);
  m_exit->setEnabled(!running);
  m_quit->setEnabled(running);
}

void TSearchRunDialog::StopWorker() {
  if (!m_worker) return;
  m_worker->Cancel();
  m_worker->Detach();
  m_worker = nullptr;
}

void TSearchRunDialog::Launch(TSearchWorker* worker) {
  m_progBar->setValue(0);
  SetRunning(true);
  m_worker = worker;
  if (!worker->Start(m_priority)) {
    m_worker = nullptr;
    SetRunning(false);
    Say(Utf8Message(kMsgThreadError));
  }
}

void TSearchRunDialog::EndRun() {
  RemoveStaleGrepTemp(m_main.AppFolder());
  m_worker = nullptr;
  SetRunning(false);
  m_progBar->setValue(0);
}

void TSearchRunDialog::Quit() {
  if (!m_worker) return;
  StopWorker();
  SetRunning(false);
  m_progBar->setValue(0);
  Say(m_stopped);
}

void TSearchRunDialog::keyPressEvent(QKeyEvent* event) {
  // While a search runs, Escape is the stop button and the dialog stays.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && Running()) {
    m_quit->click();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace quillet
