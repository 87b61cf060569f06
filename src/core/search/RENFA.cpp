// TRE_NFA: construction with an explicit work list; see the header.
#include "core/search/RENFA.h"

#include <algorithm>
#include <stdexcept>

#include "core/search/REScanner.h"

namespace quillet {

TRE_NFA::TRE_NFA(const TREParseTree& tree, TRECode headCode, TRECode tailCode) : m_leaves(tree.Leaves()) {
  m_headLeaf = tree.LeafOf(headCode);
  m_tailLeaf = tree.LeafOf(tailCode);
  const int caretLeaf = tree.LeafOf('^');
  const int dollarLeaf = tree.LeafOf('$');

  bool hasAnchors = false;
  for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
    const auto kind = tree.Node(static_cast<int>(i)).Kind;
    hasAnchors = hasAnchors || kind == TRENodeKind::LineHead || kind == TRENodeKind::LineTail;
  }

  std::vector<TRawEdge> raw;
  const auto newState = [this]() {
    if (m_stateCount >= kREMaxNfaStates) throw ERegExpParser(remsg::kTooComplex, 1);
    return m_stateCount++;
  };
  struct TWork {
    int Node;
    int From;
    int To;
  };
  std::vector<TWork> work{{tree.Root(), m_entry, m_final}};
  while (!work.empty()) {
    const TWork item = work.back();
    work.pop_back();
    const TRENode& node = tree.Node(item.Node);
    switch (node.Kind) {
      case TRENodeKind::Range:
        raw.push_back({item.From, node.Leaf, item.To});
        break;
      case TRENodeKind::Concat: {
        const TRENode& right = tree.Node(node.Right);
        if (!hasAnchors && right.Kind == TRENodeKind::Star && right.Left == node.Left) {
          // x x*: one copy of x in a loop.
          const int a = newState();
          const int b = newState();
          raw.push_back({item.From, kEmptyMove, a});
          raw.push_back({b, kEmptyMove, a});
          raw.push_back({b, kEmptyMove, item.To});
          work.push_back({node.Left, a, b});
          break;
        }
        const int middle = newState();
        work.push_back({node.Right, middle, item.To});
        work.push_back({node.Left, item.From, middle});
        break;
      }
      case TRENodeKind::Union:
        work.push_back({node.Right, item.From, item.To});
        work.push_back({node.Left, item.From, item.To});
        break;
      case TRENodeKind::Star: {
        const int a = newState();
        const int b = newState();
        raw.push_back({item.From, kEmptyMove, a});
        raw.push_back({b, kEmptyMove, a});
        raw.push_back({a, kEmptyMove, item.To});
        work.push_back({node.Left, a, b});
        break;
      }
      case TRENodeKind::Empty:
        raw.push_back({item.From, kEmptyMove, item.To});
        break;
      case TRENodeKind::LineHead:
        if (item.From == m_entry) {
          m_beginsWithLineHead = true;
          raw.push_back({item.From, m_headLeaf, item.To});
        } else {
          raw.push_back({item.From, caretLeaf, item.To});
        }
        break;
      case TRENodeKind::LineTail:
        if (item.To == m_final) {
          m_endsWithLineTail = true;
          raw.push_back({item.From, m_tailLeaf, item.To});
        } else {
          raw.push_back({item.From, dollarLeaf, item.To});
        }
        break;
      default:
        throw std::logic_error("This cannot happen in TRE_NFA.GenerateStateList");
    }
  }
  Finish(raw);
}

void TRE_NFA::Finish(std::vector<TRawEdge>& raw) {
  std::stable_sort(raw.begin(), raw.end(), [](const TRawEdge& a, const TRawEdge& b) { return a.From < b.From; });
  m_offsets.assign(static_cast<std::size_t>(m_stateCount) + 1, 0);
  m_edges.clear();
  m_edges.reserve(raw.size());
  for (const TRawEdge& edge : raw) {
    ++m_offsets[static_cast<std::size_t>(edge.From) + 1];
    m_edges.push_back({edge.Leaf, edge.To});
  }
  for (std::size_t s = 1; s < m_offsets.size(); ++s) m_offsets[s] += m_offsets[s - 1];
}

TRE_NFA TRE_NFA::Reversed() const {
  TRE_NFA reversed;
  reversed.m_leaves = m_leaves;
  reversed.m_stateCount = m_stateCount;
  reversed.m_entry = m_final;
  reversed.m_final = m_entry;
  reversed.m_headLeaf = m_headLeaf;
  reversed.m_tailLeaf = m_tailLeaf;
  reversed.m_beginsWithLineHead = m_beginsWithLineHead;
  reversed.m_endsWithLineTail = m_endsWithLineTail;
  std::vector<TRawEdge> raw;
  raw.reserve(m_edges.size());
  for (int s = 0; s < m_stateCount; ++s) {
    for (const TRENfaEdge& edge : Edges(s)) raw.push_back({edge.Target, edge.Leaf, s});
  }
  reversed.Finish(raw);
  return reversed;
}

}  // namespace quillet
