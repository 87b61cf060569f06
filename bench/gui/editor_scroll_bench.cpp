// Scrolling one page in a 10 MB diary open in the editor control and wrapped
// at the window edge: from a PageDown (or PageUp) key to the end of the
// repaint of the whole page, on the offscreen platform, 1,000 pages from the
// middle of the text; the median is compared with the 5 ms target.
#include <QKeyEvent>

#include "EditorBenchSupport.h"

using namespace quillet;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  bench::TEditorBench bench;
  TEditor& editor = *bench.Editor;
  editor.SetRowCol(editor.Store().Count() / 2, 0);
  bench.Settle();

  std::vector<double> times;
  for (int i = 0; i < 1000; ++i) {
    // Down for 250 pages, up for 250, and again: always fresh rows.
    const Qt::Key key = (i / 250) % 2 == 0 ? Qt::Key_PageDown : Qt::Key_PageUp;
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    times.push_back(bench.TimeEvent(event));
  }
  const double median = bench::Median(times);
  std::printf("page scroll + repaint: median %.0f us, max %.0f us over %zu pages of %d rows\n", median,
              *std::max_element(times.begin(), times.end()), times.size(), editor.Layout().VisibleRows());
  std::printf("BENCH editor-page-scroll %.0f us ratio %.2f vs 5ms-target\n", median, median / 5000.0);
  return 0;
}
