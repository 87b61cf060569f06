// The highlighter's settings that every editor shares: the colour item of a
// token class (TFountainColor), the bracketed regions (TFountainBracketItem
// in a TFountainBracketCollection of at most 14 items) and the reserved
// words with their colour (TFountain). TEditorFountain (EditorFountain.h)
// adds the editor's own token classes and parses the rows.
//
// Colours are TColorRef values of the settings file; clNone means "the
// editor's own colour" (its font colour or background), which the painter
// applies. Each object reports every change through its change handler, so
// the owner can parse again (brackets, words) or repaint (colours).
//
// Strings (bracket strings here, the commenter, quotation and hex prefix of
// TEditorFountain) are code page 932 bytes and compared as bytes at
// character boundaries. One longer than kFountainMaxString bytes never
// matches: the parse state of a row can say how far a token reaches into
// the next row only for that many bytes (see FountainParser.h).
// Not thread-safe; GUI thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/HColor.h"
#include "core/editor/ReserveWordList.h"

namespace quillet {

inline constexpr std::size_t kFountainMaxString = 255;

// Font styles of a token, as a set.
enum TFountainFontStyle : std::uint8_t {
  fsBold = 1,
  fsItalic = 2,
  fsUnderline = 4,
  fsStrikeOut = 8,
};

// The colours and font style of one token class; both colours start as
// clNone.
class TFountainColor {
public:
  TColorRef BkColor() const noexcept { return m_bkColor; }
  void SetBkColor(TColorRef color);
  TColorRef Color() const noexcept { return m_color; }
  void SetColor(TColorRef color);
  // A set of TFountainFontStyle bits.
  std::uint8_t Style() const noexcept { return m_style; }
  void SetStyle(std::uint8_t style);
  void Assign(const TFountainColor& other);
  void SetOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }

  bool operator==(const TFountainColor& other) const noexcept {
    return m_bkColor == other.m_bkColor && m_color == other.m_color && m_style == other.m_style;
  }

private:
  void Changed() const {
    if (m_onChange) m_onChange();
  }

  TColorRef m_bkColor = clNone;
  TColorRef m_color = clNone;
  std::uint8_t m_style = 0;
  std::function<void()> m_onChange;
};

// A region from LeftBracket to RightBracket (both included), which may run
// over many rows. An empty LeftBracket never opens one; an empty
// RightBracket closes the region right after its left bracket.
class TFountainBracketItem {
public:
  const std::string& LeftBracket() const noexcept { return m_left; }
  void SetLeftBracket(std::string_view bytes);
  const std::string& RightBracket() const noexcept { return m_right; }
  void SetRightBracket(std::string_view bytes);
  TFountainColor& ItemColor() noexcept { return m_color; }
  const TFountainColor& ItemColor() const noexcept { return m_color; }

private:
  friend class TFountainBracketCollection;
  void Changed() const {
    if (m_onChange) m_onChange();
  }

  std::string m_left;
  std::string m_right;
  TFountainColor m_color;
  std::function<void()> m_onChange;
};

// Adding a 15th bracket item.
class EFountainBracketCollection : public std::runtime_error {
public:
  EFountainBracketCollection();
};

// The bracket items in order; a row's parse state names an item by its
// index (0..13), so an item's index is its identity while rows are parsed.
class TFountainBracketCollection {
public:
  static constexpr int kMaxItems = 14;

  int Count() const noexcept { return static_cast<int>(m_items.size()); }
  TFountainBracketItem& Item(int index) { return *m_items.at(static_cast<std::size_t>(index)); }
  const TFountainBracketItem& Item(int index) const { return *m_items.at(static_cast<std::size_t>(index)); }
  // Appends an empty item; throws EFountainBracketCollection when 14 are
  // there already.
  TFountainBracketItem& Add();
  // Appends an item with these brackets (same limit).
  TFountainBracketItem& Add(std::string_view left, std::string_view right);
  void Delete(int index);
  void Clear();
  // Brackets added, removed or changed; an item's colour changed.
  void SetOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }
  void SetOnColorChange(std::function<void()> handler) { m_onColorChange = std::move(handler); }

private:
  void Changed() const {
    if (m_onChange) m_onChange();
  }

  std::vector<std::unique_ptr<TFountainBracketItem>> m_items;
  std::function<void()> m_onChange;
  std::function<void()> m_onColorChange;
};

class TFountain {
public:
  TFountain();
  virtual ~TFountain() = default;
  TFountain(const TFountain&) = delete;
  TFountain& operator=(const TFountain&) = delete;

  TFountainBracketCollection& Brackets() noexcept { return m_brackets; }
  const TFountainBracketCollection& Brackets() const noexcept { return m_brackets; }
  TFountainColor& Reserve() noexcept { return m_reserve; }
  const TFountainColor& Reserve() const noexcept { return m_reserve; }
  TReserveWordList& ReserveWordList() noexcept { return m_words; }
  const TReserveWordList& ReserveWordList() const noexcept { return m_words; }

protected:
  // What a change asks of the owner: parse the rows again (brackets, words,
  // recognition switches) or only paint them again (colours).
  virtual void ParseSettingsChanged() {}
  virtual void ColorsChanged() {}

private:
  TFountainBracketCollection m_brackets;
  TFountainColor m_reserve;
  TReserveWordList m_words;
};

}  // namespace quillet
