// quillet-cli search: the grep dialog's search of the diary from the command
// line. It runs the same TDiaryGrep as the window's worker (the same pattern
// splitting and lowering, the same hit recording, the key state read from
// the settings file as the program reads it at start), so the lines it
// prints are the items the result window would list, in the same order.
//
// The progress-estimating pass is never run: nobody watches a progress bar
// here, and it would stat every entry file a second time.
#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSupport.h"
#include "core/app/AppFolder.h"
#include "core/base/CodePage.h"
#include "core/search/DiaryGrep.h"

namespace quillet::cli {
namespace {

constexpr const char* kUsage =
    "search [--from YYYY-MM] [--to YYYY-MM] [--regex] [--case] [--no-encrypted] [--no-titles] [--json] TEXT";
constexpr const char* kHelp =
    "usage: quillet-cli search [--from YYYY-MM] [--to YYYY-MM] [--regex] [--case]\n"
    "                          [--no-encrypted] [--no-titles] [--json] TEXT\n"
    "\n"
    "Searches the diary as the grep dialog does and prints one line per entry\n"
    "that matched, in the order the result window lists them, fields separated\n"
    "by a tab:\n"
    "  date (YYYY-MM-DD), kind (本文, タイトル or 本文 + タイトル),\n"
    "  the matching body line numbers joined by \",\", title\n"
    "TEXT is split at blanks outside double quotes into patterns, as in the\n"
    "search box; a line matching two patterns is listed twice.\n"
    "\n"
    "  --from YYYY-MM  first month (default: January of the first year folder)\n"
    "  --to YYYY-MM    last month (default: December of the last year folder)\n"
    "  --regex         the patterns are regular expressions (always case-sensitive)\n"
    "  --case          plain search tells upper from lower case\n"
    "  --no-encrypted  leave the bodies of encrypted entries out\n"
    "  --no-titles     leave the titles out\n"
    "  --json          print a JSON array of objects with the fields date, kind,\n"
    "                  lines, title, method (plain, number, word) and path\n"
    "\n"
    "Entries that cannot be read or decrypted are named on standard error.\n"
    "Exit status: 0 some entry matched, 1 none did, 2 wrong arguments, a bad\n"
    "pattern or a bad range.\n";

int Usage(std::string_view message) {
  Complain("search", message);
  std::fprintf(stderr, "usage: quillet-cli %s\n", kUsage);
  return kExitUsage;
}

// The years that have a folder below the diary root (four digits, as the
// store names them); empty when there are none.
std::vector<int> YearFolders(const std::string& root) {
  std::vector<int> years;
  DIR* dir = ::opendir(root.c_str());
  if (!dir) return years;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name.size() != 4 || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    const int year = std::stoi(std::string(name));
    if (year < kFirstDiaryYear) continue;
    if (FolderExists(root + std::string(name))) years.push_back(year);
  }
  ::closedir(dir);
  std::sort(years.begin(), years.end());
  return years;
}

int RunSearch(const std::vector<std::string>& args) {
  const TParsedArgs parsed =
      ParseArgs(args, {"--regex", "--case", "--no-encrypted", "--no-titles", "--json"}, {"--from", "--to"});
  if (parsed.help) {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (!parsed.error.empty()) return Usage(parsed.error);
  if (parsed.positional.size() != 1) return Usage("expected one TEXT (quote it when it holds blanks)");

  TGrepOptions options;
  std::size_t bad = 0;
  if (!FromUtf8(parsed.positional[0], options.PatternText, &bad)) {
    return Usage("TEXT has a character that code page 932 cannot hold (byte " + std::to_string(bad + 1) + ")");
  }
  options.RegExp = parsed.Has("--regex");
  options.CaseSensitive = parsed.Has("--case");
  options.SearchEncrypted = !parsed.Has("--no-encrypted");
  options.SearchTitles = !parsed.Has("--no-titles");
  options.ShowProgress = false;
  const std::string* from = parsed.Value("--from");
  const std::string* to = parsed.Value("--to");
  if (from && !ParseMonth(*from, options.FromYear, options.FromMonth)) {
    return Usage("--from: bad month '" + *from + "' (expected YYYY-MM)");
  }
  if (to && !ParseMonth(*to, options.ToYear, options.ToMonth)) {
    return Usage("--to: bad month '" + *to + "' (expected YYYY-MM)");
  }

  // A pattern the engine refuses is refused before the search: the window
  // would only skip every day it fails on, and print nothing.
  const std::vector<std::string> patterns = SplitGrepPatterns(options.PatternText, false);
  if (patterns.empty()) return Usage(std::string(kMsgEnterSearchText));
  if (options.RegExp) {
    TAWKStr check;
    for (const std::string& pattern : patterns) {
      try {
        check.SetRegExp(pattern);
      } catch (const ERegExpParser& error) {
        std::string utf8;
        ToUtf8(pattern, utf8);
        return Usage(RegExpErrorText(error) + " in pattern '" + utf8 + "'");
      }
    }
  }

  const TCliContext context = LoadContext("search");
  if (!from || !to) {
    const std::vector<int> years = YearFolders(context.store.SavePath);
    if (years.empty() && !from && !to) return kExitFailure;  // an empty diary has no hits
    if (!from) {
      options.FromYear = years.empty() ? options.ToYear : years.front();
      options.FromMonth = years.empty() ? options.ToMonth : 1;
    }
    if (!to) {
      options.ToYear = years.empty() ? options.FromYear : years.back();
      options.ToMonth = years.empty() ? options.FromMonth : 12;
    }
  }
  if (const std::string problem = ValidateGrepStart(options); !problem.empty()) {
    char range[48];
    std::snprintf(range, sizeof range, " (from %04d-%02d to %04d-%02d)", options.FromYear, options.FromMonth,
                  options.ToYear, options.ToMonth);
    return Usage(problem + range);
  }

  TDiaryGrep grep(options, context.store, context.code);
  const TSearchOutcome outcome = grep.Run();
  for (const std::string& path : outcome.Unreadable) Complain("search", "cannot read " + path + "; left out");
  if (!outcome.RegExpError.empty()) {
    Complain("search", outcome.RegExpError);
    return kExitUsage;
  }

  const bool json = parsed.Has("--json");
  std::string out = json ? "[" : "";
  bool lossless = true;
  for (const TGrepItem& item : grep.Items()) {
    bool ok = true;
    const std::string title = ToTerminal(item.Title, ok);
    lossless = lossless && ok;
    const std::string date = FormatDate(item.Date);
    if (!json) {
      out.append(date).append("\t").append(GrepKindText(item.Kind)).append("\t").append(item.Lines);
      out.append("\t").append(title).append("\n");
      continue;
    }
    out += out.size() > 1 ? ",\n  {" : "\n  {";
    const std::pair<const char*, std::string_view> fields[] = {
        {"date", date},   {"kind", GrepKindText(item.Kind)}, {"lines", item.Lines},
        {"title", title}, {"method", MethodName(item.Method)}, {"path", item.Path}};
    for (std::size_t f = 0; f < std::size(fields); ++f) {
      if (f) out += ", ";
      AppendJsonString(out, fields[f].first);
      out += ": ";
      AppendJsonString(out, fields[f].second);
    }
    out += '}';
  }
  if (json) out += grep.Items().empty() ? "]\n" : "\n]\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (!lossless) Complain("search", "some title bytes have no character and are shown as U+FFFD");
  return grep.Items().empty() ? kExitFailure : kExitOk;
}

const TCliRegistrar kSearch({"search", kUsage, "search the diary as the grep dialog does", RunSearch});

}  // namespace
}  // namespace quillet::cli
