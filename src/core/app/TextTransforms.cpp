#include "core/app/TextTransforms.h"

#include "core/base/CodePage.h"

namespace quillet {

namespace {

// Length of the blank at `i`, 0 when there is none.
std::size_t BlankAt(std::string_view s, std::size_t i) {
  if (s[i] == ' ' || s[i] == '\t') return 1;
  return IsFullWidthSpace(s, i) ? 2 : 0;
}

std::string TrimLine(std::string_view line, TTrimSide side) {
  if (side == TTrimSide::Left) {
    std::size_t i = 0;
    while (i < line.size()) {
      const std::size_t n = BlankAt(line, i);
      if (n == 0) break;
      i += n;
    }
    return std::string(line.substr(i));
  }
  // From the left, so that a trail byte is never taken for a blank.
  std::size_t keep = 0;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t blank = BlankAt(line, i);
    const std::size_t n = blank ? blank : CharLength(line, i);
    i += n;
    if (!blank) keep = i;
  }
  return std::string(line.substr(0, keep));
}

}  // namespace

std::string TrimLines(std::string_view text, TTrimSide side) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = start;
    // Line ends are found byte by byte: a damaged lead byte before a CR must
    // not swallow it.
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    out += TrimLine(text.substr(start, end - start), side);
    if (end >= text.size()) break;
    std::size_t next = end + 1;
    if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    out.append(text.substr(end, next - end));
    start = next;
  }
  return out;
}

std::string RemoveLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

}  // namespace quillet
