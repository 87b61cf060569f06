// Reading and writing one day of the diary: the entry file (plain or
// encrypted) and the day's section of its month's Set.ini. The main window's
// LoadEntry and SaveEntry, the command line and the search workers all go
// through these functions, so the rules live here once:
//  - what a save writes and when: an unforced save of an unmodified entry
//    writes nothing; an empty body deletes the entry file; a day with neither
//    body nor title loses its Set.ini section, any other saved day gets
//    "Title", "ReNewalTime", "UseCode" and "Method";
//  - the body is encrypted by the settings in force (TCode), and the day's
//    flags record how, so the day is read back by the same rule;
//  - the entry file loses its owner write bit after a save when SaveReadOnly
//    is set (Windows' read-only attribute); a save replaces it all the same;
//  - a day is one unit: the entry file and Set.ini are both staged before
//    either is replaced, and a crash leaves the day as its old or its new
//    version, body and flags together (SaveJournal.h);
//  - a save never destroys a body the user has not seen: when the entry file
//    on disk does not read under its own flags (a wrong key word, no read
//    permission, damage) or the caller's load of it failed, it is kept as
//    "<name>.bak" (then ".bak1", ".bak2", ...) before anything replaces it;
//  - a Set.ini that exists but cannot be read makes the day unreadable and
//    the month unwritable: rewriting it would drop every other day's section;
//  - a failure is reported with its reason, never passed off as success, and
//    running out of memory is a failure like any other.
//
// The body is the editor's text as code page 932 bytes: lines joined with CR
// LF after each line that ends in a line break, the last line without one
// when the text does not end in one. That is exactly the plain entry file.
// The main window passes its editor's `Lines.Text` and, on load, sets
// `Lines.Text` from TLoadedDay::Body (the editor splits it at CR LF, LF or CR
// and stops at a NUL byte); titles are code page 932 bytes too. Messages are
// UTF-8 for the status bar.
//
// Functions here touch no global: the caller passes the store settings and
// the key state. Call from one thread per day at a time; reads may run on
// worker threads with their own copies of the settings.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/crypto/USecurity.h"
#include "core/store/DayMeta.h"
#include "core/store/UDate.h"

namespace quillet {

// Transient status messages (UTF-8).
inline constexpr std::string_view kMsgSaveFailed = "保存に失敗しました";
inline constexpr std::string_view kMsgReadFailed = "ファイルの読み込みに失敗しました";
inline constexpr std::string_view kMsgFolderFailed = "保存先確保に失敗しました";
inline constexpr std::string_view kMsgRenewalPrefix = "更新日時 ";
// Followed by the missing folder: the settings' diary folder does not exist,
// so the program folder stands in for it.
inline constexpr std::string_view kMsgSavePathMissing = "保存先フォルダがないため、プログラムのフォルダを使います: ";

// Reads the body at `path` stored by `method` into `body`: plain as it is, the
// number key with `keyNumber`, the word key with `word`. False when the file
// is missing or cannot be read, when a word-key file's length is not a
// multiple of 8 or `word` is empty; `body` is then untouched. A wrong key
// gives meaningless text, not a failure (the formats carry no check).
bool ReadEntryBody(const std::string& path, TEntryMethod method, int keyNumber, std::string_view word,
                   std::string& body);

inline constexpr std::string_view kMsgSetAside = "読み込めないファイルを退避しました: ";

// Reads the body as above and says why it failed in `error` (English, one
// line, for logs and the command line).
bool ReadEntryBody(const std::string& path, TEntryMethod method, int keyNumber, std::string_view word,
                   std::string& body, std::string& error);

struct TLoadedDay {
  std::string Path;          // the entry file path (the window's CurrentFileName when FileExists)
  bool RootMissing = false;  // SavePath is not a folder: nothing was read
  TDayMeta Meta;             // the day's Set.ini section (defaults when absent)
  bool FileExists = false;
  bool Encrypted = false;    // status panel 3 shows "暗号文章"
  bool ReadFailed = false;   // the body, or Set.ini, exists but could not be read
  bool MetaUnreadable = false;  // Set.ini exists but could not be read: no flags, no body
  std::string Body;          // code page 932, as stored once decrypted; empty on failure
  std::string Error;         // why the read failed (English, one line)

