// bmRegExp: the compiled form of a pattern, the cache of compiled patterns
// (TRegularExpression), and the string matcher (TMatchCORE, TAWKStr).
//
// A pattern (code page 932 bytes) is scanned and parsed into a tree, its
// range leaves are split into disjoint pieces, the tree becomes an NFA and
// the NFA, on demand, DFAs (see REScanner.h ... REDFA.h). Each matcher
// compiles with its own two assertion codes: the string matcher with codes
// outside the text (its line head and line tail are assertions checked
// against the text around a position), the file grep with the line feed
// (a line head consumes the line feed before a line, a line tail the one
// after it).
//
// TAWKStr.Match finds the leftmost-longest match in linear time, without
// backtracking: a reversed, unanchored automaton walked from the end of the
// text to its start finds the leftmost position where a match begins; the
// forward automaton from there finds the longest match. Both automata are
// DFAs built lazily and kept with the compiled pattern, so repeated matching
// of the same pattern costs one table step per character (see REDFA.h for the
// bound when a pattern's automaton is too large to keep).
//
// Matchers are not thread-safe; each worker owns its own.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/REDFA.h"
#include "core/search/RENFA.h"
#include "core/search/REParseTree.h"
#include "core/search/REScanner.h"

namespace quillet {

// Data a matcher derives from a compiled pattern and keeps with it in the
// cache (the grep's byte tables, the string matcher's reversed automaton).
class TMatcherData {
public:
  virtual ~TMatcherData() = default;
};

class TCompiledExpression {
public:
  // Compiles `pattern`; throws ERegExpParser. Cost: linear in the pattern
  // (the automata are built later, on demand).
  TCompiledExpression(std::string_view pattern, TRECode headCode, TRECode tailCode);

  const std::string& Pattern() const noexcept { return m_pattern; }
  TRECode HeadCode() const noexcept { return m_headCode; }
  TRECode TailCode() const noexcept { return m_tailCode; }
  const TREParseTree& Tree() const noexcept { return m_tree; }
  const TRE_NFA& Nfa() const noexcept { return m_nfa; }
  bool BeginsWithLineHead() const noexcept { return m_nfa.BeginsWithLineHead(); }
  bool EndsWithLineTail() const noexcept { return m_nfa.EndsWithLineTail(); }
  // The anchored forward automaton. With assertion codes outside the text,
  // its optional leaf is the line head and its assert leaf the line tail.
  TRE_DFA& Dfa() noexcept { return *m_dfa; }
  // A plain literal: the pattern matches exactly one non-empty string.
  bool IsLiteral() const noexcept { return m_isLiteral; }
  const std::vector<TRECode>& LiteralCodes() const noexcept { return m_literal; }

  std::unique_ptr<TMatcherData> MatcherData;

private:
  std::string m_pattern;
  TRECode m_headCode;
  TRECode m_tailCode;
  TREParseTree m_tree;
  TRE_NFA m_nfa;
  std::unique_ptr<TRE_DFA> m_dfa;
  std::vector<TRECode> m_literal;
  bool m_isLiteral = false;
};

// Holds the current pattern and up to kCacheSize compiled patterns keyed by
// their text: slot 0 is the empty pattern, compiled at creation; a new
// pattern is compiled into slot 1, after the last slot has been freed when
// the cache is full. Grep compiles the same few patterns for every file, so
// setting RegExp is usually a lookup.
class TRegularExpression {
public:
  static constexpr std::size_t kCacheSize = 30;

  virtual ~TRegularExpression() = default;
  TRegularExpression(const TRegularExpression&) = delete;
  TRegularExpression& operator=(const TRegularExpression&) = delete;

  // Makes `pattern` (code page 932) current, compiling it unless cached.
  // Throws ERegExpParser on a syntax error; the previous pattern then stays.
  void SetRegExp(std::string_view pattern);
  const std::string& RegExp() const noexcept { return m_current->Pattern(); }

  // For tests: the patterns in the cache, slot order.
  std::vector<std::string> CachedPatterns() const;

protected:
  TRegularExpression(TRECode headCode, TRECode tailCode);
  TCompiledExpression& Current() noexcept { return *m_current; }

private:
  TRECode m_headCode;
  TRECode m_tailCode;
  std::vector<std::unique_ptr<TCompiledExpression>> m_cache;
  TCompiledExpression* m_current = nullptr;
};

enum class TMatchCORE_LineSeparator { mcls_CRLF, mcls_LF };

// The string matching core. A line head matches at the start of the text and
// after every line feed; a line tail before every line end (carriage return
// under mcls_CRLF, line feed under mcls_LF) and at the end of the text.
class TMatchCORE : public TRegularExpression {
public:
  TMatchCORE_LineSeparator LineSeparator() const noexcept { return m_lineSeparator; }
  void SetLineSeparator(TMatchCORE_LineSeparator separator) noexcept { m_lineSeparator = separator; }

protected:
  TMatchCORE();
  // Leftmost-longest match of the current pattern in `text`: true with the
  // 0-based byte offset and byte length of the match (possibly empty).
  // Cost: O(text) steps plus one allocation of O(text).
  bool FindMatch(std::string_view text, std::size_t& start, std::size_t& length);

private:
  TMatchCORE_LineSeparator m_lineSeparator = TMatchCORE_LineSeparator::mcls_CRLF;
};

class TAWKStr : public TMatchCORE {
public:
  // The leftmost-longest match: `start` is the 1-based byte index of its
  // first byte and `length` its length in bytes; both 0 (and false) when
  // there is none. A match may be empty (the pattern a* matches at 1 with
  // length 0 in "b"). The text ends at its first NUL byte (code 0).
  bool Match(std::string_view text, std::size_t& start, std::size_t& length);
};

}  // namespace quillet
