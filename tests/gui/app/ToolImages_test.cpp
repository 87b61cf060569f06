// Tests of TToolImages: the drawn images and their icons, and the
// replacement by a strip with magenta transparent. Qt is the reference where
// it has one: QIcon's pixmaps, QImage::mirrored, createMaskFromColor and the
// BMP writer and reader.
#include "gui/app/ToolImages.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace quillet {
namespace {

constexpr int kN = TToolImages::kDesignedCount;
constexpr QRgb kMagenta = qRgb(255, 0, 255);

bool Same(const QImage& a, const QImage& b) {
  return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

// Image i, pixel (u, y) of a colour of its own, magenta on the diagonal.
QImage PatternStrip(int count) {
  QImage strip(count * 16, 16, QImage::Format_RGB32);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < strip.width(); ++x)
      strip.setPixel(x, y, x % 16 == y ? kMagenta : qRgb(x / 16 * 10, x % 16 * 16, y * 16));
  return strip;
}

TEST(ToolImagesDesigned, TwentyFiveDistinctOpaqueOrClearImagesWithoutMagenta) {
  // Opaque-or-clear and no magenta make a rendered strip load back unchanged.
  TToolImages images;
  ASSERT_EQ(images.Count(), 25);
  EXPECT_EQ(images.StripWidth(), 24 * 16);
  for (int i = 0; i < kN; ++i) {
    const QImage image = images.Image(i);
    ASSERT_EQ(image.size(), QSize(16, 16));
    int opaque = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const QRgb pixel = image.pixel(x, y);
        ASSERT_TRUE(qAlpha(pixel) == 0 || qAlpha(pixel) == 255) << i << " at " << x << "," << y;
        ASSERT_FALSE(qAlpha(pixel) == 255 && pixel == kMagenta) << i << " at " << x << "," << y;
        opaque += qAlpha(pixel) == 255;
      }
    EXPECT_GT(opaque, 10) << i;
    EXPECT_LT(opaque, 246) << i;
    for (int j = i + 1; j < kN; ++j) EXPECT_FALSE(Same(image, images.Image(j))) << i << " vs " << j;
    EXPECT_TRUE(Same(images.Icon(i).pixmap(QSize(16, 16)).toImage(), image)) << i;
  }
  EXPECT_TRUE(images.Icon(kN).isNull());
  EXPECT_TRUE(images.Image(-1).isNull());
}

TEST(ToolImagesLoad, OnlyTheExactSizeReplacesTheList) {
  const struct {
    const char* name;
    int width, height;
    bool accepted;
  } rows[] = {{"Exact", 384, 16, true},          {"OnePixelTooWide", 385, 16, false},
              {"OnePixelTooNarrow", 383, 16, false}, {"OnePixelTooHigh", 384, 17, false},
              {"OnePixelTooLow", 384, 15, false},  {"AsManyImagesAsTheList", 400, 16, false},
              {"Null", 0, 0, false}};
  for (const auto& c : rows) {
    SCOPED_TRACE(c.name);
    TToolImages images;
    QSignalSpy changed(&images, &TToolImages::Changed);
    QImage strip;
    if (c.width > 0) {
      strip = QImage(c.width, c.height, QImage::Format_RGB32);
      strip.fill(qRgb(1, 2, 3));
    }
    EXPECT_EQ(images.LoadFromStrip(strip), c.accepted);
    EXPECT_EQ(changed.count(), c.accepted ? 1 : 0);
    EXPECT_EQ(images.Count(), c.accepted ? c.width / 16 : kN);
    for (int i = 0; !c.accepted && i < kN; ++i)
      EXPECT_TRUE(Same(images.Image(i), TToolImages::DesignedImage(i))) << i;
  }
}

TEST(ToolImagesLoad, CutsTheStripWithMagentaTransparent) {
  TToolImages images;
  const QImage strip = PatternStrip(kN - 1);
  ASSERT_TRUE(images.LoadFromStrip(strip));
  ASSERT_EQ(images.Count(), kN - 1);
  for (int i = 0; i < images.Count(); ++i) {
    const QImage cut = strip.copy(i * 16, 0, 16, 16);
    const QImage mask = cut.createMaskFromColor(kMagenta, Qt::MaskOutColor);
    const QImage shown = images.Icon(i).pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        ASSERT_EQ(shown.pixel(x, y), mask.pixelIndex(x, y) ? cut.pixel(x, y) : 0u) << i << " at " << x << "," << y;
  }
  // The list lost its spare image, so the next strip must be one image shorter.
  EXPECT_FALSE(images.LoadFromStrip(strip));
  EXPECT_TRUE(images.LoadFromStrip(PatternStrip(kN - 2)));
}

TEST(ToolImagesLoad, RenderedStripSurvivesABmpFileAndLoadsBackUnchanged) {
  // What a user starts an own CoolBar.bmp from.
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  TToolImages images;
  EXPECT_EQ(images.RenderStrip().size(), QSize(kN * 16, 16));
  const QString path = dir.filePath(QStringLiteral("CoolBar.bmp"));
  ASSERT_TRUE(images.RenderStrip(images.Count() - 1).save(path, "BMP"));
  ASSERT_TRUE(images.LoadFromStrip(QImage(path)));
  for (int i = 0; i < images.Count(); ++i) EXPECT_TRUE(Same(images.Image(i), TToolImages::DesignedImage(i))) << i;
}

}  // namespace
}  // namespace quillet
