// Tests of the bundled image plug-ins (jpeg.spi, png.spi, gif.spi) as an
// outside program uses them: loaded with dlopen(), called through
// quillet/spi.h only. Pictures are made here (PNG of every colour type and
// depth and GIF with libpng's and giflib's encoders, JPEG with Qt's writer
// and a CMYK one with libjpeg) and every decode is compared with Qt's
// QImageReader, alpha composited over white as the plug-ins promise. Each
// good picture is decoded from memory and from a file at an offset, and the
// two must agree.
#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <malloc.h>
#include <png.h>
#include <random>

#include "quillet/spi.h"

namespace quillet {
namespace {

using TGetPicture = decltype(&GetPicture);

struct TSpi {
  void* Handle = nullptr;
  decltype(&GetPluginInfo) Info = nullptr;
  decltype(&IsSupported) Supported = nullptr;
  decltype(&GetPictureInfo) PictureInfo = nullptr;
  TGetPicture Picture = nullptr;
  TGetPicture Preview = nullptr;

  explicit TSpi(const char* path) : Handle(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (Handle == nullptr) return;
    Info = reinterpret_cast<decltype(Info)>(dlsym(Handle, "GetPluginInfo"));
    Supported = reinterpret_cast<decltype(Supported)>(dlsym(Handle, "IsSupported"));
    PictureInfo = reinterpret_cast<decltype(PictureInfo)>(dlsym(Handle, "GetPictureInfo"));
    Picture = reinterpret_cast<TGetPicture>(dlsym(Handle, "GetPicture"));
    Preview = reinterpret_cast<TGetPicture>(dlsym(Handle, "GetPreview"));
  }
  ~TSpi() {
    if (Handle != nullptr) dlclose(Handle);
  }
  QString Text(int number) const {
    char buf[256];
    return Info(number, buf, sizeof buf) > 0 ? QString::fromUtf8(buf) : QString();
  }
};

TSpi& Jpeg() { static TSpi spi(QUILLET_SPI_JPEG); return spi; }
TSpi& Png() { static TSpi spi(QUILLET_SPI_PNG); return spi; }
TSpi& Gif() { static TSpi spi(QUILLET_SPI_GIF); return spi; }

// The two blocks as a QImage, after checking them against the interface's
// rules; null when they break one.
QImage FromBlocks(void* info, void* bits) {
  SpiBitmapInfoHeader h;
  std::memcpy(&h, info, sizeof h);
  const int width = h.width, height = std::abs(h.height);
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const bool ok = h.size == 40 && h.planes == 1 && h.bit_count == 24 && h.compression == SPI_BI_RGB && width > 0 &&
                  height > 0 && malloc_usable_size(bits) >= stride * static_cast<std::size_t>(height) &&
                  (h.size_image == 0 || h.size_image == stride * static_cast<std::size_t>(height));
  QImage image;
  if (ok) image = QImage(width, height, QImage::Format_RGB888);
  for (int y = 0; ok && y < height; ++y) {
    const auto* in = static_cast<const uchar*>(bits) + stride * static_cast<std::size_t>(h.height < 0 ? y : height - 1 - y);
    uchar* out = image.scanLine(y);
    for (int x = 0; x < width * 3; x += 3) out[x] = in[x + 2], out[x + 1] = in[x + 1], out[x + 2] = in[x];
  }
  std::free(info);
  std::free(bits);
  return image;
}

QImage Call(TGetPicture entry, const char* buf, intptr_t len, uint32_t flag, int32_t* result = nullptr) {
  void* info = nullptr;
  void* bits = nullptr;
  const int32_t r = entry(buf, len, flag, &info, &bits, nullptr, 0);
  if (result != nullptr) *result = r;
  return r == SPI_ALL_RIGHT ? FromBlocks(info, bits) : QImage();
}

// Decodes from memory and from a file where the data starts after 100 bytes
// of something else; both must agree.
QImage Decode(TGetPicture entry, const QByteArray& data) {
  const QImage fromMemory = Call(entry, data.constData(), data.size(), SPI_INPUT_MEMORY);
  QTemporaryDir dir;
  QFile file(dir.filePath("picture"));
  const bool written = file.open(QIODevice::WriteOnly) && file.write(QByteArray(100, 'x') + data) > 0;
  file.close();
  const QImage fromFile = Call(entry, QFile::encodeName(file.fileName()).constData(), 100, SPI_INPUT_FILE);
  EXPECT_TRUE(written);
  EXPECT_EQ(fromMemory, fromFile);
  return fromMemory;
}

// Qt's reading of `data` as 24-bit with alpha over white.
QImage Reference(const QByteArray& data) {
  QBuffer buffer;
  buffer.setData(data);
  QImage image = QImageReader(&buffer).read().convertToFormat(QImage::Format_ARGB32);
  QImage out(image.size(), QImage::Format_RGB888);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      const auto over = [a = static_cast<unsigned>(qAlpha(p))](int c) { return int((unsigned(c) * a + 255 * (255 - a) + 127) / 255); };
      out.setPixel(x, y, qRgb(over(qRed(p)), over(qGreen(p)), over(qBlue(p))));
    }
  return out;
}

int MaxDifference(const QImage& a, const QImage& b) {
  if (a.size() != b.size() || a.isNull()) return 256;
  int worst = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width() * 3; ++x) worst = std::max(worst, std::abs(a.constScanLine(y)[x] - b.constScanLine(y)[x]));
  return worst;
}

