// TFmFind: the find window "文字列検索" over the main window's editor:
// `FindBox`, `FindByte`, `FindRecursion`, `NextButton` "次を検索" (the
// default button), `PrevButton` "前を検索" and `ExitButton` "閉じる".
// Opening it closes the replace window. See TSearchWindow for the rest.
#pragma once

#include "gui/search/SearchWindow.h"

namespace quillet {

class TFmFind : public TSearchWindow {
  Q_OBJECT

public:
  explicit TFmFind(TFmMain& main);
};

}  // namespace quillet
