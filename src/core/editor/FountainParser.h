// TFountainScanner: the highlighter's token procedures over one row, and
// the state a row hands to the next.
//
// Tokens are found in logical lines; rows only cut them for display. A web
// address wrapped at the window edge is one address in two rows, coloured
// and opened whole. So a row's scan may read past its end into the rows
// that continue its line (never past the line end), and the state at a row
// start says which token is open there and how it goes on. The next token
// at a position is tried in this order:
//  1. a bracket item's LeftBracket (items in collection order): the region
//     runs to its RightBracket, over line ends too;
//  2. (Mail) a mail address: a mail start character, then mail address
//     characters holding an at sign with a full stop after it; the address
//     runs over every following mail address character;
//  3. (Url) "http:", "https:", "ftp:" or "www." (case counts), then web
//     address characters;
//  4. the Commenter: a comment to the line end;
//  5. the first character of Quotation: a quoted string to the next quote
//     character (a doubled one does not end it) or the line end;
//  6. (ControlCode) "#$" and hexadecimal digits, or "#" and decimal digits;
//  7. the HexPrefix (ASCII case ignored) and hexadecimal digits;
//  8. by the byte: a word of ASCII letters, digits, underscore and
//     half-width katakana (Ank); a number (Int, or Float with a fraction);
//     one ASCII or half-width punctuation byte (Symbol); one full-width
//     symbol (kind 14); a run of double-byte characters of one class
//     (digits 15, Latin 16, hiragana 17, katakana 18, Greek and Cyrillic 19,
//     kanji 20, others Dbcs 12); blanks, controls and bytes of no character
//     make no token.
// A token starts only where the one before it ended: "xhttp://" is a word,
// as "日記帳" is one kanji run and not the reserved word "日記".
// Any token but a bracketed region or a comment whose bytes are a reserved
// word is marked Reserved (it takes the Reserve colour and keeps its kind,
// so an address stays an address).
//
// The reach past a row end is bounded: a scan reads at most
// kFountainLookahead bytes beyond it (plus the trail byte of a character
// that starts within them). Every decision fits in that window: reserved
// words and the strings above have at most 255 bytes, and a mail address's
// at sign and full stop are looked for only there. A token whose end lies
// beyond the window (a 300-character address) goes on in the next row by
// its character class alone. So an edit changes the state of rows above it
// only within that many bytes of its line, which keeps re-parsing local.
//
// State at a row start (TFountainState): the kind of the token open there
// (-1 none), the bracket item of an open region, and Count: with Ends, the
// open token ends after Count bytes; without, Count bytes belong to it and
// then its rule goes on (the rest of a left bracket or of a doubled quote).
// Count never exceeds kFountainLookahead + 2.
//
// Cost: linear in the bytes read. The mail check remembers where a failed
// attempt stopped, so a long run of mail characters is read once per row.
// Not thread-safe (scratch buffers); one scanner per highlighter.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/editor/EditorFountain.h"
#include "core/editor/RowAttributeStringList.h"

namespace quillet {

class TReserveWordList;

inline constexpr std::size_t kFountainLookahead = 260;

// What the scanner looks for; strings are code page 932 bytes.
struct TFountainRules {
  bool Url = false;
  bool Mail = false;
  bool ControlCode = false;
  std::string Commenter;
  std::string Quotation;
  std::string HexPrefix;
  // LeftBracket, RightBracket by item index.
  std::vector<std::pair<std::string, std::string>> Brackets;
  const TReserveWordList* Words = nullptr;  // not owned; null: none
};

struct TFountainState {
  int Kind = -1;
  int Bracket = -1;
  int Count = 0;
  bool Ends = false;
  bool Reserved = false;
  bool operator==(const TFountainState&) const = default;
};

// The state as the row store keeps it, and back. `row` gives the row and
// previous row attributes of the record.
TRowAttributeData ToRowData(const TFountainState& state, const TRowAttributeStringList& rows, int row);
TFountainState FromRowData(const TRowAttributeData& data);

class TFountainScanner {
public:
  // Takes the rules (copied; call again after a change).
  void SetRules(TFountainRules rules);
  const TFountainRules& Rules() const noexcept { return m_rules; }

  // Scans row `row` of `rows` (its bytes `text`) from `state`, the state at
  // its start; appends its tokens (bytes of this row only, in order) when
  // `tokens` is given; returns the state at the start of the next row. With
  // `rows` null the row stands alone (its end is a line end).
  TFountainState ScanRow(const TRowAttributeStringList* rows, int row, std::string_view text,
                         const TFountainState& state, std::vector<TFountainToken>* tokens);

private:
  struct TExtent {
    std::size_t End = 0;  // the token's end, or where its rule stopped when Open
    bool Open = false;    // it goes on past the bytes read (the window, or a line end for a region)
  };

  // --- The bytes a scan may read: the row, then the window past it ---------
  void BeginRow(const TRowAttributeStringList* rows, int row, std::string_view text);
  void Fetch();
  // Bytes readable now (after Fetch when past the row).
  std::size_t Available() {
    if (!m_fetched) Fetch();
    return m_row.size() + m_ahead.size();
  }
  // Byte i (0..255), or -1 past what may be read.
  int At(std::size_t i) {
    if (i < m_row.size()) return static_cast<unsigned char>(m_row[i]);
    if (!m_fetched) Fetch();
    i -= m_row.size();
    return i < m_ahead.size() ? static_cast<unsigned char>(m_ahead[i]) : -1;
  }
  // Bytes of the character at i (1 or 2), within its own row.
  std::size_t CharLen(std::size_t i);
  // The character at i: a byte, or lead << 8 | trail.
  unsigned Code(std::size_t i);
  bool MatchesAt(std::size_t i, std::string_view bytes);
  bool MatchesCaseless(std::size_t i, std::string_view bytes);

  // --- Token procedures ------------------------------------------------------
  // The token starting at `at` (a character boundary in the row): its kind
  // (-1 for none) and extent.
  int NextToken(std::size_t at, TExtent& extent, int& bracket);
  // How a token of `kind` goes on from `from` (a clean place in it).
  TExtent Continue(int kind, int bracket, std::size_t from);
  TExtent ClassRun(int kind, std::size_t from);
  TExtent Region(int bracket, std::size_t from);
  TExtent Quoted(std::size_t from);
  TExtent ToLineEnd();
  bool IsReserved(std::size_t first, std::size_t end);

  TFountainRules m_rules;
  std::array<bool, 256> m_special{};  // bytes that may start steps 1..7
  std::string m_quote;                // the first character of Quotation

  const TRowAttributeStringList* m_rows = nullptr;
  int m_rowIndex = 0;
  std::string_view m_row;
  bool m_wrapped = false;     // the line goes on in the next row
  bool m_fetched = false;
  bool m_lineEnds = true;     // the window holds the rest of the line
  std::string m_ahead;        // bytes of the next rows, at most the window
  std::vector<std::size_t> m_aheadEnds;  // where each of those rows ends in m_ahead
  std::size_t m_mailFailedUntil = 0;
  std::string m_word;         // scratch of IsReserved
};

}  // namespace quillet
