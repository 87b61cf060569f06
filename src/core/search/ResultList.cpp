// The result window's list rules and settings (see ResultList.h).
#include "core/search/ResultList.h"

#include <algorithm>
#include <functional>

#include "core/base/CodePage.h"
#include "core/store/DateFormat.h"

namespace quillet {

namespace {

// Case-insensitive order of two paths or kind texts. Paths are UTF-8, so
// only ASCII letters fold; bytes of multibyte characters compare as they
// are, which keeps characters of one script together.
int CompareNoCase(std::string_view a, std::string_view b) {
  const auto fold = [](char c) {
    return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  };
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = fold(a[i]);
    const unsigned char y = fold(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Three-way comparison of two items by a sortable column.
int CompareBy(TResultColumn column, const TGrepItem& a, const TGrepItem& b) {
  switch (column) {
    case TResultColumn::Date:
      return a.Date < b.Date ? -1 : (b.Date < a.Date ? 1 : 0);
    case TResultColumn::FileName:
      return CompareNoCase(a.Path, b.Path);
    case TResultColumn::Kind:
      return CompareNoCase(GrepKindText(a.Kind), GrepKindText(b.Kind));
    case TResultColumn::Encrypted: {
      const int x = a.Method == TEntryMethod::Plain ? 1 : 0;
      const int y = b.Method == TEntryMethod::Plain ? 1 : 0;
      return x - y;
    }
    case TResultColumn::No:
      break;
  }
  return 0;
}

std::string ToUtf8Text(std::string_view cp932) {
  std::string out;
  ToUtf8(cp932, out);  // undecodable bytes show as U+FFFD; the rest stays readable
  return out;
}

std::string Cp932(std::string_view utf8) {
  std::string out;
  FromUtf8(utf8, out);
  return out;
}

std::string ColumnKey(std::string_view name, int index) { return std::string(name) + std::to_string(index); }

}  // namespace

void TResultList::Sort(TResultColumn column) {
  const auto index = static_cast<std::size_t>(column);
  const bool ascending = m_ascendingNext[index];
  m_ascendingNext[index] = !ascending;
  if (column == TResultColumn::No) {
    std::reverse(m_items.begin(), m_items.end());
    return;
  }
  std::stable_sort(m_items.begin(), m_items.end(), [&](const TGrepItem& a, const TGrepItem& b) {
    const int order = CompareBy(column, a, b);
    return ascending ? order < 0 : order > 0;
  });
}

std::size_t TResultList::DeleteRows(std::vector<std::size_t> rows) {
  // From the last row to the first, so that each index still names its row.
  std::sort(rows.begin(), rows.end(), std::greater<>());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::size_t deleted = 0;
  for (const std::size_t row : rows) {
    if (row >= m_items.size()) continue;
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(row));
    ++deleted;
  }
  return deleted;
}

void TResultList::ClearMarks() {
  for (TGrepItem& item : m_items) item.SqueezeMark = 0;
}

std::size_t TResultList::MarkedCount() const {
  return static_cast<std::size_t>(
      std::count_if(m_items.begin(), m_items.end(), [](const TGrepItem& item) { return item.SqueezeMark != 0; }));
}

std::string ResultFileName(std::string_view path, std::string_view savePath) {
  if (savePath.empty() || !path.starts_with(savePath)) return std::string(path);
  return "../" + std::string(path.substr(savePath.size()));
}

std::string ResultCellText(const TGrepItem& item, std::size_t row, TResultColumn column, std::string_view savePath) {
  switch (column) {
    case TResultColumn::No:
      return std::to_string(row + 1);
    case TResultColumn::Date:
      return FormatDatePattern(kShortDatePattern, item.Date);
    case TResultColumn::FileName:
      return ResultFileName(item.Path, savePath);
    case TResultColumn::Kind:
      return std::string(GrepKindText(item.Kind));
    case TResultColumn::Encrypted:
      break;
  }
  return item.Method != TEntryMethod::Plain ? "暗号" : "";
}

std::string PreviewBandText(const TGrepItem& item, bool fileExists) {
  std::string text = item.Title.empty() ? std::string("Non Title") : ToUtf8Text(item.Title);
  if (!fileExists) return text;
  if (item.Method != TEntryMethod::Plain) text += " (暗号文章)";
  if (item.Kind != TGrepKind::Title) text += " ( 行 : " + item.Lines + " )";
  return text;
}

bool RowColored(std::size_t row, int coloring) {
  const bool oddNumber = row % 2 == 0;  // "No" is row + 1
  return (coloring == 1 && oddNumber) || (coloring == 2 && !oddNumber);
}

std::string FirstLineHint(std::string_view body) {
  const std::size_t end = std::min(body.find_first_of("\r\n"), body.size());
  std::size_t cut = 0;
  while (cut < end) {
    const std::size_t next = cut + CharLength(body, cut);
    if (next > kHintMaxBytes || next > end) break;
    cut = next;
  }
  return std::string(body.substr(0, cut));
}

std::array<TResultColumnSetting, kResultColumnCount> TResultSettings::DesignedColumns() {
  return {{
      {2, false, Cp932("No"), 40},
      {1, false, Cp932("日付"), 80},
      {1, true, Cp932("ファイル名"), 220},
      {1, false, Cp932("対象"), 100},
      {0, false, Cp932("暗号"), 44},
  }};
}

TResultSettings ReadResultSettings(const THIniFile& ini) {
  const std::string_view s = kResultSection;
  TResultSettings r;
  for (int i = 0; i < kResultColumnCount; ++i) {
    TResultColumnSetting& column = r.Columns[static_cast<std::size_t>(i)];
    column.Alignment = ini.ReadInteger(s, ColumnKey("ColumnAlignment", i), column.Alignment);
    if (column.Alignment < 0 || column.Alignment > 2) column.Alignment = 1;
    column.AutoSize = ini.ReadBool(s, ColumnKey("ColumnAutoSize", i), column.AutoSize);
    column.Caption = ini.ReadString(s, ColumnKey("ColumnCaption", i), column.Caption);
    column.Width = std::max(0, ini.ReadInteger(s, ColumnKey("ColumnWidth", i), column.Width));
  }
  r.CloseOnMove = ini.ReadBool(s, "CloseOnMove", r.CloseOnMove);
  r.Color = ini.ReadColor(s, "Color", r.Color);
  r.Font = ini.ReadFont(s, r.Font);
  r.GridLines = ini.ReadBool(s, "GridLines", r.GridLines);
  r.HotTrack = ini.ReadBool(s, "HotTrack", r.HotTrack);
  r.Preview = ini.ReadBool(s, "Preview", r.Preview);
  r.Hint = ini.ReadBool(s, "Hint", r.Hint);
  r.HoverTime = std::max(0, ini.ReadInteger(s, "HoverTime", r.HoverTime));
  r.Coloring = ini.ReadInteger(s, "Coloring", r.Coloring);
  if (r.Coloring < 0 || r.Coloring > 2) r.Coloring = 0;
  r.LineColor = ini.ReadColor(s, "LineColor", r.LineColor);
  r.SqueezeColor = ini.ReadColor(s, "SqueezeColor", r.SqueezeColor);
  return r;
}

void WriteResultSettings(THIniFile& ini, const TResultSettings& r) {
  const std::string_view s = kResultSection;
  for (int i = 0; i < kResultColumnCount; ++i) {
    const TResultColumnSetting& column = r.Columns[static_cast<std::size_t>(i)];
    ini.WriteInteger(s, ColumnKey("ColumnAlignment", i), column.Alignment);
    ini.WriteBool(s, ColumnKey("ColumnAutoSize", i), column.AutoSize);
    ini.WriteString(s, ColumnKey("ColumnCaption", i), column.Caption);
    ini.WriteInteger(s, ColumnKey("ColumnWidth", i), column.Width);
  }
  ini.WriteBool(s, "CloseOnMove", r.CloseOnMove);
  ini.WriteColor(s, "Color", r.Color);
  ini.WriteFont(s, r.Font);
  ini.WriteBool(s, "GridLines", r.GridLines);
  ini.WriteBool(s, "HotTrack", r.HotTrack);
  ini.WriteBool(s, "Preview", r.Preview);
  ini.WriteBool(s, "Hint", r.Hint);
  ini.WriteInteger(s, "HoverTime", r.HoverTime);
  ini.WriteInteger(s, "Coloring", r.Coloring);
  ini.WriteColor(s, "LineColor", r.LineColor);
  ini.WriteColor(s, "SqueezeColor", r.SqueezeColor);
}

}  // namespace quillet
