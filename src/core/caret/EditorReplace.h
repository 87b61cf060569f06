// Replace all in the editor's text as one edit.
//
// The hits are the ones a forward search from the top finds when each hit is
// replaced before the next search starts after the replacement: the matches
// of the text as it stands, left to right, none overlapping, each search
// resuming where the last match ended. They are replaced by one call of the
// editing primitive, from the first hit's start to the last hit's end, so
// one undo puts the whole text back however many hits there were (replacing
// hit by hit would make one undo step each and, past the undo limit, lose
// the way back to the text before the replace).
// GUI thread, as the engine.
#pragma once

#include <optional>
#include <string_view>

#include "core/caret/EditorEngine.h"

namespace quillet {

// Replaces every hit of `pattern` (SearchText rules, forward) by
// `replacement`. The caret goes to the top first, and after a replace stands
// right after the last replacement. Returns the number of hits replaced, 0
// for an empty pattern or no hit, and nothing when there were hits but the
// engine refused the edit (read-only): the text is then unchanged.
std::optional<int> ReplaceAllText(TEditorEngine& engine, std::string_view pattern, std::string_view replacement,
                                  bool matchCase);

}  // namespace quillet
