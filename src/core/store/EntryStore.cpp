// Loading and saving a day (see EntryStore.h).
//
// Three rules here are stricter than the original program, each because the
// original could lose or garble an entry:
//  - When the body write fails, Set.ini is left as it was. Its flags still
//    describe the body on disk (the atomic write kept the old one); writing
//    the new "UseCode"/"Method" over them would make the old body read
//    through the wrong method.
//  - A section that is rewritten loses "CodeKey": the body just written used
//    Code.Number, and a stale per-day key would decrypt it with the wrong byte.
//  - An unforced save of an unmodified, empty entry deletes the entry file
//    only when that file is empty on disk. An encrypted body read under a
//    wrong key can come out empty, and deleting it then would destroy it.
// A Set.ini that cannot be written, or a body that cannot be deleted, is a
// failed save like a failed body write.
#include "core/store/EntryStore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/base/AtomicFile.h"
#include "core/base/CodePage.h"

namespace quillet {
namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

bool StatFile(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

bool PathExists(const std::string& path) {
  struct stat st {};
  return StatFile(path, st);
}

// The original's "clear the read-only attribute": give the owner write
// permission back. Failures are ignored; the write reports its own.
void ClearReadOnly(const std::string& path) {
  struct stat st {};
  if (StatFile(path, st) && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) {
    ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
  }
}

// The original's "read-only attribute alone": no one may write; the read
// bits stay as they are (0600 becomes 0400).
void SetReadOnly(const std::string& path) {
  struct stat st {};
  if (StatFile(path, st) && S_ISREG(st.st_mode)) ::chmod(path.c_str(), st.st_mode & 07777 & ~kWriteBits);
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

bool IsNonEmptyFile(const std::string& path, std::uintmax_t* size = nullptr) {
  struct stat st {};
  if (!StatFile(path, st) || !S_ISREG(st.st_mode)) return false;
  if (size) *size = static_cast<std::uintmax_t>(st.st_size);
  return st.st_size > 0;
}

bool WriteBody(const std::string& path, std::string_view body, TCode& code) {
  if (!code.EnCrypt) return WriteFileAtomic(path, body);
  if (code.Method) {
    if (code.Word.empty()) code.Word = LoginName();
    return WriteWordKey(body, path, code.Word);
  }
  try {
    WriteNumberKey(path, body, code.Number);
    return true;
  } catch (const EKeyFileError&) {
    return false;
  }
}

}  // namespace

bool ReadEntryBody(const std::string& path, TEntryMethod method, int keyNumber, std::string_view word,
                   std::string& body) {
  switch (method) {
    case TEntryMethod::Plain: return ReadFileBytes(path, body);
    case TEntryMethod::Word:
      // ReadWordKey succeeds on a missing file; a day's reader wants to know.
      if (!PathExists(path)) return false;
      return ReadWordKey(body, path, word);
    case TEntryMethod::Number:
      try {
        ReadNumberKey(body, path, keyNumber);
        return true;
      } catch (const EKeyFileError&) {
        return false;
      }
  }
  return false;
}

std::string TLoadedDay::StatusMessage() const {
  if (ReadFailed) return std::string(kMsgReadFailed);
  if (!Meta.ReNewalTime.empty()) {
    std::string shown;
    ToUtf8(Meta.ReNewalTime, shown);
    return std::string(kMsgRenewalPrefix) + shown;
  }
  return {};
}

TLoadedDay LoadDay(const TStoreSettings& settings, const TCode& code, TDate date) {
  TLoadedDay day;
  day.Path = EntryPath(settings, date);
  if (!FolderExists(settings.SavePath)) {
    day.RootMissing = true;
    return day;
  }
  day.Meta = ReadDayMeta(EntryFolder(settings, date), DayOf(date));
  if (!PathExists(day.Path)) return day;
  day.FileExists = true;
  day.Encrypted = day.Meta.UseCode;
  if (!ReadEntryBody(day.Path, day.Meta.EntryMethod(), day.Meta.KeyNumber(code.Number), code.Word, day.Body)) {
    day.ReadFailed = true;
    day.Body.clear();
  }
  return day;
}

TSaveResult SaveDay(TStoreSettings& settings, const std::string& appFolder, TCode& code,
                    const TSaveRequest& request) {
  TSaveResult result;
  const TDate date = request.Date;

  if (!request.Force && !request.Modified) {
    if (request.Body.empty() && request.Title.empty()) {
      const std::string path = EntryPath(settings, date);
      struct stat st {};
      if (StatFile(path, st) && S_ISREG(st.st_mode) && st.st_size == 0 && ::unlink(path.c_str()) == 0) {
        result.FileDeleted = true;
      }
    }
    result.Marked = IsNonEmptyFile(EntryPath(settings, date));
    return result;
  }

  result.Acted = true;
  if (!FolderExists(settings.SavePath)) {
    settings.SavePath = WithTrailingSlash(appFolder);
    result.SavePathReset = true;
  }
  const std::string path = EntryPath(settings, date);
  ClearReadOnly(path);
  // On failure the month folder is still named; the writes below then fail
  // and are reported as a failed save.
  if (EnsureEntryFolder(settings, date).empty()) result.Messages.emplace_back(kMsgFolderFailed);
  const std::string folder = EntryFolder(settings, date);

  bool erase = false;
  bool bodyOk = true;
  if (request.Body.empty()) {
    bodyOk = RemoveFile(path);
    result.FileDeleted = bodyOk;
    erase = request.Title.empty();
  } else {
    bodyOk = WriteBody(path, request.Body, code);
    if (settings.SaveReadOnly) SetReadOnly(path);
  }

  bool metaOk = true;
  if (bodyOk) {
    THIniFile ini(folder + std::string(kSetIniName), false);
    const std::string section = DaySection(DayOf(date));
    if (erase) {
      ini.EraseSection(section);
    } else {
      ini.WriteString(section, "Title", request.Title);
      ini.WriteString(section, "ReNewalTime", FormatRenewalTime(request.Now.value_or(std::time(nullptr))));
      ini.WriteBool(section, "UseCode", code.EnCrypt);
      ini.WriteBool(section, "Method", code.Method);
      ini.DeleteKey(section, "CodeKey");
    }
    if (ini.Modified()) {
      metaOk = ini.UpdateFile();
      result.MetaWritten = metaOk;
    }
  }

  if (!bodyOk || !metaOk) {
    result.Ok = false;
    result.Messages.emplace_back(kMsgSaveFailed);
  }
  result.Marked = IsNonEmptyFile(path);
  return result;
}

std::vector<TDaySummary> ListMonth(const TStoreSettings& settings, int year, int month) {
  std::vector<TDaySummary> days;
  const int count = DaysInMonth(year, month);
  if (count == 0) return days;
  const std::string folder = EntryFolder(settings, MakeDate(year, month, 1));
  const THIniFile ini(folder + std::string(kSetIniName), false);
  for (int day = 1; day <= count; ++day) {
    TDaySummary summary;
    summary.Day = day;
    summary.HasFile = IsNonEmptyFile(folder + EntryFileName(settings, year, month, day), &summary.Size);
    const TDayMeta meta = ReadDayMeta(ini, day);
    summary.Method = meta.EntryMethod();
    summary.Title = meta.Title;
    if (summary.HasFile || !summary.Title.empty()) days.push_back(std::move(summary));
  }
  return days;
}

}  // namespace quillet
