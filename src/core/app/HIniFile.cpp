// THIniFile: parsing, lookup and write-back of INI files (see HIniFile.h).
//
// Lookups scan linearly: the largest file, the settings file, holds a few
// hundred keys, and it is read once at start and written once at exit.
#include "core/app/HIniFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>

#include "core/base/AtomicFile.h"
#include "core/base/CodePage.h"

namespace quillet {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal names, ignoring the case of ASCII letters outside double-byte
// characters: a trail byte may fall in the ASCII letter range (0x83 0x41 is
// "ア", 0x83 0x61 is "ヂ") and is compared exactly. Both sides share their
// byte structure up to any difference, since lead bytes are never folded, so
// tracking `a` alone is enough.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  bool trail = false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (trail) {
      if (a[i] != b[i]) return false;
      trail = false;
    } else {
      if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
      trail = IsLeadByte(static_cast<unsigned char>(a[i]));
    }
  }
  return true;
}

// A name as stored: trimmed, and with the characters that would change the
// line structure replaced by blanks.
std::string CleanName(std::string_view name, bool isKey) {
  std::string result(TrimBlanks(name));
  for (char& c : result) {
    if (c == '\r' || c == '\n' || (isKey && c == '=')) c = ' ';
  }
  return std::string(TrimBlanks(result));
}

std::string CleanValue(std::string_view value) {
  std::string result(value);
  for (char& c : result) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return result;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseInteger(std::string_view text, int& value) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::int64_t magnitude = 0;
  if (!text.empty() && text.front() == '$') {
    text.remove_prefix(1);
    if (text.empty()) return false;
    std::uint64_t bits = 0;
    for (char c : text) {
      const int digit = HexDigit(c);
      if (digit < 0) return false;
      bits = bits * 16 + static_cast<std::uint64_t>(digit);
      if (bits > 0xFFFFFFFFu) return false;
    }
    // The original reader fills 32 bits, so "$FFFFFFFF" is -1.
    magnitude = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
  } else {
    if (text.empty()) return false;
    for (char c : text) {
      if (c < '0' || c > '9') return false;
      magnitude = magnitude * 10 + (c - '0');
      if (magnitude > std::int64_t{INT_MAX} + 1) return false;
    }
  }
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result < INT_MIN || result > INT_MAX) return false;
  value = static_cast<int>(result);
  return true;
}

THIniFile::THIniFile(std::string path, bool writeBack) : m_path(std::move(path)), m_writeBack(writeBack) {
  Load();
}

THIniFile::~THIniFile() {
  if (!m_writeBack || !m_modified) return;
  try {
    UpdateFile();
  } catch (...) {
    // Nothing may leave a destructor; the caller chose not to check.
  }
}

void THIniFile::Load() {
  std::string bytes;
  if (ReadFileBytes(m_path, bytes)) {
    Parse(bytes);
  } else {
    m_readFailed = errno != ENOENT && errno != ENOTDIR;
  }
}

void THIniFile::Parse(std::string_view text) {
  TSectionData* current = nullptr;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view raw = text.substr(pos, end - pos);
    // CR LF, LF and CR each end one line.
    pos = end + 1;
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++pos;

    std::string_view line = raw;
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() == ';') continue;
    const std::string_view trimmed = TrimBlanks(line);
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
      const std::string_view name = TrimBlanks(trimmed.substr(1, trimmed.size() - 2));
      current = FindSection(name);
      if (!current) {
        m_sections.push_back({std::string(name), {}});
        current = &m_sections.back();
      }
      continue;
    }
    if (!current) continue;  // before the first section
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = TrimBlanks(line.substr(0, eq));
    if (key.empty()) continue;
    const bool known = std::any_of(current->entries.begin(), current->entries.end(),
                                   [&](const TEntry& e) { return SameName(e.key, key); });
    if (known) continue;  // the first value wins
    current->entries.push_back({std::string(key), std::string(line.substr(eq + 1))});
  }
}

std::string THIniFile::Serialize() const {
  std::string out;
  for (const auto& section : m_sections) {
    out += '[';
    out += section.name;
    out += "]\r\n";
    for (const auto& entry : section.entries) {
      out += entry.key;
      out += '=';
      out += entry.value;
      out += "\r\n";
    }
    out += "\r\n";
  }
  return out;
}

bool THIniFile::UpdateFile() {
  if (m_readFailed) return false;
  if (!WriteFileAtomic(m_path, Serialize())) return false;
  m_modified = false;
  return true;
}

const THIniFile::TSectionData* THIniFile::FindSection(std::string_view name) const {
  name = TrimBlanks(name);
  for (const auto& section : m_sections) {
    if (SameName(section.name, name)) return &section;
  }
  return nullptr;
}

THIniFile::TSectionData* THIniFile::FindSection(std::string_view name) {
  return const_cast<TSectionData*>(std::as_const(*this).FindSection(name));
}

