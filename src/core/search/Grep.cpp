// TGrep: the literal scan, the byte-table scan and the character walk; see
// the header. The byte tables are the DFA of REDFA.h restated per byte:
// rows for DFA states and rows for "a lead byte has been read in this
// state"; identical lead-byte rows are shared (most lead bytes of most
// states lead back to the start state, so a pattern needs a few dozen
// rows, not 60 per state). Rows are numbered so that every accepting state
// comes last: the hot loop tests one comparison per byte. The automaton
// lists for each state only the transitions that differ from the start
// state's, so each state's rows begin as copies of the start state's. A carriage return
// (always followed by a line feed in the blocks TTxtFile gives) leaves the
// state as it is, so CR LF files need no copying.
//
// A pattern that is not a plain literal may still require one: every match
// of [ァ-ヶ]*ニュース[ぁ-ん]* contains ニュース. Such a literal (found on the
// parse tree: exact strings, prefixes and suffixes joined across
// concatenations, as grep tools have long done; of several, the one least
// likely to occur in Japanese text, see Rarity) is searched for with memmem
// first, and only the lines holding it are walked with the tables. When no
// single literal is required but one of a few is (東京|大阪|京都), each of
// them is searched for, and the lines holding any of them are walked.
#include "core/search/Grep.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quillet {

namespace {

constexpr unsigned char kLF = '\n';

class TGrepProgram : public TMatcherData {
public:
  explicit TGrepProgram(TCompiledExpression& compiled);

