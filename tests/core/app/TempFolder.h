// A private temporary folder for one test (mkdtemp under /tmp), removed with
// everything in it when the test ends, so tests never touch the home folder;
// and the small file, command and code page helpers the tests share.
#pragma once

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/IconvText.h"

namespace quillet::test {

class TTempFolder {
public:
  TTempFolder() {
    char name[] = "/tmp/quillet-test-XXXXXX";
    if (::mkdtemp(name)) m_path = std::string(name) + "/";
  }
  ~TTempFolder() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::string& Path() const { return m_path; }  // trailing "/"
  std::string operator/(const std::string& name) const { return m_path + name; }

private:
  std::string m_path;
};

inline void WriteRaw(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadRaw(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<unsigned>(st.st_mode & 07777) : 0u;
}

// Names in `folder`, to check that no temporary file was left behind.
inline std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

// Standard output of a shell command (reference tools: GNU grep, date).
inline bool RunCommand(const std::string& command, std::string& output) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return false;
  output.clear();
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  return ::pclose(pipe) == 0;
}

// What one run of quillet-cli gave.
struct TRun {
  int status = -1;  // exit status; -1 when it did not exit normally
  std::string out;
  std::string err;
};

// Runs quillet-cli on the program folder `app` with `args` (shell words, as
// typed), `input` as its standard input, and its output piped through the
// shell command `pipeTo` when given (a failure on either side fails the run).
// `scratch` holds the script and the captured streams.
inline TRun RunCli(const TTempFolder& scratch, const std::string& app, const std::string& args,
                   const std::string& input = {}, const std::string& pipeTo = {}) {
  WriteRaw(scratch / "cli.in", input);
  std::string line = "set -o pipefail\nQUILLET_APP_FOLDER='" + app + "' '" + QUILLET_CLI + "' " + args + " <'" +
                     (scratch / "cli.in") + "'";
  if (!pipeTo.empty()) line += " | " + pipeTo;
  WriteRaw(scratch / "cli.sh", line + " >'" + (scratch / "cli.out") + "' 2>'" + (scratch / "cli.err") + "'\n");
  const int status = std::system(("bash '" + (scratch / "cli.sh") + "'").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadRaw(scratch / "cli.out"), ReadRaw(scratch / "cli.err")};
}

// `utf8` in code page 932 as glibc's iconv(3) gives it, converted in-process.
inline std::string Cp932(const std::string& utf8) { return IconvToCp932(utf8); }

// Runs `check` with the permission bits in force. Root reads and writes
// whatever the bits say, so as root `check` runs in a child process that has
// handed `folder` (and all below it) to the user and group 65534 and become
// that user. Returns what `check` returned (false when the child failed).
// `check` reports through its result and standard error: a failed EXPECT
// in the child would not reach the test.
template <typename TCheck>
bool AsOrdinaryUser(const std::string& folder, TCheck check) {
  if (::geteuid() != 0) return check();
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored)) {
      if (::lchown(entry.path().c_str(), kNobody, kNobody) != 0) ::_exit(3);
    }
    if (::lchown(folder.c_str(), kNobody, kNobody) != 0) ::_exit(3);
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(3);
    const bool ok = check();
    std::fflush(nullptr);
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace quillet::test
