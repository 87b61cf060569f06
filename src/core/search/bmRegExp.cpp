// bmRegExp: compilation, the cache, and the two-pass string matcher.
#include "core/search/bmRegExp.h"

#include <algorithm>

#include "core/search/REParser.h"

namespace quillet {

namespace {

TREParseTree ParsedAndSplit(std::string_view pattern, TRECode headCode, TRECode tailCode) {
  TREParseTree tree;
  TREParser::Parse(pattern, tree);
  // The file grep hands its automaton the line feed around each line for
  // the line head and tail; a line never holds one. A class range that
  // spans it ([\t- ] for blanks) would take that line feed for a member and
  // match every line, empty ones too, so it is no member there. The string
  // matcher's text may hold line feeds, which its classes do match.
  if (headCode == kRELineFeed) tree.CutFromRanges(kRELineFeed);
  const TRECode extra[] = {headCode, tailCode, '^', '$', kRELineFeed, kRECarriageReturn};
  tree.SplitLeaves(extra);
  return tree;
}

int AssertionLeaf(TRECode code, int leaf) { return code > kREMaxTextCode ? leaf : -1; }

// The string matcher's reversed automaton, kept with the compiled pattern.
class TStringMatcherData : public TMatcherData {
public:
  explicit TStringMatcherData(const TRE_NFA& forward)
      : Reversed(forward.Reversed()),
        ReverseDfa(Reversed, TRE_DFA::TMode::Unanchored, Reversed.TailLeaf(), Reversed.HeadLeaf()) {}
  TRE_NFA Reversed;
  TRE_DFA ReverseDfa;  // optional leaf: line tail; assert leaf: line head
};

}  // namespace

TCompiledExpression::TCompiledExpression(std::string_view pattern, TRECode headCode, TRECode tailCode)
    : m_pattern(pattern),
      m_headCode(headCode),
      m_tailCode(tailCode),
      m_tree(ParsedAndSplit(pattern, headCode, tailCode)),
      m_nfa(m_tree, headCode, tailCode) {
  m_dfa = std::make_unique<TRE_DFA>(m_nfa, TRE_DFA::TMode::Anchored, AssertionLeaf(headCode, m_nfa.HeadLeaf()),
                                    AssertionLeaf(tailCode, m_nfa.TailLeaf()));
  m_isLiteral = m_dfa->FindLiteral(m_literal);
}

TRegularExpression::TRegularExpression(TRECode headCode, TRECode tailCode)
    : m_headCode(headCode), m_tailCode(tailCode) {
  m_cache.push_back(std::make_unique<TCompiledExpression>("", headCode, tailCode));
  m_current = m_cache.front().get();
}

void TRegularExpression::SetRegExp(std::string_view pattern) {
  for (const auto& compiled : m_cache) {
    if (compiled->Pattern() == pattern) {
      m_current = compiled.get();
      return;
    }
  }
  auto compiled = std::make_unique<TCompiledExpression>(pattern, m_headCode, m_tailCode);  // may throw
  if (m_cache.size() >= kCacheSize) m_cache.pop_back();
  m_current = compiled.get();
  m_cache.insert(m_cache.begin() + 1, std::move(compiled));
}

std::vector<std::string> TRegularExpression::CachedPatterns() const {
  std::vector<std::string> patterns;
  for (const auto& compiled : m_cache) patterns.push_back(compiled->Pattern());
  return patterns;
}

TMatchCORE::TMatchCORE() : TRegularExpression(kREStringLineHead, kREStringLineTail) {}

bool TMatchCORE::FindMatch(std::string_view text, std::size_t& start, std::size_t& length) {
  TCompiledExpression& compiled = Current();
  if (!compiled.MatcherData) compiled.MatcherData = std::make_unique<TStringMatcherData>(compiled.Nfa());
  TRE_DFA& reverse = static_cast<TStringMatcherData&>(*compiled.MatcherData).ReverseDfa;
  TRE_DFA& forward = compiled.Dfa();
  const TRECode lineEnd = m_lineSeparator == TMatchCORE_LineSeparator::mcls_CRLF ? kRECarriageReturn : kRELineFeed;

  // Characters and their byte offsets; offsets[count] is the end.
  std::vector<TRECode> codes;
  std::vector<std::size_t> offsets;
  codes.reserve(text.size());
  offsets.reserve(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); i += RECharLength(text, i)) {
    offsets.push_back(i);
    codes.push_back(RECodeAt(text, i));
  }
  offsets.push_back(text.size());
  const std::size_t count = codes.size();
  const auto atLineHead = [&](std::size_t i) { return i == 0 || codes[i - 1] == kRELineFeed; };

  // Pass 1, right to left: the leftmost position where some match begins.
  // The state at position i holds the reversed-pattern states reachable from
  // every possible match end at or after i.
  int state = reverse.StepOptional(TRE_DFA::Start());  // the end of the text is a line end
  bool found = false;
  std::size_t best = 0;
  const auto check = [&](std::size_t i) {
    if (reverse.Accepts(state) || (reverse.AcceptsViaAssert(state) && atLineHead(i))) {
      found = true;
      best = i;
    }
  };
  check(count);
  for (std::size_t i = count; i-- > 0;) {
    state = reverse.Step(state, codes[i]);
    if (codes[i] == lineEnd) state = reverse.StepOptional(state);
    check(i);
  }
  if (!found) return false;

  // Pass 2, left to right from there: the longest match.
  state = atLineHead(best) ? forward.StepOptional(TRE_DFA::Start()) : TRE_DFA::Start();
  std::size_t end = best;
  bool ended = false;
  for (std::size_t j = best;; ++j) {
    if (forward.Accepts(state) || (forward.AcceptsViaAssert(state) && (j == count || codes[j] == lineEnd))) {
      ended = true;
      end = j;
    }
    if (j == count) break;
    state = forward.Step(state, codes[j]);
    if (state == TRE_DFA::kDead) break;
  }
  if (!ended) return false;  // cannot happen: pass 1 saw a match begin here
  start = offsets[best];
  length = offsets[end] - offsets[best];
  return true;
}

bool TAWKStr::Match(std::string_view text, std::size_t& start, std::size_t& length) {
  // Code 0 ends the text, as it ends the strings titles are kept in: what
  // follows a NUL byte is neither searched nor a place for the line tail.
  text = text.substr(0, text.find('\0'));
  std::size_t offset = 0;
  if (!FindMatch(text, offset, length)) {
    start = length = 0;
    return false;
  }
  start = offset + 1;
  return true;
}

}  // namespace quillet
