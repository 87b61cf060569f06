// Saving several files of one month folder as one unit, and the lock that
// keeps two writers (the window and quillet-cli, or two threads) from
// interleaving there.
//
// A day is two files: its entry file and its section of the month's Set.ini,
// whose "UseCode"/"Method" flags say how the body is stored. Replacing one
// without the other would let the old body be read by the new flags (cipher
// text shown as the entry) or the new body by the old ones. A save therefore:
//  1. stages every new file (TStagedFile: written and flushed under a
//     temporary name beside its target); a failure here leaves the folder as
//     it was, apart from temporary files that are removed at once;
//  2. writes the journal ".save-journal" atomically: one line per step,
//     "R<TAB>temporary<TAB>target" (rename) or "D<TAB>name" (remove), then
//     "end". Once the journal is in place the new version is decided;
//  3. carries out the steps, flushes the folder, removes the journal.
// A crash before step 2 leaves the old files and some temporary files; a
// crash after it leaves a journal that RecoverMonth completes before anything
// else reads or writes the folder: a rename whose temporary file is gone was
// done already, so replaying is harmless. A unit of one step needs no
// journal: a single rename is atomic by itself.
//
// Temporary files (IsStagedTempName) without a journal belong to a save that
// never reached its commit point; RemoveStaleTemps deletes them. Body
// temporary files of an encrypted entry hold cipher text only, so no crash
// leaves a diary's plain text behind.
//
// All of this runs under TMonthLock: an exclusive flock on the month folder
// for saves and recovery, a shared one for reads. flock locks belong to the
// open folder, so two threads of one process exclude each other too. Where
// the file system has no flock the lock is skipped; the journal still keeps
// each day whole.
//
// Names in the journal are plain file names of the folder (no "/"); a journal
// naming anything else is refused, not followed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/base/AtomicFile.h"

namespace quillet {

inline constexpr std::string_view kSaveJournalName = ".save-journal";

class TMonthLock {
public:
  enum TMode { Shared, Exclusive };
  // Blocks until the lock on `folder` is held. A folder that cannot be opened
  // (missing) or locked is passed through unlocked.
  TMonthLock(const std::string& folder, TMode mode);
  ~TMonthLock();
  TMonthLock(const TMonthLock&) = delete;
  TMonthLock& operator=(const TMonthLock&) = delete;

  // Turns a shared lock into an exclusive one (not atomically: another
  // holder may act in between, which the journal rules allow).
  void MakeExclusive();

private:
  int m_fd = -1;
};

// One unit: the staged files to rename over their targets and the files to
// remove, all in `folder`.
struct TSaveUnit {
  std::vector<TStagedFile*> Renames;
  std::vector<std::string> Removals;  // paths in the folder; a missing one is fine
};

// Carries out `unit` in `folder` (trailing "/") as described above. True when
// every step is done. When a step fails after the commit point, the journal
// stays and the next RecoverMonth finishes the unit; the save is still
// reported as failed. The caller holds the exclusive TMonthLock.
bool CommitSaveUnit(const std::string& folder, TSaveUnit& unit, std::string* error = nullptr);

// Writes the journal of `unit` (the commit point) without carrying it out:
// CommitSaveUnit's first half, for tests of a crash right after it.
bool WriteSaveJournal(const std::string& folder, const TSaveUnit& unit, std::string* error = nullptr);

// True when `folder` holds a journal of an interrupted save.
bool HasSaveJournal(const std::string& folder);

// Completes an interrupted save when the folder holds a journal. False when a
// journal exists and cannot be completed or read (the folder's files may then
// be mixed: callers treat the month as unreadable). The caller holds the
// exclusive TMonthLock.
bool RecoverMonth(const std::string& folder, std::string* error = nullptr);

// Removes the temporary files of saves killed before their commit point.
// Call only after RecoverMonth succeeded, under the exclusive lock.
void RemoveStaleTemps(const std::string& folder);

}  // namespace quillet
