// Tests of TREParseTree's leaf splitter: after splitting, leaves are sorted
// and pairwise disjoint and every range node is exactly the union of whole
// leaves (so equal ranges share a leaf); and the internal-error guard.
#include "core/search/REParseTree.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <stdexcept>
#include <vector>

namespace quillet {
namespace {

// The codes a node covers (ranges kept small by the test).
void Codes(const TREParseTree& tree, int index, std::set<TRECode>& out) {
  const TRENode& node = tree.Node(index);
  if (node.Kind == TRENodeKind::Range) {
    for (TRECode c = node.Lo; c <= node.Hi; ++c) out.insert(c);
  } else if (node.Kind == TRENodeKind::Union) {
    Codes(tree, node.Left, out);
    Codes(tree, node.Right, out);
  }
}

TEST(SplitLeaves, MakesDisjointPiecesThatKeepEveryRange) {
  std::mt19937 random(9);
  for (int round = 0; round < 300; ++round) {
    TREParseTree tree;
    std::vector<std::pair<int, std::set<TRECode>>> ranges;
    const int count = 1 + static_cast<int>(random() % 8);
    for (int k = 0; k < count; ++k) {
      const auto lo = static_cast<TRECode>(random() % 60);
      const auto hi = lo + static_cast<TRECode>(random() % 20);
      const int node = tree.AddRange(lo, hi);
      std::set<TRECode> codes;
      for (TRECode c = lo; c <= hi; ++c) codes.insert(c);
      ranges.emplace_back(node, codes);
    }
    const TRECode extra[] = {static_cast<TRECode>(random() % 90)};
    tree.SplitLeaves(extra);

    const auto& leaves = tree.Leaves();
    for (std::size_t k = 1; k < leaves.size(); ++k) ASSERT_LT(leaves[k - 1].Hi, leaves[k].Lo);
    ASSERT_GE(tree.LeafOf(extra[0]), 0);
    for (const auto& [node, codes] : ranges) {
      std::set<TRECode> covered;
      Codes(tree, node, covered);
      EXPECT_EQ(covered, codes);
      // Every piece is a whole leaf.
      std::vector<int> stack{node};
      while (!stack.empty()) {
        const TRENode& n = tree.Node(stack.back());
        stack.pop_back();
        if (n.Kind == TRENodeKind::Union) {
          stack.push_back(n.Left);
          stack.push_back(n.Right);
          continue;
        }
        ASSERT_GE(n.Leaf, 0);
        EXPECT_EQ(leaves[static_cast<std::size_t>(n.Leaf)].Lo, n.Lo);
        EXPECT_EQ(leaves[static_cast<std::size_t>(n.Leaf)].Hi, n.Hi);
      }
    }
  }
}

TEST(Join, OfAMissingNodeIsAnInternalError) {
  TREParseTree tree;
  const int a = tree.AddRange('a', 'a');
  try {
    tree.Join(a, 5);
    FAIL();
  } catch (const std::logic_error& error) {
    // TREParseTree : 致命的エラー
    EXPECT_STREQ(error.what(), "TREParseTree : \x92\x76\x96\xBD\x93\x49\x83\x47\x83\x89\x81\x5B");
  }
}

}  // namespace
}  // namespace quillet
