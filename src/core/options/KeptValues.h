// TKeptValues: lets an options page write back its section without changing
// a value the user left alone. A page fills its controls from the settings
// file, and each control can show only what the running reader makes of the
// stored value: "TitleStyle=5" shows as the second item, an unreadable
// colour as the default, a font size of 0 as the default size. Writing the
// controls back as they show would silently turn "5" into "1" or a colour
// the user typed by hand into the default.
//
// So, right after filling, the page writes its controls into a scratch file
// and Remember notes, per key, that text and the text the settings file
// held. On apply the page writes its controls into a fresh scratch file and
// Write copies it into the settings file key by key: a key whose text is
// the one noted at filling time gets the stored text back (a missing key
// gets the page's value, which is what the reader used for it); any other
// key gets the page's new value. The comparison is against the filling
// time, not the last apply, so changing a value, applying, and changing it
// back restores the stored text.
//
// Keys compare as the settings file compares them (ASCII case ignored).
// Cost: a linear search over the page's few dozen keys per key. Any thread,
// one object per page.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/HIniFile.h"

namespace quillet {

class TKeptValues {
public:
  // `stored`: the settings file the page was filled from; `shown`: the page's
  // controls written just after filling. Notes every key of `section` in
  // `shown`.
  void Remember(const THIniFile& stored, const THIniFile& shown, std::string_view section);
  // Copies every key of `section` in `now` (the page's controls as they are)
  // into `ini`, keeping the stored text of the keys left as they were shown.
  void Write(THIniFile& ini, const THIniFile& now, std::string_view section) const;

private:
  struct TValue {
    std::string key;
    std::optional<std::string> stored;
    std::string shown;
  };
  const TValue* Find(std::string_view key) const;

  std::vector<TValue> m_values;
};

}  // namespace quillet
