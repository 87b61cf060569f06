// TReserveWordList: the reserved words of the highlighter, a sorted list
// searched by binary search with a comparison that ignores case, and the
// loader of the word file "Reserve.txt".
//
// Case: the words and the text are code page 932, and only single-byte
// ASCII letters are folded. A double-byte character is compared as its two
// bytes: its trail byte may be an ASCII letter ("ア" is 0x83 0x41), and
// folding it would make "ア" equal "ャ" (0x83 0x61). Full-width letters
// (Ａ/ａ) keep their case, as the word file's own comparison did on the
// platform the files come from for its single-byte-only fold.
//
// The list keeps each word folded (upper-case ASCII), sorted, duplicates
// kept. Lookups cost O(log n) comparisons of at most the word's length.
// Not thread-safe; GUI thread.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// Longest word kept: a longer line of the word file is cut at the last
// character boundary within it.
inline constexpr std::size_t kReserveWordMax = 255;
// The part of a word file that is read (room for some 100,000 words); the
// rest is ignored, so a huge or binary file cannot take the program's
// memory or its start-up time.
inline constexpr std::size_t kReserveFileMax = std::size_t{1} << 20;
inline constexpr std::string_view kReserveFileName = "Reserve.txt";

class TReserveWordList {
public:
  int Count() const noexcept { return static_cast<int>(m_words.size()); }
  bool Empty() const noexcept { return m_words.empty(); }
  // The words in list order, folded.
  const std::vector<std::string>& Words() const noexcept { return m_words; }
  // Adds `word` in its sorted place; an empty word is not added.
  void Add(std::string_view word);
  void Clear();
  // Whether `text` equals a word, ignoring ASCII case.
  bool Contains(std::string_view text) const;
  // Replaces the list by the lines of `bytes`: lines end at CR LF, LF or
  // CR; a line is cut at a NUL byte and at kReserveWordMax bytes (never
  // inside a double-byte character); empty lines are skipped. One change
  // report for the whole list.
  void SetText(std::string_view bytes);
  // Clears the list, then reads the file at `path` when it exists (at most
  // kReserveFileMax bytes of it) through SetText. False when the file
  // exists but cannot be read (the list then stays empty); a missing file is
  // no failure.
  bool LoadFromFile(const std::string& path);
  void SetOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }

private:
  void Changed() const {
    if (m_onChange) m_onChange();
  }

  std::vector<std::string> m_words;
  mutable std::string m_key;  // scratch of Contains
  std::function<void()> m_onChange;
};

// `text` with the single-byte ASCII letters in upper case (double-byte
// characters as they are), into `out`.
void FoldReserveKey(std::string_view text, std::string& out);

}  // namespace quillet
