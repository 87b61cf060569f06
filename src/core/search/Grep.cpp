// TGrep: the literal scan, the byte-table scan and the character walk; see
// the header. The byte tables are the DFA of REDFA.h restated per byte:
// rows for DFA states and rows for "a lead byte has been read in this
// state"; identical lead-byte rows are shared (most lead bytes of most
// states lead back to the start state, so a pattern needs a few dozen
// rows, not 60 per state). Rows are numbered so that every accepting state
// comes last: the hot loop tests one comparison per byte.
#include "core/search/Grep.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace quillet {

namespace {

constexpr unsigned char kLF = '\n';

class TGrepProgram : public TMatcherData {
public:
  explicit TGrepProgram(TCompiledExpression& compiled);

  TGrep::TScan Scan = TGrep::TScan::CharacterWalk;
  std::string Literal;
  std::vector<std::uint32_t> Table;  // [row * 256 + byte] = target row * 256
  std::uint32_t LineStartRow = 0;    // * 256
  std::uint32_t AcceptBase = 0;      // * 256; targets at or above accept
  std::unique_ptr<TRE_DFA> Dfa;      // unanchored
  int LineStartPin = 0;

private:
  bool LiteralFits(const std::vector<TRECode>& codes);
  void BuildTable(int lineStart);
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
    BuildTable(Dfa->Pinned(LineStartPin));
    Scan = TGrep::TScan::ByteTable;
  }
}

// A literal is searched for as bytes only when its bytes mean the same
// characters wherever they are found at a character boundary: every code
// occurs in text, no lone lead byte (which only occurs before a line end),
// no carriage return (gone from the read lines), and line feeds only at its
// ends (before or after the line).
bool TGrepProgram::LiteralFits(const std::vector<TRECode>& codes) {
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const TRECode code = codes[i];
    if (!IsTextCode(code) || code == kRECarriageReturn) return false;
    if (code < 0x100 && IsLeadByte(static_cast<unsigned char>(code))) return false;
    if (code == kRELineFeed && i != 0 && i + 1 != codes.size()) return false;
    AppendRECode(Literal, code);
  }
  return true;
}

