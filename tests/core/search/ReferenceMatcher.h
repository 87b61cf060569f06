// A plain backtracking matcher over the parse tree, for the tests only: the
// meaning of a pattern written down directly, with none of the automata. It
// returns every end position a node can reach from a start position (so it
// is exponential in the worst case and meant for small patterns and texts).
//
// The line head and tail follow the construction rule: a "^" is an
// assertion only where its automaton state would be the entry (the root, a
// branch of a union there, the left side of a concatenation there), a "$"
// only where its exit would be the final state; elsewhere they are the
// characters ^ and $. In string mode the assertions look at the text around
// a position; in grep mode they consume a line feed.
//
// Beside it, the plain line splitter and the pattern generator that the
// search tests share.
#pragma once

#include <map>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/search/REParseTree.h"
#include "core/search/REParser.h"

namespace quillet::test {

class TReferenceMatcher {
public:
  enum class TMode { String, Grep };

  TReferenceMatcher(std::string_view pattern, TMode mode, TRECode lineEnd = kRECarriageReturn)
      : m_mode(mode), m_lineEnd(lineEnd) {
    TREParser::Parse(pattern, m_tree);
  }

  // Leftmost-longest match in a string: 0-based byte start and length.
  bool Match(std::string_view text, std::size_t& start, std::size_t& length) {
    Decode(text);
    for (std::size_t s = 0; s <= m_codes.size(); ++s) {
      const auto ends = Ends(m_tree.Root(), s, true, true);
      if (ends.empty()) continue;
      start = m_offsets[s];
      length = m_offsets[*ends.rbegin()] - m_offsets[s];
      return true;
    }
    return false;
  }

  // Whether a grep line (without its line end) matches: the line is seen
  // with the line feeds before and after it.
  bool LineMatches(std::string_view line) {
    Decode("\n" + std::string(line) + "\n");
    for (std::size_t s = 0; s <= m_codes.size(); ++s) {
      if (!Ends(m_tree.Root(), s, true, true).empty()) return true;
    }
    return false;
  }

private:
  void Decode(std::string_view text) {
    m_codes.clear();
    m_offsets.clear();
    m_memo.clear();
    for (std::size_t i = 0; i < text.size(); i += RECharLength(text, i)) {
      m_offsets.push_back(i);
      m_codes.push_back(RECodeAt(text, i));
    }
    m_offsets.push_back(text.size());
  }

  std::set<std::size_t> Literal(std::size_t i, TRECode code) const {
    if (i < m_codes.size() && m_codes[i] == code) return {i + 1};
    return {};
  }

  std::set<std::size_t> Ends(int index, std::size_t i, bool atEntry, bool atFinal) {
    const auto key = std::make_tuple(index, i, atEntry, atFinal);
    if (const auto it = m_memo.find(key); it != m_memo.end()) return it->second;
    const TRENode& node = m_tree.Node(index);
    std::set<std::size_t> ends;
    switch (node.Kind) {
      case TRENodeKind::Range:
        if (i < m_codes.size() && node.Lo <= m_codes[i] && m_codes[i] <= node.Hi) ends.insert(i + 1);
        break;
      case TRENodeKind::Empty:
        ends.insert(i);
        break;
      case TRENodeKind::LineHead:
        if (!atEntry) {
          ends = Literal(i, '^');
        } else if (m_mode == TMode::Grep) {
          ends = Literal(i, kRELineFeed);
        } else if (i == 0 || m_codes[i - 1] == kRELineFeed) {
          ends.insert(i);
        }
        break;
      case TRENodeKind::LineTail:
        if (!atFinal) {
          ends = Literal(i, '$');
        } else if (m_mode == TMode::Grep) {
          ends = Literal(i, kRELineFeed);
        } else if (i == m_codes.size() || m_codes[i] == m_lineEnd) {
          ends.insert(i);
        }
        break;
      case TRENodeKind::Concat:
        for (const std::size_t middle : Ends(node.Left, i, atEntry, false)) {
          for (const std::size_t end : Ends(node.Right, middle, false, atFinal)) ends.insert(end);
        }
        break;
      case TRENodeKind::Union:
        ends = Ends(node.Left, i, atEntry, atFinal);
        for (const std::size_t end : Ends(node.Right, i, atEntry, atFinal)) ends.insert(end);
        break;
      case TRENodeKind::Star: {
        ends.insert(i);
        std::vector<std::size_t> frontier{i};
        while (!frontier.empty()) {
          const std::size_t from = frontier.back();
          frontier.pop_back();
          for (const std::size_t end : Ends(node.Left, from, false, false)) {
            if (ends.insert(end).second) frontier.push_back(end);
          }
        }
        break;
      }
    }
    m_memo[key] = ends;
    return ends;
  }

  TREParseTree m_tree;
  TMode m_mode;
  TRECode m_lineEnd;
  std::vector<TRECode> m_codes;
  std::vector<std::size_t> m_offsets;
  std::map<std::tuple<int, std::size_t, bool, bool>, std::set<std::size_t>> m_memo;
};

// Lines as the file reader splits them: CR LF, CR and LF each end a line;
// text after the last line end is a line of its own.
inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      lines.push_back(line);
      line.clear();
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += text[i];
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// A random pattern over `atoms`: concatenations, unions, groups and empty
// parts, each possibly under *, + or ?, nested at most four deep.
inline std::string RandomPattern(std::mt19937& random, const std::vector<std::string>& atoms, int depth = 0) {
  const auto choice = depth > 3 ? 0u : random() % 10;
  std::string result;  // empty for choice 9
  if (choice <= 4) {
    result = atoms[random() % atoms.size()];
  } else if (choice <= 6) {
    result = RandomPattern(random, atoms, depth + 1) + RandomPattern(random, atoms, depth + 1);
  } else if (choice == 7) {
    result = RandomPattern(random, atoms, depth + 1) + "|" + RandomPattern(random, atoms, depth + 1);
  } else if (choice == 8) {
    result = "(" + RandomPattern(random, atoms, depth + 1) + ")";
  }
  switch (random() % 8) {
    case 0: return "(" + result + ")*";
    case 1: return "(" + result + ")+";
    case 2: return "(" + result + ")?";
    default: return result;
  }
}

}  // namespace quillet::test
