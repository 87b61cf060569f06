#include "gui/options/FmOption.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "core/base/CodePage.h"
#include "core/options/OptionRules.h"
#include "core/store/DateFormat.h"
#include "core/store/UDate.h"
#include "core/viewer/Dib.h"
#include "core/viewer/SPI.h"
#include "core/viewer/ViewerSettings.h"
#include "gui/app/SmallDialogs.h"
#include "gui/app/UMain.h"
#include "gui/editor/EditorClipboard.h"
#include "gui/options/HotKeyOne.h"
#include "gui/options/OptionWidgets.h"

namespace quillet {

namespace {

constexpr const char* kCaption = "各種設定";
constexpr int kDefaultWidth = 760;
constexpr int kDefaultHeight = 520;

const struct {
  const char* group;
  struct {
    const char* caption;
    int tag;
    const char* sheet;
  } leaves[7];
} kTree[] = {
    {"全般設定",
     {{"保存設定", opSave, "SaveSheet"},
      {"起動設定", opBoot, "BootSheet"},
      {"メニュー設定", opMenu, "MenuSheet"},
      {"ウィンドウ設定", opWindow, "WindowSheet"},
      {"セキュリティ設定", opSecurity, "SecuritySheet"},
      {"外部ツール設定", opTool, "ToolSheet"}}},
    {"エディタ設定",
     {{"表示設定", opEditShow, "EditShowSheet"},
      {"編集設定", opEditEdit, "EditEditSheet"},
      {"動作設定", opEditAction, "EditActionSheet"},
      {"配色設定", opEditColor, "EditColorSheet"},
      {"禁則設定", opEditWrap, "EditWrapSheet"},
      {"行・桁設定", opEditLeftRuler, "EditLeftRulerSheet"},
      {"予約語設定", opEditReserve, "EditReserveSheet"}}},
    {"カレンダー設定",
     {{"表示設定", opCalendarProperty, "CalendarPropertySheet"}, {"色設定", opCalendarColor, "CalendarColorSheet"}}},
    {"タスク設定", {{"表示設定", opTaskShow, "TaskShowSheet"}, {"動作設定", opTaskAction, "TaskActionSheet"}}},
    {"ビューア設定",
     {{"動作設定", opViewerAction, "ViewerActionSheet"}, {"プラグイン設定", opPlugin, "PluginSheet"}}},
    {"タイトル設定", {{"表示設定", opTitleShow, "TitleShowSheet"}, {"動作設定", opTitleAction, "TitleActionSheet"}}},
};

// The start-up switches' captions, in the order of kBootSwitches.
constexpr const char* kBootCaptions[] = {
    "メニューのショートカット(&M)", "エディタ設定(&E)",   "予約語(&R)",         "ツールバーの画像(&I)",
    "クールバーの配置(&B)",         "カレンダー設定(&L)", "タスク設定(&T)",     "ビューア設定(&V)",
    "タイトル設定(&S)",             "タイトルの画像(&G)"};

const TTextKey* const kToolKeys[] = {&keys::ToolEditor, &keys::ToolFiler, &keys::ToolViewer, &keys::ToolBrowser,
                                     &keys::ToolMailer};
constexpr const char* kToolCaptions[] = {"エディタ(&E)", "ファイラ(&F)", "ビューア(&V)", "ブラウザ(&B)",
                                         "メーラ(&M)"};

constexpr const char* kPriorities[] = {"アイドル", "低い", "通常以下", "通常", "通常以上", "高い", "リアルタイム"};
constexpr const char* kEnterActions[] = {"閲覧",     "保存先を開く", "画像追加", "画像編集",
                                         "画像削除", "全てを選択",   "プロパティ"};

const TFlagKey* const kPluginKeys[] = {&keys::SusieAppPath, &keys::SusieSystem, &keys::SusieWindows,
                                       &keys::SusieCommand};

// A text the settings file can hold as a key word or password: code page 932
// with no control character, since the stored form is scrambled byte by
// byte and a control byte could come out as a line end or a NUL, which would
// cut the stored value.
bool StorableSecret(const QString& text, std::string& bytes) {
  if (std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }))
    return false;
  return FromUtf16(text.toStdU16String(), bytes);
}

}  // namespace

