// TOptionPageGroup: the pages of one group of the options dialog's tree
// (the editor's, the calendar's, the task and title pages) built, filled and
// written by one object, so each group keeps its controls and rules in a file
// of its own. The dialog owns the groups; a group's pages are children of the
// dialog's page stack once added.
//
// Order of calls: the constructor builds the pages; Load fills them once from
// the settings file; on every apply Check runs first (a non-empty text
// refuses the apply with that message and nothing is written), then Write
// puts the group's keys into the settings file (only its own keys), then,
// after the settings file was saved, WriteFiles saves the group's other files
// (a non-empty text is the reason it could not).
// GUI thread.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QWidget;

namespace quillet {

class TFmMain;
class THIniFile;

// The page tags of the tree's leaves.
enum TOptionPage : int {
  opSave = 1, opBoot, opMenu, opWindow, opSecurity, opTool,
  opEditShow, opEditEdit, opEditAction, opEditColor, opEditWrap, opEditLeftRuler, opEditReserve,
  opCalendarProperty, opCalendarColor, opTaskShow, opTaskAction, opViewerAction, opPlugin,
  opTitleShow, opTitleAction
};

class TOptionPageGroup : public QObject {
  Q_OBJECT

public:
  using QObject::QObject;
  ~TOptionPageGroup() override = default;

  // The group's pages with their tags (TOptionPage), in tree order.
  virtual std::vector<std::pair<int, QWidget*>> Pages() const = 0;
  virtual void Load(const THIniFile& ini) = 0;
  virtual QString Check() const { return {}; }
  virtual void Write(THIniFile& ini) const = 0;
  virtual QString WriteFiles() { return {}; }
};

// The groups, each in its own file. `dialog` is the groups' QObject parent
// and the parent of the dialogs they open.
std::unique_ptr<TOptionPageGroup> MakeEditorOptionPages(TFmMain& main, QWidget* dialog);
std::unique_ptr<TOptionPageGroup> MakeCalendarOptionPages(TFmMain& main, QWidget* dialog);
std::unique_ptr<TOptionPageGroup> MakeTaskOptionPages(TFmMain& main, QWidget* dialog);
std::unique_ptr<TOptionPageGroup> MakeTitleOptionPages(TFmMain& main, QWidget* dialog);

}  // namespace quillet
