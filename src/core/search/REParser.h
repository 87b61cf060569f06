// TREParser: recursive descent from tokens to a TREParseTree.
//
//   regex   := term { "|" term }                  union nodes, left to right
//   term    := empty                              before "|", ")" or the end
//            | factor { factor }                  concatenation nodes
//   factor  := primary [ "*" | "+" | "?" ]        x+ = x x*, x? = x | empty
//   primary := character | "(" regex ")" | class | "." | "^" | "$"
//
// "." is any character but the end, line feed and carriage return, up to
// 0xFCFC; a negated class is "." with its items cut out. Errors raise
// ERegExpParser with the messages of REScanner.h and the 1-based position of
// the token where they were found. Cost: linear in the pattern, except that
// a negated class costs O(items²).
#pragma once

#include <string_view>

#include "core/search/REParseTree.h"
#include "core/search/REScanner.h"

namespace quillet {

namespace remsg {
// 括弧の入れ子が深すぎます: parentheses nested past kREMaxNesting, refused
// rather than letting the recursion exhaust a worker thread's stack.
inline constexpr std::string_view kTooDeep =
    "\x8a\x87\x8c\xca\x82\xcc\x93\xfc\x82\xea\x8e\x71\x82\xaa\x90\x5b\x82\xb7\x82\xac\x82\xdc\x82\xb7";
}  // namespace remsg

inline constexpr int kREMaxNesting = 500;

class TREParser {
public:
  // Parses the whole pattern into `tree` (which must be empty) and sets its
  // root. Throws ERegExpParser.
  static void Parse(std::string_view pattern, TREParseTree& tree);

private:
  TREParser(std::string_view pattern, TREParseTree& tree) : m_scanner(pattern), m_tree(tree) {}
  void Advance() { m_token = m_scanner.Next(); }
  int Regex(int depth);
  int Term(int depth);
  int Factor(int depth);
  int Primary(int depth);
  int Class(bool negated);
  int AnyCharacter();

  TREScanner m_scanner;
  TREParseTree& m_tree;
  TREToken m_token;
};

}  // namespace quillet