TFmOption::TFmOption(TFmMain& main, QWidget* parent) : QDialog(parent), m_main(main) {
  setObjectName("FmOption");
  setWindowTitle(QString::fromUtf8(kCaption));
  showMessage = [this](const QString& text) { ShowMessage(this, QString::fromUtf8(kCaption), text); };
  askKeepOldKey = [this](const QString& text) { return AskYesNo(this, QString::fromUtf8(kCaption), text); };

  auto* splitter = new QSplitter(this);
  m_tree = new QTreeWidget(splitter);
  m_tree->setObjectName("OptionTV");
  m_tree->header()->hide();
  m_pages = new QStackedWidget(splitter);
  m_pages->setObjectName("OptionPageCtrl");
  m_pages->addWidget(new QWidget(m_pages));  // what a group node shows
  splitter->setStretchFactor(1, 1);

  AddPage(opSave, BuildSavePage());
  AddPage(opBoot, BuildBootPage());
  AddPage(opMenu, BuildMenuPage());
  AddPage(opWindow, BuildWindowPage());
  AddPage(opSecurity, BuildSecurityPage());
  AddPage(opTool, BuildToolPage());
  AddPage(opViewerAction, BuildViewerPage());
  AddPage(opPlugin, BuildPluginPage());
  for (auto* make : {&MakeEditorOptionPages, &MakeCalendarOptionPages, &MakeTaskOptionPages, &MakeTitleOptionPages}) {
    std::unique_ptr<TOptionPageGroup> group = make(m_main, this);
    if (!group) continue;
    for (const auto& [tag, page] : group->Pages()) AddPage(tag, page);
    m_groups.push_back(std::move(group));
  }
  for (int tag = opSave; tag <= opTitleAction; ++tag)
    if (!m_pageOfTag.count(tag)) AddPage(tag, BuildPlaceholderPage());
  BuildTree();

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton("OK(&O)", QDialogButtonBox::AcceptRole);
  ok->setObjectName("OkButton");
  ok->setDefault(true);
  QPushButton* apply = buttons->addButton("適用(&A)", QDialogButtonBox::ApplyRole);
  apply->setObjectName("ApplyButton");
  QPushButton* cancel = buttons->addButton("キャンセル(&C)", QDialogButtonBox::RejectRole);
  cancel->setObjectName("CancelButton");
  connect(ok, &QPushButton::clicked, this, &TFmOption::accept);
  connect(apply, &QPushButton::clicked, this, [this] { Apply(); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addWidget(buttons);

  {
    const THIniFile ini(m_main.SettingsFile(), false);
    Load(ini);
  }
  UpdateMethod();

  // Every page scrolls, so the dialog fits any screen; its default size fits
  // a 1280 x 800 screen and, at scale 2, whatever part of it is free.
  QSize size(kDefaultWidth, kDefaultHeight);
  if (const QScreen* screen = m_main.screen() ? m_main.screen() : QGuiApplication::primaryScreen())
    size = size.boundedTo(screen->availableGeometry().size());
  resize(size);
  // The tree needs only its captions' width; the pages take the rest.
  int captions = 0;
  const QFontMetrics metrics(m_tree->font());
  for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
    captions = std::max(captions, metrics.horizontalAdvance((*it)->text(0)) + ((*it)->parent() ? 2 : 1) * m_tree->indentation());
  const int treeWidth = std::min(captions + 2 * metrics.averageCharWidth() + 8, size.width() / 3);
  splitter->setSizes({treeWidth, size.width() - treeWidth});
  ShowPage(opSave);
}

TFmOption::~TFmOption() = default;

QWidget* TFmOption::AddPage(int tag, QWidget* page) {
  // Each page scrolls inside the stack rather than stretching the dialog.
  auto* scroll = new QScrollArea(m_pages);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidget(page);
  m_pages->addWidget(scroll);
  m_pageOfTag[tag] = page;
  return page;
}

QWidget* TFmOption::Page(int tag) const {
  const auto it = m_pageOfTag.find(tag);
  return it == m_pageOfTag.end() ? nullptr : it->second;
}

void TFmOption::BuildTree() {
  for (const auto& group : kTree) {
    auto* node = new QTreeWidgetItem(m_tree, QStringList{QString::fromUtf8(group.group)});
    node->setData(0, Qt::UserRole, 0);
    for (const auto& leaf : group.leaves) {
      if (!leaf.caption) break;
      auto* item = new QTreeWidgetItem(node, QStringList{QString::fromUtf8(leaf.caption)});
      item->setData(0, Qt::UserRole, leaf.tag);
      m_pageOfTag.at(leaf.tag)->setObjectName(QString::fromLatin1(leaf.sheet));
    }
  }
  m_tree->expandAll();
  connect(m_tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    const int tag = item ? item->data(0, Qt::UserRole).toInt() : 0;
    QWidget* page = Page(tag);
    m_pages->setCurrentIndex(page ? m_pages->indexOf(page->parentWidget()->parentWidget()) : 0);
  });
}

void TFmOption::ShowPage(int tag) {
  for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
    if ((*it)->data(0, Qt::UserRole).toInt() == tag) {
      m_tree->setCurrentItem(*it);
      return;
    }
  }
}

