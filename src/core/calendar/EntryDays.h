// Which days of a month have an entry, for the calendar's bold marks and
// `quillet-cli cal`.
//
// A day has an entry when its entry file (the file the editor opens for that
// day, under the stored save style and extension) exists and holds at least
// one byte: a save of an empty text with a title keeps the day in Set.ini but
// writes no body, and an empty file left by an outside editor is no entry
// either. A folder of that name is no entry; a file that cannot be examined
// is none either.
#pragma once

#include <bitset>

#include "core/store/UDate.h"

namespace quillet {

// Bit d (1..31) is set when day d of `month` of `year` has an entry. Day
// numbers past the month's end are tried as well (a file named for 31 April
// is shown nowhere but marked all the same). Costs one status call for the
// month folder and, when it exists, one per day: no file is opened, so a
// month of encrypted entries costs the same as a plain one.
std::bitset<32> DaysWithEntries(const TStoreSettings& settings, int year, int month);

}  // namespace quillet
