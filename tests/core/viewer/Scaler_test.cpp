// The thumbnail size rule and the area-averaging scaler, against a plain
// reference that visits every source pixel of every destination pixel, and
// against ImageMagick's box scaling where it is installed.
#include "core/viewer/Scaler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

TDib RandomDib(std::mt19937& rng, int width, int height) {
  TDib dib;
  dib.Width = width;
  dib.Height = height;
  dib.Bits.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  for (auto& b : dib.Bits) b = static_cast<std::uint8_t>(rng() & 0xFF);
  return dib;
}

// The unrounded channel values of the scaled picture: for each destination
// pixel, every source pixel weighted by the length of its overlap with the
// covered rectangle in x times in y, divided by the weights taken.
std::vector<double> Reference(const TDib& src, int w, int h) {
  const double sx = static_cast<double>(src.Width) / w;
  const double sy = static_cast<double>(src.Height) / h;
  const auto overlap = [](double start, double end, int p) {
    return std::max(0.0, std::min(end, p + 1.0) - std::max(start, static_cast<double>(p)));
  };
  std::vector<double> out;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double x0 = x * sx, x1 = (x + 1) * sx - 0.000001, y0 = y * sy, y1 = (y + 1) * sy - 0.000001;
      double sum[3] = {0, 0, 0};
      double weights = 0;
      for (int j = 0; j < src.Height; ++j) {
        const double wy = overlap(y0, y1, j);
        if (wy <= 0) continue;
        for (int i = 0; i < src.Width; ++i) {
          const double wx = overlap(x0, x1, i);
          if (wx <= 0) continue;
          weights += wx * wy;
          for (int c = 0; c < 3; ++c) sum[c] += wx * wy * src.Row(j)[i * 3 + c];
        }
      }
      for (double s : sum) out.push_back(s / weights);
    }
  }
  return out;
}

// Rounded to nearest; within a hair of a half either neighbour is right.
void ExpectMatchesReference(const TDib& src, int w, int h) {
  const TDib got = AreaAverage(src, w, h);
  ASSERT_EQ(got.Width, std::max(w, 1));
  ASSERT_EQ(got.Height, std::max(h, 1));
  const std::vector<double> want = Reference(src, got.Width, got.Height);
  ASSERT_EQ(got.Bits.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    const double v = want[i];
    const bool nearHalf = std::abs(v - std::floor(v) - 0.5) < 1e-6;
    if (nearHalf)
      EXPECT_TRUE(got.Bits[i] == std::floor(v) || got.Bits[i] == std::floor(v) + 1) << i;
    else
      ASSERT_EQ(got.Bits[i], static_cast<int>(std::floor(v + 0.5)))
          << src.Width << "x" << src.Height << " -> " << w << "x" << h << " byte " << i << " want " << v;
  }
}

TEST(Scaler, ThumbnailSizeRule) {
  struct {
    int w, h, s, tw, th;
  } cases[] = {
      {200, 100, 96, 96, 48},      // wider than high
      {100, 200, 96, 48, 96},      // higher than wide
      {50, 40, 96, 50, 40},        // small pictures keep their size
      {96, 96, 96, 96, 96},        // exactly the size
      {97, 96, 96, 96, 95},        // 96 × 96 / 97 truncated
      {5000, 1, 96, 96, 1},        // never below 1
      {1, 5000, 96, 1, 96},
      {65535, 65534, 65535, 65535, 65534},
      {4000, 3000, 96, 96, 72},
      {10, 10, 0, 1, 1},           // a size below 1 counts as 1
  };
  for (const auto& c : cases)
    EXPECT_EQ(ThumbnailSize(c.w, c.h, c.s), (TThumbSize{c.tw, c.th})) << c.w << "x" << c.h << " at " << c.s;
}

TEST(Scaler, MatchesThePlainReferenceOnRandomPictures) {
  std::mt19937 rng(20050307);
  std::uniform_int_distribution<int> side(1, 40);
  for (int round = 0; round < 300; ++round) {
    const TDib src = RandomDib(rng, side(rng), side(rng));
    ExpectMatchesReference(src, side(rng), side(rng));  // reductions, enlargements and mixtures
  }
  std::mt19937 one(1);
  ExpectMatchesReference(RandomDib(one, 1, 1), 7, 3);
  ExpectMatchesReference(RandomDib(one, 200, 100), 96, 48);
  ExpectMatchesReference(RandomDib(one, 123, 77), 1, 1);
  ExpectMatchesReference(RandomDib(one, 3, 2), 0, -5);  // forced to 1 × 1
}