QWidget* TFmOption::BuildPlaceholderPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* label = new QLabel("この項目の設定は、現在は Option/quillet.ini を編集して行います。", page);
  label->setWordWrap(true);
  layout->addWidget(label);
  layout->addStretch();
  return page;
}

namespace {

// Node data of the menu tree.
constexpr int kItemNameRole = Qt::UserRole;
constexpr int kSeparatorRole = Qt::UserRole + 1;
constexpr int kShortCutRole = Qt::UserRole + 2;
constexpr int kCaptionRole = Qt::UserRole + 3;

QString MenuNodeText(const QTreeWidgetItem& node) {
  if (node.data(0, kSeparatorRole).toBool()) return QStringLiteral("--------------");
  return node.data(0, kCaptionRole).toString() + QStringLiteral("     ") +
         THotKeyOne::ShortCutToText(node.data(0, kShortCutRole).toInt());
}

// A command's menu entry is named by the menu, not by the action, which is
// named after its command and may be shown elsewhere too.
QString MenuItemName(const QAction& item) {
  const QVariant name = item.property("menuItemName");
  return name.isValid() ? name.toString() : item.objectName();
}

}  // namespace

QWidget* TFmOption::BuildMenuPage() {
  auto* page = new QWidget;
  auto* layout = new QGridLayout(page);
  m_menuTree = new QTreeWidget(page);
  m_menuTree->setObjectName("MenuTV");
  m_menuTree->header()->hide();
  // The menu as the window has it now, simplified or not: an item hidden
  // from the menu keeps the shortcut the file already gives it.
  if (m_main.menuBar()) AddMenuNodes(m_menuTree->invisibleRootItem(), m_main.menuBar()->actions());
  m_menuTree->expandAll();
  m_menuKey = new THotKeyOne(page);
  m_menuKey->setObjectName("MenuHotKey");
  m_menuApply = new QPushButton("適用(&Y)", page);
  m_menuApply->setObjectName("MenuApplyButton");
  m_menuApply->setEnabled(false);
  connect(m_menuTree, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* node) { SelectMenuNode(node); });
  connect(m_menuApply, &QPushButton::clicked, this, [this] { SetNodeShortCut(); });
  layout->addWidget(MakeLabel(page, "メニュー(&M)", m_menuTree), 0, 0);
  layout->addWidget(m_menuTree, 1, 0, 4, 1);
  layout->addWidget(MakeLabel(page, "ショートカット(&K)", m_menuKey), 1, 1);
  layout->addWidget(m_menuKey, 2, 1);
  layout->addWidget(m_menuApply, 3, 1, Qt::AlignRight);
  layout->setRowStretch(4, 1);
  layout->setColumnStretch(0, 1);
  QWidget::setTabOrder(m_menuTree, m_menuKey);
  QWidget::setTabOrder(m_menuKey, m_menuApply);
  return page;
}

void TFmOption::AddMenuNodes(QTreeWidgetItem* parent, const QList<QAction*>& items) {
  for (QAction* item : items) {
    auto* node = new QTreeWidgetItem(parent);
    node->setData(0, kItemNameRole, MenuItemName(*item));
    node->setData(0, kSeparatorRole, item->isSeparator());
    node->setData(0, kCaptionRole, item->text());
    const QKeySequence shortcut = item->shortcut();
    node->setData(0, kShortCutRole, shortcut.isEmpty() ? 0 : shortcut[0].toCombined());
    node->setText(0, MenuNodeText(*node));
    if (item->menu()) AddMenuNodes(node, item->menu()->actions());
  }
}

void TFmOption::SelectMenuNode(QTreeWidgetItem* node) {
  // A submenu opens on its own items and never takes a shortcut.
  m_menuApply->setEnabled(node && node->childCount() == 0);
  m_menuKey->SetShortCut(node ? node->data(0, kShortCutRole).toInt() : 0);
}

void TFmOption::SetNodeShortCut() {
  QTreeWidgetItem* node = m_menuTree->currentItem();
  if (!node || node->childCount() != 0 || node->data(0, kSeparatorRole).toBool()) return;
  node->setData(0, kShortCutRole, m_menuKey->GetShortCut());
  node->setText(0, MenuNodeText(*node));
}

