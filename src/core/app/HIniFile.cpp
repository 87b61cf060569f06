// THIniFile: parsing, lookup and write-back of INI files (see HIniFile.h).
//
// Every name lookup, also while parsing, goes through a hash index keyed by
// the folded name, so a crafted file of many sections or many keys loads in
// time linear in its size. The index of a list always holds exactly one
// position per list element; EraseSection and DeleteKey, which are rare,
// rebuild the index they shift.
#include "core/app/HIniFile.h"

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

// The index key of a name. Names are equal when they are equal ignoring the
// case of ASCII letters outside double-byte characters: a trail byte may fall
// in the ASCII letter range (0x83 0x41 is "ア", 0x83 0x61 is "ヂ") and is
// never folded. Lead bytes are never ASCII letters, so names with equal
// folded forms share their byte structure.
std::string FoldName(std::string_view name) {
  std::string folded(name);
  bool trail = false;
  for (char& c : folded) {
    if (trail) {
      trail = false;
    } else {
      trail = IsLeadByte(static_cast<unsigned char>(c));
      c = LowerAscii(c);
    }
  }
  return folded;
}

// The value as Windows' reader gives it: without the blanks and tabs around
// it and one pair of enclosing double quotes.
std::string_view Unquote(std::string_view stored) {
  stored = TrimBlanks(stored);
  if (stored.size() >= 2 && stored.front() == '"' && stored.back() == '"') {
    stored = stored.substr(1, stored.size() - 2);
  }
  return stored;
}

// The stored form of `value` that Unquote gives back unchanged.
std::string Quote(std::string_view value) {
  const bool needed = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) ||
                                         (value.front() == '"' && value.back() == '"'));
  return needed ? '"' + std::string(value) + '"' : std::string(value);
}

// The offset of the first ']' character in `text`, or npos. The byte 0x5D is
// also the trail byte of many double-byte characters ("\x83\x5D" is "ゾ"),
// which is not a ']'.
std::size_t FindCloseBracket(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == ']') return i;
  }
  return std::string_view::npos;
}

// Drops a broken character at the end of a section name: a lead byte with
// nothing after it would take the ']' that closes the name for its trail
// byte, and the name would read back longer, with its keys under another
// section. Blanks uncovered by the cut go too.
std::string_view WithoutLoneLeadByte(std::string_view name) {
  for (;;) {
    std::size_t last = 0;
    for (std::size_t i = 0; i < name.size(); i += CharLength(name, i)) last = i;
    if (name.empty() || last + 1 != name.size() || !IsLeadByte(static_cast<unsigned char>(name.back()))) return name;
    name = TrimBlanks(name.substr(0, last));
  }
}

