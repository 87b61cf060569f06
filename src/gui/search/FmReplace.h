// TFmReplace: the replace window "文字列置換": `FindBox` and `ReplaceBox`
// ("Replace.txt"), `FindByte`, `FindRecursion`, `NextButton` "次を検索" (the
// default button), `ReplaceButton` "置換", `ReplaceAllButton` "全てを置換" and
// `ExitButton` "閉じる". Opening it closes the find window.
//
// Replace changes the selected text only and does not search on. Replace
// all goes from the top and is one undo step however many hits it replaces
// (ReplaceAllText), so one undo gives back the text as it was. A read-only
// text is left as it is, with a message rather than a count.
#pragma once

#include "gui/search/SearchWindow.h"

namespace quillet {

class TFmReplace : public TSearchWindow {
  Q_OBJECT

public:
  explicit TFmReplace(TFmMain& main);

  void Replace();
  void ReplaceAll();
};

}  // namespace quillet
