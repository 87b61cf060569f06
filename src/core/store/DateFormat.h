// Dates as text, in one pattern language for every place that writes or
// reads one: the entry paths ("yyyy/m/d"), the window caption and the date
// box ("yyyy/mm/dd", the Japanese short date whatever the system locale),
// the command line ("yyyy-mm-dd") and the date stamps of the edit commands.
//
// Letters: "yyyy" four-digit year, "yy" two-digit year, "mm"/"m" month with
// or without a leading zero, "dd"/"d" the day likewise, "hh" hour 0..23,
// "nn" minutes, "ss" seconds (each two digits). Text in double quotes is
// copied without its quotes (an unclosed quote runs to the end); every other
// character is copied, a double-byte character of code page 932 whole, so a
// trail byte is never read as a letter. "/" and ":" stand for themselves:
// they are the Japanese date and time separators.
//
// Pure functions, any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/store/UDate.h"

namespace quillet {

// The caption and the date box: 2005/03/07.
inline constexpr std::string_view kShortDatePattern = "yyyy/mm/dd";
// What the date box takes back: month and day with or without their zero.
inline constexpr std::string_view kShortDateInput = "yyyy/m/d";
// The command line: 2005-03-07, exactly.
inline constexpr std::string_view kIsoDatePattern = "yyyy-mm-dd";

// The six stamps of the date commands, in order.
inline constexpr std::string_view kDateStampPatterns[] = {
    "yy/mm/dd",
    "yyyy/mm/dd",
    "yyyy\"\x94\x4e\"mm\"\x8c\x8e\"dd\"\x93\xfa\"",  // yyyy"年"mm"月"dd"日"
    "yy/mm/dd hh:nn:ss",
    "yyyy/mm/dd hh:nn:ss",
    "yyyy\"\x94\x4e\"mm\"\x8c\x8e\"dd\"\x93\xfa\" hh:nn:ss",
};

// `when` written with `pattern`; code page 932 bytes when the pattern holds
// double-byte text.
std::string FormatDateTime(std::string_view pattern, const TDateTime& when);
// `date` written with `pattern` (a time of day in it reads 00:00:00).
std::string FormatDatePattern(std::string_view pattern, TDate date);

// The date that `text` spells in `pattern`, or nothing when it does not
// follow the pattern exactly or names no calendar date (30 February).
// "yyyy", "mm" and "dd" take exactly their number of digits, "m" and "d" one
// or two, every other pattern character itself; a pattern with "yy", time
// letters or quotes matches nothing. Blanks are not skipped: the caller trims what its input box
// may add. The year is not checked against the diary's years (IsDiaryDate):
// callers say "out of range" and "not a date" apart.
std::optional<TDate> ParseDatePattern(std::string_view text, std::string_view pattern);

}  // namespace quillet