  TGrep::TScan Scan = TGrep::TScan::CharacterWalk;
  std::string Literal;               // Literal scan: the literal; ByteTable: a required literal or empty
  std::vector<std::string> Literals;  // ByteTable: Literal, or a few one of which every match holds; or none
  std::vector<std::uint32_t> Table;  // [row * 256 + byte] = target row * 256
  std::uint32_t LineStartRow = 0;    // * 256
  std::uint32_t AcceptBase = 0;      // * 256; targets at or above accept
  std::unique_ptr<TRE_DFA> Dfa;      // unanchored
  int LineStartPin = 0;

private:
  bool LiteralFits(const std::vector<TRECode>& codes);
  void FindRequiredLiteral(const TREParseTree& tree);
  bool BuildTable(int lineStart);
};

TGrepProgram::TGrepProgram(TCompiledExpression& compiled) {
  Dfa = std::make_unique<TRE_DFA>(compiled.Nfa(), TRE_DFA::TMode::Unanchored);
  const int lineStart = Dfa->Step(TRE_DFA::Start(), kRELineFeed);
  if (Dfa->Accepts(TRE_DFA::Start()) || Dfa->Accepts(lineStart)) {
    Scan = TGrep::TScan::EveryLine;
    return;
  }
  if (compiled.IsLiteral() && LiteralFits(compiled.LiteralCodes())) {
    Scan = TGrep::TScan::Literal;
    return;
  }
  LineStartPin = Dfa->Pin(lineStart);
  if (Dfa->Explore()) {
    if (!BuildTable(Dfa->Pinned(LineStartPin))) return;  // too large: walk characters
    Scan = TGrep::TScan::ByteTable;
    FindRequiredLiteral(compiled.Tree());
  }
}

// A literal is searched for as bytes only when its bytes mean the same
// characters wherever they are found at a character boundary: every code
// occurs in text, no lone lead byte (which only occurs before a line end),
// no line end (a literal with the line feed of ^ or $ is walked instead).
bool TGrepProgram::LiteralFits(const std::vector<TRECode>& codes) {
  std::string bytes;
  for (const TRECode code : codes) {
    if (!IsTextCode(code) || code == kRECarriageReturn || code == kRELineFeed) return false;
    if (code < 0x100 && IsLeadByte(static_cast<unsigned char>(code))) return false;
    AppendRECode(bytes, code);
  }
  Literal = std::move(bytes);
  return true;
}

// What every match of a node contains, in codes: the whole match when it is
// one fixed string (Exact), how every match begins and ends, and a factor
// found in every match. Strings are cut to kMaxKept codes, which keeps them
// true (a prefix of a prefix is a prefix) and the work linear.
struct TRequired {
  bool Exact = false;
  std::vector<TRECode> Prefix;  // the whole string when Exact
  std::vector<TRECode> Suffix;
  std::vector<TRECode> Factor;
  // A few strings one of which every match contains (東京|大阪 needs 東京 or
  // 大阪), the best such set below the node; empty when none is known.
  std::vector<std::vector<TRECode>> AnyOf;
};

// More strings than this would cost more memmem passes than the table walk.
constexpr std::size_t kMaxAnyOf = 8;

constexpr std::size_t kMaxKept = 32;

std::vector<TRECode> Joined(const std::vector<TRECode>& a, const std::vector<TRECode>& b) {
  std::vector<TRECode> joined(a);
  joined.insert(joined.end(), b.begin(), b.end());
  return joined;
}

// How seldom a literal is likely to occur in Japanese text, so that the
// scan stops at few lines: kana-kanji prose is about half hiragana (particles
// such as で and に are in nearly every line), ASCII and punctuation are
// common too, while any one kanji or katakana character is rare. So a kanji
// or katakana character counts 3, any other character 1: of the literals
// that (会社|学校)で[0-9]+時 requires, 時 wins over で.
int Rarity(const std::vector<TRECode>& codes) {
  int score = 0;
  for (const TRECode code : codes) {
    const bool hiragana = code >= 0x829F && code <= 0x82F1;
    const bool punctuation = code >= 0x8140 && code <= 0x81FC;
    score += code > 0xFF && !hiragana && !punctuation ? 3 : 1;
  }
  return score;
}

// Keeps the rarer literal; the first of two equally rare ones.
void KeepRarer(std::vector<TRECode>& best, const std::vector<TRECode>& candidate) {
  if (Rarity(candidate) > Rarity(best)) best = candidate;
}

// A set is as good as its most common member; of two equally good sets the
// smaller (fewer memmem passes) wins. No set scores 0.
int SetRarity(const std::vector<std::vector<TRECode>>& set) {
  int score = set.empty() ? 0 : INT32_MAX;
  for (const auto& member : set) score = std::min(score, Rarity(member));
  return score;
}

void KeepRarerSet(std::vector<std::vector<TRECode>>& best, const std::vector<std::vector<TRECode>>& candidate) {
  const int a = SetRarity(best);
  const int b = SetRarity(candidate);
  if (b > a || (b == a && b > 0 && candidate.size() < best.size())) best = candidate;
}

// The node's AnyOf made the better of itself and its single factor.
TRequired WithBestSet(TRequired r) {
  if (!r.Factor.empty()) KeepRarerSet(r.AnyOf, {r.Factor});
  return r;
}

TRequired Cut(TRequired r) {
  if (r.Prefix.size() > kMaxKept) {
    r.Exact = false;
    r.Prefix.resize(kMaxKept);
  }
  if (r.Suffix.size() > kMaxKept) r.Suffix.erase(r.Suffix.begin(), r.Suffix.end() - kMaxKept);
  if (r.Factor.size() > kMaxKept) r.Factor.resize(kMaxKept);
  return r;
}

TRequired Combine(const TRENode& node, const TRequired* left, const TRequired* right) {
  TRequired r;
  switch (node.Kind) {
    case TRENodeKind::Range:
      // Only characters that text holds as themselves, never a line end.
      if (node.Lo == node.Hi && IsTextCode(node.Lo) && node.Lo != kRELineFeed && node.Lo != kRECarriageReturn) {
        r.Exact = true;
        r.Prefix = r.Suffix = r.Factor = {node.Lo};
        r.AnyOf = {r.Factor};
      }
      return r;
    case TRENodeKind::Empty:
      r.Exact = true;
      return r;
    case TRENodeKind::Concat:
      r.Exact = left->Exact && right->Exact;
      r.Prefix = left->Exact ? Joined(left->Prefix, right->Prefix) : left->Prefix;
      r.Suffix = right->Exact ? Joined(left->Suffix, right->Suffix) : right->Suffix;
      r.Factor = left->Factor;
      KeepRarer(r.Factor, right->Factor);
      KeepRarer(r.Factor, Joined(left->Suffix, right->Prefix));
      if (r.Exact) r.Factor = r.Prefix;
      r.AnyOf = left->AnyOf;
      KeepRarerSet(r.AnyOf, right->AnyOf);
      return WithBestSet(Cut(std::move(r)));
    case TRENodeKind::Union: {
      r.Exact = left->Exact && right->Exact && left->Prefix == right->Prefix;
      const auto& a = left->Prefix;
      const auto& b = right->Prefix;
      std::size_t n = 0;
      while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
      r.Prefix.assign(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(n));
      const auto& c = left->Suffix;
      const auto& d = right->Suffix;
      std::size_t m = 0;
      while (m < c.size() && m < d.size() && c[c.size() - 1 - m] == d[d.size() - 1 - m]) ++m;
      r.Suffix.assign(c.end() - static_cast<std::ptrdiff_t>(m), c.end());
      r.Factor = r.Prefix;
      KeepRarer(r.Factor, r.Suffix);
      if (!left->AnyOf.empty() && !right->AnyOf.empty() && left->AnyOf.size() + right->AnyOf.size() <= kMaxAnyOf) {
        r.AnyOf = left->AnyOf;
        for (const auto& member : right->AnyOf) {
          if (std::find(r.AnyOf.begin(), r.AnyOf.end(), member) == r.AnyOf.end()) r.AnyOf.push_back(member);
        }
      }
      return WithBestSet(std::move(r));
    }
    default:  // star, line head, line tail: nothing required
      return r;
  }
}

void TGrepProgram::FindRequiredLiteral(const TREParseTree& tree) {
  // Post-order over the (shared) nodes without recursion: trees of long
  // patterns are deep.
  std::vector<std::unique_ptr<TRequired>> done(tree.NodeCount());
  std::vector<std::pair<int, bool>> stack{{tree.Root(), false}};
  while (!stack.empty()) {
    const auto [index, childrenDone] = stack.back();
    stack.pop_back();
    if (done[static_cast<std::size_t>(index)]) continue;
    const TRENode& node = tree.Node(index);
    const bool binary = node.Kind == TRENodeKind::Concat || node.Kind == TRENodeKind::Union;
    if (!childrenDone && binary) {
      stack.emplace_back(index, true);
      stack.emplace_back(node.Right, false);
      stack.emplace_back(node.Left, false);
      continue;
    }
    const TRequired* left = binary ? done[static_cast<std::size_t>(node.Left)].get() : nullptr;
    const TRequired* right = binary ? done[static_cast<std::size_t>(node.Right)].get() : nullptr;
    done[static_cast<std::size_t>(index)] = std::make_unique<TRequired>(Combine(node, left, right));
  }
  const TRequired& root = *done[static_cast<std::size_t>(tree.Root())];
  const auto bytesOf = [](const std::vector<TRECode>& codes) {
    std::string bytes;
    for (const TRECode code : codes) AppendRECode(bytes, code);
    return bytes;
  };
  // One byte would stop the scan at nearly every line.
  const std::string factor = bytesOf(root.Factor);
  Literal = factor.size() >= 2 ? factor : std::string();
  if (!Literal.empty()) Literals = {Literal};
  // Each literal more costs a memmem pass: a set is used only when the
  // single literal has no kanji or katakana (one such character already
  // picks few lines), and must be rarer by more than one unit per extra
  // member.
  const auto extra = static_cast<int>(root.AnyOf.size()) - 1;
  const int single = Rarity(root.Factor);
  if (extra < 1 || single >= 3 || SetRarity(root.AnyOf) - extra <= single) return;
  std::vector<std::string> literals;
  for (const auto& member : root.AnyOf) {
    literals.push_back(bytesOf(member));
    if (literals.back().size() < 2) return;
  }
  Literal.clear();
  Literals = std::move(literals);
}

// Rows of 256 entries (1 KB) a table may have: 16 MB. Lead rows are shared,
// but a pattern whose many states each treat many lead bytes differently
// could otherwise ask for hundreds of megabytes.
constexpr std::size_t kMaxTableRows = 16384;

// Hash of a table row, for sharing lead rows.
struct TRowHash {
  std::size_t operator()(const std::array<int, 256>& row) const noexcept {
    std::uint64_t h = 0x9E3779B97F4A7C15u;
    for (const int target : row) h = (h ^ static_cast<std::uint32_t>(target)) * std::uint64_t{0x100000001B3u};
    return static_cast<std::size_t>(h);
  }
};

bool TGrepProgram::BuildTable(int lineStart) {
  TRE_DFA& dfa = *Dfa;
  const auto charStates = static_cast<int>(dfa.StateCount());
  const auto afterLineFeed = [&](int state) {
    const int next = dfa.Step(state, kRELineFeed);
    return dfa.Accepts(next) ? next : lineStart;
  };
  // Rows in terms of "references": a DFA state k is k, lead row h is
  // charStates + h. Renumbered below.
  using TRow = std::array<int, 256>;
  std::vector<TRow> rows(static_cast<std::size_t>(charStates));
  std::vector<TRow> leadRows;
  std::map<std::tuple<int, int, int>, int> plainLeadRows;  // (lead, LF entry, CR entry) -> lead row
  std::unordered_map<TRow, int, TRowHash> otherLeadRows;

  // The transitions of [base, base + 0xFF] written over `row` (sorted,
  // disjoint: found by binary search, so a state with many transitions
  // costs only those of this range). True when there were any.
  const auto fill = [&](TRow& row, std::span<const TRE_DFA::TTransition> transitions, TRECode base) {
    auto it = std::lower_bound(transitions.begin(), transitions.end(), base,
                               [](const TRE_DFA::TTransition& t, TRECode b) { return t.Hi < b; });
    bool any = false;
    for (; it != transitions.end() && it->Lo <= base + 0xFF; ++it) {
      const TRECode lo = std::max(it->Lo, base);
      const TRECode hi = std::min(it->Hi, base + 0xFF);
      for (TRECode c = lo; c <= hi; ++c) row[c - base] = it->Target;
      any = true;
    }
    return any;
  };
  // A state other than the start lists only what differs from the start
  // state (see REDFA.h): its rows are the start state's rows overwritten.
  int start = TRE_DFA::Start();
  const std::vector<TRE_DFA::TTransition> startTransitions(dfa.Transitions(start).begin(),
                                                          dfa.Transitions(start).end());
  TRow startRow;
  startRow.fill(TRE_DFA::Start());
  fill(startRow, startTransitions, 0);
  std::vector<TRow> startLeadRows(256);
  std::array<bool, 256> startLeads{};  // the start state has transitions there
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
    const auto l = static_cast<std::size_t>(lead);
    startLeadRows[l].fill(TRE_DFA::Start());
    startLeads[l] = fill(startLeadRows[l], startTransitions, static_cast<TRECode>(lead) << 8);
  }
  for (int state = 0; state < charStates; ++state) {
    int stable = state;  // the automaton is complete: indices do not move
    const auto transitions = dfa.Transitions(stable);
    TRow& row = rows[static_cast<std::size_t>(state)];
    row = startRow;
    fill(row, transitions, 0);
    row[kLF] = afterLineFeed(state);
    row['\r'] = state;  // always followed by a line feed: it changes nothing
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
      // A lead byte before a line end is a character of its own.
      const int alone = dfa.Step(state, static_cast<TRECode>(lead));
      const int lfEntry = dfa.Accepts(alone) ? alone : afterLineFeed(alone);
      const int crEntry = alone;  // the carriage return of CR LF changes nothing
      const auto base = static_cast<TRECode>(lead) << 8;
      TRow trail = startLeadRows[static_cast<std::size_t>(lead)];
      const bool touched = state != TRE_DFA::Start() && fill(trail, transitions, base);
      trail[kLF] = lfEntry;
      trail['\r'] = crEntry;
      int leadRow;
      if (!touched) {
        // Lead bytes the start state ignores share their rows.
        const int key = startLeads[static_cast<std::size_t>(lead)] ? lead : 0;
        const auto [it, added] = plainLeadRows.try_emplace({key, lfEntry, crEntry}, static_cast<int>(leadRows.size()));
        if (added) leadRows.push_back(trail);
        leadRow = it->second;
      } else {
        const auto [it, added] = otherLeadRows.try_emplace(trail, static_cast<int>(leadRows.size()));
        if (added) leadRows.push_back(trail);
        leadRow = it->second;
      }
      if (rows.size() + leadRows.size() > kMaxTableRows) return false;
      row[static_cast<std::size_t>(lead)] = charStates + leadRow;
    }
  }

  // Non-accepting states, then lead rows, then accepting states.
  const auto leadCount = static_cast<int>(leadRows.size());
  std::vector<std::uint32_t> number(static_cast<std::size_t>(charStates + leadCount));
  std::uint32_t next = 0;
  for (int state = 0; state < charStates; ++state) {
    if (!dfa.Accepts(state)) number[static_cast<std::size_t>(state)] = next++;
  }
  for (int h = 0; h < leadCount; ++h) number[static_cast<std::size_t>(charStates + h)] = next++;
  AcceptBase = next * 256;
  for (int state = 0; state < charStates; ++state) {
    if (dfa.Accepts(state)) number[static_cast<std::size_t>(state)] = next++;
  }
  Table.assign(static_cast<std::size_t>(next) * 256, 0);
  const auto emit = [&](int reference, const TRow& row) {
    std::uint32_t* out = Table.data() + std::size_t{number[static_cast<std::size_t>(reference)]} * 256;
    for (std::size_t b = 0; b < 256; ++b) out[b] = number[static_cast<std::size_t>(row[b])] * 256;
  };
  for (int state = 0; state < charStates; ++state) emit(state, rows[static_cast<std::size_t>(state)]);
  for (int h = 0; h < leadCount; ++h) emit(charStates + h, leadRows[static_cast<std::size_t>(h)]);
  LineStartRow = number[static_cast<std::size_t>(lineStart)] * 256;
  return true;
}

