#include "gui/options/OptionPageGroup.h"

namespace quillet {

std::unique_ptr<TOptionPageGroup> MakeTitleOptionPages(TFmMain&, QWidget*) { return nullptr; }

}  // namespace quillet
