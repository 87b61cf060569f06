// The task editor dialog; see FmTaskEditor.h.
#include "gui/tasks/FmTaskEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QStringDecoder>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "core/base/AtomicFile.h"
#include "core/store/DateFormat.h"
#include "gui/app/SmallDialogs.h"
#include "gui/editor/EditorClipboard.h"

namespace quillet {

namespace {

const char* const kCaption = "タスク編集";
const char* const kInvalidDate = "不正な日付です";
const char* const kReadFailed = "ファイルの読み込みに失敗しました";
const char* const kCannotStore = "タスクファイルに保存できない文字があります";
const char* const kReplaceQuestion =
    "「|」と、メモの「\\n」(\\ の後に n) はタスクファイルに書けません。\n"
    "全角の「｜」「＼」に置き換えて保存しますか？";

QString Text(const std::string& cp932) { return BytesToPlainText(cp932); }

// "2005/03/07 9:05:03": the short date and the long time of this program.
QString DateTimeText(const TDateTime& now) {
  const QChar zero('0');
  return QString::fromStdString(FormatDatePattern(kShortDatePattern, now.Date)) +
         QStringLiteral(" %1:%2:%3").arg(now.Hour).arg(now.Minute, 2, 10, zero).arg(now.Second, 2, 10, zero);
}

}  // namespace

TTaskMemo::TTaskMemo(QWidget* parent) : QPlainTextEdit(parent) {}

void TTaskMemo::wheelEvent(QWheelEvent* event) {
  // A high-resolution wheel sends parts of a notch; they add up to one.
  m_wheel += event->angleDelta().y();
  const int notches = m_wheel / QWheelEvent::DefaultDeltasPerStep;
  m_wheel %= QWheelEvent::DefaultDeltasPerStep;
  QScrollBar* bar = verticalScrollBar();
  const int step = event->modifiers() & Qt::ControlModifier ? bar->pageStep() : bar->singleStep();
  bar->setValue(bar->value() - notches * step);
  event->accept();
}

TFmTaskEditor::TFmTaskEditor(QWidget* parent, std::function<TDateTime()> clock)
    : QDialog(parent),
      m_clock(std::move(clock)),
      m_title(new QLineEdit(this)),
      m_date(new QLineEdit(this)),
      m_memo(new TTaskMemo(this)),
      m_priority(new QComboBox(this)),
      m_comment(new QLineEdit(this)),
      m_limit(new QCheckBox(QStringLiteral("有効期限"), this)),
      m_target(m_title) {
  setObjectName("FmTaskEditor");
  setWindowTitle(QString::fromUtf8(kCaption));
  m_report = [this](const QString& text) { ShowMessage(this, QString::fromUtf8(kCaption), text); };
  m_ask = [this](const QString& text) { return AskYesNo(this, QString::fromUtf8(kCaption), text); };
  m_choose = [this] {
    return QFileDialog::getOpenFileName(this, QStringLiteral("開く"), QString(),
                                        QStringLiteral("テキスト ファイル (*.txt);;すべてのファイル (*)"));
  };

  m_title->setObjectName("TitleEdit");
  m_date->setObjectName("DateEdit");
  m_memo->setObjectName("MemoEdit");
  m_priority->setObjectName("PriorityBox");
  m_comment->setObjectName("CommentEdit");
  m_limit->setObjectName("LimitCheck");
  m_priority->addItems({QStringLiteral("低い"), QStringLiteral("通常"), QStringLiteral("高い")});
  m_priority->setCurrentIndex(kPriorityNormal);
  m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  for (QWidget* field : std::initializer_list<QWidget*>{m_title, m_date, m_memo, m_comment})
    field->installEventFilter(this);

  auto* bar = new QMenuBar(this);
  BuildMenu(bar);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("タイトル"), m_title);
  form->addRow(QStringLiteral("日付"), m_date);
  form->addRow(QStringLiteral("メモ"), m_memo);
  form->addRow(QStringLiteral("優先度"), m_priority);
  form->addRow(QStringLiteral("コメント"), m_comment);
  form->addRow(QString(), m_limit);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &TFmTaskEditor::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TFmTaskEditor::reject);
  auto* column = new QVBoxLayout(this);
  column->setMenuBar(bar);
  column->addLayout(form);
  column->addWidget(buttons);
  resize(360, 360);
  FitToCaption(*this);
}

TFmTaskEditor::~TFmTaskEditor() = default;

void TFmTaskEditor::BuildMenu(QMenuBar* bar) {
  QMenu* file = bar->addMenu(QStringLiteral("ファイル"));
  file->setObjectName("TaskEditFile");
  const auto item = [](QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    return action;
  };
  connect(item(file, "TaskEditOpen", "開く(&O)"), &QAction::triggered, this, [this] {
    const QString path = m_choose();
    if (!path.isEmpty()) LoadMemoFile(path);
  });
  connect(item(file, "TaskEditSaveClose", "保存して閉じる(&S)"), &QAction::triggered, this, &TFmTaskEditor::accept);
  connect(item(file, "TaskEditClose", "閉じる(&X)"), &QAction::triggered, this, &TFmTaskEditor::reject);
  QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
  edit->setObjectName("TaskEditEdit");
  const std::pair<const char*, const char*> edits[] = {{"TaskEditCut", "切り取り(&X)"},
                                                       {"TaskEditCopy", "コピー(&C)"},
                                                       {"TaskEditPaste", "貼り付け(&V)"},
                                                       {"TaskEditSelectAll", "全てを選択(&A)"},
                                                       {"TaskEditDateTime", "日付と時刻(&T)"}};
  for (std::size_t i = 0; i < std::size(edits); ++i) {
    const auto op = static_cast<TEditOp>(i);
    connect(item(edit, edits[i].first, edits[i].second), &QAction::triggered, this, [this, op] { Edit(op); });
  }
}

