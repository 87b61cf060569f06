// Start-up on a twenty-year diary: from creating the main window (settings,
// pages, the day's entry) to its first paint, on the offscreen platform. The
// diary is generated once under QUILLET_BENCH_DATA: an entry and a Set.ini
// section for every day of twenty years, the last year word-key encrypted.
// Prints the median of several starts against the 300 ms target.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/crypto/USecurity.h"
#include "core/store/EntryStore.h"
#include "gui/app/UMain.h"

using namespace quillet;

namespace {

class TFirstPaint : public QObject {
public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

void MakeDiary(const std::string& app, TDate today) {
  if (FolderExists(app + "Option")) return;
  EnsureFolder(app + "Option");
  {
    THIniFile ini(SettingsFilePath(app), true);
    ini.WriteString("Window", "Word", Scramble("bench"));
    ini.UpdateFile();
  }
  TStoreSettings settings;
  settings.SavePath = app;
  std::string paragraph;
  FromUtf8("今日は朝から雨が降っていた。駅までの道で傘を広げると、隣の家の紫陽花が濡れて光っていた。"
           "昼は同僚と蕎麦を食べ、午後は会議が三つ続いた。\r\n夜は本を読んで早めに寝た。\r\n",
           paragraph);
  TCode code;
  code.Word = "bench";
  const TDate first = AddDays(today, -20 * 365);
  for (TDate day = first; day != AddDays(today, 1); day = AddDays(day, 1)) {
    code.EnCrypt = day > AddDays(today, -365);
    code.Method = true;
    TSaveRequest request;
    request.Date = day;
    request.Body = paragraph;
    request.Body.append(paragraph);
    request.Title = "t";
    request.Force = true;
    request.Modified = true;
    SaveDay(settings, app, code, request);
  }
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string folder = QUILLET_BENCH_DATA "/startup-20y/";
  const TDate today = MakeDate(2026, 12, 6);
  MakeDiary(folder, today);

  std::vector<double> times;
  for (int run = 0; run < 9; ++run) {
    TFirstPaint probe;
    QElapsedTimer timer;
    timer.start();
    TStartupEnv env;
    env.appFolder = folder;
    env.today = today;
    env.hour = 12;
    TFmMain window(env);
    window.installEventFilter(&probe);
    window.ShowMain();
    while (!probe.painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    window.close();
  }
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("startup to first paint: min %.1f ms, median %.1f ms, max %.1f ms over %zu starts\n", times.front(),
              median, times.back(), times.size());
  std::printf("BENCH startup-20y %.1f ms ratio %.2f vs 300ms-target\n", median, median / 300.0);
  return 0;
}
