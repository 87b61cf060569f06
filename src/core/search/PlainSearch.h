// Plain (non-regular) search in code page 932 text: the substring search of
// the diary grep, the squeeze and the find dialog. It finds only matches
// that begin and end on character boundaries, so "ア" (0x83 0x41) never
// yields an "A" and a pattern never matches the first half of a character.
// Case-insensitive search lowers both sides first with LowerCase
// (CodePage.h), which keeps lengths and so byte offsets.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillet {

// Byte offset of the first match of `pattern` in `text` at or after `from`
// (which must be a character boundary), or npos. An empty pattern matches
// at `from`. Cost: memmem over the text plus a walk over the characters
// between candidate hits.
std::size_t FindPlain(std::string_view text, std::string_view pattern, std::size_t from = 0);

inline bool ContainsPlain(std::string_view text, std::string_view pattern) {
  return FindPlain(text, pattern) != std::string_view::npos;
}

// Escapes the metacharacters of `literal` so that the regular-expression
// engine matches it as it is (the grep's literal scan then finds it).
std::string EscapeRegExp(std::string_view literal);

}  // namespace quillet
