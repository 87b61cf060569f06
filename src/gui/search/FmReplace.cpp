// The replace window; see FmReplace.h.
#include "gui/search/FmReplace.h"

#include <QPushButton>

#include "gui/app/MainEditorPort.h"
#include "gui/app/UMain.h"
#include "gui/search/HistoryBox.h"

namespace quillet {

namespace {

const QString kReadOnlyMessage = QStringLiteral("閲覧モードのため置換できません");

}  // namespace

TFmReplace::TFmReplace(TFmMain& main) : TSearchWindow(main, "ActReplace", "文字列置換") {
  setObjectName("FmReplace");
  m_replaceBox = std::make_unique<THistoryBox>(AddSearchBox("ReplaceBox", "置換文字列", 1), main.OptionFolder(),
                                               "Replace.txt");
  AddCheckBoxes(2);
  QPushButton* next = AddButton("NextButton", "次を検索", 0);
  QPushButton* replace = AddButton("ReplaceButton", "置換", 1);
  QPushButton* all = AddButton("ReplaceAllButton", "全てを置換", 2);
  QPushButton* exit = AddButton("ExitButton", "閉じる", 3);
  next->setDefault(true);
  connect(next, &QPushButton::clicked, this, [this] { FindNext(true); });
  connect(replace, &QPushButton::clicked, this, &TFmReplace::Replace);
  connect(all, &QPushButton::clicked, this, &TFmReplace::ReplaceAll);
  connect(exit, &QPushButton::clicked, this, &QDialog::reject);
  LoadState();
}

void TFmReplace::Replace() {
  TMainEditorPort& editor = Editor();
  if (editor.SelectedText().empty()) return;
  std::string replacement;
  if (!BoxBytes(*m_replaceBox, replacement)) return;
  if (editor.ReadOnly()) {
    m_main.ShowStatusMessage(kReadOnlyMessage);
    return;
  }
  AddToHistory(*m_replaceBox, replacement);
  editor.ReplaceSelection(replacement);
  editor.FitWrap();
  Report(QString());
}

void TFmReplace::ReplaceAll() {
  std::string pattern;
  std::string replacement;
  if (m_findBox->IsEmpty() || !BoxBytes(*m_findBox, pattern) || !BoxBytes(*m_replaceBox, replacement)) return;
  AddToHistory(*m_findBox, pattern);
  AddToHistory(*m_replaceBox, replacement);
  TMainEditorPort& editor = Editor();
  const std::optional<int> count = editor.ReplaceAll(pattern, replacement, MatchCase());
  editor.FitWrap();
  Report(count ? QStringLiteral(" %1件置換しました").arg(*count) : kReadOnlyMessage);
}

}  // namespace quillet
