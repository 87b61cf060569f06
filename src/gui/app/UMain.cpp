// The main window's widgets, tool bars and the commands that need nothing
// from later subsystems (view toggles, panel docking, wrap modes, read-only,
// top-most, exit). Commands whose subsystem is not built yet stay disabled.
#include "gui/app/UMain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QUrl>

#include "core/app/SettingsKeys.h"
#include "core/base/CodePage.h"
#include "gui/app/Commands.h"
#include "gui/app/CoolBar.h"
#include "gui/app/EditorFontDialog.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/MenuBarRecall.h"
#include "gui/app/PagePanel.h"
#include "gui/editor/EditorClipboard.h"
#include "gui/editor/MainEditor.h"
#include "gui/app/ToolImages.h"
#include "gui/search/FindCommands.h"
#include "gui/search/GrepCommands.h"
#include "gui/viewer/UViewer.h"

namespace quillet {

namespace {

// The splitter after the title box: dragging it changes the box's width.
class TTitleSplitter : public QWidget {
public:
  TTitleSplitter(QLineEdit* edit, QWidget* parent) : QWidget(parent), m_edit(edit) {
    setFixedWidth(5);
    setCursor(Qt::SplitHCursor);
  }

protected:
  void mousePressEvent(QMouseEvent* event) override {
    m_pressX = event->globalPosition().toPoint().x();
    m_startWidth = m_edit->width();
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!(event->buttons() & Qt::LeftButton)) return;
    const int width = m_startWidth + event->globalPosition().toPoint().x() - m_pressX;
    m_edit->setFixedWidth(std::max(20, width));
  }

private:
  QLineEdit* m_edit;
  int m_pressX = 0;
  int m_startWidth = 0;
};

}  // namespace

QAction* TFmMain::Action(const QString& commandName) const { return m_commands->Action(commandName); }

std::string TFmMain::OptionFolder() const { return m_env.appFolder + "Option/"; }

std::string TFmMain::SettingsFile() const { return OptionFolder() + "quillet.ini"; }

void TFmMain::CreateWidgets() {
  setObjectName("FmMain");
  setWindowTitle("Quillet");
  resize(keys::kDesignedBounds.width, keys::kDesignedBounds.height);
  move(keys::kDesignedBounds.left, keys::kDesignedBounds.top);

  m_commands = std::make_unique<TCommands>(this, menuBar());
  // Shortcuts must work while the menu bar is hidden, so the window itself
  // carries every action.
  for (const auto& item : m_commands->LeafItems()) addAction(item.second);
  menuBar()->setObjectName("MenuMain");

  m_splitterMain = new QSplitter(Qt::Horizontal, this);
  m_splitterMain->setObjectName("SplitterMain");
  m_splitterMain->setChildrenCollapsible(false);

  m_editor = new TMainEditor(m_splitterMain);
  connect(m_editor, &TMainEditorPort::StatusMessage, this, &TFmMain::ShowStatusMessage);
  // Right-click in the editor: the edit commands and the way back to a
  // hidden menu bar, which must be reachable wherever the user looks.
  QWidget* editor = m_editor->Widget();
  for (const char* name : {"ActCut", "ActCopy", "ActPaste", "", "ActSelectAll", "", "ActEditShowMenu"}) {
    if (*name) {
      editor->addAction(Action(name));
    } else {
      auto* separator = new QAction(editor);
      separator->setSeparator(true);
      editor->addAction(separator);
    }
  }
  editor->setContextMenuPolicy(Qt::ActionsContextMenu);

  m_objectPanel = new QWidget(m_splitterMain);
  m_objectPanel->setObjectName("ObjectPanel");
  auto* panelLayout = new QHBoxLayout(m_objectPanel);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  m_objectPCtrl = new QTabWidget(m_objectPanel);
  m_objectPCtrl->setObjectName("ObjectPCtrl");
  m_objectPCtrl->setDocumentMode(true);  // flat tabs
  panelLayout->addWidget(m_objectPCtrl);

  m_splitterMain->addWidget(m_editor->Widget());
  m_splitterMain->addWidget(m_objectPanel);
  m_splitterMain->setStretchFactor(0, 1);
  m_splitterMain->setStretchFactor(1, 0);
  setCentralWidget(m_splitterMain);

  m_statusBar = CreateMainStatusBar(this);
  m_statusBar->setObjectName("StatusBarMain");
  setStatusBar(m_statusBar);
  m_statusBar->installEventFilter(this);

  CreateToolBars();
  ConnectCommands();
  new TMenuBarRecall(this, Action("ActShowMenu"), [this](bool shown) { m_commands->ApplyShowMenu(shown); });
  setAcceptDrops(true);
}

