// TheStringList; see heStringList.h.
#include "core/editor/heStringList.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quillet {

TEListError::TEListError(int index) : std::out_of_range(std::string(kListIndexErrorText)), m_index(index) {}

void TheStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw TEListError(index);
}

void TheStringList::SetCapacity(int capacity) {
  capacity = std::max(capacity, Count());
  if (capacity == m_capacity) return;
  if (capacity > m_capacity) {
    m_slots.reserve(static_cast<std::size_t>(capacity));
  } else {
    std::vector<TSlot> smaller;
    smaller.reserve(static_cast<std::size_t>(capacity));
    smaller.assign(m_slots.begin(), m_slots.end());
    m_slots.swap(smaller);
  }
  m_capacity = capacity;
}

void TheStringList::Reserve(std::size_t count) {
  if (count <= static_cast<std::size_t>(m_capacity)) return;
  if (count > static_cast<std::size_t>(std::numeric_limits<int>::max() / 2)) throw std::length_error("too many rows");
  std::size_t capacity = static_cast<std::size_t>(m_capacity);
  while (capacity < count) capacity += capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
  m_slots.reserve(capacity);
  m_capacity = static_cast<int>(capacity);
}

std::uint32_t TheStringList::Store(std::string_view bytes) {
  if (bytes.empty()) return 0;
  const std::size_t live = m_arena.size() - m_garbage;
  if (live + bytes.size() > kMaxBytes) throw std::length_error("editor text beyond 2 GiB");
  const char* base = m_arena.data();
  const bool inside = !m_arena.empty() && bytes.data() >= base && bytes.data() < base + m_arena.size();
  if (m_arena.size() + bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
    const std::string copy(bytes);  // compaction moves whatever `bytes` views
    Compact();
    return Store(copy);
  }
  const std::size_t need = m_arena.size() + bytes.size();
  if (need > m_arena.capacity()) {
    const std::size_t offset = inside ? static_cast<std::size_t>(bytes.data() - base) : 0;
    // Some room beyond a whole text just set, so the first keystrokes after
    // loading an entry do not copy the whole arena.
    m_arena.reserve(std::max(need + need / 16 + 4096, m_arena.capacity() + m_arena.capacity() / 4));
    if (inside) bytes = std::string_view(m_arena.data() + offset, bytes.size());
  }
  const std::size_t at = m_arena.size();
  m_arena.resize(need);  // within capacity: `bytes` still valid
  std::memcpy(m_arena.data() + at, bytes.data(), bytes.size());
  return static_cast<std::uint32_t>(at);
}

void TheStringList::Compact() {
  std::size_t live = m_arena.size() - m_garbage;
  std::vector<char> fresh;
  fresh.reserve(live + live / 8 + 4096);
  const auto move = [&](std::uint32_t& offset, std::uint32_t length) {
    if (length == 0) return;
    const std::size_t at = fresh.size();
    fresh.insert(fresh.end(), m_arena.begin() + offset, m_arena.begin() + offset + length);
    offset = static_cast<std::uint32_t>(at);
  };
  for (TSlot& slot : m_slots) {
    move(slot.TextOffset, slot.TextLength);
    move(slot.StateOffset, slot.StateLength);
  }
  m_arena.swap(fresh);
  m_garbage = 0;
}

void TheStringList::MaybeCompact() {
  const std::size_t live = m_arena.size() - m_garbage;
  if (m_slots.empty() && !m_arena.empty()) {
    m_arena = {};
    m_garbage = 0;
  } else if (m_garbage > (std::size_t{64} << 10) && m_garbage > live / 4) {
    Compact();
  }
}

std::string_view TheStringList::Get(int index) const {
  CheckIndex(index);
  const TSlot& slot = m_slots[Slot(index)];
  return View(slot.TextOffset, slot.TextLength);
}

void TheStringList::SetStoredText(int index, std::uint32_t offset, std::size_t length) {
  TSlot& slot = m_slots[Slot(index)];
  m_garbage += slot.TextLength;
  slot.TextOffset = length ? offset : 0;
  slot.TextLength = static_cast<std::uint32_t>(length);
}

void TheStringList::SetRowText(int index, std::string_view text) {
  SetStoredText(index, Store(text), text.size());
}

void TheStringList::SetStateText(int index, std::string_view text) {
  const std::uint32_t offset = Store(text);
  TSlot& slot = m_slots[Slot(index)];
  m_garbage += slot.StateLength;
  slot.StateOffset = text.empty() ? 0 : offset;
  slot.StateLength = static_cast<std::uint32_t>(text.size());
}

void TheStringList::Put(int index, std::string_view text) {
  CheckIndex(index);
  Changing();
  SetRowText(index, text);
  Changed();
  MaybeCompact();
}

void TheStringList::InsertStoredRows(int index, std::uint32_t base, std::span<const TRowSpan> rows) {
  if (rows.empty()) return;
  Reserve(m_slots.size() + rows.size());
  const auto at = m_slots.insert(m_slots.begin() + index, rows.size(), TSlot{});
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TRowSpan& row = rows[i];
    TSlot& slot = at[static_cast<std::ptrdiff_t>(i)];
    slot.TextOffset = row.Length ? base + static_cast<std::uint32_t>(row.Offset) : 0;
    slot.TextLength = static_cast<std::uint32_t>(row.Length);
    slot.Word1 = row.Attribute;
  }
  RowsInserted(index, static_cast<int>(rows.size()));
}

