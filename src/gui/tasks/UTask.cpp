// The task page; see UTask.h.
#include "gui/tasks/UTask.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "core/app/HIniFile.h"
#include "core/store/EntryStore.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/SmallDialogs.h"
#include "gui/app/UMain.h"
#include "gui/editor/EditorClipboard.h"
#include "gui/editor/EditorColors.h"
#include "gui/tasks/FmTaskEditor.h"

namespace quillet {

namespace {

enum TColumn : int { kDateColumn = 0, kTitleColumn = 1 };

const char* const kPriorityCommands[] = {"ActTaskPriorityLow", "ActTaskPriorityNormal", "ActTaskPriorityHigh"};

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The titles in the order of the Japanese locale, upper and lower case apart.
int CompareTitles(std::string_view a, std::string_view b) {
  static const QCollator collator = [] {
    QCollator c(QLocale(QLocale::Japanese, QLocale::Japan));
    c.setCaseSensitivity(Qt::CaseSensitive);
    return c;
  }();
  return collator.compare(BytesToPlainText(a), BytesToPlainText(b));
}

QString LineNumbers(const std::vector<TTaskLineProblem>& problems) {
  QStringList numbers;
  for (const TTaskLineProblem& problem : problems)
    if (problem.Kind != TTaskLineProblem::Rewritten) numbers << QString::number(problem.Line);
  return numbers.join(QStringLiteral(", "));
}

}  // namespace

// --- The list model ---------------------------------------------------------

TTaskListModel::TTaskListModel(std::function<TDate()> today, QObject* parent)
    : QAbstractTableModel(parent), m_today(std::move(today)) {}

int TTaskListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_tasks.size());
}

int TTaskListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TTaskListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const TTask& task = At(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return index.column() == kDateColumn ? QString::fromStdString(TaskColumnDate(task.Date))
                                           : BytesToPlainText(TitleCaption(task));
    case Qt::ToolTipRole:
      return index.column() == kDateColumn ? QString::fromStdString(TaskFileDate(task.Date))
                                           : BytesToPlainText(TitleCaption(task));
    case Qt::ForegroundRole:
      // System colours as the desktop has them, not as the list's own
      // text and background colours override them.
      return ToQColor(TaskLook(task, m_today(), m_settings).Color, QApplication::palette());
    case Qt::FontRole:
      if (TaskLook(task, m_today(), m_settings).Bold) {
        QFont bold;
        bold.setBold(true);
        return bold;
      }
      return {};
    default: return {};
  }
}

QVariant TTaskListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return section == kDateColumn ? QStringLiteral("日付") : QStringLiteral("タイトル");
}

void TTaskListModel::SetTasks(std::vector<TTask> tasks) {
  beginResetModel();
  m_tasks = std::move(tasks);
  endResetModel();
}

void TTaskListModel::Append(TTask task) {
  const int row = rowCount();
  beginInsertRows({}, row, row);
  m_tasks.push_back(std::move(task));
  endInsertRows();
}

