// TDib and the BMP layouts (see Dib.h).
//
// Both readers follow one rule: every size the header states is computed in
// 64-bit arithmetic and compared with the bytes really there before a single
// pixel is read, so a header that lies (a width near the limit, a colour
// count of four billion, an offset past the end) gives an error, never a read
// outside the given memory. Multi-byte fields are read byte by byte as
// little-endian, whatever the alignment of the block.
#include "core/viewer/Dib.h"

#include <algorithm>
#include <array>
#include <bit>
#include <new>

namespace quillet {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;  // the information header of the plug-in interface
constexpr std::size_t kFileHeaderSize = 14;  // "BM", file size, two reserved words, pixel offset
constexpr std::size_t kCoreHeaderSize = 12;  // the oldest information header: 16-bit sides, 3-byte colours

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

void PutU16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void PutU32(std::string& out, std::uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

TDib Fail(std::string* error, std::string message) {
  if (error) *error = std::move(message);
  return {};
}

// Colours by index, blue, green, red; indices past the table stay black so a
// stray index never reads past what the file holds.
struct TPalette {
  std::array<std::uint8_t, 256 * 3> Bgr{};
};

// Bytes of one stored row: `width` pixels of `bitCount` bits, padded to four.
std::uint64_t Stride(std::int32_t width, unsigned bitCount) {
  return (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
}

// Checks the sides against the limits. `height` is |height|.
bool CheckSides(std::int64_t width, std::int64_t height, std::string* error) {
  if (width < 1 || width > kMaxDibSide || height < 1 || height > kMaxDibSide) {
    if (error) {
      *error = "picture size " + std::to_string(width) + " x " + std::to_string(height) + " is outside 1.." +
               std::to_string(kMaxDibSide);
    }
    return false;
  }
  return true;
}

// Makes room for the pixels of a picture whose sides passed CheckSides,
// within kMaxDibPixels.
bool Allocate(TDib& dib, std::int64_t width, std::int64_t height, std::string* error) {
  if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxDibPixels) {
    if (error) *error = "picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large";
    return false;
  }
  try {
    dib.Bits.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 0);
  } catch (const std::bad_alloc&) {
    if (error) *error = "not enough memory for a picture of " + std::to_string(width) + " x " + std::to_string(height);
    return false;
  }
  dib.Width = static_cast<std::int32_t>(width);
  dib.Height = static_cast<std::int32_t>(height);
  return true;
}

void SetIndexed(std::uint8_t* dst, const TPalette& palette, unsigned index) {
  const std::uint8_t* colour = palette.Bgr.data() + index * 3;
  dst[0] = colour[0];
  dst[1] = colour[1];
  dst[2] = colour[2];
}

// One row of 1-, 4- or 8-bit indices, the leftmost pixel in the high bits.
void UnpackIndexedRow(const std::uint8_t* src, unsigned bitCount, std::int32_t width, const TPalette& palette,
                      std::uint8_t* dst) {
  const unsigned perByte = 8 / bitCount;
  const unsigned mask = (1u << bitCount) - 1;
  for (std::int32_t x = 0; x < width; ++x) {
    const auto ux = static_cast<unsigned>(x);
    const unsigned shift = (perByte - 1 - ux % perByte) * bitCount;
    SetIndexed(dst + ux * 3, palette, (static_cast<unsigned>(src[ux / perByte]) >> shift) & mask);
  }
}

// A colour channel of a 16- or 32-bit pixel given by a bit mask.
struct TChannel {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint64_t Max = 0;

