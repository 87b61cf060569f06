// THIniFile: the one INI reader and writer of the program, for the settings
// file, each month's Set.ini and the panel files.
//
// The whole file is parsed into memory on construction; reads and writes work
// on that copy. With write-back set, the destructor (or an earlier explicit
// UpdateFile) replaces the file atomically with the whole copy: a temporary
// file in the same folder, flushed, then renamed over the old one, so a crash
// leaves either the old or the new file and never half of one.
//
// Bytes are kept as they are (code page 932 in practice); lines are written
// with CR LF and read with CR LF, LF or CR. A UTF-8 byte-order mark at the
// very start is skipped (an editor may add one; it is not written back).
//
// Lines, as Windows reads them, and as people and other programs write them:
// - a line whose first non-blank character is '[' starts a section, named by
//   the text up to the first ']' (or, without one, the rest of the line), so
//   "[7] ; moved" is section "7"; anything after the ']' is ignored. The
//   second byte of a double-byte character is never taken for a ']';
// - a line whose first non-blank character is ';' is a comment, a line
//   without '=' or with an empty key is skipped, and so is every line before
//   the first section;
// - otherwise the key is the text before the first '=' and the value the rest.
// Section and key names are trimmed of blanks and tabs, compare without
// regard to ASCII case, as on Windows, and keep the spelling they were first
// written with; the second byte of a double-byte character is never
// case-folded, so two different Japanese names never meet. A section that
// appears twice is merged, and the first value of a key wins.
//
// Values: ReadString, as Windows, takes the value without the blanks and tabs
// around it and without one pair of enclosing double quotes; WriteString
// quotes a value that would otherwise lose something on the way back (one
// that begins or ends with a blank or tab, or begins and ends with '"'), so
// every written text reads back exactly (CR and LF aside, see WriteString). ReadVerbatim and WriteVerbatim keep
// the rest of the line after '=' as it is, for text whose blanks belong to it.
// Neither blanks, tabs nor '"' can be the trail byte of a double-byte
// character, so trimming and unquoting never split one.
//
// Sections and keys are kept in file order, which a write keeps; a hash index
// by folded name sits beside each list, so parsing takes time linear in the
// file and a lookup constant time on average, however many sections or keys.
//
// An existing file that cannot be read (no permission, a folder, an I/O
// error) also reads as empty, but is then never written back: writing the
// few changed keys over it would lose every other setting in it.
//
// Not thread-safe; one object is used by one thread at a time.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/app/HColor.h"

namespace quillet {

// The integer reader of the settings files: decimal with an optional sign, or
// "$" and hexadecimal digits as on Windows ("$FFFFFFFF" is -1, as its 32-bit
// reader gives); blanks and tabs around the number are allowed.
// False for anything else or a value outside int; `value` is then unchanged.
bool ParseInteger(std::string_view text, int& value);

struct TFontSpec {
  std::string name;  // code page 932 bytes, e.g. "FixedSys"
  int size = 9;      // points
  bool operator==(const TFontSpec&) const = default;
};

struct TBounds {
  int top = 0;
  int left = 0;
  int width = 0;
  int height = 0;
  bool operator==(const TBounds&) const = default;
};

class THIniFile {
public:
  // Reads `path` at once. `writeBack`: the destructor writes the memory copy
  // back when it was changed (readers pass false, writers true). The
  // destructor never throws; a failed write there is lost silently, so
  // callers that must know call UpdateFile first.
  THIniFile(std::string path, bool writeBack);
  ~THIniFile();
  THIniFile(const THIniFile&) = delete;
  THIniFile& operator=(const THIniFile&) = delete;

  const std::string& FileName() const { return m_path; }
  bool WriteBack() const { return m_writeBack; }

  // Writes the whole copy back now (whatever the write-back flag), replacing
  // the file atomically. False when the folder is missing, the file is
  // read-only (no owner write permission), it existed but could not be read
  // (see ReadFailed), or the write failed; the old file is then untouched. A
  // later destructor does not write again unless something changed after a
  // successful call.
  bool UpdateFile();
  bool Modified() const { return m_modified; }
  // The whole file as UpdateFile writes it, for callers that stage it with
  // other files (a day's save).
  std::string Serialize() const;
  // True when the file exists but could not be read; the object then holds
  // nothing and refuses to write.
  bool ReadFailed() const { return m_readFailed; }

  // Current section for the short forms below.
  void SetSection(std::string section) { m_section = std::move(section); }
  const std::string& Section() const { return m_section; }

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;
  std::vector<std::string> ReadSections() const;
  std::vector<std::string> ReadSection(std::string_view section) const;  // key names in file order
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);

