// quillet-cli path, cat, put and ls: one day's file path, its body or title,
// writing a day from standard input, and the days of a month. They read and
// write through the same core functions as the program's load and save, with
// the settings of the program folder, so what `put` writes is what a save in
// the program would write, encryption and Set.ini included.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSupport.h"
#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/store/EntryStore.h"

namespace quillet::cli {
namespace {

void Print(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// Shows --help of a command on standard output.
int Help(const char* text) {
  std::fputs(text, stdout);
  return kExitOk;
}

int Usage(std::string_view command, std::string_view message, const char* usage) {
  Complain(command, message);
  std::fprintf(stderr, "usage: quillet-cli %s\n", usage);
  return kExitUsage;
}

bool ReadAllInput(std::string& out) {
  char buffer[65536];
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, stdin);
    out.append(buffer, n);
    if (n < sizeof buffer) return !std::ferror(stdin);
  }
}

// 1-based line and column (in characters) of the byte offset `at` of UTF-8 text.
std::string Position(std::string_view utf8, std::size_t at) {
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < at && i < utf8.size(); ++i) {
    if (utf8[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Converts a command-line or input text to code page 932, or explains why not.
bool ToStored(std::string_view utf8, std::string& cp932, std::string& why) {
  std::size_t bad = 0;
  if (FromUtf8(utf8, cp932, &bad)) return true;
  why = Position(utf8, bad) + ": a character that code page 932 cannot hold (or text that is not UTF-8)";
  return false;
}

// --- path -----------------------------------------------------------------------------

constexpr const char* kPathUsage = "path DATE";
constexpr const char* kPathHelp =
    "usage: quillet-cli path DATE\n"
    "\n"
    "Prints the path of the entry file of DATE (YYYY-MM-DD) under the diary\n"
    "folder of the settings, whether or not the file exists.\n";

int RunPath(const std::vector<std::string>& args) {
  const TParsedArgs parsed = ParseArgs(args, {}, {});
  if (parsed.help) return Help(kPathHelp);
  if (!parsed.error.empty()) return Usage("path", parsed.error, kPathUsage);
  if (parsed.positional.size() != 1) return Usage("path", "expected one DATE", kPathUsage);
  TDate date;
  if (!ParseDate(parsed.positional[0], date)) {
    return Usage("path", "bad date '" + parsed.positional[0] + "' (expected YYYY-MM-DD)", kPathUsage);
  }
  const TCliContext context = LoadContext("path");
  Print(EntryPath(context.store, date) + "\n");
  return kExitOk;
}

// --- cat ------------------------------------------------------------------------------

constexpr const char* kCatUsage = "cat DATE [--title] [--raw] [--word WORD | --number N]";
constexpr const char* kCatHelp =
    "usage: quillet-cli cat DATE [--title] [--raw] [--word WORD | --number N]\n"
    "\n"
    "Prints the body of the entry of DATE (YYYY-MM-DD), decrypted when the\n"
    "day's Set.ini says it is encrypted, as UTF-8 with LF line ends.\n"
    "\n"
    "  --title     print the day's title instead of the body\n"
    "  --raw       print the stored code page 932 bytes (CR LF) unconverted\n"
    "  --word W    decrypt a word-key entry with W instead of the settings' key word\n"
    "  --number N  decrypt a number-key entry with key number N instead of the\n"
    "              day's CodeKey or the settings' key number\n"
    "\n"
    "A wrong number key is not detected: that format carries no check. A wrong\n"
    "key word is, in all but about one try in 255.\n"
    "Exit status: 0 printed, 1 no such entry or unreadable, 2 wrong arguments.\n";

int RunCat(const std::vector<std::string>& args) {
  const TParsedArgs parsed = ParseArgs(args, {"--title", "--raw"}, {"--word", "--number"});
  if (parsed.help) return Help(kCatHelp);
  if (!parsed.error.empty()) return Usage("cat", parsed.error, kCatUsage);
  if (parsed.positional.size() != 1) return Usage("cat", "expected one DATE", kCatUsage);
  TDate date;
  if (!ParseDate(parsed.positional[0], date)) {
    return Usage("cat", "bad date '" + parsed.positional[0] + "' (expected YYYY-MM-DD)", kCatUsage);
  }
  if (parsed.Value("--word") && parsed.Value("--number")) {
    return Usage("cat", "give --word or --number, not both", kCatUsage);
  }
  TCliContext context = LoadContext("cat");
  if (const std::string* word = parsed.Value("--word")) {
    std::string why;
    if (!ToStored(*word, context.code.Word, why)) return Usage("cat", "--word: " + why, kCatUsage);
    if (context.code.Word.empty()) return Usage("cat", "--word: the key word is empty", kCatUsage);
  }
  int number = 0;
  const std::string* numberText = parsed.Value("--number");
  if (numberText && !ParseInteger(*numberText, number)) {
    return Usage("cat", "--number: '" + *numberText + "' is not an integer", kCatUsage);
  }

  const std::string when = FormatDate(date);
  const TLoadedDay day = LoadDay(context.store, context.code, date);
  if (day.RootMissing) {
    Complain("cat", "the diary folder " + context.store.SavePath + " does not exist");
    return kExitFailure;
  }
  if (day.MetaUnreadable) {
    // Without the day's flags an encrypted body would print as cipher text.
    Complain("cat", day.Error + "; the day's flags are unknown");
    return kExitFailure;
  }
  std::string out;
  if (parsed.Has("--title")) {
    if (!day.Meta.SectionExists && !day.FileExists) {
      Complain("cat", "no entry for " + when);
      return kExitFailure;
    }
    out = day.Meta.Title + "\r\n";
  } else {
    if (!day.FileExists) {
      Complain("cat", "no entry for " + when + " (" + day.Path + ")");
      return kExitFailure;
    }
    std::string error = day.Error;
    bool read = !day.ReadFailed;
    out = day.Body;
    if (numberText && day.Meta.EntryMethod() == TEntryMethod::Number) {
      read = ReadEntryBody(day.Path, TEntryMethod::Number, number, {}, out, error);
    }
    if (!read) {
      Complain("cat", "cannot read the " + std::string(MethodName(day.Meta.EntryMethod())) + " entry: " + error);
      return kExitFailure;
    }
  }
  if (parsed.Has("--raw")) {
    Print(out);
  } else {
    bool lossless = true;
    Print(ToTerminal(out, lossless));
    if (!lossless) {
      Complain("cat", "some bytes have no character and are shown as U+FFFD; --raw prints them as stored");
    }
  }
  return kExitOk;
}

// --- put ------------------------------------------------------------------------------

constexpr const char* kPutUsage = "put DATE [--title T] [--raw]";
constexpr const char* kPutHelp =
    "usage: quillet-cli put DATE [--title T] [--raw]\n"
    "\n"
    "Writes the entry of DATE (YYYY-MM-DD) from standard input, exactly as the\n"
    "program's save command writes it: line ends become CR LF, the body is\n"
    "encrypted when the settings say so, and the day's Set.ini section gets the\n"
    "title, the renewal time and the encryption flags. An empty input deletes\n"
    "the entry file (and the section too when the title is empty).\n"
    "\n"
    "  --title T   the day's title (else the title it already has)\n"
    "  --raw       standard input is code page 932 bytes, not UTF-8\n"
    "\n"
    "Text that code page 932 cannot hold (emoji, for example) is refused and\n"
    "nothing is written.\n"
    "Exit status: 0 saved, 1 the save failed (the old entry is intact), 2 wrong\n"
    "arguments or input.\n";

int RunPut(const std::vector<std::string>& args) {
  const TParsedArgs parsed = ParseArgs(args, {"--raw"}, {"--title"});
  if (parsed.help) return Help(kPutHelp);
  if (!parsed.error.empty()) return Usage("put", parsed.error, kPutUsage);
  if (parsed.positional.size() != 1) return Usage("put", "expected one DATE", kPutUsage);
  TDate date;
  if (!ParseDate(parsed.positional[0], date)) {
    return Usage("put", "bad date '" + parsed.positional[0] + "' (expected YYYY-MM-DD)", kPutUsage);
  }
  std::string title;
  const std::string* titleText = parsed.Value("--title");
  if (titleText) {
    std::string why;
    if (titleText->find_first_of("\r\n") != std::string::npos) {
      return Usage("put", "--title: a title is one line", kPutUsage);
    }
    if (!ToStored(*titleText, title, why)) return Usage("put", "--title: " + why, kPutUsage);
  }

  std::string input;
  if (!ReadAllInput(input)) {
    Complain("put", "cannot read standard input; nothing was written");
    return kExitFailure;
  }
  if (input.find('\0') != std::string::npos) {
    Complain("put", "the input holds a NUL byte, which an entry cannot hold; nothing was written");
    return kExitUsage;
  }
  std::string body;
  if (parsed.Has("--raw")) {
    body = std::move(input);
  } else {
    std::string why;
    if (!ToStored(input, body, why)) {
      Complain("put", "standard input " + why + "; nothing was written");
      return kExitUsage;
    }
  }

  TCliContext context = LoadContext("put");
  if (!titleText) title = ReadDayMeta(EntryFolder(context.store, date), DayOf(date)).Title;
  TSaveRequest request;
  request.Date = date;
  request.Body = ToEditorText(body);
  request.Title = title;
  request.Force = true;
  request.Modified = true;
  const TSaveResult result = SaveDay(context.store, context.appFolder, context.code, request);
  if (result.SavePathReset) {
    Complain("put", "the diary folder does not exist; the entry went below " + context.appFolder);
  }
  for (const std::string& message : result.Messages) {
    // The reason goes with the failure, so a script's log says what to mend.
    Complain("put", message == kMsgSaveFailed && !result.Error.empty() ? message + " (" + result.Error + ")" : message);
  }
  return result.Ok ? kExitOk : kExitFailure;
}

// --- ls -------------------------------------------------------------------------------

constexpr const char* kLsUsage = "ls YYYY-MM [--raw]";
constexpr const char* kLsHelp =
    "usage: quillet-cli ls YYYY-MM [--raw]\n"
    "\n"
    "Lists the days of a month that have a body or a title, one line each,\n"
    "fields separated by a tab:\n"
    "  date (YYYY-MM-DD), method (plain, number, word; - without a body),\n"
    "  size of the stored file in bytes, title\n"
    "\n"
    "  --raw       print titles as the stored code page 932 bytes\n";

int RunLs(const std::vector<std::string>& args) {
  const TParsedArgs parsed = ParseArgs(args, {"--raw"}, {});
  if (parsed.help) return Help(kLsHelp);
  if (!parsed.error.empty()) return Usage("ls", parsed.error, kLsUsage);
  if (parsed.positional.size() != 1) return Usage("ls", "expected one month YYYY-MM", kLsUsage);
  int year = 0;
  int month = 0;
  if (!ParseMonth(parsed.positional[0], year, month)) {
    return Usage("ls", "bad month '" + parsed.positional[0] + "' (expected YYYY-MM)", kLsUsage);
  }
  const TCliContext context = LoadContext("ls");
  if (!FolderExists(context.store.SavePath)) {
    Complain("ls", "the diary folder " + context.store.SavePath + " does not exist");
    return kExitFailure;
  }
  bool lossless = true;
  for (const TDaySummary& day : ListMonth(context.store, year, month)) {
    std::string title = day.Title;
    if (!parsed.Has("--raw")) {
      bool ok = true;
      title = ToTerminal(day.Title, ok);
      lossless = lossless && ok;
    }
    const std::string method = day.HasFile ? std::string(MethodName(day.Method)) : "-";
    Print(FormatDate(MakeDate(year, month, day.Day)) + "\t" + method + "\t" + std::to_string(day.Size) + "\t" + title +
          "\n");
  }
  if (!lossless) Complain("ls", "some title bytes have no character and are shown as U+FFFD");
  return kExitOk;
}

const TCliRegistrar kPath({"path", kPathUsage, "the entry file path of a date", RunPath});
const TCliRegistrar kCat({"cat", kCatUsage, "print a day's body (decrypted) or title", RunCat});
const TCliRegistrar kPut({"put", kPutUsage, "write a day's body from standard input", RunPut});
const TCliRegistrar kLs({"ls", kLsUsage, "list the days of a month with a body or a title", RunLs});

}  // namespace
}  // namespace quillet::cli
