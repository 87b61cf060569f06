// Whole-file reading and crash-safe replacement (see AtomicFile.h).
//
// The write sequence is the usual POSIX one: mkstemp beside the target, write
// everything, fsync, rename, fsync the folder. The temporary name starts with
// a dot and ends in random characters, so neither the diary's file name rules
// nor the picture masks ("*.bmp") can mistake a left-over for real data.
#include "core/base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace quillet {
namespace {

// NAME_MAX is 255 on the file systems we meet; a long target name is cut so
// that "." + name + "." + six random characters still fits.
constexpr std::size_t kMaxTempBaseLength = 200;

void SetError(std::string* error, const char* what, const std::string& path, int errorNumber) {
  if (error) {
    *error = std::string(what) + " " + path + ": " + std::strerror(errorNumber);
  }
}

void SetError(std::string* error, const std::string& message) {
  if (error) *error = message;
}

// The file to replace: a symbolic link is resolved so that it survives the
// rename. A dangling link cannot be resolved; it is then replaced itself.
std::string ResolveTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      std::string resolved(real);
      std::free(real);
      return resolved;
    }
  }
  return path;
}

void SplitPath(const std::string& path, std::string& folder, std::string& base) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) {
    folder.assign(1, '.');
    base = path;
  } else {
    folder = slash == 0 ? "/" : path.substr(0, slash);
    base = path.substr(slash + 1);
  }
}

bool WriteAll(int fd, std::string_view bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SyncFd(int fd) {
  while (::fsync(fd) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

}  // namespace

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  SyncFd(fd);
  ::close(fd);
}

bool IsStagedTempName(std::string_view name) noexcept {
  constexpr std::size_t kRandom = 6;
  // "." + at least one character + ".~" + six random characters.
  if (name.size() < 1 + 1 + 2 + kRandom || name.front() != '.') return false;
  const std::string_view tail = name.substr(name.size() - kRandom - 2);
  if (tail[0] != '.' || tail[1] != '~') return false;
  for (const char c : tail.substr(2)) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!alnum) return false;
  }
  return true;
}

TStagedFile::TStagedFile(TStagedFile&& other) noexcept
    : m_target(std::move(other.m_target)), m_temp(std::move(other.m_temp)) {
  other.m_temp.clear();
}

TStagedFile& TStagedFile::operator=(TStagedFile&& other) noexcept {
  if (this != &other) {
    Discard();
    m_target = std::move(other.m_target);
    m_temp = std::move(other.m_temp);
    other.m_temp.clear();
  }
  return *this;
}

void TStagedFile::Discard() noexcept {
  if (m_temp.empty()) return;
  ::unlink(m_temp.c_str());
  m_temp.clear();
}

bool TStagedFile::Stage(const std::string& path, std::string_view bytes, std::string* error,
                        TReadOnlyTarget readOnly, bool readOnlyResult) {
  Discard();
  if (path.empty() || path.back() == '/') {
    SetError(error, "not a file name: \"" + path + "\"");
    return false;
  }
  const std::string target = ResolveTarget(path);
  std::string folder;
  std::string base;
  SplitPath(target, folder, base);

  mode_t mode = S_IRUSR | S_IWUSR;
  bool replacing = false;
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0) {
    if (!S_ISREG(old.st_mode)) {
      SetError(error, "not a regular file: " + target);
      return false;
    }
    if ((old.st_mode & S_IWUSR) == 0 && readOnly == TReadOnlyTarget::Refuse) {
      SetError(error, "read-only file: " + target);
      return false;
    }
    mode = (old.st_mode & 0777) | S_IRUSR | S_IWUSR;
    replacing = true;
  } else if (errno != ENOENT) {
    SetError(error, "cannot examine", target, errno);
    return false;
  }
  if (readOnlyResult) mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);

  std::string templ = folder + "/." + base.substr(0, kMaxTempBaseLength) + ".~XXXXXX";
  std::vector<char> name(templ.begin(), templ.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    SetError(error, "cannot create a temporary file in", folder, errno);
    return false;
  }
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  const std::string tempPath(name.data());

  auto fail = [&](const char* what, int errorNumber, bool fdOpen) {
    if (fdOpen) ::close(fd);
    ::unlink(tempPath.c_str());
    SetError(error, what, target, errorNumber);
    return false;
  };

  // The mode is set on the open descriptor, which keeps its write access.
  if (::fchmod(fd, mode) != 0) return fail("cannot set the mode of the new", errno, true);
  if (replacing && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
    // Only succeeds for a privileged caller; otherwise the file becomes ours,
    // which is what any editor's save does too.
    [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
  }
  if (!WriteAll(fd, bytes)) return fail("cannot write", errno, true);
  if (!SyncFd(fd)) return fail("cannot flush", errno, true);
  if (::close(fd) != 0) return fail("cannot close", errno, false);
  m_target = target;
  m_temp = tempPath;
  return true;
}