  // Text, trimmed of blanks and tabs and of one pair of enclosing double
  // quotes (see above); written quoted where that is needed to read back the
  // same. Written text has CR and LF replaced by blanks, since a line break
  // would split the value and could forge keys. Writes to a key name that is
  // empty or starts with ';' or '[' are ignored (such a line would not read
  // back as that key); CR, LF in names, '=' in key names and ']' in section
  // names become blanks for the same reason, and a section name loses a lead
  // byte at its end (the ']' after it would read as its trail byte; reading
  // and lookups drop it too). Writing a value the key already reads as is
  // not a change.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Text as stored: the whole rest of the line after '=', blanks and quotes
  // included; written as it is (CR and LF still become blanks). For text
  // whose surrounding blanks are part of it, such as a day's title. Writing
  // the bytes already stored is not a change.
  std::string ReadVerbatim(std::string_view section, std::string_view key, std::string_view def) const;
  void WriteVerbatim(std::string_view section, std::string_view key, std::string_view value);
  // Integer: see ParseInteger, on the value as ReadString gives it; anything
  // unreadable (or out of int range) gives def.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  void WriteInteger(std::string_view section, std::string_view key, int value);
  // Flag: read as an integer, 0 false and any other number true; an unreadable
  // value gives def. Written as "1" or "0".
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Short forms on the current section.
  std::string ReadString(std::string_view key, std::string_view def) const { return ReadString(m_section, key, def); }
  void WriteString(std::string_view key, std::string_view value) { WriteString(m_section, key, value); }
  int ReadInteger(std::string_view key, int def) const { return ReadInteger(m_section, key, def); }
  void WriteInteger(std::string_view key, int value) { WriteInteger(m_section, key, value); }
  bool ReadBool(std::string_view key, bool def) const { return ReadBool(m_section, key, def); }
  void WriteBool(std::string_view key, bool value) { WriteBool(m_section, key, value); }

  // Colour: a colour name ("clWindow", "clNavy", ...) or "$" and eight hex
  // digits 00BBGGRR; anything else gives def. Written as the name when the
  // colour has one.
  TColorRef ReadColor(std::string_view section, std::string_view key, TColorRef def) const;
  void WriteColor(std::string_view section, std::string_view key, TColorRef value);
  // Shortcut in its text form ("Ctrl+S", "Shift+Ctrl+F3", "" for none). The
  // GUI parses it; a missing key gives def, a present empty value "none".
  std::string ReadShortCut(std::string_view section, std::string_view key, std::string_view def) const;
  // "FontName" and "FontSize" of `section`. A missing or empty name, or an
  // unreadable size, takes the value of `def`.
  TFontSpec ReadFont(std::string_view section, const TFontSpec& def) const;
  void WriteFont(std::string_view section, const TFontSpec& font);
  // "Top", "Left", "Width", "Height" (each followed by `suffix`, as in
  // "TopPosition"); each missing key keeps the value of `current`.
  TBounds ReadBounds(std::string_view section, const TBounds& current, std::string_view suffix = {}) const;
  void WriteBounds(std::string_view section, const TBounds& bounds, std::string_view suffix = {});
  // A command's checked state, as a flag.
  void WriteChecked(std::string_view section, std::string_view key, bool checked) { WriteBool(section, key, checked); }

private:
  struct TEntry {
    std::string key;
    std::string value;  // as stored: the rest of the line after '='
  };
  // Folded name (see FoldName in the .cpp) -> position in the list beside it.
  using TIndex = std::unordered_map<std::string, std::size_t>;
  struct TSectionData {
    std::string name;
    std::vector<TEntry> entries;  // file order
    TIndex keys;
  };

  void Load();
  void Parse(std::string_view text);
  const TSectionData* FindSection(std::string_view name) const;
  TSectionData* FindSection(std::string_view name);
  // The section named `name` (already cleaned), appended when missing.
  TSectionData& AddSection(std::string_view name);
  const TEntry* FindEntry(std::string_view section, std::string_view key) const;
  // The entry a write to `key` goes to, appended with an empty value (a
  // change) when missing; nullptr for a key name that cannot be written.
  TEntry* EntryToWrite(std::string_view section, std::string_view key);

  std::string m_path;
  bool m_writeBack;
  bool m_modified = false;
  bool m_readFailed = false;
  std::string m_section;
  std::vector<TSectionData> m_sections;  // file order
  TIndex m_sectionIndex;
};

}  // namespace quillet
