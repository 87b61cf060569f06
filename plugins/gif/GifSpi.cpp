// gif.spi: the bundled GIF import plug-in, on giflib.
//
// Gives the first frame of a GIF (87a or 89a) composited on its logical
// screen, as 24-bit blue-green-red rows, the top row first. The screen starts
// white: the background colour of a GIF is in practice transparent in every
// viewer, so the area outside the frame is white, and so are the frame's
// pixels of its transparent index (from the graphic control extension before
// the frame). The frame uses its local colour map, else the global one; a
// frame with neither is broken. Indices beyond the map are black. Interlaced
// frames are read in their four passes and put in their rows. A screen of
// size 0 takes the frame's extent; a frame reaching past the screen is
// clipped to it. Later frames are not read.
//
// giflib reports errors by return values (no longjmp), so the buffers here
// are ordinary owned objects.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <iterator>
#include <memory>

#include <gif_lib.h>

#include "SpiSupport.h"

namespace quillet::plugin {
namespace {

const char* const kInfo[] = {"00IN", "Quillet GIF plug-in 1.0 (giflib)", "*.gif", "GIF picture"};

int ReadFn(GifFileType* gif, GifByteType* data, int size) {
  if (size <= 0) return 0;
  return static_cast<int>(static_cast<TSpiInput*>(gif->UserData)->Read(data, static_cast<std::size_t>(size)));
}

std::int32_t ResultOf(int gifError) {
  switch (gifError) {
    case D_GIF_ERR_NOT_GIF_FILE:
      return SPI_NOT_SUPPORT;
    case D_GIF_ERR_NOT_ENOUGH_MEM:
      return SPI_NO_MEMORY;
    default:
      return SPI_OUT_OF_ORDER;
  }
}

struct TGifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using TGif = std::unique_ptr<GifFileType, TGifCloser>;

struct TFree {
  void operator()(void* block) const { std::free(block); }
};

// The first frame's description, read up to its pixels.
struct TFrame {
  GifImageDesc Desc{};
  const ColorMapObject* Map = nullptr;
  int Transparent = NO_TRANSPARENT_COLOR;
  std::uint32_t ScreenWidth = 0;
  std::uint32_t ScreenHeight = 0;
};

// Reads the records before the first image and its descriptor.
std::int32_t ReadToFirstFrame(GifFileType* gif, TFrame& frame) {
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return ResultOf(gif->Error);
    if (type == IMAGE_DESC_RECORD_TYPE) break;
    if (type != EXTENSION_RECORD_TYPE) return SPI_OUT_OF_ORDER;  // the trailer: a GIF without a picture
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return ResultOf(gif->Error);
    // Only the control block right before the frame applies to it.
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
      GraphicsControlBlock control{};
      if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) frame.Transparent = control.TransparentColor;
    }
    while (block != nullptr)
      if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return ResultOf(gif->Error);
  }
  if (DGifGetImageDesc(gif) == GIF_ERROR) return ResultOf(gif->Error);
  frame.Desc = gif->Image;
  frame.Map = frame.Desc.ColorMap != nullptr ? frame.Desc.ColorMap : gif->SColorMap;
  if (frame.Map == nullptr || frame.Desc.Width <= 0 || frame.Desc.Height <= 0) return SPI_OUT_OF_ORDER;
  const auto extent = [](GifWord screen, GifWord start, GifWord size) {
    return static_cast<std::uint32_t>(screen > 0 ? screen : start + size);
  };
  frame.ScreenWidth = extent(gif->SWidth, frame.Desc.Left, frame.Desc.Width);
  frame.ScreenHeight = extent(gif->SHeight, frame.Desc.Top, frame.Desc.Height);
  return SPI_ALL_RIGHT;
}

