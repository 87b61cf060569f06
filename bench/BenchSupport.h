// Helpers shared by the benchmarks that time a process or need code page 932
// text: each failure ends the benchmark with a message naming it.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/base/CodePage.h"

extern char** environ;

namespace quillet::bench {

// `utf8` in code page 932; a text it cannot hold ends the benchmark `name`.
inline std::string Sjis(const std::string& utf8, const char* name) {
  std::string out;
  if (!FromUtf8(utf8, out)) {
    std::fprintf(stderr, "%s: cannot convert %s\n", name, utf8.c_str());
    std::exit(1);
  }
  return out;
}

// The bytes of `utf8` in code page 932 as a pattern of GNU grep -E in the C
// locale: every byte that is an ERE metacharacter, trail bytes included (ー
// is 0x81 '['), escaped.
inline std::string GnuBytes(const std::string& utf8, const char* name) {
  std::string out;
  for (const char c : Sjis(utf8, name)) {
    if (std::string_view("[]\\()|*+?.^${}").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

// Runs argv (argv[0] a path) with standard output to the file `output` and
// the locale variables replaced by `env`; the wall time in seconds. A
// failure to start, or an exit status above 1 (grep's "no match"), ends the
// benchmark `name`.
inline double RunTimed(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                       const std::string& output, const char* name) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> environment(env);
  for (char** e = environ; *e; ++e) {
    if (std::string(*e).rfind("LC_", 0) != 0 && std::string(*e).rfind("LANG", 0) != 0) environment.push_back(*e);
  }
  std::vector<char*> envp;
  for (auto& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  const auto begin = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), envp.data()) != 0) {
    std::fprintf(stderr, "%s: cannot start %s\n", name, argv[0].c_str());
    std::exit(1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
    std::fprintf(stderr, "%s: %s failed (status %d)\n", name, argv[0].c_str(), status);
    std::exit(1);
  }
  return seconds;
}

}  // namespace quillet::bench
