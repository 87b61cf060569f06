// A key press in a 10 MB diary open in the editor control and wrapped at the
// window edge: from the key event to the end of the repaint it causes, on
// the offscreen platform. 1,000 keys typed at the end of the text and 1,000
// in the middle, Japanese and ASCII mixed, with a line end now and then; the
// larger of the two medians is compared with the 2 ms target.
#include <QKeyEvent>

#include "EditorBenchSupport.h"

using namespace quillet;

namespace {

std::vector<double> TypeKeys(bench::TEditorBench& bench, int count) {
  const QString keys[] = {QStringLiteral("a"), QString::fromUtf8("日"), QString::fromUtf8("あ"), QStringLiteral(" "),
                          QString::fromUtf8("。"), QStringLiteral("Z")};
  std::vector<double> times;
  for (int i = 0; i < count; ++i) {
    if (i % 50 == 49) {
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
      times.push_back(bench.TimeEvent(enter));
    } else {
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, keys[static_cast<std::size_t>(i) % std::size(keys)]);
      times.push_back(bench.TimeEvent(key));
    }
  }
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  bench::TEditorBench bench;
  TEditor& editor = *bench.Editor;

  editor.Engine().MoveCaret(TCaretCommand::TextEnd, false);
  bench.Settle();
  const std::vector<double> atEnd = TypeKeys(bench, 1000);

  editor.SetRowCol(editor.Store().Count() / 2, 10);
  bench.Settle();
  const std::vector<double> inMiddle = TypeKeys(bench, 1000);

  const double end = bench::Median(atEnd);
  const double middle = bench::Median(inMiddle);
  std::printf("key + repaint at the end: median %.0f us, max %.0f us\n", end,
              *std::max_element(atEnd.begin(), atEnd.end()));
  std::printf("key + repaint in the middle: median %.0f us, max %.0f us\n", middle,
              *std::max_element(inMiddle.begin(), inMiddle.end()));
  const double worst = std::max(end, middle);
  std::printf("BENCH editor-key-repaint %.0f us ratio %.2f vs 2ms-target\n", worst, worst / 2000.0);
  return 0;
}
