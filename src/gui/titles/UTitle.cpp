// The title list page: its widgets, the refresh and hand-over, the saves it
// follows and the actions on a row (see UTitle.h).
#include "gui/titles/UTitle.h"

#include <sys/stat.h>

#include <algorithm>

#include <QAction>
#include <QBoxLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/store/EntryStore.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/PagePopup.h"
#include "gui/app/UMain.h"
#include "gui/editor/EditorClipboard.h"
#include "gui/editor/EditorColors.h"
#include "gui/titles/TitleModel.h"
#include "gui/titles/TitleThread.h"
#include "gui/titles/TitleView.h"

namespace quillet {

namespace {

// The pop-up menu's items in menu order.
constexpr TPopItem kPopItems[] = {
    {"TitlePopMove", "移動(&M)", "ActTitleMove"},
    {"TitlePopEditTitle", "タイトル編集(&E)", "ActTitleEditTitle"},
    {"TitlePopSep1", nullptr, nullptr},
    {"TitlePopOpenFile", "開く(&O)", "ActTitleOpenFile"},
    {"TitlePopOpenDirectory", "保存先を開く(&F)", "ActTitleOpenDirectory"},
    {"TitlePopSep2", nullptr, nullptr},
    {"TitlePopRefresh", "再描写(&R)", "ActTitleRefresh"},
    {"TitlePopSep3", nullptr, nullptr},
    {"TitlePopCancel", "キャンセル(&X)", nullptr},
};

// The commands and the action each runs on the selected row.
constexpr std::pair<const char*, TTitleAction> kCommands[] = {
    {"ActTitleMove", TTitleAction::Move},
    {"ActTitleEditTitle", TTitleAction::EditTitle},
    {"ActTitleOpenFile", TTitleAction::OpenFile},
    {"ActTitleOpenDirectory", TTitleAction::OpenDirectory},
    {"ActTitleRefresh", TTitleAction::Refresh},
};

// The mark drawn when there is no "Title.bmp": a small amber triangle
// pointing at the caption, `side` pixels square. Amber with a dark edge
// reads on the list's background and on the selection colour alike (the
// open day's row is usually the selected one).
QPixmap BuiltInMark(int side) {
  QPixmap mark(side, side);
  mark.fill(Qt::transparent);
  QPainter painter(&mark);
  painter.setRenderHint(QPainter::Antialiasing);
  const double inset = side / 8.0;
  QPainterPath triangle;
  triangle.moveTo(inset, inset);
  triangle.lineTo(side - inset, side / 2.0);
  triangle.lineTo(inset, side - inset);
  triangle.closeSubpath();
  painter.setPen(QPen(QColor(0x80, 0x40, 0x00), 1.0));
  painter.setBrush(QColor(0xF0, 0x90, 0x10));
  painter.drawPath(triangle);
  return mark;
}

// The state image of "Title.bmp": its leftmost square (as high as the
// bitmap), with the colour of its bottom-left pixel transparent, as an image
// list takes a masked bitmap. Null when the file does not load.
QPixmap StateImageOf(const QString& path) {
  QImage bitmap(path);
  if (bitmap.isNull() || bitmap.height() <= 0) return {};
  const int side = std::min(bitmap.width(), bitmap.height());
  QImage square = bitmap.copy(0, 0, side, side).convertToFormat(QImage::Format_ARGB32);
  const QRgb key = square.pixel(0, side - 1);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      if (square.pixel(x, y) == key) square.setPixel(x, y, qRgba(0, 0, 0, 0));
  return QPixmap::fromImage(square);
}

}  // namespace

TTitleObject::TTitleObject(TFmMain& window)
    : TPanelPage(kKind, QStringLiteral("TitleSheet"), QStringLiteral("タイトル")),
      m_window(window),
      m_model(new TTitleModel(Sheet())),
      m_view(new TTitleView(m_model, Sheet())),
      m_statusBar(new THStatusBar(Sheet())),
      m_popup(new QMenu(Sheet())) {
  m_statusBar->setObjectName("TitleStatusBar");
  m_statusBar->SetSimplePanel(true);
  m_statusBar->setSizeGripEnabled(false);
  auto* column = new QVBoxLayout(Sheet());
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(m_view);
  column->addWidget(m_statusBar);

  m_popup->setObjectName("TitlePopup");
  FillPagePopup(*m_popup, window, kPopItems);

  // Every connection has the view as its context, so none outlives the page.
  for (const auto& [name, action] : kCommands) {
    const TTitleAction act = action;
    QObject::connect(window.Action(QString::fromLatin1(name)), &QAction::triggered, m_view,
                     [this, act] { RunAction(act); });
  }
  QObject::connect(m_view, &TTitleView::Clicked, m_view, [this] { RunAction(m_settings.SingleAction); });
  QObject::connect(m_view, &TTitleView::Activated, m_view, [this] { RunAction(m_settings.DblAction); });
  QObject::connect(m_view, &TTitleView::RowSelected, m_view,
                   [this](int row, bool byUser) { OnRowSelected(row, byUser); });
  QObject::connect(m_view, &TTitleView::ContextKeyPressed, m_view, [this] { OnContextKey(); });
  QObject::connect(m_view, &TTitleView::PopupRequested, m_view, [this](const QPoint& at) { m_popup->popup(at); });
  QObject::connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, m_view,
                   [this](int section) { OnHeaderClicked(section); });

