// TEditorStrings: the `Lines` view of an editor, the row store seen as a
// list of logical lines. The diary store loads and saves entries through it,
// and the find and replace dialogs read and replace lines through it.
//
// Line indices are 0-based logical lines: with wrapping off a line is a row;
// with it on, the rows of a line joined. Every change goes through the
// store's UpdateRows, so each is one undo step. Get, Put and Delete accept
// 0..Count()-1 and Insert 0..Count(), else they throw TEListError. Finding a
// line's rows costs O(log rows) near the last place asked about and O(rows)
// once after an edit above it.
// Not thread-safe; GUI thread.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "core/editor/EditorScreenStrings.h"

namespace quillet {

inline constexpr std::string_view kReadFailedText = "ファイルの読み込みに失敗しました";

// LoadFromFile could not read the file; what() is kReadFailedText, the text
// is unchanged.
class TEditorFileError : public std::runtime_error {
public:
  TEditorFileError(std::string path, int error)
      : std::runtime_error(std::string(kReadFailedText)), m_path(std::move(path)), m_error(error) {}
  const std::string& Path() const noexcept { return m_path; }
  int Error() const noexcept { return m_error; }  // errno of the failed call

private:
  std::string m_path;
  int m_error;
};

class TEditorStrings {
public:
  explicit TEditorStrings(TEditorScreenStrings& store) : m_store(store) {}

  TEditorScreenStrings& Store() const noexcept { return m_store; }

  int Count() const { return m_store.LinesCount(); }
  // The line without its line end.
  std::string Get(int index) const;
  // Replaces the line; `text` may hold line ends (it then becomes several
  // lines). The line keeps its own line end.
  void Put(int index, std::string_view text);
  // Inserts `text` as a line before line `index`; index Count() appends.
  void Insert(int index, std::string_view text);
  // Appends a line; when the text did not end with a line end, the old last
  // line gets one and the text still ends without one. Returns the index of
  // the line added.
  int Add(std::string_view text);
  void Delete(int index);
  // Empties the store and both undo lists; carets to row 0, column 0.
  void Clear() { m_store.Clear(); }

  // All rows, CR LF after each line that has a line end.
  std::string Text() const { return m_store.Text(); }
  // See TEditorScreenStrings::SetText (undo lists emptied).
  void SetText(std::string_view text) { m_store.SetText(text); }
  // Reads the whole file and sets it as the text; on failure throws
  // TEditorFileError and leaves the text as it was.
  void LoadFromFile(const std::string& path);
  // Takes the source's text (each row of a plain list as one line), then puts
  // the owner's caret after the last row (its setter keeps it in range), in
  // column 0.
  void Assign(const TheStringList& source);
  void Assign(const TEditorStrings& source);

  // The first BeginUpdate stops repainting in every client; the last
  // EndUpdate starts it again and re-initialises every client.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const noexcept { return m_updateCount; }

  // First row of a line (see TEditorScreenStrings::RowOfLineIndex).
  int RowOfLine(int index) const { return m_store.RowOfLineIndex(index); }

private:
  void CheckIndex(int index) const;
  void CaretAfterText();

  TEditorScreenStrings& m_store;
  int m_updateCount = 0;
};

}  // namespace quillet
