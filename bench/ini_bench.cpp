// INI parse benchmark: THIniFile loading a generated Set.ini-like file of
// about 1 MB (numbered day sections, each with Title, ReNewalTime, UseCode,
// Method and CodeKey; titles in code page 932), against QSettings with
// QSettings::IniFormat reading the same file when QtCore is at hand, or else
// against a fixed 100 ms target.
//
// Each side constructs its reader on the path, lists the sections and reads
// one title, so both read and parse the whole file. They run alternately,
// seven times each; the smallest thread CPU time of each counts (the machine
// is shared, and other work only ever makes a run slower). QSettings keeps
// parsed files in a process-wide cache while the file's time stamp is
// unchanged, so the time stamp is moved before each of its runs, untimed.
//
// The last line is
//   BENCH ini-parse-1mb <ms> ms ratio <ours / peer's time> vs <qsettings|100ms-target>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/app/HIniFile.h"

#ifdef QUILLET_BENCH_QT
#include <QSettings>
#include <QString>
#include <QStringList>
#endif

namespace {

constexpr std::size_t kFileBytes = 1u << 20;
constexpr int kRuns = 7;

double ThreadSeconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Sections "[1]", "[2]", ... until the file reaches kFileBytes; returns their count.
int WriteSetIni(const std::string& path) {
  // "日記" and "晴れ" in code page 932.
  const std::string words[] = {"\x93\xFA\x8B\x4C", "\x90\xB0\x82\xEA", "walk", "rain", "letter"};
  std::string text;
  int sections = 0;
  while (text.size() < kFileBytes) {
    ++sections;
    const std::string n = std::to_string(sections);
    text += "[" + n + "]\r\nTitle=" + words[sections % 5] + " " + n + "\r\nReNewalTime=2005/03/" +
            std::to_string(sections % 28 + 1) + " 21:15:03\r\nUseCode=" + std::to_string(sections % 2) +
            "\r\nMethod=0\r\nCodeKey=" + std::to_string(sections % 255 + 1) + "\r\n\r\n";
  }
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  return sections;
}

double OursSeconds(const std::string& path, int sections) {
  const double start = ThreadSeconds();
  const quillet::THIniFile ini(path, false);
  const bool ok = static_cast<int>(ini.ReadSections().size()) == sections &&
                  !ini.ReadString(std::to_string(sections), "Title", "").empty();
  const double seconds = ThreadSeconds() - start;
  return ok ? seconds : -1;
}

#ifdef QUILLET_BENCH_QT
double PeerSeconds(const std::string& path, int sections, int run) {
  const timespec times[2] = {{1000000000 + run, 0}, {1000000000 + run, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  const double start = ThreadSeconds();
  const QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
  const bool ok = settings.childGroups().size() == sections &&
                  !settings.value(QString::number(sections) + "/Title").toString().isEmpty();
  const double seconds = ThreadSeconds() - start;
  return ok ? seconds : -1;
}
constexpr const char* kPeer = "qsettings";
#else
double PeerSeconds(const std::string&, int, int) { return 0.100; }
constexpr const char* kPeer = "100ms-target";
#endif

}  // namespace

int main() {
  const std::string folder = QUILLET_BENCH_DATA;
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/ini-bench-Set.ini";
  const int sections = WriteSetIni(path);

  double ours = 1e9;
  double peer = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    const double o = OursSeconds(path, sections);
    const double p = PeerSeconds(path, sections, run);
    if (o < 0 || p < 0) {
      std::fprintf(stderr, "ini: %s did not read the file whole\n", o < 0 ? "THIniFile" : kPeer);
      return 1;
    }
    ours = std::min(ours, o);
    peer = std::min(peer, p);
  }
  std::printf("ini: %zu bytes, %d sections; ours %.2f ms, %s %.2f ms\n",
              static_cast<std::size_t>(std::filesystem::file_size(path)), sections, ours * 1e3, kPeer, peer * 1e3);
  std::printf("BENCH ini-parse-1mb %.2f ms ratio %.2f vs %s\n", ours * 1e3, ours / peer, kPeer);
  return 0;
}
