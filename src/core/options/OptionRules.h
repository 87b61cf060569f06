// The rules of the options dialog that need no window: the start-up hour
// "WakeUp", the start-up switches of section "Boot", the key state a
// security page leads to, and the check that a changed key still opens the
// encrypted entries already written.
//
// A changed key word or key number does not re-encrypt anything: each day's
// Set.ini records only whether and how its body is encrypted, never the key
// (DayMeta.h). A day written under the old key reads as meaningless text (a
// number key) or as unreadable (a word key) under the new one, so the dialog
// checks a sample of such days before it writes a new key.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/app/SettingsKeys.h"
#include "core/crypto/USecurity.h"
#include "core/store/DayMeta.h"
#include "core/store/UDate.h"

namespace quillet {

// The stored "WakeUp" of the hour field: the integer (as the settings reader
// takes one) when it lies in 0..12, anything else 0. Later than noon the
// late-night rule never applies, so such a value would only mislead.
int WakeUpValue(std::string_view text);

// The check boxes of the start-up page, in the page's order; each is written
// to section "Boot" under its key name.
inline constexpr std::array<const TFlagKey*, 10> kBootSwitches{
    &keys::LoadMenu,     &keys::LoadEditor, &keys::LoadReserve, &keys::LoadCoolBarResource, &keys::LoadCoolBar,
    &keys::LoadCalendar, &keys::LoadTask,   &keys::LoadViewer,  &keys::LoadTitle,           &keys::LoadTitleResource};

// The key state that the program reads back after WriteSecurityOptions, by
// the start-up rule: a key number not strictly between 0 and 200 (or not an
// integer) is 164, an empty key word is `loginName`. Texts are code page 932.
TCode CodeOfOptions(const TSecurityOptions& options, std::string_view loginName);

// True when `bytes` could be an entry's text: well-formed code page 932 with
// no control byte other than tab, CR and LF. A number-key body read under
// the wrong key byte almost never passes (every byte is XORed with the
// difference of the two keys).
bool LooksLikeText(std::string_view bytes);

// A day that opens under the old key and not under the new one.
struct TKeyLoss {
  TDate Date;
  TEntryMethod Method = TEntryMethod::Plain;
};

struct TKeyChangeCheck {
  int Sampled = 0;              // encrypted days examined (at most the limit)
  std::vector<TKeyLoss> Lost;   // those of them the new key does not open
};

// Examines up to `limit` encrypted days of the diary under `store`, newest
// first, whose key changes from `oldCode` to `newCode` (both as the program
// uses them: key word never empty when the word key is meant):
//  - word-key days when the key word changes: lost when the old word passes
//    the padding check of the last block (DecryptWordKey) and the new one
//    does not;
//  - number-key days without their own "CodeKey" when the key byte changes:
//    lost when the body looks like text under the old byte (LooksLikeText);
//    XOR is one-to-one, so then no other byte gives that text back.
// Days whose file is missing or cannot be read, and days neither key opens,
// are not counted as lost (keeping the old key would not help them); a
// Set.ini that cannot be read skips its month. Only the method and key
// matter: EnCrypt and Method decide how new saves are written, not how the
// days already written are read. Cost: one Set.ini per month walked and one
// file per day examined; nothing when neither key changes.
TKeyChangeCheck CheckKeyChange(const TStoreSettings& store, const TCode& oldCode, const TCode& newCode,
                               std::size_t limit = 20);

}  // namespace quillet
