// quillet-cli grep: the diary's regular-expression grep over any code page
// 932 text files, through the same TGrep the program uses.
//
//   quillet-cli grep [-e PATTERN]... [--fixed] [--ignore-case] [--raw] FILE...
//
// Prints "file:line:text" for every line TGrep reports, file by file in line
// order, the text in UTF-8 (--raw: the stored bytes). Patterns are UTF-8 and
// are converted to code page 932; without -e the first argument is the
// pattern. Several patterns match a line when any of them does (the line is
// printed once). --fixed searches for the patterns as plain text;
// --ignore-case (with --fixed only, as in the diary grep, where regular
// expressions are always case-sensitive) lowers patterns and lines with the
// code page's case rule first. Exit status: 0 when every file was read,
// 1 when some file could not be, 2 for wrong usage or a bad pattern.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <system_error>
#include <vector>

#include "cli/CliCommand.h"
#include "core/base/CodePage.h"
#include "core/search/Grep.h"
#include "core/search/PlainSearch.h"
#include "core/search/TxtFile.h"

namespace quillet::cli {
namespace {

constexpr const char* kUsage = "grep [-e PATTERN]... [--fixed] [--ignore-case] [--raw] FILE...";

// Collects output and writes it in large pieces: grep output can be large.
class TOutput {
public:
  ~TOutput() { Flush(); }
  void Line(const std::string& file, std::size_t number, std::string_view text, bool raw) {
    m_buffer += file;
    m_buffer += ':';
    m_buffer += std::to_string(number);
    m_buffer += ':';
    if (raw) {
      m_buffer += text;
    } else {
      ToUtf8(text, m_utf8);
      m_buffer += m_utf8;
    }
    m_buffer += '\n';
    if (m_buffer.size() >= (1u << 16)) Flush();
  }
  void Flush() {
    if (!m_buffer.empty()) std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout);
    m_buffer.clear();
  }

private:
  std::string m_buffer;
  std::string m_utf8;
};

int Usage(const char* problem) {
  std::fprintf(stderr, "quillet-cli grep: %s\nusage: quillet-cli %s\n", problem, kUsage);
  return kExitUsage;
}

// `position` counts bytes of the stored (code page 932) pattern from 1;
// `note` follows the pattern when the error came from the joined patterns.
int BadPattern(const std::string& utf8Pattern, const std::string& cp932Message, std::size_t position,
               const char* note = "") {
  std::string message;
  ToUtf8(cp932Message, message);
  std::fprintf(stderr, "quillet-cli grep: %s (position %zu) in pattern '%s'%s\n", message.c_str(), position,
               utf8Pattern.c_str(), note);
  return kExitUsage;
}

int BadPattern(const std::string& utf8Pattern, const ERegExpParser& error) {
  return BadPattern(utf8Pattern, error.Message(), error.Position());
}

// The patterns joined as "(P1)|(P2)|..." can pass a limit of the engine
// (nesting depth, automaton size) that none passes alone; that is a bad
// pattern like any other, not a crash. Its position is taken back to the
// pattern it falls in; a position on a joining character counts for the nearest pattern
// before it (1 before its first byte, length + 1 after its last).
int BadJoinedPatterns(const std::vector<std::string>& utf8Patterns, const std::vector<std::string>& patterns,
                      const ERegExpParser& error) {
  const std::size_t offset = error.Position() > 0 ? error.Position() - 1 : 0;  // from 0 in the joined text
  std::size_t k = 0;
  std::size_t start = 1;  // first byte of pattern k in the joined text, after its "("
  // Pattern k + 1 begins 3 bytes (")|(") after pattern k ends; its "(" is its own.
  while (k + 1 < patterns.size() && offset + 1 >= start + patterns[k].size() + 3) {
    start += patterns[k].size() + 3;
    ++k;
  }
  const std::size_t position = offset < start ? 1 : std::min(offset - start + 1, patterns[k].size() + 1);
  return BadPattern(utf8Patterns[k], error.Message(), position, " (with the other patterns joined to it)");
}

void ReportUnreadable(const std::string& file, const std::system_error& error) {
  std::fprintf(stderr, "quillet-cli grep: %s: %s\n", file.c_str(), std::strerror(error.code().value()));
}

// --fixed --ignore-case: line by line, lowering each line.
bool GrepLowered(const std::string& file, const std::vector<std::string>& patterns, bool raw, TOutput& output) {
  try {
    TTxtFile reader(file);
    for (;;) {
      try {
        reader.ReadBlock();
      } catch (const EEndOfFile&) {
        return true;
      }
      const std::string_view lines = reader.Lines();
      std::size_t number = reader.FirstLineNumber();
      for (std::size_t start = 1; start < lines.size(); ++number) {
        const std::size_t end = lines.find('\n', start);
        const std::string_view line = TrimLineEnd(lines, start, end);
        const std::string lowered = LowerCase(line);
        for (const auto& pattern : patterns) {
          if (ContainsPlain(lowered, pattern)) {
            output.Line(file, number, line, raw);
            break;
          }
        }
        start = end + 1;
      }
    }
  } catch (const std::system_error& error) {
    ReportUnreadable(file, error);
    return false;
  }
}

int RunGrep(const std::vector<std::string>& args) {
  std::vector<std::string> utf8Patterns;
  std::vector<std::string> files;
  bool fixed = false;
  bool ignoreCase = false;
  bool raw = false;
  bool options = true;
  bool patternGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && arg == "-e") {
      if (i + 1 >= args.size()) return Usage("-e needs a pattern");
      utf8Patterns.push_back(args[++i]);
      patternGiven = true;
    } else if (options && (arg == "--fixed" || arg == "-F")) {
      fixed = true;
    } else if (options && (arg == "--ignore-case" || arg == "-i")) {
      ignoreCase = true;
    } else if (options && arg == "--raw") {
      raw = true;
    } else if (options && (arg == "--help" || arg == "-h")) {
      std::printf("usage: quillet-cli %s\n", kUsage);
      return kExitOk;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      return Usage(("unknown option " + arg).c_str());
    } else if (!patternGiven) {
      utf8Patterns.push_back(arg);
      patternGiven = true;
    } else {
      files.push_back(arg);
    }
  }
  if (utf8Patterns.empty()) return Usage("no pattern");
  if (files.empty()) return Usage("no file");
  if (ignoreCase && !fixed) return Usage("--ignore-case works with --fixed only (regular expressions are case-sensitive)");

  std::vector<std::string> patterns;
  for (const auto& utf8 : utf8Patterns) {
    std::string cp932;
    std::size_t bad = 0;
    if (!FromUtf8(utf8, cp932, &bad)) {
      std::fprintf(stderr, "quillet-cli grep: pattern '%s' has a character that code page 932 cannot hold (byte %zu)\n",
                   utf8.c_str(), bad + 1);
      return kExitUsage;
    }
    patterns.push_back(fixed ? (ignoreCase ? LowerCase(cp932) : EscapeRegExp(cp932)) : cp932);
  }

  TOutput output;
  bool allRead = true;
  if (ignoreCase) {
    for (const auto& file : files) allRead = GrepLowered(file, patterns, raw, output) && allRead;
    output.Flush();
    return allRead ? kExitOk : kExitFailure;
  }

  TGrep grep;
  std::string combined;
  for (std::size_t k = 0; k < patterns.size(); ++k) {
    try {
      grep.SetRegExp(patterns[k]);  // each alone, so an error names its own position
    } catch (const ERegExpParser& error) {
      return BadPattern(utf8Patterns[k], error);
    }
    // A valid pattern is balanced, so parentheses keep it whole.
    combined += (k ? "|(" : "(") + patterns[k] + ")";
  }
  if (patterns.size() > 1) {
    try {
      grep.SetRegExp(combined);
    } catch (const ERegExpParser& error) {
      return BadJoinedPatterns(utf8Patterns, patterns, error);
    }
  }

  const std::string* currentFile = nullptr;
  grep.OnMatch = [&](TGrep&, const TGrepLine& line) { output.Line(*currentFile, line.LineNumber, line.Text, raw); };
  for (const auto& file : files) {
    currentFile = &file;
    try {
      grep.Grep(file);
    } catch (const std::system_error& error) {
      ReportUnreadable(file, error);
      allRead = false;
    }
  }
  output.Flush();
  return allRead ? kExitOk : kExitFailure;
}

const TCliRegistrar kGrep({
    "grep",
    kUsage,
    "print the lines of code page 932 text files that match a pattern",
    RunGrep,
});

}  // namespace
}  // namespace quillet::cli
