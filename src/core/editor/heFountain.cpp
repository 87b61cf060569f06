// Shared highlighter settings; see heFountain.h.
#include "core/editor/heFountain.h"

namespace quillet {

void TFountainColor::SetBkColor(TColorRef color) {
  if (color == m_bkColor) return;
  m_bkColor = color;
  Changed();
}

void TFountainColor::SetColor(TColorRef color) {
  if (color == m_color) return;
  m_color = color;
  Changed();
}

void TFountainColor::SetStyle(std::uint8_t style) {
  style &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
  if (style == m_style) return;
  m_style = style;
  Changed();
}

void TFountainColor::Assign(const TFountainColor& other) {
  if (*this == other) return;
  m_bkColor = other.m_bkColor;
  m_color = other.m_color;
  m_style = other.m_style;
  Changed();
}

void TFountainBracketItem::SetLeftBracket(std::string_view bytes) {
  if (bytes == m_left) return;
  m_left = bytes;
  Changed();
}

void TFountainBracketItem::SetRightBracket(std::string_view bytes) {
  if (bytes == m_right) return;
  m_right = bytes;
  Changed();
}

EFountainBracketCollection::EFountainBracketCollection()
    : std::runtime_error("TFountainBracketCollection\r\nYou can not add item over " +
                         std::to_string(TFountainBracketCollection::kMaxItems)) {}

TFountainBracketItem& TFountainBracketCollection::Add() {
  if (Count() >= kMaxItems) throw EFountainBracketCollection();
  m_items.push_back(std::make_unique<TFountainBracketItem>());
  TFountainBracketItem& item = *m_items.back();
  item.m_onChange = [this] { Changed(); };
  // An item's colour only repaints.
  item.m_color.SetOnChange([this] {
    if (m_onColorChange) m_onColorChange();
  });
  Changed();
  return item;
}

TFountainBracketItem& TFountainBracketCollection::Add(std::string_view left, std::string_view right) {
  if (Count() >= kMaxItems) throw EFountainBracketCollection();
  TFountainBracketItem& item = Add();
  item.m_left = left;
  item.m_right = right;
  Changed();
  return item;
}

void TFountainBracketCollection::Delete(int index) {
  Item(index);  // range check
  m_items.erase(m_items.begin() + index);
  Changed();
}

void TFountainBracketCollection::Clear() {
  if (m_items.empty()) return;
  m_items.clear();
  Changed();
}

TFountain::TFountain() {
  m_brackets.SetOnChange([this] { ParseSettingsChanged(); });
  m_brackets.SetOnColorChange([this] { ColorsChanged(); });
  m_reserve.SetOnChange([this] { ColorsChanged(); });
  m_words.SetOnChange([this] { ParseSettingsChanged(); });
}

}  // namespace quillet
