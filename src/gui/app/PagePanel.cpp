// The side panel's pages: their lifetime, commands and notifications.
#include "gui/app/PagePanel.h"

#include <QAction>
#include <QMenu>
#include <QStringList>
#include <QTabWidget>
#include <QWidget>
#include <exception>

#include "core/app/HIniFile.h"
#include "core/store/EntryStore.h"
#include "gui/app/Commands.h"
#include "gui/app/PanelPage.h"
#include "gui/app/UMain.h"

namespace quillet {

namespace {

const char* const kCreateFailed = "生成に失敗しました";
const char* const kReleaseFailed = "破棄に失敗しました";

QString Name(TPageKind kind) {
  const std::string_view name = PageKindInfo(kind).name;
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}
QString ShowCommand(TPageKind kind) { return "Act" + Name(kind) + "Show"; }
QString ActivateCommand(TPageKind kind) { return "Act" + Name(kind) + "Activate"; }
QString HideCommand(TPageKind kind) { return "Act" + Name(kind) + "Hide"; }
QString PopCommand(TPageKind kind) { return "ActPop" + Name(kind); }

// A page's own commands (and submenus), which act on the page and so are enabled exactly
// while it exists. A page that brings more commands lists them here.
QStringList OwnCommands(TPageKind kind) {
  switch (kind) {
    case TPageKind::Calendar: return {"ActCalendarBoldDays", "MenuCalendarRatio"};
    case TPageKind::Task:
      return {"ActTaskNewItem", "ActTaskEdit", "ActTaskDelete", "MenuTaskPriority", "ActTaskPriorityLow",
              "ActTaskPriorityNormal", "ActTaskPriorityHigh", "MenuTaskSort", "ActTaskDateSort", "ActTaskTitleSort",
              "ActTaskPrioritySort"};
    case TPageKind::Viewer:
      return {"ActViewerEdit",      "ActViewerPreview",   "ActViewerOpenDirectory", "ActViewerAppend",
              "ActViewerDelete",    "ActViewerSelectAll", "ActViewerProperty"};
    case TPageKind::Title:
      return {"ActTitleMove", "ActTitleEditTitle", "ActTitleOpenFile", "ActTitleOpenDirectory", "ActTitleRefresh"};
  }
  return {};
}

}  // namespace

TPagePanel::TPagePanel(TFmMain& window, TPageRegistry registry, std::function<void()> pagesChanged)
    : m_window(window), m_registry(std::move(registry)), m_pagesChanged(std::move(pagesChanged)) {
  for (const TPageKindInfo& info : kPageKinds) {
    const TPageKind kind = info.kind;
    QObject::connect(m_window.Action(ShowCommand(kind)), &QAction::triggered, &m_window, [this, kind] { Show(kind); });
    QObject::connect(m_window.Action(ActivateCommand(kind)), &QAction::triggered, &m_window,
                     [this, kind] { Activate(kind); });
    QObject::connect(m_window.Action(HideCommand(kind)), &QAction::triggered, &m_window, [this, kind] { Hide(kind); });
    // The toggle has flipped its own mark already; the page decides it.
    QObject::connect(m_window.Action(PopCommand(kind)), &QAction::triggered, &m_window, [this, kind] {
      if (Find(kind))
        Hide(kind);
      else
        Show(kind);
      UpdateCommands(kind);
    });
    UpdateCommands(kind);
  }
  QTabWidget* control = m_window.ObjectPCtrl();
  control->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(control, &QWidget::customContextMenuRequested, &m_window,
                   [this](const QPoint& at) { ShowPopupMenu(at); });
}

TPagePanel::~TPagePanel() = default;

TPanelPage* TPagePanel::Find(TPageKind kind) const { return m_pages[static_cast<std::size_t>(PageIndex(kind))].get(); }

bool TPagePanel::Empty() const {
  for (const auto& page : m_pages)
    if (page) return false;
  return true;
}

void TPagePanel::UpdateCommands(TPageKind kind) {
  const bool exists = Find(kind) != nullptr;
  m_window.Action(ShowCommand(kind))->setEnabled(IsBuilt(kind) && !exists);
  for (const QString& name : QStringList{ActivateCommand(kind), HideCommand(kind)} + OwnCommands(kind))
    if (QAction* action = name.startsWith("Menu") ? m_window.Commands().MenuItem(name) : m_window.Action(name))
      action->setEnabled(exists);
  QAction* pop = m_window.Action(PopCommand(kind));
  pop->setEnabled(IsBuilt(kind));
  pop->setChecked(exists);
}

bool TPagePanel::Create(TPageKind kind, const THIniFile* settings) {
  const TPageFactory* factory = m_registry.Factory(kind);
  if (!factory) return false;
  std::unique_ptr<TPanelPage> page;
  try {
    page = (*factory)(m_window);
    if (page && settings) page->ReadSettings(*settings);
  } catch (const std::exception&) {
    page.reset();
  } catch (...) {
    page.reset();
  }
  if (!page || !page->Sheet()) {
    m_window.ShowStatusMessage(kCreateFailed);
    return false;
  }
  // Tabs stand in kind order whatever order the pages were shown in.
  int position = 0;
  for (int i = 0; i < PageIndex(kind); ++i)
    if (m_pages[static_cast<std::size_t>(i)]) ++position;
  QTabWidget* control = m_window.ObjectPCtrl();
  control->insertTab(position, page->Sheet(), page->Sheet()->windowTitle());
  control->setCurrentWidget(page->Sheet());  // a new page comes to the front
  m_pages[static_cast<std::size_t>(PageIndex(kind))] = std::move(page);
  UpdateCommands(kind);
  if (m_pagesChanged) m_pagesChanged();
  return true;
}

void TPagePanel::Remove(TPageKind kind) {
  auto& slot = m_pages[static_cast<std::size_t>(PageIndex(kind))];
  if (!slot) return;
  QTabWidget* control = m_window.ObjectPCtrl();
  control->removeTab(control->indexOf(slot->Sheet()));
  slot.reset();
  UpdateCommands(kind);
  if (m_pagesChanged) m_pagesChanged();
}

void TPagePanel::CreateAtStart(const THIniFile& ini) {
  for (const TPageKindInfo& info : kPageKinds) {
    if (!IsBuilt(info.kind) || !info.onCreate->Read(ini)) continue;
    Create(info.kind, info.load->Read(ini) ? &ini : nullptr);
  }
}

void TPagePanel::ActivateLastTab(int lastTab) {
  if (const std::optional<TPageKind> kind = PageKindOfLastTab(lastTab)) Activate(*kind);
}

bool TPagePanel::Show(TPageKind kind) {
  if (!Find(kind)) {
    // The page's settings as the file has them now; this never writes it.
    const THIniFile ini(m_window.SettingsFile(), false);
    if (!Create(kind, &ini)) return false;
  }
  Activate(kind);
  return true;
}

void TPagePanel::Activate(TPageKind kind) {
  if (TPanelPage* page = Find(kind)) m_window.ObjectPCtrl()->setCurrentWidget(page->Sheet());
}

bool TPagePanel::Hide(TPageKind kind) {
  TPanelPage* page = Find(kind);
  if (!page) return true;
  bool released = false;
  try {
    released = page->Release();
  } catch (...) {
    released = false;
  }
  if (!released) {
    // What the page holds is not in its files yet: it stays.
    m_window.ShowStatusMessage(kReleaseFailed);
    return false;
  }
  Remove(kind);
  return true;
}

void TPagePanel::OnDayLoaded(TDate date, bool otherMonth) {
  for (const auto& page : m_pages)
    if (page) page->OnDayLoaded(date, otherMonth);
}

void TPagePanel::BeforeSave(TDate date) {
  for (const auto& page : m_pages)
    if (page) page->BeforeSave(date);
}

bool TPagePanel::Modified() const {
  for (const auto& page : m_pages)
    if (page && page->Modified()) return true;
  return false;
}

void TPagePanel::OnSaved(TDate date, const TSaveResult& result) {
  for (const auto& page : m_pages)
    if (page) page->OnSaved(date, result);
}

void TPagePanel::WriteSettings(THIniFile& ini) const {
  if (!Empty()) {
    int lastTab = 0;
    const QWidget* current = m_window.ObjectPCtrl()->currentWidget();
    for (const TPageKindInfo& info : kPageKinds)
      if (const TPanelPage* page = Find(info.kind); page && page->Sheet() == current) lastTab = PageIndex(info.kind);
    keys::LastTab.Write(ini, lastTab);
  }
  for (const TPageKindInfo& info : kPageKinds) {
    if (!IsBuilt(info.kind)) continue;  // kept as the file has it
    const TPanelPage* page = Find(info.kind);
    info.onCreate->Write(ini, page != nullptr);
    if (!page) continue;
    try {
      page->WriteSettings(ini);
    } catch (...) {
      // The close goes on without the rest of that page's settings.
    }
  }
}

void TPagePanel::ReleaseAll(bool release) {
  for (const TPageKindInfo& info : kPageKinds) {
    TPanelPage* page = Find(info.kind);
    if (!page) continue;
    try {
      if (release) page->Release();
    } catch (...) {
      // Nothing can keep the page now; the others still get their turn.
    }
    Remove(info.kind);
  }
}

void TPagePanel::ShowPopupMenu(const QPoint& at) {
  QMenu menu(&m_window);
  for (const TPageKindInfo& info : kPageKinds) menu.addAction(m_window.Action(PopCommand(info.kind)));
  menu.exec(m_window.ObjectPCtrl()->mapToGlobal(at));
}

}  // namespace quillet