  LoadStateImage();
  ApplySettings();
  // The list itself waits for the settings or the open day (ReadSettings,
  // OnDayLoaded), so that a start with "MultiThread" collects on the worker
  // and never on the spot first.
}

TTitleObject::~TTitleObject() { StopCollector(); }

void TTitleObject::LoadStateImage() {
  // "LoadTitleResource" is a switch of the start: read it from the file
  // whether or not the page's own settings are read.
  const THIniFile ini(m_window.SettingsFile(), false);
  if (keys::LoadTitleResource.Read(ini))
    m_stateImage = StateImageOf(QString::fromStdString(m_window.OptionFolder() + "Title.bmp"));
  if (m_stateImage.isNull()) {
    const int side = std::clamp(m_view->fontMetrics().height(), 10, 16);
    m_stateImage = BuiltInMark(side);
  }
}

void TTitleObject::ReadSettings(const THIniFile& ini) {
  m_settings = ReadTitleSettings(ini);
  ApplySettings();
  Refresh();
}

void TTitleObject::ApplySettings() {
  const TTitleSettings& s = m_settings;
  m_view->ApplyLook(s);
  m_view->setColumnWidth(0, s.DateColumn);
  m_view->setColumnWidth(1, s.TitleColumn);
  m_view->setIconSize(m_stateImage.size());
  m_view->FitRowHeight(m_stateImage.height());
  m_model->SetMark(DayOf(m_window.CurrentDate()), s.Mark, m_stateImage);
}

std::pair<int, int> TTitleObject::ColumnWidths() const { return {m_view->columnWidth(0), m_view->columnWidth(1)}; }

void TTitleObject::WriteSettings(THIniFile& ini) const {
  const auto [date, title] = ColumnWidths();
  WriteTitleColumns(ini, date, title);
  m_writtenColumns = {date, title};
}

bool TTitleObject::Release() {
  StopCollector();
  // The widths go to the file now unless the close wrote them just before.
  if (ColumnWidths() != m_writtenColumns && EnsureFolder(m_window.OptionFolder())) {
    THIniFile ini(m_window.SettingsFile(), true);
    WriteSettings(ini);
    ini.UpdateFile();
  }
  return true;
}

void TTitleObject::OnDayLoaded(TDate date, bool otherMonth) {
  if (otherMonth || !m_listed || IsOtherMonth(date, *m_listed)) {
    Refresh();
    return;
  }
  m_model->SetMark(DayOf(date), m_settings.Mark, m_stateImage);
  SelectDay();
}

