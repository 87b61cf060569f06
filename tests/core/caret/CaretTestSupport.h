// Helpers of the caret tests: Japanese test text turned into code page 932
// by glibc's iconv (an independent converter, not the code page module under
// test), and a store with an engine ready to be driven.
#pragma once

#include "support/IconvText.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/caret/EditorEngine.h"

namespace quillet::test {

inline std::string Sj(std::string_view utf8) { return IconvToCp932(utf8); }

// A row store with one engine on it; wrapping at `wrap` columns when given.
struct TEngineFixture {
  TEditorScreenStrings Store;
  TEditorEngine Engine{Store};

  explicit TEngineFixture(std::string_view text = {}, int wrap = 0) {
    if (wrap > 0) {
      Store.WrapOption().SetWrapByte(wrap);
      Store.SetWordWrap(true);
    }
    Engine.SetText(text);
  }
  void Caret(int row, int column) { Engine.MoveCaretTo(row, column, false); }
  std::string Text() const { return Store.Text(); }
  std::pair<int, int> At() const { return {Engine.Row(), Engine.Column()}; }
};

}  // namespace quillet::test
