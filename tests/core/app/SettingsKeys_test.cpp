// The settings keys: the rules applied on read, the numbered band keys, the
// code page 932 line-break defaults (checked against iconv), and what an
// exit leaves in the file.
#include "core/app/SettingsKeys.h"

#include <gtest/gtest.h>

#include <climits>

#include "TempFolder.h"

namespace quillet {
namespace {

using namespace quillet::test;

// Reads `key` through `reader` from a file holding one line in `section`.
template <typename TReader>
int ReadOne(std::string_view section, const std::string& line, TReader reader) {
  TTempFolder tmp;
  WriteRaw(tmp / "q.ini", "[" + std::string(section) + "]\r\n" + line + "\r\n");
  return reader(THIniFile(tmp / "q.ini", false));
}

TEST(SettingsKeysRules, AbsoluteValuesRatioAndRawReads) {
  const struct {
    std::string_view section;
    const char* line;
    int (*reader)(const THIniFile&);
    int expected;
  } cases[] = {
      {keys::kEdit, "", keys::ReadHistory, 20},
      {keys::kEdit, "History=-5", keys::ReadHistory, 5},
      {keys::kEdit, "History=x", keys::ReadHistory, 20},
      {keys::kEdit, "History=-2147483648", keys::ReadHistory, INT_MAX},  // -INT_MIN overflows
      {keys::kCalendar, "Ratio=4", keys::ReadRatio, 4},
      {keys::kCalendar, "Ratio=5", keys::ReadRatio, 0},
      {keys::kCalendar, "Ratio=-1", keys::ReadRatio, 0},
      {keys::kViewer, "", keys::ReadViewerSize, 96},
      {keys::kViewer, "Size=-64", keys::ReadViewerSize, 64},
      // Read raw: the cipher replaces 200 and 0, the ruler maps 0 to a gauge of 8.
      {keys::kWindow, "Number=200", [](const THIniFile& ini) { return keys::Number.Read(ini); }, 200},
      {keys::kWindow, "Number=0", [](const THIniFile& ini) { return keys::Number.Read(ini); }, 0},
      {keys::kEdit, "GaugeRange=0", [](const THIniFile& ini) { return keys::GaugeRange.Read(ini); }, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadOne(c.section, c.line, c.reader), c.expected) << c.line;
}

// First start: nothing stored, so the font is the default; at exit the
// calendar page exists and the task page does not.
TEST(SettingsKeysExit, WritesFontAndPagesThatExist) {
  TTempFolder tmp;
  {
    THIniFile ini(tmp / "quillet.ini", true);
    EXPECT_EQ(keys::ReadEditorFont(ini), (TFontSpec{"FixedSys", 9}));
    keys::WriteEditorFont(ini, {"IPAGothic", 11});
    keys::CalendarOnCreate.Write(ini, true);
    keys::TaskOnCreate.Write(ini, false);
  }
  EXPECT_EQ(ReadRaw(tmp / "quillet.ini"),
            "[Edit]\r\nFontName=IPAGothic\r\nFontSize=11\r\n\r\n[Calendar]\r\nOnCreate=1\r\n\r\n"
            "[Task]\r\nOnCreate=0\r\n\r\n");
  EXPECT_EQ(keys::ReadEditorFont(THIniFile(tmp / "quillet.ini", false)), (TFontSpec{"IPAGothic", 11}));
}

}  // namespace
}  // namespace quillet