// Hands lines to OnMatch, counting line feeds only up to each reported line.
class TReporter {
public:
  // `lines` in the form of TTxtFile::Lines(); its first line is `firstLine`.
  TReporter(TGrep& grep, std::string_view lines, std::size_t firstLine)
      : m_grep(grep), m_lines(lines), m_number(firstLine) {}

  // The line [start, end) of the block (end is its line feed).
  void Report(std::size_t start, std::size_t end) {
    m_number += CountLineFeeds(m_lines.data() + m_counted, start - m_counted);
    m_counted = start;
    if (m_grep.Cancel.load(std::memory_order_relaxed)) throw EGrepCancel();
    if (m_grep.OnMatch) m_grep.OnMatch(m_grep, TGrepLine{TrimLineEnd(m_lines, start, end), m_number});
  }

private:
  TGrep& m_grep;
  std::string_view m_lines;
  std::size_t m_counted = 1;  // line feeds before here are counted
  std::size_t m_number;       // the number of the line starting at m_counted
};

std::size_t LineEndFrom(std::string_view lines, std::size_t pos) {
  const void* found = std::memchr(lines.data() + pos, '\n', lines.size() - pos);
  return static_cast<std::size_t>(static_cast<const char*>(found) - lines.data());  // the block ends in '\n'
}

