// TAWKStr and TGrep over random patterns and texts, against the tests'
// reference matcher (a plain backtracking walk of the parse tree): the
// string matcher must find the same leftmost-longest match under both line
// separators, the grep the same lines, from memory and from a file alike.
//
// Patterns and texts are kept short (the reference is polynomial with a
// large exponent). One kind of pattern is not compared in grep mode: a class
// or character that holds the line feed. The grep cuts the line feed out of
// such ranges (a line never holds one), while the reference would let it
// match the line feeds it puts around each line.
#include <string>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "core/search/Grep.h"
#include "core/search/REParser.h"
#include "core/search/bmRegExp.h"
#include "search/ReferenceMatcher.h"

using namespace quillet;

namespace {

constexpr std::size_t kMaxPattern = 24;
constexpr std::size_t kMaxText = 64;

using TLines = std::vector<std::pair<std::size_t, std::string>>;

bool RangeHoldsLineFeed(const TREParseTree& tree) {
  for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
    const TRENode& node = tree.Node(static_cast<int>(i));
    if (node.Kind == TRENodeKind::Range && node.Lo <= kRELineFeed && kRELineFeed <= node.Hi) return true;
  }
  return false;
}

TLines Collect(TGrep& grep, const std::string* file, std::string_view text) {
  TLines lines;
  grep.OnMatch = [&](TGrep&, const TGrepLine& line) { lines.emplace_back(line.LineNumber, std::string(line.Text)); };
  if (file) {
    grep.Grep(*file);
  } else {
    grep.GrepText(text);
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t patternLength = std::min<std::size_t>(data[0] % (kMaxPattern + 1), size - 1);
  const std::string pattern(reinterpret_cast<const char*>(data) + 1, patternLength);
  const std::string text(reinterpret_cast<const char*>(data) + 1 + patternLength,
                         std::min(size - 1 - patternLength, kMaxText));

  TREParseTree tree;
  try {
    TREParser::Parse(pattern, tree);
  } catch (const ERegExpParser&) {
    return 0;  // the parse harness covers refused patterns
  }

  // The string matcher: the text ends at its first NUL.
  const std::string untilNul = text.substr(0, text.find('\0'));
  for (const auto separator : {TMatchCORE_LineSeparator::mcls_CRLF, TMatchCORE_LineSeparator::mcls_LF}) {
    TAWKStr awk;
    awk.SetLineSeparator(separator);
    awk.SetRegExp(pattern);
    test::TReferenceMatcher reference(pattern, test::TReferenceMatcher::TMode::String,
                                      separator == TMatchCORE_LineSeparator::mcls_CRLF ? kRECarriageReturn
                                                                                       : kRELineFeed);
    std::size_t start = 0, length = 0, refStart = 0, refLength = 0;
    const bool found = awk.Match(text, start, length);
    const bool refFound = reference.Match(untilNul, refStart, refLength);
    FUZZ_CHECK(found == refFound);
    if (found) FUZZ_CHECK(start == refStart + 1 && length == refLength);
  }

  TGrep grep;
  grep.SetRegExp(pattern);
  const TLines fromMemory = Collect(grep, nullptr, text);
  const std::string file = fuzz::WriteScratch("grep.txt", text);
  FUZZ_CHECK(Collect(grep, &file, text) == fromMemory);
  if (RangeHoldsLineFeed(tree)) return 0;
  test::TReferenceMatcher reference(pattern, test::TReferenceMatcher::TMode::Grep);
  TLines expected;
  const auto lines = test::SplitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (reference.LineMatches(lines[i])) expected.emplace_back(i + 1, lines[i]);
  }
  FUZZ_CHECK(fromMemory == expected);
  return 0;
}
