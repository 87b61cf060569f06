// The image list page: its widgets, the load and its hand-overs, the
// commands and the store (see UViewer.h).
#include "gui/viewer/UViewer.h"

#include <sys/stat.h>

#include <QAction>
#include <QBoxLayout>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QStandardPaths>
#include <QTimer>

#include "core/app/HIniFile.h"
#include "core/store/EntryStore.h"
#include "core/viewer/DayPictures.h"
#include "core/viewer/Dib.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/PagePopup.h"
#include "gui/app/UMain.h"
#include "gui/editor/EditorClipboard.h"
#include "gui/viewer/FmViewEditor.h"
#include "gui/viewer/PictureProperties.h"

namespace quillet {

namespace {

QString Utf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The pop-up menu's items in menu order.
constexpr TPopItem kPopItems[] = {
    {"ViewPopPreview", "閲覧(&P)", "ActViewerPreview"},
    {"ViewPopOpenDirectory", "保存先を開く(&F)", "ActViewerOpenDirectory"},
    {"ViewPopSep1", nullptr, nullptr},
    {"ViewPopAppend", "画像追加(&A)", "ActViewerAppend"},
    {"ViewPopDelete", "画像削除(&D)", "ActViewerDelete"},
    {"ViewPopEdit", "画像編集(&E)", "ActViewerEdit"},
    {"ViewPopSep2", nullptr, nullptr},
    {"ViewPopSelectAll", "全てを選択(&L)", "ActViewerSelectAll"},
    {"ViewPopSep3", nullptr, nullptr},
    {"ViewPopProperty", "プロパティ(&R)", "ActViewerProperty"},
    {"ViewPopSep4", nullptr, nullptr},
    {"ViewPopCancel", "キャンセル(&X)", nullptr},
};

constexpr std::pair<const char*, void (TViewerObject::*)()> kCommands[] = {
    {"ActViewerPreview", &TViewerObject::Preview},     {"ActViewerOpenDirectory", &TViewerObject::OpenDirectory},
    {"ActViewerAppend", &TViewerObject::Append},       {"ActViewerDelete", &TViewerObject::DeleteItems},
    {"ActViewerEdit", &TViewerObject::EditItem},       {"ActViewerSelectAll", &TViewerObject::SelectAll},
    {"ActViewerProperty", &TViewerObject::ShowProperties},
};

constexpr char kMsgObjects[] = "個のオブジェクト";
constexpr char kMsgNoTarget[] = "対象を認識出来ませんでした";
constexpr char kMsgNoTargetPicture[] = "対象画像を認識出来ませんでした";

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

// Moves `path` to the desktop's trash. Qt 6.4 builds the trash inside the
// working folder when the data home ($XDG_DATA_HOME, ~/.local/share) does
// not exist yet, so it is made first.
bool MoveToTrash(const QString& path) {
  QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
  return QFile::moveToTrash(path);
}

// The frame around a thumbnail: one pixel, in the list's text colour
// lightened, so that it reads on light and dark backgrounds alike.
constexpr int kFrame = 1;

}  // namespace

TViewList::TViewList(QWidget* parent) : QListWidget(parent) {
  setObjectName("ViewList");
  setViewMode(QListView::IconMode);
  setMovement(QListView::Static);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWrapping(true);
  setWordWrap(true);
  setUniformItemSizes(true);
  setDragEnabled(false);
  setAcceptDrops(false);
  viewport()->setAcceptDrops(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

void TViewList::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    emit EnterPressed();
    return;
  }
  QListWidget::keyPressEvent(event);
}

TViewerObject::TViewerObject(TFmMain& window)
    : TPanelPage(kKind, QStringLiteral("ViewerSheet"), QStringLiteral("ビューア")),
      m_window(window),
      m_date(window.CurrentDate()),
      m_list(new TViewList(Sheet())),
      m_status(new THStatusBar(Sheet())),
      m_popup(new QMenu(Sheet())) {
  std::string error;
  if (!m_cache.Create(window.OptionFolder() + std::string(kCacheFileName), &error))
    throw std::runtime_error("Cache.dat: " + error);

  m_status->setObjectName("ViewStatusBar");
  m_status->SetSimplePanel(true);
  m_status->setSizeGripEnabled(false);
  auto* column = new QVBoxLayout(Sheet());
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(m_list);
  column->addWidget(m_status);

  m_popup->setObjectName("ViewPopup");
  FillPagePopup(*m_popup, window, kPopItems);

  // Every connection has the list as its context, so none outlives the page.
  for (const auto& [name, member] : kCommands)
    QObject::connect(window.Action(QString::fromLatin1(name)), &QAction::triggered, m_list,
                     [this, member = member] { (this->*member)(); });
  QObject::connect(m_list, &QWidget::customContextMenuRequested, m_list,
                   [this](const QPoint& at) { m_popup->popup(m_list->viewport()->mapToGlobal(at)); });
  QObject::connect(m_list, &QListWidget::itemDoubleClicked, m_list, [this] { Preview(); });
  QObject::connect(m_list, &TViewList::EnterPressed, m_list, [this] { RunEnterAction(); });
  QObject::connect(m_list, &QListWidget::itemSelectionChanged, m_list, [this] { OnSelectionChanged(); });

  m_chooseFiles = [this](const QString& filter) {
    return QFileDialog::getOpenFileNames(m_list, QStringLiteral("画像追加"), QString(), filter);
  };
  m_ask = [this](const QString& text) {
    return QMessageBox::question(m_list, QStringLiteral("Quillet"), text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
  };
  m_runEditor = [](TFmViewEditor& editor) { return editor.exec(); };
  m_showProperties = [this](const TViewItem& item) { ShowPicturePropertiesDialog(item, m_list); };
}

TViewerObject::~TViewerObject() {
  StopLoad();
  m_cache.Release();
}

void TViewerObject::ReadSettings(const THIniFile& ini) {
  LoadViewerSettings(ini);
  // The first load waits for the event loop: at start the day notification
  // follows at once and would only stop it again.
  m_loadQueued = true;
  QTimer::singleShot(0, m_list, [this] {
    if (m_loadQueued) SwitchDay(m_window.CurrentDate());
  });
}

void TViewerObject::LoadViewerSettings(const THIniFile& ini) {
  const int oldSize = m_settings.Size;
  m_settings = ReadViewerSettings(ini);
  const int side = m_settings.Size + 2 * kFrame;
  m_list->setIconSize(QSize(side, side));
  m_list->setResizeMode(m_settings.AutoArrange ? QListView::Adjust : QListView::Fixed);
  // A new size or frame needs new thumbnails: the day is loaded again.
  if (oldSize != m_settings.Size && !m_items.empty()) {
    FinishLoad();
    if (!m_modified) SwitchDay(m_date);
  } else {
    for (int row = 0; row < m_list->count(); ++row)
      m_list->item(row)->setIcon(IconOf(m_items[static_cast<std::size_t>(row)]));
  }
}

void TViewerObject::OnDayLoaded(TDate date, bool) { SwitchDay(date); }

void TViewerObject::BeforeSave(TDate) { StoreList(); }

bool TViewerObject::Release() {
  if (m_modified) FinishLoad();
  StopLoad();
  if (!StoreList()) return false;
  m_cache.Release();
  return true;
}

bool TViewerObject::Loading() const { return m_thread && m_thread->isRunning(); }

void TViewerObject::StopLoad() {
  if (m_thread) m_thread->Stop();
  m_thread.reset();
  // Hand-overs still queued for the load die with their receiver.
  m_receiver.reset();
}

void TViewerObject::FinishLoad() {
  if (!m_thread) return;
  m_thread->wait();
  HandOverAcquire(m_thread.get());
  if (m_receiver) m_receiver->RunQueued();
}

void TViewerObject::SwitchDay(TDate date) {
  m_loadQueued = false;
  StopLoad();
  m_date = date;
  m_modified = false;
  m_items.clear();
  m_kept.clear();
  m_list->clear();
  m_status->SetSimpleText(QString());
  std::string error;
  if (!m_cache.Clear(&error)) m_status->SetSimpleText(Utf8("Cache.dat: " + error));
  StartLoad();
}

void TViewerObject::StartLoad() {
  m_receiver = std::make_unique<TPostBox>();
  auto item = [this](const TViewItem& record, int index, int count) {
    AddItem(record);
    m_status->SetSimpleText(QStringLiteral("%1/%2個のオブジェクト読込完了").arg(index + 1).arg(count));
  };
  auto done = [this](const TViewLoadEnd& end) {
    m_kept = end.Kept;
    if (end.State == TImageDatRead::Unreadable) {
      m_status->SetSimpleText(Utf8("Image.dat: " + end.Error));
      return;
    }
    ShowCount();
    m_list->viewport()->update();
  };
  m_thread = std::make_unique<TViewThread>(m_window.StoreSettings(), m_date, m_window.ImageMaskList(),
                                           m_window.Plugins(), m_cache, m_settings.Size, m_receiver.get(),
                                           std::move(item), std::move(done));
  m_thread->Start(m_settings.ThreadPriority);
}

bool TViewerObject::StoreList() {
  if (!m_modified) return true;
  // Lines not read yet would be lost: the load ends first.
  FinishLoad();
  std::vector<TImageDatLine> lines;
  for (const TViewItem& item : m_items) lines.push_back({item.Name, item.Comment});
  lines.insert(lines.end(), m_kept.begin(), m_kept.end());
  TDayPictures day(m_window.StoreSettings(), m_date);
  const TStoreListResult result = day.StoreList(lines);
  switch (result.Action) {
    case TStoreListAction::Failed:
      m_status->SetSimpleText(Utf8("Image.dat: " + result.Error));
      return false;
    case TStoreListAction::RemoveFolder: {
      const QString folder = QString::fromStdString(day.Folder());
      bool removed = false;
      if (m_settings.AllowUndo) {
        removed = MoveToTrash(folder);
      } else {
        std::vector<std::string> kept;
        std::string error;
        removed = RemoveDayFolder(day.Folder(), kept, &error);
      }
      if (!removed) {
        m_status->SetSimpleText(QStringLiteral("保存先フォルダを削除できませんでした"));
        return false;
      }
      m_status->SetSimpleText(Utf8(kMsgFolderDeleted));
      break;
    }
    case TStoreListAction::Written:
    case TStoreListAction::Nothing: break;
  }
  m_modified = false;
  return true;
}

QIcon TViewerObject::IconOf(const TViewItem& item) {
  const int side = m_settings.Size + 2 * kFrame;
  QPixmap canvas(side, side);
  canvas.fill(Qt::transparent);
  std::string bytes;
  QImage thumbnail;
  if (item.CacheOffset >= 0 && m_cache.Read(item.CacheOffset, bytes)) {
    const TDib dib = DecodeBmpFile(bytes);
    if (!dib.Empty())
      thumbnail = QImage(dib.Bits.data(), dib.Width, dib.Height, dib.Width * 3, QImage::Format_BGR888).copy();
  }
  if (thumbnail.isNull()) return QIcon(canvas);
  QPainter painter(&canvas);
  const QRect place((side - thumbnail.width()) / 2, (side - thumbnail.height()) / 2, thumbnail.width(),
                    thumbnail.height());
  painter.drawImage(place.topLeft(), thumbnail);
  if (m_settings.DrawFrame) {
    painter.setPen(m_list->palette().color(QPalette::Mid));
    painter.drawRect(place.adjusted(-kFrame, -kFrame, kFrame - 1, kFrame - 1));
  }
  return QIcon(canvas);
}

QString TViewerObject::Caption(const TViewItem& item) const { return FromCp932(item.Name); }

void TViewerObject::AddItem(const TViewItem& item) {
  auto* row = new QListWidgetItem(IconOf(item), Caption(item));
  row->setToolTip(FromCp932(item.Comment));
  m_items.push_back(item);
  m_list->addItem(row);
}

void TViewerObject::ReplaceItem(int row, const TViewItem& item) {
  m_items[static_cast<std::size_t>(row)] = item;
  QListWidgetItem* widgetItem = m_list->item(row);
  widgetItem->setIcon(IconOf(item));
  widgetItem->setText(Caption(item));
  widgetItem->setToolTip(FromCp932(item.Comment));
}

void TViewerObject::ShowCount() {
  m_status->SetSimpleText(m_items.empty() ? QString()
                                          : QString::number(m_items.size()) + QString::fromUtf8(kMsgObjects));
}

void TViewerObject::SetModified() {
  m_modified = true;
  m_window.ShowModifiedMark();
}

std::vector<int> TViewerObject::SelectedRows() const {
  std::vector<int> rows;
  for (int row = 0; row < m_list->count(); ++row)
    if (m_list->item(row)->isSelected()) rows.push_back(row);
  return rows;
}

int TViewerObject::FirstSelectedRow() const {
  const std::vector<int> rows = SelectedRows();
  return rows.empty() ? -1 : rows.front();
}

void TViewerObject::OnSelectionChanged() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  if (rows.size() > 1) {
    m_status->SetSimpleText(QString::number(rows.size()) + QStringLiteral("個のオブジェクトを選択"));
    return;
  }
  const TViewItem& item = m_items[static_cast<std::size_t>(rows.front())];
  m_status->SetSimpleText(QStringLiteral(" %1  %2 × %3 (%4%)")
                              .arg(Caption(item))
                              .arg(item.Width)
                              .arg(item.Height)
                              .arg(SelectionPercent(m_settings.Size, item.Height)));
  if (m_settings.ShowComment && !item.Comment.empty()) m_window.ShowStatusMessage(FromCp932(item.Comment));
}

void TViewerObject::Append() {
  QStringList patterns;
  for (const std::string& mask : m_window.ImageMaskList()) patterns << QString::fromStdString(mask);
  const QStringList paths =
      m_chooseFiles(QStringLiteral("画像ファイル (%1);;すべてのファイル (*)").arg(patterns.join(' ')));
  if (!paths.isEmpty()) AddPictures(paths);
}

void TViewerObject::AddPictures(const QStringList& paths) {
  // Lines not read yet must stay behind the pictures added now.
  FinishLoad();
  TDayPictures day(m_window.StoreSettings(), m_date);
  std::string error;
  if (!day.EnsureFolder(&error)) {
    m_window.ShowStatusMessage(Utf8(kMsgFolderFailed));
    return;
  }
  const std::vector<std::string> masks = m_window.ImageMaskList();
  int copies = 0;
  QString failure;
  for (const QString& path : paths) {
    const std::string source = path.toStdString();
    if (!IsPictureFile(QFileInfo(path).fileName().toStdString(), masks)) continue;
    // Decoded before it is copied: a file that cannot be shown is not put
    // into the day's folder.
    TViewItem item;
    if (!MakeViewThumbnail(source, m_window.Plugins(), m_cache, m_settings.Size, item, error)) {
      failure = QFileInfo(path).fileName() + ": " + Utf8(error);
      continue;
    }
    const TCopyResult copy = day.AddPicture(source);
    if (!copy.Ok) {
      failure = QFileInfo(path).fileName() + ": " + Utf8(copy.Error);
      continue;
    }
    item.Name = copy.ListName;
    item.Path = copy.Path;
    ++copies;
    // A picture of a name the list holds replaces that one's file: its item
    // takes the new thumbnail and keeps its comment.
    int existing = -1;
    for (std::size_t i = 0; i < m_items.size(); ++i)
      if (m_items[i].Name == item.Name) existing = static_cast<int>(i);
    if (existing >= 0) {
      item.Comment = m_items[static_cast<std::size_t>(existing)].Comment;
      ReplaceItem(existing, item);
    } else {
      std::erase_if(m_kept, [&item](const TImageDatLine& line) { return line.Name == item.Name; });
      AddItem(item);
    }
  }
  m_window.ShowStatusMessage(QStringLiteral(" %1/%2個のファイルをコピーしました").arg(copies).arg(paths.size()) +
                             (failure.isEmpty() ? QString() : QStringLiteral("  ") + failure));
  ShowCount();
  if (copies > 0) SetModified();
}

void TViewerObject::DeleteItems() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  const QString text = rows.size() == 1 ? Caption(m_items[static_cast<std::size_t>(rows.front())])
                                        : QString::number(rows.size()) + QString::fromUtf8(kMsgObjects);
  if (m_settings.DeleteAsk && !m_ask(text + QStringLiteral("を削除しますか？"))) return;
  FinishLoad();
  QStringList failed;
  for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
    const TViewItem item = m_items[static_cast<std::size_t>(*row)];
    if (Exists(item.Path)) {
      const QString path = QString::fromStdString(item.Path);
      const bool removed = m_settings.AllowUndo ? MoveToTrash(path) : QFile::remove(path);
      // A picture that could not be removed stays in the list and in the
      // folder, so that the list never loses sight of a file.
      if (!removed) {
        failed << Caption(item);
        continue;
      }
    }
    m_items.erase(m_items.begin() + *row);
    delete m_list->takeItem(*row);
  }
  const int removed = static_cast<int>(rows.size()) - static_cast<int>(failed.size());
  m_status->SetSimpleText(QStringLiteral(" %1個のオブジェクトを削除しました").arg(removed));
  if (!failed.isEmpty()) m_window.ShowStatusMessage(QStringLiteral("削除に失敗しました: ") + failed.join(", "));
  if (removed > 0) SetModified();
}

