// A day of 50 photos (4000 × 3000 JPEG files) opened with the image list
// shown: the time from the day command to the first thumbnail in the list,
// and to the whole list, with the bundled plug-ins, on the offscreen
// platform. Each round moves to an empty day and back, so every round loads
// the 50 pictures afresh. The median first-thumbnail time is compared with
// the 100 ms target.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>

#include "PageBenchSupport.h"
#include "ThumbnailBenchSupport.h"
#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "gui/app/UMain.h"
#include "gui/viewer/UViewer.h"

using namespace quillet;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string folder = QUILLET_BENCH_DATA "/viewer-day/";
  const std::string photo = bench::PhotoFile(QUILLET_BENCH_DATA "/thumbnail/photo-4000x3000.jpg", 4000, 3000, "jpeg");
  if (!FolderExists(folder + "Option")) {
    std::filesystem::create_directories(folder + "2010/1/16");
    std::string lines;
    for (int i = 0; i < 50; ++i) {
      const std::string name = "photo" + std::to_string(i) + ".jpg";
      std::filesystem::copy_file(photo, folder + "2010/1/16/" + name);
      lines += name + "||\r\n";
    }
    FILE* list = std::fopen((folder + "2010/1/16/Image.dat").c_str(), "wb");
    std::fwrite(lines.data(), 1, lines.size(), list);
    std::fclose(list);
    EnsureFolder(folder + "Option");
    THIniFile ini(SettingsFilePath(folder), true);
    ini.WriteBool("Viewer", "OnCreate", true);
    ini.WriteString("Viewer", "SusieCommandPath", QUILLET_PLUGIN_BUILD_DIR "/");
    ini.UpdateFile();
  }

  TFmMain window(bench::PageBenchEnv(folder, MakeDate(2010, 1, 15)));
  auto* page = &bench::ShownPage<TViewerObject>(window, "image list");
  std::vector<double> first, whole;
  for (int round = 0; round < 8; ++round) {
    QElapsedTimer timer;
    timer.start();
    window.Action("ActNextOne")->trigger();
    while (page->Items().empty() && timer.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 1);
    first.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    while (page->Items().size() < 50 && timer.elapsed() < 60000) QApplication::processEvents(QEventLoop::AllEvents, 5);
    whole.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    if (page->Items().size() != 50) {
      std::fprintf(stderr, "the list holds %zu pictures, not 50\n", page->Items().size());
      return 2;
    }
    window.Action("ActPrevOne")->trigger();
    QApplication::processEvents();
    if (!page->Items().empty()) {
      std::fprintf(stderr, "the empty day shows pictures\n");
      return 2;
    }
  }
  const double median = bench::Median(first);
  std::printf("viewer-day: first thumbnail median %.1f ms (max %.1f), whole list of 50 median %.0f ms\n", median,
              *std::max_element(first.begin(), first.end()), bench::Median(whole));
  std::printf("BENCH viewer-first-thumbnail %.1f ms ratio %.2f vs 100ms-target\n", median, median / 100.0);
  return 0;
}