bool TFmTaskEditor::eventFilter(QObject* watched, QEvent* event) {
  // The menu takes the focus while it is open: its commands act on the
  // field that had it before.
  if (event->type() == QEvent::FocusIn) m_target = qobject_cast<QWidget*>(watched);
  return QDialog::eventFilter(watched, event);
}

void TFmTaskEditor::Edit(TEditOp op) {
  const QString stamp = op == TEditOp::DateTime ? DateTimeText(m_clock()) : QString();
  if (auto* line = qobject_cast<QLineEdit*>(m_target)) {
    switch (op) {
      case TEditOp::Cut: line->cut(); break;
      case TEditOp::Copy: line->copy(); break;
      case TEditOp::Paste: line->paste(); break;
      case TEditOp::SelectAll: line->selectAll(); break;
      case TEditOp::DateTime: line->insert(stamp); break;
    }
  } else if (m_target == m_memo) {
    switch (op) {
      case TEditOp::Cut: m_memo->cut(); break;
      case TEditOp::Copy: m_memo->copy(); break;
      case TEditOp::Paste: m_memo->paste(); break;
      case TEditOp::SelectAll: m_memo->selectAll(); break;
      case TEditOp::DateTime: m_memo->insertPlainText(stamp); break;
    }
  }
  if (m_target) m_target->setFocus();
}

void TFmTaskEditor::SetTask(const TTask& task) {
  m_task = task;
  m_title->setText(Text(TitleCaption(task)));
  m_shownDate = QString::fromStdString(TaskColumnDate(task.Date));
  m_date->setText(m_shownDate);
  m_memo->setPlainText(Text(task.Memo));
  m_priority->setCurrentIndex(task.Priority >= kPriorityLow && task.Priority <= kPriorityHigh ? task.Priority : -1);
  m_comment->setText(Text(task.Comment));
  m_limit->setChecked(task.Limit);
}

bool TFmTaskEditor::Collect(TTask& task, QString& problem) const {
  const std::pair<QString, std::string*> texts[] = {{QStringLiteral("タイトル"), &task.Title},
                                                    {QStringLiteral("コメント"), &task.Comment},
                                                    {QStringLiteral("メモ"), &task.Memo}};
  const QString values[] = {m_title->text(), m_comment->text(), m_memo->toPlainText()};
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    QString refused;
    if (!InputToBytes(values[i], *texts[i].second, &refused)) {
      problem = texts[i].first + QStringLiteral(": ") + RefusedInputMessage(refused);
      return false;
    }
  }
  // The memo's lines end in CR LF, as everywhere in the stored text; LF is
  // never a trail byte, so every one of them is a line end.
  std::string memo;
  for (const char c : task.Memo) {
    if (c == '\n') memo += '\r';
    memo += c;
  }
  task.Memo = std::move(memo);
  if (m_date->text() != m_shownDate) {
    std::string text;
    const std::optional<TDate> date =
        InputToBytes(m_date->text(), text) ? ParseTaskDate(text, m_clock().Date) : std::nullopt;
    if (!date) {
      problem = QString::fromUtf8(kInvalidDate) + QStringLiteral(": ") + m_date->text();
      return false;
    }
    task.Date = *date;
  }
  if (m_priority->currentIndex() >= 0) task.Priority = m_priority->currentIndex();
  task.Limit = m_limit->isChecked();
  task.ShownTitle.reset();
  return true;
}

void TFmTaskEditor::accept() {
  TTask task = m_task;
  QString problem;
  if (!Collect(task, problem)) {
    m_report(problem);
    return;
  }
  unsigned flaws = TaskFlaws(task);
  if (flaws & (tfBar | tfMemoBackslashN)) {
    if (!m_ask(QString::fromUtf8(kReplaceQuestion))) return;
    ReplaceUnstorable(task);
    flaws = TaskFlaws(task);
    // The fields show what is kept, should the dialog stay open.
    m_title->setText(Text(task.Title));
    m_comment->setText(Text(task.Comment));
    m_memo->setPlainText(Text(task.Memo));
  }
  if (flaws != tfNone) {
    // A line break pasted into a one-line field, say.
    m_report(QString::fromUtf8(kCannotStore));
    return;
  }
  m_task = std::move(task);
  QDialog::accept();
}

bool TFmTaskEditor::LoadMemoFile(const QString& path) {
  std::string bytes;
  if (!ReadFileBytes(QFile::encodeName(path).toStdString(), bytes)) {
    m_report(QString::fromUtf8(kReadFailed) + QStringLiteral(": ") + path);
    return false;
  }
  // A Linux text file is UTF-8; a file from the diary's world is code page
  // 932, whose Japanese text is almost never valid UTF-8.
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (utf8.hasError()) text = Text(bytes);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QChar('\r'), QChar('\n'));
  m_memo->setPlainText(text);
  return true;
}

}  // namespace quillet
