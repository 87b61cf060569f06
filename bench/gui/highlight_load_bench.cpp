// Loading a 10 MB diary with every token kind into the editor control,
// wrapped at the window edge, with highlighting on (every rule, the main
// window's wiring) and off, in turn: from SetText to the end of the first
// paint. With highlighting only the rows down to twice the window's height
// are parsed at once; the ratio of the medians is compared with the other
// mode of the same control, whose target is at most 1.5.
#include "HighlightBenchSupport.h"

using namespace quillet;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  bench::TEditorBench bench;
  TEditorSE& editor = *bench.Editor;
  TEditorFountain fountain;
  bench::SetAllRules(fountain);
  const std::string text = bench::MakeTokenText(10u << 20);

  std::vector<double> on;
  std::vector<double> off;
  for (int run = 0; run < 12; ++run) {
    const bool highlight = run % 2 == 0;
    if (highlight) bench::Wire(editor, fountain);
    else bench::Unwire(editor, fountain);
    editor.SetText(std::string());
    bench.Settle();
    const int before = bench.Probe.Paints;
    QElapsedTimer timer;
    timer.start();
    editor.SetText(text);
    while (bench.Probe.Paints == before && timer.elapsed() < 10000) QApplication::processEvents();
    (highlight ? on : off).push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  bench::Unwire(editor, fountain);
  const double withHighlight = bench::Median(on);
  const double without = bench::Median(off);
  std::printf("load + first paint: highlighting on median %.0f ms, off median %.0f ms (%zu runs each)\n",
              withHighlight, without, on.size());
  std::printf("BENCH highlight-load %.0f ms ratio %.2f vs highlight-off\n", withHighlight, withHighlight / without);
  return 0;
}
