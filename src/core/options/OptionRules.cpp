#include "core/options/OptionRules.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/store/DayMeta.h"
#include "core/store/EntryStore.h"

namespace quillet {

namespace {

constexpr int kLastWakeUpHour = 12;

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The year folders under the diary root, newest first. A name must be four
// digits, as the store makes them; anything else in the root is not the diary's.
std::vector<int> YearFolders(const std::string& root) {
  std::vector<int> years;
  std::error_code error;
  for (std::filesystem::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (name.size() == 4 && AllDigits(name) && it->is_directory(typeError)) years.push_back(std::stoi(name));
  }
  std::sort(years.rbegin(), years.rend());
  return years;
}

// The days of a month's Set.ini that are stored encrypted, newest first.
std::vector<std::pair<int, TDayMeta>> EncryptedDays(const std::string& monthFolder) {
  std::vector<std::pair<int, TDayMeta>> days;
  const THIniFile ini(monthFolder + std::string(kSetIniName), false);
  if (ini.ReadFailed()) return days;
  for (const std::string& section : ini.ReadSections()) {
    if (!AllDigits(section) || section.size() > 2) continue;
    const int day = std::stoi(section);
    if (day < 1 || day > 31) continue;
    TDayMeta meta = ReadDayMeta(ini, day);
    if (meta.UseCode) days.emplace_back(day, std::move(meta));
  }
  std::sort(days.begin(), days.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  return days;
}

}  // namespace

int WakeUpValue(std::string_view text) {
  int value = 0;
  if (!ParseInteger(text, value)) return 0;
  return (value >= 0 && value <= kLastWakeUpHour) ? value : 0;
}

TCode CodeOfOptions(const TSecurityOptions& options, std::string_view loginName) {
  TCode code;
  code.EnCrypt = options.EnCrypt;
  code.Method = options.MethodIndex != 0;
  int number = 0;
  if (ParseInteger(options.NumberText, number) && number > 0 && number < kKeyNumberLimit) code.Number = number;
  // The scrambled form ends at the first NUL, and so does the key read back.
  code.Word = Scramble(Scramble(options.Word));
  if (code.Word.empty()) code.Word = std::string(loginName);
  return code;
}

bool LooksLikeText(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (IsLeadByte(b)) {
      if (i + 1 >= bytes.size()) return false;
      const auto trail = static_cast<unsigned char>(bytes[i + 1]);
      if (trail < 0x40 || trail == 0x7F || trail > 0xFC) return false;
      i += 2;
      continue;
    }
    if (b < 0x20 && b != '\t' && b != '\r' && b != '\n') return false;
    if (b == 0x7F || b == 0x80 || b == 0xA0 || b >= 0xFD) return false;
    ++i;
  }
  return true;
}

TKeyChangeCheck CheckKeyChange(const TStoreSettings& store, const TCode& oldCode, const TCode& newCode,
                               std::size_t limit) {
  TKeyChangeCheck check;
  const bool wordChanged = oldCode.Word != newCode.Word;
  const bool numberChanged = KeyByte(oldCode.Number) != KeyByte(newCode.Number);
  if ((!wordChanged && !numberChanged) || limit == 0) return check;
  // Keyed once for the whole sample: each key schedule costs 521 block
  // encryptions.
  TWordKeyCipher oldKey(wordChanged ? oldCode.Word : std::string_view());
  TWordKeyCipher newKey(wordChanged ? newCode.Word : std::string_view());
  for (const int year : YearFolders(store.SavePath)) {
    for (int month = 12; month >= 1; --month) {
      const std::string folder = EntryFolder(store, MakeDate(year, month, 1));
      for (const auto& [day, meta] : EncryptedDays(folder)) {
        const TDate date = MakeDate(year, month, day);
        if (!date.ok()) continue;
        const TEntryMethod method = meta.EntryMethod();
        if (method == TEntryMethod::Word && !wordChanged) continue;
        // A day with its own key number is read with it whatever the settings say.
        if (method == TEntryMethod::Number && (!numberChanged || meta.CodeKey)) continue;
        std::string raw;
        if (!ReadEntryBody(EntryPath(store, date), TEntryMethod::Plain, 0, {}, raw) || raw.empty()) continue;
        ++check.Sampled;
        bool lost = false;
        if (method == TEntryMethod::Word) {
          std::string plain;
          lost = DecryptWordKey(raw, oldKey, plain) && !DecryptWordKey(raw, newKey, plain);
        } else {
          lost = LooksLikeText(NumberKeyXor(raw, oldCode.Number));
        }
        if (lost) check.Lost.push_back({date, method});
        if (static_cast<std::size_t>(check.Sampled) >= limit) return check;
      }
    }
  }
  return check;
}

}  // namespace quillet
