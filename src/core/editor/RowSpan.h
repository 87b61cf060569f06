// The row attribute values and the row span: the two small types that the
// row lists, the line cutter and the row store pass between them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet {

// How a row ends (two bits of the row's first attribute word).
enum TRowAttribute : std::uint8_t {
  raCrlf = 0,     // the logical line ends here; CR LF follows in the text
  raWrapped = 1,  // the line continues in the next row; nothing follows
  raEof = 2,      // last row of a text that does not end with a line end
  raInvalid = 3,  // no row (index outside the list; undo record without old text)
};

// One row as bytes [Offset, Offset + Length) of some source text, and how it
// ends. The cutter produces them; the lists store them.
struct TRowSpan {
  std::size_t Offset = 0;
  std::size_t Length = 0;
  TRowAttribute Attribute = raCrlf;
  bool operator==(const TRowSpan&) const = default;
};

}  // namespace quillet
