#include "gui/options/OptionPageGroup.h"

namespace quillet {

std::unique_ptr<TOptionPageGroup> MakeCalendarOptionPages(TFmMain&, QWidget*) { return nullptr; }

}  // namespace quillet
