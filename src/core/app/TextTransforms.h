// The text commands of the main window that work on the selected text: the
// trims and the removal of line ends. Case and width mappings are the code
// page module's (LowerCase, ToHalfWidth, ...); date stamps are written by
// DateFormat.h.
//
// Text is code page 932 bytes; trims never split a double-byte character and
// treat the half-width space, the full-width space (0x81 0x40) and the tab as
// blanks. Pure functions, any thread.
#pragma once

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

}  // namespace quillet