std::size_t LineStartBefore(std::string_view lines, std::size_t pos) {
  const void* found = ::memrchr(lines.data(), '\n', pos);  // lines[0] is '\n'
  return static_cast<std::size_t>(static_cast<const char*>(found) - lines.data()) + 1;
}

void ScanEveryLine(std::string_view lines, TReporter& reporter) {
  for (std::size_t start = 1; start < lines.size();) {
    const std::size_t end = LineEndFrom(lines, start);
    reporter.Report(start, end);
    start = end + 1;
  }
}

void ScanForLiteral(const std::string& literal, std::string_view lines, TReporter& reporter) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(lines.data());
  std::size_t from = 1;
  std::size_t knownBoundary = 0;  // a character boundary in the line of the last hit
  std::size_t knownLine = 0;      // start of that line
  while (from < lines.size()) {
    const void* found = ::memmem(lines.data() + from, lines.size() - from, literal.data(), literal.size());
    if (!found) return;
    const auto hit = static_cast<std::size_t>(static_cast<const char*>(found) - lines.data());
    const std::size_t lineStart = LineStartBefore(lines, hit);
    if (lineStart != knownLine) {
      knownLine = lineStart;
      knownBoundary = lineStart;
    }
    // After a byte that cannot be a lead byte a character begins; from there
    // lead-range bytes pair up. Never look back past a known boundary, so
    // the checks of one line cost no more than the line.
    std::size_t j = hit;
    while (j > knownBoundary && IsLeadByte(bytes[j - 1])) --j;
    const bool boundary = (hit - j) % 2 == 0;
    knownBoundary = boundary ? hit : hit + 1;
    if (!boundary) {
      from = hit + 1;
      continue;
    }
    const std::size_t lineEnd = LineEndFrom(lines, hit);
    reporter.Report(lineStart, lineEnd);
    from = lineEnd + 1;
  }
}

