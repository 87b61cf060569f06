// TRE_NFA: the nondeterministic automaton of a split parse tree (Thompson's
// construction, K. Thompson, "Regular expression search algorithm", CACM
// 11(6), 1968), and TRE_NFAStateSet, a bit set over its states.
//
// From an entry state s and an exit state f:
//   range        one transition s -> f on its leaf
//   concatenation a new middle state m; left s -> m, right m -> f
//   union        both children s -> f
//   star         new states a, b; empty moves s -> a, b -> a, a -> f; the
//                child a -> b
//   empty        an empty move s -> f
//   line head    on the line-head code when s is the automaton's entry
//                state, else the character "^"
//   line tail    on the line-tail code when f is the automaton's final
//                state, else the character "$"
// x+ is parsed as x x*, two copies of x. When the pattern has no line head or
// tail (whose meaning depends on the copy), x+ is built with one copy and a
// loop instead: same language, and nested pluses stay linear in size.
//
// Invariants: the entry state has no incoming transition and the final state
// no outgoing one, so a line-head transition can only be the first step of a
// match and a line-tail transition only the last. The automaton is refused
// ("正規表現が複雑すぎます") past kREMaxNfaStates states. Building is
// iterative, so a long or deeply nested pattern cannot exhaust the stack.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/search/REParseTree.h"

namespace quillet {

namespace remsg {
// 正規表現が複雑すぎます
inline constexpr std::string_view kTooComplex =
    "\x90\xb3\x8b\x4b\x95\x5c\x8c\xbb\x82\xaa\x95\xa1\x8e\x47\x82\xb7\x82\xac\x82\xdc\x82\xb7";
}  // namespace remsg

inline constexpr int kREMaxNfaStates = 200000;

class TRE_NFAStateSet {
public:
  explicit TRE_NFAStateSet(std::size_t size = 0) : m_words((size + 63) / 64, 0) {}
  bool Contains(int state) const noexcept {
    const auto s = static_cast<std::size_t>(state);
    return (m_words[s / 64] >> (s % 64) & 1u) != 0;
  }
  // True when the state was not in the set before.
  bool Insert(int state) noexcept {
    const auto s = static_cast<std::size_t>(state);
    const std::uint64_t bit = std::uint64_t{1} << (s % 64);
    if ((m_words[s / 64] & bit) != 0) return false;
    m_words[s / 64] |= bit;
    return true;
  }
  void Erase(int state) noexcept {
    const auto s = static_cast<std::size_t>(state);
    m_words[s / 64] &= ~(std::uint64_t{1} << (s % 64));
  }

private:
  std::vector<std::uint64_t> m_words;
};

struct TRENfaEdge {
  int Leaf;    // index into Leaves(); kEmptyMove for an empty move
  int Target;
};

class TRE_NFA {
public:
  static constexpr int kEmptyMove = -1;

  // Builds the automaton of `tree` (after SplitLeaves, which must have been
  // given headCode, tailCode, '^' and '$'). Throws ERegExpParser (too
  // complex) past kREMaxNfaStates.
  TRE_NFA(const TREParseTree& tree, TRECode headCode, TRECode tailCode);

  // The automaton of the reversed language: every transition turned round,
  // entry and final swapped.
  TRE_NFA Reversed() const;

  int Entry() const noexcept { return m_entry; }
  int Final() const noexcept { return m_final; }
  int StateCount() const noexcept { return m_stateCount; }
  std::span<const TRENfaEdge> Edges(int state) const noexcept {
    const auto s = static_cast<std::size_t>(state);
    return {m_edges.data() + m_offsets[s], m_offsets[s + 1] - m_offsets[s]};
  }
  const std::vector<TRELeaf>& Leaves() const noexcept { return m_leaves; }
  bool BeginsWithLineHead() const noexcept { return m_beginsWithLineHead; }
  bool EndsWithLineTail() const noexcept { return m_endsWithLineTail; }
  int HeadLeaf() const noexcept { return m_headLeaf; }
  int TailLeaf() const noexcept { return m_tailLeaf; }

private:
  struct TRawEdge {
    int From;
    int Leaf;
    int To;
  };
  TRE_NFA() = default;
  void Finish(std::vector<TRawEdge>& raw);

  std::vector<std::size_t> m_offsets;  // m_stateCount + 1
  std::vector<TRENfaEdge> m_edges;     // grouped by source state
  std::vector<TRELeaf> m_leaves;
  int m_entry = 0;
  int m_final = 1;
  int m_stateCount = 2;
  int m_headLeaf = -1;
  int m_tailLeaf = -1;
  bool m_beginsWithLineHead = false;
  bool m_endsWithLineTail = false;
};

}  // namespace quillet