QWidget* TFmOption::BuildSavePage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  m_saveEdit = MakeEdit(page, "SaveEdit");
  auto* browse = new QPushButton("...(&1)", page);
  browse->setObjectName("SaveButton");
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString folder = QFileDialog::getExistingDirectory(this, "保存先フォルダ", m_saveEdit->text());
    if (!folder.isEmpty()) m_saveEdit->setText(folder);
  });
  auto* row = new QHBoxLayout;
  row->addWidget(m_saveEdit, 1);
  row->addWidget(browse);
  form->addRow(MakeLabel(page, "保存先フォルダ(&F)", m_saveEdit), row);
  m_saveReadOnly = MakeCheck(page, "SaveReadOnly", "保存したファイルを読み取り専用にする(&R)");
  form->addRow(m_saveReadOnly);
  m_checkTimeStump = MakeCheck(page, "CheckTimeStump", "ファイルのタイムスタンプを監視する(&T)");
  form->addRow(m_checkTimeStump);
  // The three file-name styles of the store, by example.
  m_saveStyle = MakeCombo(page, "SaveStyleBox", {"年/月/日 (2005/3/7)", "年/月/年月日 (2005/3/20050307)",
                                                 "年/月/月-日 (2005/3/3-7)"});
  form->addRow(MakeLabel(page, "ファイル名の形式(&N)", m_saveStyle), m_saveStyle);
  m_saveExt = MakeEdit(page, "SaveExtEdit");
  form->addRow(MakeLabel(page, "拡張子(&X)", m_saveExt), m_saveExt);
  return page;
}

QWidget* TFmOption::BuildBootPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* row = new QHBoxLayout;
  m_wakeUp = MakeEdit(page, "WakeUp");
  m_wakeUp->setMaximumWidth(60);
  row->addWidget(MakeLabel(page, "午前(&W)", m_wakeUp));
  row->addWidget(m_wakeUp);
  row->addWidget(new QLabel("まで「今日」として起動する", page));
  row->addStretch();
  layout->addLayout(row);
  auto* group = new QGroupBox("起動時に読み込む設定", page);
  auto* grid = new QGridLayout(group);
  for (std::size_t i = 0; i < kBootSwitches.size(); ++i) {
    const TFlagKey& key = *kBootSwitches[i];
    QCheckBox* box = MakeCheck(group, "", QString::fromUtf8(kBootCaptions[i]));
    box->setObjectName(QString::fromUtf8(key.key.data(), static_cast<qsizetype>(key.key.size())));
    m_bootBoxes[&key] = box;
    // Two columns: the page stays short enough for a small screen.
    grid->addWidget(box, static_cast<int>(i / 2), static_cast<int>(i % 2));
  }
  layout->addWidget(group);
  layout->addStretch();
  return page;
}

QWidget* TFmOption::BuildWindowPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  m_saveWndPos = MakeCheck(page, "SaveWndPos", "前回終了時のウィンドウ位置を記憶する(&S)");
  m_commandWndPos = MakeCheck(page, "CommandWndPos", "指定位置で起動する(&P)");
  // The two exclude each other; both may be off.
  connect(m_saveWndPos, &QCheckBox::toggled, this, [this](bool on) {
    if (on) m_commandWndPos->setChecked(false);
  });
  connect(m_commandWndPos, &QCheckBox::toggled, this, [this](bool on) {
    if (on) m_saveWndPos->setChecked(false);
  });
  layout->addWidget(m_saveWndPos);
  layout->addWidget(m_commandWndPos);
  auto* form = new QFormLayout;
  const char* names[] = {"TopPosition", "LeftPosition", "HeightPosition", "WidthPosition"};
  const char* captions[] = {"上(&T)", "左(&L)", "高さ(&H)", "幅(&W)"};
  for (int i = 0; i < 4; ++i) {
    m_position[i] = new QSpinBox(page);
    m_position[i]->setObjectName(names[i]);
    m_position[i]->setRange(-100000, 100000);
    form->addRow(MakeLabel(page, QString::fromUtf8(captions[i]), m_position[i]), m_position[i]);
  }
  layout->addLayout(form);
  auto* take = new QPushButton("取得(&G)", page);
  take->setObjectName("GetPositionButton");
  connect(take, &QPushButton::clicked, this, [this] {
    // The bounds the close writes: the normal ones of a maximised window.
    const QRect bounds = (m_main.isMaximized() || m_main.isMinimized()) ? m_main.normalGeometry()
                                                                         : QRect(m_main.pos(), m_main.size());
    m_position[0]->setValue(bounds.top());
    m_position[1]->setValue(bounds.left());
    m_position[2]->setValue(bounds.height());
    m_position[3]->setValue(bounds.width());
  });
  layout->addWidget(take, 0, Qt::AlignLeft);
  layout->addStretch();
  return page;
}

