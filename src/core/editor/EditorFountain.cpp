// Row parser seam and address recognisers (see EditorFountain.h).
#include "core/editor/EditorFountain.h"

#include <array>

namespace quillet {
namespace {

using TByteSet = std::array<bool, 256>;

// The bytes of `singles`, and of every range given as a pair of ends in
// `ranges` ("09" is 0..9).
constexpr TByteSet Set(std::string_view singles, std::string_view ranges) {
  TByteSet set{};
  for (const char c : singles) set[static_cast<unsigned char>(c)] = true;
  for (std::size_t i = 0; i + 1 < ranges.size(); i += 2)
    for (int c = static_cast<unsigned char>(ranges[i]); c <= static_cast<unsigned char>(ranges[i + 1]); ++c)
      set[static_cast<std::size_t>(c)] = true;
  return set;
}

// The character sets of the stored format's highlighter.
constexpr TByteSet kWebChars = Set("#%&+-./:=?_~", "09AZaz");
constexpr TByteSet kMailStartChars = Set("!$%&*,-./;=?^_~", "09AZaz");
constexpr std::string_view kWebPrefixes[] = {"http:", "https:", "ftp:", "www."};

bool In(const TByteSet& set, char c) { return set[static_cast<unsigned char>(c)]; }
bool IsMailChar(char c) { return c == '@' || In(kMailStartChars, c); }

}  // namespace

std::size_t WebAddressLength(std::string_view text, std::size_t at) {
  if (at >= text.size()) return 0;
  for (const std::string_view prefix : kWebPrefixes) {
    if (text.substr(at).starts_with(prefix)) {
      std::size_t end = at + prefix.size();
      while (end < text.size() && In(kWebChars, text[end])) ++end;
      return end - at;
    }
  }
  return 0;
}

std::size_t MailAddressLength(std::string_view text, std::size_t at) {
  if (at >= text.size() || !In(kMailStartChars, text[at])) return 0;
  bool atSign = false;
  bool dotAfterAtSign = false;
  std::size_t end = at;
  while (end < text.size() && IsMailChar(text[end])) {
    if (text[end] == '@') atSign = true;
    else if (text[end] == '.' && atSign) dotAfterAtSign = true;
    ++end;
  }
  return dotAfterAtSign ? end - at : 0;
}

bool IsMailAddress(std::string_view target) {
  return !target.empty() && MailAddressLength(target, 0) == target.size();
}

std::optional<TFountainLink> LinkAt(TFountainRowParser& parser, int row, std::string_view text, int byte) {
  std::vector<TFountainToken> tokens;
  parser.RowTokens(row, text, tokens);
  for (const TFountainToken& token : tokens) {
    if (byte < token.First || byte >= token.Second) continue;
    if (token.Style != TFountainStyle::Url && token.Style != TFountainStyle::Mail) return std::nullopt;
    const auto first = static_cast<std::size_t>(token.First);
    return TFountainLink{row, token.First, token.Second,
                         std::string(text.substr(first, static_cast<std::size_t>(token.Second) - first)),
                         token.Style == TFountainStyle::Mail};
  }
  return std::nullopt;
}

}  // namespace quillet
