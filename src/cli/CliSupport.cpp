// Helpers of the quillet-cli commands (see CliSupport.h).
#include "cli/CliSupport.h"

#include <cstdio>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/store/DateFormat.h"

namespace quillet::cli {
namespace {

bool Contains(std::initializer_list<std::string_view> names, std::string_view name) {
  for (const auto candidate : names) {
    if (candidate == name) return true;
  }
  return false;
}

// Exactly `digits` decimal digits.
bool ParseDigits(std::string_view text, std::size_t digits, int& value) {
  if (text.size() != digits) return false;
  value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

}  // namespace

TParsedArgs ParseArgs(const std::vector<std::string>& args, std::initializer_list<std::string_view> flagNames,
                      std::initializer_list<std::string_view> valueNames) {
  TParsedArgs parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
      continue;
    }
    const auto equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    if (Contains(flagNames, name) && equals == std::string::npos) {
      if (!parsed.flags.insert(name).second) parsed.error = "option " + name + " given twice";
    } else if (Contains(valueNames, name)) {
      std::string value;
      if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        parsed.error = "option " + name + " needs a value";
        break;
      }
      if (!parsed.values.emplace(name, value).second) parsed.error = "option " + name + " given twice";
    } else {
      parsed.error = "unknown option '" + arg + "'";
    }
  }
  return parsed;
}

bool ParseDate(std::string_view text, TDate& date) {
  const std::optional<TDate> parsed = ParseDatePattern(text, kIsoDatePattern);
  if (!parsed || !IsDiaryDate(*parsed)) return false;
  date = *parsed;
  return true;
}

bool ParseMonth(std::string_view text, int& year, int& month) {
  if (text.size() != 7 || text[4] != '-') return false;
  if (!ParseDigits(text.substr(0, 4), 4, year) || !ParseDigits(text.substr(5, 2), 2, month)) return false;
  return year >= kFirstDiaryYear && year <= kLastDiaryYear && month >= 1 && month <= 12;
}

std::string FormatDate(TDate date) { return FormatDatePattern(kIsoDatePattern, date); }

TCliContext LoadContext(std::string_view command) {
  TCliContext context;
  context.appFolder = AppFolder();
  const THIniFile ini(SettingsFilePath(context.appFolder), false);
  context.store = ReadStoreSettings(ini, context.appFolder);
  context.code = ReadCode(ini, true, LoginName());
  if (!context.store.MissingSavePath.empty()) {
    Complain(command, "the diary folder " + context.store.MissingSavePath +
                          " does not exist; using the program folder " + context.store.SavePath);
  }
  return context;
}

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  out += '"';
}

std::string ToTerminal(std::string_view cp932, bool& lossless) {
  std::string utf8;
  lossless = ToUtf8(cp932, utf8);
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '\r') {
      out.push_back('\n');
      if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else {
      out.push_back(utf8[i]);
    }
  }
  return out;
}

std::string ToEditorText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out.push_back(c);
    }
    ++i;
  }
  return out;
}

void Complain(std::string_view command, std::string_view message) {
  std::fprintf(stderr, "quillet-cli %.*s: %.*s\n", static_cast<int>(command.size()), command.data(),
               static_cast<int>(message.size()), message.data());
}

}  // namespace quillet::cli
