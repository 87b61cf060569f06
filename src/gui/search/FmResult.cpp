// The result window of the diary grep (see FmResult.h). The list rules live
// in core/search/ResultList; here they are drawn and wired to commands.
#include "gui/search/FmResult.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include "core/app/AppFolder.h"
#include "core/app/SettingsKeys.h"
#include "core/base/AtomicFile.h"
#include "core/store/EntryStore.h"
#include "gui/app/EditorFontDialog.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/OpenTool.h"
#include "gui/editor/EditorClipboard.h"
#include "gui/editor/EditorColors.h"
#include "gui/editor/HEditor.h"

namespace quillet {

namespace {

Qt::Alignment AlignmentOf(int alignment) {
  const Qt::Alignment horizontal = alignment == 0 ? Qt::AlignHCenter : alignment == 2 ? Qt::AlignRight : Qt::AlignLeft;
  return horizontal | Qt::AlignVCenter;
}

// The entry's text as stored once decrypted; false when it cannot be read
// (missing, no permission, a wrong key word).
bool ReadBody(const TGrepItem& item, const TCode& code, std::string& body) {
  return ReadEntryBody(item.Path, item.Method, item.KeyNumber, code.Word, body);
}

struct TCommandDef {
  const char* name;
  const char* caption;
  bool checkable;
};

const TCommandDef kCommands[] = {
    {"RActSave", "上書保存(&S)", false},
    {"RActSaveAs", "名前を付けて保存(&A)", false},
    {"RActClipboard", "クリップボードへ出力(&C)", false},
    {"RActOpen", "開く(&O)", false},
    {"RActOpenDir", "保存先を開く(&D)", false},
    {"RActMove", "選択日付へ移動(&M)", false},
    {"RActCloseOnMove", "日付移動時に閉じる(&B)", true},
    {"RActClose", "閉じる(&X)", false},
    {"RActNewSearch", "新規検索(&N)", false},
    {"RActSqueeze", "絞込検索(&S)", false},
    {"RActSqueezeCancel", "絞込み解除(&C)", false},
    {"RActLineColor", "行色(&L)", false},
    {"RActColor", "背景色(&B)", false},
    {"RActFont", "フォント(&F)", false},
    {"RActSqueezeColor", "絞り込み色(&S)", false},
    {"RActGridLines", "罫線(&G)", true},
    {"RActHotTrack", "ホットトラック(&H)", true},
    {"RActPreview", "選択時プレビュー(&P)", true},
    {"RActHint", "一行目をヒントで表示(&H)", true},
    {"RActNonColoring", "非着色(&N)", true},
    {"RActOddColoring", "奇数行着色(&O)", true},
    {"RActEvenColoring", "偶数行着色(&E)", true},
    {"RActCopy", "本文をコピー(&C)", false},
    {"RActSelectAll", "全てを選択(&A)", false},
    {"ResultCopyTitle", "タイトルをコピー(&T)", false},
};

const char* const kColoringCommands[] = {"RActNonColoring", "RActOddColoring", "RActEvenColoring"};

// The commands that act on the previewed file.
const char* const kFileCommands[] = {"RActSaveAs", "RActClipboard", "RActOpen", "RActOpenDir", "RActMove"};

// Adds the named actions to a menu or a widget's context menu; "" is a
// separator.
void AddItems(QWidget* target, const QHash<QString, QAction*>& actions, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (*name) {
      target->addAction(actions.value(name));
    } else {
      auto* separator = new QAction(target);
      separator->setSeparator(true);
      target->addAction(separator);
    }
  }
}

// Hot tracking: the row under the mouse is drawn underlined.
class THotTrackDelegate : public QStyledItemDelegate {
public:
  THotTrackDelegate(const bool& enabled, const int& hoverRow, QObject* parent)
      : QStyledItemDelegate(parent), m_enabled(enabled), m_hoverRow(hoverRow) {}

protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (m_enabled && index.row() == m_hoverRow) option->font.setUnderline(true);
  }

private:
  const bool& m_enabled;
  const int& m_hoverRow;
};

}  // namespace

