// TTxtFile: reads a text file for the grep in blocks of whole lines, and the
// two exceptions that end a scan.
//
// After each ReadBlock(), Lines() is
//     "\n" line end line end ... line end
// the line feed before its first line (an artificial one before line 1),
// then whole lines, each followed by its end: a line feed, or carriage
// return + line feed as stored (left in place, so that the usual diary file
// costs no copying; TrimLineEnd drops the carriage return). A lone carriage
// return is read as a line feed, and a last line without a line end gets
// one. So every line ends at a line feed, and a carriage return is always
// directly followed by one. A line never spans two blocks:
// the part of a line that a read cuts off is carried into the next block, and
// a line longer than a block grows the buffer until it fits. Line numbers
// are 1-based; an empty file has no lines, and a file ending in a line end
// has no empty line after it.
//
// The file is read 102400 bytes at a time and never held whole (one line
// excepted). The cancel flag, when given, is checked after every block read;
// the grep also checks it before every line it reports (CheckCancel).
#pragma once

#include <atomic>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

class EEndOfFile : public std::runtime_error {
public:
  EEndOfFile() : std::runtime_error("End Of File") {}
};

class EGrepCancel : public std::runtime_error {
public:
  EGrepCancel() : std::runtime_error("CancelRequest") {}
};

// The text of the line [start, end) of Lines() (end: its line feed),
// without the carriage return of a CR LF end.
inline std::string_view TrimLineEnd(std::string_view lines, std::size_t start, std::size_t end) {
  if (end > start && lines[end - 1] == '\r') --end;
  return lines.substr(start, end - start);
}

// The number of line feeds in [data, data + size): 16 bytes per step, for
// line numbering over whole blocks.
std::size_t CountLineFeeds(const char* data, std::size_t size) noexcept;

// `text` in the form of Lines(): a line feed first, each lone carriage
// return turned into a line feed, and a line feed after a last line that
// has no line end. So a text held in memory (a decrypted entry) is split
// into exactly the lines, with the same numbers, as a file of its bytes.
// An empty text gives "\n" alone (no line).
std::string LinesOfText(std::string_view text);

// Text in memory is searched in blocks of whole lines about as large as the
// file reader's, so that a cancel is seen as soon: the offset of the line
// feed that ends the block after the line feed at `from` (a block of one
// line when that line is longer). `lines` in the form of LinesOfText.
std::size_t BlockEndAfter(std::string_view lines, std::size_t from);

class TTxtFile {
public:
  static constexpr std::size_t kBlockSize = 102400;

  // Opens `path` for reading. Throws std::system_error (with errno) when it
  // cannot be opened. `cancel` (may be null) must outlive the reader.
  explicit TTxtFile(const std::string& path, const std::atomic<bool>* cancel = nullptr);
  ~TTxtFile();
  TTxtFile(const TTxtFile&) = delete;
  TTxtFile& operator=(const TTxtFile&) = delete;

  // Reads the next block of whole lines. Throws EEndOfFile when no line is
  // left, EGrepCancel when the cancel flag is set, std::system_error on a
  // read error.
  void ReadBlock();
  // The current block (see above); valid until the next ReadBlock().
  std::string_view Lines() const noexcept { return {m_buffer.data(), m_linesEnd}; }
  // The number of the first line of Lines().
  std::size_t FirstLineNumber() const noexcept { return m_firstLine; }
  // Throws EGrepCancel when the cancel flag is set.
  void CheckCancel() const;

private:
  // Appends up to kBlockSize bytes at m_size; false at the end of the file.
  bool ReadMore();
  // Turns every lone CR in [from, m_size) into LF; a CR at the very end is
  // left for the next read (it may be the first half of CR LF) unless the
  // file has ended.
  void Normalize(std::size_t from);

  int m_fd = -1;
  const std::atomic<bool>* m_cancel;
  std::vector<char> m_buffer;
  std::size_t m_size = 0;         // bytes in the buffer
  std::size_t m_linesEnd = 0;     // Lines() is [0, m_linesEnd)
  std::size_t m_normalized = 0;   // bytes before this are normalized
  std::size_t m_firstLine = 1;
  std::size_t m_linesInBlock = 0;
  bool m_eof = false;
};

}  // namespace quillet
