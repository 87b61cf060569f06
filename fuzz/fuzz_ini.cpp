// THIniFile over arbitrary file bytes (the settings file, Set.ini, the panel
// files): every reader on every section and key, the day sections as the
// store reads them, and two round trips that a save must keep:
//  - the file as Serialize writes it parses back to the same sections, keys
//    and stored values;
//  - a value written with WriteString or WriteVerbatim under a name that can
//    be written reads back the same after the file is saved and read again.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "core/app/HIniFile.h"
#include "core/store/DayMeta.h"

using namespace quillet;

namespace {

struct TKeyValue {
  std::string Key;
  std::string Value;
  bool operator==(const TKeyValue&) const = default;
};
struct TSectionCopy {
  std::string Name;
  std::vector<TKeyValue> Entries;
  bool operator==(const TSectionCopy&) const = default;
};

std::vector<TSectionCopy> Contents(const THIniFile& ini) {
  std::vector<TSectionCopy> sections;
  for (const std::string& name : ini.ReadSections()) {
    FUZZ_CHECK(ini.SectionExists(name));
    TSectionCopy copy{name, {}};
    for (const std::string& key : ini.ReadSection(name)) {
      FUZZ_CHECK(ini.ValueExists(name, key));
      copy.Entries.push_back({key, ini.ReadVerbatim(name, key, "\x01missing")});
      (void)ini.ReadString(name, key, "");
      (void)ini.ReadInteger(name, key, 0);
      (void)ini.ReadBool(name, key, false);
      (void)ini.ReadColor(name, key, 0);
      (void)ini.ReadShortCut(name, key, "");
    }
    (void)ini.ReadFont(name, TFontSpec{});
    (void)ini.ReadBounds(name, TBounds{});
    (void)ini.ReadBounds(name, TBounds{}, "Position");
    sections.push_back(std::move(copy));
  }
  return sections;
}

bool Blank(char c) { return c == ' ' || c == '\t'; }

// A name a write keeps as it is and a read finds again: not empty, no blank
// at either end, nothing a write would change.
bool WritableName(const std::string& name, bool isKey) {
  if (name.empty() || Blank(name.front()) || Blank(name.back())) return false;
  if (name.find_first_of(isKey ? "\r\n=" : "\r\n]") != std::string::npos) return false;
  return !isKey || (name.front() != ';' && name.front() != '[');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(24);
  const std::string key = input.ConsumeRandomLengthString(24);
  const std::string value = input.ConsumeRandomLengthString(48);
  const bool verbatim = input.ConsumeBool();
  const std::string file = input.ConsumeRemainingBytesAsString();

  int number = 0;
  if (ParseInteger(file, number)) FUZZ_CHECK(ParseInteger(std::to_string(number), number));

  const std::string path = fuzz::WriteScratch("Set.ini", file);
  THIniFile ini(path, false);
  FUZZ_CHECK(!ini.ReadFailed());
  const auto before = Contents(ini);
  for (int day = 1; day <= 31; ++day) (void)ReadDayMeta(ini, day);
  (void)ReadDayMeta(fuzz::ScratchFolder() + "/", 7);

  // What a save writes reads back as the same file.
  {
    const std::string again = fuzz::WriteScratch("again.ini", ini.Serialize());
    THIniFile reread(again, false);
    FUZZ_CHECK(Contents(reread) == before);
  }

  // A written value survives a save and a new read.
  if (!WritableName(section, false) || !WritableName(key, true)) return 0;
  if (value.find_first_of("\r\n") != std::string::npos) return 0;
  if (verbatim) {
    ini.WriteVerbatim(section, key, value);
    FUZZ_CHECK(ini.ReadVerbatim(section, key, "") == value);
  } else {
    ini.WriteString(section, key, value);
    FUZZ_CHECK(ini.ReadString(section, key, "") == value);
  }
  const std::string saved = fuzz::WriteScratch("saved.ini", ini.Serialize());
  THIniFile reread(saved, false);
  if (verbatim) {
    FUZZ_CHECK(reread.ReadVerbatim(section, key, "") == value);
  } else {
    FUZZ_CHECK(reread.ReadString(section, key, "") == value);
  }
  return 0;
}
