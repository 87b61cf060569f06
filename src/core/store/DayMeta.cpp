// Reading a day's section of Set.ini (see DayMeta.h).
#include "core/store/DayMeta.h"

#include <cstdio>

#include "core/app/HIniFile.h"

namespace quillet {

std::string DaySection(int day) { return std::to_string(day); }

TDayMeta ReadDayMeta(const THIniFile& ini, int day) {
  const std::string section = DaySection(day);
  TDayMeta meta;
  meta.Unreadable = ini.ReadFailed();
  meta.SectionExists = ini.SectionExists(section);
  meta.Title = ini.ReadVerbatim(section, "Title", "");  // blanks typed in a title are kept
  meta.ReNewalTime = ini.ReadString(section, "ReNewalTime", "");
  meta.UseCode = ini.ReadBool(section, "UseCode", false);
  meta.Method = ini.ReadBool(section, "Method", false);
  int key = 0;
  if (ini.ValueExists(section, "CodeKey") && ParseInteger(ini.ReadString(section, "CodeKey", ""), key)) {
    meta.CodeKey = key;
  }
  return meta;
}

TDayMeta ReadDayMeta(const std::string& monthFolder, int day) {
  const THIniFile ini(monthFolder + std::string(kSetIniName), false);
  return ReadDayMeta(ini, day);
}

std::string FormatRenewalTime(std::time_t when) {
  tm local{};
  localtime_r(&when, &local);
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return buffer;
}

std::string_view MethodName(TEntryMethod method) noexcept {
  switch (method) {
    case TEntryMethod::Number: return "number";
    case TEntryMethod::Word: return "word";
    case TEntryMethod::Plain: break;
  }
  return "plain";
}

}  // namespace quillet
