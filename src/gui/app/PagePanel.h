// TPagePanel: the pages of the main window's side panel. It holds at most one
// page object per kind (in kind order, which is also the order of the tabs),
// builds them at start from "OnCreate", runs the show, activate and hide
// commands of each kind with their enabling rule, passes the entry's load and
// save on to every page, writes "LastTab", "OnCreate" and the pages' sections
// at close, and releases the pages last of all.
//
// Invariants, after every call:
//  - a page exists exactly while its sheet is a tab of the page control;
//  - the show command of a kind is enabled exactly when the kind is built
//    (registered) and has no page; its activate and hide commands and its own
//    commands exactly when its page exists; its pop-up toggle is checked
//    exactly when the page exists;
//  - "OnCreate" of a kind that is not built is never written, so a settings
//    file from a fuller build keeps its pages.
//
// The main window shows the panel exactly while a page exists; the panel
// calls `pagesChanged` after each creation and release so that it can.
// User-interface thread only.
#pragma once

#include <QPoint>
#include <array>
#include <functional>
#include <memory>

#include "core/app/PageKind.h"
#include "core/store/UDate.h"
#include "gui/app/PageRegistry.h"

namespace quillet {

class TFmMain;
class THIniFile;
class TPanelPage;
struct TSaveResult;

class TPagePanel {
public:
  // Connects the page commands of every kind and applies their enabling rule.
  TPagePanel(TFmMain& window, TPageRegistry registry, std::function<void()> pagesChanged);
  // Deletes what is left unreleased (the close sequence releases first).
  ~TPagePanel();
  TPagePanel(const TPagePanel&) = delete;
  TPagePanel& operator=(const TPagePanel&) = delete;

  bool IsBuilt(TPageKind kind) const { return m_registry.Has(kind); }
  // The page of `kind`; nullptr while it does not exist.
  TPanelPage* Find(TPageKind kind) const;
  bool Empty() const;

  // At start: builds every built kind whose "OnCreate" is set, in kind order,
  // and reads its settings when its "Boot" flag is set. A page that cannot be
  // built says "生成に失敗しました" and the start goes on without it.
  void CreateAtStart(const THIniFile& ini);
  // "LastTab" at start: activates the page of that kind when it exists.
  void ActivateLastTab(int lastTab);

  // The commands. Show builds the page and reads its settings from the
  // settings file (an existing page is only activated); Hide releases it.
  // False, with the message said, when that failed.
  bool Show(TPageKind kind);
  void Activate(TPageKind kind);
  bool Hide(TPageKind kind);

  // The entry's load and save, passed on to every page (see TPanelPage).
  void OnDayLoaded(TDate date, bool otherMonth);
  void BeforeSave(TDate date);
  bool Modified() const;
  void OnSaved(TDate date, const TSaveResult& result);

  // At close: "LastTab" (the kind of the active page, 0 when none can be
  // told; not written without pages), "OnCreate" of every built kind, and
  // each page's own section.
  void WriteSettings(THIniFile& ini) const;
  // At close, after the entry is saved: releases every page in kind order.
  // The close cannot be refused, so a failing release is passed over. With
  // `release` false the pages are deleted without writing their files: a
  // start-up refused at the password touches nothing of the user's.
  void ReleaseAll(bool release = true);

private:
  bool Create(TPageKind kind, const THIniFile* settings);
  void Remove(TPageKind kind);
  void UpdateCommands(TPageKind kind);
  void ShowPopupMenu(const QPoint& at);

  TFmMain& m_window;
  TPageRegistry m_registry;
  std::function<void()> m_pagesChanged;
  std::array<std::unique_ptr<TPanelPage>, kPageKindCount> m_pages;
};

}  // namespace quillet
