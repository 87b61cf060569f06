#include "gui/options/OptionPageGroup.h"

namespace quillet {

std::unique_ptr<TOptionPageGroup> MakeEditorOptionPages(TFmMain&, QWidget*) { return nullptr; }

}  // namespace quillet