void TTaskListModel::Replace(int row, TTask task) {
  m_tasks[static_cast<std::size_t>(row)] = std::move(task);
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TTaskListModel::Remove(std::vector<int> rows) {
  std::sort(rows.begin(), rows.end(), std::greater<>());
  for (const int row : rows) {
    beginRemoveRows({}, row, row);
    m_tasks.erase(m_tasks.begin() + row);
    endRemoveRows();
  }
}

void TTaskListModel::Reorder(const std::vector<std::size_t>& order) {
  emit layoutAboutToBeChanged();
  std::vector<TTask> sorted;
  sorted.reserve(m_tasks.size());
  std::vector<int> newRow(m_tasks.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    sorted.push_back(std::move(m_tasks[order[i]]));
    newRow[order[i]] = static_cast<int>(i);
  }
  m_tasks = std::move(sorted);
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  for (const QModelIndex& index : from)
    to << this->index(newRow[static_cast<std::size_t>(index.row())], index.column());
  changePersistentIndexList(from, to);
  emit layoutChanged();
}

void TTaskListModel::SetSettings(const TTaskSettings& settings) {
  m_settings = settings;
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

// --- The list and its menu ----------------------------------------------------

TTaskListView::TTaskListView(QWidget* parent) : QTableView(parent) {}

void TTaskListView::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      emit EnterPressed();
      return;
    }
    if (event->key() == Qt::Key_Delete) {
      emit DeletePressed();
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

TTaskPopup::TTaskPopup(TFmMain& window, QWidget* parent) : QMenu(parent) {
  setObjectName("TaskPopup");
  // Each item runs the main window's command of the same role.
  const auto item = [&window](QMenu* menu, const char* name, const char* command) {
    QAction* source = window.Action(QString::fromLatin1(command));
    QAction* action = menu->addAction(source->text());
    action->setObjectName(name);
    action->setCheckable(source->isCheckable());
    connect(action, &QAction::triggered, source, &QAction::trigger);
    // The check follows the command's, so the menu shows the selected
    // task's priority.
    if (source->isCheckable()) connect(menu, &QMenu::aboutToShow, action, [action, source] {
        action->setChecked(source->isChecked());
      });
    return action;
  };
  item(this, "TaskPopNewItem", "ActTaskNewItem");
  item(this, "TaskPopEdit", "ActTaskEdit");
  item(this, "TaskPopDelete", "ActTaskDelete");
  QMenu* priority = addMenu(QStringLiteral("優先度(&P)"));
  priority->menuAction()->setObjectName("TaskPopPriority");
  item(priority, "TaskPopPriorityLow", "ActTaskPriorityLow");
  item(priority, "TaskPopPriorityNormal", "ActTaskPriorityNormal");
  item(priority, "TaskPopPriorityHigh", "ActTaskPriorityHigh");
  QMenu* sort = addMenu(QStringLiteral("ソート(&S)"));
  sort->menuAction()->setObjectName("TaskPopSort");
  item(sort, "TaskPopDateSort", "ActTaskDateSort");
  item(sort, "TaskPopTitleSort", "ActTaskTitleSort");
  item(sort, "TaskPopPrioritySort", "ActTaskPrioritySort");
}

// --- The page -----------------------------------------------------------------

TTaskObject::TTaskObject(TFmMain& window)
    : TPanelPage(kKind, QStringLiteral("TaskSheet"), QStringLiteral("タスク")),
      m_window(window),
      m_file(window.OptionFolder() + std::string(kTaskFileName)),
      m_model(new TTaskListModel([&window] { return window.Now().Date; }, Sheet())),
      m_view(new TTaskListView(Sheet())),
      m_status(new THStatusBar(Sheet())),
      m_popup(new TTaskPopup(window, Sheet())) {
  m_view->setObjectName("TaskList");
  m_view->setModel(m_model);
  m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_view->setWordWrap(false);
  m_view->verticalHeader()->hide();
  m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
  m_view->horizontalHeader()->setSectionsClickable(true);
  m_view->horizontalHeader()->setStretchLastSection(false);
  m_view->horizontalHeader()->setHighlightSections(false);
  m_view->setColumnWidth(kDateColumn, 90);
  m_view->setColumnWidth(kTitleColumn, 80);
  m_view->setContextMenuPolicy(Qt::CustomContextMenu);
  m_status->setObjectName("TaskStatusBar");
  m_status->setSizeGripEnabled(false);
  m_status->SetSimplePanel(true);

  auto* column = new QVBoxLayout(Sheet());
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(m_view);
  column->addWidget(m_status);

  m_ask = [this](const QString& text) {
    const auto box = MakeMessageBox(&m_window, QStringLiteral("Quillet"), text, false);
    box->setIcon(QMessageBox::Question);
    box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    return box->exec() == QMessageBox::Ok;
  };
  m_showMemo = [this](const QString& caption, const QString& memo) { ShowMessage(&m_window, caption, memo); };
  m_runEditor = [](TFmTaskEditor& editor) { return editor.exec(); };

  // The view is the context of every connection, so none outlives the page.
  const auto command = [&](const char* name, auto slot) {
    QObject::connect(window.Action(QString::fromLatin1(name)), &QAction::triggered, m_view, slot);
  };
  command("ActTaskNewItem", [this] { NewItem(); });
  command("ActTaskEdit", [this] { EditItem(); });
  command("ActTaskDelete", [this] { DeleteItems(); });
  for (int priority = kPriorityLow; priority <= kPriorityHigh; ++priority)
    command(kPriorityCommands[priority], [this, priority] { SetPriority(priority); });
  command("ActTaskDateSort", [this] { Sort(TTaskSortKey::Date); });
  command("ActTaskTitleSort", [this] { Sort(TTaskSortKey::Title); });
  command("ActTaskPrioritySort", [this] { Sort(TTaskSortKey::Priority); });
  QObject::connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, m_view, [this](int section) {
    Sort(section == kDateColumn ? TTaskSortKey::Date : TTaskSortKey::Title);
  });
  QObject::connect(m_view, &QAbstractItemView::doubleClicked, m_view,
                   [this](const QModelIndex& index) { RunDoubleClickAction(index.row()); });
  QObject::connect(m_view, &TTaskListView::EnterPressed, m_view, [this] { RunDoubleClickAction(FirstSelectedRow()); });
  QObject::connect(m_view, &TTaskListView::DeletePressed, m_view, [this] { DeleteItems(); });
  QObject::connect(m_view, &QWidget::customContextMenuRequested, m_view,
                   [this](const QPoint& at) { m_popup->popup(m_view->viewport()->mapToGlobal(at)); });
  QObject::connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, m_view,
                   [this] { OnSelectionChanged(); });
  // A message shares the bar with the comment; when it goes, the comment is back.
  QObject::connect(m_status, &THStatusBar::MessageExpired, m_view, [this] { ShowComment(); });

  const TTaskLoad load = m_file.Load(window.Now().Date);
  m_model->SetTasks(load.Tasks);
  if (load.State == TTaskRead::Unreadable) {
    Say(Utf8(kMsgReadFailed) + QStringLiteral(": ") + Utf8(kTaskFileName));
  } else if (const QString lines = LineNumbers(load.Problems); !lines.isEmpty()) {
    Say(QStringLiteral("読み込めない行があります: %1 の %2 行目").arg(Utf8(kTaskFileName), lines));
  }
  SyncPriorityCheck();
}

