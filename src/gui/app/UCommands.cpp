// The main window's entry commands: the date commands around the day hub,
// saving, the edit commands forwarded to the editor, the text transforms and
// date stamps, the wrap modes and read-only mode, the outside programs and
// the link pop-up menu.
#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>

#include "core/app/SettingsKeys.h"
#include "core/app/TextTransforms.h"
#include "core/base/AtomicFile.h"
#include "core/base/CodePage.h"
#include "core/editor/EditorFountain.h"
#include "core/store/DateFormat.h"
#include "gui/app/Commands.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/OpenTool.h"
#include "gui/app/SmallDialogs.h"
#include "gui/app/UMain.h"
#include "gui/editor/EditorClipboard.h"

namespace quillet {

namespace {

// Every date command goes through here: a day outside the years the diary
// can store (see IsDiaryDate) is refused with a transient message, and the
// open day and its unsaved text stay as they are.
void MoveToDay(TFmMain& window, TDate date) {
  if (!IsDiaryDate(date)) {
    window.ShowStatusMessage("日付が範囲外です");
    return;
  }
  window.ChangeDay(date);
}

}  // namespace

TDateTime TFmMain::Now() const { return m_env.clock(); }

void TFmMain::ConnectEntryCommands() {
  connect(m_editor, &TMainEditorPort::ModifiedChanged, this, &TFmMain::OnEditorModifiedChanged);
  connect(m_titleEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    // The title is stored in code page 932: refuse what it cannot hold, in
    // the words the editor uses.
    std::string bytes;
    QString refused;
    if (!InputToBytes(text, bytes, &refused)) {
      const QSignalBlocker block(m_titleEdit);
      m_titleEdit->undo();
      ShowStatusMessage(RefusedInputMessage(refused));
      return;
    }
    m_titleModified = true;
    m_statusBar->SetPanelText(spModified, "変更あり");
  });

  // File.
  connect(Action("ActSave"), &QAction::triggered, this, [this] { SaveEntry(true); });
  connect(Action("ActSaveAs"), &QAction::triggered, this, &TFmMain::SaveAs);
  connect(Action("ActAbout"), &QAction::triggered, this, &TFmMain::ShowAbout);

  // Edit, forwarded to the editor.
  connect(Action("ActUndo"), &QAction::triggered, this, [this] { m_editor->Undo(); });
  connect(Action("ActRedo"), &QAction::triggered, this, [this] { m_editor->Redo(); });
  connect(Action("ActCut"), &QAction::triggered, this, [this] { m_editor->Cut(); });
  connect(Action("ActCopy"), &QAction::triggered, this, [this] { m_editor->Copy(); });
  connect(Action("ActPaste"), &QAction::triggered, this, [this] { m_editor->Paste(); });
  connect(Action("ActSelectAll"), &QAction::triggered, this, [this] { m_editor->SelectAll(); });
  connect(Action("ActBoxSelect"), &QAction::toggled, this, [this](bool on) { m_editor->SetBoxSelection(on); });

  // Text transforms.
  connect(Action("ActLowerCase"), &QAction::triggered, this, [this] { TransformSelection(LowerCase); });
  connect(Action("ActUpperCase"), &QAction::triggered, this, [this] { TransformSelection(UpperCase); });
  connect(Action("ActSingleByte"), &QAction::triggered, this, [this] { TransformSelection(ToHalfWidth); });
  connect(Action("ActMultiByte"), &QAction::triggered, this, [this] { TransformSelection(ToFullWidth); });
  connect(Action("ActTrimLeft"), &QAction::triggered, this,
          [this] { TransformSelection([](std::string_view s) { return TrimLines(s, TTrimSide::Left); }); });
  connect(Action("ActTrimRight"), &QAction::triggered, this,
          [this] { TransformSelection([](std::string_view s) { return TrimLines(s, TTrimSide::Right); }); });
  connect(Action("ActTrimRet"), &QAction::triggered, this, [this] { TransformSelection(RemoveLineEnds); });

  // Date stamps.
  const char* stamps[] = {"ActDateOne", "ActDateTwo", "ActDateThree", "ActDateFour", "ActDateFive", "ActDateSix"};
  for (int i = 0; i < 6; ++i)
    connect(Action(stamps[i]), &QAction::triggered, this, [this, i] { InsertDateStamp(i); });

  // Dates: the six day steps share one handler through their offsets.
  const struct {
    const char* command;
    int offset;
  } steps[] = {{"ActPrevSeven", -7}, {"ActPrevThree", -3}, {"ActPrevOne", -1},
               {"ActNextOne", 1},    {"ActNextThree", 3},  {"ActNextSeven", 7}};
  for (const auto& step : steps) {
    Action(step.command)->setData(step.offset);
    connect(Action(step.command), &QAction::triggered, this, [this, offset = step.offset] { StepDays(offset); });
  }
  connect(Action("ActPrevMonth"), &QAction::triggered, this,
          [this] { MoveToDay(*this, AddMonthsClamped(m_currentDate, -1)); });
  connect(Action("ActNextMonth"), &QAction::triggered, this,
          [this] { MoveToDay(*this, AddMonthsClamped(m_currentDate, 1)); });
  connect(Action("ActPrevYear"), &QAction::triggered, this,
          [this] { MoveToDay(*this, AddYearsClamped(m_currentDate, -1)); });
  connect(Action("ActNextYear"), &QAction::triggered, this,
          [this] { MoveToDay(*this, AddYearsClamped(m_currentDate, 1)); });
  connect(Action("ActToday"), &QAction::triggered, this, [this] {
    const TDate today = Now().Date;
    if (today != m_currentDate) MoveToDay(*this, today);
  });
  connect(Action("ActCommandDate"), &QAction::triggered, this, &TFmMain::AskDate);

