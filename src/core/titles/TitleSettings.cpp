// Reading section "Title" (see TitleSettings.h).
#include "core/titles/TitleSettings.h"

#include "core/search/DiaryGrep.h"

namespace quillet {

TTitleSettings ReadTitleSettings(const THIniFile& ini) {
  TTitleSettings s;
  const std::string_view section = keys::kTitle;
  const auto width = [&](const TIntKey& key) {
    const int value = key.Read(ini);
    return value < 0 ? key.def : value;
  };
  const auto action = [&](std::string_view key, TTitleAction def) {
    return TitleActionOf(ini.ReadInteger(section, key, static_cast<int>(def)));
  };
  s.DateColumn = width(keys::TitleDateColumn);
  s.TitleColumn = width(keys::TitleTitleColumn);
  s.Sort = ini.ReadBool(section, "Sort", s.Sort);
  s.SelDrawSentence = ini.ReadBool(section, "SelDrawSentence", s.SelDrawSentence);
  s.OnlyExists = ini.ReadBool(section, "OnlyExists", s.OnlyExists);
  s.ThreadPriority = PriorityFromSetting(ini.ReadInteger(section, "ThreadPriority", kNormalPriority));
  s.Synchronize = ini.ReadBool(section, "Synchronize", s.Synchronize);
  s.MultiThread = ini.ReadBool(section, "MultiThread", s.MultiThread);
  s.Mark = ini.ReadBool(section, "Mark", s.Mark);
  s.WeekEmphasis = ini.ReadBool(section, "WeekEmphasis", s.WeekEmphasis);
  s.SetBKColor = ini.ReadColor(section, "SetBKColor", s.SetBKColor);
  s.SelTextColor = ini.ReadColor(section, "SelTextColor", s.SelTextColor);
  s.SaturdayColor = ini.ReadColor(section, "SaturdayColor", s.SaturdayColor);
  s.SundayColor = ini.ReadColor(section, "SundayColor", s.SundayColor);
  s.BKColor = ini.ReadColor(section, "BKColor", s.BKColor);
  s.TextColor = ini.ReadColor(section, "TextColor", s.TextColor);
  s.SingleAction = action("SingleAction", s.SingleAction);
  s.DblAction = action("DblAction", s.DblAction);
  s.SelectAction = action("SelectAction", s.SelectAction);
  s.ContextMenuAction = action("ContextMenuAction", s.ContextMenuAction);
  s.Font = ini.ReadFont(section, s.Font);
  if (s.Font.size <= 0) s.Font.size = kTitleFontSize;
  s.GridLines = ini.ReadBool(section, "GridLines", s.GridLines);
  s.ShowColumn = ini.ReadBool(section, "ShowColumn", s.ShowColumn);
  return s;
}

void WriteTitleColumns(THIniFile& ini, int dateColumn, int titleColumn) {
  keys::TitleDateColumn.Write(ini, dateColumn);
  keys::TitleTitleColumn.Write(ini, titleColumn);
}

void WriteTitleSettings(THIniFile& ini, const TTitleSettings& s) {
  const std::string_view section = keys::kTitle;
  const auto action = [&](std::string_view key, TTitleAction value) {
    ini.WriteInteger(section, key, static_cast<int>(value));
  };
  ini.WriteBool(section, "Sort", s.Sort);
  ini.WriteBool(section, "SelDrawSentence", s.SelDrawSentence);
  ini.WriteBool(section, "OnlyExists", s.OnlyExists);
  ini.WriteInteger(section, "ThreadPriority", s.ThreadPriority);
  ini.WriteBool(section, "Synchronize", s.Synchronize);
  ini.WriteBool(section, "MultiThread", s.MultiThread);
  ini.WriteBool(section, "Mark", s.Mark);
  ini.WriteBool(section, "WeekEmphasis", s.WeekEmphasis);
  ini.WriteColor(section, "SaturdayColor", s.SaturdayColor);
  ini.WriteColor(section, "SundayColor", s.SundayColor);
  ini.WriteColor(section, "BKColor", s.BKColor);
  ini.WriteColor(section, "TextColor", s.TextColor);
  action("SingleAction", s.SingleAction);
  action("DblAction", s.DblAction);
  action("SelectAction", s.SelectAction);
  action("ContextMenuAction", s.ContextMenuAction);
  ini.WriteFont(section, s.Font);
  ini.WriteBool(section, "GridLines", s.GridLines);
  ini.WriteBool(section, "ShowColumn", s.ShowColumn);
}

}  // namespace quillet
