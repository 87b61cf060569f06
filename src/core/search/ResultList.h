// The rules of the grep result window that need no display: the list of
// hits it shows (sorting by a column, deleting rows, squeeze marks), the text
// of each cell, the band text above the preview, the row colouring and the
// first-line hint, and the window's settings (section "Result").
//
// The window shows row i of Items() as "No" i + 1, so the numbering always
// follows the current order: sorting or deleting renumbers every row.
//
// Texts returned here are UTF-8 (titles, stored as code page 932, are
// converted); paths are file-system paths (UTF-8), as TGrepItem holds them.
// One thread (the user-interface thread) at a time.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/HColor.h"
#include "core/app/HIniFile.h"
#include "core/search/GrepItem.h"

namespace quillet {

enum class TResultColumn : int { No = 0, Date = 1, FileName = 2, Kind = 3, Encrypted = 4 };
inline constexpr int kResultColumnCount = 5;

class TResultList {
public:
  const TGrepList& Items() const { return m_items; }
  std::size_t Count() const { return m_items.size(); }
  // Replaces the list with a copy of `items`. Sort directions are kept: they
  // belong to the window's columns, not to one list.
  void Load(const TGrepList& items) { m_items = items; }
  void Clear() { m_items.clear(); }

  // A click on a column header. Each column keeps its own direction, which
  // flips on every click; the first click sorts ascending.
  //  - No: reverses the current order (so two clicks give it back);
  //  - Date, FileName, Kind: by the date, the path (ASCII case ignored) or
  //    the kind's text; descending reverses the comparison;
  //  - Encrypted: encrypted entries first when ascending, last when not.
  // The sort is stable: rows that compare equal keep their order.
  void Sort(TResultColumn column);

  // Deletes the rows at the given 0-based indices (any order; duplicates and
  // indices past the end are ignored). Returns how many were deleted.
  std::size_t DeleteRows(std::vector<std::size_t> rows);

  // Squeeze marks: every mark back to 0; the number of marked rows.
  void ClearMarks();
  std::size_t MarkedCount() const;

private:
  TGrepList m_items;
  std::array<bool, kResultColumnCount> m_ascendingNext{true, true, true, true, true};
};

// The "ファイル名" column: `path` shown relative to the diary folder, with
// the leading `savePath` (trailing "/") replaced by "../". Only the leading
// folder is replaced: the same text further in (SavePath "/3/" and the path
// "/3/2005/3/7.txt") is part of the entry's own path. A path outside
// `savePath` is shown whole.
std::string ResultFileName(std::string_view path, std::string_view savePath);

// The text of a cell of row `row` (0-based) holding `item`: "No" row + 1,
// the short date "2005/03/07", the file name above, the kind, and "暗号" for
// an encrypted entry (else empty).
std::string ResultCellText(const TGrepItem& item, std::size_t row, TResultColumn column, std::string_view savePath);

// The band text above the preview: the title or "Non Title"; when the file
// exists, " (暗号文章)" for an encrypted entry and, unless the hit was in the
// title only, " ( 行 : " + the hit lines + " )".
std::string PreviewBandText(const TGrepItem& item, bool fileExists);

// "Coloring": 0 none, 1 rows 1, 3, 5, ... ("No" numbering), 2 rows 2, 4, 6,
// ...; any other value colours nothing. True when row `row` (0-based) gets
// the line colour.
bool RowColored(std::size_t row, int coloring);

// The hint of a row: the first line of the entry's text (code page 932
// bytes, up to the first CR or LF), cut at a character boundary after at
// most kHintMaxBytes bytes so that a long paragraph cannot make a hint wider
// than the screen.
inline constexpr std::size_t kHintMaxBytes = 256;
std::string FirstLineHint(std::string_view body);

// Section "Result" of the settings file. Captions and the font name are
// code page 932 bytes, as the file holds them.
struct TResultColumnSetting {
  int Alignment = 1;  // 0 centre, 1 left, 2 right; anything else reads as left
  bool AutoSize = false;
  std::string Caption;
  int Width = 80;  // pixels
};

struct TResultSettings {
  std::array<TResultColumnSetting, kResultColumnCount> Columns = DesignedColumns();
  bool CloseOnMove = true;
  TColorRef Color = clWindow;  // list background
  TFontSpec Font{"MS UI Gothic", 9};
  bool GridLines = true;
  bool HotTrack = false;
  bool Preview = true;  // preview on selection
  bool Hint = true;
  int HoverTime = 2000;  // milliseconds, at least 0
  int Coloring = 0;      // see RowColored
  TColorRef LineColor = 0x00EFFDE3;
  TColorRef SqueezeColor = clRed;

  static std::array<TResultColumnSetting, kResultColumnCount> DesignedColumns();
};

inline constexpr std::string_view kResultSection = "Result";

// Reads the section; missing or unreadable keys keep their defaults. A
// negative "HoverTime" reads as 0, a "Coloring" outside 0..2 as 0.
TResultSettings ReadResultSettings(const THIniFile& ini);
void WriteResultSettings(THIniFile& ini, const TResultSettings& settings);

}  // namespace quillet
