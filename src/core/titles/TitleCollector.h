// The title list's records: one per listed day of a month, with the day's
// caption, its title from the month's Set.ini and the first line of its
// entry file, collected on the spot or on a worker thread.
//
// Collecting a month reads its Set.ini once and, for each day 1 .. last day,
// looks at the day's entry file (month folder + EntryFileName, so every
// SaveStyle reaches the file the editor saves):
//  - with `onlyExists`, a day whose entry file does not exist is listed only
//    when its title is not empty;
//  - every listed day gets its caption (DayCaption, the weekday counted on
//    from the weekday of the 1st), its title, and the first line of its file
//    when the file exists.
// A month folder that does not exist lists every day with empty titles (or,
// with `onlyExists`, nothing); it is no error.
//
// First lines: the bytes up to the first CR, LF or NUL, at most
// kFirstLineLimit bytes and never ending inside a double-byte character. A
// day stored encrypted (its "UseCode" flag) shows no first line: the list
// never decrypts, and cipher bytes are no text to show. When Set.ini exists
// but cannot be read, no day's flags are known, so no first line is read and
// no title shown; the collection says so (MetaUnreadable).
//
// Threads: a TTitleCollector works on its own copy of the store settings and
// only reads: Run may be called on any one thread, Terminate from any thread
// at any time, and Run then returns within one day's files. The month is
// read under its shared lock (SaveJournal.h), so a collection never sees a
// save of the same month half done; an interrupted save is left for the
// entry's load to complete.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/store/UDate.h"

namespace quillet {

inline constexpr std::size_t kFirstLineLimit = 1024;

struct TTitleRecord {
  std::string Path;       // the day's entry file
  std::string Caption;    // "7日(月)", code page 932
  std::string Title;      // code page 932, may be empty
  std::string FirstLine;  // code page 932, empty without a file (see above)
  int Day = 0;            // 1..31
  int Weekday = 0;        // 1 Monday .. 7 Sunday
};

// The listed days in day order (until sorted by the page).
using TTitleList = std::vector<TTitleRecord>;

struct TTitleCollection {
  int Year = 0;
  int Month = 0;
  TTitleList Records;
  bool Terminated = false;      // stopped early: Records is incomplete and must not be shown
  bool MetaUnreadable = false;  // Set.ini exists but could not be read
};

// The first line of `text` by the rule above.
std::string FirstLineOf(std::string_view text);

// The record of `date` with the given title and first line (code page 932).
TTitleRecord MakeTitleRecord(const TStoreSettings& settings, TDate date, std::string title, std::string firstLine);

class TTitleCollector {
public:
  // Collects the month of `month` (its day is ignored).
  TTitleCollector(TStoreSettings settings, TDate month, bool onlyExists);
  TTitleCollector(const TTitleCollector&) = delete;
  TTitleCollector& operator=(const TTitleCollector&) = delete;

  // Collects the month; call once. Cost: one read of Set.ini, one status
  // call per day and one short read per existing plain entry file.
  TTitleCollection Run();
  // Any thread: makes Run stop before the next day and say Terminated.
  void Terminate() noexcept { m_terminate.store(true, std::memory_order_relaxed); }
  bool Terminated() const noexcept { return m_terminate.load(std::memory_order_relaxed); }

private:
  TStoreSettings m_settings;
  int m_year;
  int m_month;
  bool m_onlyExists;
  std::atomic<bool> m_terminate{false};
};

// Collects on the calling thread.
TTitleCollection CollectTitles(const TStoreSettings& settings, int year, int month, bool onlyExists);

}  // namespace quillet
