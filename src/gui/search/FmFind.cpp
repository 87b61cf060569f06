// The find window; see FmFind.h.
#include "gui/search/FmFind.h"

#include <QPushButton>

namespace quillet {

TFmFind::TFmFind(TFmMain& main) : TSearchWindow(main, "ActFind", "文字列検索") {
  setObjectName("FmFind");
  AddCheckBoxes(1);
  QPushButton* next = AddButton("NextButton", "次を検索", 0);
  QPushButton* prev = AddButton("PrevButton", "前を検索", 1);
  QPushButton* exit = AddButton("ExitButton", "閉じる", 2);
  next->setDefault(true);
  connect(next, &QPushButton::clicked, this, [this] { FindNext(true); });
  connect(prev, &QPushButton::clicked, this, [this] { FindNext(false); });
  connect(exit, &QPushButton::clicked, this, &QDialog::reject);
  LoadState();
}

}  // namespace quillet
