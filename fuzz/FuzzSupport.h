// What the harnesses share: a scratch folder of their own for parsers that
// read only from a path, and a check that stops the run with a message.
//
// The folder lives in /dev/shm when there is one (a tmpfs: the atomic saves'
// fsync costs nothing there, so a harness that saves still runs thousands of
// inputs a second) and is removed when the process exits normally. One per
// process, so -jobs/-workers runs never share files.
#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace quillet::fuzz {

inline void RemoveTree(const std::string& path) {
  if (DIR* dir = ::opendir(path.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string child = path + "/" + name;
      if (::unlink(child.c_str()) != 0) RemoveTree(child);
    }
    ::closedir(dir);
  }
  ::rmdir(path.c_str());
}

// The process's scratch folder, without a trailing "/".
inline const std::string& ScratchFolder() {
  static const std::string folder = [] {
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    if (const char* tmp = std::getenv("QUILLET_FUZZ_TMP")) base = tmp;
    std::string name = base + "/quillet-fuzz-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    static std::string removed;
    removed = name;
    std::atexit([] { RemoveTree(removed); });
    return name;
  }();
  return folder;
}

// Replaces the file `name` of the scratch folder with `bytes`; its path.
inline std::string WriteScratch(std::string_view name, std::string_view bytes) {
  const std::string path = ScratchFolder() + "/" + std::string(name);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    std::perror(path.c_str());
    std::abort();
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) {
      std::perror(path.c_str());
      std::abort();
    }
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return path;
}

// A broken property: says which and aborts, so that libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
  std::abort();
}

}  // namespace quillet::fuzz

#define FUZZ_CHECK(condition) \
  do { \
    if (!(condition)) ::quillet::fuzz::Fail(__FILE__, __LINE__, #condition); \
  } while (false)