struct TPngCase {
  const char* Name;
  int ColorType, BitDepth;
  bool Trns = false, Interlace = false;
};

// A 37 x 23 PNG of random samples (odd width, so rows need padding); with
// tRNS the colour of the first pixel (or random palette alpha) is transparent.
QByteArray MakePng(const TPngCase& c, png_uint_32 width = 37, png_uint_32 height = 23) {
  QByteArray out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, [](png_structp p, png_bytep d, png_size_t n) {
    static_cast<QByteArray*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(d), qsizetype(n)); }, nullptr);
  png_set_IHDR(png, info, width, height, c.BitDepth, c.ColorType, c.Interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::mt19937 random(unsigned(c.ColorType * 100 + c.BitDepth));
  std::vector<png_color> palette(std::size_t{1} << std::min(c.BitDepth, 8));
  std::vector<png_byte> alphas(palette.size());
  for (std::size_t i = 0; i < palette.size(); ++i)
    palette[i] = {png_byte(random()), png_byte(random()), png_byte(random())}, alphas[i] = png_byte(random());
  if (c.ColorType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<png_byte> pixels(rowBytes * height);
  for (auto& b : pixels) b = png_byte(random());
  png_color_16 key{0, pixels[0], pixels[1], pixels[2], pixels[0]};
  if (c.Trns) png_set_tRNS(png, info, alphas.data(), int(alphas.size()), &key);
  png_write_info(png, info);
  std::vector<png_bytep> rows(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = pixels.data() + y * rowBytes;
  png_write_image(png, rows.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// A GIF with a 16-colour global map and frames given as (left, top, width,
// height, interlaced, local map, transparent index or -1).
struct TGifFrame { int Left, Top, Width, Height; bool Interlace, Local; int Transparent; };
QByteArray MakeGif(int width, int height, std::initializer_list<TGifFrame> frames) {
  QByteArray out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, [](GifFileType* g, const GifByteType* d, int n) {
    static_cast<QByteArray*>(g->UserData)->append(reinterpret_cast<const char*>(d), n); return n; }, &error);
  EGifSetGifVersion(gif, true);
  std::mt19937 random(7);
  const auto makeMap = [&random] {
    GifColorType colours[16];
    for (auto& c : colours) c = {GifByteType(random()), GifByteType(random()), GifByteType(random())};
    return GifMakeMapObject(16, colours);
  };
  ColorMapObject* global = makeMap();
  EGifPutScreenDesc(gif, width, height, 8, 0, global);
  for (const TGifFrame& f : frames) {
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 10, f.Transparent};
    GifByteType block[4];
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(EGifGCBToExtension(&control, block)), block);
    ColorMapObject* local = f.Local ? makeMap() : nullptr;
    EGifPutImageDesc(gif, f.Left, f.Top, f.Width, f.Height, f.Interlace, local);
    std::vector<GifPixelType> line(std::size_t(f.Width));
    for (int y = 0; y < f.Height; ++y) {  // random rows: their order does not matter
      for (auto& p : line) p = GifPixelType(random() % 16);
      EGifPutLine(gif, line.data(), f.Width);
    }
    GifFreeMapObject(local);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(global);
  return out;
}

QByteArray QtJpeg(const QImage& image, bool progressive) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(progressive);
  writer.write(image);
  return buffer.data();
}

// A gradient with some detail, width x height.
QImage TestPicture(int width, int height, QImage::Format format = QImage::Format_RGB888) {
  QImage image(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x ^ y) & 0xFF));
  return image.convertToFormat(format);
}

