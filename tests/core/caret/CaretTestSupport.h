// Helpers of the caret tests: Japanese test text turned into code page 932
// by glibc's iconv (an independent converter, not the code page module under
// test), and a store with an engine ready to be driven.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <string_view>

#include "core/caret/EditorEngine.h"

namespace quillet::test {

// `utf8` in code page 932 as glibc's iconv "CP932" gives it.
inline std::string Sj(std::string_view utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "no CP932 converter";
    return {};
  }
  std::string out(utf8.size() * 2 + 8, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1)) ADD_FAILURE() << "iconv cannot encode " << utf8;
  out.resize(out.size() - outLeft);
  return out;
}

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
