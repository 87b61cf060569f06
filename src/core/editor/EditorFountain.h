// The seam between the row store and the highlighter, in the store's terms:
// a row parser gives the styled byte ranges of a row, and the address
// recognisers say where a web or mail address starts and ends. The GUI maps
// a style number to its colours and font and converts an address to text
// only when it shows or opens it; everything here stays code page 932 bytes.
//
// Style numbers are the token kinds that the per-row parse state stores, so
// their values are fixed. The recognisers follow the stored format's
// character sets; every byte in them is ASCII, so a scan stops at a lead
// byte and never reads a trail byte of a double-byte character as part of an
// address, and it never passes the row end (NUL, LF, CR are in no set).
//
// Pure functions, any thread; a row parser is called on the GUI thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// The kind of a token, as stored in the parse state. Kinds 14..20 are
// double-byte runs of finer character classes, coloured as Dbcs.
enum class TFountainStyle : int {
  None = 0,  // the editor's own colours
  Symbol = 1,
  Int = 3,
  Hex = 4,
  Bracket = 6,
  Comment = 7,
  Reserve = 8,
  Ank = 11,
  Dbcs = 12,
  Url = 21,
  Mail = 22,
  Float = 23,
  Str = 26,
  DecCode = 27,  // control code: number sign, decimal digits
  HexCode = 28,  // control code: number sign, dollar sign, hexadecimal digits
};
// One more than the highest style number: the size of a table by style.
inline constexpr int kFountainStyleCount = 29;

// Bytes [First, Second) of a row in one style.
struct TFountainToken {
  int First = 0;
  int Second = 0;
  TFountainStyle Style = TFountainStyle::None;
  bool operator==(const TFountainToken&) const = default;
};

class TFountainRowParser {
public:
  virtual ~TFountainRowParser() = default;
  // Appends the tokens of row `row` (its bytes `text`, no line end), in
  // order and not overlapping; bytes in no token keep the editor's colours.
  // Called while painting, for visible rows only.
  virtual void RowTokens(int row, std::string_view text, std::vector<TFountainToken>& tokens) = 0;
};

// A web or mail address token: where it lies and its bytes.
struct TFountainLink {
  int Row = 0;
  int First = 0;
  int Second = 0;
  std::string Text;  // code page 932 bytes (ASCII in practice)
  bool Mail = false;
  bool operator==(const TFountainLink&) const = default;
};

// The address token of `parser` holding byte `byte` of row `row` (bytes
// `text`), if any.
std::optional<TFountainLink> LinkAt(TFountainRowParser& parser, int row, std::string_view text, int byte);

// The length of the web address starting at byte `at` of `text`, 0 when none
// starts there: "http:", "https:", "ftp:" or "www." (case counts), then
// every following web address character.
std::size_t WebAddressLength(std::string_view text, std::size_t at);
// The length of the mail address starting at byte `at`, 0 when none starts
// there: a mail start character, then mail address characters that hold an
// at sign with a full stop after it; the address runs over every following
// mail address character.
std::size_t MailAddressLength(std::string_view text, std::size_t at);
// True when the whole of `target` is one mail address: a link target that is
// opened with the mail program rather than the browser.
bool IsMailAddress(std::string_view target);

}  // namespace quillet
