// quillet-cli thumb: the thumbnail of one picture, made exactly as the image
// list makes it (the BMP reader or the image plug-ins, a plug-in's preview
// when it is large enough, then the area-averaging scaler), written as PNG
// or, for a name ending in ".bmp", as the BMP file the list caches.
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliSupport.h"
#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/base/AtomicFile.h"
#include "core/viewer/Picture.h"
#include "core/viewer/Scaler.h"
#include "core/viewer/ViewerSettings.h"

namespace quillet::cli {
namespace {

constexpr const char* kUsage = "thumb [--size N] [--plugins DIR] FILE OUT.png";
constexpr const char* kHelp =
    "usage: quillet-cli thumb [--size N] [--plugins DIR] FILE OUT.png\n"
    "\n"
    "Makes the thumbnail of the picture FILE as the image list does and writes\n"
    "it to OUT (PNG; a name ending in .bmp gives the BMP file the list caches).\n"
    "  --size N       the longest side, 1..65535 (default: \"Size\" of section\n"
    "                 \"Viewer\" in Option/quillet.ini, else 96)\n"
    "  --plugins DIR  decode with the plug-ins of the folder DIR only (default:\n"
    "                 the plug-ins Quillet loads, see quillet-cli plugins)\n"
    "On standard output: the picture's size and the thumbnail's.\n"
    "Exit status: 0 written, 1 the picture cannot be read or OUT not written,\n"
    "2 wrong arguments.\n";

int Usage(std::string_view message) {
  Complain("thumb", message);
  std::fprintf(stderr, "usage: quillet-cli %s\n", kUsage);
  return kExitUsage;
}

// The PNG file of `dib` (8-bit RGB), or empty when libpng fails.
std::string EncodePng(const TDib& dib) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return {};
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t size) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), size);
      },
      nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(dib.Width), static_cast<png_uint_32>(dib.Height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (std::int32_t y = 0; y < dib.Height; ++y) png_write_row(png, const_cast<png_bytep>(dib.Row(y)));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

int RunThumb(const std::vector<std::string>& args) {
  const TParsedArgs parsed = ParseArgs(args, {}, {"--size", "--plugins"});
  if (parsed.help) {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (!parsed.error.empty()) return Usage(parsed.error);
  if (parsed.positional.size() != 2) return Usage("needs FILE and OUT");
  const std::string& source = parsed.positional[0];
  const std::string& target = parsed.positional[1];

  const std::string appFolder = AppFolder();
  const THIniFile ini(SettingsFilePath(appFolder), false);
  int size = ReadViewerSettings(ini).Size;
  if (const std::string* text = parsed.Value("--size")) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text->c_str(), &end, 10);
    if (text->empty() || *end || errno || value < 1 || value > kMaxDibSide) return Usage("bad --size: " + *text);
    size = static_cast<int>(value);
  }

  TSPIs spis;
  if (const std::string* folder = parsed.Value("--plugins")) {
    if (folder->empty() || !FolderExists(*folder)) {
      Complain("thumb", "not a folder: " + *folder);
      return kExitFailure;
    }
    spis.LoadFromPath(WithTrailingSlash(std::filesystem::absolute(*folder).lexically_normal().string()) + "*.spi");
  } else {
    LoadStartupPlugins(spis, ReadSPIStartSettings(ini, appFolder));
  }

  TDib thumbnail;
  TSPIThumbnail picture;
  try {
    picture = LoadPictureForThumbnail(source, size, &spis);
  } catch (const EInvalidGraphic& failure) {
    Complain("thumb", source + ": " + (failure.Reason().empty() ? std::string(failure.what()) : failure.Reason()));
    return kExitFailure;
  } catch (const std::exception& failure) {
    Complain("thumb", source + ": " + failure.what());
    return kExitFailure;
  }
  std::string error;
  thumbnail = MakeThumbnail(picture.Picture, size, &error);
  if (thumbnail.Empty()) {
    Complain("thumb", source + ": " + error);
    return kExitFailure;
  }
  const bool bmp = target.size() >= 4 && strcasecmp(target.c_str() + target.size() - 4, ".bmp") == 0;
  const std::string bytes = bmp ? EncodeBmpFile(thumbnail) : EncodePng(thumbnail);
  if (bytes.empty() || !WriteFileAtomic(target, bytes, &error)) {
    Complain("thumb", target + ": " + (error.empty() ? "cannot encode" : error));
    return kExitFailure;
  }
  std::printf("%s\t%dx%d\t%dx%d%s\n", source.c_str(), picture.FullWidth, picture.FullHeight, thumbnail.Width,
              thumbnail.Height, picture.FromPreview ? "\tpreview" : "");
  return kExitOk;
}

const TCliRegistrar kThumb({"thumb", kUsage, "make a picture's thumbnail as the image list does", RunThumb});

}  // namespace
}  // namespace quillet::cli