void TTitleObject::Refresh() {
  const TDate date = m_window.CurrentDate();
  m_listed = MakeDate(YearOf(date), MonthOf(date), 1);
  StopCollector();
  m_pendingSave.reset();
  const unsigned long long ticket = ++m_ticket;
  m_model->Clear(YearOf(date), MonthOf(date));
  m_model->SetMark(DayOf(date), m_settings.Mark, m_stateImage);
  m_statusBar->SetSimpleText(QString());
  if (m_settings.MultiThread) {
    m_statusBar->SetSimpleText(QString::fromUtf8(kMsgTitleDrawing));
    m_thread = std::make_unique<TTitleThread>(
        m_window.StoreSettings(), date, m_settings.OnlyExists, m_view,
        [this, ticket](std::shared_ptr<TTitleCollection> collection) { Collected(ticket, collection); });
    m_thread->Start(m_settings.ThreadPriority);
    return;
  }
  std::shared_ptr<TTitleCollection> collection;
  try {
    collection = std::make_shared<TTitleCollection>(
        CollectTitles(m_window.StoreSettings(), YearOf(date), MonthOf(date), m_settings.OnlyExists));
  } catch (const std::bad_alloc&) {
    // Handed over as missing, like a worker's failure: the user is told.
  }
  Collected(ticket, collection);
}

void TTitleObject::StopCollector() {
  // Deleting the thread terminates the collection and waits for it; a
  // hand-over it queued carries an old ticket and is dropped.
  m_thread.reset();
}

void TTitleObject::Collected(unsigned long long ticket, const std::shared_ptr<TTitleCollection>& collection) {
  if (ticket != m_ticket) return;
  m_thread.reset();  // done; waits only for the thread's last instructions
  if (!collection) {
    m_statusBar->SetSimpleText(QString());
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgReadFailed.data(), kMsgReadFailed.size()));
    return;
  }
  if (!m_listed || MakeDate(collection->Year, collection->Month, 1) != *m_listed) return;
  m_model->SetRecords(std::move(collection->Records));
  if (m_pendingSave) {
    auto [record, dayEmpty] = std::move(*m_pendingSave);
    m_pendingSave.reset();
    m_model->Synchronize(std::move(record), dayEmpty);
  }
  SelectDay();
  ShowCount();
  // Without the month's flags no title or first line could be shown.
  if (collection->MetaUnreadable)
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgReadFailed.data(), kMsgReadFailed.size()));
}

void TTitleObject::ShowCount() {
  m_statusBar->SetSimpleText(QString::number(m_model->rowCount()) + QString::fromUtf8(kMsgTitleCount));
}

void TTitleObject::SelectDay() {
  const int row = FindTitleRow(m_model->Records(), DayOf(m_window.CurrentDate()));
  if (row >= 0) m_view->SelectRowQuietly(row);
}

void TTitleObject::OnSaved(TDate date, const TSaveResult& result) {
  if (!m_settings.Synchronize || !m_listed || IsOtherMonth(date, *m_listed)) return;
  std::string title;
  // The save has just stored this title, so it converts.
  if (!FromUtf16(m_window.TitleEdit()->text().toStdU16String(), title)) title.clear();
  TMainEditorPort& editor = m_window.Editor();
  const bool dayEmpty = editor.IsEmpty() && title.empty();
  // The list shows no first line of an encrypted day, as after a refresh.
  std::string firstLine = result.Encrypted ? std::string() : FirstLineOf(editor.Text());
  TTitleRecord record = MakeTitleRecord(m_window.StoreSettings(), date, std::move(title), std::move(firstLine));
  if (Collecting()) {
    m_pendingSave = std::make_pair(std::move(record), dayEmpty);
    return;
  }
  ApplySave(std::move(record), dayEmpty);
}

void TTitleObject::ApplySave(TTitleRecord record, bool dayEmpty) {
  const int row = FindTitleRow(m_model->Records(), record.Day);
  if (dayEmpty && row >= 0 && (row == m_view->SelectedRow() || row == m_view->currentIndex().row())) {
    m_view->SelectRowQuietly(-1);
    m_statusBar->SetSimpleText(QString());
  }
  const TTitleSyncChange change = m_model->Synchronize(std::move(record), dayEmpty);
  if (change.Kind == TTitleSync::Updated && change.Row == m_view->SelectedRow() && m_settings.SelDrawSentence)
    m_statusBar->SetSimpleText(FromCp932(m_model->Record(change.Row).FirstLine));
}

