#include "gui/options/OptionPageGroup.h"

namespace quillet {

std::unique_ptr<TOptionPageGroup> MakeTaskOptionPages(TFmMain&, QWidget*) { return nullptr; }

}  // namespace quillet
