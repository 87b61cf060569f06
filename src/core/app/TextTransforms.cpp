#include "core/app/TextTransforms.h"

#include <cstdio>

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

std::string FormatDateStamp(std::string_view pattern, const std::tm& when) {
  auto two = [](int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value % 100);
    return std::string(buffer);
  };
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    const std::string_view rest = pattern.substr(i);
    if (rest[0] == '"') {
      const std::size_t close = rest.find('"', 1);
      const std::size_t end = close == std::string_view::npos ? rest.size() : close;
      out.append(rest.substr(1, end - 1));
      i += end == rest.size() ? end : end + 1;
    } else if (rest.starts_with("yyyy")) {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "%04d", when.tm_year + 1900);
      out += buffer;
      i += 4;
    } else if (rest.starts_with("yy")) {
      out += two(when.tm_year + 1900), i += 2;
    } else if (rest.starts_with("mm")) {
      out += two(when.tm_mon + 1), i += 2;
    } else if (rest.starts_with("dd")) {
      out += two(when.tm_mday), i += 2;
    } else if (rest.starts_with("hh")) {
      out += two(when.tm_hour), i += 2;
    } else if (rest.starts_with("nn")) {
      out += two(when.tm_min), i += 2;
    } else if (rest.starts_with("ss")) {
      out += two(when.tm_sec), i += 2;
    } else {
      // "/" and ":" are the Japanese separators themselves.
      const std::size_t n = CharLength(pattern, i);
      out.append(pattern.substr(i, n));
      i += n;
    }
  }
  return out;
}

}  // namespace quillet
