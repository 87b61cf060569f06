// The settings keys that need more than a table entry: numbered band keys and
// the values read with a rule applied (see SettingsKeys.h).
#include "core/app/SettingsKeys.h"

#include <climits>

namespace quillet::keys {
namespace {

// The absolute value, saturated: -INT_MIN does not fit in int.
int AbsSaturated(int value) {
  if (value == INT_MIN) return INT_MAX;
  return value < 0 ? -value : value;
}

}  // namespace

std::string CoolBarID(int n) { return "CoolBarID" + std::to_string(n); }
std::string CoolBarWidth(int n) { return "CoolBarWidth" + std::to_string(n); }
std::string CoolBarBreak(int n) { return "CoolBarBreak" + std::to_string(n); }
std::string CoolBarVisible(int n) { return "CoolBarVisible" + std::to_string(n); }

int ReadHistory(const THIniFile& ini) { return AbsSaturated(History.Read(ini)); }

int ReadRatio(const THIniFile& ini) {
  const int ratio = Ratio.Read(ini);
  return ratio >= 0 && ratio <= 4 ? ratio : 0;
}

int ReadViewerSize(const THIniFile& ini) { return AbsSaturated(ViewerSize.Read(ini)); }

TFontSpec ReadEditorFont(const THIniFile& ini) {
  return ini.ReadFont(kEdit, TFontSpec{std::string(kDefaultFontName), kDefaultFontSize});
}

void WriteEditorFont(THIniFile& ini, const TFontSpec& font) { ini.WriteFont(kEdit, font); }

}  // namespace quillet::keys
