// Shared by the benchmarks of the side-panel pages: the main window started
// on a benchmark's program folder with a fixed date, and its page shown.
#pragma once

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "gui/app/UMain.h"

namespace quillet::bench {

inline TStartupEnv PageBenchEnv(const std::string& folder, TDate today) {
  TStartupEnv env;
  env.appFolder = folder;
  env.today = today;
  return env;
}

// Shows `window` and gives its page of type TPage; a page the settings did
// not build ends the benchmark, naming `what`.
template <class TPage>
TPage& ShownPage(TFmMain& window, const char* what) {
  window.ShowMain();
  QApplication::processEvents();
  auto* page = window.Page<TPage>();
  if (!page) {
    std::fprintf(stderr, "%s page not built\n", what);
    std::exit(2);
  }
  return *page;
}

}  // namespace quillet::bench