void TViewerObject::EditItem() {
  const int row = FirstSelectedRow();
  if (row < 0) {
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgNoTargetPicture));
    return;
  }
  const TViewItem item = m_items[static_cast<std::size_t>(row)];
  const QIcon icon = m_list->item(row)->icon();
  TFmViewEditor editor(Caption(item), FromCp932(item.Comment), item.Width, item.Height,
                       icon.pixmap(m_list->iconSize()), m_list);
  if (m_runEditor(editor) != QDialog::Accepted) return;
  // The page may have changed day while the box was open.
  if (row >= static_cast<int>(m_items.size()) || m_items[static_cast<std::size_t>(row)].Path != item.Path) {
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgNoTargetPicture));
    return;
  }
  std::string comment;
  QString refused;
  if (!InputToBytes(editor.Comment(), comment, &refused)) {
    m_window.ShowStatusMessage(RefusedInputMessage(refused));
    return;
  }
  if (const std::string flaw = ImageDatCommentFlaw(comment); !flaw.empty()) {
    m_window.ShowStatusMessage(QStringLiteral("コメントに使えない文字があります: ") + Utf8(flaw));
    return;
  }
  TDayPictures day(m_window.StoreSettings(), m_date);
  const TRenameResult rename = day.Rename(PictureDiskName(item.Name), editor.Name().toStdString());
  switch (rename.Status) {
    case TRenameStatus::SourceMissing: m_window.ShowStatusMessage(Utf8(kMsgSourceNotFound)); return;
    case TRenameStatus::BadName: m_window.ShowStatusMessage(Utf8(rename.Error)); return;
    case TRenameStatus::Failed: m_window.ShowStatusMessage(Utf8(kMsgRenameFailed)); return;
    case TRenameStatus::TargetExists:
      // An existing file of that name is never replaced: the picture keeps
      // its name and takes the comment.
      m_window.ShowStatusMessage(Utf8(rename.Error));
      break;
    case TRenameStatus::Renamed:
    case TRenameStatus::Unchanged: break;
  }
  TViewItem changed = item;
  if (rename.Status == TRenameStatus::Renamed) {
    PictureListName(rename.Name, changed.Name);
    changed.Path = day.Folder() + rename.Name;
  }
  changed.Comment = comment;
  if (rename.Corrected) m_window.ShowStatusMessage(Utf8(kMsgExtensionCorrected));
  ReplaceItem(row, changed);
  SetModified();
}