void TFmMain::CreateToolBars() {
  m_toolImages = std::make_unique<TToolImages>();

  auto makeBar = [this](const char* name, const QString& title) {
    auto* bar = new QToolBar(title, this);
    bar->setObjectName(name);
    bar->setIconSize(QSize(16, 16));
    bar->setFloatable(false);
    bar->installEventFilter(this);
    return bar;
  };
  m_editorBar = makeBar("EditorBar", "エディタバー");
  // An empty name stands for a separator.
  for (const char* name : {"ActSave", "ActOption", "ActExit", "", "ActUndo", "ActRedo", "", "ActCut",
                           "ActCopy", "ActPaste", "ActBoxSelect", "", "ActFind", "ActReplace",
                           "ActGrep", "", "ActNonWrap", "ActWordWrap", "ActByteWrap"}) {
    if (*name)
      m_editorBar->addAction(Action(name));
    else
      m_editorBar->addSeparator();
  }
  m_dateBar = makeBar("DateBar", "日付バー");
  for (const char* name : {"ActPrevMonth", "ActPrevSeven", "ActPrevThree", "ActPrevOne", "ActNextOne",
                           "ActNextThree", "ActNextSeven", "ActNextMonth", "ActToday"})
    m_dateBar->addAction(Action(name));
  m_titleBar = makeBar("TitleBar", "タイトルバー");
  m_titleEdit = new QLineEdit(m_titleBar);
  m_titleEdit->setObjectName("TitleEdit");
  m_titleEdit->setToolTip("タイトル");
  m_titleEdit->setFixedWidth(150);
  m_titleBar->addWidget(m_titleEdit);
  m_titleSplitter = new TTitleSplitter(m_titleEdit, m_titleBar);
  m_titleBar->addWidget(m_titleSplitter);

  addToolBar(Qt::TopToolBarArea, m_editorBar);
  addToolBarBreak(Qt::TopToolBarArea);
  addToolBar(Qt::TopToolBarArea, m_dateBar);
  addToolBar(Qt::TopToolBarArea, m_titleBar);
  // Tool-tips are shown by the buttons, so the hint switch watches them.
  for (QToolBar* bar : {m_editorBar, m_dateBar, m_titleBar})
    for (QAction* action : bar->actions())
      if (QWidget* button = bar->widgetForAction(action)) button->installEventFilter(this);
  m_coolBar = std::make_unique<TCoolBar>(this, m_editorBar, m_dateBar, m_titleBar);
  ApplyToolImages();
}

void TFmMain::ApplyToolImages() {
  for (const auto& item : m_commands->LeafItems()) {
    const int index = m_commands->ImageIndex(item.second->objectName());
    if (index >= 0 && index < m_toolImages->Count()) item.second->setIcon(m_toolImages->Icon(index));
  }
}

