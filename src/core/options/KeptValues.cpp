// Writing a page's section back without touching what it left alone (see
// KeptValues.h).
#include "core/options/KeptValues.h"

#include <algorithm>

namespace quillet {

namespace {

bool SameKey(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return fold(x) == fold(y);
  });
}

}  // namespace

void TKeptValues::Remember(const THIniFile& stored, const THIniFile& shown, std::string_view section) {
  m_values.clear();
  for (const std::string& key : shown.ReadSection(section)) {
    TValue value{key, std::nullopt, shown.ReadString(section, key, "")};
    if (stored.ValueExists(section, key)) value.stored = stored.ReadString(section, key, "");
    m_values.push_back(std::move(value));
  }
}

const TKeptValues::TValue* TKeptValues::Find(std::string_view key) const {
  const auto it = std::find_if(m_values.begin(), m_values.end(), [&](const TValue& v) { return SameKey(v.key, key); });
  return it == m_values.end() ? nullptr : &*it;
}

void TKeptValues::Write(THIniFile& ini, const THIniFile& now, std::string_view section) const {
  for (const std::string& key : now.ReadSection(section)) {
    const std::string value = now.ReadString(section, key, "");
    const TValue* kept = Find(key);
    ini.WriteString(section, key, kept && kept->stored && kept->shown == value ? *kept->stored : value);
  }
}

}  // namespace quillet
