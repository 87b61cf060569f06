// TREParseTree: node storage and the leaf splitter.
//
// The splitter cuts the code axis at every range start and every range end
// + 1; the pieces between two cuts that some range covers are the leaves.
// A range that covers several pieces is rewritten in place as a balanced
// union of new range nodes, one per piece, so shared references to it stay
// valid.
#include "core/search/REParseTree.h"

#include <algorithm>
#include <stdexcept>

namespace quillet {

namespace {

// TREParseTree : 致命的エラー
constexpr const char* kFatal = "TREParseTree : \x92\x76\x96\xBD\x93\x49\x83\x47\x83\x89\x81\x5B";

}  // namespace

int TREParseTree::AddRange(TRECode lo, TRECode hi) {
  TRENode node;
  node.Kind = TRENodeKind::Range;
  node.Lo = lo;
  node.Hi = hi;
  m_nodes.push_back(node);
  return static_cast<int>(m_nodes.size() - 1);
}

int TREParseTree::AddNode(TRENodeKind kind, int left, int right) {
  TRENode node;
  node.Kind = kind;
  node.Left = left;
  node.Right = right;
  m_nodes.push_back(node);
  return static_cast<int>(m_nodes.size() - 1);
}

int TREParseTree::Join(int left, int right) {
  const auto valid = [this](int index) { return index >= 0 && static_cast<std::size_t>(index) < m_nodes.size(); };
  if (!valid(left) || !valid(right)) throw std::logic_error(kFatal);
  return AddNode(TRENodeKind::Union, left, right);
}

void TREParseTree::CutFromRanges(TRECode code) {
  const std::size_t count = m_nodes.size();  // the pieces added below need no cut
  for (std::size_t i = 0; i < count; ++i) {
    const TRENode node = m_nodes[i];
    if (node.Kind != TRENodeKind::Range || node.Lo == node.Hi || code < node.Lo || code > node.Hi) continue;
    if (code == node.Lo) {
      m_nodes[i].Lo = code + 1;
    } else if (code == node.Hi) {
      m_nodes[i].Hi = code - 1;
    } else {
      // Rewritten in place, so shared references to the node stay valid.
      const int low = AddRange(node.Lo, code - 1);
      const int high = AddRange(code + 1, node.Hi);
      m_nodes[i] = TRENode{};
      m_nodes[i].Kind = TRENodeKind::Union;
      m_nodes[i].Left = low;
      m_nodes[i].Right = high;
    }
  }
}

void TREParseTree::SplitLeaves(std::span<const TRECode> extraCodes) {
  std::vector<TRECode> cuts;
  for (const TRENode& node : m_nodes) {
    if (node.Kind != TRENodeKind::Range) continue;
    cuts.push_back(node.Lo);
    cuts.push_back(node.Hi + 1);
  }
  for (const TRECode code : extraCodes) {
    cuts.push_back(code);
    cuts.push_back(code + 1);
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());

  // Piece k is [cuts[k], cuts[k + 1] - 1]; only covered pieces become leaves.
  std::vector<int> leafOfPiece(cuts.empty() ? 0 : cuts.size() - 1, -1);
  const auto pieceOf = [&cuts](TRECode code) {
    return static_cast<std::size_t>(std::upper_bound(cuts.begin(), cuts.end(), code) - cuts.begin() - 1);
  };
  const auto mark = [&](TRECode lo, TRECode hi) {
    for (std::size_t k = pieceOf(lo); k < leafOfPiece.size() && cuts[k] <= hi; ++k) leafOfPiece[k] = 0;
  };
  for (const TRENode& node : m_nodes) {
    if (node.Kind == TRENodeKind::Range) mark(node.Lo, node.Hi);
  }
  for (const TRECode code : extraCodes) mark(code, code);
  m_leaves.clear();
  for (std::size_t k = 0; k < leafOfPiece.size(); ++k) {
    if (leafOfPiece[k] < 0) continue;
    leafOfPiece[k] = static_cast<int>(m_leaves.size());
    m_leaves.push_back({cuts[k], cuts[k + 1] - 1});
  }

  const std::size_t originalCount = m_nodes.size();
  for (std::size_t i = 0; i < originalCount; ++i) {
    if (m_nodes[i].Kind != TRENodeKind::Range) continue;
    const std::size_t first = pieceOf(m_nodes[i].Lo);
    const std::size_t last = pieceOf(m_nodes[i].Hi);
    if (first == last) {
      m_nodes[i].Leaf = leafOfPiece[first];
      continue;
    }
    // Balanced, so that a class cut into many pieces nests only log deep.
    std::vector<int> parts;
    for (std::size_t k = first; k <= last; ++k) {
      const int piece = AddRange(cuts[k], cuts[k + 1] - 1);
      m_nodes[static_cast<std::size_t>(piece)].Leaf = leafOfPiece[k];
      parts.push_back(piece);
    }
    while (parts.size() > 2) {
      std::vector<int> joined;
      for (std::size_t k = 0; k + 1 < parts.size(); k += 2) joined.push_back(Join(parts[k], parts[k + 1]));
      if (parts.size() % 2 != 0) joined.push_back(parts.back());
      parts.swap(joined);
    }
    TRENode& node = m_nodes[i];  // after the pushes above
    node.Kind = TRENodeKind::Union;
    node.Left = parts[0];
    node.Right = parts[1];
  }
}

int TREParseTree::LeafOf(TRECode code) const noexcept {
  const auto it = std::upper_bound(m_leaves.begin(), m_leaves.end(), code,
                                   [](TRECode c, const TRELeaf& leaf) { return c < leaf.Lo; });
  if (it == m_leaves.begin()) return -1;
  const auto& leaf = *(it - 1);
  return code <= leaf.Hi ? static_cast<int>(it - 1 - m_leaves.begin()) : -1;
}

}  // namespace quillet
