// TFmOption: the options dialog "各種設定". A fixed tree of groups and pages
// on the left (OptionTV) picks one page of a stack whose tabs are hidden
// (OptionPageCtrl); "OK", "適用" and "キャンセル" sit below.
//
// Each opening fills the controls from the settings file; nothing is kept
// between openings. Apply and OK validate the security page (in its fixed
// order, then the save page's folder and extension), check that a changed
// key still opens the encrypted days already written, write the controls of
// the pages built here to the settings file (only their keys: every other
// key of the file stays as it was) and make the main window take them up at
// once (TFmMain::ApplyOptions). Cancel writes nothing.
//
// The general pages and the picture pages are built here; the editor,
// calendar, task and title pages by their TOptionPageGroup.
//
// Controls carry object names: the settings key they edit ("WakeUp",
// "LoadMenu", "ToolEditor"...) or the component name of the page
// ("SaveEdit", "CodeMethodBox", "CodeNumberEdit", "CodeKeyWordEdit"...), so
// tests and the apply code reach them the same way.
// GUI thread.
#pragma once

#include <QDialog>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/crypto/USecurity.h"
#include "gui/options/OptionPageGroup.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace quillet {

class TFmMain;
class THIniFile;
class THotKeyOne;

class TFmOption : public QDialog {
  Q_OBJECT

public:
  // Fills every control from `main`'s settings file.
  explicit TFmOption(TFmMain& main, QWidget* parent = nullptr);
  ~TFmOption() override;

  QTreeWidget* OptionTV() const { return m_tree; }
  QStackedWidget* OptionPageCtrl() const { return m_pages; }
  // The page shown for a tag; the stack's blank page for a group.
  QWidget* Page(int tag) const;
  // Selects the tree's leaf of `tag`.
  void ShowPage(int tag);

  // Validates, writes and applies. False, with the reason shown and nothing
  // written, when a check refused or the settings file cannot be written.
  bool Apply();

  // Shows a refusal; by default a message box.
  std::function<void(const QString&)> showMessage;
  // Asks whether to keep the old key (true) when the new one would not open
  // days already written; by default a yes/no box.
  std::function<bool(const QString&)> askKeepOldKey;

  void accept() override;

private:
  void BuildTree();
  QWidget* AddPage(int tag, QWidget* page);
  QWidget* BuildSavePage();
  QWidget* BuildBootPage();
  QWidget* BuildWindowPage();
  QWidget* BuildSecurityPage();
  QWidget* BuildToolPage();
  QWidget* BuildViewerPage();
  QWidget* BuildPluginPage();
  QWidget* BuildPlaceholderPage();
  // The menu-shortcut page: a tree of the main window's menu bar as it is
  // now, one node per item (item name, separator flag and shortcut code in
  // the node's data), a hot-key field and the page's own "適用".
  QWidget* BuildMenuPage();
  void AddMenuNodes(QTreeWidgetItem* parent, const QList<QAction*>& items);
  void SelectMenuNode(QTreeWidgetItem* node);
  void SetNodeShortCut();
  void Load(const THIniFile& ini);
  // Every page built here but the security page.
  void Write(THIniFile& ini) const;
  void UpdateMethod();
  // The security page as typed, converted to code page 932; false with a
  // message when a text cannot be stored.
  bool SecurityOptions(TSecurityOptions& options, QString& message) const;
  void SetKeyFields(const TSecurityOptions& options);
  QString CheckStorePage() const;
  // Asks about a changed key; false when the old key is kept.
  bool NewKeyAccepted(const TSecurityOptions& options);

  TFmMain& m_main;
  QTreeWidget* m_tree = nullptr;
  QStackedWidget* m_pages = nullptr;
  std::map<int, QWidget*> m_pageOfTag;
  // The security page as it was filled or last written: "keep the old key"
  // returns to it.
  TSecurityOptions m_written;

  QLineEdit* m_saveEdit = nullptr;
  QCheckBox* m_saveReadOnly = nullptr;
  QCheckBox* m_checkTimeStump = nullptr;
  QComboBox* m_saveStyle = nullptr;
  QLineEdit* m_saveExt = nullptr;
  QLineEdit* m_wakeUp = nullptr;
  std::map<const void*, QCheckBox*> m_bootBoxes;  // by key
  QCheckBox* m_saveWndPos = nullptr;
  QCheckBox* m_commandWndPos = nullptr;
  QSpinBox* m_position[4] = {};  // top, left, height, width
  QCheckBox* m_entry = nullptr;
  QLineEdit* m_entryText = nullptr;
  QCheckBox* m_enCrypt = nullptr;
  QComboBox* m_method = nullptr;
  QLineEdit* m_number = nullptr;
  QLineEdit* m_keyWord = nullptr;
  QWidget* m_numberLabel = nullptr;
  QWidget* m_keyWordLabel = nullptr;
  QLineEdit* m_tools[5] = {};
  QCheckBox* m_viewerBoxes[5] = {};  // DeleteAsk, ShowComment, AllowUndo, DrawFrame, AutoArrange
  QSpinBox* m_viewerSize = nullptr;
  QComboBox* m_viewerPriority = nullptr;
  QComboBox* m_viewerEnter = nullptr;
  QCheckBox* m_plugin[4] = {};  // SusieAppPath, SusieSystem, SusieWindows, SusieCommand
  QLineEdit* m_susieEdit = nullptr;
  QCheckBox* m_showInformation = nullptr;
  QTreeWidget* m_menuTree = nullptr;
  THotKeyOne* m_menuKey = nullptr;
  QPushButton* m_menuApply = nullptr;
  std::vector<std::unique_ptr<TOptionPageGroup>> m_groups;
};

}  // namespace quillet