QWidget* TFmOption::BuildSecurityPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  m_entry = MakeCheck(page, "EntryCheck", "起動時にパスワード照合を行う(&P)");
  layout->addWidget(m_entry);
  auto* form = new QFormLayout;
  m_entryText = MakeEdit(page, "EntryEdit");
  m_entryText->setEchoMode(QLineEdit::Password);
  form->addRow(MakeLabel(page, "パスワード(&W)", m_entryText), m_entryText);
  layout->addLayout(form);
  m_enCrypt = MakeCheck(page, "EnCrypt", "保存時にファイルを暗号化する(&E)");
  layout->addWidget(m_enCrypt);
  auto* keys = new QFormLayout;
  m_method = MakeCombo(page, "CodeMethodBox", {"簡易", "堅牢"});
  keys->addRow(MakeLabel(page, "暗号化方式(&M)", m_method), m_method);
  m_number = MakeEdit(page, "CodeNumberEdit");
  auto* numberLabel = MakeLabel(page, "暗号用キー(&N)", m_number);
  numberLabel->setObjectName("CodeNumberLabel");
  m_numberLabel = numberLabel;
  keys->addRow(numberLabel, m_number);
  m_keyWord = MakeEdit(page, "CodeKeyWordEdit");
  auto* keyWordLabel = MakeLabel(page, "暗号用キーワード(&K)", m_keyWord);
  keyWordLabel->setObjectName("CodeKeyWordLabel");
  m_keyWordLabel = keyWordLabel;
  keys->addRow(keyWordLabel, m_keyWord);
  layout->addLayout(keys);
  auto* note = new QLabel("キーを変えても、保存済みの日記は暗号化し直されません（古いキーでしか開けません）。", page);
  note->setObjectName("KeyChangeNote");
  note->setWordWrap(true);
  layout->addWidget(note);
  layout->addStretch();
  connect(m_method, &QComboBox::currentIndexChanged, this, [this] { UpdateMethod(); });
  return page;
}

void TFmOption::UpdateMethod() {
  const bool number = m_method->currentIndex() == 0;
  m_numberLabel->setEnabled(number);
  m_number->setEnabled(number);
  m_keyWordLabel->setEnabled(!number);
  m_keyWord->setEnabled(!number);
}

QWidget* TFmOption::BuildToolPage() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  for (int i = 0; i < 5; ++i) {
    m_tools[i] = new QLineEdit(page);
    m_tools[i]->setObjectName(QString::fromUtf8(kToolKeys[i]->key.data(),
                                                static_cast<qsizetype>(kToolKeys[i]->key.size())));
    auto* browse = new QPushButton(QStringLiteral("...(&%1)").arg(i + 1), page);
    QLineEdit* edit = m_tools[i];
    connect(browse, &QPushButton::clicked, this, [this, edit] {
      // Linux marks programs by their execute permission, not by a file
      // name ending: the file dialog lists folders and executable files.
      QFileDialog dialog(this, "ファイルを開く", QFileInfo(edit->text()).absolutePath());
      dialog.setOption(QFileDialog::DontUseNativeDialog);
      dialog.setFileMode(QFileDialog::ExistingFile);
      dialog.setNameFilter("実行ファイル (*)");
      dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
      if (!edit->text().isEmpty()) dialog.selectFile(edit->text());
      if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        edit->setText(dialog.selectedFiles().constFirst());
    });
    auto* row = new QHBoxLayout;
    row->addWidget(m_tools[i], 1);
    row->addWidget(browse);
    form->addRow(MakeLabel(page, QString::fromUtf8(kToolCaptions[i]), m_tools[i]), row);
  }
  return page;
}

QWidget* TFmOption::BuildViewerPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  const struct {
    const char* name;
    const char* caption;
  } boxes[] = {{"DeleteAsk", "削除時に確認する(&D)"},
               {"ShowComment", "コメントをステータスバーに表示する(&M)"},
               {"AllowUndo", "ごみ箱へ削除する(&U)"},
               {"DrawFrame", "画像に枠を描く(&F)"},
               {"AutoArrange", "自動整列する(&R)"}};
  for (int i = 0; i < 5; ++i) {
    m_viewerBoxes[i] = MakeCheck(page, boxes[i].name, QString::fromUtf8(boxes[i].caption));
    layout->addWidget(m_viewerBoxes[i]);
  }
  auto* form = new QFormLayout;
  m_viewerSize = new QSpinBox(page);
  m_viewerSize->setObjectName("Size");
  m_viewerSize->setRange(1, kMaxDibSide);
  form->addRow(MakeLabel(page, "画像サイズ(&S)", m_viewerSize), m_viewerSize);
  m_viewerPriority = MakeCombo(page, "ThreadPriority", {});
  for (const char* level : kPriorities) m_viewerPriority->addItem(QString::fromUtf8(level));
  form->addRow(MakeLabel(page, "描画スレッドの優先度(&P)", m_viewerPriority), m_viewerPriority);
  m_viewerEnter = MakeCombo(page, "EnterAction", {});
  for (const char* action : kEnterActions) m_viewerEnter->addItem(QString::fromUtf8(action));
  form->addRow(MakeLabel(page, "Enterキーの動作(&E)", m_viewerEnter), m_viewerEnter);
  layout->addLayout(form);
  layout->addStretch();
  return page;
}

