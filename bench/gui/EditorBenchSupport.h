// Shared by the editor benchmarks: a 10 MB diary text in code page 932
// (Japanese prose with some ASCII, lines of varied length, blank lines), and
// the diary's editor control shown on the offscreen platform, wrapped at its
// window edge, with the text loaded.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/base/CodePage.h"
#include "gui/app/Application.h"
#include "gui/editor/EditorSE.h"

namespace quillet::bench {

inline std::string MakeDiaryText(std::size_t bytes) {
  const char* sentences[] = {
      "今日は朝から雨が降っていた。", "駅までの道で傘を広げると、隣の家の紫陽花が濡れて光っていた。",
      "昼は同僚と蕎麦を食べた。", "午後は会議が三つ続き、資料の修正に追われた。",
      "Meeting notes: review the release plan (v1.2) and the test matrix.", "夜は本を読んで早めに寝た。",
      "「また明日」と言って別れた。", "コーヒー豆を買い忘れたので、明日こそ買うこと。"};
  std::vector<std::string> encoded;
  for (const char* sentence : sentences) {
    std::string out;
    FromUtf8(sentence, out);
    encoded.push_back(out);
  }
  std::string text;
  text.reserve(bytes + 512);
  unsigned seed = 7;
  while (text.size() < bytes) {
    seed = seed * 1103515245u + 12345u;
    const unsigned count = 1 + (seed >> 16) % 6;
    for (unsigned i = 0; i < count; ++i) {
      seed = seed * 1103515245u + 12345u;
      text += encoded[(seed >> 16) % encoded.size()];
    }
    text += "\r\n";
    if ((seed >> 20) % 7 == 0) text += "\r\n";
  }
  return text;
}

// Counts paints of a viewport.
class TPaintProbe : public QObject {
public:
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

struct TEditorBench {
  std::unique_ptr<TEditorSE> Editor;
  TPaintProbe Probe;

  TEditorBench() {
    InstallFontSubstitutions();
    Editor = std::make_unique<TEditorSE>();
    Editor->resize(900, 700);
    TSEProperty property = Editor->SEProperty();
    property.AutoWrap = true;
    Editor->SetSEProperty(property);
    Editor->SetWordWrap(true);
    Editor->show();
    Editor->activateWindow();
    Editor->setFocus();
    const std::string text = MakeDiaryText(10u << 20);
    QElapsedTimer timer;
    timer.start();
    Editor->SetText(text);
    std::printf("loaded %.1f MB into %d rows (wrap column %d) in %.0f ms\n", static_cast<double>(text.size()) / (1 << 20),
                Editor->Store().Count(), Editor->WrapOption().WrapByte(), static_cast<double>(timer.elapsed()));
    Editor->viewport()->installEventFilter(&Probe);
    Settle();
  }
  // Lets every pending update paint.
  void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  // Microseconds from sending `event` to the end of the paint it causes.
  double TimeEvent(QEvent& event) {
    const int before = Probe.Paints;
    QElapsedTimer timer;
    timer.start();
    QApplication::sendEvent(Editor.get(), &event);
    while (Probe.Paints == before && timer.elapsed() < 1000) QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e3;
  }
};

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace quillet::bench