// The rows of the list, produced on demand from the window's TResultList.
class TResultModel : public QAbstractTableModel {
public:
  TResultModel(const TResultList& list, const TResultSettings& settings) : m_list(list), m_settings(settings) {}

  // Redraws everything after the list or the settings changed.
  void Reset(std::string savePath) {
    beginResetModel();
    m_savePath = std::move(savePath);
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_list.Count());
  }
  int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kResultColumnCount; }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount({})) return {};
    const auto row = static_cast<std::size_t>(index.row());
    const TGrepItem& item = m_list.Items()[row];
    switch (role) {
      case Qt::DisplayRole:
        return QString::fromStdString(
            ResultCellText(item, row, static_cast<TResultColumn>(index.column()), m_savePath));
      case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(m_settings.Columns[static_cast<std::size_t>(index.column())].Alignment));
      case Qt::ForegroundRole:
        if (item.SqueezeMark != 0) return ToQColor(m_settings.SqueezeColor, QGuiApplication::palette());
        return {};
      case Qt::BackgroundRole:
        if (RowColored(row, m_settings.Coloring)) return ToQColor(m_settings.LineColor, QGuiApplication::palette());
        return {};
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 || section >= kResultColumnCount) return {};
    const TResultColumnSetting& column = m_settings.Columns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) return BytesToPlainText(column.Caption);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(AlignmentOf(column.Alignment));
    return {};
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }

private:
  const TResultList& m_list;
  const TResultSettings& m_settings;
  std::string m_savePath;
};

