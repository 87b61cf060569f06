// Helpers shared by the editor tests: Japanese test text turned into code
// page 932 by glibc's iconv (never by the code under test), a compact dump of
// rows, and a fake editor control that records what the store asks of it.
#pragma once

#include "support/IconvText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/editor/EditorClient.h"
#include "core/editor/EditorScreenStrings.h"
#include "core/editor/RowAttributeStringList.h"

namespace quillet::test {

inline std::string Cp(std::string_view utf8) { return IconvToCp932(utf8); }

// `n` copies of `c`: rows of a known width.
inline std::string A(int n, char c = 'a') { return std::string(static_cast<std::size_t>(n), c); }

// Rows as one string: each row's text followed by '|' (raCrlf), '~'
// (raWrapped), '$' (raEof) or '?' (raInvalid). For ASCII test text.
inline std::string Dump(const TRowAttributeStringList& rows) {
  std::string out;
  for (int i = 0; i < rows.Count(); ++i) {
    out += rows.Get(i);
    out += "|~$?"[rows.RowAttribute(i)];
  }
  return out;
}

// An editor control as far as the store sees it. The caret row is clamped as
// the control's setter does (row count only after a final line end); the
// column is kept as given.
class TFakeClient : public TEditorClient {
public:
  explicit TFakeClient(TEditorScreenStrings& store) : m_store(store) { m_store.AttachClient(*this); }
  ~TFakeClient() override { m_store.DetachClient(*this); }
  TFakeClient(const TFakeClient&) = delete;
  TFakeClient& operator=(const TFakeClient&) = delete;

  bool HasFocus() const override { return Focus; }
  int CaretRow() const override { return Row; }
  int CaretColumn() const override { return Column; }
  void SetCaret(int row, int column) override {
    const int rows = m_store.Count();
    const int last = rows > 0 && m_store.RowAttribute(rows - 1) == raEof ? rows - 1 : rows;
    Row = std::clamp(row, 0, std::max(last, 0));
    Column = std::max(column, 0);
  }
  void HideCaret() override {
    ++HideDepth;
    MaxHideDepth = std::max(MaxHideDepth, HideDepth);
  }
  void ShowCaret() override { --HideDepth; }
  void RowsChanged(const TEditorUpdateInfo& info) override { Updates.push_back(info); }
  void Reinitialize() override { ++Reinitialized; }
  void SetRedraw(bool on) override { Redraw.push_back(on); }
  int TopRow() const override { return Top; }
  int ScreenRows() const override { return Screen; }

  bool Focus = false;
  int Row = 0;
  int Column = 0;
  int HideDepth = 0;
  int MaxHideDepth = 0;
  int Reinitialized = 0;
  int Top = 0;     // the view: first row shown and rows shown (0: no view)
  int Screen = 0;
  std::vector<TEditorUpdateInfo> Updates;
  std::vector<bool> Redraw;

private:
  TEditorScreenStrings& m_store;
};

}  // namespace quillet::test