  // False for a mask whose bits are not one run.
  bool Set(std::uint32_t mask) {
    Mask = mask;
    if (mask == 0) return true;
    Shift = std::countr_zero(mask);
    const std::uint32_t run = mask >> Shift;
    if ((run & (run + 1)) != 0) return false;
    Max = (std::uint64_t{1} << std::popcount(run)) - 1;
    return true;
  }
  std::uint8_t Take(std::uint32_t pixel) const {
    if (Mask == 0) return 0;
    const std::uint64_t value = (pixel & Mask) >> Shift;
    return static_cast<std::uint8_t>((value * 255 + Max / 2) / Max);
  }
};

struct TLayout {
  std::int64_t Width = 0;
  std::int64_t Height = 0;  // as stored: > 0 bottom-up, < 0 top-down
  unsigned BitCount = 0;
  TChannel Red, Green, Blue;  // 16 and 32 bits
};

// Rows stored uncompressed at `pixels` (checked to hold every row).
void UnpackRows(const std::uint8_t* pixels, const TLayout& layout, const TPalette& palette, TDib& dib) {
  const std::uint64_t stride = Stride(dib.Width, layout.BitCount);
  for (std::int32_t row = 0; row < dib.Height; ++row) {
    const std::uint8_t* src = pixels + stride * static_cast<std::uint64_t>(row);
    std::uint8_t* dst = dib.Row(layout.Height > 0 ? dib.Height - 1 - row : row);
    switch (layout.BitCount) {
      case 1:
      case 4:
      case 8: UnpackIndexedRow(src, layout.BitCount, dib.Width, palette, dst); break;
      case 24: std::copy(src, src + static_cast<std::size_t>(dib.Width) * 3, dst); break;
      default: {
        const unsigned bytes = layout.BitCount / 8;
        for (std::int32_t x = 0; x < dib.Width; ++x, src += bytes, dst += 3) {
          const std::uint32_t pixel = bytes == 2 ? U16(src) : U32(src);
          dst[0] = layout.Blue.Take(pixel);
          dst[1] = layout.Green.Take(pixel);
          dst[2] = layout.Red.Take(pixel);
        }
      }
    }
  }
}

// RLE8 (`bitCount` 8) and RLE4 (4) of a bottom-up picture: the indices go to
// `indices` (Width × Height, the bottom row first), then through the palette.
// Pixels that a delta or an end of line skips keep index 0. Codes that point
// past the picture are clipped; data that ends without its end-of-picture
// code gives what was decoded so far.
void DecodeRle(const std::uint8_t* data, std::size_t size, unsigned bitCount, const TPalette& palette, TDib& dib) {
  const std::size_t width = static_cast<std::size_t>(dib.Width);
  const std::size_t height = static_cast<std::size_t>(dib.Height);
  std::vector<std::uint8_t> indices(width * height, 0);
  std::size_t x = 0, y = 0, pos = 0;
  const auto put = [&](unsigned index) {
    if (x < width && y < height) indices[y * width + x] = static_cast<std::uint8_t>(index);
    ++x;
  };
  while (pos + 2 <= size && y < height) {
    const unsigned count = data[pos], value = data[pos + 1];
    pos += 2;
    if (count > 0) {  // a run: `count` pixels of one index (RLE4: two alternating indices)
      for (unsigned i = 0; i < count && x < width; ++i) put(bitCount == 8 ? value : (i % 2 ? value & 15 : value >> 4));
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // delta: right and up
      if (pos + 2 > size) break;
      x += data[pos];
      y += data[pos + 1];
      pos += 2;
    } else {  // `value` literal indices, padded to a 16-bit boundary
      const std::size_t bytes = bitCount == 8 ? value : (value + 1) / 2;
      if (pos + bytes > size) break;
      for (unsigned i = 0; i < value; ++i) {
        const unsigned byte = data[pos + (bitCount == 8 ? i : i / 2)];
        put(bitCount == 8 ? byte : (i % 2 ? byte & 15 : byte >> 4));
      }
      pos += bytes + (bytes & 1);
    }
  }
  for (std::size_t row = 0; row < height; ++row) {
    std::uint8_t* dst = dib.Row(static_cast<std::int32_t>(height - 1 - row));
    for (std::size_t col = 0; col < width; ++col) SetIndexed(dst + col * 3, palette, indices[row * width + col]);
  }
}

// Reads `count` colour entries of `entrySize` bytes (4, or 3 in the oldest
// header) into `palette`, at most 256.
void ReadPalette(const std::uint8_t* table, std::uint64_t count, std::size_t entrySize, TPalette& palette) {
  for (std::uint64_t i = 0; i < count && i < 256; ++i) {
    std::copy(table + i * entrySize, table + i * entrySize + 3, palette.Bgr.data() + i * 3);
  }
}

}  // namespace

