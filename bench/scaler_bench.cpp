// The thumbnail of a 4000 × 3000 photo: AreaAverage to 96 × 72 against the
// rule written down directly (for each destination pixel, every covered
// source pixel with its x and y overlap computed on the spot), on the same
// random picture, best of five runs each.
//
// The last line is
//   BENCH area-average-4000x3000 <ms> ms ratio <ours / naive time> vs naive-reference
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "core/viewer/Scaler.h"

namespace {

using quillet::TDib;

TDib Naive(const TDib& src, int w, int h) {
  const double sx = static_cast<double>(src.Width) / w;
  const double sy = static_cast<double>(src.Height) / h;
  TDib out;
  out.Width = w;
  out.Height = h;
  out.Bits.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3);
  for (int y = 0; y < h; ++y) {
    const double y0 = y * sy, y1 = (y + 1) * sy - 0.000001;
    for (int x = 0; x < w; ++x) {
      const double x0 = x * sx, x1 = (x + 1) * sx - 0.000001;
      double sum[3] = {0, 0, 0};
      double weights = 0;
      for (int j = static_cast<int>(y0); j <= std::min(static_cast<int>(y1), src.Height - 1); ++j) {
        const double wy = std::min(y1, j + 1.0) - std::max(y0, static_cast<double>(j));
        for (int i = static_cast<int>(x0); i <= std::min(static_cast<int>(x1), src.Width - 1); ++i) {
          const double wx = std::min(x1, i + 1.0) - std::max(x0, static_cast<double>(i));
          const std::uint8_t* p = src.Row(j) + i * 3;
          for (int c = 0; c < 3; ++c) sum[c] += wx * wy * p[c];
          weights += wx * wy;
        }
      }
      for (int c = 0; c < 3; ++c)
        out.Row(y)[x * 3 + c] = static_cast<std::uint8_t>(std::clamp(std::floor(sum[c] / weights + 0.5), 0.0, 255.0));
    }
  }
  return out;
}

template <typename TScale>
double BestMs(TScale scale, TDib& result) {
  double best = 1e300;
  for (int run = 0; run < 5; ++run) {
    const auto begin = std::chrono::steady_clock::now();
    result = scale();
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
  }
  return best;
}

}  // namespace

int main() {
  TDib photo;
  photo.Width = 4000;
  photo.Height = 3000;
  photo.Bits.resize(4000u * 3000u * 3u);
  std::mt19937 rng(42);
  for (auto& b : photo.Bits) b = static_cast<std::uint8_t>(rng());
  const quillet::TThumbSize size = quillet::ThumbnailSize(photo.Width, photo.Height, 96);
  TDib ours;
  TDib naive;
  const double oursMs = BestMs([&] { return quillet::AreaAverage(photo, size.Width, size.Height); }, ours);
  const double naiveMs = BestMs([&] { return Naive(photo, size.Width, size.Height); }, naive);
  int worst = 0;
  for (std::size_t i = 0; i < ours.Bits.size(); ++i) worst = std::max(worst, std::abs(ours.Bits[i] - naive.Bits[i]));
  if (ours.Width != 96 || ours.Height != 72 || worst > 1) {
    std::fprintf(stderr, "scaler_bench: results differ (%dx%d, by %d)\n", ours.Width, ours.Height, worst);
    return 1;
  }
  std::printf("naive reference: %.2f ms\n", naiveMs);
  std::printf("BENCH area-average-4000x3000 %.2f ms ratio %.2f vs naive-reference\n", oursMs, oursMs / naiveMs);
  return 0;
}