// Walks [from, to) from `state`; true when an accepting state is reached,
// with `hit` the offset of the byte that reached it.
inline bool Walk(const TGrepProgram& program, const unsigned char* base, std::size_t from, std::size_t to,
                 std::uint32_t& state, std::size_t& hit) {
  const std::uint32_t* table = program.Table.data();
  const std::uint32_t acceptBase = program.AcceptBase;
  const unsigned char* p = base + from;
  const unsigned char* const end = base + to;
  std::uint32_t s = state;
  // The hot loop: one table load per byte.
  while (p < end) {
    s = table[s + *p++];
    if (s >= acceptBase) {
      hit = static_cast<std::size_t>(p - base) - 1;
      return true;
    }
  }
  state = s;
  return false;
}

void ReportHit(std::string_view lines, std::size_t hit, TReporter& reporter, std::size_t& next) {
  const std::size_t lineStart = LineStartBefore(lines, hit);
  const std::size_t lineEnd = lines[hit] == '\n' ? hit : LineEndFrom(lines, hit);
  reporter.Report(lineStart, lineEnd);
  next = lineEnd + 1;
}

void ScanTable(const TGrepProgram& program, std::string_view lines, TReporter& reporter) {
  const auto* base = reinterpret_cast<const unsigned char*>(lines.data());
  std::size_t pos = 1;
  std::size_t hit = 0;
  const std::vector<std::string>& literals = program.Literals;
  if (literals.empty()) {
    while (pos < lines.size()) {
      std::uint32_t state = program.LineStartRow;
      if (!Walk(program, base, pos, lines.size(), state, hit)) return;
      ReportHit(lines, hit, reporter, pos);
    }
    return;
  }
  // Only lines that hold a required literal can match: walk those alone.
  // Of several literals each one's next occurrence is kept, so that each is
  // searched for once over the block.
  std::array<std::size_t, kMaxAnyOf> next{};
  const auto find = [&](std::size_t k) {
    const void* found = ::memmem(lines.data() + pos, lines.size() - pos, literals[k].data(), literals[k].size());
    next[k] = found ? static_cast<std::size_t>(static_cast<const char*>(found) - lines.data()) : std::string::npos;
  };
  for (std::size_t k = 0; k < literals.size(); ++k) find(k);
  while (pos < lines.size()) {
    const std::size_t at = *std::min_element(next.begin(), next.begin() + static_cast<std::ptrdiff_t>(literals.size()));
    if (at == std::string::npos) return;
    const std::size_t lineStart = LineStartBefore(lines, at);
    const std::size_t lineEnd = LineEndFrom(lines, at);
    std::uint32_t state = program.LineStartRow;
    if (Walk(program, base, lineStart, lineEnd + 1, state, hit)) {
      ReportHit(lines, hit, reporter, pos);
    } else {
      pos = lineEnd + 1;
    }
    for (std::size_t k = 0; k < literals.size(); ++k) {
      if (next[k] != std::string::npos && next[k] < pos) find(k);
    }
  }
}

