// TREParseTree: the nodes of a parsed pattern and its character-range
// leaves.
//
// Nodes live in one vector and refer to each other by index; a subtree may
// be shared (x+ is x concatenated with the star of the same x). Kinds:
// a character range [Lo, Hi], line head, line tail, concatenation and union
// (Left, Right), star (Left) and empty.
//
// SplitLeaves() makes the ranges the alphabet of the automata: afterwards any
// two range nodes are equal or disjoint, each range node names its leaf (an
// index into Leaves(), sorted by code, pairwise disjoint), and a node whose
// range overlapped others has become the union of its pieces. So every
// transition of the automata is on exactly one leaf. Cost: O(r log r) for r
// range nodes, plus one node per piece.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "core/search/RECode.h"

namespace quillet {

enum class TRENodeKind { Range, LineHead, LineTail, Concat, Union, Star, Empty };

struct TRENode {
  TRENodeKind Kind = TRENodeKind::Empty;
  TRECode Lo = 0;
  TRECode Hi = 0;
  int Left = -1;
  int Right = -1;
  int Leaf = -1;  // Range nodes, after SplitLeaves()
};

struct TRELeaf {
  TRECode Lo = 0;
  TRECode Hi = 0;
};

// A code no text ever holds: the one range of a class that excludes every
// character (such as [^\x1-\xFFFF]), so that it never matches.
inline constexpr TRECode kRENeverCode = 0x1FFFF;

class TREParseTree {
public:
  int AddRange(TRECode lo, TRECode hi);
  int AddNode(TRENodeKind kind, int left = -1, int right = -1);
  // The union of the two nodes. Throws std::logic_error ("TREParseTree :
  // 致命的エラー") when either index names no node: an internal fault.
  int Join(int left, int right);

  void SetRoot(int root) noexcept { m_root = root; }
  int Root() const noexcept { return m_root; }
  const TRENode& Node(int index) const { return m_nodes[static_cast<std::size_t>(index)]; }
  std::size_t NodeCount() const noexcept { return m_nodes.size(); }

  // Takes `code` out of every range node that holds it among other codes
  // (a class range such as [\t- ]); a range of that code alone keeps it.
  // Call before SplitLeaves. Cost: one pass over the nodes.
  void CutFromRanges(TRECode code);

  // Splits the range leaves (see above). `extraCodes` are single codes that
  // the automaton builder may need as leaves of their own (the line-head and
  // line-tail codes, "^" and "$"); each becomes a leaf, used or not.
  void SplitLeaves(std::span<const TRECode> extraCodes);
  const std::vector<TRELeaf>& Leaves() const noexcept { return m_leaves; }
  // The leaf holding `code`, or -1. O(log leaves).
  int LeafOf(TRECode code) const noexcept;

private:
  std::vector<TRENode> m_nodes;
  std::vector<TRELeaf> m_leaves;
  int m_root = -1;
};

}  // namespace quillet
