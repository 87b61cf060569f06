// Shared by the thumbnail benchmarks: a photo-like test picture (smooth
// gradients with fine noise, as a camera gives, so that the codecs do real
// work), the bundled plug-ins of the build, and timing of interleaved runs.
#pragma once

#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/viewer/SPI.h"

namespace quillet::bench {

// A `width` × `height` picture saved as `format` at `path` (kept between runs).
inline std::string PhotoFile(const std::string& path, int width, int height, const char* format) {
  if (std::filesystem::exists(path)) return path;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  QImage image(width, height, QImage::Format_RGB32);
  QRandomGenerator random(7);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int noise = static_cast<int>(random.bounded(24u));
      line[x] = qRgb((x * 255 / width + noise) & 0xFF, (y * 255 / height + noise) & 0xFF,
                     ((x + y) * 255 / (width + height) + noise) & 0xFF);
    }
  }
  QImageWriter writer(QString::fromStdString(path), format);
  writer.setQuality(90);
  if (!writer.write(image)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(2);
  }
  return path;
}

// The plug-ins built beside the program.
inline void LoadBundledPlugins(TSPIs& spis) {
  if (spis.LoadFromPath(QUILLET_PLUGIN_BUILD_DIR "/*.spi") < 3) {
    std::fprintf(stderr, "the bundled plug-ins are not in %s\n", QUILLET_PLUGIN_BUILD_DIR);
    std::exit(2);
  }
}

inline double Millis(const std::function<void()>& work) {
  const auto begin = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Runs `ours` and `peer` alternately `rounds` times after one warm-up each
// and prints the summary line with the medians.
inline int Compare(const char* name, const char* peerName, int rounds, const std::function<void()>& ours,
                   const std::function<void()>& peer) {
  ours();
  peer();
  std::vector<double> ourTimes, peerTimes;
  for (int i = 0; i < rounds; ++i) {
    ourTimes.push_back(Millis(ours));
    peerTimes.push_back(Millis(peer));
  }
  const double our = Median(ourTimes), their = Median(peerTimes);
  std::printf("%s: ours median %.2f ms, %s median %.2f ms over %d rounds\n", name, our, peerName, their, rounds);
  std::printf("BENCH %s %.2f ms ratio %.2f vs %s\n", name, our, our / their, peerName);
  return 0;
}

}  // namespace quillet::bench
