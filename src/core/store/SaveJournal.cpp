// One unit of saves in a month folder (see SaveJournal.h).
#include "core/store/SaveJournal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quillet {
namespace {

constexpr std::string_view kJournalHeader = "Quillet save journal 1";
constexpr std::string_view kJournalEnd = "end";

void SetError(std::string* error, std::string message) {
  if (error) *error = std::move(message);
}

std::string SystemError(const std::string& what, int errorNumber) {
  return what + ": " + std::strerror(errorNumber);
}

std::string_view FolderOf(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view BaseName(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// A path as the journal writes it: relative to `folder` when inside it.
std::string JournalName(const std::string& folder, const std::string& path) {
  if (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0) return path.substr(folder.size());
  return path;
}

std::string Resolve(const std::string& folder, std::string_view name) {
  return name.front() == '/' ? std::string(name) : folder + std::string(name);
}

bool PlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos;
}

bool Unsafe(std::string_view name) {
  return name.empty() || name.find_first_of(std::string_view("\t\n\r\0", 4)) != std::string_view::npos;
}

struct TStep {
  bool Rename = false;
  std::string From;  // Rename only
  std::string To;    // the target, or the file to remove
};

// Parses a journal; false when it is not one this program wrote. A rename
// must go from a temporary file to a file of the same folder, and a removal
// names a file of the folder itself, so a planted journal cannot move
// anything else.
bool ParseJournal(const std::string& folder, std::string_view text, std::vector<TStep>& steps) {
  std::vector<std::string_view> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) return false;  // every line ends, "end" included
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  if (lines.size() < 2 || lines.front() != kJournalHeader || lines.back() != kJournalEnd) return false;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::string_view line = lines[i];
    TStep step;
    if (line.rfind("R\t", 0) == 0) {
      const std::string_view rest = line.substr(2);
      const auto tab = rest.find('\t');
      if (tab == std::string_view::npos) return false;
      if (tab == 0 || tab + 1 == rest.size()) return false;
      step.Rename = true;
      step.From = Resolve(folder, rest.substr(0, tab));
      step.To = Resolve(folder, rest.substr(tab + 1));
      if (!IsStagedTempName(BaseName(step.From)) || FolderOf(step.From) != FolderOf(step.To)) return false;
    } else if (line.rfind("D\t", 0) == 0) {
      if (!PlainName(line.substr(2))) return false;
      step.To = folder + std::string(line.substr(2));
    } else {
      return false;
    }
    steps.push_back(std::move(step));
  }
  return true;
}

// Carries out the steps; a rename whose temporary file is gone was done by an
// earlier run. Stops at the first failure.
bool ApplySteps(const std::vector<TStep>& steps, std::string* error) {
  for (const TStep& step : steps) {
    if (step.Rename) {
      if (::rename(step.From.c_str(), step.To.c_str()) != 0 && errno != ENOENT) {
        SetError(error, SystemError("cannot replace " + step.To, errno));
        return false;
      }
    } else if (::unlink(step.To.c_str()) != 0 && errno != ENOENT) {
      SetError(error, SystemError("cannot remove " + step.To, errno));
      return false;
    }
  }
  return true;
}

std::string JournalPath(const std::string& folder) { return folder + std::string(kSaveJournalName); }

// Applies the steps, flushes, and removes the journal.
bool Finish(const std::string& folder, const std::vector<TStep>& steps, std::string* error) {
  if (!ApplySteps(steps, error)) return false;
  SyncFolder(folder);
  for (const TStep& step : steps) {
    // A target outside the folder (a symbolic link followed) has a folder of its own.
    if (FolderOf(step.To) != std::string_view(folder)) SyncFolder(std::string(FolderOf(step.To)));
  }
  if (::unlink(JournalPath(folder).c_str()) != 0 && errno != ENOENT) {
    SetError(error, SystemError("cannot remove the save journal in " + folder, errno));
    return false;
  }
  // Flushed, so that a later save's files are never undone by a journal that
  // comes back after a crash.
  SyncFolder(folder);
  return true;
}

std::vector<TStep> StepsOf(const TSaveUnit& unit) {
  std::vector<TStep> steps;
  for (const TStagedFile* staged : unit.Renames) steps.push_back({true, staged->TempPath(), staged->Target()});
  for (const std::string& path : unit.Removals) steps.push_back({false, {}, path});
  return steps;
}

}  // namespace

TMonthLock::TMonthLock(const std::string& folder, TMode mode) {
  m_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_fd < 0) return;
  while (::flock(m_fd, mode == Exclusive ? LOCK_EX : LOCK_SH) != 0) {
    if (errno == EINTR) continue;
    ::close(m_fd);
    m_fd = -1;
    return;
  }
}

TMonthLock::~TMonthLock() {
  if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
}

void TMonthLock::MakeExclusive() {
  if (m_fd < 0) return;
  while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
  }
}

bool WriteSaveJournal(const std::string& folder, const TSaveUnit& unit, std::string* error) {
  std::string text(kJournalHeader);
  text += '\n';
  for (const TStep& step : StepsOf(unit)) {
    const std::string to = JournalName(folder, step.To);
    if (step.Rename) {
      const std::string from = JournalName(folder, step.From);
      if (Unsafe(from) || Unsafe(to)) {
        SetError(error, "a file name that the save journal cannot hold: " + step.To);
        return false;
      }
      text += "R\t" + from + "\t" + to + "\n";
    } else {
      if (Unsafe(to) || !PlainName(to)) {
        SetError(error, "a file name that the save journal cannot hold: " + step.To);
        return false;
      }
      text += "D\t" + to + "\n";
    }
  }
  text += kJournalEnd;
  text += '\n';
  return WriteFileAtomic(JournalPath(folder), text, error);
}

bool CommitSaveUnit(const std::string& folder, TSaveUnit& unit, std::string* error) {
  const std::vector<TStep> steps = StepsOf(unit);
  if (steps.empty()) return true;
  bool done = false;
  if (steps.size() == 1) {
    // One rename or one removal is atomic by itself; a failed rename leaves
    // its temporary file to the staged file, which removes it.
    done = ApplySteps(steps, error);
    if (!done) return false;
    SyncFolder(folder);
  } else {
    if (!WriteSaveJournal(folder, unit, error)) return false;
    // Committed: from here on the journal answers for the staged files, and
    // a failure below is finished by the next recovery.
    done = Finish(folder, steps, error);
  }
  for (TStagedFile* staged : unit.Renames) staged->Release();
  return done;
}

bool HasSaveJournal(const std::string& folder) {
  struct stat st {};
  return ::lstat(JournalPath(folder).c_str(), &st) == 0;
}

bool RecoverMonth(const std::string& folder, std::string* error) {
  std::string text;
  if (!ReadFileBytes(JournalPath(folder), text)) {
    if (errno == ENOENT || errno == ENOTDIR) return true;
    SetError(error, SystemError("cannot read the save journal in " + folder, errno));
    return false;
  }
  std::vector<TStep> steps;
  if (!ParseJournal(folder, text, steps)) {
    SetError(error, "the save journal in " + folder + " is damaged; it was left in place");
    return false;
  }
  return Finish(folder, steps, error);
}

void RemoveStaleTemps(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) {
    if (!IsStagedTempName(entry->d_name)) continue;
    const std::string path = folder + entry->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
  }
  ::closedir(dir);
}

}  // namespace quillet
