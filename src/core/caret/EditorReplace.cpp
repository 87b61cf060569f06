// Replace all as one edit; see EditorReplace.h.
#include "core/caret/EditorReplace.h"

#include <string>
#include <vector>

#include "core/caret/EditorSearch.h"

namespace quillet {

std::optional<int> ReplaceAllText(TEditorEngine& engine, std::string_view pattern, std::string_view replacement,
                                  bool matchCase) {
  engine.MoveCaretTo(0, 0, false);
  if (pattern.empty()) return 0;
  const TEditorScreenStrings& store = engine.Store();
  std::vector<TTextRange> hits;
  for (TTextPoint from{0, 0};;) {
    const std::optional<TTextRange> hit = SearchText(store, pattern, from, true, matchCase);
    if (!hit) break;
    hits.push_back(*hit);
    from = hit->End;
  }
  if (hits.empty()) return 0;
  if (engine.ReadOnly()) return std::nullopt;

  // The new text of the span from the first hit to the last: each hit
  // replaced, the text between hits kept (line ends as CR LF).
  std::string text;
  for (std::size_t i = 0; i < hits.size(); ++i) {
    if (i > 0) text += TextOfRange(store, {hits[i - 1].End, hits[i].Start});
    text += replacement;
  }
  // A box selection would take the span as a rectangle.
  const TSelectionMode mode = engine.SelectionMode();
  engine.SetSelectionMode(TSelectionMode::smNormal);
  engine.Select(hits.front().Start, hits.back().End);
  engine.ReplaceSelection(text);
  engine.SetSelectionMode(mode);
  return static_cast<int>(hits.size());
}

}  // namespace quillet