TTaskObject::~TTaskObject() = default;

void TTaskObject::ReadSettings(const THIniFile& ini) { LoadTaskSettings(ini); }

void TTaskObject::LoadTaskSettings(const THIniFile& ini) {
  m_settings = ReadTaskSettings(ini);
  QPalette palette = m_view->palette();
  const QPalette& system = QApplication::palette();
  if (const QColor back = ToQColor(m_settings.BackColor, system); back.isValid())
    palette.setColor(QPalette::Base, back);
  if (const QColor text = ToQColor(m_settings.StrColor, system); text.isValid())
    palette.setColor(QPalette::Text, text);
  m_view->setPalette(palette);
  m_view->setShowGrid(m_settings.GridLines);
  // Hot tracking is the style's hover highlight; "Hover" and "DoubleBuf"
  // are kept for the options dialog (Qt always draws double-buffered).
  m_view->setMouseTracking(m_settings.HotTrack);
  m_view->viewport()->setAttribute(Qt::WA_Hover, m_settings.HotTrack);
  m_model->SetSettings(m_settings);
}

bool TTaskObject::Release() { return !m_unsaved || Store(); }

void TTaskObject::Say(const QString& text) {
  m_status->ShowStatusMessage(text);
  m_window.ShowStatusMessage(text);
}

bool TTaskObject::Store() {
  const TTaskSave save = m_file.Save(m_model->Tasks());
  if (const std::string& kept = save.SetAsidePath; !kept.empty())
    Say(Utf8(kMsgSetAside) + QString::fromStdString(kept.substr(kept.rfind('/') + 1)));
  m_unsaved = !save.Ok;
  if (!save.Ok) Say(Utf8(kMsgSaveFailed) + QStringLiteral(": ") + Utf8(kTaskFileName));
  return save.Ok;
}

