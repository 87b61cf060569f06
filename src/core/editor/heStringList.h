// TheStringList: the string list under the editor's row store. Each item is
// a fixed record (TheStringItem): the row text, the highlighter's state text,
// a free pointer slot and two 32-bit attribute words that descendants pack.
//
// Storage: a row store holds a whole diary entry, possibly hundreds of
// thousands of rows, so items are compact (32 bytes) and their bytes live in
// one shared byte arena instead of one heap block per row. Replacing a row
// appends its new bytes and leaves the old ones as garbage; when garbage
// exceeds a quarter of the live bytes (and 64 KiB) the arena is compacted in
// row order at the end of the operation. Offsets are 32-bit: a list holds at
// most 2 GiB of text, and an operation that would pass that throws
// std::length_error before it changes anything.
//
// Invariants: 0 <= Count() <= Capacity(); when an insertion finds the list
// full, Capacity grows by 4 while below 9, by 16 while below 65 and by a
// quarter of itself from then on. Reading or writing an index outside
// 0..Count()-1 throws TEListError with the text
// "リストのインデックスが範囲を超えています"; Insert also accepts Count().
// A before-change and an after-change notification go out around each change
// while the update counter is zero; BeginUpdate (0 -> 1) sends the
// before-change and the matching EndUpdate (1 -> 0) the after-change one, so a
// batch is announced once.
//
// Views returned by Get and ParseStateText stay valid until the next change
// of the list. Arguments may be such views (they are copied safely).
// Not thread-safe: one thread (the GUI thread) uses a list at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/editor/RowSpan.h"

namespace quillet {

inline constexpr std::string_view kListIndexErrorText = "リストのインデックスが範囲を超えています";

// Index outside the list; what() is kListIndexErrorText.
class TEListError : public std::out_of_range {
public:
  explicit TEListError(int index);
  int Index() const noexcept { return m_index; }

private:
  int m_index;
};

struct TheStringItem {
  std::string Text;            // code page 932 bytes, never CR or LF in a row store
  std::string ParseStateText;  // highlighter string state at the row start
  void* Object = nullptr;      // not owned; copied along with the row
  std::uint32_t Word1 = 0;
  std::uint32_t Word2 = 0;
  bool operator==(const TheStringItem&) const = default;
};

class TheStringList {
public:
  static constexpr std::size_t kMaxBytes = std::size_t{1} << 31;

  TheStringList() = default;
  virtual ~TheStringList() = default;
  TheStringList(const TheStringList&) = delete;
  TheStringList& operator=(const TheStringList&) = delete;

  int Count() const noexcept { return static_cast<int>(m_slots.size()); }
  int Capacity() const noexcept { return m_capacity; }
  // Sets the capacity (never below Count()).
  void SetCapacity(int capacity);

  // The text of row `index`.
  std::string_view Get(int index) const;
  virtual void Put(int index, std::string_view text);
  // Inserts a row with zero attribute words before `index` (0..Count()).
  virtual void Insert(int index, std::string_view text);
  int Add(std::string_view text);
  virtual void Delete(int index);
  // Removes every row and frees the storage (capacity 0).
  virtual void Clear();

  void* Object(int index) const;
  void PutObject(int index, void* object);
  std::string_view ParseStateText(int index) const;
  void PutParseStateText(int index, std::string_view text);

  // The whole record, copied out and in.
  TheStringItem Item(int index) const;
  virtual void PutItem(int index, const TheStringItem& item);
  virtual void InsertItem(int index, const TheStringItem& item);

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const noexcept { return m_updateCount; }
  void SetOnChanging(std::function<void()> handler) { m_onChanging = std::move(handler); }
  void SetOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }

  // Bytes held by the items, the arena and whatever a descendant keeps per
  // row (capacities, not sizes).
  virtual std::size_t MemoryBytes() const noexcept;