TEST(Scaler, UniformColoursStayExact) {
  // Dividing by sx × sy with the shortened spans gave 254 for 255, and
  // whole levels less when enlarging many times.
  const std::uint8_t colours[][3] = {{255, 255, 255}, {0, 0, 0}, {1, 128, 254}, {77, 200, 13}};
  const int sizes[][4] = {{200, 100, 96, 48}, {4000, 3, 96, 1}, {7, 13, 3, 5}, {1, 1, 1000, 700},
                          {3, 2, 65535, 1}, {99, 97, 98, 96}};
  for (const auto& c : colours) {
    for (const auto& s : sizes) {
      TDib src;
      src.Width = s[0];
      src.Height = s[1];
      for (int i = 0; i < s[0] * s[1]; ++i) src.Bits.insert(src.Bits.end(), c, c + 3);
      const TDib out = AreaAverage(src, s[2], s[3]);
      ASSERT_EQ(out.Bits.size(), static_cast<std::size_t>(s[2]) * static_cast<std::size_t>(s[3]) * 3);
      for (std::size_t i = 0; i < out.Bits.size(); ++i)
        ASSERT_EQ(out.Bits[i], c[i % 3]) << s[0] << "x" << s[1] << " -> " << s[2] << "x" << s[3];
    }
  }
}

TEST(Scaler, ThumbnailsAndRefusals) {
  std::mt19937 rng(7);
  const TDib small = RandomDib(rng, 50, 40);
  EXPECT_EQ(MakeThumbnail(small, 96).Bits, small.Bits);
  const TDib wide = MakeThumbnail(RandomDib(rng, 200, 100), 96);
  EXPECT_EQ(wide.Width, 96);
  EXPECT_EQ(wide.Height, 48);

  std::string error;
  EXPECT_TRUE(AreaAverage(TDib{}, 5, 5, &error).Empty());
  EXPECT_FALSE(error.empty());
  TDib zeroWide;
  zeroWide.Height = 4;
  EXPECT_TRUE(MakeThumbnail(zeroWide, 96, &error).Empty());
  TDib shortBits = small;
  shortBits.Bits.pop_back();
  error.clear();
  EXPECT_TRUE(AreaAverage(shortBits, 5, 5, &error).Empty());
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(MakeThumbnail(shortBits, 96).Empty());  // unscaled copies are checked too
  EXPECT_TRUE(AreaAverage(small, kMaxDibSide + 1, 1).Empty());
}

// ImageMagick's -scale averages pixel areas the same way (in 16-bit
// quantum, so a level apart at most).
TEST(Scaler, AgreesWithImageMagickScale) {
  std::string out;
  if (!test::RunCommand("convert -version 2>/dev/null", out)) GTEST_SKIP() << "ImageMagick is not installed";
  test::TTempFolder tmp;
  std::mt19937 rng(11);
  const int sizes[][4] = {{203, 157, 61, 43}, {640, 480, 96, 72}, {17, 9, 40, 31}};
  for (const auto& s : sizes) {
    const TDib src = RandomDib(rng, s[0], s[1]);
    std::string ppm = "P6\n" + std::to_string(s[0]) + " " + std::to_string(s[1]) + "\n255\n";
    for (std::size_t i = 0; i < src.Bits.size(); i += 3)  // BGR to RGB
      ppm += {static_cast<char>(src.Bits[i + 2]), static_cast<char>(src.Bits[i + 1]), static_cast<char>(src.Bits[i])};
    test::WriteRaw(tmp / "in.ppm", ppm);
    const std::string size = std::to_string(s[2]) + "x" + std::to_string(s[3]) + "!";
    ASSERT_TRUE(test::RunCommand("convert '" + (tmp / "in.ppm") + "' -scale " + size + " -depth 8 '" +
                                     (tmp / "out.ppm") + "' 2>&1",
                                 out))
        << out;
    const std::string theirs = test::ReadRaw(tmp / "out.ppm");
    const TDib ours = AreaAverage(src, s[2], s[3]);
    const std::size_t header = theirs.size() - ours.Bits.size();
    ASSERT_GT(theirs.size(), ours.Bits.size());
    int worst = 0;
    for (std::size_t i = 0; i < ours.Bits.size(); i += 3)
      for (std::size_t c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(static_cast<int>(static_cast<unsigned char>(theirs[header + i + 2 - c])) -
                                         static_cast<int>(ours.Bits[i + c])));
    EXPECT_LE(worst, 1) << s[0] << "x" << s[1] << " -> " << size;
  }
}

}  // namespace
}  // namespace quillet
