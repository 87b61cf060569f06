// Settings colours as Qt colours; see EditorColors.h.
#include "gui/editor/EditorColors.h"

#include <algorithm>
#include <cmath>

namespace quillet {
namespace {

struct TRole {
  QPalette::ColorGroup Group;
  QPalette::ColorRole Role;
};

// By Windows system colour index; indices without a counterpart (25, 31 and
// up) fall back to the window text colour.
TRole RoleOf(int index) {
  using P = QPalette;
  switch (index) {
    case 0: return {P::Active, P::Mid};               // scroll bar
    case 1: return {P::Active, P::Window};            // desktop
    case 2: return {P::Active, P::Highlight};         // active caption
    case 3: return {P::Active, P::Mid};               // inactive caption
    case 4: return {P::Active, P::Window};            // menu
    case 5: return {P::Active, P::Base};              // window
    case 6: return {P::Active, P::Shadow};            // window frame
    case 7: return {P::Active, P::WindowText};        // menu text
    case 8: return {P::Active, P::Text};              // window text
    case 9: return {P::Active, P::HighlightedText};   // caption text
    case 10: return {P::Active, P::Window};           // active border
    case 11: return {P::Active, P::Window};           // inactive border
    case 12: return {P::Active, P::Dark};             // application work space
    case 13: return {P::Active, P::Highlight};        // highlight
    case 14: return {P::Active, P::HighlightedText};  // highlight text
    case 15: return {P::Active, P::Button};           // button face
    case 16: return {P::Active, P::Dark};             // button shadow
    case 17: return {P::Disabled, P::Text};           // grey text
    case 18: return {P::Active, P::ButtonText};       // button text
    case 19: return {P::Disabled, P::WindowText};     // inactive caption text
    case 20: return {P::Active, P::Light};            // button highlight
    case 21: return {P::Active, P::Shadow};           // 3D dark shadow
    case 22: return {P::Active, P::Midlight};         // 3D light
    case 23: return {P::Active, P::ToolTipText};      // info text
    case 24: return {P::Active, P::ToolTipBase};      // info background
    case 26: return {P::Active, P::Link};             // hot light (links)
    case 27: return {P::Active, P::Highlight};        // gradient active caption
    case 28: return {P::Active, P::Mid};              // gradient inactive caption
    case 29: return {P::Active, P::Highlight};        // menu highlight
    case 30: return {P::Active, P::Window};           // menu bar
    default: return {P::Active, P::WindowText};
  }
}

double Luminance(const QColor& color) {
  const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  const QColor rgb = color.toRgb();
  return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableInk(const QColor& back, std::initializer_list<QColor> candidates, double minimum) {
  for (const QColor& ink : candidates)
    if (ink.isValid() && ContrastRatio(ink, back) >= minimum) return ink;
  const QColor black(0, 0, 0);
  const QColor white(0xFF, 0xFF, 0xFF);
  return ContrastRatio(black, back) >= ContrastRatio(white, back) ? black : white;
}

TColorRef ColorRefOf(const QColor& color) {
  return static_cast<TColorRef>(color.red()) | static_cast<TColorRef>(color.green()) << 8 |
         static_cast<TColorRef>(color.blue()) << 16;
}

QColor ToQColor(TColorRef color, const QPalette& palette) {
  if (color == clNone || color == clDefault) return {};
  if (IsSystemColor(color)) {
    const TRole role = RoleOf(SystemColorIndex(color));
    return palette.color(role.Group, role.Role);
  }
  return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

}  // namespace quillet