void ScanCharacters(TGrepProgram& program, std::string_view lines, TReporter& reporter) {
  TRE_DFA& dfa = *program.Dfa;
  for (std::size_t start = 1; start < lines.size();) {
    const std::size_t end = LineEndFrom(lines, start);
    const std::string_view line = TrimLineEnd(lines, start, end);
    int state = dfa.Pinned(program.LineStartPin);
    bool matched = false;
    for (std::size_t i = 0; i < line.size() && !matched; i += RECharLength(line, i)) {
      state = dfa.Step(state, RECodeAt(line, i));
      matched = dfa.Accepts(state);
    }
    if (!matched) matched = dfa.Accepts(dfa.Step(state, kRELineFeed));
    if (matched) reporter.Report(start, end);
    start = end + 1;
  }
}

}  // namespace

TGrep::TGrep() : TRegularExpression(kRELineFeed, kRELineFeed) {}

TGrep::TScan TGrep::ScanKind() {
  TCompiledExpression& compiled = Current();
  if (!compiled.MatcherData) compiled.MatcherData = std::make_unique<TGrepProgram>(compiled);
  return static_cast<TGrepProgram&>(*compiled.MatcherData).Scan;
}

const std::string& TGrep::ScanLiteral() {
  ScanKind();
  return static_cast<TGrepProgram&>(*Current().MatcherData).Literal;
}

