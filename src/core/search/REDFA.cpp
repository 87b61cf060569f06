// TRE_DFA: lazy subset construction with a flushable cache; see the header.
//
// The cap: at most 16384 states, and at most a million transitions stored
// (about 12 MB) over all states together; never fewer states than one
// state's worth of targets plus the pinned states, so that a flush always
// leaves room to finish the state being built. Transitions are counted as
// stored, not as states times leaves: a long alternation of words has
// thousands of leaves (one per distinct character) but each state has
// transitions on few of them, and sizing the cache by the leaves made such
// a pattern flush over and over. Members of all sets together are bounded
// the same way.
#include "core/search/REDFA.h"

#include <algorithm>
#include <functional>

namespace quillet {

namespace {

constexpr std::size_t kMaxStates = 16384;
constexpr std::size_t kTransitionBudget = 1u << 20;
constexpr std::size_t kMemberBudget = 1u << 22;

}  // namespace

std::size_t TRE_DFA::THash::operator()(int index) const noexcept {
  std::uint64_t h = 0x9E3779B97F4A7C15u;
  for (const int s : Owner->SetOf(index)) h = (h ^ static_cast<std::uint32_t>(s)) * std::uint64_t{0x100000001B3u};
  return static_cast<std::size_t>(h);
}

bool TRE_DFA::TEqual::operator()(int a, int b) const noexcept { return Owner->SetOf(a) == Owner->SetOf(b); }

TRE_DFA::TRE_DFA(const TRE_NFA& nfa, TMode mode, int optionalLeaf, int assertLeaf)
    : m_nfa(nfa),
      m_mode(mode),
      m_optionalLeaf(optionalLeaf),
      m_assertLeaf(assertLeaf),
      m_index(16, THash{this}, TEqual{this}),
      m_visited(static_cast<std::size_t>(nfa.StateCount())),
      m_buckets(nfa.Leaves().size()) {
  const std::size_t leaves = nfa.Leaves().size();
  m_cap = std::max(kMaxStates, leaves + 16);

  m_important.assign(static_cast<std::size_t>(nfa.StateCount()), false);
  for (int s = 0; s < nfa.StateCount(); ++s) {
    bool important = s == nfa.Final();
    for (const TRENfaEdge& edge : nfa.Edges(s)) important = important || edge.Leaf != TRE_NFA::kEmptyMove;
    m_important[static_cast<std::size_t>(s)] = important;
  }
  m_startSet = Closure({nfa.Entry()});
  m_inStartSet.assign(static_cast<std::size_t>(nfa.StateCount()), false);
  for (const int s : m_startSet) m_inStartSet[static_cast<std::size_t>(s)] = true;
  if (mode == TMode::Unanchored) {
    // The start state's target set on each leaf, by set: indices change
    // with flushes, sets do not.
    m_startTargets.resize(leaves);
    for (const int s : m_startSet) {
      for (const TRENfaEdge& edge : nfa.Edges(s)) {
        if (edge.Leaf == TRE_NFA::kEmptyMove) continue;
        m_startTargets[static_cast<std::size_t>(edge.Leaf)].push_back(edge.Target);
      }
    }
    for (auto& targets : m_startTargets) {
      if (!targets.empty()) targets = WithStart(Closure(targets));
    }
  }
  m_pinnedSets.push_back(m_startSet);
  m_pinnedIndex.push_back(Intern(m_startSet));
}

std::vector<int> TRE_DFA::Closure(const std::vector<int>& seeds) {
  std::vector<int> result;
  std::vector<int> stack;
  std::vector<int> visited;
  for (const int seed : seeds) {
    if (m_visited.Insert(seed)) {
      stack.push_back(seed);
      visited.push_back(seed);
    }
  }
  while (!stack.empty()) {
    const int s = stack.back();
    stack.pop_back();
    if (m_important[static_cast<std::size_t>(s)]) result.push_back(s);
    for (const TRENfaEdge& edge : m_nfa.Edges(s)) {
      if (edge.Leaf == TRE_NFA::kEmptyMove && m_visited.Insert(edge.Target)) {
        stack.push_back(edge.Target);
        visited.push_back(edge.Target);
      }
    }
  }
  for (const int s : visited) m_visited.Erase(s);
  std::sort(result.begin(), result.end());
  return result;
}

std::vector<int> TRE_DFA::WithStart(std::vector<int> set) const {
  if (m_mode == TMode::Anchored) return set;
  std::vector<int> merged;
  merged.reserve(set.size() + m_startSet.size());
  std::set_union(set.begin(), set.end(), m_startSet.begin(), m_startSet.end(), std::back_inserter(merged));
  return merged;
}

int TRE_DFA::Intern(std::vector<int> set) {
  m_probe = std::move(set);
  const auto found = m_index.find(-1);
  if (found != m_index.end()) return *found;
  TState state;
  state.Set = std::move(m_probe);
  m_probe.clear();
  for (const int s : state.Set) {
    if (s == m_nfa.Final()) state.Accepting = true;
    if (m_assertLeaf < 0) continue;
    for (const TRENfaEdge& edge : m_nfa.Edges(s)) {
      if (edge.Leaf == m_assertLeaf && edge.Target == m_nfa.Final()) state.AcceptsViaAssert = true;
    }
  }
  m_memberCount += state.Set.size();
  m_states.push_back(std::move(state));
  const int index = static_cast<int>(m_states.size() - 1);
  m_index.insert(index);
  return index;
}

bool TRE_DFA::HasRoom(std::size_t newStates, std::size_t newMembers) const noexcept {
  // A state being expanded gets at most one transition per new target.
  return m_states.size() + newStates <= m_cap && m_memberCount + newMembers <= kMemberBudget &&
         m_transitionCount + newStates <= kTransitionBudget;
}

int TRE_DFA::Flush(const std::vector<int>& keep) {
  ++m_flushes;
  m_complete = false;
  m_index.clear();
  m_states.clear();
  m_memberCount = 0;
  m_transitionCount = 0;
  for (std::size_t pin = 0; pin < m_pinnedSets.size(); ++pin) m_pinnedIndex[pin] = Intern(m_pinnedSets[pin]);
  return Intern(keep);
}

int TRE_DFA::Expand(int state, bool allowFlush) {
  const auto& leaves = m_nfa.Leaves();
  // Unanchored: a state other than the start keeps only the transitions
  // that differ from the start state's; Step takes the start state's for
  // the others. Every state holds the start set, so most of its targets
  // are the start state's (each first character of a long alternation):
  // storing them once keeps the cache linear in the pattern, and since a
  // closure of a union is the union of the closures, the members of the
  // start set need not be visited again (their targets are known).
  const bool sparse = m_mode == TMode::Unanchored && state != Start();
  m_touched.clear();
  for (const int s : m_states[static_cast<std::size_t>(state)].Set) {
    if (sparse && m_inStartSet[static_cast<std::size_t>(s)]) continue;
    for (const TRENfaEdge& edge : m_nfa.Edges(s)) {
      if (edge.Leaf == TRE_NFA::kEmptyMove) continue;
      if (leaves[static_cast<std::size_t>(edge.Leaf)].Lo > kREMaxTextCode) continue;  // assertion leaves
      auto& bucket = m_buckets[static_cast<std::size_t>(edge.Leaf)];
      if (bucket.empty()) m_touched.push_back(edge.Leaf);
      bucket.push_back(edge.Target);
    }
  }
  std::sort(m_touched.begin(), m_touched.end());
  std::vector<std::vector<int>> targets;
  targets.reserve(m_touched.size());
  std::size_t members = 0;
  std::size_t kept = 0;
  for (const int leaf : m_touched) {
    auto& bucket = m_buckets[static_cast<std::size_t>(leaf)];
    std::vector<int> target = WithStart(Closure(bucket));
    bucket.clear();
    if (sparse) {
      const auto& fromStart = m_startTargets[static_cast<std::size_t>(leaf)];
      if (!fromStart.empty()) {
        std::vector<int> merged;
        merged.reserve(target.size() + fromStart.size());
        std::set_union(target.begin(), target.end(), fromStart.begin(), fromStart.end(), std::back_inserter(merged));
        target = std::move(merged);
      }
      if (target == fromStart) continue;
    }
    m_touched[kept++] = leaf;
    members += target.size();
    targets.push_back(std::move(target));
  }
  m_touched.resize(kept);

  if (!HasRoom(targets.size(), members)) {
    if (!allowFlush) return -1;
    const std::vector<int> keep = m_states[static_cast<std::size_t>(state)].Set;  // Flush frees the states
    state = Flush(keep);
  }
  std::vector<TTransition> transitions;
  transitions.reserve(targets.size());
  for (std::size_t k = 0; k < targets.size(); ++k) {
    const TRELeaf& leaf = leaves[static_cast<std::size_t>(m_touched[k])];
    const int target = Intern(std::move(targets[k]));
    if (!transitions.empty() && transitions.back().Target == target && transitions.back().Hi + 1 == leaf.Lo) {
      transitions.back().Hi = leaf.Hi;
    } else {
      transitions.push_back({leaf.Lo, leaf.Hi, target});
    }
  }
  if (m_mode == TMode::Unanchored) {
    std::erase_if(transitions, [](const TTransition& t) { return t.Target == Start(); });
  }
  TState& built = m_states[static_cast<std::size_t>(state)];
  m_transitionCount += transitions.size();
  built.Transitions = std::move(transitions);
  built.Expanded = true;
  return state;
}

int TRE_DFA::Step(int state, TRECode code) {
  if (!m_states[static_cast<std::size_t>(state)].Expanded) state = Expand(state, true);
  const auto& transitions = m_states[static_cast<std::size_t>(state)].Transitions;
  auto it = std::upper_bound(transitions.begin(), transitions.end(), code,
                             [](TRECode c, const TTransition& t) { return c < t.Lo; });
  if (it != transitions.begin() && code <= (it - 1)->Hi) return (it - 1)->Target;
  if (m_mode == TMode::Unanchored && state != Start()) return Step(Start(), code);
  return DefaultTarget();
}

int TRE_DFA::StepOptional(int state) {
  const TState& current = m_states[static_cast<std::size_t>(state)];
  if (current.Optional != -2) return current.Optional;
  std::vector<int> seeds;
  if (m_optionalLeaf >= 0) {
    for (const int s : current.Set) {
      for (const TRENfaEdge& edge : m_nfa.Edges(s)) {
        if (edge.Leaf == m_optionalLeaf) seeds.push_back(edge.Target);
      }
    }
  }
  if (seeds.empty()) {
    m_states[static_cast<std::size_t>(state)].Optional = state;
    return state;
  }
  const std::vector<int> source = current.Set;  // `current` dies if the vector grows
  const std::vector<int> reached = Closure(seeds);
  std::vector<int> merged;
  std::set_union(source.begin(), source.end(), reached.begin(), reached.end(), std::back_inserter(merged));
  if (!HasRoom(1, merged.size())) {
    return Flush(merged);  // `state` is gone; nothing to cache it in
  }
  const int target = Intern(std::move(merged));
  m_states[static_cast<std::size_t>(state)].Optional = target;
  return target;
}

std::span<const TRE_DFA::TTransition> TRE_DFA::Transitions(int& state) {
  if (!m_states[static_cast<std::size_t>(state)].Expanded) state = Expand(state, true);
  return m_states[static_cast<std::size_t>(state)].Transitions;
}

int TRE_DFA::Pin(int state) {
  m_pinnedSets.push_back(m_states[static_cast<std::size_t>(state)].Set);
  m_pinnedIndex.push_back(state);
  return static_cast<int>(m_pinnedSets.size() - 1);
}

bool TRE_DFA::Explore() {
  for (std::size_t i = 0; i < m_states.size(); ++i) {
    if (m_states[i].Expanded) continue;
    if (Expand(static_cast<int>(i), false) < 0) return false;
  }
  m_complete = m_flushes == 0;
  return m_complete;
}

bool TRE_DFA::FindLiteral(std::vector<TRECode>& codes) {
  codes.clear();
  int state = Start();
  for (std::size_t steps = 0; steps <= m_cap; ++steps) {
    const auto transitions = Transitions(state);
    if (Accepts(state)) return transitions.empty() && !codes.empty();
    if (transitions.size() != 1 || transitions[0].Lo != transitions[0].Hi) return false;
    codes.push_back(transitions[0].Lo);
    state = transitions[0].Target;
  }
  return false;
}

}  // namespace quillet
