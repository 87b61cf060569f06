// quillet-cli: reads the same program folder and settings file as Quillet
// (QUILLET_APP_FOLDER, else the usual rule) and works on the diary through
// the same core code, so what it writes is what the program would write.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli/CliCommand.h"

namespace quillet::cli {

std::vector<TCliCommand>& Commands() {
  static std::vector<TCliCommand> commands;
  return commands;
}

}  // namespace quillet::cli

namespace {

void PrintHelp(std::FILE* out) {
  std::fputs("usage: quillet-cli COMMAND [ARGS]\n\ncommands:\n", out);
  auto commands = quillet::cli::Commands();
  std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& command : commands) std::fprintf(out, "  %-40s %s\n", command.usage.c_str(), command.summary.c_str());
  std::fputs("\n'quillet-cli COMMAND --help' describes one command.\n", out);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quillet::cli;
  if (argc < 2) {
    PrintHelp(stderr);
    return kExitUsage;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(stdout);
    return kExitOk;
  }
  for (const auto& command : Commands()) {
    if (command.name != name) continue;
    std::vector<std::string> args(argv + 2, argv + argc);
    // A command reports its own failures; what escapes it (an entry larger
    // than memory, say) still ends with a message, never an abort.
    try {
      return command.run(args);
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "quillet-cli %s: not enough memory; nothing was written\n", name.c_str());
    } catch (const std::exception& error) {
      std::fprintf(stderr, "quillet-cli %s: %s\n", name.c_str(), error.what());
    }
    return kExitFailure;
  }
  std::fprintf(stderr, "quillet-cli: unknown command '%s'\n", name.c_str());
  PrintHelp(stderr);
  return kExitUsage;
}
