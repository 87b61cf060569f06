// Start-up on a twenty-year diary against a bare Qt main window: real process
// starts, from launching the process to the first paint of its window, on the
// offscreen platform. The diary is generated once under QUILLET_BENCH_DATA: an
// entry and a Set.ini section for every day of twenty years, the last year
// word-key encrypted, its settings asking for the calendar page at start.
//
// The executable runs in three ways: without arguments it is the parent,
// which times starts of itself as `--child quillet` (the diary's main window)
// and `--child bare` (a QMainWindow with an editor, a menu and a status bar),
// alternating the two. A child writes "painted" on the first paint event of
// its window and ends at once, so that no teardown is timed.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStatusBar>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "core/base/CodePage.h"
#include "core/crypto/USecurity.h"
#include "core/store/EntryStore.h"
#include "gui/app/UMain.h"

using namespace quillet;

namespace {

const std::string kFolder = QUILLET_BENCH_DATA "/startup-20y/";
const TDate kToday = MakeDate(2026, 12, 6);

class TFirstPaint : public QObject {
public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      std::fputs("painted\n", stdout);
      std::fflush(stdout);
      _exit(0);
    }
    return false;
  }
};

int RunChild(int argc, char** argv, const char* mode) {
  QApplication app(argc, argv);
  TFirstPaint probe;
  if (std::strcmp(mode, "quillet") == 0) {
    TStartupEnv env;
    env.appFolder = kFolder;
    env.today = kToday;
    env.hour = 12;
    TFmMain window(env);
    window.installEventFilter(&probe);
    window.ShowMain();
    return app.exec();
  }
  QMainWindow window;
  window.setCentralWidget(new QPlainTextEdit(&window));
  window.menuBar()->addMenu(QString::fromUtf8("ファイル(&F)"));
  window.statusBar()->showMessage(QString::fromUtf8("準備完了"));
  window.resize(keys::kDesignedBounds.width, keys::kDesignedBounds.height);
  window.installEventFilter(&probe);
  window.show();
  return app.exec();
}

// One start of `--child <mode>`: milliseconds to its "painted" line.
double TimeStart(const QString& mode) {
  QProcess child;  // its error output is shown only when it fails
  QElapsedTimer timer;
  timer.start();
  child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), mode});
  while (!child.canReadLine()) {
    if (!child.waitForReadyRead(60000)) {
      std::fprintf(stderr, "child %s ended or hung before its first paint:\n%s\n", qPrintable(mode),
                   child.readAllStandardError().constData());
      child.kill();
      std::exit(2);
    }
  }
  const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  child.waitForFinished();
  return ms;
}

double Report(const char* name, std::vector<double>& times) {
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("%s start to first paint: min %.1f ms, median %.1f ms, max %.1f ms over %zu starts\n", name,
              times.front(), median, times.back(), times.size());
  return median;
}

void MakeDiary(const std::string& app, TDate today) {
  const bool exists = FolderExists(app + "Option");
  EnsureFolder(app + "Option");
  {
    // The calendar page is built at start, with its bold days; written on
    // every run so that a diary generated before picks it up too.
    THIniFile ini(SettingsFilePath(app), true);
    if (!exists) ini.WriteString("Window", "Word", Scramble("bench"));
    keys::CalendarOnCreate.Write(ini, true);
    keys::BoldDays.Write(ini, true);
    ini.UpdateFile();
  }
  if (exists) return;
  TStoreSettings settings;
  settings.SavePath = app;
  std::string paragraph;
  FromUtf8("今日は朝から雨が降っていた。駅までの道で傘を広げると、隣の家の紫陽花が濡れて光っていた。"
           "昼は同僚と蕎麦を食べ、午後は会議が三つ続いた。\r\n夜は本を読んで早めに寝た。\r\n",
           paragraph);
  TCode code;
  code.Word = "bench";
  code.Method = true;
  TSaveRequest request;
  request.Body = paragraph;
  request.Body.append(paragraph);
  request.Title = "t";
  request.Force = true;
  request.Modified = true;
  const TDate first = AddDays(today, -20 * 365);
  for (TDate day = first; day != AddDays(today, 1); day = AddDays(day, 1)) {
    code.EnCrypt = day > AddDays(today, -365);
    request.Date = day;
    SaveDay(settings, app, code, request);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return RunChild(argc, argv, argv[2]);

  QCoreApplication app(argc, argv);
  MakeDiary(kFolder, kToday);
  TimeStart(QStringLiteral("quillet"));  // warm the page cache; not counted
  TimeStart(QStringLiteral("bare"));
  std::vector<double> ours, bare;
  for (int run = 0; run < 11; ++run) {
    // Alternate which goes first so that drift in the machine's load falls on both.
    if (run % 2 == 0) ours.push_back(TimeStart(QStringLiteral("quillet")));
    bare.push_back(TimeStart(QStringLiteral("bare")));
    if (run % 2 == 1) ours.push_back(TimeStart(QStringLiteral("quillet")));
  }
  const double ourMedian = Report("quillet", ours);
  const double bareMedian = Report("bare Qt window", bare);
  std::printf("BENCH startup-20y %.1f ms ratio %.2f vs bare-qt-window\n", ourMedian, ourMedian / bareMedian);
  return 0;
}
