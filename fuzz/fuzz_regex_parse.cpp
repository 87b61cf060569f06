// The regular-expression scanner and parser over arbitrary patterns: a
// pattern either compiles or raises ERegExpParser with one of the engine's
// messages at a position inside the pattern (or just after it), never
// anything else; the token stream stays inside the pattern and ends; a
// compiled pattern builds both matchers' automata and the grep's scan.
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "core/search/Grep.h"
#include "core/search/REParser.h"
#include "core/search/bmRegExp.h"

using namespace quillet;

namespace {

bool KnownMessage(std::string_view message) {
  for (const std::string_view known :
       {remsg::kRightParen, remsg::kRightBracket, remsg::kPrimaryExpected, remsg::kExtraCharacters,
        remsg::kBadClass, remsg::kBadRange, remsg::kBadDoubleByte, remsg::kBackslashAtEnd, remsg::kBadHex,
        remsg::kBadOctal, remsg::kTooDeep}) {
    if (message == known) return true;
  }
  return false;
}

void CheckError(const ERegExpParser& error, std::string_view pattern) {
  FUZZ_CHECK(KnownMessage(error.Message()));
  FUZZ_CHECK(error.Position() >= 1 && error.Position() <= pattern.size() + 1);
}

// Scans the whole pattern as the parser would (brackets switch the mode);
// false when the scanner raised its error.
bool ScanAll(std::string_view pattern) {
  TREScanner scanner(pattern);
  bool inClass = false;
  std::size_t last = 0;
  try {
    for (std::size_t count = 0;; ++count) {
      FUZZ_CHECK(count <= pattern.size());
      const TREToken token = inClass ? scanner.NextInClass() : scanner.Next();
      if (token.Kind == TRETokenKind::End) {
        FUZZ_CHECK(token.Position == pattern.size() + 1);
        return true;
      }
      FUZZ_CHECK(token.Position > last && token.Position <= pattern.size());
      last = token.Position;
      if (token.Kind == TRETokenKind::Char) FUZZ_CHECK(token.Lo <= kREMaxTextCode && token.Hi <= kREMaxTextCode);
      if (token.Kind == TRETokenKind::ClassStart || token.Kind == TRETokenKind::NegClassStart) inClass = true;
      if (token.Kind == TRETokenKind::ClassEnd) inClass = false;
    }
  } catch (const ERegExpParser& error) {
    CheckError(error, pattern);
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1024) return 0;  // a negated class costs the square of its items
  const std::string_view pattern(reinterpret_cast<const char*>(data), size);
  const bool scanned = ScanAll(pattern);

  TREParseTree tree;
  try {
    TREParser::Parse(pattern, tree);
  } catch (const ERegExpParser& error) {
    CheckError(error, pattern);
    // A pattern the parser refuses is refused by both matchers, which keep
    // their previous pattern.
    TAWKStr awk;
    awk.SetRegExp("x");
    try {
      awk.SetRegExp(pattern);
      FUZZ_CHECK(false);
    } catch (const ERegExpParser&) {
    }
    FUZZ_CHECK(awk.RegExp() == "x");
    return 0;
  }
  FUZZ_CHECK(scanned);  // every scanner error is a parser error
  FUZZ_CHECK(tree.Root() >= 0 && static_cast<std::size_t>(tree.Root()) < tree.NodeCount());

  for (const TRECode head : {kREStringLineHead, kRELineFeed}) {
    const TRECode tail = head == kRELineFeed ? kRELineFeed : kREStringLineTail;
    TCompiledExpression compiled(pattern, head, tail);
    if (compiled.IsLiteral()) FUZZ_CHECK(!compiled.LiteralCodes().empty());
    TRE_DFA& dfa = compiled.Dfa();
    int state = TRE_DFA::Start();
    for (std::size_t i = 0; i < pattern.size() && state >= 0; i += RECharLength(pattern, i)) {
      state = dfa.Step(state, RECodeAt(pattern, i));
    }
  }
  TGrep grep;
  grep.SetRegExp(pattern);
  (void)grep.ScanKind();
  for (const std::string& literal : grep.ScanLiterals()) FUZZ_CHECK(!literal.empty());
  TAWKStr awk;
  awk.SetRegExp(pattern);
  std::size_t start = 0;
  std::size_t length = 0;
  if (awk.Match(pattern, start, length)) FUZZ_CHECK(start >= 1 && start - 1 + length <= pattern.size());
  return 0;
}