QWidget* TFmOption::BuildPluginPage() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* group = new QGroupBox("プラグインの検索フォルダ", page);
  auto* inner = new QVBoxLayout(group);
  const char* captions[] = {"起動フォルダ(&S)", "システムフォルダ(&Y)", "Windowsフォルダ(&W)", "指定フォルダ(&F)"};
  for (int i = 0; i < 4; ++i) {
    m_plugin[i] = MakeCheck(group, "", QString::fromUtf8(captions[i]));
    m_plugin[i]->setObjectName(QString::fromUtf8(kPluginKeys[i]->key.data(),
                                                 static_cast<qsizetype>(kPluginKeys[i]->key.size())));
    inner->addWidget(m_plugin[i]);
  }
  m_susieEdit = MakeEdit(group, "SusieEdit");
  auto* browse = new QPushButton(",,,(&B)", group);
  browse->setObjectName("SusieButton");
  connect(browse, &QPushButton::clicked, this, [this] {
    QString folder = QFileDialog::getExistingDirectory(this, "プラグインフォルダ", m_susieEdit->text());
    if (folder.isEmpty()) return;
    // The folder is joined with file names by plain concatenation.
    if (!folder.endsWith('/')) folder += '/';
    m_susieEdit->setText(folder);
  });
  auto* row = new QHBoxLayout;
  row->addWidget(MakeLabel(group, "場所(&L)", m_susieEdit));
  row->addWidget(m_susieEdit, 1);
  row->addWidget(browse);
  inner->addLayout(row);
  layout->addWidget(group);
  m_showInformation = MakeCheck(page, "ShowInformation", "メニューに項目を表示する(&I)");
  layout->addWidget(m_showInformation);
  // Plug-ins are loaded once, at start.
  layout->addWidget(new QLabel("プラグインの設定は次回の起動時に反映されます。", page));
  layout->addStretch();
  return page;
}

void TFmOption::Load(const THIniFile& ini) {
  const std::string app = m_main.AppFolder();
  m_saveEdit->setText(FromSetting(keys::SavePath.Read(ini, PathToSetting(app))));
  m_saveReadOnly->setChecked(keys::SaveReadOnly.Read(ini));
  m_checkTimeStump->setChecked(keys::CheckTimeStump.Read(ini));
  const int style = keys::SaveStyle.Read(ini);
  m_saveStyle->setCurrentIndex(style == 1 || style == 2 ? style : 0);
  m_saveExt->setText(FromSetting(keys::SaveExt.Read(ini)));

  m_wakeUp->setText(QString::number(keys::WakeUp.Read(ini)));
  for (const auto& [key, box] : m_bootBoxes) box->setChecked(static_cast<const TFlagKey*>(key)->Read(ini));

  m_saveWndPos->setChecked(keys::SaveWndPos.Read(ini));
  m_commandWndPos->setChecked(keys::CommandWndPos.Read(ini));
  const TBounds bounds = ini.ReadBounds(keys::kWindow, TBounds{m_main.y(), m_main.x(), m_main.width(), m_main.height()},
                                        keys::kPositionSuffix);
  m_position[0]->setValue(bounds.top);
  m_position[1]->setValue(bounds.left);
  m_position[2]->setValue(bounds.height);
  m_position[3]->setValue(bounds.width);

  m_written.Entry = keys::Entry.Read(ini);
  m_written.EntryText = Scramble(keys::EntryText.Read(ini));
  m_written.EnCrypt = keys::EnCrypt.Read(ini);
  m_written.MethodIndex = keys::Method.Read(ini) ? 1 : 0;
  m_written.NumberText = std::to_string(keys::Number.Read(ini));
  m_written.Word = Scramble(keys::Word.Read(ini));
  m_entry->setChecked(m_written.Entry);
  m_entryText->setText(FromCp932(m_written.EntryText));
  m_enCrypt->setChecked(m_written.EnCrypt);
  SetKeyFields(m_written);

  for (int i = 0; i < 5; ++i) m_tools[i]->setText(FromSetting(kToolKeys[i]->Read(ini)));

  const TViewerSettings viewer = ReadViewerSettings(ini);
  const bool viewerBoxes[] = {viewer.DeleteAsk, viewer.ShowComment, viewer.AllowUndo, viewer.DrawFrame,
                              viewer.AutoArrange};
  for (int i = 0; i < 5; ++i) m_viewerBoxes[i]->setChecked(viewerBoxes[i]);
  m_viewerSize->setValue(viewer.Size);
  m_viewerPriority->setCurrentIndex(viewer.ThreadPriority);
  m_viewerEnter->setCurrentIndex(static_cast<int>(viewer.EnterAction));

  const TSPIStartSettings plugins = ReadSPIStartSettings(ini, app);
  const bool pluginBoxes[] = {plugins.AppPath, plugins.System, plugins.Windows, plugins.Command};
  for (int i = 0; i < 4; ++i) m_plugin[i]->setChecked(pluginBoxes[i]);
  m_susieEdit->setText(QString::fromStdString(plugins.CommandPath));
  m_showInformation->setChecked(keys::ShowInformation.Read(ini));
  for (const auto& group : m_groups) group->Load(ini);
}

