// The text commands of the main window that work on the selected text: the
// trims, the removal of line ends, and the date stamps. Case and width
// mappings are the code page module's (LowerCase, ToHalfWidth, ...).
//
// Text is code page 932 bytes; trims never split a double-byte character and
// treat the half-width space, the full-width space (0x81 0x40) and the tab as
// blanks. Pure functions, any thread.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace quillet {

enum class TTrimSide { Left, Right };

// Removes the blanks at one side of every line of `text`; line ends (CR LF,
// LF or CR) are kept as they are. An empty text gives an empty text.
std::string TrimLines(std::string_view text, TTrimSide side);

// Removes every CR LF pair, joining the lines ("a\r\nb" gives "ab"). A lone CR
// or LF stays, as it is not a line end of the entry's format.
std::string RemoveLineEnds(std::string_view text);

// Formats `when` with a date-stamp pattern: "yyyy", "yy", "mm", "dd", "hh"
// (0..23), "nn" and "ss" with two digits ("yyyy" four), "/" the date
// separator, ":" the time separator, text in double quotes literal, any other
// character as it is. The result is code page 932 bytes (the pattern may hold
// double-byte text, which is copied).
std::string FormatDateStamp(std::string_view pattern, const std::tm& when);

// The six stamps of the date commands, in order.
inline constexpr std::string_view kDateStampPatterns[] = {
    "yy/mm/dd",
    "yyyy/mm/dd",
    "yyyy\"\x94\x4e\"mm\"\x8c\x8e\"dd\"\x93\xfa\"",  // yyyy"年"mm"月"dd"日"
    "yy/mm/dd hh:nn:ss",
    "yyyy/mm/dd hh:nn:ss",
    "yyyy\"\x94\x4e\"mm\"\x8c\x8e\"dd\"\x93\xfa\" hh:nn:ss",
};

}  // namespace quillet
