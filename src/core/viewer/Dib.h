// TDib: the program's picture in memory, and the BMP layouts it is read from
// and written to. Every decoder ends in a TDib (the BMP reader here, the
// image plug-ins through their information header and pixel block); the
// scaler works on it and the thumbnail cache stores it as a BMP file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// 24-bit pixels, blue, green, red per pixel, the top row first, rows packed
// without padding (stride Width * 3). An empty TDib (0 × 0) is no picture.
struct TDib {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::vector<std::uint8_t> Bits;

  bool Empty() const { return Width <= 0 || Height <= 0; }
  std::uint8_t* Row(std::int32_t y) { return Bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) * 3; }
  const std::uint8_t* Row(std::int32_t y) const {
    return Bits.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) * 3;
  }
};

// The largest side a picture may have (the plug-in interface's limit).
inline constexpr std::int32_t kMaxDibSide = 65535;

// The most pixels one picture may have (16384 × 16384, 768 MiB as a TDib).
// Both sides at their limit would ask for 12 GiB, and a run-length BMP of a
// few bytes may claim that size; such a header is refused rather than
// allowed to exhaust memory.
inline constexpr std::uint64_t kMaxDibPixels = std::uint64_t{1} << 28;

// Builds a TDib from a packed bitmap: an information header (40 bytes or
// longer, with its colour table) of `infoSize` readable bytes and a pixel
// block of `bitsSize` readable bytes, as the image plug-ins return them.
// Every size the header states is checked against the given sizes before a
// byte is read. Empty with `error` set when the header is not one of the
// layouts the plug-in interface allows.
TDib DibFromPacked(const void* info, std::size_t infoSize, const void* bits, std::size_t bitsSize,
                   std::string* error = nullptr);

// 24-bit rows read in place: a plug-in's pixel block seen without a copy.
// Row(0) is the top row; Stride is negative for a bottom-up block.
struct TDibView {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  const std::uint8_t* Top = nullptr;
  std::ptrdiff_t Stride = 0;

  const std::uint8_t* Row(std::int32_t y) const { return Top + static_cast<std::ptrdiff_t>(y) * Stride; }
};
// The view of a whole TDib.
TDibView ViewOf(const TDib& dib);

// The view of a packed bitmap (as DibFromPacked takes it) when its pixels
// are 24-bit and pass every check DibFromPacked makes; false otherwise, and
// the caller converts with DibFromPacked. The view reads `bits` in place.
bool PackedView24(const void* info, std::size_t infoSize, const void* bits, std::size_t bitsSize, TDibView& view);

// A complete BMP file (file header, 40-byte information header, 24-bit
// bottom-up pixels) of `dib`.
std::string EncodeBmpFile(const TDib& dib);

// Reads a BMP file: 1, 4, 8, 16, 24 and 32 bits, uncompressed or with bit
// fields (and RLE4/RLE8), with the 12-byte header of the oldest files or a
// header of 40 bytes or more (alpha and colour-space fields are ignored).
// Empty with `error` set when the bytes are not such a file, and for more
// than kMaxDibPixels pixels.
TDib DecodeBmpFile(std::string_view bytes, std::string* error = nullptr);

}  // namespace quillet