  // Appends the rows of all of `source`, stored once: `cut` gives the rows
  // of one piece of whole lines (about 1 MiB, ending after an LF or at the
  // end of `source`) as spans relative to that piece, and the table is
  // reserved for `rowsHint` rows first. So the spans of a large text never
  // exist all at once beside its rows (24 bytes a row on top of the row's
  // 32: about 50 MB more at the peak for a 100 MB entry), and the table
  // is not copied while it grows when the hint holds.
  void AppendCutText(std::string_view source, std::size_t rowsHint,
                     const std::function<void(std::string_view piece, std::vector<TRowSpan>& rows)>& cut);

protected:
  void CheckIndex(int index) const;
  std::uint32_t Word1(int index) const { return m_slots[Slot(index)].Word1; }
  std::uint32_t Word2(int index) const { return m_slots[Slot(index)].Word2; }
  // Writes both words of a row (index checked by the caller).
  void SetWords(int index, std::uint32_t word1, std::uint32_t word2);

  // Bulk operations for descendants: no notifications and no compaction
  // (callers announce the change and call MaybeCompact at the end), indices
  // checked by the caller.
  //
  // Appends bytes to the arena once; returns their offset for the calls
  // below. Throws std::length_error beyond kMaxBytes (nothing changed).
  std::uint32_t StoreBytes(std::string_view bytes) { return Store(bytes); }
  // Inserts rows before `index`; row i takes the stored bytes at
  // base + rows[i].Offset, word 1 = its attribute, all else zero.
  void InsertStoredRows(int index, std::uint32_t base, std::span<const TRowSpan> rows);
  // StoreBytes(source) and InsertStoredRows; bytes of `source` that no row
  // takes (line ends) count as garbage.
  void InsertRows(int index, std::string_view source, std::span<const TRowSpan> rows);
  void SetStoredText(int index, std::uint32_t offset, std::size_t length);
  void SetRowText(int index, std::string_view text);
  void SetStateText(int index, std::string_view text);
  void SetObject(int index, void* object) { m_slots[Slot(index)].Object = object; }
  // Bytes stored with StoreBytes that no row took.
  void AddGarbage(std::size_t bytes) { m_garbage += bytes; }
  void EraseRows(int index, int count);
  // Removes every row and frees the storage.
  void ResetRows();
  // Exchanges all rows and storage with `other` (hooks are not called; the
  // caller rebuilds whatever it derives from the rows).
  void SwapRows(TheStringList& other) noexcept;

  void Changing();
  void Changed();
  // Compacts the arena when garbage has grown; call at the end of a public
  // operation, never while a view of the arena is still in use.
  void MaybeCompact();

  // Hooks for descendants that keep totals over the attribute words. They
  // see every row that enters or leaves and every word change.
  virtual void RowsInserted(int /*index*/, int /*count*/) {}
  virtual void RowsRemoving(int /*index*/, int /*count*/) {}
  virtual void WordsChanging(int /*index*/, std::uint32_t /*newWord1*/, std::uint32_t /*newWord2*/) {}

private:
  struct TSlot {
    std::uint32_t TextOffset = 0;
    std::uint32_t TextLength = 0;
    std::uint32_t StateOffset = 0;
    std::uint32_t StateLength = 0;
    void* Object = nullptr;
    std::uint32_t Word1 = 0;
    std::uint32_t Word2 = 0;
  };
  static_assert(sizeof(TSlot) == 32);

  static std::size_t Slot(int index) { return static_cast<std::size_t>(index); }
  void Reserve(std::size_t count);
  // Appends bytes to the arena; returns their offset. Safe when `bytes` views
  // the arena itself.
  std::uint32_t Store(std::string_view bytes);
  std::string_view View(std::uint32_t offset, std::uint32_t length) const {
    return {m_arena.data() + offset, length};
  }
  void Compact();

  std::vector<TSlot> m_slots;
  int m_capacity = 0;
  std::vector<char> m_arena;
  std::size_t m_garbage = 0;
  int m_updateCount = 0;
  std::function<void()> m_onChanging;
  std::function<void()> m_onChange;
};

}  // namespace quillet