void TGrepProgram::BuildTable(int lineStart) {
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
  std::map<std::pair<int, int>, int> plainLeadRows;  // (LF entry, CR entry) -> lead row
  std::map<TRow, int> otherLeadRows;

  const auto fill = [&](TRow& row, std::span<const TRE_DFA::TTransition> transitions, TRECode base) {
    row.fill(TRE_DFA::Start());
    for (const auto& t : transitions) {
      if (t.Hi < base || t.Lo > base + 0xFF) continue;
      const TRECode lo = std::max(t.Lo, base);
      const TRECode hi = std::min(t.Hi, base + 0xFF);
      for (TRECode c = lo; c <= hi; ++c) row[c - base] = t.Target;
    }
  };
  for (int state = 0; state < charStates; ++state) {
    int stable = state;  // the automaton is complete: indices do not move
    const auto transitions = dfa.Transitions(stable);
    TRow& row = rows[static_cast<std::size_t>(state)];
    fill(row, transitions, 0);
    row[kLF] = afterLineFeed(state);
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
      // A lead byte before a line end is a character of its own.
      const int alone = dfa.Step(state, static_cast<TRECode>(lead));
      const int lfEntry = dfa.Accepts(alone) ? alone : afterLineFeed(alone);
      const int crEntry = dfa.Accepts(alone) ? alone : dfa.Step(alone, kRECarriageReturn);
      const auto base = static_cast<TRECode>(lead) << 8;
      const bool touched = std::any_of(transitions.begin(), transitions.end(),
                                       [&](const auto& t) { return t.Hi >= base && t.Lo <= base + 0xFF; });
      int leadRow;
      if (!touched) {
        const auto [it, added] = plainLeadRows.try_emplace({lfEntry, crEntry}, static_cast<int>(leadRows.size()));
        if (added) {
          TRow plain;
          plain.fill(TRE_DFA::Start());
          plain[kLF] = lfEntry;
          plain['\r'] = crEntry;
          leadRows.push_back(plain);
        }
        leadRow = it->second;
      } else {
        TRow trail;
        fill(trail, transitions, base);
        trail[kLF] = lfEntry;
        trail['\r'] = crEntry;
        const auto [it, added] = otherLeadRows.try_emplace(trail, static_cast<int>(leadRows.size()));
        if (added) leadRows.push_back(trail);
        leadRow = it->second;
      }
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
}

// Hands lines to OnMatch, counting line feeds only up to each reported line.
class TReporter {
public:
  TReporter(TGrep& grep, const TTxtFile& file)
      : m_grep(grep), m_file(file), m_lines(file.Lines()), m_number(file.FirstLineNumber()) {}

  // The line [start, end) of the block (end is its line feed).
  void Report(std::size_t start, std::size_t end) {
    m_number += static_cast<std::size_t>(
        std::count(m_lines.begin() + static_cast<std::ptrdiff_t>(m_counted),
                   m_lines.begin() + static_cast<std::ptrdiff_t>(start), '\n'));
    m_counted = start;
    m_file.CheckCancel();
    if (m_grep.OnMatch) m_grep.OnMatch(m_grep, TGrepLine{m_lines.substr(start, end - start), m_number});
  }

private:
  TGrep& m_grep;
  const TTxtFile& m_file;
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

void ScanLiteral(const std::string& literal, std::string_view lines, TReporter& reporter) {
  const bool startsWithLineFeed = literal.front() == '\n';
  const auto* bytes = reinterpret_cast<const unsigned char*>(lines.data());
  std::size_t from = startsWithLineFeed ? 0 : 1;
  std::size_t knownBoundary = 0;  // a character boundary in the line of the last hit
  std::size_t knownLine = 0;      // start of that line
  while (from < lines.size()) {
    const void* found = ::memmem(lines.data() + from, lines.size() - from, literal.data(), literal.size());
    if (!found) return;
    const auto hit = static_cast<std::size_t>(static_cast<const char*>(found) - lines.data());
    std::size_t lineStart;
    if (startsWithLineFeed) {
      lineStart = hit + 1;
      if (lineStart >= lines.size()) return;  // the line feed after the last line begins no line
    } else {
      lineStart = LineStartBefore(lines, hit);
      if (lineStart != knownLine) {
        knownLine = lineStart;
        knownBoundary = lineStart;
      }
      // Bytes after a byte that cannot be a lead byte start a character; from
      // there lead-range bytes pair up. Never look back past a known boundary.
      std::size_t j = hit;
      while (j > knownBoundary && IsLeadByte(bytes[j - 1])) --j;
      const bool boundary = (hit - j) % 2 == 0;
      knownBoundary = boundary ? hit : hit + 1;
      if (!boundary) {
        from = hit + 1;
        continue;
      }
    }
    const std::size_t lineEnd = LineEndFrom(lines, lineStart);
    reporter.Report(lineStart, lineEnd);
    from = lineEnd;  // a literal that begins with the line feed may match the next line there
    if (!startsWithLineFeed) ++from;
  }
}

void ScanTable(const TGrepProgram& program, std::string_view lines, TReporter& reporter) {
  const std::uint32_t* table = program.Table.data();
  const std::uint32_t acceptBase = program.AcceptBase;
  const auto* base = reinterpret_cast<const unsigned char*>(lines.data());
  const unsigned char* const end = base + lines.size();
  const unsigned char* p = base + 1;
  std::uint32_t state = program.LineStartRow;
  while (p < end) {
    // The hot loop: one table load per byte.
    while (p < end) {
      state = table[state + *p++];
      if (state >= acceptBase) break;
    }
    if (state < acceptBase) return;
    const auto hit = static_cast<std::size_t>(p - base) - 1;
    const std::size_t lineStart = LineStartBefore(lines, hit);
    const std::size_t lineEnd = base[hit] == kLF ? hit : LineEndFrom(lines, hit);
    reporter.Report(lineStart, lineEnd);
    p = base + lineEnd + 1;
    state = program.LineStartRow;
  }
}

void ScanCharacters(TGrepProgram& program, std::string_view lines, TReporter& reporter) {
  TRE_DFA& dfa = *program.Dfa;
  for (std::size_t start = 1; start < lines.size();) {
    const std::size_t end = LineEndFrom(lines, start);
    const std::string_view line = lines.substr(start, end - start);
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
    TReporter reporter(*this, file);
    const std::string_view lines = file.Lines();
    switch (program.Scan) {
      case TScan::EveryLine: ScanEveryLine(lines, reporter); break;
      case TScan::Literal: ScanLiteral(program.Literal, lines, reporter); break;
      case TScan::ByteTable: ScanTable(program, lines, reporter); break;
      case TScan::CharacterWalk: ScanCharacters(program, lines, reporter); break;
    }
  }
}

}  // namespace quillet