const std::vector<std::string>& TGrep::ScanLiterals() {
  ScanKind();
  return static_cast<TGrepProgram&>(*Current().MatcherData).Literals;
}

namespace {

void ScanBlock(TGrepProgram& program, std::string_view lines, TReporter& reporter) {
  switch (program.Scan) {
    case TGrep::TScan::EveryLine: ScanEveryLine(lines, reporter); break;
    case TGrep::TScan::Literal: ScanForLiteral(program.Literal, lines, reporter); break;
    case TGrep::TScan::ByteTable: ScanTable(program, lines, reporter); break;
    case TGrep::TScan::CharacterWalk: ScanCharacters(program, lines, reporter); break;
  }
}

}  // namespace

void TGrep::Grep(const std::string& fileName) {
  ScanKind();  // builds the program
  auto& program = static_cast<TGrepProgram&>(*Current().MatcherData);
  TTxtFile file(fileName, &Cancel);
  for (;;) {
    try {
      file.ReadBlock();
    } catch (const EEndOfFile&) {
      return;
    }
    TReporter reporter(*this, file.Lines(), file.FirstLineNumber());
    ScanBlock(program, file.Lines(), reporter);
  }
}

void TGrep::GrepText(std::string_view text) {
  ScanKind();
  auto& program = static_cast<TGrepProgram&>(*Current().MatcherData);
  const std::string all = LinesOfText(text);
  const std::string_view lines(all);
  std::size_t from = 0;
  std::size_t firstLine = 1;
  while (from + 1 < lines.size()) {
    if (Cancel.load(std::memory_order_relaxed)) throw EGrepCancel();
    const std::size_t to = BlockEndAfter(lines, from);
    const std::string_view block = lines.substr(from, to - from + 1);
    TReporter reporter(*this, block, firstLine);
    ScanBlock(program, block, reporter);
    firstLine += CountLineFeeds(block.data() + 1, block.size() - 1);
    from = to;
  }
}

}  // namespace quillet
