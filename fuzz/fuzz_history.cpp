// The search history files (Find.txt, Replace.txt, Grep.txt) over arbitrary
// bytes: the loaded list is the file's non-empty lines, the first line is
// the file's, and adding a text keeps it once at the top, keeps every other
// entry in order, and saves a file that loads back as the list.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "core/base/CodePage.h"
#include "core/search/SearchHistory.h"

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string text = input.ConsumeRandomLengthString(64);
  const int limit = input.ConsumeIntegralInRange(-2, 40);
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  const std::vector<std::string> lines = SplitHistoryLines(bytes);
  for (const std::string& line : lines) FUZZ_CHECK(!line.empty() && line.find_first_of("\r\n") == std::string::npos);
  const std::string path = fuzz::WriteScratch("Find.txt", bytes);
  std::string first = "unset";
  FUZZ_CHECK(ReadFirstHistoryLine(path, first) == THistoryRead::Read);
  const auto all = SplitLines(bytes);
  FUZZ_CHECK(first == (all.empty() ? std::string() : std::string(all.front())));

  TSearchHistory history(path);
  FUZZ_CHECK(history.Load() == THistoryRead::Read && history.Items() == lines);
  const THistorySave saved = history.AddAndLimit(text, limit);
  const auto limited = [limit](std::vector<std::string> items) {
    items.resize(std::min(items.size(), static_cast<std::size_t>(std::max(limit, 0))));
    return items;
  };
  if (text.empty() || text.find_first_of("\r\n") != std::string::npos) {
    // Refused: the file stays, the list is only cut to the limit.
    FUZZ_CHECK(saved == THistorySave::Refused && history.Items() == limited(lines));
    TSearchHistory reread(path);
    FUZZ_CHECK(reread.Load() == THistoryRead::Read && reread.Items() == lines);
    return 0;
  }
  FUZZ_CHECK(saved == THistorySave::Saved);
  std::vector<std::string> expected{text};
  for (const std::string& line : lines) {
    if (line != text) expected.push_back(line);
  }
  TSearchHistory reread(path);
  FUZZ_CHECK(reread.Load() == THistoryRead::Read && reread.Items() == expected);
  FUZZ_CHECK(history.Items() == limited(expected));
  return 0;
}