  // Wrap modes, read-only, font: the editor takes them.
  for (const char* name : {"ActNonWrap", "ActWordWrap", "ActByteWrap"})
    connect(Action(name), &QAction::toggled, this, [this](bool on) {
      if (on) m_editor->SetWrapMode(WrapOrder(), m_wrapByte);
    });
  connect(Action("ActReadOnly"), &QAction::toggled, this, [this](bool on) { m_editor->SetReadOnly(on); });

  // The link pop-up menu; the highlighter reports the link under the mouse.
  m_linkMenu = new QMenu(this);
  QAction* open = m_linkMenu->addAction(QString());
  open->setObjectName("ActLinkOpen");
  QAction* copy = m_linkMenu->addAction(QString());
  copy->setObjectName("ActLinkCopy");
  connect(open, &QAction::triggered, this, [this] { OpenLink(m_linkTarget, IsMailAddress(m_linkTarget)); });
  connect(copy, &QAction::triggered, this,
          [this] { QGuiApplication::clipboard()->setText(FromCp932(m_linkTarget)); });

  // Over an address the editor's pop-up menu is the link menu; off it, the
  // edit commands again. The link stays the menu's target after the mouse
  // left it for the menu.
  QWidget* editor = m_editor->Widget();
  connect(editor, &QWidget::customContextMenuRequested, this, [this] { m_linkMenu->popup(QCursor::pos()); });
  connect(m_editor, &TMainEditorPort::LinkEntered, this, [this, editor](const std::string& link) {
    SetLinkTarget(link);
    editor->setContextMenuPolicy(Qt::CustomContextMenu);
  });
  connect(m_editor, &TMainEditorPort::LinkLeft, this,
          [editor] { editor->setContextMenuPolicy(Qt::ActionsContextMenu); });
  connect(m_editor, &TMainEditorPort::LinkClicked, this, [this](const std::string& link, bool mail) {
    SetLinkTarget(link);
    OpenLink(link, mail);
  });
}

void TFmMain::OpenLink(const std::string& link, bool mail) {
  if (mail)
    OpenWithTool(keys::ToolMailer, "MailTo:" + FromCp932(link));
  else
    OpenWithTool(keys::ToolBrowser, FromCp932(link));
}

void TFmMain::SetLinkTarget(const std::string& link) {
  m_linkTarget = link;
  const QString text = FromCp932(link);
  const QList<QAction*> items = m_linkMenu->actions();
  items[0]->setText("\"" + text + "\" を開く");
  items[1]->setText("\"" + text + "\" をコピー");
}

void TFmMain::StepDays(int offset) { MoveToDay(*this, AddDays(m_currentDate, offset)); }

void TFmMain::AskDate() {
  const QString offered = QString::fromStdString(FormatDatePattern(kShortDatePattern, m_currentDate));
  // Cancelling gives back the offered text, which re-opens the current day.
  const QString text = m_env.askText("日付の移動", "指定日付", offered, false).value_or(offered);
  const std::optional<TDate> date = ParseDatePattern(text.trimmed().toStdString(), kShortDateInput);
  if (!date) {
    ShowStatusMessage("不正な日付です");
    return;
  }
  MoveToDay(*this, *date);
}

std::optional<QString> TFmMain::AskForText(const QString& caption, const QString& prompt, const QString& text) {
  return m_env.askText(caption, prompt, text, false);
}

void TFmMain::SetEditedTitle(const QString& title) {
  {
    const QSignalBlocker block(m_titleEdit);
    m_titleEdit->setText(title);
  }
  m_titleModified = true;
  m_statusBar->SetPanelText(spModified, "変更あり");
}

void TFmMain::TransformSelection(const std::function<std::string(std::string_view)>& transform) {
  if (!m_editor->HasFocus()) return;
  const std::string selected = m_editor->SelectedText();
  if (selected.empty()) return;
  m_editor->ReplaceSelection(transform(selected));
}

void TFmMain::InsertDateStamp(int index) {
  m_editor->ReplaceSelection(FormatDateTime(kDateStampPatterns[index], Now()));
}

void TFmMain::SaveAs() {
  QFileDialog dialog(this, QString(), QString::fromStdString(EntryFolder(m_store, m_currentDate)));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("txt");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  // A copy of the text only: the entry, its metadata and its file stay.
  if (!WriteFileAtomic(dialog.selectedFiles().front().toStdString(), m_editor->Text()))
    ShowStatusMessage("保存に失敗しました");
}

void TFmMain::ShowAbout() {
  MakeMessageBox(this, "バージョン情報", "Quillet\nVersion 1.2.0.4", false)->exec();
}

void TFmMain::OpenWithTool(const TTextKey& tool, const QString& target) {
  // The tool settings are edited by hand, so they are read afresh each time.
  const THIniFile ini(SettingsFile(), false);
  if (!quillet::OpenWithTool(QString::fromStdString(tool.Read(ini)), target)) {
    ShowStatusMessage(OpenFailedMessage(target));
  }
}

}  // namespace quillet
