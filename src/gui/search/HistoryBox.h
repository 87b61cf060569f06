// THistoryBox: a search combo box tied to a history file (TSearchHistory).
// The find and replace windows use it for "Find.txt" and "Replace.txt", the
// grep dialog for "Grep.txt".
//
// The history holds code page 932 bytes as stored; the box shows them as
// Unicode. A box text that is one of the entries gives back that entry's
// bytes unchanged, so an entry that does not convert cleanly (a stray byte
// shown as a replacement mark) is found and moved, never altered. Other text
// is converted and refused whole when code page 932 cannot hold a character.
//
// The box completes case-sensitively: "abc" and "ABC" are different
// entries, and typing one must not turn into the other.
// GUI thread.
#pragma once

#include <QString>
#include <string>

#include "core/search/SearchHistory.h"

class QComboBox;

namespace quillet {

class THistoryBox {
public:
  // `box` (not owned) becomes editable, adds nothing by itself, and
  // completes case-sensitively. `fileName` ("Find.txt") names the file in
  // messages.
  THistoryBox(QComboBox* box, std::string folder, std::string fileName);

  QComboBox* Box() const { return m_box; }
  bool IsEmpty() const;
  // Fills the box from the file; the box text becomes the first entry. A
  // status message when the file exists but could not be read, else empty.
  QString Load();
  // The box text as code page 932 bytes; false with `message` set (and
  // `bytes` unchanged) when a character cannot be held.
  bool Text(std::string& bytes, QString& message) const;
  // Add (limit < 0) or add and limit (limit >= 0) of `bytes`, the box list
  // following the history with `bytes` selected. A status message when the
  // history could not be saved, else empty (a missing folder is no fault:
  // nothing is saved then).
  QString Add(const std::string& bytes, int limit = -1);

private:
  void Fill(const QString& text);

  QComboBox* m_box;
  std::string m_fileName;
  TSearchHistory m_history;
};

// Code page 932 bytes for display (stray bytes as replacement marks).
QString HistoryDisplayText(const std::string& bytes);

}  // namespace quillet
