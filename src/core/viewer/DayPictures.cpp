// The day picture folder and the file operations of the image list (see
// DayPictures.h).
#include "core/viewer/DayPictures.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/app/AppFolder.h"
#include "core/base/AtomicFile.h"

namespace quillet {
namespace {

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::string ErrnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

std::string DayPictureFolder(const TStoreSettings& settings, TDate date) {
  return EntryFolder(settings, date) + std::to_string(DayOf(date)) + "/";
}

std::string_view FileExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return name.substr(dot);
}

bool IsPictureFile(std::string_view name, const std::vector<std::string>& masks) {
  const std::string_view extension = FileExtension(name);
  if (extension.empty()) return false;
  for (const std::string& mask : masks)
    if (mask.size() == extension.size() + 1 && mask[0] == '*' && EqualsAsciiNoCase(mask.substr(1), extension))
      return true;
  return false;
}

TCorrectedName CorrectExtension(std::string_view oldName, std::string_view typedName) {
  const std::string_view oldExtension = FileExtension(oldName);
  const std::string_view typedExtension = FileExtension(typedName);
  if (EqualsAsciiNoCase(oldExtension, typedExtension)) return {std::string(typedName), false};
  std::string name(typedName.substr(0, typedName.size() - typedExtension.size()));
  name += oldExtension;
  return {std::move(name), true};
}

std::string PictureNameFlaw(std::string_view utf8Name) {
  std::string listName;
  if (!PictureListName(utf8Name, listName)) return "the file name holds a character code page 932 cannot store";
  return ImageDatNameFlaw(listName);
}

int SelectionPercent(int size, int height) {
  if (height < 1) return 0;
  return static_cast<int>(static_cast<long long>(size) * 100 / height);
}

bool RemoveDayFolder(const std::string& folder, std::vector<std::string>& kept, std::string* error) {
  kept.clear();
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) {
    if (errno == ENOENT) return true;
    if (error) *error = ErrnoText("cannot list " + folder);
    return false;
  }
  const std::string base = WithTrailingSlash(folder);
  std::string failure;
  errno = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (name != kImageDatName && !IsStagedTempName(name)) {
      kept.push_back(name);
      continue;
    }
    if (::unlink((base + name).c_str()) != 0 && errno != ENOENT && failure.empty())
      failure = ErrnoText("cannot remove " + base + name);
  }
  if (failure.empty() && kept.empty() && ::rmdir(folder.c_str()) != 0 && errno != ENOENT)
    failure = ErrnoText("cannot remove " + folder);
  if (!failure.empty()) {
    if (error) *error = failure;
    return false;
  }
  return true;
}

TDayPictures::TDayPictures(const TStoreSettings& settings, TDate date)
    : m_settings(settings),
      m_date(date),
      m_folder(DayPictureFolder(settings, date)),
      m_imageDat(m_folder + std::string(kImageDatName)) {}

bool TDayPictures::EnsureFolder(std::string* error) {
  std::string failed;
  if (EnsureEntryFolder(m_settings, m_date, &failed).empty()) {
    if (error) *error = "cannot create the folder " + failed;
    return false;
  }
  if (FolderExists(m_folder)) return true;
  if (::mkdir(m_folder.c_str(), 0700) == 0) {
    ::chmod(m_folder.c_str(), 0700);  // exactly 0700, whatever the umask
    return true;
  }
  if (errno == EEXIST && FolderExists(m_folder)) return true;
  if (error) *error = ErrnoText("cannot create the folder " + m_folder);
  return false;
}

TCopyResult TDayPictures::AddPicture(const std::string& source) {
  TCopyResult result;
  const std::string name = source.substr(source.rfind('/') + 1);
  result.Error = PictureNameFlaw(name);
  if (!result.Error.empty()) {
    result.Error = source + ": " + result.Error;
    return result;
  }
  PictureListName(name, result.ListName);
  result.Path = m_folder + name;
  struct stat from {};
  if (::stat(source.c_str(), &from) != 0) {
    result.Error = ErrnoText("cannot read " + source);
    return result;
  }
  if (!S_ISREG(from.st_mode)) {
    result.Error = source + " is not a file";
    return result;
  }
  // Copying a file onto itself would empty it on the way; there is nothing
  // to copy.
  struct stat to {};
  if (::stat(result.Path.c_str(), &to) == 0 && to.st_dev == from.st_dev && to.st_ino == from.st_ino) {
    result.Ok = true;
    return result;
  }
  std::string bytes;
  if (!ReadFileBytes(source, bytes)) {
    result.Error = ErrnoText("cannot read " + source);
    return result;
  }
  if (!EnsureFolder(&result.Error)) return result;
  result.Ok = WriteFileAtomic(result.Path, bytes, &result.Error);
  return result;
}

TRenameResult TDayPictures::Rename(const std::string& oldName, const std::string& typedName) {
  TRenameResult result;
  result.Name = oldName;
  const std::string oldPath = m_folder + oldName;
  struct stat st {};
  if (!PictureNameFlaw(oldName).empty() || ::lstat(oldPath.c_str(), &st) != 0) {
    result.Status = TRenameStatus::SourceMissing;
    return result;
  }
  const TCorrectedName corrected = CorrectExtension(oldName, typedName);
  std::string flaw = PictureNameFlaw(typedName);
  if (flaw.empty()) flaw = PictureNameFlaw(corrected.Name);
  if (!flaw.empty()) {
    result.Status = TRenameStatus::BadName;
    result.Error = flaw;
    return result;
  }
  result.Corrected = corrected.Corrected;
  if (corrected.Name == oldName) {
    result.Status = TRenameStatus::Unchanged;
    return result;
  }
  const std::string newPath = m_folder + corrected.Name;
  int done = ::renameat2(AT_FDCWD, oldPath.c_str(), AT_FDCWD, newPath.c_str(), RENAME_NOREPLACE);
  if (done != 0 && (errno == EINVAL || errno == ENOSYS)) {
    // A file system without no-replace renames: look, then rename.
    done = ::lstat(newPath.c_str(), &st) == 0 ? (errno = EEXIST, -1) : ::rename(oldPath.c_str(), newPath.c_str());
  }
  if (done != 0) {
    result.Status = errno == EEXIST ? TRenameStatus::TargetExists : TRenameStatus::Failed;
    result.Error = errno == EEXIST ? newPath + " already exists" : ErrnoText("cannot rename " + oldPath);
    return result;
  }
  SyncFolder(m_folder);
  result.Status = TRenameStatus::Renamed;
  result.Name = corrected.Name;
  return result;
}

TStoreListResult TDayPictures::StoreList(const std::vector<TImageDatLine>& lines) {
  TStoreListResult result;
  if (!m_imageDat.MayReplace(&result.Error)) return result;
  if (lines.empty()) {
    result.Action = FolderExists(m_folder) ? TStoreListAction::RemoveFolder : TStoreListAction::Nothing;
    return result;
  }
  std::string bytes;
  // Checked before the folder is made, so a refused list leaves no trace.
  if (!ImageDatBytes(lines, bytes, &result.Error)) return result;
  if (!EnsureFolder(&result.Error)) return result;
  if (m_imageDat.Store(lines, &result.Error)) result.Action = TStoreListAction::Written;
  return result;
}

}  // namespace quillet
