#include "core/calendar/EntryDays.h"

#include <sys/stat.h>

#include <string>

namespace quillet {

std::bitset<32> DaysWithEntries(const TStoreSettings& settings, int year, int month) {
  std::bitset<32> days;
  const std::string folder = EntryFolder(settings, MakeDate(year, month, 1));
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return days;
  std::string path = folder;
  for (int day = 1; day <= 31; ++day) {
    path.resize(folder.size());
    path += EntryFileName(settings, year, month, day);
    if (::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && info.st_size > 0) days.set(static_cast<std::size_t>(day));
  }
  return days;
}

}  // namespace quillet
