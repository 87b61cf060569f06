// Loading one picture file into a TDib, as the image list does for every
// file whose extension is a picture extension: a ".bmp" file (any case) is
// read by the BMP reader here and no plug-in is asked; any other file goes
// to the image plug-ins. At the end of a load the progress callback gets 100
// and "Loaded Graphic".
//
// Errors are exceptions deriving from std::runtime_error, in UTF-8:
// EPictureError for a BMP file that cannot be read or decoded (the text
// names the file); EInvalidGraphic (SPI.h) for what the plug-ins cannot
// decode, whose Reason() names the file and says why; ESPIAborted when the
// progress callback asked to stop.
// Thread-safe under the manager's rule (SPI.h): call from any thread once
// the plug-ins are loaded.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "core/viewer/Dib.h"
#include "core/viewer/SPI.h"

namespace quillet {

class EPictureError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// True when `path` ends in ".bmp" without regard to case.
bool IsBmpPath(const std::string& path);

// The picture at `path`. `spis` may be null (no plug-ins): then only BMP
// files load and others raise EInvalidGraphic.
TDib LoadPicture(const std::string& path, const TSPIs* spis, const TSPIProgress& progress = {});

// The thumbnail of the picture at `path`, at most `size` × `size` pixels
// (MakeThumbnail; a plug-in's preview may stand in, see
// TSPIs::LoadThumbnailFromFile), with the picture's full size.
TSPIThumbnail LoadPictureForThumbnail(const std::string& path, std::int32_t size, const TSPIs* spis,
                                      const TSPIProgress& progress = {});

}  // namespace quillet