TFmResult::TFmResult(TResultHost host, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_host(std::move(host)) {
  setObjectName("FmResult");
  setWindowTitle("検索結果");
  resize(600, 480);
  CreateActions();
  CreateMenus();
  CreateWidgets();
  ConnectActions();
  m_hintTimer.setSingleShot(true);
  connect(&m_hintTimer, &QTimer::timeout, this, &TFmResult::ShowHint);
  ApplySettings();
  ClearPreview();
}

TFmResult::~TFmResult() = default;

void TFmResult::CreateActions() {
  for (const TCommandDef& def : kCommands) {
    auto* action = new QAction(QString::fromUtf8(def.caption), this);
    action->setObjectName(def.name);
    action->setCheckable(def.checkable);
    m_actions.insert(def.name, action);
    addAction(action);  // shortcuts work wherever the focus is in the window
  }
  Action("RActMove")->setShortcut(Qt::Key_F9);
  Action("RActSave")->setEnabled(false);  // the preview is read-only: nothing to overwrite
  auto* coloring = new QActionGroup(this);
  for (const char* name : kColoringCommands) coloring->addAction(Action(name));
}

void TFmResult::CreateMenus() {
  AddItems(menuBar()->addMenu("ファイル(&F)"), m_actions,
           {"RActSave", "RActSaveAs", "RActClipboard", "", "RActOpen", "RActOpenDir", "", "RActMove",
            "RActCloseOnMove", "", "RActClose"});
  AddItems(menuBar()->addMenu("検索(&S)"), m_actions, {"RActNewSearch", "RActSqueeze", "RActSqueezeCancel"});
  AddItems(menuBar()->addMenu("表示(&V)"), m_actions,
           {"RActLineColor", "RActColor", "RActFont", "RActSqueezeColor", "", "RActGridLines", "RActHotTrack",
            "RActPreview", "RActHint", "", "RActNonColoring", "RActOddColoring", "RActEvenColoring"});
}

void TFmResult::CreateWidgets() {
  m_splitter = new QSplitter(Qt::Vertical, this);
  m_splitter->setObjectName("ResultSplitter");
  m_splitter->setChildrenCollapsible(false);

  m_model = std::make_unique<TResultModel>(m_results, m_settings);
  m_list = new QTableView(m_splitter);
  m_list->setObjectName("ResultLV");
  m_list->setModel(m_model.get());
  m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_list->setWordWrap(false);
  m_list->verticalHeader()->hide();
  m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
  m_list->horizontalHeader()->setSectionsClickable(true);
  m_list->horizontalHeader()->setHighlightSections(false);
  m_list->setItemDelegate(new THotTrackDelegate(m_settings.HotTrack, m_hintRow, m_list));
  m_list->setMouseTracking(true);
  m_list->viewport()->installEventFilter(this);
  m_list->installEventFilter(this);
  m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
  AddItems(m_list, m_actions,
           {"RActMove", "RActOpen", "RActOpenDir", "", "ResultCopyTitle", "RActSelectAll", "", "RActSqueeze",
            "RActSqueezeCancel"});

  auto* preview = new QWidget(m_splitter);
  auto* layout = new QVBoxLayout(preview);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  m_band = new QLabel(preview);
  m_band->setObjectName("ResultBand");
  m_band->setFrameShape(QFrame::StyledPanel);
  m_band->setMargin(2);
  m_band->setTextFormat(Qt::PlainText);
  layout->addWidget(m_band);
  m_edit = new TEditor(preview);
  m_edit->setObjectName("ResultEdit");
  m_edit->SetReadOnly(true);
  TEditorLeftbar leftbar = m_edit->Leftbar();
  leftbar.Visible = true;
  leftbar.ShowNumber = true;
  leftbar.ShowNumberMode = TNumberMode::nmLine;  // the numbers the band's hit lines refer to
  m_edit->SetLeftbar(leftbar);
  m_edit->setContextMenuPolicy(Qt::ActionsContextMenu);
  AddItems(m_edit, m_actions, {"RActCopy", "RActSelectAll", "", "RActClipboard", "RActSaveAs"});
  layout->addWidget(m_edit, 1);

  m_splitter->addWidget(m_list);
  m_splitter->addWidget(preview);
  m_splitter->setStretchFactor(0, 1);
  m_splitter->setStretchFactor(1, 2);
  setCentralWidget(m_splitter);

  m_statusBar = new THStatusBar(this);
  m_statusBar->setObjectName("ResultStatusBar");
  m_statusBar->AddPanel(200, Qt::AlignLeft);
  setStatusBar(m_statusBar);
}

void TFmResult::ConnectActions() {
  connect(m_list, &QTableView::clicked, this, [this](const QModelIndex& index) { ShowPreview(index.row()); });
  connect(m_list, &QTableView::doubleClicked, this, [this] { Action("RActOpen")->trigger(); });
  connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (m_settings.Preview && current.isValid()) ShowPreview(current.row());
          });
  connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
    m_results.Sort(static_cast<TResultColumn>(section));
    Repaint();
  });

  connect(Action("RActSaveAs"), &QAction::triggered, this, &TFmResult::SaveAs);
  connect(Action("RActClipboard"), &QAction::triggered, this, &TFmResult::CopyPreviewToClipboard);
  connect(Action("RActOpen"), &QAction::triggered, this, [this] { OpenTarget(false); });
  connect(Action("RActOpenDir"), &QAction::triggered, this, [this] { OpenTarget(true); });
  connect(Action("RActMove"), &QAction::triggered, this, &TFmResult::MoveToDate);
  connect(Action("RActClose"), &QAction::triggered, this, &QWidget::close);
  connect(Action("RActNewSearch"), &QAction::triggered, this, &TFmResult::NewSearch);
  connect(Action("RActSqueeze"), &QAction::triggered, this, &TFmResult::Squeeze);
  connect(Action("RActSqueezeCancel"), &QAction::triggered, this, [this] {
    m_results.ClearMarks();
    Redraw();
    ShowStatusMessage("絞込みを解除しました");
  });

  connect(Action("RActLineColor"), &QAction::triggered, this, [this] { PickColor(m_settings.LineColor); });
  connect(Action("RActColor"), &QAction::triggered, this, [this] { PickColor(m_settings.Color); });
  connect(Action("RActSqueezeColor"), &QAction::triggered, this, [this] { PickColor(m_settings.SqueezeColor); });
  connect(Action("RActFont"), &QAction::triggered, this, &TFmResult::PickFont);

  // Toggles: the action's checked state is the truth; the settings follow it.
  const auto follow = [this](const char* name, bool& setting) {
    connect(Action(name), &QAction::toggled, this, [this, &setting](bool on) {
      setting = on;
      ApplySettings();
    });
  };
  follow("RActCloseOnMove", m_settings.CloseOnMove);
  follow("RActGridLines", m_settings.GridLines);
  follow("RActHotTrack", m_settings.HotTrack);
  follow("RActPreview", m_settings.Preview);
  follow("RActHint", m_settings.Hint);
  for (int i = 0; i < 3; ++i)
    connect(Action(kColoringCommands[i]), &QAction::toggled, this, [this, i](bool on) {
      if (!on) return;
      m_settings.Coloring = i;
      Redraw();
    });

  connect(Action("RActCopy"), &QAction::triggered, this, [this] {
    QWidget* focus = focusWidget();
    if (focus && (focus == m_edit || m_edit->isAncestorOf(focus))) m_edit->CopyToClipboard();
  });
  connect(Action("RActSelectAll"), &QAction::triggered, this, [this] {
    QWidget* focus = focusWidget();
    if (focus && (focus == m_edit || m_edit->isAncestorOf(focus)))
      m_edit->SelectAll();
    else if (focus == m_list)
      m_list->selectAll();
  });
  connect(Action("ResultCopyTitle"), &QAction::triggered, this, [this] {
    const int row = m_list->currentIndex().row();
    if (row < 0 || row >= static_cast<int>(m_results.Count())) return;
    QGuiApplication::clipboard()->setText(BytesToPlainText(m_results.Items()[static_cast<std::size_t>(row)].Title));
  });
}