void TViewerObject::Preview() {
  const int row = FirstSelectedRow();
  if (row < 0 || !Exists(m_items[static_cast<std::size_t>(row)].Path)) {
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgNoTarget));
    return;
  }
  m_window.OpenWithTool(keys::ToolViewer, QString::fromStdString(m_items[static_cast<std::size_t>(row)].Path));
}

void TViewerObject::OpenDirectory() {
  const std::string folder = DayPictureFolder(m_window.StoreSettings(), m_date);
  if (!Exists(folder)) {
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgNoTarget));
    return;
  }
  m_window.OpenWithTool(keys::ToolFiler, QString::fromStdString(folder));
}

void TViewerObject::SelectAll() { m_list->selectAll(); }

void TViewerObject::ShowProperties() {
  const int row = FirstSelectedRow();
  if (row < 0 || !Exists(m_items[static_cast<std::size_t>(row)].Path)) {
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgNoTarget));
    return;
  }
  m_showProperties(m_items[static_cast<std::size_t>(row)]);
}

void TViewerObject::RunEnterAction() {
  switch (m_settings.EnterAction) {
    case TViewerEnterAction::Preview: Preview(); break;
    case TViewerEnterAction::OpenFolder: OpenDirectory(); break;
    case TViewerEnterAction::Add: Append(); break;
    case TViewerEnterAction::Edit: EditItem(); break;
    case TViewerEnterAction::Delete: DeleteItems(); break;
    case TViewerEnterAction::SelectAll: SelectAll(); break;
    case TViewerEnterAction::Properties: ShowProperties(); break;
  }
}

}  // namespace quillet
