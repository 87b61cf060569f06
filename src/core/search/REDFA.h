// TRE_DFA: the deterministic automaton of a TRE_NFA by subset construction
// (Rabin and Scott; as in Aho, Sethi and Ullman, "Compilers", 3.6), built
// lazily with a bounded cache of states.
//
// A DFA state is the set of NFA states reachable after the text read so far,
// kept as its "important" members only (states with a character transition,
// and the final state), so that sets differing only in empty-move states are
// one DFA state. Its transitions are (Lo, Hi, Target) sorted by Lo, never
// overlapping, adjacent ranges with one target merged; a code in none of
// them goes to DefaultTarget(): no state (kDead) in an anchored automaton,
// the start state in an unanchored one, which restarts the pattern at every
// character (the language .*R) so that one walk finds every match. In an
// unanchored automaton every state holds the start set, so a state other
// than the start lists only the transitions that differ from the start
// state's; a code in none of them goes where the start state goes on it.
//
// States are made when first reached. Explore() makes them all up front and
// reports whether they fit under StateCap(); the cap bounds the memory a
// pattern can claim (subset construction is exponential in the worst case:
// (a|b)*a(a|b)(a|b)... doubles the states with every (a|b)). A walk that
// needs a state past the cap flushes the cache and goes on from the set it
// is in, as a lazy DFA; a walk then costs at most O(NFA size) per character
// instead of O(1), and never more. Indices held across a call of Step,
// StepOptional or Transitions are invalid after a flush, except the start
// state 0 and pinned states, which the caller re-reads with Pinned().
//
// Two special leaves serve the string matcher's line assertions: the
// optional leaf (StepOptional adds the states reachable over it, used to
// begin at a line head or end at a line tail) and the assert leaf
// (AcceptsViaAssert: the state would accept after one transition on it).
//
// Not thread-safe: a walk may add states. Each matcher owns its automata.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_set>
#include <vector>

#include "core/search/RENFA.h"

namespace quillet {

class TRE_DFA {
public:
  enum class TMode { Anchored, Unanchored };
  struct TTransition {
    TRECode Lo;
    TRECode Hi;
    int Target;
  };
  static constexpr int kDead = -1;

  // `nfa` must outlive the automaton. Leaves may be -1 (none).
  TRE_DFA(const TRE_NFA& nfa, TMode mode, int optionalLeaf = -1, int assertLeaf = -1);
  TRE_DFA(const TRE_DFA&) = delete;
  TRE_DFA& operator=(const TRE_DFA&) = delete;

  static constexpr int Start() noexcept { return 0; }
  int DefaultTarget() const noexcept { return m_mode == TMode::Anchored ? kDead : Start(); }

  // The state after reading `code` (<= 0xFFFF) in `state`, or kDead.
  // Amortised O(log transitions); the first visit of a state builds it.
  int Step(int state, TRECode code);
  // `state` together with everything reachable from it over the optional leaf.
  int StepOptional(int state);
  bool Accepts(int state) const noexcept { return m_states[static_cast<std::size_t>(state)].Accepting; }
  bool AcceptsViaAssert(int state) const noexcept {
    return m_states[static_cast<std::size_t>(state)].AcceptsViaAssert;
  }
  // The sorted transitions of `state` (built if needed; see the note on
  // indices above).
  std::span<const TTransition> Transitions(int& state);

  // Keeps `state` across flushes; returns its pin number for Pinned().
  int Pin(int state);
  int Pinned(int pin) const noexcept { return m_pinnedIndex[static_cast<std::size_t>(pin)]; }

  // Builds every reachable state. False when the cap stopped it; the states
  // made so far stay as the cache.
  bool Explore();
  // Every state built and none ever flushed: indices are stable and Step
  // never builds anything.
  bool Complete() const noexcept { return m_complete; }
  std::size_t StateCount() const noexcept { return m_states.size(); }
  std::size_t StateCap() const noexcept { return m_cap; }
  std::size_t Flushes() const noexcept { return m_flushes; }

  // Anchored automata: the codes of the only string the expression matches,
  // when, following from the start state, every state has exactly one
  // transition on a single code and only the last state (which has none)
  // accepts. False otherwise, and for the empty pattern.
  bool FindLiteral(std::vector<TRECode>& codes);

private:
  struct TState {
    std::vector<int> Set;  // sorted important NFA states
    std::vector<TTransition> Transitions;
    int Optional = -2;     // cached StepOptional, -2 when not known
    bool Expanded = false;
    bool Accepting = false;
    bool AcceptsViaAssert = false;
  };
  struct THash {
    const TRE_DFA* Owner;
    std::size_t operator()(int index) const noexcept;
  };
  struct TEqual {
    const TRE_DFA* Owner;
    bool operator()(int a, int b) const noexcept;
  };

  const std::vector<int>& SetOf(int index) const noexcept {
    return index < 0 ? m_probe : m_states[static_cast<std::size_t>(index)].Set;
  }
  // Index of the state with this set, made if new (no cap check here).
  int Intern(std::vector<int> set);
  // Important states reachable by empty moves from `seeds`, sorted.
  std::vector<int> Closure(const std::vector<int>& seeds);
  std::vector<int> WithStart(std::vector<int> set) const;
  // Builds the transitions of `state`; returns its index (changed after a
  // flush). With allowFlush false, returns -1 instead of flushing.
  int Expand(int state, bool allowFlush);
  // Empties the cache, keeping the pinned sets at their indices, then adds
  // `keep`; returns the index of `keep`.
  int Flush(const std::vector<int>& keep);
  bool HasRoom(std::size_t newStates, std::size_t newMembers) const noexcept;

  const TRE_NFA& m_nfa;
  TMode m_mode;
  int m_optionalLeaf;
  int m_assertLeaf;
  std::vector<bool> m_important;
  std::vector<int> m_startSet;
  std::vector<bool> m_inStartSet;                 // by NFA state
  std::vector<std::vector<int>> m_startTargets;  // by leaf; unanchored only
  std::vector<TState> m_states;
  std::vector<int> m_probe;
  std::unordered_set<int, THash, TEqual> m_index;
  std::vector<std::vector<int>> m_pinnedSets;
  std::vector<int> m_pinnedIndex;
  std::size_t m_cap;
  std::size_t m_memberCount = 0;
  std::size_t m_transitionCount = 0;
  std::size_t m_flushes = 0;
  bool m_complete = false;
  // Scratch of Expand and Closure, kept to avoid allocations per state.
  TRE_NFAStateSet m_visited;
  std::vector<std::vector<int>> m_buckets;
  std::vector<int> m_touched;
};

}  // namespace quillet
