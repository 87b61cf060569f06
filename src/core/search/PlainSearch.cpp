// Plain search: memmem for candidates, then a forward walk over characters
// from the last known boundary to check that a candidate begins and ends on
// boundaries. The walk only moves forward, so the whole search stays linear
// in the text however many candidates fall inside characters.
#include "core/search/PlainSearch.h"

#include <cstring>

#include "core/search/RECode.h"

namespace quillet {

std::size_t FindPlain(std::string_view text, std::string_view pattern, std::size_t from) {
  if (from > text.size()) return std::string_view::npos;
  if (pattern.empty()) return from;
  std::size_t boundary = from;  // always a character boundary
  std::size_t search = from;
  while (search < text.size()) {
    const void* found = ::memmem(text.data() + search, text.size() - search, pattern.data(), pattern.size());
    if (!found) return std::string_view::npos;
    const auto hit = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    while (boundary < hit) boundary += RECharLength(text, boundary);
    if (boundary == hit) {
      std::size_t end = hit;
      while (end < hit + pattern.size()) end += RECharLength(text, end);
      if (end == hit + pattern.size()) return hit;
    }
    search = hit + 1;
  }
  return std::string_view::npos;
}

std::string EscapeRegExp(std::string_view literal) {
  std::string escaped;
  for (std::size_t i = 0; i < literal.size();) {
    const std::size_t length = RECharLength(literal, i);
    if (length == 1 && std::strchr("\\|()*+?[].^$", literal[i]) != nullptr && literal[i] != '\0') escaped += '\\';
    escaped.append(literal.substr(i, length));
    i += length;
  }
  return escaped;
}

}  // namespace quillet