std::vector<int> TTaskObject::SelectedRows() const {
  std::vector<int> rows;
  for (const QModelIndex& index : m_view->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

int TTaskObject::FirstSelectedRow() const {
  const std::vector<int> rows = SelectedRows();
  return rows.empty() ? -1 : rows.front();
}

int TTaskObject::SelectedTaskRow() const {
  // The task just selected is the current one; with it deselected, the
  // first that is still selected.
  const QModelIndex current = m_view->currentIndex();
  if (current.isValid() && m_view->selectionModel()->isRowSelected(current.row(), {})) return current.row();
  return FirstSelectedRow();
}

void TTaskObject::ShowComment() {
  const int row = SelectedTaskRow();
  m_status->SetSimpleText(row < 0 ? QString() : BytesToPlainText(m_model->At(row).Comment));
}

void TTaskObject::OnSelectionChanged() {
  ShowComment();
  SyncPriorityCheck();
}

void TTaskObject::SyncPriorityCheck() {
  const int row = SelectedTaskRow();
  if (row < 0) return;  // no task: the commands keep their last check
  const int priority = m_model->At(row).Priority;
  for (int p = kPriorityLow; p <= kPriorityHigh; ++p) m_window.Action(kPriorityCommands[p])->setChecked(p == priority);
}

void TTaskObject::NewItem() {
  m_model->Append(NewTask(m_window.Now().Date));
  // The new task is selected and in sight, ready for F11.
  const QModelIndex added = m_model->index(m_model->rowCount() - 1, kDateColumn);
  m_view->selectionModel()->setCurrentIndex(added, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_view->scrollTo(added);
  Store();
}

void TTaskObject::EditItem() {
  if (const int row = FirstSelectedRow(); row >= 0) EditRow(row);
}

void TTaskObject::EditRow(int row) {
  if (row < 0 || row >= m_model->rowCount()) return;
  // The editor belongs to the window: should the window close the page
  // while the editor runs, the page's state is left alone.
  QPointer<QWidget> page = m_view;
  QPointer<TFmTaskEditor> editor = new TFmTaskEditor(&m_window, [this] { return m_window.Now(); });
  editor->SetTask(m_model->At(row));
  const int result = m_runEditor(*editor);
  const std::unique_ptr<TFmTaskEditor> owned(editor.data());
  if (!page || !owned || result != QDialog::Accepted) return;
  m_model->Replace(row, owned->Task());
  m_status->SetSimpleText(BytesToPlainText(owned->Task().Comment));
  m_window.ShowStatusMessage(QStringLiteral("編集完了"));
  SyncPriorityCheck();
  Store();
}

void TTaskObject::DeleteItems() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  if (m_settings.Ask) {
    const QString what = rows.size() == 1 ? "\"" + BytesToPlainText(TitleCaption(m_model->At(rows.front()))) + "\""
                                          : QStringLiteral("これらのタスク");
    if (!m_ask(what + QStringLiteral("を削除しますか？"))) return;
  }
  m_model->Remove(rows);
  m_window.ShowStatusMessage(QStringLiteral(" %1個のタスクを削除しました").arg(rows.size()));
  Store();
}

void TTaskObject::SetPriority(int priority) {
  const int row = FirstSelectedRow();
  if (row >= 0) {
    TTask task = m_model->At(row);
    task.Priority = priority;
    m_model->Replace(row, std::move(task));
    m_window.ShowStatusMessage(QStringLiteral("優先度を設定しました"));
    Store();
  }
  SyncPriorityCheck();
}

void TTaskObject::Sort(TTaskSortKey key) {
  const std::vector<std::size_t> order = TaskSortOrder(m_model->Tasks(), key, m_directions.Take(key), CompareTitles);
  if (std::is_sorted(order.begin(), order.end())) return;  // nothing moved: nothing to write
  m_model->Reorder(order);
  Store();
}

void TTaskObject::RunDoubleClickAction(int row) {
  if (row < 0 || row >= m_model->rowCount()) return;
  if (m_settings.DblClickStyle == 1) {
    EditRow(row);
  } else if (m_settings.DblClickStyle == 0) {
    const TTask& task = m_model->At(row);
    if (!task.Memo.empty()) m_showMemo(BytesToPlainText(TitleCaption(task)), BytesToPlainText(task.Memo));
  }
}

}  // namespace quillet