TEST(BundledPlugins, DescribeThemselvesAndKnowTheirBytesOnly) {
  const QByteArray samples[] = {QtJpeg(TestPicture(8, 8), false), MakePng({"rgb", PNG_COLOR_TYPE_RGB, 8}),
                                MakeGif(4, 4, {{0, 0, 4, 4, false, false, -1}})};
  TSpi* spis[] = {&Jpeg(), &Png(), &Gif()};
  const char* masks[] = {"*.jpg;*.jpeg;*.jpe;*.jfif", "*.png", "*.gif"};
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(spis[i]->Handle, nullptr) << dlerror();
    EXPECT_EQ(spis[i]->Text(0), "00IN");
    EXPECT_TRUE(spis[i]->Text(1).startsWith("Quillet "));
    EXPECT_EQ(spis[i]->Text(2), masks[i]);
    EXPECT_FALSE(spis[i]->Text(3).isEmpty());
    EXPECT_TRUE(spis[i]->Text(4).isEmpty());
    for (int j = 0; j < 3; ++j) {
      QByteArray header = samples[j].left(SPI_HEADER_SIZE);
      header.resize(SPI_HEADER_SIZE, '\0');
      EXPECT_EQ(spis[i]->Supported("x", header.constData()) != 0, i == j) << i << " " << j;
    }
  }
  char small[4];
  EXPECT_EQ(Jpeg().Info(1, small, sizeof small), 3);  // cut to the buffer, NUL-terminated
  EXPECT_STREQ(small, "Qui");
}

