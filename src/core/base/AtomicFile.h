// Whole-file reading and crash-safe whole-file replacement.
//
// Every file the program stores (entries, Set.ini, the settings file, task and
// history files) is written whole. WriteFileAtomic never leaves a half-written
// target: the bytes go to a temporary file in the target's folder, are flushed
// to disk, and the temporary file is renamed over the target, so a reader (or
// a crash at any moment) sees either the complete old file or the complete new
// one. On failure the temporary file is removed and the old file is untouched.
//
// Permissions follow the platform rule for diary data: a new file is private
// to its owner (0600); a replaced file keeps its permission bits, plus the
// owner's read and write bits (a save must never leave a file its owner
// cannot read back). A target without the owner's write bit stands for
// Windows' read-only attribute and is refused unless the caller asks for it
// to be replaced.
//
// Temporary files are named "." + target name + ".~" + six random letters or
// digits, so that nothing else in a diary folder looks like one and a folder's
// owner may remove left-overs of a killed writer (IsStagedTempName).
//
// TStagedFile splits the write in two for callers that replace several files
// as one unit: every new content is staged (written and flushed under its
// temporary name) before any target is replaced.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace quillet {

enum class TReadOnlyTarget {
  Refuse,   // a target without owner write permission is not replaced
  Replace,  // it is replaced; the replacement gets owner write permission
};

// Replaces (or creates) the regular file `path` with exactly `bytes`.
// A symbolic link is followed, so the file it names is replaced and the link
// stays (a dangling link is replaced by the new file). Returns true only when the new content is in place; on false, the
// target is as it was, no temporary file remains, and `error` (when given)
// holds a one-line English description for logs. Blocks on fsync; call from
// any thread, but not concurrently for the same path.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                     TReadOnlyTarget readOnly = TReadOnlyTarget::Refuse);

// Reads the whole regular file `path` into `out` (bytes as stored). Returns
// false for a missing file, a folder, a device or pipe, or a read error, and
// then leaves `out` unchanged and errno set by the failing call (ENOENT or
// ENOTDIR when the file does not exist, EISDIR or EINVAL for something that is
// not a regular file).
bool ReadFileBytes(const std::string& path, std::string& out);

// A new content for one file, written and flushed beside it under a temporary
// name but not yet in place. Commit renames it over the target; a staged file
// that is not committed is removed when the object goes (or by Discard).
// Move-only; one thread.
class TStagedFile {
public:
  TStagedFile() = default;
  ~TStagedFile() { Discard(); }
  TStagedFile(TStagedFile&& other) noexcept;
  TStagedFile& operator=(TStagedFile&& other) noexcept;
  TStagedFile(const TStagedFile&) = delete;
  TStagedFile& operator=(const TStagedFile&) = delete;

  // Writes `bytes` for `path` (the rules of WriteFileAtomic). With
  // `readOnlyResult` the new file gets no write bits (the read-only
  // attribute of a saved entry); the content is written all the same. False
  // with `error` set, and nothing left on disk, when it fails.
  bool Stage(const std::string& path, std::string_view bytes, std::string* error = nullptr,
             TReadOnlyTarget readOnly = TReadOnlyTarget::Refuse, bool readOnlyResult = false);
  // Renames the staged file over its target. The folder is not flushed: call
  // SyncFolder once after the last commit of a unit.
  bool Commit(std::string* error = nullptr);
  void Discard() noexcept;
  // Forgets the temporary file without removing it: it has been renamed, or
  // a save journal now answers for it.
  void Release() noexcept { m_temp.clear(); }

  bool Staged() const { return !m_temp.empty(); }
  const std::string& Target() const { return m_target; }     // symbolic links resolved
  const std::string& TempPath() const { return m_temp; }

private:
  std::string m_target;
  std::string m_temp;
};

// Makes the renames and removals in `folder` durable (fsync of the folder).
// Failures are ignored: some file systems refuse it, and what is done cannot
// be taken back.
void SyncFolder(const std::string& folder);

// True for a name that TStagedFile (and so WriteFileAtomic) gives its
// temporary files: "." + name + ".~" + six letters or digits.
bool IsStagedTempName(std::string_view name) noexcept;

// Appends `bytes` to `path`, creating it with `mode` when missing, and
// flushes it. Appending never endangers what the file already holds.
bool AppendFile(const std::string& path, std::string_view bytes, mode_t mode = 0600);

// Backups of a file that is about to be replaced or removed while it holds
// something the program could not read: "<path>.bak", or the first free of
// ".bak1", ".bak2", ... (up to ".bak999"); an existing backup is never
// replaced. `kept` names the file made; on false nothing was made and
// `error` (when given) says why in one English line.
//
// SetAsideFile keeps the file itself: a second name for it where the file
// system allows (no read permission needed, nothing copied), else a copy of
// its bytes. The folder is flushed afterwards.
bool SetAsideFile(const std::string& path, std::string& kept, std::string* error = nullptr);
// WriteNewBackup makes the backup from `bytes` instead (a new file 0600,
// flushed).
bool WriteNewBackup(const std::string& path, std::string_view bytes, std::string& kept,
                    std::string* error = nullptr);

}  // namespace quillet
