// Dates as text (see DateFormat.h).
#include "core/store/DateFormat.h"

#include <cstdio>

#include "core/base/CodePage.h"

namespace quillet {
namespace {

std::string Number(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

// The letters in the order they must be tried: the longer before the shorter.
enum class TField { Year4, Year2, Month2, Month, Day2, Day, Hour, Minute, Second, None };

struct TLetter {
  std::string_view Text;
  TField Field;
};

constexpr TLetter kLetters[] = {
    {"yyyy", TField::Year4}, {"yy", TField::Year2}, {"mm", TField::Month2}, {"m", TField::Month},
    {"dd", TField::Day2},    {"d", TField::Day},    {"hh", TField::Hour},   {"nn", TField::Minute},
    {"ss", TField::Second},
};

TLetter LetterAt(std::string_view pattern, std::size_t i) {
  for (const TLetter& letter : kLetters)
    if (pattern.substr(i).starts_with(letter.Text)) return letter;
  return {{}, TField::None};
}

// Up to `most` (at least `least`) decimal digits at `pos`; advances `pos`.
std::optional<int> Digits(std::string_view text, std::size_t& pos, std::size_t least, std::size_t most) {
  std::size_t n = 0;
  int value = 0;
  while (n < most && pos + n < text.size() && text[pos + n] >= '0' && text[pos + n] <= '9')
    value = value * 10 + (text[pos + n++] - '0');
  if (n < least) return std::nullopt;
  pos += n;
  return value;
}

}  // namespace

std::string FormatDateTime(std::string_view pattern, const TDateTime& when) {
  const int year = YearOf(when.Date);
  std::string out;
  std::size_t i = 0;
  while (i < pattern.size()) {
    if (pattern[i] == '"') {
      const std::size_t close = pattern.find('"', i + 1);
      const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
      out.append(pattern.substr(i + 1, end - i - 1));
      i = close == std::string_view::npos ? end : end + 1;
      continue;
    }
    const TLetter letter = LetterAt(pattern, i);
    switch (letter.Field) {
      case TField::Year4: out += Number(year, 4); break;
      case TField::Year2: out += Number(((year % 100) + 100) % 100, 2); break;
      case TField::Month2: out += Number(MonthOf(when.Date), 2); break;
      case TField::Month: out += Number(MonthOf(when.Date), 1); break;
      case TField::Day2: out += Number(DayOf(when.Date), 2); break;
      case TField::Day: out += Number(DayOf(when.Date), 1); break;
      case TField::Hour: out += Number(when.Hour, 2); break;
      case TField::Minute: out += Number(when.Minute, 2); break;
      case TField::Second: out += Number(when.Second, 2); break;
      case TField::None: {
        const std::size_t n = CharLength(pattern, i);
        out.append(pattern.substr(i, n));
        i += n;
        continue;
      }
    }
    i += letter.Text.size();
  }
  return out;
}

std::string FormatDatePattern(std::string_view pattern, TDate date) { return FormatDateTime(pattern, {date}); }

std::optional<TDate> ParseDatePattern(std::string_view text, std::string_view pattern) {
  int year = -1;
  int month = -1;
  int day = -1;
  std::size_t pos = 0;
  std::size_t i = 0;
  while (i < pattern.size()) {
    const TLetter letter = LetterAt(pattern, i);
    std::optional<int> value;
    switch (letter.Field) {
      case TField::Year4: value = Digits(text, pos, 4, 4); year = value.value_or(-1); break;
      case TField::Month2: value = Digits(text, pos, 2, 2); month = value.value_or(-1); break;
      case TField::Month: value = Digits(text, pos, 1, 2); month = value.value_or(-1); break;
      case TField::Day2: value = Digits(text, pos, 2, 2); day = value.value_or(-1); break;
      case TField::Day: value = Digits(text, pos, 1, 2); day = value.value_or(-1); break;
      case TField::None:
        if (pattern[i] == '"' || pos >= text.size() || text[pos] != pattern[i]) return std::nullopt;
        ++pos;
        ++i;
        continue;
      default: return std::nullopt;
    }
    if (!value) return std::nullopt;
    i += letter.Text.size();
  }
  if (pos != text.size() || year < 0 || month < 0 || day < 0) return std::nullopt;
  const TDate date = MakeDate(year, month, day);
  if (!date.ok()) return std::nullopt;
  return date;
}

}  // namespace quillet
