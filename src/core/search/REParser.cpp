// TREParser: see the header for the grammar.
#include "core/search/REParser.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quillet {

namespace {

bool EndsTerm(TRETokenKind kind) noexcept {
  return kind == TRETokenKind::Union || kind == TRETokenKind::RightParen || kind == TRETokenKind::End;
}

// The ranges of "." in code order.
constexpr std::pair<TRECode, TRECode> kAnyRanges[] = {{1, 9}, {11, 12}, {14, kREAnyMax}};

}  // namespace

void TREParser::Parse(std::string_view pattern, TREParseTree& tree) {
  TREParser parser(pattern, tree);
  parser.Advance();
  const int root = parser.Regex(0);
  if (parser.m_token.Kind != TRETokenKind::End) {
    throw ERegExpParser(remsg::kExtraCharacters, parser.m_token.Position);
  }
  tree.SetRoot(root);
}

int TREParser::Regex(int depth) {
  int node = Term(depth);
  while (m_token.Kind == TRETokenKind::Union) {
    Advance();
    node = m_tree.Join(node, Term(depth));
  }
  return node;
}

int TREParser::Term(int depth) {
  if (EndsTerm(m_token.Kind)) return m_tree.AddNode(TRENodeKind::Empty);
  int node = Factor(depth);
  while (!EndsTerm(m_token.Kind)) node = m_tree.AddNode(TRENodeKind::Concat, node, Factor(depth));
  return node;
}

int TREParser::Factor(int depth) {
  const int primary = Primary(depth);
  switch (m_token.Kind) {
    case TRETokenKind::Star:
      Advance();
      return m_tree.AddNode(TRENodeKind::Star, primary);
    case TRETokenKind::Plus:
      Advance();
      return m_tree.AddNode(TRENodeKind::Concat, primary, m_tree.AddNode(TRENodeKind::Star, primary));
    case TRETokenKind::Question:
      Advance();
      return m_tree.AddNode(TRENodeKind::Union, primary, m_tree.AddNode(TRENodeKind::Empty));
    default:
      return primary;
  }
}

int TREParser::Primary(int depth) {
  const TREToken token = m_token;
  switch (token.Kind) {
    case TRETokenKind::Char:
      Advance();
      return m_tree.AddRange(token.Lo, token.Hi);
    case TRETokenKind::LeftParen: {
      if (depth >= kREMaxNesting) throw ERegExpParser(remsg::kTooDeep, token.Position);
      Advance();
      const int inner = Regex(depth + 1);
      if (m_token.Kind != TRETokenKind::RightParen) throw ERegExpParser(remsg::kRightParen, m_token.Position);
      Advance();
      return inner;
    }
    case TRETokenKind::ClassStart:
    case TRETokenKind::NegClassStart:
      return Class(token.Kind == TRETokenKind::NegClassStart);
    case TRETokenKind::Any:
      Advance();
      return AnyCharacter();
    case TRETokenKind::LineHead:
      Advance();
      return m_tree.AddNode(TRENodeKind::LineHead);
    case TRETokenKind::LineTail:
      Advance();
      return m_tree.AddNode(TRENodeKind::LineTail);
    default:
      throw ERegExpParser(remsg::kPrimaryExpected, token.Position);
  }
}

int TREParser::AnyCharacter() {
  int node = -1;
  for (const auto& [lo, hi] : kAnyRanges) {
    const int range = m_tree.AddRange(lo, hi);
    node = node < 0 ? range : m_tree.Join(node, range);
  }
  return node;
}

int TREParser::Class(bool negated) {
  std::vector<std::pair<TRECode, TRECode>> items;
  for (bool first = true;; first = false) {
    const TREToken item = m_scanner.NextInClass();
    if (item.Kind == TRETokenKind::End) throw ERegExpParser(remsg::kRightBracket, item.Position);
    if (item.Kind == TRETokenKind::ClassEnd) {
      if (first) throw ERegExpParser(remsg::kBadClass, item.Position);
      break;
    }
    if (item.Hi < item.Lo) throw ERegExpParser(remsg::kBadRange, item.Position);
    items.emplace_back(item.Lo, item.Hi);
  }
  Advance();  // back to the scanner's outside mode, after "]"

  if (negated) {
    // Cut every item out of the ranges of ".".
    std::vector<std::pair<TRECode, TRECode>> rest(std::begin(kAnyRanges), std::end(kAnyRanges));
    for (const auto& [cutLo, cutHi] : items) {
      std::vector<std::pair<TRECode, TRECode>> next;
      for (const auto& [lo, hi] : rest) {
        if (cutHi < lo || cutLo > hi) {
          next.emplace_back(lo, hi);
          continue;
        }
        if (cutLo > lo) next.emplace_back(lo, cutLo - 1);
        if (cutHi < hi) next.emplace_back(cutHi + 1, hi);
      }
      rest.swap(next);
    }
    items.swap(rest);
    if (items.empty()) items.emplace_back(kRENeverCode, kRENeverCode);
  }
  int node = -1;
  for (const auto& [lo, hi] : items) {
    const int range = m_tree.AddRange(lo, hi);
    node = node < 0 ? range : m_tree.Join(node, range);
  }
  return node;
}

}  // namespace quillet