void TFmOption::SetKeyFields(const TSecurityOptions& options) {
  m_method->setCurrentIndex(options.MethodIndex == 0 ? 0 : 1);
  m_number->setText(QString::fromStdString(options.NumberText));
  m_keyWord->setText(FromCp932(options.Word));
  UpdateMethod();
}

bool TFmOption::SecurityOptions(TSecurityOptions& options, QString& message) const {
  options.Entry = m_entry->isChecked();
  options.EnCrypt = m_enCrypt->isChecked();
  options.MethodIndex = m_method->currentIndex();
  // The number is checked as typed; text the code page cannot hold is no
  // integer either and is refused as one.
  if (!FromUtf16(m_number->text().toStdU16String(), options.NumberText)) options.NumberText = "?";
  const bool entryOk = StorableSecret(m_entryText->text(), options.EntryText);
  const bool wordOk = StorableSecret(m_keyWord->text(), options.Word);
  // The designed checks look at emptiness only; a text that cannot be stored
  // is not empty.
  if (!entryOk) options.EntryText = "?";
  if (!wordOk) options.Word = "?";
  message = QString::fromStdString(ValidateSecurityOptions(options));
  if (message.isEmpty() && !entryOk) message = "パスワードに保存できない文字があります";
  if (message.isEmpty() && !wordOk) message = "暗号用キーワードに保存できない文字があります";
  return message.isEmpty();
}

QString TFmOption::CheckStorePage() const {
  // The store would put a file name with "/" outside its month folder and
  // falls back to ".txt"; a missing root would make saves go to the program
  // folder. Both are said now rather than found later.
  if (m_saveExt->text().contains('/')) return "拡張子に「/」は使えません";
  const QString root = m_saveEdit->text().trimmed();
  if (!root.isEmpty() && !FolderExists(root.toStdString())) return "保存先フォルダが見つかりません: " + root;
  return {};
}

bool TFmOption::NewKeyAccepted(const TSecurityOptions& options) {
  const bool keyEdited = options.MethodIndex != m_written.MethodIndex || options.NumberText != m_written.NumberText ||
                         options.Word != m_written.Word;
  if (!keyEdited) return true;
  TStoreSettings store = m_main.StoreSettings();
  const std::string root = m_saveEdit->text().trimmed().toStdString();
  store.SavePath = NormalizeSavePath(root, true, m_main.AppFolder());
  store.SaveStyle = m_saveStyle->currentIndex();
  store.SaveExt = m_saveExt->text().trimmed().toStdString();
  const TKeyChangeCheck check = CheckKeyChange(store, m_main.Code(), CodeOfOptions(options, LoginName()));
  if (check.Lost.empty()) return true;
  const QString newest = QString::fromStdString(FormatDatePattern(kShortDatePattern, check.Lost.front().Date));
  const QString text = QStringLiteral(
                           "暗号化された日記を%1日分調べたところ、%2日分（最新は%3）は新しいキーでは開けません。\n"
                           "キーを変えても、保存済みの日記は暗号化し直されません。\n\n"
                           "古いキーのままにしますか？")
                           .arg(check.Sampled)
                           .arg(check.Lost.size())
                           .arg(newest);
  return !askKeepOldKey(text);
}