TDib DibFromPacked(const void* info, std::size_t infoSize, const void* bits, std::size_t bitsSize, std::string* error) {
  if (!info || infoSize < kInfoHeaderSize) return Fail(error, "the bitmap information block is shorter than 40 bytes");
  const auto* header = static_cast<const std::uint8_t*>(info);
  const std::uint32_t headerSize = U32(header);
  if (headerSize < kInfoHeaderSize || headerSize > infoSize) {
    return Fail(error, "the bitmap information header states " + std::to_string(headerSize) + " bytes; the block holds " +
                           std::to_string(infoSize));
  }
  TLayout layout;
  layout.Width = I32(header + 4);
  layout.Height = I32(header + 8);
  layout.BitCount = U16(header + 14);
  const std::uint32_t compression = U32(header + 16);
  const std::uint32_t colorsUsed = U32(header + 32);
  if (compression != 0) return Fail(error, "compression " + std::to_string(compression) + " is not uncompressed (BI_RGB)");
  if (layout.BitCount != 1 && layout.BitCount != 4 && layout.BitCount != 8 && layout.BitCount != 24 &&
      layout.BitCount != 32) {
    return Fail(error, "bit count " + std::to_string(layout.BitCount) + " is not 1, 4, 8, 24 or 32");
  }
  layout.Blue.Set(0xFF);  // 32 bits: blue, green, red, one ignored byte
  layout.Green.Set(0xFF00);
  layout.Red.Set(0xFF0000);

  TPalette palette;
  if (layout.BitCount <= 8) {
    const std::uint64_t full = std::uint64_t{1} << layout.BitCount;
    const std::uint64_t count = std::min<std::uint64_t>(colorsUsed == 0 ? full : colorsUsed, full);
    if (count * 4 > infoSize - headerSize) {
      return Fail(error, "the colour table of " + std::to_string(count) + " entries does not fit in the " +
                             std::to_string(infoSize) + "-byte information block");
    }
    ReadPalette(header + headerSize, count, 4, palette);
  }

  const std::int64_t height = layout.Height < 0 ? -layout.Height : layout.Height;
  if (!CheckSides(layout.Width, height, error)) return {};
  const std::uint64_t needed =
      Stride(static_cast<std::int32_t>(layout.Width), layout.BitCount) * static_cast<std::uint64_t>(height);
  if (!bits || needed > bitsSize) {
    return Fail(error, "the pixel block holds " + std::to_string(bits ? bitsSize : 0) + " bytes; the header needs " +
                           std::to_string(needed));
  }
  TDib dib;
  if (!Allocate(dib, layout.Width, height, error)) return {};
  UnpackRows(static_cast<const std::uint8_t*>(bits), layout, palette, dib);
  return dib;
}

TDibView ViewOf(const TDib& dib) {
  return {dib.Width, dib.Height, dib.Bits.data(), static_cast<std::ptrdiff_t>(dib.Width) * 3};
}

bool PackedView24(const void* info, std::size_t infoSize, const void* bits, std::size_t bitsSize, TDibView& view) {
  if (!info || !bits || infoSize < kInfoHeaderSize) return false;
  const auto* header = static_cast<const std::uint8_t*>(info);
  const std::uint32_t headerSize = U32(header);
  if (headerSize < kInfoHeaderSize || headerSize > infoSize) return false;
  const std::int32_t width = I32(header + 4);
  const std::int32_t signedHeight = I32(header + 8);
  if (U16(header + 14) != 24 || U32(header + 16) != 0) return false;
  const std::int64_t height = signedHeight < 0 ? -static_cast<std::int64_t>(signedHeight) : signedHeight;
  if (!CheckSides(width, height, nullptr)) return false;
  const std::uint64_t stride = Stride(width, 24);
  if (stride * static_cast<std::uint64_t>(height) > bitsSize) return false;
  const auto* base = static_cast<const std::uint8_t*>(bits);
  view.Width = width;
  view.Height = static_cast<std::int32_t>(height);
  if (signedHeight < 0) {
    view.Top = base;
    view.Stride = static_cast<std::ptrdiff_t>(stride);
  } else {
    view.Top = base + (static_cast<std::size_t>(height) - 1) * stride;
    view.Stride = -static_cast<std::ptrdiff_t>(stride);
  }
  return true;
}

std::string EncodeBmpFile(const TDib& dib) {
  if (dib.Empty()) return {};
  const std::uint64_t stride = Stride(dib.Width, 24);
  const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(dib.Height);
  const std::uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + imageSize;
  std::string out;
  out.reserve(static_cast<std::size_t>(fileSize));
  out += "BM";
  PutU32(out, static_cast<std::uint32_t>(std::min<std::uint64_t>(fileSize, 0xFFFFFFFF)));
  PutU32(out, 0);  // two reserved words
  PutU32(out, static_cast<std::uint32_t>(kFileHeaderSize + kInfoHeaderSize));
  PutU32(out, static_cast<std::uint32_t>(kInfoHeaderSize));
  PutU32(out, static_cast<std::uint32_t>(dib.Width));
  PutU32(out, static_cast<std::uint32_t>(dib.Height));  // bottom-up
  PutU16(out, 1);                                       // planes
  PutU16(out, 24);
  PutU32(out, 0);  // BI_RGB
  PutU32(out, static_cast<std::uint32_t>(std::min<std::uint64_t>(imageSize, 0xFFFFFFFF)));
  PutU32(out, 2835);  // 72 dots per inch
  PutU32(out, 2835);
  PutU32(out, 0);
  PutU32(out, 0);
  const std::size_t rowBytes = static_cast<std::size_t>(dib.Width) * 3;
  const std::string padding(static_cast<std::size_t>(stride) - rowBytes, '\0');
  for (std::int32_t y = dib.Height - 1; y >= 0; --y) {
    out.append(reinterpret_cast<const char*>(dib.Row(y)), rowBytes);
    out += padding;
  }
  return out;
}

