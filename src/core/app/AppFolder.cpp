// Locating the program folder, and the small folder helpers built on POSIX
// calls (see AppFolder.h).
#include "core/app/AppFolder.h"

#include "core/base/CodePage.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace quillet {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

const passwd* PasswordEntry(passwd& storage, std::vector<char>& buffer) {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  buffer.resize(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd* result = nullptr;
  while (::getpwuid_r(::getuid(), &storage, buffer.data(), buffer.size(), &result) == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  return result;
}

TAppFolderInputs RealInputs() {
  TAppFolderInputs inputs;
  inputs.appFolderVariable = Environment("QUILLET_APP_FOLDER");
  inputs.xdgDataHome = Environment("XDG_DATA_HOME");
  inputs.home = Environment("HOME");
  if (inputs.home.empty()) {
    passwd storage{};
    std::vector<char> buffer;
    if (const passwd* entry = PasswordEntry(storage, buffer); entry && entry->pw_dir) inputs.home = entry->pw_dir;
  }
  inputs.executableFolder = ExecutableFolder();
  inputs.executableHasOptionFolder =
      !inputs.executableFolder.empty() && FolderExists(inputs.executableFolder + "Option");
  return inputs;
}

}  // namespace

std::string ExecutableFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size()) {
      const std::string path(buffer.data(), static_cast<std::size_t>(n));
      const auto slash = path.rfind('/');
      return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string WithTrailingSlash(std::string path) {
  if (path.empty()) return path;
  while (!path.empty() && path.back() == '/') path.pop_back();
  path += '/';
  return path;
}

std::string ResolveAppFolder(const TAppFolderInputs& inputs) {
  if (!inputs.appFolderVariable.empty()) return WithTrailingSlash(inputs.appFolderVariable);
  if (!inputs.executableFolder.empty() && inputs.executableHasOptionFolder) {
    return WithTrailingSlash(inputs.executableFolder);
  }
  if (!inputs.xdgDataHome.empty() && inputs.xdgDataHome.front() == '/') {
    return WithTrailingSlash(inputs.xdgDataHome) + "quillet/";
  }
  if (!inputs.home.empty()) return WithTrailingSlash(inputs.home) + ".local/share/quillet/";
  if (!inputs.executableFolder.empty()) return WithTrailingSlash(inputs.executableFolder);
  return "./";
}

std::string AppFolder() {
  static const std::string folder = ResolveAppFolder(RealInputs());
  return folder;
}

std::string OptionFolder(const std::string& appFolder) { return appFolder + "Option/"; }

std::string SettingsFilePath(const std::string& appFolder) { return OptionFolder(appFolder) + "quillet.ini"; }

std::string LoginName() {
  passwd storage{};
  std::vector<char> buffer;
  if (const passwd* entry = PasswordEntry(storage, buffer); entry && entry->pw_name && *entry->pw_name) {
    return entry->pw_name;
  }
  return Environment("USER");
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool EnsureFolder(const std::string& path) {
  if (path.empty()) return false;
  if (FolderExists(path)) return true;
  // Create each missing level from the top, so that every folder we make
  // gets 0700 whatever the umask.
  std::size_t pos = path.front() == '/' ? 1 : 0;
  for (;;) {
    const std::size_t slash = path.find('/', pos);
    const std::string level = path.substr(0, slash);
    if (!level.empty() && level.back() != '/' && !FolderExists(level)) {
      if (::mkdir(level.c_str(), 0700) == 0) {
        ::chmod(level.c_str(), 0700);
      } else if (errno != EEXIST || !FolderExists(level)) {
        return false;
      }
    }
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  return FolderExists(path);
}

std::string PathFromSetting(const std::string& cp932) {
  std::string utf8;
  return ToUtf8(cp932, utf8) ? utf8 : cp932;
}

std::string PathToSetting(const std::string& utf8) {
  std::string cp932;
  return FromUtf8(utf8, cp932) ? cp932 : utf8;
}

}  // namespace quillet
