// Memory of one very large day: a 100 MB entry (code page 932 prose, CR LF
// lines, plain) is opened the way the main window opens a day (the store's
// LoadDay, then the editor's row store takes the body with wrapping at 80
// columns, while the loaded day is still alive), saved the way the window
// saves (the editor's text into a TSaveRequest, then SaveDay), and searched
// with the diary grep while the editor still holds the day.
//
// Memory is the resident set: the peak (VmHWM) of each phase, reset before
// it through /proc/self/clear_refs, minus the resident set before the first
// phase. The file is written in pieces beforehand, so nothing of it is
// resident at the baseline. The last line is
//   BENCH big-entry-memory <peak MB> MB ratio <peak / (3 x size)> vs 3x-size-target
// (MB = 10^6 bytes).
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/base/CodePage.h"
#include "core/crypto/USecurity.h"
#include "core/editor/EditorScreenStrings.h"
#include "core/search/DiaryGrep.h"
#include "core/store/EntryStore.h"
#include "core/store/UDate.h"
#include "BenchSupport.h"

using namespace quillet;

namespace {

constexpr std::size_t kEntryBytes = 100'000'000;
constexpr const char* kName = "big-entry-memory";

// A field of /proc/self/status in bytes ("VmHWM", "VmRSS").
double StatusBytes(const char* field) {
  std::ifstream status("/proc/self/status");
  const std::string prefix = std::string(field) + ":";
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(prefix, 0) == 0) return std::atof(line.c_str() + prefix.size()) * 1024.0;
  }
  std::fprintf(stderr, "%s: no %s in /proc/self/status\n", kName, field);
  std::exit(1);
}

// Starts a new peak at the present resident set.
void ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.close();
  if (!clear) {
    std::fprintf(stderr, "%s: cannot reset the peak through /proc/self/clear_refs\n", kName);
    std::exit(1);
  }
}

// Writes the entry file of 2005/3/7 under `root` in pieces: Japanese prose
// lines of 30 to 120 bytes, with the word the search looks for in the last
// line only.
void WriteEntry(const std::string& root, const std::string& needle) {
  const std::string sentences[] = {
      bench::Sjis("今日は朝から雨が降っていたので、傘を持って駅まで歩いた。", kName),
      bench::Sjis("昼は同僚と近くの店で蕎麦を食べ、午後は会議が三つ続いた。", kName),
      bench::Sjis("帰りに本屋に寄って、前から読みたかった小説を買った。", kName),
      bench::Sjis("夜は早めに寝ることにする。", kName),
      "Meeting notes: budget, schedule, and the release plan for next quarter.",
  };
  std::filesystem::create_directories(root + "2005/3");
  std::ofstream out(root + "2005/3/7.txt", std::ios::binary | std::ios::trunc);
  std::string piece;
  std::size_t written = 0;
  unsigned state = 12345;
  while (written < kEntryBytes - 200) {
    piece.clear();
    while (piece.size() < (1 << 20) && written + piece.size() < kEntryBytes - 200) {
      state = state * 1103515245u + 12345u;
      const std::string& sentence = sentences[(state >> 16) % std::size(sentences)];
      piece += sentence;
      if ((state >> 8) % 3 == 0) piece += sentence.substr(0, sentence.size() / 2 & ~std::size_t{1});
      piece += "\r\n";
    }
    out << piece;
    written += piece.size();
  }
  out << needle << "\r\n";
}

double Mb(double bytes) { return bytes / 1e6; }

}  // namespace

int main() {
  const std::string root = std::string(QUILLET_BENCH_DATA) + "/big-entry/";
  std::filesystem::remove_all(root);
  const std::string needle = bench::Sjis("最後の行にだけある言葉", kName);
  WriteEntry(root, needle);
  const double size = static_cast<double>(std::filesystem::file_size(root + "2005/3/7.txt"));

  TStoreSettings settings;
  settings.SavePath = root;
  settings.SaveReadOnly = false;
  TCode code;
  const TDate date = MakeDate(2005, 3, 7);

  TEditorScreenStrings store;
  store.WrapOption().SetWrapByte(80);
  store.SetWordWrap(true);

  ::malloc_trim(0);
  const double baseline = StatusBytes("VmRSS");
  double peak = 0;
  const auto phase = [&](const char* name, const auto& work) {
    ResetPeak();
    work();
    const double used = StatusBytes("VmHWM") - baseline;
    peak = std::max(peak, used);
    std::printf("%s: %s peak %.0f MB (%.2f x the entry); %.0f MB held after it\n", kName, name, Mb(used),
                used / size, Mb(StatusBytes("VmRSS") - baseline));
  };

  phase("open", [&] {
    const TLoadedDay day = LoadDay(settings, code, date);
    if (day.ReadFailed || !day.FileExists) {
      std::fprintf(stderr, "%s: the entry did not load: %s\n", kName, day.Error.c_str());
      std::exit(1);
    }
    store.SetText(day.Body);
  });
  std::printf("%s: %.0f MB entry, %d rows at 80 columns\n", kName, Mb(size), store.Count());

  phase("save", [&] {
    TSaveRequest request;
    request.Date = date;
    request.Body = store.Text();
    request.Force = true;
    request.Modified = true;
    const TSaveResult result = SaveDay(settings, root, code, request);
    if (!result.Ok) {
      std::fprintf(stderr, "%s: the save failed: %s\n", kName, result.Error.c_str());
      std::exit(1);
    }
  });

  phase("search", [&] {
    TGrepOptions options;
    options.PatternText = needle;
    options.FromYear = options.ToYear = 2005;
    options.FromMonth = options.ToMonth = 3;
    options.CaseSensitive = true;
    TDiaryGrep search(options, settings, code);
    const TSearchOutcome outcome = search.Run();
    if (outcome.Cancelled || !outcome.Unreadable.empty() || search.Items().empty()) {
      std::fprintf(stderr, "%s: the search did not find the last line\n", kName);
      std::exit(1);
    }
  });

  std::filesystem::remove_all(root);
  std::printf("BENCH %s %.0f MB ratio %.2f vs 3x-size-target\n", kName, Mb(peak), peak / (3 * size));
  return 0;
}