TDib DecodeBmpFile(std::string_view bytes, std::string* error) {
  const auto* file = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::uint64_t size = bytes.size();
  if (size < kFileHeaderSize + 4 || file[0] != 'B' || file[1] != 'M') return Fail(error, "not a BMP file");
  const std::uint64_t pixelOffset = U32(file + 10);
  const std::uint64_t infoSize = U32(file + 14);
  if (kFileHeaderSize + infoSize > size) return Fail(error, "the BMP header is cut off");

  const std::uint8_t* info = file + kFileHeaderSize;
  TLayout layout;
  std::uint32_t compression = 0, colorsUsed = 0;
  std::uint64_t tableOffset = kFileHeaderSize + infoSize;
  std::size_t entrySize = 4;
  std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
  if (infoSize == kCoreHeaderSize) {
    layout.Width = U16(info + 4);
    layout.Height = U16(info + 6);
    layout.BitCount = U16(info + 10);
    entrySize = 3;
  } else if (infoSize >= kInfoHeaderSize) {
    layout.Width = I32(info + 4);
    layout.Height = I32(info + 8);
    layout.BitCount = U16(info + 14);
    compression = U32(info + 16);
    colorsUsed = U32(info + 32);
    if (compression == 3) {  // BI_BITFIELDS: masks inside a longer header, else right after it
      const std::uint64_t at = infoSize >= kInfoHeaderSize + 12 ? kFileHeaderSize + kInfoHeaderSize : tableOffset;
      if (at + 12 > size) return Fail(error, "the BMP colour masks are cut off");
      for (int i = 0; i < 3; ++i) masks[i] = U32(file + at + 4 * static_cast<unsigned>(i));
      if (infoSize < kInfoHeaderSize + 12) tableOffset += 12;
    }
  } else {
    return Fail(error, "a BMP information header of " + std::to_string(infoSize) + " bytes is not a known layout");
  }

  const unsigned bc = layout.BitCount;
  if (layout.Height < 0 && compression != 0 && compression != 3) {
    return Fail(error, "a run-length BMP cannot be stored top-down");
  }
  switch (compression) {
    case 0:
      if (bc != 1 && bc != 4 && bc != 8 && bc != 16 && bc != 24 && bc != 32) {
        return Fail(error, "BMP bit count " + std::to_string(bc) + " is not 1, 4, 8, 16, 24 or 32");
      }
      masks[0] = bc == 16 ? 0x7C00 : 0xFF0000;  // 16 bits: 5 bits per colour, the top bit unused
      masks[1] = bc == 16 ? 0x03E0 : 0x00FF00;
      masks[2] = bc == 16 ? 0x001F : 0x0000FF;
      break;
    case 1:
    case 2:
      if (bc != (compression == 1 ? 8u : 4u)) return Fail(error, "BMP run-length coding does not match the bit count");
      break;
    case 3:
      if (bc != 16 && bc != 32) return Fail(error, "BMP bit fields need 16 or 32 bits per pixel");
      break;
    default: return Fail(error, "BMP compression " + std::to_string(compression) + " is not supported");
  }
  if (!layout.Red.Set(masks[0]) || !layout.Green.Set(masks[1]) || !layout.Blue.Set(masks[2])) {
    return Fail(error, "a BMP colour mask is not one run of bits");
  }

  TPalette palette;
  if (bc <= 8) {
    const std::uint64_t full = std::uint64_t{1} << bc;
    const std::uint64_t count = std::min<std::uint64_t>(colorsUsed == 0 ? full : colorsUsed, full);
    if (tableOffset + count * entrySize > size) return Fail(error, "the BMP colour table is cut off");
    ReadPalette(file + tableOffset, count, entrySize, palette);
  }

  const std::int64_t height = layout.Height < 0 ? -layout.Height : layout.Height;
  if (!CheckSides(layout.Width, height, error)) return {};
  if (pixelOffset >= size) return Fail(error, "the BMP pixel data lies past the end of the file");
  TDib dib;
  if (compression == 1 || compression == 2) {
    if (!Allocate(dib, layout.Width, height, error)) return {};
    DecodeRle(file + pixelOffset, static_cast<std::size_t>(size - pixelOffset), bc, palette, dib);
    return dib;
  }
  const std::uint64_t needed = Stride(static_cast<std::int32_t>(layout.Width), bc) * static_cast<std::uint64_t>(height);
  if (needed > size - pixelOffset) {
    return Fail(error, "the BMP pixel data is cut off: " + std::to_string(needed) + " bytes needed, " +
                           std::to_string(size - pixelOffset) + " present");
  }
  if (!Allocate(dib, layout.Width, height, error)) return {};
  UnpackRows(file + pixelOffset, layout, palette, dib);
  return dib;
}

}  // namespace quillet
