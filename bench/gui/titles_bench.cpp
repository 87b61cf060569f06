// Moving through the diary a month at a time with the title list shown: 120
// presses of "一ヵ月後" (ten years) on a diary with an entry and a title for
// most days, each timed from the command to the end of the list's repaint,
// on the offscreen platform. Each move saves nothing (the entry is
// unchanged), opens the new day's entry and lists the new month: one read of
// its Set.ini, one status call per day and the first line of each entry.
//
// Collected on the spot ("MultiThread" off), the mean is compared with the
// 5 ms target. A second run with "MultiThread" on times each press until the
// worker's list is handed over and painted, and is printed on a line of its
// own.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "gui/app/UMain.h"
#include "gui/titles/TitleModel.h"
#include "gui/titles/TitleView.h"
#include "gui/titles/UTitle.h"
#include "PageBenchSupport.h"

using namespace quillet;

namespace {

// Ten years and a bit of plain entries, every day but each seventh, each
// with a title, written directly as the store names them ("d.txt").
void MakeDiary(const std::string& diary, int firstYear, int years) {
  if (FolderExists(diary + std::to_string(firstYear))) return;
  const std::string body = "first line of the day\r\n" + std::string(600, 'a');
  for (int year = firstYear; year < firstYear + years; ++year)
    for (int month = 1; month <= 12; ++month) {
      const std::string folder = diary + std::to_string(year) + "/" + std::to_string(month) + "/";
      std::filesystem::create_directories(folder);
      std::string ini;
      for (int day = 1; day <= DaysInMonth(year, month); ++day) {
        if (day % 7 == 0) continue;
        std::ofstream(folder + std::to_string(day) + ".txt") << body;
        const std::string number = std::to_string(day);
        ini.append("[").append(number).append("]\r\nTitle=title ").append(number);
        ini.append("\r\nReNewalTime=2010/01/01 9:00:00\r\nUseCode=0\r\nMethod=0\r\n\r\n");
      }
      std::ofstream(folder + "Set.ini") << ini;
    }
}

void WriteSettings(const std::string& app, const std::string& diary, bool multiThread) {
  EnsureFolder(app + "Option");
  THIniFile ini(SettingsFilePath(app), true);
  ini.WriteString("Window", "SavePath", diary);
  ini.WriteBool("Title", "OnCreate", true);
  ini.WriteBool("Title", "MultiThread", multiThread);
  ini.UpdateFile();
}

// Until the worker's list is handed over (it comes as a posted event).
void WaitForList(const TTitleObject& page) {
  QElapsedTimer timer;
  timer.start();
  while (page.Collecting() && timer.elapsed() < 5000) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

struct TRun {
  double mean = 0;  // microseconds
  std::vector<double> sorted;
};

// 120 month moves from January 2010, each until the list shows the new
// month and has been repainted.
TRun Run(const std::string& app, bool multiThread) {
  TFmMain window(bench::PageBenchEnv(app, MakeDate(2010, 1, 15)));
  auto* page = &bench::ShownPage<TTitleObject>(window, "title");
  WaitForList(*page);
  QAction* next = window.Action("ActNextMonth");
  TRun run;
  for (int i = 0; i < 120; ++i) {
    QElapsedTimer timer;
    timer.start();
    next->trigger();
    if (multiThread) WaitForList(*page);
    page->View().viewport()->repaint();
    run.sorted.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
  }
  const TDate open = window.CurrentDate();
  if (open != MakeDate(2020, 1, 15) || page->Model().rowCount() != 31 ||
      page->Model().Record(0).Title != "title 1" || !page->Model().Record(6).Title.empty()) {
    std::fprintf(stderr, "the list did not follow the moves\n");
    std::exit(2);
  }
  for (double t : run.sorted) run.mean += t;
  run.mean /= static_cast<double>(run.sorted.size());
  std::sort(run.sorted.begin(), run.sorted.end());
  window.RunCloseSequence();
  return run;
}

void Print(const char* what, const TRun& run) {
  std::printf("%s: min %.0f us, median %.0f us, max %.0f us, mean %.0f us over %zu months\n", what,
              run.sorted.front(), run.sorted[run.sorted.size() / 2], run.sorted.back(), run.mean,
              run.sorted.size());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string folder = QUILLET_BENCH_DATA "/titles-10y/";
  const std::string diary = folder + "diary/";
  MakeDiary(diary, 2010, 11);

  WriteSettings(folder + "app/", diary, true);
  const TRun threaded = Run(folder + "app/", true);
  WriteSettings(folder + "app/", diary, false);
  const TRun direct = Run(folder + "app/", false);

  Print("month move + list + repaint, MultiThread on (until the worker's list is shown)", threaded);
  Print("month move + list + repaint, MultiThread off", direct);
  std::printf("titles-month-switch with MultiThread on: %.2f ms ratio %.2f vs 5ms-target\n", threaded.mean / 1000.0,
              threaded.mean / 5000.0);
  std::printf("BENCH titles-month-switch %.2f ms ratio %.2f vs 5ms-target\n", direct.mean / 1000.0,
              direct.mean / 5000.0);
  return 0;
}