// A name as stored: trimmed, and with the characters that would change the
// line structure replaced by blanks. CR, LF and '=' are never trail bytes,
// yet a reader finds them wherever they stand (a broken character before
// them does not hide them), so every such byte goes; ']' is a trail byte
// ("\x83\x5D" is "ゾ") and goes only where it stands as a character. A
// section name also loses a broken last character (see above).
std::string CleanName(std::string_view name, bool isKey) {
  std::string result(name);
  for (char& c : result) {
    if (c == '\r' || c == '\n' || (isKey && c == '=')) c = ' ';
  }
  if (!isKey) {
    for (std::size_t i = 0; i < result.size(); i += CharLength(result, i)) {
      if (result[i] == ']') result[i] = ' ';
    }
  }
  const std::string_view trimmed = TrimBlanks(result);
  return std::string(isKey ? trimmed : WithoutLoneLeadByte(trimmed));
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
    // Windows' reader fills 32 bits, so "$FFFFFFFF" is -1.
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
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
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
    if (line.front() == '[') {
      // Whatever follows the ']' (often a comment) is not part of the name.
      std::string_view name = line.substr(1);
      if (const auto close = FindCloseBracket(name); close != std::string_view::npos) name = name.substr(0, close);
      current = &AddSection(WithoutLoneLeadByte(TrimBlanks(name)));
      continue;
    }
    if (!current) continue;  // before the first section
    const auto eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view key = TrimBlanks(line.substr(0, eq));
    if (key.empty()) continue;
    // The first value wins.
    if (current->keys.try_emplace(FoldName(key), current->entries.size()).second) {
      current->entries.push_back({std::string(key), std::string(line.substr(eq + 1))});
    }
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
  const auto it = m_sectionIndex.find(FoldName(WithoutLoneLeadByte(TrimBlanks(name))));
  return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

THIniFile::TSectionData* THIniFile::FindSection(std::string_view name) {
  return const_cast<TSectionData*>(std::as_const(*this).FindSection(name));
}

THIniFile::TSectionData& THIniFile::AddSection(std::string_view name) {
  const auto [it, added] = m_sectionIndex.try_emplace(FoldName(name), m_sections.size());
  if (added) m_sections.push_back({std::string(name), {}, {}});
  return m_sections[it->second];
}

const THIniFile::TEntry* THIniFile::FindEntry(std::string_view section, std::string_view key) const {
  const TSectionData* data = FindSection(section);
  if (!data) return nullptr;
  const auto it = data->keys.find(FoldName(TrimBlanks(key)));
  return it == data->keys.end() ? nullptr : &data->entries[it->second];
}

THIniFile::TEntry* THIniFile::EntryToWrite(std::string_view section, std::string_view key) {
  std::string cleanKey = CleanName(key, true);
  // Such lines would read back as nothing, a comment or a section header.
  if (cleanKey.empty() || cleanKey.front() == ';' || cleanKey.front() == '[') return nullptr;
  TSectionData& data = AddSection(CleanName(section, false));
  const auto [it, added] = data.keys.try_emplace(FoldName(cleanKey), data.entries.size());
  if (added) {
    data.entries.push_back({std::move(cleanKey), {}});
    m_modified = true;
  }
  return &data.entries[it->second];
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
  const auto it = m_sectionIndex.find(FoldName(TrimBlanks(section)));
  if (it == m_sectionIndex.end()) return;
  m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(it->second));
  m_sectionIndex.clear();
  for (std::size_t i = 0; i < m_sections.size(); ++i) m_sectionIndex.emplace(FoldName(m_sections[i].name), i);
  m_modified = true;
}

void THIniFile::DeleteKey(std::string_view section, std::string_view key) {
  TSectionData* data = FindSection(section);
  if (!data) return;
  const auto it = data->keys.find(FoldName(TrimBlanks(key)));
  if (it == data->keys.end()) return;
  data->entries.erase(data->entries.begin() + static_cast<std::ptrdiff_t>(it->second));
  data->keys.clear();
  for (std::size_t i = 0; i < data->entries.size(); ++i) data->keys.emplace(FoldName(data->entries[i].key), i);
  m_modified = true;
}

std::string THIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  const TEntry* entry = FindEntry(section, key);
  return std::string(entry ? Unquote(entry->value) : def);
}

void THIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  TEntry* entry = EntryToWrite(section, key);
  if (!entry) return;
  const std::string cleanValue = CleanValue(value);
  if (Unquote(entry->value) == cleanValue) return;
  entry->value = Quote(cleanValue);
  m_modified = true;
}

std::string THIniFile::ReadVerbatim(std::string_view section, std::string_view key, std::string_view def) const {
  const TEntry* entry = FindEntry(section, key);
  return entry ? entry->value : std::string(def);
}

void THIniFile::WriteVerbatim(std::string_view section, std::string_view key, std::string_view value) {
  TEntry* entry = EntryToWrite(section, key);
  if (!entry) return;
  std::string cleanValue = CleanValue(value);
  if (entry->value == cleanValue) return;
  entry->value = std::move(cleanValue);
  m_modified = true;
}

int THIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  const TEntry* entry = FindEntry(section, key);
  int value = def;
  if (entry && ParseInteger(Unquote(entry->value), value)) return value;
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
  if (entry && StringToColor(Unquote(entry->value), color)) return color;
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