std::int32_t DrawFrame(GifFileType* gif, const TFrame& frame, TSpiBitmap& bitmap, const TSpiProgress& progress) {
  // Blue, green, red per index; transparent shows as white.
  std::array<std::array<std::uint8_t, 3>, 256> colours{};
  for (int i = 0; i < frame.Map->ColorCount && i < 256; ++i) {
    const GifColorType& c = frame.Map->Colors[i];
    colours[static_cast<std::size_t>(i)] = {c.Blue, c.Green, c.Red};
  }
  if (frame.Transparent >= 0 && frame.Transparent < 256)
    colours[static_cast<std::size_t>(frame.Transparent)] = {255, 255, 255};
  bitmap.FillWhite();

  const auto width = static_cast<std::uint32_t>(frame.Desc.Width);
  const auto height = static_cast<std::uint32_t>(frame.Desc.Height);
  const auto left = static_cast<std::uint32_t>(frame.Desc.Left);
  const auto top = static_cast<std::uint32_t>(frame.Desc.Top);
  const std::uint32_t visible = left >= bitmap.Width ? 0 : std::min(width, bitmap.Width - left);
  std::unique_ptr<GifPixelType, TFree> line(static_cast<GifPixelType*>(std::malloc(width)));
  if (line == nullptr) return SPI_NO_MEMORY;

  // An interlaced frame stores rows 0, 8, 16..., then 4, 12..., then 2, 6...,
  // then the odd rows.
  static constexpr std::uint32_t kStart[] = {0, 4, 2, 1};
  static constexpr std::uint32_t kStep[] = {8, 8, 4, 2};
  const int passes = frame.Desc.Interlace ? 4 : 1;
  std::uint32_t done = 0;
  for (int pass = 0; pass < passes; ++pass) {
    const std::uint32_t start = frame.Desc.Interlace ? kStart[pass] : 0;
    const std::uint32_t step = frame.Desc.Interlace ? kStep[pass] : 1;
    for (std::uint32_t y = start; y < height; y += step) {
      if (DGifGetLine(gif, line.get(), static_cast<int>(width)) == GIF_ERROR) return ResultOf(gif->Error);
      if (top + y < bitmap.Height) {
        std::uint8_t* out = bitmap.Row(top + y) + static_cast<std::size_t>(left) * 3u;
        for (std::uint32_t x = 0; x < visible; ++x, out += 3) {
          const auto& colour = colours[line.get()[x]];
          out[0] = colour[0];
          out[1] = colour[1];
          out[2] = colour[2];
        }
      }
      if (progress.Band(++done, height)) return SPI_ABORT;
    }
  }
  return SPI_ALL_RIGHT;
}

std::int32_t Open(TSpiInput& input, TGif& gif, const char* buf, std::intptr_t len, std::uint32_t flag) {
  if (const std::int32_t opened = input.Open(buf, len, flag); opened != SPI_ALL_RIGHT) return opened;
  int error = 0;
  gif.reset(DGifOpen(&input, ReadFn, &error));
  return gif != nullptr ? SPI_ALL_RIGHT : input.Blame(ResultOf(error));
}

}  // namespace
}  // namespace quillet::plugin

using namespace quillet::plugin;

extern "C" {

SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
  return CopyPluginInfo(kInfo, static_cast<std::int32_t>(std::size(kInfo)), infono, buf, buflen);
}

SPI_EXPORT int32_t IsSupported(const char*, const void* header) {
  const auto* bytes = static_cast<const unsigned char*>(header);
  if (bytes == nullptr) return 0;
  const auto is = [bytes](const char* stamp) {
    for (int i = 0; i < 6; ++i)
      if (bytes[i] != static_cast<unsigned char>(stamp[i])) return false;
    return true;
  };
  return is(GIF87_STAMP) || is(GIF89_STAMP) ? 1 : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char* buf, intptr_t len, uint32_t flag, SpiPictureInfo* info) {
  if (info == nullptr) return SPI_MEMORY_ERROR;
  TSpiInput input;
  TGif gif;
  if (const std::int32_t opened = Open(input, gif, buf, len, flag); opened != SPI_ALL_RIGHT) return opened;
  TFrame frame;
  if (const std::int32_t read = ReadToFirstFrame(gif.get(), frame); read != SPI_ALL_RIGHT) return input.Blame(read);
  *info = SpiPictureInfo{};
  info->width = static_cast<std::int32_t>(frame.ScreenWidth);
  info->height = static_cast<std::int32_t>(frame.ScreenHeight);
  info->color_depth = static_cast<std::int16_t>(frame.Map->BitsPerPixel);
  return SPI_ALL_RIGHT;
}

SPI_EXPORT int32_t GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                              SpiProgressCallback progress, intptr_t user) {
  if (info == nullptr || bits == nullptr) return SPI_MEMORY_ERROR;
  TSpiInput input;
  TGif gif;
  if (const std::int32_t opened = Open(input, gif, buf, len, flag); opened != SPI_ALL_RIGHT) return opened;
  TFrame frame;
  if (const std::int32_t read = ReadToFirstFrame(gif.get(), frame); read != SPI_ALL_RIGHT) return input.Blame(read);
  TSpiBitmap bitmap;
  std::int32_t result = bitmap.Allocate(frame.ScreenWidth, frame.ScreenHeight);
  if (result == SPI_ALL_RIGHT) result = input.Blame(DrawFrame(gif.get(), frame, bitmap, {progress, user}));
  if (result == SPI_ALL_RIGHT)
    bitmap.Release(info, bits);
  else
    bitmap.Free();
  return result;
}

// GIF has no cheaper smaller picture to give.
SPI_EXPORT int32_t GetPreview(const char*, intptr_t, uint32_t, void**, void**, SpiProgressCallback, intptr_t) {
  return SPI_NO_FUNCTION;
}

}  // extern "C"
