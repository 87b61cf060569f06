// The reserved-word list; see ReserveWordList.h.
#include "core/editor/ReserveWordList.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/base/CodePage.h"

namespace quillet {

void FoldReserveKey(std::string_view text, std::string& out) {
  out.assign(text);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t length = CharLength(out, i);
    if (length == 1 && out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
    i += length;
  }
}

void TReserveWordList::Add(std::string_view word) {
  if (word.empty()) return;
  std::string key;
  FoldReserveKey(word, key);
  m_words.insert(std::upper_bound(m_words.begin(), m_words.end(), key), std::move(key));
  Changed();
}

void TReserveWordList::Clear() {
  if (m_words.empty()) return;
  m_words.clear();
  Changed();
}

bool TReserveWordList::Contains(std::string_view text) const {
  if (m_words.empty() || text.empty() || text.size() > kReserveWordMax) return false;
  FoldReserveKey(text, m_key);
  return std::binary_search(m_words.begin(), m_words.end(), m_key);
}

void TReserveWordList::SetText(std::string_view bytes) {
  m_words.clear();
  std::string key;
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t end = i;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    std::string_view line = bytes.substr(i, end - i);
    line = line.substr(0, line.find('\0'));
    std::size_t kept = 0;
    while (kept < line.size() && kept + CharLength(line, kept) <= kReserveWordMax) kept += CharLength(line, kept);
    if (kept > 0) {
      FoldReserveKey(line.substr(0, kept), key);
      m_words.push_back(key);
    }
    i = end;
    if (i < bytes.size() && bytes[i] == '\r') ++i;
    if (i < bytes.size() && bytes[i] == '\n') ++i;
  }
  std::sort(m_words.begin(), m_words.end());
  Changed();
}

bool TReserveWordList::LoadFromFile(const std::string& path) {
  m_words.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    const bool missing = errno == ENOENT || errno == ENOTDIR;
    Changed();
    return missing;
  }
  // Only a regular file: a pipe or device could block or never end.
  struct stat info {};
  std::string bytes;
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  if (ok) {
    bytes.resize(std::min<std::size_t>(static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)), kReserveFileMax));
    std::size_t got = 0;
    while (got < bytes.size()) {
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) ok = false;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
  }
  ::close(fd);
  if (!ok) {
    Changed();
    return false;
  }
  SetText(bytes);
  return true;
}

}  // namespace quillet