void TFmMain::ConnectCommands() {
  connect(Action("ActOption"), &QAction::triggered, this, &TFmMain::ShowOptions);
  connect(Action("ActExit"), &QAction::triggered, this, &QWidget::close);
  connect(Action("ActClose"), &QAction::triggered, this, [this] {
    m_saveOnClose = false;
    close();
  });

  connect(Action("ActShowMenu"), &QAction::toggled, this, [this](bool on) {
    m_commands->ApplyShowMenu(on);
    // A bar with every item hidden would still take its height.
    menuBar()->setVisible(on);
  });
  connect(Action("ActMenuSimplify"), &QAction::toggled, this,
          [this](bool on) { m_commands->ApplyMenuSimplify(on); });
  connect(Action("ActShowStatusBar"), &QAction::toggled, m_statusBar, &QWidget::setVisible);
  connect(Action("ActEditorBar"), &QAction::triggered, this,
          [this](bool on) { m_coolBar->SetBandVisible(TCoolBar::kEditorBand, on); });
  connect(Action("ActDateBar"), &QAction::triggered, this,
          [this](bool on) { m_coolBar->SetBandVisible(TCoolBar::kDateBand, on); });
  connect(Action("ActTitleBar"), &QAction::triggered, this,
          [this](bool on) { m_coolBar->SetBandVisible(TCoolBar::kTitleBand, on); });
  connect(Action("ActPanelRight"), &QAction::triggered, this, [this] { SetPanelAlign(true); });
  connect(Action("ActPanelLeft"), &QAction::triggered, this, [this] { SetPanelAlign(false); });
  connect(Action("ActTabStyle"), &QAction::triggered, this,
          [this] { ShowStatusMessage("変更は再起動後に反映されます"); });
  connect(Action("ActTopMost"), &QAction::toggled, this, [this](bool on) {
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) show();  // changing window flags hides the window
  });
  connect(Action("ActReadOnly"), &QAction::toggled, this, [this](bool on) {
    m_statusBar->SetPanelText(spReadOnly, on ? QStringLiteral("閲覧") : QString());
  });
  connect(Action("ActFont"), &QAction::triggered, this, [this] {
    // The font name is kept in code page 932, as the settings file holds it.
    std::u16string current;
    ToUtf16(m_editorFont.name, current);
    const QString currentName = QString::fromStdU16String(current);
    const auto dialog = MakeEditorFontDialog(currentName, m_editorFont.size, this);
    if (dialog->exec() != QDialog::Accepted) return;
    const QFont font = dialog->selectedFont();
    const QString chosen = EditorFontName(currentName, font);
    std::string name;
    QString refused;
    if (!InputToBytes(chosen, name, &refused)) {
      ShowStatusMessage(RefusedInputMessage(refused));
      return;
    }
    m_editorFont = {name, font.pointSize() > 0 ? font.pointSize() : m_editorFont.size};
    m_editor->SetEditorFont(m_editorFont);
  });
  connect(m_toolImages.get(), &TToolImages::Changed, this, &TFmMain::ApplyToolImages);
  ConnectEntryCommands();
  new TFindCommands(*this);
  new TGrepCommands(*this);
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive)
      OnApplicationActivated();
    else if (state == Qt::ApplicationInactive)
      OnApplicationDeactivated();
  });
}

void TFmMain::SyncBarCommands() {
  Action("ActEditorBar")->setChecked(m_coolBar->IsBandVisible(TCoolBar::kEditorBand));
  Action("ActDateBar")->setChecked(m_coolBar->IsBandVisible(TCoolBar::kDateBand));
  Action("ActTitleBar")->setChecked(m_coolBar->IsBandVisible(TCoolBar::kTitleBand));
}

void TFmMain::SetWrapOrder(TWrapMode order) {
  // The editor takes the mode when it lands; the radio group is the truth.
  const char* name = order == TWrapMode::WordWrap   ? "ActWordWrap"
                     : order == TWrapMode::ByteWrap ? "ActByteWrap"
                                                    : "ActNonWrap";
  Action(name)->setChecked(true);
}

TWrapMode TFmMain::WrapOrder() const {
  if (Action("ActWordWrap")->isChecked()) return TWrapMode::WordWrap;
  if (Action("ActByteWrap")->isChecked()) return TWrapMode::ByteWrap;
  return TWrapMode::NonWrap;
}