void TheStringList::InsertRows(int index, std::string_view source, std::span<const TRowSpan> rows) {
  const std::uint32_t base = Store(source);
  std::size_t used = 0;
  for (const TRowSpan& row : rows) used += row.Length;
  InsertStoredRows(index, base, rows);
  m_garbage += source.size() - std::min(used, source.size());
}

void TheStringList::AppendCutText(std::string_view source, std::size_t rowsHint,
                                  const std::function<void(std::string_view, std::vector<TRowSpan>&)>& cut) {
  constexpr std::size_t kPiece = std::size_t{1} << 20;
  Reserve(m_slots.size() + rowsHint);
  const std::uint32_t base = Store(source);
  std::vector<TRowSpan> spans;
  std::size_t used = 0;
  for (std::size_t begin = 0; begin < source.size();) {
    // An LF always ends a line (alone or after CR), so a piece never splits one.
    std::size_t end = begin + kPiece < source.size() ? source.find('\n', begin + kPiece) : std::string_view::npos;
    end = end == std::string_view::npos ? source.size() : end + 1;
    spans.clear();
    cut(source.substr(begin, end - begin), spans);
    for (TRowSpan& span : spans) {
      span.Offset += begin;
      used += span.Length;
    }
    InsertStoredRows(Count(), base, spans);
    begin = end;
  }
  m_garbage += source.size() - std::min(used, source.size());
}

void TheStringList::Insert(int index, std::string_view text) {
  if (index < 0 || index > Count()) throw TEListError(index);
  Changing();
  const TRowSpan row{0, text.size(), raCrlf};
  InsertRows(index, text, std::span(&row, 1));
  Changed();
  MaybeCompact();
}

int TheStringList::Add(std::string_view text) {
  const int index = Count();
  Insert(index, text);
  return index;
}

void TheStringList::EraseRows(int index, int count) {
  if (count <= 0) return;
  RowsRemoving(index, count);
  const auto first = m_slots.begin() + index;
  const auto last = first + count;
  for (auto it = first; it != last; ++it) m_garbage += it->TextLength + it->StateLength;
  m_slots.erase(first, last);
}

void TheStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  EraseRows(index, 1);
  Changed();
  MaybeCompact();
}

void TheStringList::ResetRows() {
  if (!m_slots.empty()) RowsRemoving(0, Count());
  m_slots = {};
  m_capacity = 0;
  m_arena = {};
  m_garbage = 0;
}

void TheStringList::Clear() {
  Changing();
  ResetRows();
  Changed();
}

void* TheStringList::Object(int index) const {
  CheckIndex(index);
  return m_slots[Slot(index)].Object;
}

void TheStringList::PutObject(int index, void* object) {
  CheckIndex(index);
  Changing();
  m_slots[Slot(index)].Object = object;
  Changed();
}

std::string_view TheStringList::ParseStateText(int index) const {
  CheckIndex(index);
  const TSlot& slot = m_slots[Slot(index)];
  return View(slot.StateOffset, slot.StateLength);
}

// Highlighter state, not text: no change notification.
void TheStringList::PutParseStateText(int index, std::string_view text) {
  CheckIndex(index);
  SetStateText(index, text);
  MaybeCompact();
}

TheStringItem TheStringList::Item(int index) const {
  CheckIndex(index);
  const TSlot& slot = m_slots[Slot(index)];
  return {std::string(View(slot.TextOffset, slot.TextLength)), std::string(View(slot.StateOffset, slot.StateLength)),
          slot.Object, slot.Word1, slot.Word2};
}

void TheStringList::SetWords(int index, std::uint32_t word1, std::uint32_t word2) {
  TSlot& slot = m_slots[Slot(index)];
  if (slot.Word1 == word1 && slot.Word2 == word2) return;
  WordsChanging(index, word1, word2);
  slot.Word1 = word1;
  slot.Word2 = word2;
}

void TheStringList::PutItem(int index, const TheStringItem& item) {
  CheckIndex(index);
  Changing();
  SetRowText(index, item.Text);
  SetStateText(index, item.ParseStateText);
  m_slots[Slot(index)].Object = item.Object;
  SetWords(index, item.Word1, item.Word2);
  Changed();
  MaybeCompact();
}

void TheStringList::InsertItem(int index, const TheStringItem& item) {
  if (index < 0 || index > Count()) throw TEListError(index);
  Changing();
  const TRowSpan row{0, item.Text.size(), raCrlf};
  InsertRows(index, item.Text, std::span(&row, 1));
  SetStateText(index, item.ParseStateText);
  m_slots[Slot(index)].Object = item.Object;
  SetWords(index, item.Word1, item.Word2);
  Changed();
  MaybeCompact();
}

void TheStringList::SwapRows(TheStringList& other) noexcept {
  m_slots.swap(other.m_slots);
  std::swap(m_capacity, other.m_capacity);
  m_arena.swap(other.m_arena);
  std::swap(m_garbage, other.m_garbage);
}

void TheStringList::BeginUpdate() {
  if (m_updateCount++ == 0 && m_onChanging) m_onChanging();
}

void TheStringList::EndUpdate() {
  if (m_updateCount > 0 && --m_updateCount == 0 && m_onChange) m_onChange();
}

void TheStringList::Changing() {
  if (m_updateCount == 0 && m_onChanging) m_onChanging();
}

void TheStringList::Changed() {
  if (m_updateCount == 0 && m_onChange) m_onChange();
}

std::size_t TheStringList::MemoryBytes() const noexcept {
  return m_slots.capacity() * sizeof(TSlot) + m_arena.capacity();
}

}  // namespace quillet
