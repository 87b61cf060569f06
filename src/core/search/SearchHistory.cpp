// The history file rules; see SearchHistory.h.
#include "core/search/SearchHistory.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/app/AppFolder.h"
#include "core/base/AtomicFile.h"

namespace quillet {

namespace {

THistoryRead ReadHistoryBytes(const std::string& path, std::string& bytes) {
  if (ReadFileBytes(path, bytes)) return THistoryRead::Read;
  return errno == ENOENT || errno == ENOTDIR ? THistoryRead::Missing : THistoryRead::Unreadable;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

}  // namespace

std::vector<std::string> SplitHistoryLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
    if (end > start) lines.emplace_back(bytes.substr(start, end - start));
    start = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

THistoryRead ReadFirstHistoryLine(const std::string& path, std::string& line) {
  line.clear();
  std::string bytes;
  const THistoryRead read = ReadHistoryBytes(path, bytes);
  if (read == THistoryRead::Read) line = bytes.substr(0, bytes.find_first_of("\r\n"));
  return read;
}

THistoryRead TSearchHistory::Load() {
  m_items.clear();
  std::string bytes;
  const THistoryRead read = ReadHistoryBytes(m_path, bytes);
  m_unread = read == THistoryRead::Unreadable;
  if (read == THistoryRead::Read) m_items = SplitHistoryLines(bytes);
  return read;
}

THistorySave TSearchHistory::Add(std::string_view text) {
  // A line end would split the entry in two when the file is read back.
  if (text.empty() || text.find_first_of("\r\n") != std::string_view::npos) return THistorySave::Refused;
  if (!FolderExists(FolderOf(m_path))) return THistorySave::NoFolder;

  std::erase(m_items, text);
  m_items.insert(m_items.begin(), std::string(text));

  if (m_unread) {
    // The entries of a file that could not be read at load come after the
    // ones added since; until it reads, it is left as it is.
    std::string bytes;
    const THistoryRead read = ReadHistoryBytes(m_path, bytes);
    if (read == THistoryRead::Unreadable) return THistorySave::Unreadable;
    m_unread = false;
    for (std::string& line : SplitHistoryLines(bytes))
      if (std::find(m_items.begin(), m_items.end(), line) == m_items.end()) m_items.push_back(std::move(line));
  } else if (::access(m_path.c_str(), F_OK) == 0 && ::access(m_path.c_str(), R_OK) != 0) {
    // The file became unreadable since it was loaded: the list may lack
    // entries another writer put there, so the file stays as it is.
    return THistorySave::Unreadable;
  }

  std::string bytes;
  for (const std::string& item : m_items) bytes.append(item).append("\r\n");
  return WriteFileAtomic(m_path, bytes) ? THistorySave::Saved : THistorySave::Failed;
}

THistorySave TSearchHistory::AddAndLimit(std::string_view text, int limit) {
  const THistorySave saved = Add(text);
  const std::size_t keep = static_cast<std::size_t>(std::max(limit, 0));
  if (m_items.size() > keep) m_items.resize(keep);
  return saved;
}

}  // namespace quillet
