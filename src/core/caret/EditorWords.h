// Words for the caret commands: Ctrl+Left/Right and the double click.
//
// A word is a run of characters of one class inside a logical line. The
// single-byte classes follow the delimiter set of the line cutter: blanks,
// other delimiters (ASCII punctuation, controls, the half-width ideographic
// punctuation), and word characters (letters, digits, '_', half-width
// katakana). Double-byte characters are split into the classes a Japanese
// reader sees as words: hiragana, katakana (with the long vowel mark),
// full-width letters and digits (Latin, Greek, Cyrillic), kanji (with 々),
// and the remaining symbols. The ideographic space is a blank.
//
// Ctrl+Right skips the run under the caret and the blanks after it; Ctrl+Left
// skips the blanks before the caret and the run before them. Both stop at a
// line end, and from a line end step over it to the neighbouring line.
// Pure functions over the store; linear in the logical line.
#pragma once

#include <string_view>

#include "core/caret/TextRange.h"

namespace quillet {

enum class TCharClass { Blank, Delimiter, Word, Hiragana, Katakana, FullWidthLetter, Kanji, Symbol };

// Class of one character (one or two bytes, as the column model steps).
TCharClass ClassOfChar(std::string_view ch);

// The word holding the character at `point` (at a line end: the word before
// it); an empty range on an empty line.
TTextRange WordAt(const TEditorScreenStrings& store, TTextPoint point);
TTextPoint NextWordPoint(const TEditorScreenStrings& store, TTextPoint point);
TTextPoint PrevWordPoint(const TEditorScreenStrings& store, TTextPoint point);

}  // namespace quillet
