// TTxtFile: block reading with line-end normalization; see the header.
#include "core/search/TxtFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace quillet {

TTxtFile::TTxtFile(const std::string& path, const std::atomic<bool>* cancel) : m_cancel(cancel) {
  m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_fd < 0) throw std::system_error(errno, std::generic_category(), path);
  m_buffer.resize(kBlockSize + 100);
  m_buffer[0] = '\n';
  m_size = m_normalized = 1;
}

TTxtFile::~TTxtFile() {
  if (m_fd >= 0) ::close(m_fd);
}

void TTxtFile::CheckCancel() const {
  if (m_cancel && m_cancel->load(std::memory_order_relaxed)) throw EGrepCancel();
}

bool TTxtFile::ReadMore() {
  if (m_eof) return false;
  if (m_buffer.size() < m_size + kBlockSize + 1) m_buffer.resize(std::max(m_buffer.size() * 2, m_size + kBlockSize + 1));
  for (;;) {
    const ssize_t got = ::read(m_fd, m_buffer.data() + m_size, kBlockSize);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw std::system_error(errno, std::generic_category(), "read");
    if (got == 0) {
      m_eof = true;
      return false;
    }
    m_size += static_cast<std::size_t>(got);
    return true;
  }
}

void TTxtFile::Normalize(std::size_t from) {
  char* data = m_buffer.data();
  std::size_t write = from;
  std::size_t read = from;
  while (read < m_size) {
    const void* found = std::memchr(data + read, '\r', m_size - read);
    const std::size_t cr = found ? static_cast<std::size_t>(static_cast<const char*>(found) - data) : m_size;
    if (write != read) std::memmove(data + write, data + read, cr - read);
    write += cr - read;
    read = cr;
    if (cr == m_size) break;
    if (cr + 1 == m_size && !m_eof) break;  // CR LF may be split by the read: decide next time
    data[write++] = '\n';
    read = cr + (cr + 1 < m_size && data[cr + 1] == '\n' ? 2 : 1);
  }
  // An undecided CR stays as the last byte.
  if (read < m_size) data[write++] = data[read];
  m_normalized = read < m_size ? write - 1 : write;
  m_size = write;
}

void TTxtFile::ReadBlock() {
  // Carry the unfinished line (after the last line feed) to the front,
  // behind the line feed that ends the previous block.
  if (m_linesEnd > 0) {
    m_firstLine += m_linesInBlock;
    const std::size_t carry = m_size - m_linesEnd;
    std::memmove(m_buffer.data() + 1, m_buffer.data() + m_linesEnd, carry);
    m_buffer[0] = '\n';
    m_normalized -= m_linesEnd - 1;
    m_size = carry + 1;
    m_linesEnd = 0;
  }
  std::size_t searchFrom = 1;
  for (;;) {
    const bool more = ReadMore();
    Normalize(m_normalized);
    CheckCancel();
    const auto begin = m_buffer.begin() + static_cast<std::ptrdiff_t>(searchFrom);
    const auto end = m_buffer.begin() + static_cast<std::ptrdiff_t>(m_normalized);
    const auto last = std::find(std::make_reverse_iterator(end), std::make_reverse_iterator(begin), '\n');
    if (last.base() != begin) {
      m_linesEnd = static_cast<std::size_t>(last.base() - m_buffer.begin());
      break;
    }
    searchFrom = m_normalized;
    if (!more) {
      if (m_size == 1) throw EEndOfFile();  // nothing after the last line feed
      // A last line without a line end (a pending CR was made LF by Normalize).
      if (m_buffer.size() < m_size + 1) m_buffer.resize(m_size + 1);
      m_buffer[m_size++] = '\n';
      m_normalized = m_size;
      m_linesEnd = m_size;
      break;
    }
  }
  m_linesInBlock = static_cast<std::size_t>(std::count(m_buffer.begin() + 1, m_buffer.begin() + static_cast<std::ptrdiff_t>(m_linesEnd), '\n'));
}

}  // namespace quillet