  // The transient message the load shows last: the read failure, else
  // "更新日時 " + ReNewalTime when that is non-empty, else empty.
  std::string StatusMessage() const;
};

// Reads the day `date`: its Set.ini section, then its body by the section's
// flags (the number key is "CodeKey" when present, else code.Number; the
// word key is code.Word). An interrupted save of the month is completed
// first. Cost: one read of Set.ini and of the entry file.
TLoadedDay LoadDay(const TStoreSettings& settings, const TCode& code, TDate date);

struct TSaveRequest {
  TDate Date;
  std::string Body;       // the editor's text, see above
  std::string Title;      // the title box, code page 932
  bool Force = false;     // the save command; false for a change of day or close
  bool Modified = false;  // the editor or the title box has changed since the load
  std::optional<std::time_t> Now;  // "ReNewalTime"; the current time when absent
  bool SetAsideOld = false;  // the caller's load of the day failed: keep its file aside
};

struct TSaveResult {
  bool Ok = true;              // SaveEntry's result: false keeps the day open
  bool Acted = false;          // something was (to be) written; the calendar and
                               // the title list refresh the day only then
  bool SavePathReset = false;  // SavePath was missing and is now the program folder
  bool Marked = false;         // the entry file exists and is not empty (calendar mark)
  bool FileDeleted = false;    // the entry file was removed
  bool MetaWritten = false;    // Set.ini was rewritten
  bool Encrypted = false;      // the day is now marked as stored encrypted ("暗号文章")
  std::string SetAsidePath;    // where the unreadable old entry file was kept
  std::vector<std::string> Messages;  // transient messages in the order shown (UTF-8)
  std::string Error;           // why the save failed (English, one line)
};

// Saves the day. `settings.SavePath` becomes `appFolder` for the rest of the
// run when it is no longer a folder; an empty `code.Word` becomes the login
// name before a word-key save. After a result that is not Ok the caller
// keeps the text, the day, and its modified marks (so that the next unforced
// save tries again rather than dropping the text); both files of the day are
// then as they were. Cost: the body and Set.ini staged with fsync, and a
// journal write when both change; a word-key body on disk is read and
// decrypted once to check that it is readable before it is replaced.
TSaveResult SaveDay(TStoreSettings& settings, const std::string& appFolder, TCode& code,
                    const TSaveRequest& request);

// Keeps the editor's `text` of the day before the window reloads the entry
// that an outside program changed, where it cannot be lost and is no easier
// to read than the entry: when the day is stored encrypted (or its Set.ini
// cannot be read while the settings encrypt), encrypted the same way into a
// new file beside the entry ("<name>.bak", ".bak1", ...), else appended with
// CR LF to the plain log `logPath`. `keptAt` names the file written. False
// when nothing could be written (a word key that is empty included).
bool KeepTextBeforeReload(const TStoreSettings& settings, const TCode& code, TDate date, std::string_view text,
                          const std::string& logPath, std::string& keptAt);

// What SaveDayTitle did.
enum class TTitleSaveStatus {
  Saved,          // Set.ini holds the title now (or held it already)
  FolderMissing,  // the month folder does not exist: nothing was written
  Failed,         // Set.ini could not be read or replaced: it is as it was
};

struct TTitleSaveResult {
  TTitleSaveStatus Status = TTitleSaveStatus::Saved;
  std::string Title;  // the title as Set.ini now holds it (CR and LF become blanks)
  std::string Error;  // why it failed (English, one line)
};

// Sets the title of `date` alone, as the title list edits it without opening
// the entry: "Title" of the day's section of its month's Set.ini becomes
// `title` (code page 932), and every other key and section stays as stored;
// the body, its flags and the renewal time are not touched, so the day still
// reads by the flags its body was written with. The month folder is never
// created here: a title for a month without a folder is refused. Runs under
// the month's exclusive lock, after completing an interrupted save; a
// Set.ini that exists but cannot be read is never rewritten (it would lose
// every other day's section); the file is replaced atomically. Writing the
// title the day already has writes nothing. Cost: one read and at most one
// staged write of Set.ini. User-interface thread or the command line.
TTitleSaveResult SaveDayTitle(const TStoreSettings& settings, TDate date, std::string_view title);

// One day of a month that has a body or a title.
struct TDaySummary {
  int Day = 0;
  TEntryMethod Method = TEntryMethod::Plain;  // by the day's flags
  bool HasFile = false;                       // an entry file of at least one byte
  std::uintmax_t Size = 0;                    // its length in bytes as stored
  std::string Title;                          // code page 932
};

// The days of the month, in order, that have an entry file of at least one
// byte or a non-empty title. Reads Set.ini once and stats each day's file.
std::vector<TDaySummary> ListMonth(const TStoreSettings& settings, int year, int month);

}  // namespace quillet
