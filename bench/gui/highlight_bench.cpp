// A key press in a 10 MB diary with every token kind in it and every
// highlighting rule on, wrapped at the window edge: from the key event to the
// end of the repaint it causes, the incremental parse included. 1,000 keys at
// the end of the text and 1,000 in the middle, Japanese and ASCII mixed, with
// a line end, a quote, an at sign and a bracket pair now and then; the larger
// of the two medians is compared with a 1 ms target. The rows each key made
// the highlighter parse are counted too: an edit that leaves the state at the
// end of its rows alone parses only those rows.
#include <QKeyEvent>

#include "HighlightBenchSupport.h"

using namespace quillet;

namespace {

struct TRun {
  std::vector<double> Times;
  std::vector<int> Parsed;
};

TRun TypeKeys(bench::TEditorBench& bench, int count) {
  const QString keys[] = {QStringLiteral("a"), QString::fromUtf8("日"), QStringLiteral("\""), QString::fromUtf8("あ"),
                          QStringLiteral("@"), QStringLiteral(" "),      QStringLiteral("."), QString::fromUtf8("「"),
                          QStringLiteral("h"), QString::fromUtf8("」"), QString::fromUtf8("。"), QStringLiteral("Z")};
  TRun run;
  for (int i = 0; i < count; ++i) {
    if (i % 50 == 49) {
      QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
      run.Times.push_back(bench.TimeEvent(enter));
    } else {
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, keys[static_cast<std::size_t>(i) % std::size(keys)]);
      run.Times.push_back(bench.TimeEvent(key));
    }
    run.Parsed.push_back(bench.Editor->Store().UpdateInfo().ReparsedRows);
  }
  return run;
}

void Report(const char* where, const TRun& run) {
  std::printf("key + parse + repaint %s: median %.0f us, max %.0f us; rows parsed: median %d, max %d\n", where,
              bench::Median(run.Times), *std::max_element(run.Times.begin(), run.Times.end()),
              static_cast<int>(bench::Median(std::vector<double>(run.Parsed.begin(), run.Parsed.end()))),
              *std::max_element(run.Parsed.begin(), run.Parsed.end()));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  bench::TEditorBench bench;
  TEditorSE& editor = *bench.Editor;
  TEditorFountain fountain;
  bench::SetAllRules(fountain);
  bench::Wire(editor, fountain);
  const std::string text = bench::MakeTokenText(10u << 20);
  QElapsedTimer timer;
  timer.start();
  editor.SetText(text);
  bench.Settle();
  std::printf("loaded %.1f MB of token-rich text into %d rows with highlighting in %.0f ms\n",
              static_cast<double>(text.size()) / (1 << 20), editor.Store().Count(), static_cast<double>(timer.elapsed()));

  // The first paint at the end parses every row down to it, once.
  timer.restart();
  editor.Engine().MoveCaret(TCaretCommand::TextEnd, false);
  bench.Settle();
  std::printf("jump to the end and paint, parsing all %d rows on the way: %.0f ms\n", editor.Store().Count(),
              static_cast<double>(timer.elapsed()));
  const TRun atEnd = TypeKeys(bench, 1000);

  editor.SetRowCol(editor.Store().Count() / 2, 10);
  bench.Settle();
  const TRun inMiddle = TypeKeys(bench, 1000);

  Report("at the end", atEnd);
  Report("in the middle", inMiddle);
  bench::Unwire(editor, fountain);
  const double worst = std::max(bench::Median(atEnd.Times), bench::Median(inMiddle.Times));
  std::printf("BENCH highlight-keystroke %.0f us ratio %.2f vs 1ms-target\n", worst, worst / 1000.0);
  return 0;
}
