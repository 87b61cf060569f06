// The defaults of a side-panel page: a page overrides only the notifications
// it needs.
#include "gui/app/PanelPage.h"

#include <QWidget>

namespace quillet {

TPanelPage::TPanelPage(TPageKind kind, const QString& sheetName, const QString& caption)
    : m_kind(kind), m_sheet(std::make_unique<QWidget>()) {
  m_sheet->setObjectName(sheetName);
  m_sheet->setWindowTitle(caption);
}

// The sheet goes with the page; deleting it also takes it out of the page
// control. The panel deletes pages before the window deletes its children,
// so the sheet is never deleted twice.
TPanelPage::~TPanelPage() = default;

void TPanelPage::ReadSettings(const THIniFile&) {}
void TPanelPage::WriteSettings(THIniFile&) const {}
void TPanelPage::OnDayLoaded(TDate, bool) {}
void TPanelPage::BeforeSave(TDate) {}
bool TPanelPage::Modified() const { return false; }
void TPanelPage::OnSaved(TDate, const TSaveResult&) {}
bool TPanelPage::Release() { return true; }

}  // namespace quillet