bool TStagedFile::Commit(std::string* error) {
  if (m_temp.empty()) {
    SetError(error, "nothing staged for " + m_target);
    return false;
  }
  if (::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    SetError(error, "cannot replace", m_target, errno);
    Discard();
    return false;
  }
  m_temp.clear();
  return true;
}

bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error,
                     TReadOnlyTarget readOnly) {
  TStagedFile staged;
  if (!staged.Stage(path, bytes, error, readOnly)) return false;
  const std::string target = staged.Target();
  if (!staged.Commit(error)) return false;
  std::string folder;
  std::string base;
  SplitPath(target, folder, base);
  SyncFolder(folder);
  return true;
}

bool AppendFile(const std::string& path, std::string_view bytes, mode_t mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, mode);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, bytes) && SyncFd(fd);
  return ::close(fd) == 0 && ok;
}

bool ReadFileBytes(const std::string& path, std::string& out) {
  // O_NONBLOCK keeps a named pipe from blocking the open; it is rejected below.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    return false;
  }
  std::string data;
  if (st.st_size > 0) data.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int saved = errno;
      ::close(fd);
      errno = saved;
      return false;
    }
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  out.swap(data);
  return true;
}

namespace {

// Creates the first free "<path>.bak", "<path>.bak1", ... with `make`, which
// returns 0 when it created the candidate, EEXIST when the name is taken, or
// another errno value.
template <typename TMake>
bool FirstFreeBackup(const std::string& path, std::string& kept, std::string* error, TMake make) {
  for (int n = 0; n < 1000; ++n) {
    const std::string candidate = path + ".bak" + (n ? std::to_string(n) : std::string());
    const int result = make(candidate);
    if (result == 0) {
      kept = candidate;
      return true;
    }
    if (result != EEXIST) {
      SetError(error, "cannot keep a copy as", candidate, result);
      return false;
    }
  }
  SetError(error, "no free name to keep a copy of " + path);
  return false;
}

// A new file with `bytes`, private to its owner, made only if `candidate` is
// free. Returns 0 or an errno value; a failed file is removed again.
int CreateNewFile(const std::string& candidate, std::string_view bytes) {
  const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  std::size_t done = 0;
  int failure = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failure = n < 0 ? errno : EIO;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  ::close(fd);
  if (failure != 0) ::unlink(candidate.c_str());
  return failure;
}

}  // namespace

bool SetAsideFile(const std::string& path, std::string& kept, std::string* error) {
  const bool ok = FirstFreeBackup(path, kept, error, [&](const std::string& candidate) {
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK && errno != ENOSYS) return errno;
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) return errno;
    return CreateNewFile(candidate, bytes);
  });
  if (ok) SyncFolder(path.substr(0, path.rfind('/') + 1));
  return ok;
}

bool WriteNewBackup(const std::string& path, std::string_view bytes, std::string& kept, std::string* error) {
  return FirstFreeBackup(path, kept, error, [&](const std::string& candidate) { return CreateNewFile(candidate, bytes); });
}

}  // namespace quillet
