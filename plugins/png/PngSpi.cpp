// png.spi: the bundled PNG import plug-in, on libpng.
//
// Every colour type and bit depth (gray 1/2/4/8/16, gray with alpha, palette
// 1/2/4/8, RGB and RGBA 8/16, a tRNS chunk), interlaced or not, comes out as
// 24-bit blue-green-red rows, the top row first. libpng's transforms do the
// widening: palette and low-depth gray expand to 8 bits, tRNS becomes alpha,
// 16 bits scale to 8 with rounding, gray becomes RGB. Alpha is then
// composited over white. Gamma and colour profiles are not applied, so the
// stored sample values come out unchanged.
//
// libpng reports broken data through its error function, which jumps back to
// the setjmp() in Decode; the buffers Decode allocates itself are kept in
// TJob so that path frees them. Pictures wider or taller than 65535 pixels
// are refused before any pixel memory is taken.
#include <csetjmp>
#include <cstdlib>
#include <iterator>
#include <limits>

#include <png.h>

#include "SpiSupport.h"

namespace quillet::plugin {
namespace {

const char* const kInfo[] = {"00IN", "Quillet PNG plug-in 1.0 (libpng)", "*.png", "PNG picture"};

struct TJob {
  TSpiInput* Input = nullptr;
  TSpiBitmap* Bitmap = nullptr;  // null: header only
  SpiPictureInfo* Info = nullptr;
  TSpiProgress Progress;
  png_bytep Buffer = nullptr;  // RGBA rows before compositing, malloc()ed
};

[[noreturn]] void ErrorFn(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void WarningFn(png_structp, png_const_charp) {}

void ReadFn(png_structp png, png_bytep data, png_size_t length) {
  if (static_cast<TSpiInput*>(png_get_io_ptr(png))->Read(data, length) != length) png_error(png, "truncated");
}

void CompositeRow(const png_byte* bgra, std::uint8_t* bgr, std::uint32_t width) {
  for (std::uint32_t x = 0; x < width; ++x, bgra += 4, bgr += 3) {
    bgr[0] = OverWhite(bgra[0], bgra[3]);
    bgr[1] = OverWhite(bgra[1], bgra[3]);
    bgr[2] = OverWhite(bgra[2], bgra[3]);
  }
}

std::uint16_t Dpi(png_structp png, png_infop info, bool horizontal) {
  png_uint_32 x = 0, y = 0;
  int unit = PNG_RESOLUTION_UNKNOWN;
  if (png_get_pHYs(png, info, &x, &y, &unit) == 0 || unit != PNG_RESOLUTION_METER) return 0;
  return DpiFromPerMetre(horizontal ? x : y);
}

// Fills the bitmap after png_read_info; false when the caller stopped it.
bool ReadPixels(TJob& job, png_structp png, png_infop info) {
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  png_set_expand(png);
  if (png_get_bit_depth(png, info) == 16) png_set_scale_16(png);
  if ((png_get_color_type(png, info) & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
  png_set_bgr(png);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const bool alpha = png_get_channels(png, info) == 4;
  // With alpha, interlaced rows are combined over several passes and so need
  // the whole picture in RGBA; otherwise one row is enough.
  if (alpha) {
    const std::size_t rows = passes > 1 ? height : 1;
    if (static_cast<std::size_t>(width) * 4u > std::numeric_limits<std::size_t>::max() / rows) png_error(png, "size");
    job.Buffer = static_cast<png_bytep>(std::malloc(static_cast<std::size_t>(width) * 4u * rows));
    if (job.Buffer == nullptr) png_error(png, "memory");
  }
  const std::uint64_t total = static_cast<std::uint64_t>(passes) * height;
  std::uint64_t done = 0;
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) {
      png_bytep row = job.Bitmap->Row(y);
      if (alpha) row = job.Buffer + (passes > 1 ? static_cast<std::size_t>(y) * width * 4u : 0);
      png_read_row(png, row, nullptr);
      if (alpha && passes == 1) CompositeRow(row, job.Bitmap->Row(y), width);
      if (job.Progress.Band(++done, total)) return false;
    }
  }
  if (alpha && passes > 1)
    for (png_uint_32 y = 0; y < height; ++y)
      CompositeRow(job.Buffer + static_cast<std::size_t>(y) * width * 4u, job.Bitmap->Row(y), width);
  return true;
}

std::int32_t Decode(TJob& job) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFn, WarningFn);
  if (png == nullptr) return SPI_NO_MEMORY;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return SPI_NO_MEMORY;
  }
  std::int32_t result = SPI_ALL_RIGHT;
  if (setjmp(png_jmpbuf(png)) != 0) {
    if (job.Bitmap != nullptr) job.Bitmap->Free();
    result = SPI_OUT_OF_ORDER;
  } else {
    png_set_read_fn(png, job.Input, ReadFn);
    // Let every size the format allows through the header, so that a large
    // picture is told apart from a broken one below.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (job.Info != nullptr) {
      *job.Info = SpiPictureInfo{};
      job.Info->width = static_cast<std::int32_t>(width);
      job.Info->height = static_cast<std::int32_t>(height);
      job.Info->x_density = Dpi(png, info, true);
      job.Info->y_density = Dpi(png, info, false);
      job.Info->color_depth = static_cast<std::int16_t>(png_get_bit_depth(png, info) * png_get_channels(png, info));
    } else {
      result = job.Bitmap->Allocate(width, height, Dpi(png, info, true), Dpi(png, info, false));
      if (result == SPI_ALL_RIGHT && !ReadPixels(job, png, info)) {
        job.Bitmap->Free();
        result = SPI_ABORT;
      }
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::free(job.Buffer);
  job.Buffer = nullptr;
  return result;
}

std::int32_t Start(TJob& job, const char* buf, std::intptr_t len, std::uint32_t flag) {
  TSpiInput input;
  if (const std::int32_t opened = input.Open(buf, len, flag); opened != SPI_ALL_RIGHT) return opened;
  job.Input = &input;
  return input.Blame(Decode(job));
}

}  // namespace
}  // namespace quillet::plugin

using namespace quillet::plugin;

extern "C" {

SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
  return CopyPluginInfo(kInfo, static_cast<std::int32_t>(std::size(kInfo)), infono, buf, buflen);
}

SPI_EXPORT int32_t IsSupported(const char*, const void* header) {
  return header != nullptr && png_sig_cmp(static_cast<png_const_bytep>(header), 0, 8) == 0 ? 1 : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char* buf, intptr_t len, uint32_t flag, SpiPictureInfo* info) {
  if (info == nullptr) return SPI_MEMORY_ERROR;
  TJob job;
  job.Info = info;
  return Start(job, buf, len, flag);
}

SPI_EXPORT int32_t GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                              SpiProgressCallback progress, intptr_t user) {
  if (info == nullptr || bits == nullptr) return SPI_MEMORY_ERROR;
  TSpiBitmap bitmap;
  TJob job;
  job.Bitmap = &bitmap;
  job.Progress = {progress, user};
  const std::int32_t result = Start(job, buf, len, flag);
  if (result == SPI_ALL_RIGHT) bitmap.Release(info, bits);
  return result;
}

// PNG has no cheaper smaller picture to give.
SPI_EXPORT int32_t GetPreview(const char*, intptr_t, uint32_t, void**, void**, SpiProgressCallback, intptr_t) {
  return SPI_NO_FUNCTION;
}

}  // extern "C"