bool TFmOption::Apply() {
  TSecurityOptions security;
  QString message;
  if (!SecurityOptions(security, message) || !(message = CheckStorePage()).isEmpty()) {
    showMessage(message);
    return false;
  }
  for (const auto& group : m_groups) {
    if (!(message = group->Check()).isEmpty()) {
      showMessage(message);
      return false;
    }
  }
  bool writeKey = true;
  if (!NewKeyAccepted(security)) {
    // The old key stays, in the fields and in the file.
    SetKeyFields(m_written);
    security.MethodIndex = m_written.MethodIndex;
    security.NumberText = m_written.NumberText;
    security.Word = m_written.Word;
    writeKey = false;
  }
  if (!EnsureFolder(m_main.OptionFolder())) {
    showMessage("設定フォルダを作成できません: " + QString::fromStdString(m_main.OptionFolder()));
    return false;
  }
  {
    THIniFile ini(m_main.SettingsFile(), true);
    // Writing over a file that could not be read would lose every other
    // setting in it.
    if (ini.ReadFailed()) {
      showMessage("設定ファイルを読み込めないため、設定を保存できません");
      return false;
    }
    Write(ini);
    if (writeKey) {
      WriteSecurityOptions(ini, security);
    } else {
      keys::Entry.Write(ini, security.Entry);
      keys::EntryText.Write(ini, Scramble(security.EntryText));
      keys::EnCrypt.Write(ini, security.EnCrypt);
    }
    if (!ini.UpdateFile()) {
      showMessage("設定を保存できませんでした");
      return false;
    }
  }
  m_written = security;
  // The settings are saved: a group's file that could not be written is
  // said, and the rest still takes effect.
  for (const auto& group : m_groups)
    if (!(message = group->WriteFiles()).isEmpty()) showMessage(message);
  const THIniFile ini(m_main.SettingsFile(), false);
  if (!m_main.ApplyOptions(ini))
    showMessage("開いている日記を保存できなかったため、保存先の変更は次回の起動時に反映されます");
  return true;
}

void TFmOption::Write(THIniFile& ini) const {
  TStoreSettings store;
  store.SavePath = m_saveEdit->text().trimmed().toStdString();
  store.SaveExt = m_saveExt->text().trimmed().toStdString();
  store.SaveReadOnly = m_saveReadOnly->isChecked();
  store.SaveStyle = m_saveStyle->currentIndex();
  WriteStoreSettings(ini, store);
  keys::CheckTimeStump.Write(ini, m_checkTimeStump->isChecked());

  keys::WakeUp.Write(ini, WakeUpValue(m_wakeUp->text().toStdString()));
  for (const auto& [key, box] : m_bootBoxes) static_cast<const TFlagKey*>(key)->Write(ini, box->isChecked());

  keys::SaveWndPos.Write(ini, m_saveWndPos->isChecked());
  keys::CommandWndPos.Write(ini, m_commandWndPos->isChecked());
  ini.WriteBounds(keys::kWindow,
                  TBounds{m_position[0]->value(), m_position[1]->value(), m_position[3]->value(),
                          m_position[2]->value()},
                  keys::kPositionSuffix);

  for (int i = 0; i < 5; ++i) kToolKeys[i]->Write(ini, ToSetting(m_tools[i]->text()));

  TViewerSettings viewer;
  viewer.DeleteAsk = m_viewerBoxes[0]->isChecked();
  viewer.ShowComment = m_viewerBoxes[1]->isChecked();
  viewer.AllowUndo = m_viewerBoxes[2]->isChecked();
  viewer.DrawFrame = m_viewerBoxes[3]->isChecked();
  viewer.AutoArrange = m_viewerBoxes[4]->isChecked();
  viewer.Size = m_viewerSize->value();
  viewer.ThreadPriority = m_viewerPriority->currentIndex();
  viewer.EnterAction = static_cast<TViewerEnterAction>(m_viewerEnter->currentIndex());
  WriteViewerSettings(ini, viewer);

  for (int i = 0; i < 4; ++i) kPluginKeys[i]->Write(ini, m_plugin[i]->isChecked());
  keys::SusieCommandPath.Write(ini, ToSetting(m_susieEdit->text()));
  keys::ShowInformation.Write(ini, m_showInformation->isChecked());

  // Every command's entry is written, "" for none, so that a shortcut taken
  // away stays away instead of falling back to the built-in one.
  for (QTreeWidgetItemIterator it(m_menuTree); *it; ++it) {
    const QTreeWidgetItem& node = **it;
    const QString name = node.data(0, kItemNameRole).toString();
    if (node.childCount() != 0 || node.data(0, kSeparatorRole).toBool() || name.isEmpty()) continue;
    ini.WriteString(keys::kShortCut, name.toStdString(),
                    THotKeyOne::ShortCutToText(node.data(0, kShortCutRole).toInt()).toStdString());
  }
  for (const auto& group : m_groups) group->Write(ini);
}

void TFmOption::accept() {
  if (Apply()) QDialog::accept();
}

}  // namespace quillet
