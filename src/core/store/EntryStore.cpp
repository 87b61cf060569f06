// Loading and saving a day (see EntryStore.h).
//
// Rules here that are stricter than a plain load and save, each because the
// plain way could lose or garble an entry:
//  - The body and Set.ini are staged before either is replaced and then put
//    in place as one unit (SaveJournal.h). A failure leaves both old files
//    as they were: new "UseCode"/"Method" flags over an old body, or an old
//    section over a new body, would read the body through the wrong method.
//  - A section that is rewritten loses "CodeKey": the body just written used
//    the window's key number, and a stale per-day key would decrypt it with the wrong byte.
//  - An unforced save of an unmodified, empty entry deletes the entry file
//    only when that file is empty on disk.
//  - An entry file that does not read under its flags is set aside before it
//    is replaced; so is one whose load failed in the caller.
#include "core/store/EntryStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/base/AtomicFile.h"
#include "core/base/CodePage.h"
#include "core/store/SaveJournal.h"

namespace quillet {
namespace {

bool StatFile(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

bool PathExists(const std::string& path) {
  struct stat st {};
  return StatFile(path, st);
}

bool IsNonEmptyFile(const std::string& path, std::uintmax_t* size = nullptr) {
  struct stat st {};
  if (!StatFile(path, st) || !S_ISREG(st.st_mode)) return false;
  if (size) *size = static_cast<std::uintmax_t>(st.st_size);
  return st.st_size > 0;
}

std::string SystemError(const std::string& what, int errorNumber) {
  return what + ": " + std::strerror(errorNumber);
}

constexpr const char* kOutOfMemory = "not enough memory";

// The bytes a save writes for `body` when the settings encrypt. An empty key
// word becomes the login name first; with none, the word key cannot be used.
bool EncodeBody(std::string_view body, TCode& code, std::string& encoded, std::string& error) {
  if (code.Method) {
    if (code.Word.empty()) code.Word = LoginName();
    if (code.Word.empty()) {
      error = "no key word to encrypt with";
      return false;
    }
    encoded = EncryptWordKey(body, code.Word);
  } else {
    encoded = NumberKeyXor(body, code.Number);
  }
  return true;
}

}  // namespace

bool ReadEntryBody(const std::string& path, TEntryMethod method, int keyNumber, std::string_view word,
                   std::string& body, std::string& error) {
  switch (method) {
    case TEntryMethod::Plain:
      if (ReadFileBytes(path, body)) return true;
      error = SystemError("cannot read " + path, errno);
      return false;
    case TEntryMethod::Word:
      // ReadWordKey succeeds on a missing file; a day's reader wants to know.
      if (!PathExists(path)) {
        error = SystemError("cannot read " + path, ENOENT);
        return false;
      }
      if (ReadWordKey(body, path, word)) return true;
      error = errno == EBADMSG ? path + " does not decrypt with this key word (a wrong key word or a damaged file)"
                               : SystemError("cannot read " + path, errno);
      return false;
    case TEntryMethod::Number:
      try {
        ReadNumberKey(body, path, keyNumber);
        return true;
      } catch (const EKeyFileError& e) {
        error = e.what();
        return false;
      }
  }
  return false;
}

bool ReadEntryBody(const std::string& path, TEntryMethod method, int keyNumber, std::string_view word,
                   std::string& body) {
  std::string error;
  return ReadEntryBody(path, method, keyNumber, word, body, error);
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

namespace {

// A reader's start in a month folder under its shared `lock`: a save that
// was interrupted is finished before anything of the month is read. False
// when it cannot be.
bool FinishInterruptedSave(const std::string& folder, TMonthLock& lock, std::string* error) {
  if (!HasSaveJournal(folder)) return true;
  lock.MakeExclusive();
  return RecoverMonth(folder, error);
}

void ReadDay(TLoadedDay& day, const TCode& code, const std::string& folder, int dayOfMonth) {
  TMonthLock lock(folder, TMonthLock::Shared);
  if (!FinishInterruptedSave(folder, lock, &day.Error)) {
    day.ReadFailed = true;
    return;
  }
  const THIniFile ini(folder + std::string(kSetIniName), false);
  day.FileExists = PathExists(day.Path);
  if (ini.ReadFailed()) {
    // Without the flags the body could be cipher text shown as the entry.
    day.ReadFailed = true;
    day.MetaUnreadable = true;
    day.Meta.Unreadable = true;
    day.Error = "cannot read " + ini.FileName();
    return;
  }
  day.Meta = ReadDayMeta(ini, dayOfMonth);
  if (!day.FileExists) return;
  day.Encrypted = day.Meta.UseCode;
  if (!ReadEntryBody(day.Path, day.Meta.EntryMethod(), day.Meta.KeyNumber(code.Number), code.Word, day.Body,
                     day.Error)) {
    day.ReadFailed = true;
    day.Body.clear();
  }
}

// Whether the entry file reads under the day's flags, so that replacing it
// loses nothing the user could have seen. A plain or number-key file only
// has to open; a word-key file has its padding checked.
bool BodyReadable(const std::string& path, const TDayMeta& meta, const TCode& code) {
  if (meta.EntryMethod() == TEntryMethod::Word) {
    std::string body;
    std::string error;
    return ReadEntryBody(path, TEntryMethod::Word, 0, code.Word, body, error);
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// The part of a save that acts, with the month folder made and locked. On
// false, `error` says why and both files of the day are as they were.
bool SaveUnit(const TStoreSettings& settings, TCode& code, const TSaveRequest& request, const std::string& folder,
              TSaveResult& result, std::string& error) {
  const std::string path = EntryPath(settings, request.Date);
  if (!RecoverMonth(folder, &error)) return false;
  RemoveStaleTemps(folder);

  THIniFile ini(folder + std::string(kSetIniName), false);
  if (ini.ReadFailed()) {
    error = "cannot read " + ini.FileName() + "; it was left as it was";
    return false;
  }
  const TDayMeta old = ReadDayMeta(ini, DayOf(request.Date));
  if (PathExists(path) && (request.SetAsideOld || !BodyReadable(path, old, code))) {
    if (!SetAsideFile(path, result.SetAsidePath, &error)) return false;
    const auto slash = result.SetAsidePath.rfind('/');
    result.Messages.push_back(std::string(kMsgSetAside) + result.SetAsidePath.substr(slash + 1));
  }

  TSaveUnit unit;
  TStagedFile body;
  TStagedFile meta;
  bool erase = false;
  if (request.Body.empty()) {
    if (PathExists(path)) unit.Removals.push_back(path);
    erase = request.Title.empty();
  } else {
    std::string encoded;
    if (code.EnCrypt && !EncodeBody(request.Body, code, encoded, error)) return false;
    const std::string_view bytes = code.EnCrypt ? std::string_view(encoded) : std::string_view(request.Body);
    if (!body.Stage(path, bytes, &error, TReadOnlyTarget::Replace, settings.SaveReadOnly)) return false;
    unit.Renames.push_back(&body);
  }

  const std::string section = DaySection(DayOf(request.Date));
  if (erase) {
    ini.EraseSection(section);
  } else {
    ini.WriteVerbatim(section, "Title", request.Title);
    ini.WriteString(section, "ReNewalTime", FormatRenewalTime(request.Now.value_or(std::time(nullptr))));
    ini.WriteBool(section, "UseCode", code.EnCrypt);
    ini.WriteBool(section, "Method", code.Method);
    ini.DeleteKey(section, "CodeKey");
  }
  if (ini.Modified()) {
    if (!meta.Stage(ini.FileName(), ini.Serialize(), &error)) return false;
    unit.Renames.push_back(&meta);
  }
  const bool metaStaged = meta.Staged();
  if (!CommitSaveUnit(folder, unit, &error)) return false;
  result.FileDeleted = request.Body.empty();
  result.MetaWritten = metaStaged;
  result.Encrypted = !erase && code.EnCrypt;
  return true;
}

}  // namespace

TLoadedDay LoadDay(const TStoreSettings& settings, const TCode& code, TDate date) {
  TLoadedDay day;
  day.Path = EntryPath(settings, date);
  if (!FolderExists(settings.SavePath)) {
    day.RootMissing = true;
    return day;
  }
  try {
    ReadDay(day, code, EntryFolder(settings, date), DayOf(date));
  } catch (const std::bad_alloc&) {
    day.ReadFailed = true;
    std::string().swap(day.Body);
    day.Error = std::string(kOutOfMemory) + " to read " + day.Path;
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
  std::string failedFolder;
  bool ok = false;
  if (EnsureEntryFolder(settings, date, &failedFolder).empty()) {
    result.Messages.emplace_back(kMsgFolderFailed);
    result.Error = SystemError("cannot create the folder " + failedFolder, errno);
  } else {
    const std::string folder = EntryFolder(settings, date);
    try {
      const TMonthLock lock(folder, TMonthLock::Exclusive);
      ok = SaveUnit(settings, code, request, folder, result, result.Error);
    } catch (const std::bad_alloc&) {
      result.Error = std::string(kOutOfMemory) + " to save " + path;
    }
  }
  if (!ok) {
    result.Ok = false;
    result.FileDeleted = false;
    result.Messages.emplace_back(kMsgSaveFailed);
  }
  result.Marked = IsNonEmptyFile(path);
  return result;
}

bool KeepTextBeforeReload(const TStoreSettings& settings, const TCode& code, TDate date, std::string_view text,
                          const std::string& logPath, std::string& keptAt) {
  const TDayMeta meta = ReadDayMeta(EntryFolder(settings, date), DayOf(date));
  const bool encrypted = meta.Unreadable ? code.EnCrypt : meta.UseCode;
  if (!encrypted) {
    keptAt = logPath;
    return AppendFile(logPath, std::string(text) + "\r\n");
  }
  // Encrypted as the entry is (or, without its flags, as a save would do).
  TCode how = code;
  if (!meta.Unreadable) {
    how.Method = meta.Method;
    how.Number = meta.KeyNumber(code.Number);
  }
  std::string encoded;
  std::string error;
  if (!EncodeBody(text, how, encoded, error)) return false;
  return WriteNewBackup(EntryPath(settings, date), encoded, keptAt, &error);
}

TTitleSaveResult SaveDayTitle(const TStoreSettings& settings, TDate date, std::string_view title) {
  TTitleSaveResult result;
  const std::string folder = EntryFolder(settings, date);
  if (!FolderExists(folder)) {
    result.Status = TTitleSaveStatus::FolderMissing;
    result.Error = "the folder " + folder + " does not exist";
    return result;
  }
  result.Status = TTitleSaveStatus::Failed;
  try {
    const TMonthLock lock(folder, TMonthLock::Exclusive);
    if (!RecoverMonth(folder, &result.Error)) return result;
    RemoveStaleTemps(folder);
    THIniFile ini(folder + std::string(kSetIniName), false);
    if (ini.ReadFailed()) {
      result.Error = "cannot read " + ini.FileName() + "; it was left as it was";
      return result;
    }
    const std::string section = DaySection(DayOf(date));
    // An empty title for a day without a section adds nothing worth a write.
    if (!title.empty() || ini.ValueExists(section, "Title")) ini.WriteVerbatim(section, "Title", title);
    if (ini.Modified() && !WriteFileAtomic(ini.FileName(), ini.Serialize(), &result.Error)) return result;
    result.Title = ini.ReadVerbatim(section, "Title", "");
    result.Status = TTitleSaveStatus::Saved;
  } catch (const std::bad_alloc&) {
    result.Error = std::string(kOutOfMemory) + " to write the title in " + folder;
  }
  return result;
}

std::vector<TDaySummary> ListMonth(const TStoreSettings& settings, int year, int month) {
  std::vector<TDaySummary> days;
  const int count = DaysInMonth(year, month);
  if (count == 0) return days;
  const std::string folder = EntryFolder(settings, MakeDate(year, month, 1));
  TMonthLock lock(folder, TMonthLock::Shared);
  FinishInterruptedSave(folder, lock, nullptr);  // on failure the month is listed as it stands
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