void TFmMain::SetPanelAlign(bool right) {
  const int width = PanelWidth();
  m_splitterMain->insertWidget(right ? 1 : 0, m_objectPanel);
  m_splitterMain->setStretchFactor(right ? 0 : 1, 1);
  m_splitterMain->setStretchFactor(right ? 1 : 0, 0);
  Action(right ? "ActPanelRight" : "ActPanelLeft")->setChecked(true);
  SetPanelWidth(width);
}

bool TFmMain::PanelAtRight() const { return m_splitterMain->indexOf(m_objectPanel) == 1; }

int TFmMain::PanelWidth() const {
  // Until the window is shown and laid out, and while the panel is hidden,
  // the widget's width means nothing; the width last set or dragged counts.
  const int shown = m_objectPanel->isVisible() ? m_objectPanel->width() : 0;
  return shown > 0 ? shown : m_objectPanel->property("panelWidth").toInt();
}

void TFmMain::SetPanelWidth(int width) {
  width = std::max(0, width);
  m_objectPanel->setProperty("panelWidth", width);
  const int total = std::max(m_splitterMain->width(), width + 100);
  QList<int> sizes = PanelAtRight() ? QList<int>{total - width, width} : QList<int>{width, total - width};
  m_splitterMain->setSizes(sizes);
}

int TFmMain::TitleWidth() const { return m_titleEdit->width(); }

void TFmMain::SetTitleWidth(int width) { m_titleEdit->setFixedWidth(std::max(20, width)); }

bool TFmMain::PageExists() const { return !m_pages->Empty(); }

TPanelPage* TFmMain::FindPage(TPageKind kind) const { return m_pages->Find(kind); }

void TFmMain::UpdatePanelVisibility() {
  const bool show = PageExists();
  if (show != m_objectPanel->isHidden()) return;
  // The splitter forgets a hidden panel's width; it comes back as it was.
  const int width = PanelWidth();
  m_objectPanel->setVisible(show);
  SetPanelWidth(width);
}

void TFmMain::ShowStatusMessage(const QString& text) { m_statusBar->ShowStatusMessage(text); }

void TFmMain::ShowMain() {
  if (m_startupRefused) return;
  switch (m_startState) {
    case TWindowState::Minimized: showMinimized(); break;
    case TWindowState::Maximized: showMaximized(); break;
    case TWindowState::Normal: show(); break;
  }
}

void TFmMain::BringToFront() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

QMenu* TFmMain::createPopupMenu() {
  // Window managers own the title bar menu, so its extra item "メニュー(&V)"
  // lives here (tool bar area and status bar): a hidden menu bar can always
  // be shown again.
  auto* menu = new QMenu(this);
  menu->addAction(Action("ActPopShowMenu"));
  menu->addSeparator();
  menu->addAction(Action("ActEditorBar"));
  menu->addAction(Action("ActDateBar"));
  menu->addAction(Action("ActTitleBar"));
  menu->addAction(Action("ActShowStatusBar"));
  return menu;
}

bool TFmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip && !Action("ActHint")->isChecked()) {
    auto* widget = qobject_cast<QWidget*>(watched);
    for (QToolBar* bar : {m_editorBar, m_dateBar, m_titleBar})
      if (widget && (widget == bar || widget->parentWidget() == bar)) return true;
  }
  if (event->type() == QEvent::ContextMenu && watched == m_statusBar) {
    std::unique_ptr<QMenu> menu(createPopupMenu());
    menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFmMain::dropEvent(QDropEvent* event) {
  // Only the image list page takes dropped files, and only when they are
  // dropped on it; a drop anywhere else is ignored.
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  event->acceptProposedAction();
  auto* viewer = Page<TViewerObject>();
  if (!viewer || paths.isEmpty()) return;
  const QWidget* sheet = viewer->Sheet();
  const QPoint at = sheet->mapFrom(this, event->position().toPoint());
  if (sheet->isVisible() && sheet->rect().contains(at)) viewer->AddPictures(paths);
}

void TFmMain::closeEvent(QCloseEvent* event) {
  RunCloseSequence();
  event->accept();
}

}  // namespace quillet
