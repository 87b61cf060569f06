// Editor model benchmark on a 10 MB code page 932 diary text of about
// 200,000 lines of Japanese prose (generated from sentences below with a
// fixed seed, converted by the code page module, written to
// QUILLET_BENCH_DATA for the peer):
//  - setting the text with wrapping at 80 columns and every rule on
//    (word break, hanging punctuation, both bracket rules, FollowRetMark),
//    against `iconv -f CP932 -t UTF-8` over the same file (a peer that reads
//    every byte once), run as a process with its output to /dev/null;
//  - one typed character (a double-byte "あ") in the middle of the text, as
//    the control sends it: the caret's row replaced by itself with the
//    character inserted, through UpdateRows; and undoing each of them;
//  - switching wrapping off and on;
//  - the memory the row store holds against the size of the text.
// Times are CPU time (of this thread; of the child for iconv), so that
// waiting for the processor on a shared machine does not count; for the
// text and the peer the best of five alternating runs counts, for keystrokes
// and undos the median of 2000.
//
// The last lines are
//   BENCH editor-set-text <MB/s> MB/s ratio <our time / iconv's> vs iconv
//   BENCH editor-undo <median µs> us ratio <median / 1000 µs> vs 1ms-target
//   BENCH editor-keystroke <median µs> us ratio <median / 1000 µs> vs 1ms-target
// (MB = 10^6 bytes).
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/base/CodePage.h"
#include "core/editor/EditorClient.h"
#include "core/editor/EditorScreenStrings.h"
#include "core/editor/EditorStrings.h"

extern char** environ;

