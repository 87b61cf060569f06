// TTxtFile: block reading; lone carriage returns become line feeds in place.
#include "core/search/TxtFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <system_error>

namespace quillet {

namespace {

// 16 bytes as one value (GCC and Clang vector extensions: SSE2 on x86-64,
// NEON on arm64, plain code elsewhere).
using TBytes16 = char __attribute__((vector_size(16)));

TBytes16 Load16(const char* p) noexcept {
  TBytes16 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

bool AnyByte(TBytes16 v) noexcept {
  std::uint64_t halves[2];
  std::memcpy(halves, &v, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

}  // namespace

std::size_t CountLineFeeds(const char* data, std::size_t size) noexcept {
  std::size_t count = 0;
  std::size_t i = 0;
  const TBytes16 lf = {'\n', '\n', '\n', '\n', '\n', '\n', '\n', '\n',
                       '\n', '\n', '\n', '\n', '\n', '\n', '\n', '\n'};
  while (size - i >= 16) {
    // Per-byte counters (each step adds 1 where a byte is '\n'), emptied
    // before they can wrap.
    TBytes16 sums = {};
    const std::size_t steps = std::min<std::size_t>((size - i) / 16, 255);
    for (std::size_t k = 0; k < steps; ++k, i += 16) sums -= (Load16(data + i) == lf);
    unsigned char bytes[16];
    std::memcpy(bytes, &sums, sizeof bytes);
    for (const unsigned char b : bytes) count += b;
  }
  for (; i < size; ++i) count += data[i] == '\n';
  return count;
}

std::string LinesOfText(std::string_view text) {
  std::string lines;
  lines.reserve(text.size() + 2);
  lines += '\n';
  lines += text;
  for (std::size_t cr = lines.find('\r', 1); cr != std::string::npos; cr = lines.find('\r', cr + 1)) {
    if (cr + 1 == lines.size() || lines[cr + 1] != '\n') lines[cr] = '\n';
  }
  if (lines.back() != '\n') lines += '\n';
  return lines;
}

std::size_t BlockEndAfter(std::string_view lines, std::size_t from) {
  const std::size_t last = lines.size() - 1;
  if (last - from <= TTxtFile::kBlockSize) return last;
  const std::size_t end = lines.rfind('\n', from + TTxtFile::kBlockSize);
  return end != from ? end : lines.find('\n', from + 1);  // one line longer than a block
}

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
  std::size_t pos = from;
  // Only a lone carriage return changes; most files have CR LF on every
  // line. Skip 16 bytes at a time while each carriage return among them is
  // followed by a line feed, rather than stopping at every line.
  const TBytes16 returns = {'\r', '\r', '\r', '\r', '\r', '\r', '\r', '\r',
                            '\r', '\r', '\r', '\r', '\r', '\r', '\r', '\r'};
  const TBytes16 feeds = {'\n', '\n', '\n', '\n', '\n', '\n', '\n', '\n',
                          '\n', '\n', '\n', '\n', '\n', '\n', '\n', '\n'};
  const auto lone = [&](std::size_t at) {
    return data[at] == '\r' && (at + 1 == m_size || data[at + 1] != '\n');
  };
  for (;;) {
    while (m_size - pos >= 17 && !AnyByte((Load16(data + pos) == returns) & ~(Load16(data + pos + 1) == feeds))) {
      pos += 16;
    }
    while (pos < m_size && !lone(pos)) ++pos;  // at most 16 bytes, or the tail
    if (pos == m_size) {
      m_normalized = m_size;
      return;
    }
    const std::size_t cr = pos;
    if (cr + 1 == m_size && !m_eof) {
      m_normalized = cr;  // CR LF may be split by the read: decide next time
      return;
    }
    if (cr + 1 == m_size || data[cr + 1] != '\n') data[cr] = '\n';
    pos = cr + 1;
  }
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
  m_linesInBlock = CountLineFeeds(m_buffer.data() + 1, m_linesEnd - 1);
}

}  // namespace quillet
