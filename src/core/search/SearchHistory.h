// The search history files of the options folder: "Find.txt" (find, replace
// and the repeat commands), "Replace.txt" (replacement texts) and "Grep.txt"
// (grep; the squeeze box shows it without adding to it).
//
// A history file is plain text in code page 932, one entry per line, most
// recent first, lines ended by CR LF, no header. Reading accepts CR LF, LF or
// a lone CR and skips empty lines. TSearchHistory keeps the list a search box
// shows; the combo box wrapper of the GUI mirrors it and calls these rules:
//  - Add puts a text at the top, removing every entry exactly equal to it
//    (bytes compared, so "abc" and "ABC" are two entries), and saves the whole
//    list. When the file's folder does not exist nothing happens at all.
//  - AddAndLimit (find and replace) then cuts the list to `limit` entries;
//    the file keeps what Add saved, so it may hold one entry more.
//  - A file that exists but cannot be read is never replaced: writing the
//    short list this program holds over it would lose the entries in it. Add
//    then keeps the text in the list only and says so (Unreadable). When such
//    a file becomes readable later, its entries join the list (after the
//    ones added meanwhile) before the next save.
// Files are replaced atomically (WriteFileAtomic). Entries are bytes as
// stored; conversion for display happens in the GUI. Not thread-safe; the
// user-interface thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

enum class THistoryRead {
  Missing,     // no file: an empty history
  Read,        // the file was read
  Unreadable,  // the file exists but could not be read
};

enum class THistorySave {
  Saved,       // the list is in the file
  NoFolder,    // the file's folder does not exist: nothing changed
  Unreadable,  // the file could not be read, so it was left alone
  Failed,      // the write failed; the old file is untouched
  Refused,     // the text is empty or holds a line end: nothing changed
};

// The non-empty lines of `bytes` in order (CR LF, LF or CR end a line).
std::vector<std::string> SplitHistoryLines(std::string_view bytes);

// The first line of the history file `path`, as stored (it may be empty).
// Missing or Unreadable leave `line` empty.
THistoryRead ReadFirstHistoryLine(const std::string& path, std::string& line);

class TSearchHistory {
public:
  explicit TSearchHistory(std::string path) : m_path(std::move(path)) {}

  const std::string& Path() const { return m_path; }
  const std::vector<std::string>& Items() const { return m_items; }

  // Replaces the list with the file's non-empty lines in file order (empty
  // when the file is missing or unreadable).
  THistoryRead Load();
  // `text` (code page 932, no line end) to the top, once; then saved. The
  // list changes unless NoFolder or Refused comes back.
  THistorySave Add(std::string_view text);
  // Add, then the list is cut to `limit` entries (negative counts as 0).
  THistorySave AddAndLimit(std::string_view text, int limit);

private:
  std::string m_path;
  std::vector<std::string> m_items;
  // The file existed but could not be read when last loaded: its entries
  // are not in the list yet.
  bool m_unread = false;
};

}  // namespace quillet
