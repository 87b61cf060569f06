// TDayMeta: one day's section of its month's Set.ini, the metadata file that
// holds each day's title, last renewal time and encryption flags.
//
// Set.ini lives in the month folder (EntryFolder) and has one section per day
// with metadata, named by the day number without leading zero ("[7]"):
//   Title        the day's title (code page 932, one line)
//   ReNewalTime  "yyyy/MM/dd H:mm:ss", local time of the last save
//   UseCode      1 when the body file is encrypted, else 0
//   Method       1 for the word-key method, 0 for the number-key method
//   CodeKey      key number of the number-key method; written only by hand or
//                by other tools, and preferred over the program's key number
// The section describes the body as it was last written: changing the
// encryption settings does not touch days that are not saved again.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace quillet {

class THIniFile;

inline constexpr std::string_view kSetIniName = "Set.ini";

// How a day's body is stored; the numbers are the ones the search results use.
enum class TEntryMethod { Plain = 0, Number = 1, Word = 2 };

struct TDayMeta {
  bool Unreadable = false;  // Set.ini exists but could not be read: the rest is defaults
  bool SectionExists = false;
  std::string Title;        // code page 932
  std::string ReNewalTime;  // as stored
  bool UseCode = false;
  bool Method = false;      // true: word key
  std::optional<int> CodeKey;

  TEntryMethod EntryMethod() const noexcept {
    if (!UseCode) return TEntryMethod::Plain;
    return Method ? TEntryMethod::Word : TEntryMethod::Number;
  }
  // The key number that decrypts a number-key body: CodeKey when present,
  // else `current` (the key number of the window's TCode).
  int KeyNumber(int current) const noexcept { return CodeKey.value_or(current); }
};

// The section name of a day: "1" .. "31".
std::string DaySection(int day);

// The day's section of an open Set.ini; defaults where keys are missing. A
// "CodeKey" that is not an integer counts as absent.
TDayMeta ReadDayMeta(const THIniFile& ini, int day);
// Opens `monthFolder` + "Set.ini" (trailing "/") without write-back and reads
// the day's section; a missing file gives the defaults, an unreadable one the
// defaults with Unreadable set.
TDayMeta ReadDayMeta(const std::string& monthFolder, int day);

// The "ReNewalTime" text of `when` in local time, in the Japanese short date
// and long time formats: "2005/03/07 9:15:03".
std::string FormatRenewalTime(std::time_t when);

// Short names for the day-state texts of the command line and the search
// results: "plain", "number", "word".
std::string_view MethodName(TEntryMethod method) noexcept;

}  // namespace quillet
