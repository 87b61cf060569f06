// quillet-cli plugins: the image plug-ins Quillet would load, found by the
// same core loader and in the same order as at the program's start.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSupport.h"
#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/viewer/SPI.h"

namespace quillet::cli {
namespace {

constexpr const char* kUsage = "plugins [--plugins DIR]";
constexpr const char* kHelp =
    "usage: quillet-cli plugins [--plugins DIR]\n"
    "\n"
    "Lists the image plug-ins (*.spi) in the order Quillet loads them, one block\n"
    "per plug-in followed by an empty line, each line a name and its value\n"
    "separated by a tab:\n"
    "  file         the plug-in's path\n"
    "  version      its kind (\"00IN\" import, \"00AM\" archive, ...)\n"
    "  description  its description\n"
    "  mask         a file mask and its type name (one line per mask text)\n"
    "\n"
    "Without --plugins the folders are those of the program: this program's\n"
    "folder (\"SusieAppPath\"), the install's plug-in folder (\"SusieSystem\"),\n"
    "/usr/local/lib/quillet/plugins (\"SusieWindows\"), then \"SusieCommandPath\"\n"
    "(default: the program folder + \"Plugin/\") when \"SusieCommand\" is set, as\n"
    "section \"Viewer\" of Option/quillet.ini says.\n"
    "  --plugins DIR  search only the folder DIR\n"
    "\n"
    "Libraries that were found but not loaded are named on standard error.\n"
    "Exit status: 0 listed (also when none was found), 1 DIR is not a folder,\n"
    "2 wrong arguments.\n";

int Usage(std::string_view message) {
  Complain("plugins", message);
  std::fprintf(stderr, "usage: quillet-cli %s\n", kUsage);
  return kExitUsage;
}

int RunPlugins(const std::vector<std::string>& args) {
  const TParsedArgs parsed = ParseArgs(args, {}, {"--plugins"});
  if (parsed.help) {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (!parsed.error.empty()) return Usage(parsed.error);
  if (!parsed.positional.empty()) return Usage("takes no arguments");

  TSPIs spis;
  spis.OnLoadError = [](const std::string& path, const std::string& reason) {
    Complain("plugins", "skipped " + path + ": " + reason);
  };
  if (const std::string* folder = parsed.Value("--plugins")) {
    if (folder->empty() || !FolderExists(*folder)) {
      Complain("plugins", "not a folder: " + *folder);
      return kExitFailure;
    }
    // An absolute path, so that the listing names files wherever it is read.
    spis.LoadFromPath(WithTrailingSlash(std::filesystem::absolute(*folder).lexically_normal().string()) + "*.spi");
  } else {
    const std::string appFolder = AppFolder();
    const THIniFile ini(SettingsFilePath(appFolder), false);
    LoadStartupPlugins(spis, ReadSPIStartSettings(ini, appFolder));
  }

  std::string out;
  for (int i = 0; i < spis.Count(); ++i) {
    const TSPI& spi = spis.Items(i);
    out += "file\t" + spi.FileName() + "\n";
    out += "version\t" + spi.APIVersion() + "\n";
    out += "description\t" + spi.Description() + "\n";
    for (std::size_t m = 0; m < spi.Masks().size(); ++m) out += "mask\t" + spi.Masks()[m] + "\t" + spi.TypeNames()[m] + "\n";
    out += "\n";
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (spis.Count() == 0) Complain("plugins", "no plug-ins found");
  return kExitOk;
}

const TCliRegistrar kPlugins({"plugins", kUsage, "list the image plug-ins Quillet loads", RunPlugins});

}  // namespace
}  // namespace quillet::cli