void TTitleObject::OnRowSelected(int row, bool byUser) {
  if (m_settings.SelDrawSentence) m_statusBar->SetSimpleText(FromCp932(m_model->Record(row).FirstLine));
  // The page's own selection of the open day runs no action: a "move" there
  // would reload the open entry at every refresh.
  if (byUser) RunAction(m_settings.SelectAction);
}

void TTitleObject::OnContextKey() {
  if (m_settings.ContextMenuAction != TTitleAction::None) {
    RunAction(m_settings.ContextMenuAction);
    return;
  }
  const int row = m_view->SelectedRow();
  const QRect cell = row >= 0 ? m_view->visualRect(m_model->index(row, 0)) : QRect();
  m_popup->popup(m_view->viewport()->mapToGlobal(cell.isValid() ? cell.bottomLeft() : QPoint(0, 0)));
}

void TTitleObject::OnHeaderClicked(int section) {
  SortBy(section == 0 ? TTitleColumn::Date : TTitleColumn::Title);
}

void TTitleObject::RunAction(TTitleAction action) {
  switch (action) {
    case TTitleAction::None: return;
    case TTitleAction::Refresh: Refresh(); return;
    case TTitleAction::SortDate: SortBy(TTitleColumn::Date); return;
    case TTitleAction::SortTitle: SortBy(TTitleColumn::Title); return;
    default: break;
  }
  const int row = m_view->SelectedRow();
  if (row < 0) return;
  switch (action) {
    case TTitleAction::Move: Move(row); break;
    case TTitleAction::EditTitle: EditTitle(row); break;
    case TTitleAction::OpenFile: OpenFile(row); break;
    case TTitleAction::OpenDirectory: OpenDirectory(row); break;
    default: break;
  }
}

TDate TTitleObject::RowDate(int row) const {
  return MakeDate(YearOf(*m_listed), MonthOf(*m_listed), m_model->Record(row).Day);
}

void TTitleObject::Move(int row) {
  const TDate date = RowDate(row);
  if (!m_window.ChangeDay(date)) m_window.ShowStatusMessage(QString::fromUtf8(kMsgTitleMoveFailed));
}

void TTitleObject::EditTitle(int row) {
  const TDate date = RowDate(row);
  const std::optional<QString> typed =
      m_window.AskForText("タイトル編集", "新規タイトル", FromCp932(m_model->Record(row).Title));
  if (!typed) return;
  std::string title;
  QString refused;
  if (!InputToBytes(*typed, title, &refused)) {
    // Nothing is written for a title the code page cannot hold.
    m_window.ShowStatusMessage(RefusedInputMessage(refused));
    return;
  }
  const TTitleSaveResult saved = SaveDayTitle(m_window.StoreSettings(), date, title);
  if (saved.Status == TTitleSaveStatus::FolderMissing) {
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgTitleNoFolder));
    return;
  }
  if (saved.Status != TTitleSaveStatus::Saved) {
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgTitleEditFailed));
    return;
  }
  // The row may have moved while the box was open (a save synchronised).
  const int now = FindTitleRow(m_model->Records(), DayOf(date));
  m_model->SetTitle(now, saved.Title);
  if (date == m_window.CurrentDate()) m_window.SetEditedTitle(FromCp932(saved.Title));
}

void TTitleObject::OpenFile(int row) {
  const std::string path = m_model->Record(row).Path;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return;
  // Saves leave entries read-only; the outside editor must be able to write.
  if ((info.st_mode & S_IWUSR) == 0) ::chmod(path.c_str(), info.st_mode | S_IWUSR);
  // Only the open day's text is reloaded when the program is active again.
  if (RowDate(row) == m_window.CurrentDate()) m_window.SetExternalEditPending();
  m_window.OpenWithTool(keys::ToolEditor, QString::fromStdString(path));
}

void TTitleObject::OpenDirectory(int row) {
  const std::string folder = EntryFolder(m_window.StoreSettings(), RowDate(row));
  if (!FolderExists(folder)) {
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgTitleNoFolder));
    return;
  }
  m_window.OpenWithTool(keys::ToolFiler, QString::fromStdString(folder));
}

void TTitleObject::SortBy(TTitleColumn column) {
  if (!m_settings.Sort) return;
  m_model->Sort(m_sorter, column);
}

}  // namespace quillet
