// Small helpers shared by the quillet-cli commands: option parsing, dates on
// the command line, the program's settings as Quillet reads them at start,
// and the conversions between the terminal (UTF-8, LF) and the stored text
// (code page 932, CR LF).
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/crypto/USecurity.h"
#include "core/store/UDate.h"

namespace quillet::cli {

struct TParsedArgs {
  std::vector<std::string> positional;
  std::set<std::string> flags;                // "--raw"
  std::map<std::string, std::string> values;  // "--word" -> "secret"
  bool help = false;                          // --help or -h was given
  std::string error;                          // non-empty: what was wrong

  bool Has(std::string_view name) const { return flags.count(std::string(name)) > 0; }
  const std::string* Value(std::string_view name) const {
    const auto it = values.find(std::string(name));
    return it == values.end() ? nullptr : &it->second;
  }
};

// Splits `args` into positional arguments, the flags named in `flagNames`
// and the options in `valueNames`, given as "--name value" or "--name=value".
// "--" ends the options. An unknown option, a missing value or an option
// given twice sets `error`.
TParsedArgs ParseArgs(const std::vector<std::string>& args, std::initializer_list<std::string_view> flagNames,
                      std::initializer_list<std::string_view> valueNames);

// "YYYY-MM-DD" of a real calendar date (year 1..9999, so the folder name
// keeps four digits). False for anything else.
bool ParseDate(std::string_view text, TDate& date);
// "YYYY-MM" with a month 1..12.
bool ParseMonth(std::string_view text, int& year, int& month);
std::string FormatDate(TDate date);  // "YYYY-MM-DD"

// What Quillet reads at start: the program folder, the store settings and
// the key state (an empty key word becomes the login name, as at start-up).
// When the settings name a diary folder that does not exist, the program
// folder stands in, as in the program, and `command` says so on standard
// error.
struct TCliContext {
  std::string appFolder;
  TStoreSettings store;
  TCode code;
};
TCliContext LoadContext(std::string_view command);

// Stored text for the terminal: UTF-8, CR LF and lone CR as LF. `lossless`
// is false when some bytes had no character and show as U+FFFD.
std::string ToTerminal(std::string_view cp932, bool& lossless);

// The editor's view of a text: lines end at CR LF, LF or CR, and each ends
// in CR LF when written back; the last line keeps having no line end when it
// had none. This is what the program's save writes for that text.
std::string ToEditorText(std::string_view text);

// Appends `text` (UTF-8) to `out` as a JSON string: quoted, with '"', '\\'
// and control characters escaped.
void AppendJsonString(std::string& out, std::string_view text);

// Prints "quillet-cli COMMAND: message" to standard error.
void Complain(std::string_view command, std::string_view message);

}  // namespace quillet::cli
