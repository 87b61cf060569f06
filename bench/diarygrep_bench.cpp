// Diary search benchmark: `quillet-cli search` over a generated diary of 20
// years (2001..2020): about 5,000 entries of 1.6 KB of Japanese text in code
// page 932 with CR LF line ends (8 MB), each month with its Set.ini and a
// title for every entry. Two copies of it: a plain one, and one with 30 % of
// its entries encrypted (half by the word key, half by the number key).
//
// diary-search-literal: a literal over the plain diary, case-sensitive, by
//   the command as a user runs it (process start and output included)
//   against `LC_ALL=C grep -rnF` over the same tree with the code page 932
//   bytes of the pattern (GNU grep reads Set.ini too, as we do for titles).
// diary-search-regex: the same with a regular expression (grep -rnE, its
//   metacharacter bytes escaped).
// diary-search-encrypted: the literal over the encrypted copy, against our
//   own figure for the plain diary.
// Best of five runs each, taken alternately after one warm-up run, warm cache.
//
// diarygrep-cancel: TDiaryGrep runs on a worker thread over the encrypted
// copy; Cancel is called at several moments into the search and the time
// until Run returns is measured. The worst of them is compared with the
// 100 ms a user waits at most after pressing "中止".
//
// The diaries are generated into QUILLET_BENCH_DATA and reused while their
// stamp file is there.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/crypto/USecurity.h"
#include "core/search/DiaryGrep.h"
#include "core/store/UDate.h"
#include "BenchSupport.h"

namespace {

using namespace quillet;
using TClock = std::chrono::steady_clock;

constexpr int kFirstYear = 2001;
constexpr int kLastYear = 2020;
constexpr const char* kWord = "bench-key";
constexpr int kNumber = 77;
constexpr const char* kName = "diarygrep_bench";
constexpr const char* kLiteral = "東京タワー";
constexpr const char* kRegex = "(会社|学校)で[0-9]+時";

std::string Sjis(const std::string& utf8) { return bench::Sjis(utf8, kName); }

const char* const kWords[] = {"今日", "明日", "天気", "晴れ", "会社", "仕事", "友達", "映画", "食事", "散歩",
                              "読書", "日記", "家族", "電車", "公園", "学校", "コーヒー", "パソコン", "メール",
                              "ニュース", "部屋", "料理", "音楽", "写真", "週末", "旅行", "Meeting", "memo"};
const char* const kParticles[] = {"は", "が", "を", "に", "で", "と", "も", "の"};
const char* const kEndings[] = {"行った。", "見た。", "食べた。", "楽しかった。", "疲れた。", "思った。", "でした。"};

std::string MakeEntry(std::mt19937& random) {
  std::string utf8;
  while (utf8.size() < 2400) {  // about 1.6 KB once in code page 932
    for (int w = 0; w < 4; ++w) {
      utf8 += kWords[random() % std::size(kWords)];
      utf8 += kParticles[random() % std::size(kParticles)];
    }
    if (random() % 40 == 0) utf8 += (random() % 2 ? "会社で" : "学校で") + std::to_string(random() % 24) + "時に";
    utf8 += kEndings[random() % std::size(kEndings)];
    if (random() % 3 == 0) utf8 += "\r\n";
  }
  if (random() % 100 == 0) utf8 += "東京タワーに登った。";
  return Sjis(utf8 + "\r\n");
}

// Both diaries: the same entries, `encrypted` with 30 % of them encrypted.
void EnsureDiaries(const std::string& plainRoot, const std::string& encryptedRoot) {
  const std::string stamp = plainRoot + "complete";
  if (std::filesystem::exists(stamp) && std::filesystem::exists(encryptedRoot + "complete")) return;
  std::filesystem::remove_all(plainRoot);
  std::filesystem::remove_all(encryptedRoot);
  std::mt19937 random(2001);
  TStoreSettings plain;
  plain.SavePath = plainRoot;
  TStoreSettings encrypted;
  encrypted.SavePath = encryptedRoot;
  int entries = 0;
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    for (int month = 1; month <= 12; ++month) {
      const TDate first = MakeDate(year, month, 1);
      std::filesystem::create_directories(EntryFolder(plain, first));
      std::filesystem::create_directories(EntryFolder(encrypted, first));
      THIniFile plainIni(EntryFolder(plain, first) + "Set.ini", true);
      THIniFile encryptedIni(EntryFolder(encrypted, first) + "Set.ini", true);
      for (int day = 1; day <= DaysInMonth(year, month); ++day) {
        if (random() % 100 >= 68) continue;
        ++entries;
        const std::string body = MakeEntry(random);
        const std::string section = std::to_string(day);
        const std::string title = Sjis("日記 ") + section;
        const std::string name = EntryFileName(plain, year, month, day);
        std::ofstream(EntryFolder(plain, first) + name, std::ios::binary) << body;
        plainIni.WriteString(section, "Title", title);
        encryptedIni.WriteString(section, "Title", title);
        const std::string path = EntryFolder(encrypted, first) + name;
        const auto kind = random() % 20;  // 0..2 word key, 3..5 number key
        if (kind < 3) {
          WriteWordKey(body, path, kWord);
          encryptedIni.WriteBool(section, "UseCode", true);
          encryptedIni.WriteBool(section, "Method", true);
        } else if (kind < 6) {
          WriteNumberKey(path, body, kNumber);
          encryptedIni.WriteBool(section, "UseCode", true);
          encryptedIni.WriteBool(section, "Method", false);
          encryptedIni.WriteInteger(section, "CodeKey", kNumber);
        } else {
          std::ofstream(path, std::ios::binary) << body;
        }
      }
    }
  }
  std::printf("generated %d entries\n", entries);
  std::ofstream(stamp) << "ok\n";
  std::ofstream(encryptedRoot + "complete") << "ok\n";
}

