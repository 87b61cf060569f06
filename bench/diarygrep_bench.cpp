// Diary grep benchmark: a generated diary of 20 years (2001..2020), one
// entry a day of about 1 KB of Japanese text, the days 4, 8, ..., 28 of each
// month (about a quarter) encrypted with the word key, the rest plain, each
// month with its Set.ini.
//
// diarygrep-20y: a plain, case-sensitive literal search of the whole diary
// by TDiaryGrep (the estimating pass included, encrypted entries left out
// by the options) against GNU `grep -r -n -F` over the same tree with the
// encrypted entries and Set.ini excluded, so that both read exactly the
// plain entry files. Best of five runs each, alternately, warm cache.
// The same search with the encrypted entries decrypted is printed too.
//
// diarygrep-cancel: the grep runs on a worker thread over the whole diary
// with decryption; Cancel is called at several moments into the search and
// the time until Run returns is measured. The worst of them is compared
// with the 100 ms a user waits at most after pressing "中止".
//
// The diary is generated into QUILLET_BENCH_DATA/diary-20y and reused while
// its stamp file is there.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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

std::string Sjis(const std::string& utf8) { return bench::Sjis(utf8, "diarygrep_bench"); }

// GNU grep in the C locale with standard output to `output`; the wall time in seconds.
double RunGnuGrep(const std::vector<std::string>& argv, const std::string& output) {
  return bench::RunTimed(argv, {"LC_ALL=C"}, output, "diarygrep_bench");
}

const char* const kWords[] = {"今日", "明日", "天気", "晴れ", "会社", "仕事", "友達", "映画", "食事", "散歩",
                              "読書", "日記", "家族", "電車", "公園", "学校", "コーヒー", "パソコン", "メール",
                              "ニュース", "部屋", "料理", "音楽", "写真", "週末", "旅行", "Meeting", "memo"};
const char* const kParticles[] = {"は", "が", "を", "に", "で", "と", "も", "の"};
const char* const kEndings[] = {"行った。", "見た。", "食べた。", "楽しかった。", "疲れた。", "思った。", "でした。"};

bool Encrypted(int day) { return day % 4 == 0; }

std::string MakeEntry(std::mt19937& random) {
  std::string utf8;
  while (utf8.size() < 1500) {  // about 1 KB once in code page 932
    for (int w = 0; w < 4; ++w) {
      utf8 += kWords[random() % std::size(kWords)];
      utf8 += kParticles[random() % std::size(kParticles)];
    }
    utf8 += kEndings[random() % std::size(kEndings)];
    if (random() % 3 == 0) utf8 += "\r\n";
  }
  if (random() % 200 == 0) utf8 += "東京タワーに登った。";
  return Sjis(utf8 + "\r\n");
}

std::string EnsureDiary(const TStoreSettings& settings) {
  const std::string stamp = settings.SavePath + "complete";
  if (std::filesystem::exists(stamp)) return settings.SavePath;
  std::filesystem::remove_all(settings.SavePath);
  std::mt19937 random(2001);
  for (int year = kFirstYear; year <= kLastYear; ++year) {
    for (int month = 1; month <= 12; ++month) {
      const std::string folder = EntryFolder(settings, MakeDate(year, month, 1));
      std::filesystem::create_directories(folder);
      THIniFile ini(folder + "Set.ini", true);
      for (int day = 1; day <= DaysInMonth(year, month); ++day) {
        const std::string body = MakeEntry(random);
        const std::string section = std::to_string(day);
        std::ofstream(folder + EntryFileName(settings, year, month, day), std::ios::binary)
            << (Encrypted(day) ? EncryptWordKey(body, kWord) : body);
        ini.WriteString(section, "Title", Sjis("日記 ") + std::to_string(day));
        ini.WriteBool(section, "UseCode", Encrypted(day));
        ini.WriteBool(section, "Method", Encrypted(day));
      }
    }
  }
  std::ofstream(stamp) << "ok\n";
  return settings.SavePath;
}

double Seconds(TClock::time_point since) { return std::chrono::duration<double>(TClock::now() - since).count(); }

std::size_t CountLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
}

}  // namespace

int main() {
  TStoreSettings settings;
  settings.SavePath = std::string(QUILLET_BENCH_DATA) + "/diary-20y/";
  EnsureDiary(settings);
  TCode code;
  code.Word = kWord;

  TGrepOptions options;
  options.PatternText = Sjis("東京タワー");
  options.FromYear = kFirstYear;
  options.FromMonth = 1;
  options.ToYear = kLastYear;
  options.ToMonth = 12;
  options.CaseSensitive = true;

  std::vector<std::string> gnu = {"/usr/bin/grep", "-r", "-n", "-F", "--exclude=Set.ini"};
  for (int day = 4; day <= 28; day += 4) gnu.push_back("--exclude=" + std::to_string(day) + ".txt");
  gnu.push_back("-e");
  gnu.push_back(options.PatternText);
  gnu.push_back(settings.SavePath);
  const std::string gnuOut = std::string(QUILLET_BENCH_DATA) + "/out-diarygrep-gnu.txt";

  // Each kind of search once to warm the cache and the word key.
  double ourBest = 1e9;
  double gnuBest = 1e9;
  double decryptingBest = 1e9;
  std::size_t ourHits = 0;
  std::size_t decryptingHits = 0;
  for (int round = 0; round < 6; ++round) {
    options.SearchEncrypted = false;
    auto begin = TClock::now();
    TDiaryGrep plain(options, settings, code);
    plain.Run();
    if (round > 0) ourBest = std::min(ourBest, Seconds(begin));
    ourHits = plain.Items().size();
    const double gnuTime = RunGnuGrep(gnu, gnuOut);
    if (round > 0) gnuBest = std::min(gnuBest, gnuTime);
    options.SearchEncrypted = true;
    begin = TClock::now();
    TDiaryGrep all(options, settings, code);
    all.Run();
    if (round > 0) decryptingBest = std::min(decryptingBest, Seconds(begin));
    decryptingHits = all.Items().size();
  }
  std::printf("diary: %d years, %zu entries with the literal in plain files (GNU grep: %zu lines)\n",
              kLastYear - kFirstYear + 1, ourHits, CountLines(gnuOut));
  std::printf("plain entries: ours %.1f ms, GNU grep -r %.1f ms; with the word-key entries decrypted: %.1f ms "
              "(%zu entries)\n",
              ourBest * 1000, gnuBest * 1000, decryptingBest * 1000, decryptingHits);

  // Cancel latency at moments spread over the search.
  double worst = 0;
  for (const double fraction : {0.05, 0.2, 0.4, 0.6, 0.8}) {
    TDiaryGrep grep(options, settings, code);
    auto run = std::async(std::launch::async, [&] { return grep.Run(); });
    std::this_thread::sleep_for(std::chrono::duration<double>(decryptingBest * fraction));
    const auto cancelled = TClock::now();
    grep.Cancel();
    const bool stopped = run.get().Cancelled;
    const double latency = Seconds(cancelled);
    if (!stopped) std::printf("cancel at %.0f%%: the search had already ended\n", fraction * 100);
    worst = std::max(worst, latency);
  }

  std::printf("BENCH diarygrep-cancel %.2f ms ratio %.2f vs 100ms-target\n", worst * 1000, worst * 1000 / 100);
  std::printf("BENCH diarygrep-20y %.1f ms ratio %.2f vs grep-r\n", ourBest * 1000, ourBest / gnuBest);
  return 0;
}
