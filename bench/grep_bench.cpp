// grep benchmark: `quillet-cli grep --raw` against `LC_ALL=C grep -n` (GNU
// grep) on the same code page 932 file of at least 50 MB, for a Japanese
// literal, a Japanese class-and-star pattern, an alternation of five
// words and one of 1,000 words. Both are run as processes, output to a file (GNU grep stops at the
// first match when its output is /dev/null), alternately, five times each;
// the fastest run of each counts. GNU grep reads bytes in the C locale, so
// its patterns are the byte forms of ours (a class of double-byte
// characters becomes lead byte + trail range). Also times the compilation of
// a 100-character pattern through the grep's own path (SetRegExp, then the
// DFA and its byte tables).
//
// The corpus is generated (diary-like sentences from a fixed vocabulary,
// CR LF line ends, a fixed seed) into QUILLET_BENCH_DATA and reused while its
// size matches.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/base/CodePage.h"
#include "core/search/Grep.h"
#include "BenchSupport.h"

namespace {


std::string Sjis(const std::string& utf8) { return quillet::bench::Sjis(utf8, "grep_bench"); }

double Run(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& output) {
  return quillet::bench::RunTimed(argv, env, output, "grep_bench");
}

constexpr std::size_t kCorpusBytes = 52u << 20;

const char* const kWords[] = {
    "今日", "明日", "昨日", "天気", "晴れ", "曇り", "会社", "仕事", "友達", "映画", "食事", "散歩", "買い物",
    "読書", "日記", "家族", "電車", "駅", "公園", "図書館", "学校", "先生", "コーヒー", "パソコン",
    "インターネット", "メール", "カメラ", "テレビ", "ニュース", "サービス", "朝", "昼", "夜", "部屋", "料理",
    "音楽", "手紙", "写真", "新聞", "雑誌", "病院", "銀行", "会議", "資料", "予定", "週末", "休み", "季節",
    "桜", "紅葉", "海", "山", "川", "空", "風", "猫", "犬", "花", "本", "旅行", "誕生日", "お茶", "ケーキ",
    "ゆっくり", "とても", "少し", "また", "そして", "しかし", "久しぶりに", "のんびり", "いつもより", "たくさん"};
const char* const kParticles[] = {"は", "が", "を", "に", "で", "と", "も", "の", "へ", "から", "まで"};
const char* const kEndings[] = {"行った", "見た", "食べた", "楽しかった", "疲れた", "思った", "でした", "です",
                                "ました", "読んだ", "書いた", "買った", "帰った", "話した", "待った"};
const char* const kCities[] = {"東京", "大阪", "京都", "名古屋", "札幌"};

std::string MakeSentence(std::mt19937& random) {
  std::string line;
  const int clauses = 1 + static_cast<int>(random() % 3);
  for (int c = 0; c < clauses; ++c) {
    const int words = 2 + static_cast<int>(random() % 4);
    for (int w = 0; w < words; ++w) {
      if (random() % 400 == 0) {
        line += kCities[random() % 5];
      } else {
        line += kWords[random() % std::size(kWords)];
      }
      line += kParticles[random() % std::size(kParticles)];
    }
    line += kEndings[random() % std::size(kEndings)];
    line += c + 1 < clauses ? "、" : "。";
  }
  if (random() % 1500 == 0) line += "東京タワーに登った。";
  if (random() % 50 == 0) line += " (" + std::to_string(random() % 10000) + " yen)";
  return line;
}

std::string EnsureCorpus() {
  const std::string folder = QUILLET_BENCH_DATA;
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/grep-corpus-cp932.txt";
  std::error_code error;
  if (std::filesystem::file_size(path, error) >= kCorpusBytes && !error) return path;
  std::mt19937 random(19);
  std::string utf8;
  std::string text;
  text.reserve(kCorpusBytes + 4096);
  while (text.size() < kCorpusBytes) {
    utf8.clear();
    for (int i = 0; i < 200; ++i) utf8 += MakeSentence(random) + "\r\n";
    text += Sjis(utf8);
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return path;
}

std::vector<long> LineNumbers(const std::string& output, int field) {
  std::ifstream in(output, std::ios::binary);
  std::vector<long> numbers;
  for (std::string line; std::getline(in, line);) {
    std::size_t pos = 0;
    for (int f = 0; f < field; ++f) pos = line.find(':', pos) + 1;
    numbers.push_back(std::atol(line.c_str() + pos));
  }
  return numbers;
}

std::string GnuBytes(const std::string& utf8) { return quillet::bench::GnuBytes(utf8, "grep_bench"); }

struct TCase {
  const char* name;
  std::string ours;  // UTF-8, as a user types it
  std::string gnu;   // the byte form for GNU grep in the C locale
};

// `count` distinct words joined with "|", picked with a fixed seed: every
// other word from the generator's vocabulary (word, particle, word:
// 東京の天気), so that many lines match, and the others two or three kanji
// of the first level of the code page, so that the pattern has about a
// thousand distinct characters, as a user's word list does. `gnu` gets the
// byte form.
std::string WordAlternation(std::size_t count, std::string& gnu) {
  std::mt19937 random(1000);
  std::vector<std::string> words;
  while (words.size() < count) {
    std::string word;
    if (words.size() % 2 == 0) {
      word = std::string(kWords[random() % std::size(kWords)]) + kParticles[random() % std::size(kParticles)] +
             kWords[random() % std::size(kWords)];
    } else {
      std::string cp932;
      for (std::size_t k = 2 + random() % 2; k > 0; --k) {
        // Leads 0x89-0x97 with any trail 0x40-0x7E, 0x80-0xFC: rows of
        // the first level that are fully assigned.
        const auto lead = static_cast<char>(0x89 + random() % 15);
        const auto trail = static_cast<unsigned char>(0x40 + random() % 188);
        cp932 += lead;
        cp932 += static_cast<char>(trail >= 0x7F ? trail + 1 : trail);
      }
      quillet::ToUtf8(cp932, word);
    }
    if (std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
  }
  std::string ours;
  gnu.clear();
  for (const auto& word : words) {
    ours += (ours.empty() ? "" : "|") + word;
    gnu += (gnu.empty() ? "" : "|") + GnuBytes(word);
  }
  return ours;
}

}  // namespace

int main() {
  const std::string corpus = EnsureCorpus();
  const std::string folder = QUILLET_BENCH_DATA;
  const double megabytes = static_cast<double>(std::filesystem::file_size(corpus)) / (1 << 20);
  std::printf("corpus: %s, %.1f MB of code page 932 text\n", corpus.c_str(), megabytes);

  // Katakana ァ (0x8340) .. ヶ (0x8396) and the long vowel mark ー (0x815B).
  const std::string katakana = "(\x83[\x40-\x96]|\x81\\\x5B)";
  std::vector<TCase> cases = {
      {"grep-literal", "東京タワー", GnuBytes("東京タワー")},
      {"grep-class", "[ァ-ヶー]*ニュース[ぁ-ん]*読んだ",
       katakana + "*" + GnuBytes("ニュース") + "(\x82[\x9F-\xF1])*" + GnuBytes("読んだ")},
      {"grep-alternation", "東京|大阪|京都|名古屋|札幌",
       GnuBytes("東京") + "|" + GnuBytes("大阪") + "|" + GnuBytes("京都") + "|" + GnuBytes("名古屋") + "|" +
           GnuBytes("札幌")},
  };
  {
    std::string gnu;
    std::string ours = WordAlternation(1000, gnu);
    cases.push_back({"grep-words-1000", std::move(ours), std::move(gnu)});
  }

  // Compiling a pattern of 100 characters, through the grep's own path.
  std::string longPattern;
  for (std::size_t i = 0; longPattern.size() < 215; ++i) {
    longPattern += std::string(i ? "|" : "") + kWords[i] + "[ぁ-ん]*" + kEndings[i % std::size(kEndings)];
  }
  const std::string longSjis = Sjis(longPattern);
  double compileBest = 1e9;
  for (int round = 0; round < 5; ++round) {
    const auto begin = std::chrono::steady_clock::now();
    quillet::TGrep grep;
    grep.SetRegExp(longSjis);
    grep.ScanKind();
    compileBest = std::min(compileBest, std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
  }
  std::size_t characters = 0;
  for (std::size_t i = 0; i < longSjis.size(); i += quillet::CharLength(longSjis, i)) ++characters;
  std::printf("compile: %zu-character pattern in %.2f ms (target: under 10 ms)\n", characters, compileBest * 1000);

  std::vector<std::string> results;
  for (const TCase& c : cases) {
    const std::string ourOut = folder + "/out-quillet.txt";
    const std::string gnuOut = folder + "/out-gnu.txt";
    const std::vector<std::string> ours = {QUILLET_CLI, "grep", "--raw", "-e", c.ours, corpus};
    const std::vector<std::string> gnu = {"/usr/bin/grep", "-n", "-E", "-e", c.gnu, corpus};
    double ourBest = 1e9;
    double gnuBest = 1e9;
    for (int round = 0; round < 5; ++round) {
      ourBest = std::min(ourBest, Run(ours, {"LC_ALL=C.UTF-8"}, ourOut));
      gnuBest = std::min(gnuBest, Run(gnu, {"LC_ALL=C"}, gnuOut));
    }
    const auto ourLines = LineNumbers(ourOut, 1);
    const auto gnuLines = LineNumbers(gnuOut, 0);
    std::printf("%s: %zu lines (GNU grep %zu%s), ours %.1f ms, GNU grep %.1f ms\n", c.name, ourLines.size(),
                gnuLines.size(), ourLines == gnuLines ? ", same line numbers" : ", DIFFERENT line numbers",
                ourBest * 1000, gnuBest * 1000);
    char line[200];
    std::snprintf(line, sizeof line, "BENCH %s %.1f ms ratio %.2f vs gnu-grep", c.name, ourBest * 1000,
                  ourBest / gnuBest);
    results.push_back(line);
  }
  for (const auto& line : results) std::printf("%s\n", line.c_str());
  return 0;
}
