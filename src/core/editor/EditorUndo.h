// TEditorUndoObj: the undo and redo lists of a row store.
//
// Every call of the store's editing primitive makes exactly one record (no
// merging): one typed character, one paste or one replace is one undo step.
// A record says which text the change put in place of which: from its start
// (a logical line and the byte offset in it where the first replaced row
// began) to the end of its NewLineCount logical lines the text now stands,
// and OldText (line ends as CR LF) stood there before, its last line ending
// as LastRowAttribute (raInvalid: there was no old text).
//
// Records hold logical positions, not row numbers, so they stay right when
// the rows are cut anew: wrapping switched, the wrap column changed by a
// window resize, the tab width changed. Undo finds the rows again in the
// current cut. Each record also carries the active editor's caret from just
// before the change, as (row, column) and as a position; the caret goes back
// to that (row, column) when it still names the same place, else to the
// position in the current cut.
//
// Undo takes the last undo record, puts its old text back, and moves the
// opposite record (what it replaced, stamped with the caret from just before
// the undo) to the redo list. Redo does the same the other way round and
// appends its opposite to the undo list without emptying the redo list; any
// new record empties the redo list. The undo list keeps at most UndoListMax
// records (64 or more), dropping the oldest.
//
// An edit that takes more than one call of the primitive (a box selection
// deleted, then the typed or pasted text put in) opens a TUndoGroup around
// the calls: its later records are marked JoinedToPrevious, and undo and
// redo carry on through such marks, so the user never sees the text between
// the calls. Dropping the oldest record drops the rest of its group too.
// Not thread-safe; GUI thread.
#pragma once

#include <deque>
#include <string>

#include "core/editor/EditorClient.h"
#include "core/editor/RowSpan.h"

namespace quillet {

class TEditorScreenStrings;

struct TUndoData {
  TCaretStamp Caret;        // active editor's caret just before the change
  int StartLine = -1;       // logical line of the first replaced row
  int StartByte = 0;        // where that row began in the line (bytes)
  int NewLineCount = 0;     // logical lines the change put in (0: none)
  TRowAttribute LastRowAttribute = raInvalid;
  std::string OldText;
  // Undone and redone together with the record before it in its list.
  bool JoinedToPrevious = false;
  bool operator==(const TUndoData&) const = default;
};

using TUndoDataList = std::deque<TUndoData>;

class TEditorUndoObj {
public:
  static constexpr int kMinUndoListMax = 64;

  explicit TEditorUndoObj(TEditorScreenStrings& store) : m_store(store) {}
  TEditorUndoObj(const TEditorUndoObj&) = delete;
  TEditorUndoObj& operator=(const TEditorUndoObj&) = delete;

  // Appends a record stamped with the active editor's caret (or row 0,
  // column 0 without clients), start line -1, no new lines, raInvalid, no
  // text; drops the oldest beyond the maximum; empties the redo list unless a
  // redo is running. The reference stays valid until the next list change.
  TUndoData& NewRecord();
  bool CanUndo() const noexcept { return !m_undoList.empty(); }
  bool CanRedo() const noexcept { return !m_redoList.empty(); }
  // False (nothing changed) when the list is empty. A record that no longer
  // fits the text (only possible after the rows were edited around the
  // primitive) empties both lists rather than damage the text.
  bool Undo();
  bool Redo();
  void Clear();

  int UndoListMax() const noexcept { return m_max; }
  // Stores the larger of `value` and 64; a smaller maximum trims the list.
  void SetUndoListMax(int value);

  const TUndoDataList& UndoList() const noexcept { return m_undoList; }
  const TUndoDataList& RedoList() const noexcept { return m_redoList; }

private:
  friend class TUndoGroup;

  void Append(TUndoData record);
  void TrimToMax();
  // Steps through one group: the last record and those joined before it.
  bool StepGroup(TUndoDataList& from, bool redo);
  bool Step(TUndoDataList& from, bool redo, bool joined);

  TEditorScreenStrings& m_store;
  int m_max = kMinUndoListMax;
  bool m_inRedo = false;
  int m_groupDepth = 0;
  bool m_groupHasRecord = false;  // the open group made its first record
  TUndoDataList m_redoList;
  TUndoDataList m_undoList;
};

// Records made while it lives form one undo step. Groups may nest; the
// outermost one decides.
class TUndoGroup {
public:
  explicit TUndoGroup(TEditorUndoObj& undo) : m_undo(undo) {
    if (m_undo.m_groupDepth++ == 0) m_undo.m_groupHasRecord = false;
  }
  ~TUndoGroup() { --m_undo.m_groupDepth; }
  TUndoGroup(const TUndoGroup&) = delete;
  TUndoGroup& operator=(const TUndoGroup&) = delete;

private:
  TEditorUndoObj& m_undo;
};

}  // namespace quillet
