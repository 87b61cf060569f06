// The find and replace windows' shared part; see SearchWindow.h.
#include "gui/search/SearchWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/UMain.h"
#include "gui/search/HistoryBox.h"

namespace quillet {

QString SearchReport(const TMainEditorPort& editor, bool found) {
  if (!found) return QStringLiteral("検索文字列は見つかりませんでした");
  const int row = editor.CaretRow() + (editor.RowsFromZero() ? 0 : 1);
  return QStringLiteral(" %1行 %2桁").arg(row).arg(editor.CaretColumn() + 1);
}

TSearchWindow::TSearchWindow(TFmMain& main, const QString& commandName, const QString& caption)
    : QDialog(&main, Qt::Tool | Qt::WindowStaysOnTopHint), m_main(main), m_commandName(commandName) {
  setWindowTitle(caption);
  setModal(false);
  m_grid = new QGridLayout(this);
  m_grid->setColumnStretch(1, 1);
  m_grid->setColumnMinimumWidth(1, 220);
  m_findBox = std::make_unique<THistoryBox>(AddSearchBox("FindBox", "検索文字列", 0), main.OptionFolder(),
                                            "Find.txt");
}

TSearchWindow::~TSearchWindow() = default;

QComboBox* TSearchWindow::AddSearchBox(const QString& objectName, const QString& label, int row) {
  auto* box = new QComboBox(this);
  box->setObjectName(objectName);
  auto* caption = new QLabel(label, this);
  caption->setBuddy(box);
  m_grid->addWidget(caption, row, 0);
  m_grid->addWidget(box, row, 1);
  return box;
}

void TSearchWindow::AddCheckBoxes(int row) {
  m_findByte = new QCheckBox("大文字・小文字を区別する", this);
  m_findByte->setObjectName("FindByte");
  m_findRecursion = new QCheckBox("文末まで検索したら文頭へ戻る", this);
  m_findRecursion->setObjectName("FindRecursion");
  m_grid->addWidget(m_findByte, row, 0, 1, 2);
  m_grid->addWidget(m_findRecursion, row + 1, 0, 1, 2);
}

QPushButton* TSearchWindow::AddButton(const QString& objectName, const QString& text, int row) {
  auto* button = new QPushButton(text, this);
  button->setObjectName(objectName);
  button->setAutoDefault(false);
  m_grid->addWidget(button, row, 2);
  return button;
}

void TSearchWindow::LoadState() {
  QString notes;
  for (THistoryBox* box : {m_findBox.get(), m_replaceBox.get()})
    if (box) {
      const QString note = box->Load();
      if (!note.isEmpty()) notes += (notes.isEmpty() ? "" : "  ") + note;
    }
  if (!notes.isEmpty()) m_main.ShowStatusMessage(notes);
  if (QFileInfo::exists(QString::fromStdString(m_main.SettingsFile()))) {
    const THIniFile ini(m_main.SettingsFile(), false);
    m_findByte->setChecked(keys::SearchByte.Read(ini));
    m_findRecursion->setChecked(keys::SearchRecursion.Read(ini));
  }
  // The last search stands selected, so typing starts a new one.
  m_findBox->Box()->setFocus();
  m_findBox->Box()->lineEdit()->selectAll();
}

void TSearchWindow::done(int result) {
  if (m_closing) return;
  m_closing = true;
  m_main.Action(m_commandName)->setChecked(false);
  if (EnsureFolder(m_main.OptionFolder())) {
    THIniFile ini(m_main.SettingsFile(), true);
    keys::SearchByte.Write(ini, m_findByte->isChecked());
    keys::SearchRecursion.Write(ini, m_findRecursion->isChecked());
    ini.UpdateFile();
  }
  QDialog::done(result);
  deleteLater();
}

bool TSearchWindow::MatchCase() const { return m_findByte->isChecked(); }

TMainEditorPort& TSearchWindow::Editor() const { return m_main.Editor(); }

int TSearchWindow::HistoryLimit() const { return m_main.History(); }

bool TSearchWindow::BoxBytes(const THistoryBox& box, std::string& bytes) {
  QString message;
  if (box.Text(bytes, message)) return true;
  m_main.ShowStatusMessage(message);
  return false;
}

void TSearchWindow::AddToHistory(THistoryBox& box, const std::string& bytes) {
  const QString note = box.Add(bytes, HistoryLimit());
  if (!note.isEmpty()) m_notes += "  " + note;
}

void TSearchWindow::Report(const QString& text) {
  const QString shown = text.isEmpty() ? m_notes.trimmed() : text + m_notes;
  m_notes.clear();
  if (!shown.isEmpty()) m_main.ShowStatusMessage(shown);
}

void TSearchWindow::FindNext(bool forward) {
  std::string text;
  if (m_findBox->IsEmpty() || !BoxBytes(*m_findBox, text)) return;
  AddToHistory(*m_findBox, text);
  TMainEditorPort& editor = Editor();
  bool found = editor.Search(text, forward, MatchCase());
  if (!found && m_findRecursion->isChecked()) {
    if (forward)
      editor.GoToStart();
    else
      editor.GoToEnd();
    found = editor.Search(text, forward, MatchCase());
  }
  Report(SearchReport(editor, found));
}

}  // namespace quillet
