// Loading a picture file (see Picture.h).
#include "core/viewer/Picture.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "core/viewer/Scaler.h"

namespace quillet {
namespace {

// A BMP file larger than this cannot hold a picture within kMaxDibPixels
// (32 bits a pixel plus headers); refusing it early saves reading it.
constexpr std::uintmax_t kMaxBmpFileBytes = kMaxDibPixels * 4 + (std::uintmax_t{1} << 20);

TDib LoadBmp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EPictureError("cannot read " + path + ": " + std::strerror(errno));
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) throw EPictureError("cannot read " + path);
  if (static_cast<std::uintmax_t>(size) > kMaxBmpFileBytes) throw EPictureError(path + ": the BMP file is too large");
  in.seekg(0);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!in.read(bytes.data(), size)) throw EPictureError("cannot read " + path);
  std::string error;
  TDib dib = DecodeBmpFile(bytes, &error);
  if (dib.Empty()) throw EPictureError(path + ": " + error);
  return dib;
}

// The plug-ins' failure with the file named in its reason; what() stays
// the fixed text, and an abort stays an abort.
template <typename TCall>
auto ThroughPlugins(const std::string& path, const TSPIs* spis, TCall call) {
  if (!spis) throw EInvalidGraphic(path + ": no image plug-ins are loaded");
  try {
    return call(*spis);
  } catch (const ESPIAborted&) {
    throw;
  } catch (const EInvalidGraphic& error) {
    throw EInvalidGraphic(path + ": " + (error.Reason().empty() ? "no image plug-in knows this file" : error.Reason()));
  }
}

void Loaded(const TSPIProgress& progress) {
  if (progress) progress(TSPIProgressStage::Ending, 100, "Loaded Graphic");
}

}  // namespace

bool IsBmpPath(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return tail == ".bmp";
}

TDib LoadPicture(const std::string& path, const TSPIs* spis, const TSPIProgress& progress) {
  TDib dib;
  if (IsBmpPath(path))
    dib = LoadBmp(path);
  else
    dib = ThroughPlugins(path, spis, [&](const TSPIs& plugins) { return plugins.LoadFromFile(path, progress); });
  Loaded(progress);
  return dib;
}

TSPIThumbnail LoadPictureForThumbnail(const std::string& path, std::int32_t size, const TSPIs* spis,
                                      const TSPIProgress& progress) {
  TSPIThumbnail out;
  if (IsBmpPath(path)) {
    const TDib picture = LoadBmp(path);
    out.FullWidth = picture.Width;
    out.FullHeight = picture.Height;
    out.Picture = MakeThumbnail(picture, size);
  } else {
    out = ThroughPlugins(path, spis, [&](const TSPIs& plugins) { return plugins.LoadThumbnailFromFile(path, size, progress); });
  }
  Loaded(progress);
  return out;
}

}  // namespace quillet
