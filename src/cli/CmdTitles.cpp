// quillet-cli titles: a month's title list as the program's title page
// collects it (TTitleCollector): the same days, captions, titles and first
// lines, with "OnlyExists" of the settings unless a flag says otherwise.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSupport.h"
#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/store/DayMeta.h"
#include "core/titles/TitleCollector.h"
#include "core/titles/TitleSettings.h"

namespace quillet::cli {
namespace {

constexpr const char* kUsage = "titles YYYY-MM [--only-exists | --all] [--raw]";
constexpr const char* kHelp =
    "usage: quillet-cli titles YYYY-MM [--only-exists | --all] [--raw]\n"
    "\n"
    "Prints the month's title list as the program's title page collects it,\n"
    "one day a line, fields separated by a tab:\n"
    "  date (YYYY-MM-DD), the day's caption (7日(月)), title, first line of\n"
    "  the entry (empty without an entry file, and for an encrypted entry)\n"
    "The days listed follow \"OnlyExists\" of section \"Title\" of the settings:\n"
    "every day of the month, or only the days with an entry file or a title.\n"
    "\n"
    "  --only-exists  only the days with an entry file or a title\n"
    "  --all          every day of the month\n"
    "  --raw          print titles and first lines as the stored code page 932\n"
    "                 bytes\n"
    "\n"
    "Exit status: 0 printed, 1 the diary folder does not exist or the month's\n"
    "Set.ini cannot be read (the days are printed without titles), 2 wrong\n"
    "arguments.\n";

int Usage(std::string_view message) {
  Complain("titles", message);
  std::fprintf(stderr, "usage: quillet-cli %s\n", kUsage);
  return kExitUsage;
}

int RunTitles(const std::vector<std::string>& args) {
  const TParsedArgs parsed = ParseArgs(args, {"--only-exists", "--all", "--raw"}, {});
  if (parsed.help) {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (!parsed.error.empty()) return Usage(parsed.error);
  if (parsed.positional.size() != 1) return Usage("expected one month YYYY-MM");
  if (parsed.Has("--only-exists") && parsed.Has("--all")) return Usage("give --only-exists or --all, not both");
  int year = 0;
  int month = 0;
  if (!ParseMonth(parsed.positional[0], year, month)) {
    return Usage("bad month '" + parsed.positional[0] + "' (expected YYYY-MM)");
  }
  const TCliContext context = LoadContext("titles");
  if (!FolderExists(context.store.SavePath)) {
    Complain("titles", "the diary folder " + context.store.SavePath + " does not exist");
    return kExitFailure;
  }
  bool onlyExists = parsed.Has("--only-exists");
  if (!onlyExists && !parsed.Has("--all")) {
    const THIniFile ini(SettingsFilePath(context.appFolder), false);
    onlyExists = ReadTitleSettings(ini).OnlyExists;
  }

  const TTitleCollection titles = CollectTitles(context.store, year, month, onlyExists);
  const bool raw = parsed.Has("--raw");
  bool lossless = true;
  const auto text = [&](const std::string& cp932) {
    if (raw) return cp932;
    bool ok = true;
    std::string shown = ToTerminal(cp932, ok);
    lossless = lossless && ok;
    return shown;
  };
  std::string out;
  for (const TTitleRecord& record : titles.Records) {
    out += FormatDate(MakeDate(year, month, record.Day)) + "\t" + text(record.Caption) + "\t" + text(record.Title) +
           "\t" + text(record.FirstLine) + "\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (!lossless) Complain("titles", "some bytes have no character and are shown as U+FFFD; --raw prints them as stored");
  if (titles.MetaUnreadable) {
    Complain("titles", "cannot read " + EntryFolder(context.store, MakeDate(year, month, 1)) +
                           std::string(kSetIniName) + "; no title or first line is shown");
    return kExitFailure;
  }
  return kExitOk;
}

const TCliRegistrar kTitles({"titles", kUsage, "list a month's days with their titles, as the title page does",
                             RunTitles});

}  // namespace
}  // namespace quillet::cli