void TFmResult::Load(const TGrepList& items) {
  m_results.Load(items);
  Repaint();
  ShowStatusMessage(" " + QString::number(m_results.Count()) + "個検出しました");
}

const TGrepList& TFmResult::Items() const { return m_results.Items(); }

void TFmResult::ShowStatusMessage(const QString& text) { m_statusBar->ShowStatusMessage(text); }

void TFmResult::Repaint() { m_model->Reset(m_host.store ? m_host.store().SavePath : std::string()); }

void TFmResult::Redraw() {
  m_list->viewport()->update();
  m_list->horizontalHeader()->viewport()->update();
}

bool TFmResult::PreviewShown() const { return !m_edit->isHidden(); }

void TFmResult::ShowPreview(int row) {
  if (row < 0 || row >= static_cast<int>(m_results.Count())) return;
  const TGrepItem item = m_results.Items()[static_cast<std::size_t>(row)];
  const bool exists = QFileInfo(QString::fromStdString(item.Path)).isFile();
  m_band->setText(QString::fromStdString(PreviewBandText(item, exists)));
  if (exists) {
    std::string body;
    if (!ReadBody(item, m_host.code ? m_host.code() : TCode{}, body)) {
      body.clear();
      ShowStatusMessage(QString::fromUtf8(kMsgReadFailed.data(), static_cast<qsizetype>(kMsgReadFailed.size())));
    }
    m_edit->SetText(body);  // the caret and the view go to the top
    m_edit->show();
  } else {
    m_edit->SetText(std::string());
    m_edit->hide();
  }
  m_current = item;
  for (const char* name : kFileCommands) Action(name)->setEnabled(exists);
}

void TFmResult::ClearPreview() {
  m_current.reset();
  m_band->clear();
  m_edit->SetText(std::string());
  for (const char* name : kFileCommands) Action(name)->setEnabled(false);
}

const TGrepItem* TFmResult::FileTarget() const {
  if (!m_current || !PreviewShown()) return nullptr;
  // The file may have gone since it was previewed.
  return QFileInfo(QString::fromStdString(m_current->Path)).isFile() ? &*m_current : nullptr;
}

