// TPanelPage: what the main window asks of a page of its side panel (the
// calendar, tasks, image list and titles). A page object exists only while
// its page is shown; it owns its sheet, the widget that is its tab, and
// builds its contents into it. The main window (through TPagePanel) creates
// the object, tells it about days and saves, lets it read and write its
// settings section, and releases it:
//
//   created  -> ReadSettings -> { OnDayLoaded, BeforeSave, OnSaved, WriteSettings }* -> Release -> deleted
//
// A page's rules live in the core of its subsystem (src/core/<subsystem>);
// the object here only draws and forwards. Everything runs on the
// user-interface thread. The notifications must not throw: they run inside
// the entry's load and save, which a page must never break.
#pragma once

#include <QString>
#include <memory>

#include "core/app/PageKind.h"
#include "core/store/UDate.h"

class QWidget;

namespace quillet {

class THIniFile;
struct TSaveResult;

class TPanelPage {
public:
  virtual ~TPanelPage();
  TPanelPage(const TPanelPage&) = delete;
  TPanelPage& operator=(const TPanelPage&) = delete;

  TPageKind Kind() const { return m_kind; }
  // The tab: owned by the page, placed in the panel's page control while the
  // page exists; its window title is the tab's caption.
  QWidget* Sheet() const { return m_sheet.get(); }

  // The page's own settings from its section. Called after creation: at
  // start when the "Boot" flag of the page says so, always from the show
  // command. May throw; the page is then not shown ("生成に失敗しました").
  virtual void ReadSettings(const THIniFile& ini);
  // What the page keeps in its section ("OnCreate" aside, which the panel
  // writes), at every close of the window before the entry is saved.
  virtual void WriteSettings(THIniFile& ini) const;
  // The open date is now `date` and its entry is about to be read.
  // `otherMonth` is true when the previous open day lay in another month
  // (the title list rebuilds then); false at the first load after start,
  // since a page is created showing the open date.
  virtual void OnDayLoaded(TDate date, bool otherMonth);
  // The open entry of `date` is about to be saved (the image list stores its
  // list here, changed or not).
  virtual void BeforeSave(TDate date);
  // True while the page holds a change of the open day that the next save
  // must keep: the entry then counts as modified.
  virtual bool Modified() const;
  // A save of `date` wrote or deleted the entry (result.Acted and result.Ok):
  // the calendar marks the day, the title list updates its row.
  virtual void OnSaved(TDate date, const TSaveResult& result);
  // Writes what the page keeps in its own files (Task.txt, Image.dat). False
  // (or a throw) from the hide command keeps the page, with nothing lost, and
  // says "破棄に失敗しました"; at close the page is deleted all the same.
  virtual bool Release();

protected:
  // The sheet is created empty, named `sheetName` ("CalendarSheet") with the
  // tab caption `caption` ("カレンダー").
  TPanelPage(TPageKind kind, const QString& sheetName, const QString& caption);

private:
  TPageKind m_kind;
  std::unique_ptr<QWidget> m_sheet;
};

}  // namespace quillet