// kRegex for GNU grep -E in the C locale.
std::string GnuRegex() {
  const auto bytes = [](const char* utf8) { return bench::GnuBytes(utf8, kName); };
  return "(" + bytes("会社") + "|" + bytes("学校") + ")" + bytes("で") + "[0-9]+" + bytes("時");
}

// A program folder whose settings name `diary` and hold the bench's keys.
std::string MakeAppFolder(const std::string& folder, const std::string& diary) {
  std::filesystem::create_directories(folder + "Option");
  std::ofstream(folder + "Option/quillet.ini", std::ios::binary)
      << "[Window]\r\nSavePath=" << diary << "\r\nNumber=" << kNumber << "\r\nWord=" << Scramble(kWord) << "\r\n";
  return folder;
}

std::size_t CountLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
}

double Seconds(TClock::time_point since) { return std::chrono::duration<double>(TClock::now() - since).count(); }

struct TTimed {
  std::vector<std::string> argv;
  std::vector<std::string> env;
  std::string output;
  double best = 1e9;
};

}  // namespace

int main() {
  const std::string data = QUILLET_BENCH_DATA;
  const std::string plainRoot = data + "/diary-search-plain/";
  const std::string encryptedRoot = data + "/diary-search-encrypted/";
  EnsureDiaries(plainRoot, encryptedRoot);
  const std::string plainApp = "QUILLET_APP_FOLDER=" + MakeAppFolder(data + "/search-app-plain/", plainRoot);
  const std::string encryptedApp =
      "QUILLET_APP_FOLDER=" + MakeAppFolder(data + "/search-app-encrypted/", encryptedRoot);
  const std::string cli = QUILLET_CLI;
  const std::string grep = "/usr/bin/grep";

  TTimed ours{{cli, "search", "--case", kLiteral}, {plainApp, "LC_ALL=C.UTF-8"}, data + "/out-search-literal.txt"};
  TTimed gnu{{grep, "-rnF", "-e", Sjis(kLiteral), plainRoot}, {"LC_ALL=C"}, data + "/out-search-literal-gnu.txt"};
  TTimed oursRegex{{cli, "search", "--regex", kRegex}, {plainApp, "LC_ALL=C.UTF-8"}, data + "/out-search-regex.txt"};
  TTimed gnuRegex{{grep, "-rnE", "-e", GnuRegex(), plainRoot}, {"LC_ALL=C"}, data + "/out-search-regex-gnu.txt"};
  TTimed encrypted{{cli, "search", "--case", kLiteral}, {encryptedApp, "LC_ALL=C.UTF-8"},
                   data + "/out-search-encrypted.txt"};
  TTimed* const all[] = {&ours, &gnu, &oursRegex, &gnuRegex, &encrypted};
  for (int round = 0; round < 6; ++round) {
    for (TTimed* timed : all) {
      const double seconds = bench::RunTimed(timed->argv, timed->env, timed->output, kName);
      if (round > 0) timed->best = std::min(timed->best, seconds);
    }
  }
  std::printf("literal: ours %.1f ms (%zu entries), GNU grep -rnF %.1f ms (%zu lines)\n", ours.best * 1000,
              CountLines(ours.output), gnu.best * 1000, CountLines(gnu.output));
  std::printf("regex: ours %.1f ms (%zu entries), GNU grep -rnE %.1f ms (%zu lines)\n", oursRegex.best * 1000,
              CountLines(oursRegex.output), gnuRegex.best * 1000, CountLines(gnuRegex.output));
  std::printf("literal with 30%% encrypted: %.1f ms (%zu entries)\n", encrypted.best * 1000,
              CountLines(encrypted.output));

  // Cancel latency at moments spread over the search.
  TStoreSettings settings;
  settings.SavePath = encryptedRoot;
  TCode code;
  code.Word = kWord;
  code.Number = kNumber;
  TGrepOptions options;
  options.PatternText = Sjis(kLiteral);
  options.FromYear = kFirstYear;
  options.FromMonth = 1;
  options.ToYear = kLastYear;
  options.ToMonth = 12;
  options.CaseSensitive = true;
  double worst = 0;
  for (const double fraction : {0.05, 0.2, 0.4, 0.6, 0.8}) {
    TDiaryGrep search(options, settings, code);
    auto run = std::async(std::launch::async, [&] { return search.Run(); });
    std::this_thread::sleep_for(std::chrono::duration<double>(encrypted.best * fraction));
    const auto cancelled = TClock::now();
    search.Cancel();
    const bool stopped = run.get().Cancelled;
    const double latency = Seconds(cancelled);
    if (!stopped) std::printf("cancel at %.0f%%: the search had already ended\n", fraction * 100);
    worst = std::max(worst, latency);
  }

  std::printf("BENCH diarygrep-cancel %.2f ms ratio %.2f vs 100ms-target\n", worst * 1000, worst * 1000 / 100);
  std::printf("BENCH diary-search-encrypted %.1f ms ratio %.2f vs our-plain-search\n", encrypted.best * 1000,
              encrypted.best / ours.best);
  std::printf("BENCH diary-search-regex %.1f ms ratio %.2f vs grep-rnE\n", oursRegex.best * 1000,
              oursRegex.best / gnuRegex.best);
  std::printf("BENCH diary-search-literal %.1f ms ratio %.2f vs grep-rnF\n", ours.best * 1000, ours.best / gnu.best);
  return 0;
}
