// The thumbnail stream Cache.dat (see ThumbCache.h).
#include "core/viewer/ThumbCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillet {
namespace {

// The BMP file header: "BM", the file length (little-endian 32 bits), two
// reserved words and the pixel offset.
constexpr std::size_t kFileHeaderSize = 14;

std::uint32_t StatedLength(const unsigned char* header) {
  return static_cast<std::uint32_t>(header[2]) | static_cast<std::uint32_t>(header[3]) << 8 |
         static_cast<std::uint32_t>(header[4]) << 16 | static_cast<std::uint32_t>(header[5]) << 24;
}

bool IsBmpHeader(const unsigned char* header) { return header[0] == 'B' && header[1] == 'M'; }

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

}  // namespace

TThumbCache::~TThumbCache() { Release(); }

bool TThumbCache::Create(const std::string& path, std::string* error) {
  std::lock_guard lock(m_mutex);
  if (m_fd >= 0) ::close(m_fd);
  m_size = 0;
  m_path = path;
  m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (m_fd < 0) {
    SetError(error, "cannot create " + path + ": " + std::strerror(errno));
    return false;
  }
  return true;
}

bool TThumbCache::Clear(std::string* error) {
  std::lock_guard lock(m_mutex);
  if (m_fd < 0) {
    SetError(error, std::string(kCacheFileName) + " is not open");
    return false;
  }
  if (::ftruncate(m_fd, 0) != 0) {
    SetError(error, "cannot empty " + m_path + ": " + std::strerror(errno));
    return false;
  }
  m_size = 0;
  return true;
}

void TThumbCache::Release() {
  std::lock_guard lock(m_mutex);
  if (m_fd < 0) return;
  [[maybe_unused]] const int ignored = ::ftruncate(m_fd, 0);  // nothing to do about a failure at release
  ::close(m_fd);
  m_fd = -1;
  m_size = 0;
}

bool TThumbCache::IsOpen() const {
  std::lock_guard lock(m_mutex);
  return m_fd >= 0;
}

std::int64_t TThumbCache::Size() const {
  std::lock_guard lock(m_mutex);
  return m_size;
}

bool TThumbCache::Append(std::string_view bmpFile, std::int64_t& offset, std::string* error) {
  if (bmpFile.size() < kFileHeaderSize || !IsBmpHeader(reinterpret_cast<const unsigned char*>(bmpFile.data())) ||
      StatedLength(reinterpret_cast<const unsigned char*>(bmpFile.data())) != bmpFile.size()) {
    SetError(error, "not a BMP file that states its own length");
    return false;
  }
  std::lock_guard lock(m_mutex);
  if (m_fd < 0) {
    SetError(error, std::string(kCacheFileName) + " is not open");
    return false;
  }
  std::size_t done = 0;
  while (done < bmpFile.size()) {
    const ssize_t n = ::pwrite(m_fd, bmpFile.data() + done, bmpFile.size() - done,
                               static_cast<off_t>(m_size + static_cast<std::int64_t>(done)));
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    const int why = n < 0 ? errno : ENOSPC;
    // Cut off what part of the record reached the file, so the stream ends
    // where the last whole record ends.
    [[maybe_unused]] const int ignored = ::ftruncate(m_fd, static_cast<off_t>(m_size));
    SetError(error, "cannot append to " + m_path + ": " + std::strerror(why));
    return false;
  }
  offset = m_size;
  m_size += static_cast<std::int64_t>(bmpFile.size());
  return true;
}

bool TThumbCache::Read(std::int64_t offset, std::string& bmpFile, std::string* error) const {
  std::lock_guard lock(m_mutex);
  if (m_fd < 0) {
    SetError(error, std::string(kCacheFileName) + " is not open");
    return false;
  }
  const auto readAt = [&](void* into, std::size_t length, std::int64_t at) {
    std::size_t done = 0;
    while (done < length) {
      const ssize_t n = ::pread(m_fd, static_cast<char*>(into) + done, length - done,
                                static_cast<off_t>(at + static_cast<std::int64_t>(done)));
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n == 0 || errno != EINTR) {
        return false;
      }
    }
    return true;
  };
  unsigned char header[kFileHeaderSize];
  if (offset < 0 || offset > m_size - static_cast<std::int64_t>(kFileHeaderSize) ||
      !readAt(header, sizeof header, offset) || !IsBmpHeader(header)) {
    SetError(error, "no thumbnail at offset " + std::to_string(offset) + " of " + m_path);
    return false;
  }
  const std::uint32_t length = StatedLength(header);
  if (length < kFileHeaderSize || static_cast<std::int64_t>(length) > m_size - offset) {
    SetError(error, "the thumbnail at offset " + std::to_string(offset) + " of " + m_path + " is cut short");
    return false;
  }
  std::string bytes(length, '\0');
  if (!readAt(bytes.data(), length, offset)) {
    SetError(error, "cannot read " + m_path + ": " + std::strerror(errno));
    return false;
  }
  bmpFile = std::move(bytes);
  return true;
}

}  // namespace quillet