void TFmResult::DeleteSelected() {
  const QModelIndexList selected = m_list->selectionModel()->selectedRows();
  if (selected.isEmpty()) return;
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : selected) rows.push_back(static_cast<std::size_t>(index.row()));
  const std::size_t deleted = m_results.DeleteRows(std::move(rows));
  Repaint();
  if (m_results.Count() == 0) ClearPreview();
  ShowStatusMessage(" " + QString::number(deleted) + "個のアイテムを削除しました");
}

void TFmResult::SaveAs() {
  const TGrepItem* item = FileTarget();
  if (!item) return;
  const QString entry = QString::fromStdString(item->Path);
  const QString folder = QFileInfo(entry).absolutePath();
  const QString name = m_host.askSaveName ? m_host.askSaveName(folder)
                                          : QFileDialog::getSaveFileName(this, QString(), folder);
  if (name.isEmpty()) return;
  // The preview of an encrypted entry is its decrypted text: written over the
  // entry itself it would no longer match the day's flags in Set.ini.
  const bool ontoEntry = QFileInfo(name).canonicalFilePath() == QFileInfo(entry).canonicalFilePath();
  if (ontoEntry || !WriteFileAtomic(name.toStdString(), m_edit->Lines().Text()))
    ShowStatusMessage("保存に失敗しました");
}

void TFmResult::CopyPreviewToClipboard() {
  if (!FileTarget()) return;
  const QString text = BytesToPlainText(m_edit->Lines().Text());
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(text);
  // The clipboard belongs to the desktop; a copy that did not arrive is told.
  if (clipboard->text() != text) ShowStatusMessage("クリップボードへの出力に失敗しました");
}

void TFmResult::OpenTarget(bool folder) {
  const TGrepItem* item = FileTarget();
  if (!item) return;
  QString target = QString::fromStdString(item->Path);
  if (folder) target = QFileInfo(target).absolutePath();
  // The tool settings are edited by hand, so they are read afresh each time.
  const THIniFile ini(m_host.settingsFile, false);
  const std::string tool = PathFromSetting((folder ? keys::ToolFiler : keys::ToolEditor).Read(ini));
  if (!OpenWithTool(QString::fromStdString(tool), target)) ShowStatusMessage(OpenFailedMessage(target));
}

void TFmResult::MoveToDate() {
  const TGrepItem* item = FileTarget();
  if (!item || !m_host.moveToDate) return;
  // A day that did not change (its save failed) keeps the results open.
  if (!m_host.moveToDate(item->Date)) return;
  if (Action("RActCloseOnMove")->isChecked()) close();
}

void TFmResult::NewSearch() {
  m_results.Clear();
  Repaint();
  ClearPreview();
  if (m_newSearchHook) m_newSearchHook();
}

void TFmResult::Squeeze() {
  if (m_results.Count() == 0) {
    ShowStatusMessage("絞込み対象が存在しません");
    return;
  }
  if (m_squeezeHook) m_squeezeHook();
}

void TFmResult::PickColor(TColorRef& color) {
  const QColor chosen = QColorDialog::getColor(ToQColor(color, palette()), this);
  if (!chosen.isValid()) return;
  color = ColorRefOf(chosen);
  ApplySettings();
}

void TFmResult::PickFont() {
  const QString current = BytesToPlainText(m_settings.Font.name);
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, QFont(current, m_settings.Font.size), this);
  if (!ok) return;
  std::string name;
  if (!InputToBytes(EditorFontName(current, chosen), name)) return;
  m_settings.Font = {name, chosen.pointSize() > 0 ? chosen.pointSize() : m_settings.Font.size};
  ApplySettings();
}

void TFmResult::ApplySettings() {
  QPalette palette = m_list->palette();
  palette.setColor(QPalette::Base, ToQColor(m_settings.Color, QGuiApplication::palette()));
  m_list->setPalette(palette);
  m_list->setFont(QFont(BytesToPlainText(m_settings.Font.name), m_settings.Font.size > 0 ? m_settings.Font.size : 9));
  m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 6);
  m_list->setShowGrid(m_settings.GridLines);
  m_list->viewport()->setCursor(m_settings.HotTrack ? Qt::PointingHandCursor : Qt::ArrowCursor);
  if (!m_settings.Hint) {
    m_hintTimer.stop();
    QToolTip::hideText();
  }
  Redraw();
}

