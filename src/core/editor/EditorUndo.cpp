// TEditorUndoObj; see EditorUndo.h.
#include "core/editor/EditorUndo.h"

#include <algorithm>

#include "core/editor/EditorScreenStrings.h"

namespace quillet {
namespace {

// Keeps the active editor's caret hidden for the duration of a step, even
// when the step throws.
class TCaretHidden {
public:
  explicit TCaretHidden(TEditorClient* client) : m_client(client) {
    if (m_client) m_client->HideCaret();
  }
  ~TCaretHidden() {
    if (m_client) m_client->ShowCaret();
  }
  TCaretHidden(const TCaretHidden&) = delete;
  TCaretHidden& operator=(const TCaretHidden&) = delete;

private:
  TEditorClient* m_client;
};

}  // namespace

TUndoData& TEditorUndoObj::NewRecord() {
  TUndoData record;
  record.Caret = m_store.ActiveCaretStamp();
  if (m_groupDepth > 0) {
    record.JoinedToPrevious = m_groupHasRecord;
    m_groupHasRecord = true;
  }
  Append(std::move(record));
  return m_undoList.back();
}

void TEditorUndoObj::Append(TUndoData record) {
  m_undoList.push_back(std::move(record));
  TrimToMax();
  if (!m_inRedo) m_redoList.clear();
}

void TEditorUndoObj::TrimToMax() {
  while (m_undoList.size() > static_cast<std::size_t>(m_max)) {
    m_undoList.pop_front();
    // Half a group would undo to a text the user never saw.
    while (!m_undoList.empty() && m_undoList.front().JoinedToPrevious) m_undoList.pop_front();
  }
}

bool TEditorUndoObj::StepGroup(TUndoDataList& from, bool redo) {
  // The opposite records land in the other list in reverse order, so there
  // the first one stepped starts the group and the others join it.
  bool joined = false;
  while (!from.empty()) {
    const bool more = from.back().JoinedToPrevious;
    if (!Step(from, redo, joined)) return joined;
    joined = true;
    if (!more) break;
  }
  return joined;
}

bool TEditorUndoObj::Step(TUndoDataList& from, bool redo, bool joined) {
  if (from.empty()) return false;
  TEditorClient* active = m_store.ActiveClient();
  const TCaretHidden hidden(active);
  TUndoData opposite;
  opposite.Caret = m_store.ActiveCaretStamp();
  opposite.JoinedToPrevious = joined;
  if (!m_store.RestoreRecord(from.back(), opposite)) {
    Clear();
    return false;
  }
  const TCaretStamp caret = from.back().Caret;
  from.pop_back();
  if (redo) {
    m_inRedo = true;
    Append(std::move(opposite));
    m_inRedo = false;
  } else {
    m_redoList.push_back(std::move(opposite));
  }
  if (active) m_store.MoveCaret(*active, caret);
  return true;
}

bool TEditorUndoObj::Undo() { return StepGroup(m_undoList, false); }

bool TEditorUndoObj::Redo() { return StepGroup(m_redoList, true); }

void TEditorUndoObj::Clear() {
  m_undoList.clear();
  m_redoList.clear();
}

void TEditorUndoObj::SetUndoListMax(int value) {
  m_max = std::max(value, kMinUndoListMax);
  TrimToMax();
}

}  // namespace quillet