namespace {

using namespace quillet;

constexpr std::size_t kTextBytes = 10'000'000;

// Diary prose: plain sentences, dialogue, times and numbers, half-width
// words, brackets and the punctuation the cutting rules look at.
const char* const kSentences[] = {
    "今日は朝から雨が降っていたので、駅まで歩くのをやめてバスに乗った。",
    "昼休みに同僚と近くの蕎麦屋へ行き、天ぷら蕎麦を食べた。",
    "帰り道、商店街の本屋で前から気になっていた小説を一冊買った。",
    "夕方になって雲が切れ、西の空が少しだけ赤く染まっていた。",
    "「明日の会議は十時からです」と課長に念を押された。",
    "母から電話があり、来月の法事の日取りについて相談した。",
    "久しぶりに早起きをして、川沿いの道を三十分ほど散歩した。",
    "図書館で借りた本の返却期限が明後日までだったことを思い出す。",
    "夜は鍋にしようと思い、白菜と豆腐と鶏肉を買って帰った。",
    "（ここまで書いて、昨日も同じことを書いたような気がしてきた。）",
    "午前7時15分起床。気温は12度、湿度は68%と天気予報が言っていた。",
    "電車が遅れて、約束の時間に五分ほど遅刻してしまった。",
    "駅前の喫茶店で珈琲を飲みながら、来週の予定を手帳に書き込んだ。",
    "子供の頃に住んでいた町を、ふと訪ねてみたくなった。",
    "『吾輩は猫である』を読み返していたら、思いのほか時間が過ぎていた。",
    "今月の電気代は先月より二千円ほど高かった。",
    "庭の紫陽花が咲き始め、青と紫の花が雨に濡れてきれいだった。",
    "友人の結婚式の招待状が届いたので、出席に丸をつけて返送した。",
    "新しいノートPCの設定に、思ったより手間取ってしまった。",
    "ラジオから懐かしい歌が流れてきて、しばらく手を止めて聴き入った。",
    "明日は晴れるらしい。洗濯物をまとめて干そうと思う。",
    "「また来週」と言って別れたが、次に会えるのはいつになるだろう。",
    "仕事の帰りに郵便局へ寄り、実家に荷物を送った。",
    "近所の公園で桜が満開になり、花見の人でにぎわっていた。",
    "駅のホームで、学生時代の先輩に十年ぶりに会った！",
    "今日の夕食：鮭の塩焼き、ほうれん草のおひたし、味噌汁、ご飯。",
    "寝る前に少しだけ英語の勉強をした。単語帳は三十ページまで進んだ。",
    "雨の音を聞きながら、古い手紙を一通ずつ読み返した。",
    "会議では新しい企画について［案Ａ］と［案Ｂ］のどちらにするか話し合った。",
    "日曜日なのに、なぜか平日と同じ時間に目が覚めた？",
    "Meeting at 3 p.m. with Tanaka-san about the new project.",
    "散歩の途中で、見たことのない小さな鳥が電線にとまっていた。",
    "冷蔵庫の中を整理したら、賞味期限の切れた調味料がたくさん出てきた。",
    "夜、窓を開けると虫の声が聞こえ、秋が近いことを感じた。",
    "姉から届いた写真には、すっかり大きくなった甥が写っていた。",
    "駅の階段で転びそうになり、慌てて手すりにつかまった……。",
    "今年こそは日記を毎日つけようと決めて、もう三か月が過ぎた。",
    "帰宅後、録画しておいた映画を観た。結末は少し意外だった。",
    "ポストに入っていた市役所からの通知を、まだ開けていない。",
    "明日のために、目覚まし時計を六時半に合わせて寝ることにする。",
};

const char* const kDialogue[] = {
    "「おはよう」", "「ありがとう、助かったよ」", "「それは本当？」", "――なるほど。", "「行ってきます」",
};

std::string Corpus() {
  std::vector<std::string> sentences;
  for (const char* sentence : kSentences) {
    std::string bytes;
    if (!FromUtf8(sentence, bytes)) {
      std::fprintf(stderr, "not in code page 932: %s\n", sentence);
      std::exit(1);
    }
    sentences.push_back(bytes);
  }
  std::vector<std::string> dialogue;
  for (const char* line : kDialogue) {
    std::string bytes;
    FromUtf8(line, bytes);
    dialogue.push_back(bytes);
  }
  std::string indent;
  FromUtf8("　", indent);

  std::mt19937 random(1958);
  const auto pick = [&](const std::vector<std::string>& from) -> const std::string& {
    return from[random() % from.size()];
  };
  std::string text;
  text.reserve(kTextBytes + 4096);
  while (text.size() < kTextBytes) {
    const auto kind = random() % 100;
    if (kind < 22) {
      // An empty line between paragraphs.
    } else if (kind < 44) {
      text += pick(dialogue);
    } else if (kind < 92) {
      text += pick(sentences);
    } else {
      // A paragraph: an indent (full-width space or tab) and several sentences.
      text += random() % 4 == 0 ? std::string("\t") : indent;
      for (auto n = 2 + random() % 5; n > 0; --n) text += pick(sentences);
    }
    text += "\r\n";
  }
  return text;
}

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// CPU seconds (user + system) of `iconv -f CP932 -t UTF-8 path > /dev/null`,
// or a negative value when it could not run or failed.
double IconvSeconds(const std::string& path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> args = {"iconv", "-f", "CP932", "-t", "UTF-8", path};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, "iconv", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The control as far as the store needs one: a caret.
class TCaret : public TEditorClient {
public:
  bool HasFocus() const override { return true; }
  int CaretRow() const override { return m_row; }
  int CaretColumn() const override { return m_column; }
  void SetCaret(int row, int column) override {
    m_row = row;
    m_column = column;
  }
  void HideCaret() override {}
  void ShowCaret() override {}
  void RowsChanged(const TEditorUpdateInfo&) override {}
  void Reinitialize() override {}
  void SetRedraw(bool) override {}

private:
  int m_row = 0;
  int m_column = 0;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main() {
  const std::string text = Corpus();
  const std::string folder = QUILLET_BENCH_DATA;
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/editor-corpus-cp932.txt";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  const double megabytes = static_cast<double>(text.size()) / 1e6;
  std::size_t lines = 0;
  for (std::size_t p = 0; (p = text.find('\n', p)) != std::string::npos; ++p) ++lines;

  TEditorScreenStrings store;
  TCaret caret;
  store.AttachClient(caret);
  TEditorWrapOption& option = store.WrapOption();
  option.SetWrapByte(80);
  option.SetWordBreak(true);
  option.SetFollowPunctuation(true);
  option.SetLeading(true);
  option.SetFollowRetMark(true);
  store.SetWordWrap(true);
  store.UndoObj().SetUndoListMax(4096);

  // Setting the text and the iconv pass, alternately.
  double ourBest = 1e9;
  double peerBest = 1e9;
  for (int run = 0; run < 5; ++run) {
    const double start = ThreadSeconds();
    store.SetText(text);
    ourBest = std::min(ourBest, ThreadSeconds() - start);
    const double peer = IconvSeconds(path);
    if (peer < 0) {
      std::fprintf(stderr, "iconv -f CP932 -t UTF-8 failed\n");
      return 1;
    }
    peerBest = std::min(peerBest, peer);
  }
  std::printf("editor: %.1f MB, %zu lines, %d rows at 80 columns\n", megabytes, lines, store.Count());
  std::printf("editor: set text %.1f ms, iconv %.1f ms (%.0f MB/s)\n", ourBest * 1e3, peerBest * 1e3,
              megabytes / peerBest);

  // Memory right after setting the text: the store's own accounting, and
  // what malloc holds for it.
  const double storeBytes = static_cast<double>(store.MemoryBytes());
  {
    const std::size_t before = mallinfo2().uordblks;
    TEditorScreenStrings other;
    other.WrapOption().Assign(option);
    other.SetWordWrap(true);
    other.SetText(text);
    const std::size_t after = mallinfo2().uordblks;
    std::printf("editor: rows hold %.1f MB = %.2f x the text (malloc in use %.2f x)\n", storeBytes / 1e6,
                storeBytes / static_cast<double>(text.size()),
                static_cast<double>(after - before) / static_cast<double>(text.size()));
  }

  // Typing: 2000 double-byte characters at character boundaries of rows
  // around the middle, each one UpdateRows of the caret's row.
  std::string typed;
  FromUtf8("あ", typed);
  std::mt19937 random(4);
  std::vector<double> keystrokes;
  const int middle = store.Count() / 2;
  for (int i = 0; i < 2000; ++i) {
    const int row = middle + static_cast<int>(random() % 200);
    std::string line(store.Get(row));
    std::vector<std::size_t> boundaries;
    for (std::size_t p = 0; p <= line.size(); p += EditorCharLength(line, p)) {
      boundaries.push_back(p);
      if (p == line.size()) break;
    }
    const std::size_t at = boundaries[random() % boundaries.size()];
    line.insert(at, typed);
    if (store.RowAttribute(row) == raCrlf) line += "\r\n";
    caret.SetCaret(row, ByteToColumn(store.Get(row), static_cast<int>(at), store.Layout()));
    const double start = ThreadSeconds();
    store.UpdateRows(row, 1, line);
    keystrokes.push_back((ThreadSeconds() - start) * 1e6);

  }
  std::vector<double> undos;
  while (store.UndoObj().CanUndo()) {
    const double start = ThreadSeconds();
    store.UndoObj().Undo();
    undos.push_back((ThreadSeconds() - start) * 1e6);
  }
  const bool restored = store.Text() == text;
  std::printf("editor: keystroke median %.1f us, 99%% %.1f us, max %.1f us\n", Median(keystrokes),
              Percentile(keystrokes, 0.99), Percentile(keystrokes, 1.0));
  std::printf("editor: undo median %.1f us, 99%% %.1f us, max %.1f us; text restored: %s\n", Median(undos),
              Percentile(undos, 0.99), Percentile(undos, 1.0), restored ? "yes" : "NO");
  std::printf("editor: rows hold %.2f x the text after the edits\n",
              static_cast<double>(store.MemoryBytes()) / static_cast<double>(text.size()));

  // Wrapping off and on again.
  double offBest = 1e9;
  double onBest = 1e9;
  for (int run = 0; run < 3; ++run) {
    double start = ThreadSeconds();
    store.SetWordWrap(false);
    offBest = std::min(offBest, ThreadSeconds() - start);
    start = ThreadSeconds();
    store.SetWordWrap(true);
    onBest = std::min(onBest, ThreadSeconds() - start);
  }
  std::printf("editor: wrapping off %.1f ms, on %.1f ms\n", offBest * 1e3, onBest * 1e3);
  if (!restored || store.Text() != text) {
    std::fprintf(stderr, "the text did not survive the edits and undos\n");
    return 1;
  }

  std::printf("BENCH editor-set-text %.1f MB/s ratio %.2f vs iconv\n", megabytes / ourBest, ourBest / peerBest);
  std::printf("BENCH editor-undo %.1f us ratio %.2f vs 1ms-target\n", Median(undos), Median(undos) / 1000.0);
  std::printf("BENCH editor-keystroke %.1f us ratio %.2f vs 1ms-target\n", Median(keystrokes),
              Median(keystrokes) / 1000.0);
  store.DetachClient(caret);
  return 0;
}
