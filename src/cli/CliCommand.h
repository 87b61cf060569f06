// The commands of quillet-cli. Each command file defines one TCliCommand and
// registers it with a TCliRegistrar at namespace scope; main() dispatches on
// the first argument and prints the list for --help.
//
// Output is UTF-8 unless a command offers --raw for the stored code page 932
// bytes. Exit status: 0 success, 1 a failure the command reports (missing
// entry, unreadable file), 2 wrong usage (bad arguments, bad date, bad pattern).
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quillet::cli {

struct TCliCommand {
  std::string name;     // "cat"
  std::string usage;    // "cat DATE [--title] [--raw] [--word WORD | --number N]"
  std::string summary;  // one line for the command list
  // Runs with the arguments after the command name; returns the exit status.
  std::function<int(const std::vector<std::string>& args)> run;
};

std::vector<TCliCommand>& Commands();

struct TCliRegistrar {
  explicit TCliRegistrar(TCliCommand command) { Commands().push_back(std::move(command)); }
};

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

}  // namespace quillet::cli
