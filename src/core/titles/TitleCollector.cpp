// Collecting a month's titles (see TitleCollector.h).
#include "core/titles/TitleCollector.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/store/DayMeta.h"
#include "core/store/SaveJournal.h"

namespace quillet {
namespace {

// The first kFirstLineLimit + 1 bytes of the regular file at `path` (fewer
// when it is shorter): one byte past the limit tells whether a lead byte at
// the limit has its trail byte. False when it is no regular file or cannot
// be read.
bool ReadHead(const std::string& path, std::string& head) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  head.resize(kFirstLineLimit + 1);
  std::size_t done = 0;
  while (ok && done < head.size()) {
    const ssize_t n = ::read(fd, head.data() + done, head.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  head.resize(done);
  return ok;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace

std::string FirstLineOf(std::string_view text) {
  std::size_t end = 0;
  while (end < text.size() && end < kFirstLineLimit) {
    const char c = text[end];
    if (c == '\r' || c == '\n' || c == '\0') break;
    const std::size_t length = CharLength(text, end);
    // A line end right after a lead byte still ends the line; a character
    // past the limit is left out whole.
    if (length == 2 && (text[end + 1] == '\r' || text[end + 1] == '\n' || text[end + 1] == '\0')) {
      ++end;
      break;
    }
    if (end + length > kFirstLineLimit) break;
    end += length;
  }
  return std::string(text.substr(0, end));
}

TTitleRecord MakeTitleRecord(const TStoreSettings& settings, TDate date, std::string title, std::string firstLine) {
  TTitleRecord record;
  record.Path = EntryPath(settings, date);
  record.Day = DayOf(date);
  record.Weekday = WeekdayMonday1(date);
  record.Caption = DayCaption(record.Day, record.Weekday);
  record.Title = std::move(title);
  record.FirstLine = std::move(firstLine);
  return record;
}

TTitleCollector::TTitleCollector(TStoreSettings settings, TDate month, bool onlyExists)
    : m_settings(std::move(settings)), m_year(YearOf(month)), m_month(MonthOf(month)), m_onlyExists(onlyExists) {}

TTitleCollection TTitleCollector::Run() {
  TTitleCollection result;
  result.Year = m_year;
  result.Month = m_month;
  const int days = DaysInMonth(m_year, m_month);
  const TDate first = MakeDate(m_year, m_month, 1);
  const std::string folder = EntryFolder(m_settings, first);
  const bool folderExists = FolderExists(folder);

  // Held until the last file is read; released before anything is handed
  // over, so that no save waits on a hand-over.
  TMonthLock lock(folder, TMonthLock::Shared);
  const THIniFile ini(folder + std::string(kSetIniName), false);
  result.MetaUnreadable = ini.ReadFailed();
  result.Records.reserve(static_cast<std::size_t>(days));
  const int firstWeekday = WeekdayMonday1(first);
  std::string path = folder;
  std::string head;
  for (int day = 1; day <= days; ++day) {
    if (Terminated()) {
      result.Terminated = true;
      break;
    }
    path.resize(folder.size());
    path += EntryFileName(m_settings, m_year, m_month, day);
    const bool exists = folderExists && IsFile(path);
    const TDayMeta meta = ReadDayMeta(ini, day);
    if (m_onlyExists && !exists && meta.Title.empty()) continue;
    TTitleRecord record;
    record.Path = path;
    record.Day = day;
    record.Weekday = (firstWeekday + day - 2) % 7 + 1;
    record.Caption = DayCaption(day, record.Weekday);
    record.Title = meta.Title;
    if (exists && !meta.UseCode && !result.MetaUnreadable && ReadHead(path, head)) record.FirstLine = FirstLineOf(head);
    result.Records.push_back(std::move(record));
  }
  return result;
}

TTitleCollection CollectTitles(const TStoreSettings& settings, int year, int month, bool onlyExists) {
  TTitleCollector collector(settings, MakeDate(year, month, 1), onlyExists);
  return collector.Run();
}

}  // namespace quillet
