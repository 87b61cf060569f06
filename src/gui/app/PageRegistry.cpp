// The pages of the program, registered in one place.
#include "gui/app/PageRegistry.h"

#include "gui/app/PanelPage.h"
#include "gui/calendar/UCalendar.h"
#include "gui/tasks/UTask.h"
#include "gui/titles/UTitle.h"
#include "gui/viewer/UViewer.h"

namespace quillet {

void TPageRegistry::Add(TPageKind kind, TPageFactory factory) {
  m_factories[static_cast<std::size_t>(PageIndex(kind))] = std::move(factory);
}

const TPageFactory* TPageRegistry::Factory(TPageKind kind) const {
  const TPageFactory& factory = m_factories[static_cast<std::size_t>(PageIndex(kind))];
  return factory ? &factory : nullptr;
}

void RegisterPages(TPageRegistry& registry) {
  registry.Add<TCalendarObject>();
  registry.Add<TTaskObject>();
  registry.Add<TViewerObject>();
  registry.Add<TTitleObject>();
}

}  // namespace quillet
