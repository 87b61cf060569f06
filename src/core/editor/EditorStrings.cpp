// TEditorStrings; see EditorStrings.h.
#include "core/editor/EditorStrings.h"

#include <cerrno>

#include "core/base/AtomicFile.h"

namespace quillet {
namespace {

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

void TEditorStrings::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw TEListError(index);
}

std::string TEditorStrings::Get(int index) const {
  CheckIndex(index);
  if (!m_store.WordWrap()) return std::string(m_store.Get(index));
  std::string line = m_store.GetRowsText(RowOfLine(index), -1).Text;
  if (line.ends_with(kCrLf)) line.resize(line.size() - kCrLf.size());
  return line;
}

void TEditorStrings::Put(int index, std::string_view text) {
  CheckIndex(index);
  const int first = RowOfLine(index);
  const int last = m_store.LastRowOfLine(first);
  std::string replacement(text);
  if (m_store.RowAttribute(last) == raCrlf) replacement += kCrLf;
  m_store.UpdateRows(first, last - first + 1, replacement);
}

void TEditorStrings::Insert(int index, std::string_view text) {
  if (index == Count()) {
    Add(text);
    return;
  }
  CheckIndex(index);
  std::string line(text);
  line += kCrLf;
  m_store.UpdateRows(RowOfLine(index), 0, line);
}

int TEditorStrings::Add(std::string_view text) {
  const int added = Count();
  const int rows = m_store.Count();
  if (rows == 0 || m_store.RowAttribute(rows - 1) == raCrlf) {
    std::string line(text);
    line += kCrLf;
    m_store.UpdateRows(rows, 0, line);
  } else {
    std::string joined(m_store.Get(rows - 1));
    joined += kCrLf;
    joined += text;
    m_store.UpdateRows(rows - 1, 1, joined);
  }
  return added;
}

void TEditorStrings::Delete(int index) {
  CheckIndex(index);
  const int first = RowOfLine(index);
  m_store.UpdateRows(first, m_store.LastRowOfLine(first) - first + 1, {});
}

void TEditorStrings::LoadFromFile(const std::string& path) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) throw TEditorFileError(path, errno);
  m_store.SetText(bytes);
}

void TEditorStrings::CaretAfterText() {
  if (TEditorClient* owner = m_store.Owner()) owner->SetCaret(m_store.Count(), 0);
}

void TEditorStrings::Assign(const TheStringList& source) {
  std::string text;
  for (int i = 0; i < source.Count(); ++i) {
    text += source.Get(i);
    text += kCrLf;
  }
  m_store.SetText(text);
  CaretAfterText();
}

void TEditorStrings::Assign(const TEditorStrings& source) {
  m_store.SetText(source.Text());
  CaretAfterText();
}

void TEditorStrings::BeginUpdate() {
  if (m_updateCount++ > 0) return;
  m_store.BeginUpdate();
  const std::vector<TEditorClient*> clients = m_store.Clients();
  for (TEditorClient* client : clients) client->SetRedraw(false);
}

void TEditorStrings::EndUpdate() {
  if (m_updateCount == 0 || --m_updateCount > 0) return;
  const std::vector<TEditorClient*> clients = m_store.Clients();
  for (TEditorClient* client : clients) {
    client->SetRedraw(true);
    client->Reinitialize();
  }
  m_store.EndUpdate();
}

}  // namespace quillet