void TFmResult::ApplyColumns() {
  QHeaderView* header = m_list->horizontalHeader();
  for (int i = 0; i < kResultColumnCount; ++i) {
    const TResultColumnSetting& column = m_settings.Columns[static_cast<std::size_t>(i)];
    header->setSectionResizeMode(i, column.AutoSize ? QHeaderView::Stretch : QHeaderView::Interactive);
    if (!column.AutoSize) header->resizeSection(i, column.Width);
  }
}

void TFmResult::ReadSettings() {
  const THIniFile ini(m_host.settingsFile, false);
  m_settings = ReadResultSettings(ini);
  m_settingsLoaded = true;
  const TResultSettings read = m_settings;  // the toggles below write into m_settings
  Action("RActCloseOnMove")->setChecked(read.CloseOnMove);
  Action("RActGridLines")->setChecked(read.GridLines);
  Action("RActHotTrack")->setChecked(read.HotTrack);
  Action("RActPreview")->setChecked(read.Preview);
  Action("RActHint")->setChecked(read.Hint);
  Action(kColoringCommands[read.Coloring])->setChecked(true);
  m_settings = read;
  ApplyColumns();
  ApplySettings();
}

void TFmResult::WriteSettings() {
  for (int i = 0; i < kResultColumnCount; ++i)
    m_settings.Columns[static_cast<std::size_t>(i)].Width = m_list->horizontalHeader()->sectionSize(i);
  const std::string file = m_host.settingsFile;
  if (!EnsureFolder(file.substr(0, file.rfind('/') + 1))) return;
  THIniFile ini(file, true);
  WriteResultSettings(ini, m_settings);
  ini.UpdateFile();
}

void TFmResult::showEvent(QShowEvent* event) {
  if (!m_settingsLoaded) ReadSettings();
  QMainWindow::showEvent(event);
}

void TFmResult::closeEvent(QCloseEvent* event) {
  m_hintTimer.stop();
  QToolTip::hideText();
  if (m_settingsLoaded) WriteSettings();
  event->accept();
}

bool TFmResult::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_list && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Delete) {
      DeleteSelected();
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ShowPreview(m_list->currentIndex().row());
      return true;
    }
  }
  if (watched == m_list->viewport()) {
    switch (event->type()) {
      case QEvent::MouseMove:
        UpdateHint(m_list->rowAt(static_cast<QMouseEvent*>(event)->position().toPoint().y()));
        break;
      case QEvent::Leave:
        UpdateHint(-1);
        break;
      case QEvent::ToolTip:
        return true;  // the row hint is ours, shown after HoverTime
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFmResult::UpdateHint(int row) {
  if (row == m_hintRow) return;
  m_hintRow = row;
  // A new hint cancels the old one first.
  QToolTip::hideText();
  m_hintTimer.stop();
  if (m_settings.HotTrack) m_list->viewport()->update();
  if (row >= 0 && m_settings.Hint) m_hintTimer.start(m_settings.HoverTime);
}

void TFmResult::ShowHint() {
  if (!m_settings.Hint || m_hintRow < 0 || m_hintRow >= static_cast<int>(m_results.Count())) return;
  const TGrepItem& item = m_results.Items()[static_cast<std::size_t>(m_hintRow)];
  if (!QFileInfo(QString::fromStdString(item.Path)).isFile()) return;
  std::string body;
  if (!ReadBody(item, m_host.code ? m_host.code() : TCode{}, body)) return;
  const std::string hint = FirstLineHint(body);
  if (!hint.empty()) QToolTip::showText(QCursor::pos(), BytesToPlainText(hint), m_list->viewport());
}

}  // namespace quillet