const THIniFile::TEntry* THIniFile::FindEntry(std::string_view section, std::string_view key) const {
  const TSectionData* data = FindSection(section);
  if (!data) return nullptr;
  key = TrimBlanks(key);
  for (const auto& entry : data->entries) {
    if (SameName(entry.key, key)) return &entry;
  }
  return nullptr;
}

bool THIniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

bool THIniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindEntry(section, key) != nullptr;
}

std::vector<std::string> THIniFile::ReadSections() const {
  std::vector<std::string> names;
  names.reserve(m_sections.size());
  for (const auto& section : m_sections) names.push_back(section.name);
  return names;
}

std::vector<std::string> THIniFile::ReadSection(std::string_view section) const {
  std::vector<std::string> keys;
  if (const TSectionData* data = FindSection(section)) {
    keys.reserve(data->entries.size());
    for (const auto& entry : data->entries) keys.push_back(entry.key);
  }
  return keys;
}

void THIniFile::EraseSection(std::string_view section) {
  section = TrimBlanks(section);
  const auto it = std::find_if(m_sections.begin(), m_sections.end(),
                               [&](const TSectionData& s) { return SameName(s.name, section); });
  if (it == m_sections.end()) return;
  m_sections.erase(it);
  m_modified = true;
}

void THIniFile::DeleteKey(std::string_view section, std::string_view key) {
  TSectionData* data = FindSection(section);
  if (!data) return;
  key = TrimBlanks(key);
  const auto it = std::find_if(data->entries.begin(), data->entries.end(),
                               [&](const TEntry& e) { return SameName(e.key, key); });
  if (it == data->entries.end()) return;
  data->entries.erase(it);
  m_modified = true;
}

std::string THIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const TEntry* entry = FindEntry(section, key);
  return entry ? entry->value : std::string(def);
}

void THIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string cleanKey = CleanName(key, true);
  // Such lines would read back as nothing, a comment or a section header.
  if (cleanKey.empty() || cleanKey.front() == ';' || cleanKey.front() == '[') return;
  const std::string cleanSection = CleanName(section, false);
  std::string cleanValue = CleanValue(value);
  TSectionData* data = FindSection(cleanSection);
  if (!data) {
    m_sections.push_back({cleanSection, {}});
    data = &m_sections.back();
  }
  for (auto& entry : data->entries) {
    if (SameName(entry.key, cleanKey)) {
      if (entry.value != cleanValue) {
        entry.value = std::move(cleanValue);
        m_modified = true;
      }
      return;
    }
  }
  data->entries.push_back({cleanKey, std::move(cleanValue)});
  m_modified = true;
}

int THIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  const TEntry* entry = FindEntry(section, key);
  int value = def;
  if (entry && ParseInteger(entry->value, value)) return value;
  return def;
}

void THIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

bool THIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void THIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

TColorRef THIniFile::ReadColor(std::string_view section, std::string_view key, TColorRef def) const {
  const TEntry* entry = FindEntry(section, key);
  TColorRef color = def;
  if (entry && StringToColor(entry->value, color)) return color;
  return def;
}

void THIniFile::WriteColor(std::string_view section, std::string_view key, TColorRef value) {
  WriteString(section, key, ColorToString(value));
}

std::string THIniFile::ReadShortCut(std::string_view section, std::string_view key, std::string_view def) const {
  return std::string(TrimBlanks(ReadString(section, key, def)));
}

TFontSpec THIniFile::ReadFont(std::string_view section, const TFontSpec& def) const {
  TFontSpec font;
  font.name = ReadString(section, "FontName", def.name);
  if (TrimBlanks(font.name).empty()) font.name = def.name;
  font.size = ReadInteger(section, "FontSize", def.size);
  return font;
}

void THIniFile::WriteFont(std::string_view section, const TFontSpec& font) {
  WriteString(section, "FontName", font.name);
  WriteInteger(section, "FontSize", font.size);
}

TBounds THIniFile::ReadBounds(std::string_view section, const TBounds& current, std::string_view suffix) const {
  const std::string s(suffix);
  TBounds bounds;
  bounds.top = ReadInteger(section, "Top" + s, current.top);
  bounds.left = ReadInteger(section, "Left" + s, current.left);
  bounds.width = ReadInteger(section, "Width" + s, current.width);
  bounds.height = ReadInteger(section, "Height" + s, current.height);
  return bounds;
}

void THIniFile::WriteBounds(std::string_view section, const TBounds& bounds, std::string_view suffix) {
  const std::string s(suffix);
  WriteInteger(section, "Top" + s, bounds.top);
  WriteInteger(section, "Left" + s, bounds.left);
  WriteInteger(section, "Width" + s, bounds.width);
  WriteInteger(section, "Height" + s, bounds.height);
}

}  // namespace quillet
