// TGrep: reports every line of a text file that contains a match of the
// current pattern, in file order, each line once.
//
// Lines come from TTxtFile. The line head and line tail of a pattern are the
// line feeds before and after a line (so ^ and $ match at the start and end
// of every line); a match never reaches past them, so whether a line matches
// depends on that line alone, never on where a block boundary fell. A
// pattern that matches the empty string matches every line. A class range
// never holds the line feed ([\t- ] finds blanks, not every line).
//
// Two scans, chosen when the pattern is compiled:
//  - a plain literal (the pattern matches exactly one string, with no line
//    end in it) is searched for with memmem over the whole block; a hit
//    inside a double-byte character (found from the nearest byte that cannot
//    be a lead byte) is skipped, so a character never matches from its
//    second byte;
//  - anything else walks the block once with an unanchored DFA compiled to
//    byte tables, one table of 256 entries per state and per (state, lead
//    byte) pair, so the hot loop is one load per byte; the table of a line
//    feed returns to the line-start state unless a match ends there. A
//    literal that every match contains, when there is one, picks the lines
//    to walk (memmem), so most of the text is never walked. When the
//    DFA would pass its state cap, the walk steps the lazy DFA character by
//    character instead: slower, still linear in the text.
// Line numbers are counted only up to each reported line.
//
// One TGrep per thread; Cancel may be set from any thread.
// GrepText gives the same lines as Grep for text held in memory.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/TxtFile.h"
#include "core/search/bmRegExp.h"

namespace quillet {

// The line record handed to OnMatch: the line without its line end, valid
// during the call only, and its 1-based number.
struct TGrepLine {
  std::string_view Text;
  std::size_t LineNumber = 0;
};

class TGrep : public TRegularExpression {
public:
  TGrep();

  // Called on the grepping thread for each matching line.
  std::function<void(TGrep& sender, const TGrepLine& line)> OnMatch;
  // Set to stop a running Grep: it raises EGrepCancel before the next line
  // it would report or after the next block it reads.
  std::atomic<bool> Cancel{false};

  // Scans the file from its start. Returns at its end; throws EGrepCancel,
  // or std::system_error when the file cannot be opened or read.
  void Grep(const std::string& fileName);

  // Scans `text` as Grep scans a file of the same bytes: the same lines,
  // numbers and scans (see LinesOfText). For text that only exists in
  // memory, such as a decrypted entry. Copies the text once; checks Cancel
  // every kBlockSize bytes of it and before each line it reports (throws
  // EGrepCancel).
  void GrepText(std::string_view text);

  // Which scan the current pattern uses (for tests and benchmarks).
  enum class TScan { Literal, ByteTable, CharacterWalk, EveryLine };
  TScan ScanKind();
  // The bytes the scan searches for with memmem: the pattern itself for a
  // literal scan, a literal every match contains for a table scan (may be
  // empty).
  const std::string& ScanLiteral();
  // All the literals the scan searches for: ScanLiteral alone, or a few one
  // of which every match holds (東京|大阪), or none.
  const std::vector<std::string>& ScanLiterals();
};

}  // namespace quillet
