// Moving through the diary a month at a time with the calendar page shown
// and its days with text marked: 120 presses of "一ヵ月後" (ten years) on a
// diary with an entry for most days, each timed from the command to the end
// of the calendar's repaint, on the offscreen platform. Each move saves
// nothing (the entry is unchanged), opens the new day's entry, sets the
// calendar to the new month and marks its days (one status call for the
// month folder and one per day). The mean over the
// 120 moves is compared with the 5 ms target.
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
#include "gui/calendar/HCalendar.h"
#include "gui/calendar/UCalendar.h"
#include "PageBenchSupport.h"

using namespace quillet;

namespace {

// Ten years and a bit of plain entries, every day but each seventh, written
// directly as the store names them (the default save style, "d.txt").
void MakeDiary(const std::string& app, int firstYear, int years) {
  if (FolderExists(app + "Option")) return;
  const std::string body(600, 'a');
  for (int year = firstYear; year < firstYear + years; ++year)
    for (int month = 1; month <= 12; ++month) {
      const std::string folder = app + std::to_string(year) + "/" + std::to_string(month) + "/";
      std::filesystem::create_directories(folder);
      for (int day = 1; day <= DaysInMonth(year, month); ++day)
        if (day % 7 != 0) std::ofstream(folder + std::to_string(day) + ".txt") << body;
    }
  EnsureFolder(app + "Option");
  THIniFile ini(SettingsFilePath(app), true);
  ini.WriteBool("Calendar", "OnCreate", true);
  ini.WriteBool("Calendar", "BoldDays", true);
  ini.UpdateFile();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string folder = QUILLET_BENCH_DATA "/calendar-10y/";
  MakeDiary(folder, 2010, 11);

  TFmMain window(bench::PageBenchEnv(folder, MakeDate(2010, 1, 15)));
  auto* page = &bench::ShownPage<TCalendarObject>(window, "calendar");
  QAction* next = window.Action("ActNextMonth");
  std::vector<double> times;
  for (int i = 0; i < 120; ++i) {
    QElapsedTimer timer;
    timer.start();
    next->trigger();
    page->Calendar().repaint();
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000.0);
  }
  if (page->Calendar().Current() != MakeDate(2020, 1, 15)) {
    std::fprintf(stderr, "the calendar did not follow the moves\n");
    return 2;
  }
  double total = 0;
  for (double t : times) total += t;
  const double mean = total / static_cast<double>(times.size());
  std::sort(times.begin(), times.end());
  std::printf("month move + marks + repaint: min %.0f us, median %.0f us, max %.0f us, mean %.0f us over %zu months\n",
              times.front(), times[times.size() / 2], times.back(), mean, times.size());
  std::printf("BENCH calendar-month-switch %.2f ms ratio %.2f vs 5ms-target\n", mean / 1000.0, mean / 5000.0);
  window.RunCloseSequence();
  return 0;
}