TEST(BundledPlugins, PngOfEveryColourTypeAndDepthMatchesQt) {
  const TPngCase cases[] = {
      {"gray1", PNG_COLOR_TYPE_GRAY, 1}, {"gray2", PNG_COLOR_TYPE_GRAY, 2}, {"gray4", PNG_COLOR_TYPE_GRAY, 4},
      {"gray8", PNG_COLOR_TYPE_GRAY, 8}, {"gray16", PNG_COLOR_TYPE_GRAY, 16},
      {"gray8 tRNS", PNG_COLOR_TYPE_GRAY, 8, true}, {"gray+alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
      {"gray+alpha16", PNG_COLOR_TYPE_GRAY_ALPHA, 16}, {"palette1", PNG_COLOR_TYPE_PALETTE, 1},
      {"palette2", PNG_COLOR_TYPE_PALETTE, 2}, {"palette4", PNG_COLOR_TYPE_PALETTE, 4},
      {"palette8", PNG_COLOR_TYPE_PALETTE, 8}, {"palette8 tRNS", PNG_COLOR_TYPE_PALETTE, 8, true},
      {"rgb8", PNG_COLOR_TYPE_RGB, 8}, {"rgb16", PNG_COLOR_TYPE_RGB, 16}, {"rgb8 tRNS", PNG_COLOR_TYPE_RGB, 8, true},
      {"rgba8", PNG_COLOR_TYPE_RGBA, 8}, {"rgba16", PNG_COLOR_TYPE_RGBA, 16},
      {"interlaced palette4 tRNS", PNG_COLOR_TYPE_PALETTE, 4, true, true},
      {"interlaced rgb16", PNG_COLOR_TYPE_RGB, 16, false, true},
      {"interlaced rgba8", PNG_COLOR_TYPE_RGBA, 8, false, true},
  };
  for (const TPngCase& c : cases) {
    const QByteArray data = MakePng(c);
    EXPECT_EQ(MaxDifference(Decode(Png().Picture, data), Reference(data)), 0) << c.Name;
    SpiPictureInfo info{};
    EXPECT_EQ(Png().PictureInfo(data.constData(), data.size(), SPI_INPUT_MEMORY, &info), SPI_ALL_RIGHT);
    EXPECT_EQ(info.width * 1000 + info.height, 37023) << c.Name;
  }
}

TEST(BundledPlugins, JpegMatchesQt) {
  const QImage picture = TestPicture(101, 67);
  const QByteArray cases[] = {QtJpeg(picture, false), QtJpeg(picture, true),
                              QtJpeg(picture.convertToFormat(QImage::Format_Grayscale8), false)};
  for (const QByteArray& data : cases) EXPECT_LE(MaxDifference(Decode(Jpeg().Picture, data), Reference(data)), 2);

  // CMYK, which Qt cannot write: libjpeg writes it with the Adobe marker.
  jpeg_compress_struct cinfo;
  jpeg_error_mgr error;
  cinfo.err = jpeg_std_error(&error);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &out, &size);
  cinfo.image_width = 40, cinfo.image_height = 30, cinfo.input_components = 4, cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(40 * 4);
  while (cinfo.next_scanline < 30) {
    for (std::size_t i = 0; i < row.size(); ++i) row[i] = JSAMPLE(i * 7 + cinfo.next_scanline * 5);
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  const QByteArray cmyk(reinterpret_cast<const char*>(out), qsizetype(size));
  std::free(out);
  EXPECT_LE(MaxDifference(Decode(Jpeg().Picture, cmyk), Reference(cmyk)), 2);
}

TEST(BundledPlugins, JpegPreviewIsTheSmallestScaleOfAtLeast256Pixels) {
  struct { int Width, Height, PreviewWidth, PreviewHeight; } cases[] = {
      {2048, 100, 256, 13},   // 1/8 already reaches 256
      {2047, 100, 256, 13},   // 1/8 rounds up to 256
      {2000, 1000, 500, 250}, // 1/8 is 250: 1/4
      {512, 512, 256, 256},   // 1/2
      {300, 200, 300, 200},   // even 1/2 is too small: full size
  };
  for (const auto& c : cases) {
    const QByteArray data = QtJpeg(TestPicture(c.Width, c.Height), false);
    EXPECT_EQ(Decode(Jpeg().Preview, data).size(), QSize(c.PreviewWidth, c.PreviewHeight)) << c.Width;
    EXPECT_EQ(Decode(Jpeg().Picture, data).size(), QSize(c.Width, c.Height));
  }
  int32_t result = 0;
  const QByteArray png = MakePng({"rgb", PNG_COLOR_TYPE_RGB, 8});
  Call(Png().Preview, png.constData(), png.size(), SPI_INPUT_MEMORY, &result);
  EXPECT_EQ(result, SPI_NO_FUNCTION);
}

TEST(BundledPlugins, GifFirstFrameOnItsScreenMatchesQt) {
  const QByteArray cases[] = {
      MakeGif(21, 13, {{0, 0, 21, 13, false, false, -1}, {0, 0, 21, 13, false, true, -1}}),  // first of two frames
      MakeGif(21, 13, {{0, 0, 21, 13, true, true, -1}}),                                      // interlaced, local map
      MakeGif(21, 13, {{5, 3, 9, 7, false, false, 2}}),  // within the screen, index 2 transparent
  };
  for (const QByteArray& data : cases) EXPECT_EQ(MaxDifference(Decode(Gif().Picture, data), Reference(data)), 0);
  const QImage placed = Decode(Gif().Picture, cases[2]);
  EXPECT_EQ(placed.pixel(0, 0), qRgb(255, 255, 255));  // outside the frame
  EXPECT_EQ(placed.pixel(20, 12), qRgb(255, 255, 255));
}

struct TProgressLog {
  int Calls = 0, AbortAt = -1;
  bool Sane = true;
  int32_t LastDone = -1, LastTotal = 0;
  static int32_t Callback(int32_t done, int32_t total, intptr_t user) {
    auto* log = reinterpret_cast<TProgressLog*>(user);
    log->Sane = log->Sane && total > 0 && done >= 0 && done <= total && done >= log->LastDone;
    log->LastDone = done, log->LastTotal = total;
    return ++log->Calls == log->AbortAt ? 1 : 0;
  }
};

TEST(BundledPlugins, ProgressRunsToTheEndAndAbortStops) {
  const QByteArray samples[] = {QtJpeg(TestPicture(64, 200), true),
                                MakePng({"ia", PNG_COLOR_TYPE_RGBA, 8, false, true}, 64, 200),
                                MakeGif(64, 200, {{0, 0, 64, 200, true, false, -1}})};
  TSpi* spis[] = {&Jpeg(), &Png(), &Gif()};
  for (int i = 0; i < 3; ++i) {
    void* info = reinterpret_cast<void*>(1);  // must stay untouched when nothing comes back
    void* bits = reinterpret_cast<void*>(1);
    TProgressLog full;
    ASSERT_EQ(spis[i]->Picture(samples[i].constData(), samples[i].size(), SPI_INPUT_MEMORY, &info, &bits,
                               TProgressLog::Callback, reinterpret_cast<intptr_t>(&full)), SPI_ALL_RIGHT);
    FromBlocks(info, bits);
    EXPECT_TRUE(full.Sane && full.Calls > 2 && full.LastDone == full.LastTotal) << i;
    info = bits = reinterpret_cast<void*>(1);
    TProgressLog aborting;
    aborting.AbortAt = 2;
    EXPECT_EQ(spis[i]->Picture(samples[i].constData(), samples[i].size(), SPI_INPUT_MEMORY, &info, &bits,
                               TProgressLog::Callback, reinterpret_cast<intptr_t>(&aborting)), SPI_ABORT) << i;
    EXPECT_EQ(aborting.Calls, 2);
    EXPECT_TRUE((info == reinterpret_cast<void*>(1) || info == nullptr) && (bits == reinterpret_cast<void*>(1) || bits == nullptr));
  }
}

TEST(BundledPlugins, BrokenInputIsRefusedWithoutAPicture) {
  std::mt19937 random(3);
  QByteArray noise(4000, '\0');
  for (char& b : noise) b = char(random());
  const QByteArray good[] = {QtJpeg(TestPicture(200, 200), false), MakePng({"rgb", PNG_COLOR_TYPE_RGB, 8}),
                             MakeGif(20, 20, {{0, 0, 20, 20, false, false, -1}})};
  TSpi* spis[] = {&Jpeg(), &Png(), &Gif()};
  for (int i = 0; i < 3; ++i) {
    const QByteArray magic = good[i].left(8);
    for (const QByteArray& bad : {good[i].left(good[i].size() * 3 / 4), magic + noise, noise, QByteArray()}) {
      int32_t result = 0;
      EXPECT_TRUE(Call(spis[i]->Picture, bad.constData(), bad.size(), SPI_INPUT_MEMORY, &result).isNull());
      EXPECT_TRUE(result == SPI_OUT_OF_ORDER || result == SPI_NOT_SUPPORT) << i << " " << result;
    }
    int32_t result = 0;
    Call(spis[i]->Picture, "/nonexistent/picture", 0, SPI_INPUT_FILE, &result);
    EXPECT_EQ(result, SPI_FILE_READ_ERROR);
    SpiPictureInfo info{};
    EXPECT_NE(spis[i]->PictureInfo(noise.constData(), noise.size(), SPI_INPUT_MEMORY, &info), SPI_ALL_RIGHT);
  }
  // A whole, valid PNG 70000 pixels wide: described, but not decoded.
  const QByteArray wide = MakePng({"wide", PNG_COLOR_TYPE_GRAY, 1}, 70000, 1);
  SpiPictureInfo info{};
  EXPECT_EQ(Png().PictureInfo(wide.constData(), wide.size(), SPI_INPUT_MEMORY, &info), SPI_ALL_RIGHT);
  EXPECT_EQ(info.width, 70000);
  int32_t result = 0;
  Call(Png().Picture, wide.constData(), wide.size(), SPI_INPUT_MEMORY, &result);
  EXPECT_EQ(result, SPI_NOT_SUPPORT);
}

}  // namespace
}  // namespace quillet
