// The code page 932 conversions over arbitrary bytes, read both as code page
// 932 text and as UTF-8 input:
//  - display never fails to produce valid UTF-8, and the UTF-8 and UTF-16
//    forms agree;
//  - input accepts exactly what display can give back: text converted for
//    display converts back, and converting that again changes nothing (a
//    byte sequence several codes share settles on one);
//  - case and width mappings keep their length rules, and lower case is
//    stable.
#include <string>

#include "FuzzSupport.h"
#include "core/base/CodePage.h"

using namespace quillet;

namespace {

// A strict UTF-8 check: shortest forms, no surrogates, nothing past U+10FFFF.
bool ValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    char32_t c = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if (b >= 0xC2 && b <= 0xDF) {
      n = 1;
      c = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
      n = 2;
      c = b & 0x0Fu;
    } else if (b >= 0xF0 && b <= 0xF4) {
      n = 3;
      c = b & 0x07u;
    } else {
      return false;
    }
    if (i + n >= s.size()) return false;
    for (std::size_t k = 1; k <= n; ++k) {
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      c = c << 6 | (t & 0x3Fu);
    }
    if ((n == 2 && c < 0x800) || (n == 3 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += n + 1;
  }
  return true;
}

std::u16string Utf16Of(std::string_view utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const std::size_t n = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    char32_t c = n == 0 ? b : n == 1 ? (b & 0x1Fu) : n == 2 ? (b & 0x0Fu) : (b & 0x07u);
    for (std::size_t k = 1; k <= n; ++k) c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += n + 1;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // As code page 932 text.
  std::string utf8;
  const bool whole = ToUtf8(bytes, utf8);
  FUZZ_CHECK(ValidUtf8(utf8));
  std::u16string utf16;
  FUZZ_CHECK(ToUtf16(bytes, utf16) == whole);
  FUZZ_CHECK(utf16 == Utf16Of(utf8));
  if (whole) {
    std::string back;
    FUZZ_CHECK(FromUtf8(utf8, back));
    std::string again;
    FUZZ_CHECK(ToUtf8(back, again) && again == utf8);
    std::string fromUtf16;
    FUZZ_CHECK(FromUtf16(utf16, fromUtf16) && fromUtf16 == back);
  }
  const std::string lower = LowerCase(bytes);
  const std::string upper = UpperCase(bytes);
  FUZZ_CHECK(lower.size() == bytes.size() && upper.size() == bytes.size());
  FUZZ_CHECK(LowerCase(upper) == LowerCase(lower) && LowerCase(lower) == lower);
  std::string inPlace = bytes;
  LowerCaseInPlace(inPlace);
  FUZZ_CHECK(inPlace == lower);
  const std::string full = ToFullWidth(bytes);
  FUZZ_CHECK(full.size() <= 2 * bytes.size());
  (void)ToHalfWidth(bytes);
  (void)ToHalfWidth(full);
  std::size_t joined = 0;
  for (const std::string_view line : SplitLines(bytes)) {
    FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
    FUZZ_CHECK(line.data() >= bytes.data() && line.data() + line.size() <= bytes.data() + bytes.size());
    joined += line.size();
  }
  FUZZ_CHECK(joined <= bytes.size());
  for (std::size_t i = 0; i < bytes.size(); i += CharLength(bytes, i)) (void)CodeAt(bytes, i);

  // As UTF-8 input.
  std::string cp932 = "unchanged";
  std::size_t bad = 0;
  if (FromUtf8(bytes, cp932, &bad)) {
    FUZZ_CHECK(ValidUtf8(bytes));
    std::string display;
    FUZZ_CHECK(ToUtf8(cp932, display));
    std::string settled;
    FUZZ_CHECK(FromUtf8(display, settled) && settled == cp932);
    std::string viaUtf16;
    FUZZ_CHECK(FromUtf16(Utf16Of(bytes), viaUtf16) && viaUtf16 == cp932);
  } else {
    FUZZ_CHECK(cp932 == "unchanged" && bad < bytes.size());
  }
  return 0;
}
