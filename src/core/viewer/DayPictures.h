// A day's pictures on disk: the day picture folder, which files are
// pictures, copying a picture in, renaming one, and storing the list
// (Image.dat, ImageDat.h). The image list page (TViewerObject) calls these
// and only draws and asks; the rules live here.
//
// The day picture folder is the month folder of the entry (UDate.h) followed
// by the day of the month without leading zero: SavePath + "2005/3/7/" for
// 7 March 2005. It is made (mode 0700, with the year and month folders) when
// the first picture of the day is added or a non-empty list is stored.
//
// File names handed in and out here are UTF-8, as on disk; Image.dat keeps
// them in code page 932, so a name that code page cannot hold, or that the
// format cannot hold ("|", a line break), is refused before any file is
// copied or renamed. A file the list cannot name would be left in the
// folder without a line.
//
// Extensions (FileExtension): the part from the last "." to the end, the
// dot included, compared without regard to ASCII case as Windows compares
// file names ("P.JPG" is a ".jpg" picture). A name without a dot has none,
// and so has a name whose only dot is its first character (".hidden" is a
// hidden file here, not an extension), so such files are never pictures.
//
// Thread: TDayPictures::Load on the load thread; everything else on the
// user-interface thread. StoreList must not run while a load of the same day
// is still filling the list: the lines not yet loaded would be lost. The
// caller waits for the load to end (or does not store a list it has not
// finished loading).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/store/UDate.h"
#include "core/viewer/ImageDat.h"

namespace quillet {

// The messages of the image list that these rules decide (UTF-8).
inline constexpr std::string_view kMsgSourceNotFound = "元のファイルを認識出来ませんでした";
inline constexpr std::string_view kMsgExtensionCorrected = "拡張子を修正しました";
inline constexpr std::string_view kMsgRenameFailed = "ファイルのリネームに失敗しました";
inline constexpr std::string_view kMsgFolderDeleted = "保存先フォルダを削除しました";

// SavePath + "yyyy/m/d/" of `date` (trailing "/").
std::string DayPictureFolder(const TStoreSettings& settings, TDate date);

// The extension of `name` (see the top of this file); empty when none.
std::string_view FileExtension(std::string_view name);
// True when "*" + the extension of `name` is one of `masks` ("*.bmp",
// "*.jpg", ...), compared without regard to ASCII case.
bool IsPictureFile(std::string_view name, const std::vector<std::string>& masks);

struct TCorrectedName {
  std::string Name;
  bool Corrected = false;  // the typed extension was replaced ("拡張子を修正しました")
  bool operator==(const TCorrectedName&) const = default;
};
// The name a rename gives: `typedName` when its extension equals that of
// `oldName` (ASCII case ignored), else `typedName` without its extension
// followed by the old extension. "a.jpg" typed "b.png" gives "b.jpg";
// typed "b" gives "b.jpg"; typed "B.JPG" stays "B.JPG".
TCorrectedName CorrectExtension(std::string_view oldName, std::string_view typedName);

// Why `utf8Name` cannot be a picture of the list; empty when it can. It must
// be a plain file name (not empty, ".", "..", no "/" or NUL), convert to code
// page 932, and hold no "|" or line break (English, one line).
std::string PictureNameFlaw(std::string_view utf8Name);

// The truncated value of size ÷ height × 100 (the selection status's
// "(n%)"), computed in integers so that exact quotients are not cut one
// below; 0 for a height below 1.
int SelectionPercent(int size, int height);

struct TCopyResult {
  bool Ok = false;
  std::string Path;      // the copy in the day picture folder
  std::string ListName;  // its name for Image.dat (code page 932)
  std::string Error;     // English, one line
};

enum class TRenameStatus {
  Renamed,        // the file has the new name
  Unchanged,      // the new name is the old one; nothing to do
  SourceMissing,  // the old file is gone: nothing changes ("元のファイルを認識出来ませんでした")
  BadName,        // the typed name cannot be a picture's name (PictureNameFlaw)
  TargetExists,   // another file has the new name: nothing was renamed
  Failed,         // the rename failed ("ファイルのリネームに失敗しました")
};

struct TRenameResult {
  TRenameStatus Status = TRenameStatus::Failed;
  std::string Name;        // the file's name now (UTF-8): the new one when Renamed or Unchanged, else the old
  bool Corrected = false;  // CorrectExtension replaced the typed extension
  std::string Error;       // English, one line, for BadName, TargetExists and Failed
};

enum class TStoreListAction {
  Written,       // Image.dat holds the list
  Nothing,       // empty list and no folder
  RemoveFolder,  // empty list, the folder exists: the caller removes it (trash, or RemoveDayFolder)
  Failed,        // nothing changed; Error says why
};

struct TStoreListResult {
  TStoreListAction Action = TStoreListAction::Failed;
  std::string Error;
};

// Removes a day picture folder without the trash (the list is empty and
// "AllowUndo" is off): Image.dat, left-over temporary files of this
// program's copies and writes, and then the folder when nothing else is in
// it. Files the list did not hold (a picture no decoder could read, a file
// put there by hand) are deleted by no one but the user: they and the folder
// stay, and `kept` names them. False with `error` set when something that
// should go could not be removed.
bool RemoveDayFolder(const std::string& folder, std::vector<std::string>& kept, std::string* error = nullptr);

// One day's pictures.
class TDayPictures {
public:
  TDayPictures(const TStoreSettings& settings, TDate date);

  const std::string& Folder() const { return m_folder; }
  // The path of a picture named in Image.dat (code page 932 name).
  std::string PathOf(const std::string& cp932Name) const { return m_folder + PictureDiskName(cp932Name); }

  // Reads Image.dat (the load thread).
  TImageDatLoad Load() { return m_imageDat.Load(); }

  // Makes the year, month and day folders when missing (0700). False with
  // `error` naming the folder that failed.
  bool EnsureFolder(std::string* error = nullptr);

  // Copies the file `source` into the folder under its own name, replacing
  // a file of that name. The bytes go to a temporary file in the folder that
  // is renamed over the target, so a failure leaves no half picture and the
  // old file intact. A source that is already the target (the same file) is
  // left as it is and counts as copied. Refuses a name PictureNameFlaw
  // refuses, and a target without its owner's write permission (Windows'
  // read-only attribute). Cost: the whole file is read into memory.
  TCopyResult AddPicture(const std::string& source);

  // Renames the picture `oldName` (UTF-8) to `typedName` after
  // CorrectExtension. An existing file of the new name is never replaced.
  // The caller gives the record the result's Name; the typed comment is
  // taken unless the status is SourceMissing or BadName.
  TRenameResult Rename(const std::string& oldName, const std::string& typedName);

  // Stores the list (when it was modified): a non-empty list makes the
  // folder and replaces Image.dat; an empty list asks for the folder's
  // removal when it exists. An Image.dat that could not be read is neither
  // replaced nor removed (Failed).
  TStoreListResult StoreList(const std::vector<TImageDatLine>& lines);

private:
  TStoreSettings m_settings;
  TDate m_date;
  std::string m_folder;
  TImageDatFile m_imageDat;
};

}  // namespace quillet
