// The pieces every bundled image plug-in shares: the input named by the
// (buf, len, flag) triple of the interface, the two malloc()ed output blocks,
// the progress callback and the GetPluginInfo texts. Compiled into each
// plug-in separately; a plug-in needs nothing but this folder, its codec
// library and quillet/spi.h.
//
// Output rule of every bundled plug-in: 24-bit blue, green, red, the top row
// first (negative height), rows padded to four bytes with zero bytes. Alpha
// is composited over white, so a transparent pixel shows as white.
//
// Nothing here has a destructor that a longjmp() from a codec's error handler
// could skip: the decoders keep their TSpiInput and TSpiBitmap in the entry
// point's frame, below the frame that calls setjmp().
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "quillet/spi.h"

namespace quillet::plugin {

// The largest side any output picture may have (the interface's limit).
inline constexpr std::uint32_t kMaxSide = 65535;

// GetPluginInfo over a fixed table: texts[infono] copied into buf, at most
// buflen - 1 bytes and a NUL; 0 for a number outside the table or no room.
std::int32_t CopyPluginInfo(const char* const* texts, std::int32_t count, std::int32_t infono, char* buf,
                            std::int32_t buflen);

// The data a call names: a file read from `len` on, or `len` bytes at `buf`.
// Reads go through Read(); a file is closed by the destructor.
class TSpiInput {
 public:
  TSpiInput() = default;
  TSpiInput(const TSpiInput&) = delete;
  TSpiInput& operator=(const TSpiInput&) = delete;
  ~TSpiInput();

  // SPI_ALL_RIGHT, or SPI_FILE_READ_ERROR (no such file, negative offset,
  // offset not reachable), SPI_MEMORY_ERROR (null block, negative size),
  // SPI_OTHER_ERROR (an input kind other than file or memory).
  std::int32_t Open(const char* buf, std::intptr_t len, std::uint32_t flag);

  // Copies up to `size` bytes to `dest`; returns how many (fewer at the end).
  std::size_t Read(void* dest, std::size_t size);

  // True when the file gave a read error (not merely its end), so a decoder's
  // failure is the file's fault rather than the data's.
  bool ReadFailed() const { return m_file != nullptr && std::ferror(m_file) != 0; }
  // SPI_FILE_READ_ERROR instead of `code` when the file failed to read.
  std::int32_t Blame(std::int32_t code) const { return code != SPI_ALL_RIGHT && ReadFailed() ? SPI_FILE_READ_ERROR : code; }

  // The open file, or null for memory input (libjpeg reads a FILE* itself).
  std::FILE* File() const { return m_file; }
  const std::uint8_t* Data() const { return m_data; }
  std::size_t Size() const { return m_size; }

 private:
  std::FILE* m_file = nullptr;
  const std::uint8_t* m_data = nullptr;
  std::size_t m_size = 0;
  std::size_t m_pos = 0;
};

// The information block and the pixel block of a 24-bit top-down picture.
// Both are malloc()ed; Release() hands them to the caller, Free() drops them.
struct TSpiBitmap {
  SpiBitmapInfoHeader* Info = nullptr;
  std::uint8_t* Bits = nullptr;
  std::size_t Stride = 0;  // bytes per row, a multiple of 4
  std::uint32_t Width = 0;
  std::uint32_t Height = 0;

  // SPI_ALL_RIGHT, SPI_NOT_SUPPORT for a side of 0 or over kMaxSide,
  // SPI_NO_MEMORY when the blocks cannot be had (the sizes are checked for
  // overflow first). Densities are pixels per inch, 0 when unknown. The
  // padding bytes are zeroed; the pixels are left to the decoder.
  std::int32_t Allocate(std::uint32_t width, std::uint32_t height, std::uint32_t xDpi = 0, std::uint32_t yDpi = 0);
  std::uint8_t* Row(std::uint32_t y) const { return Bits + static_cast<std::size_t>(y) * Stride; }
  void Free();
  // Stores the blocks in *info and *bits (both become the caller's).
  void Release(void** info, void** bits);
  // Sets every pixel to white.
  void FillWhite() const;
};

// The caller's progress callback, which may be null. Band() reports every
// kBand rows only, so a callback costs nothing per row.
struct TSpiProgress {
  static constexpr std::uint32_t kBand = 16;
  SpiProgressCallback Callback = nullptr;
  std::intptr_t User = 0;

  // True when the caller asked to stop.
  bool Report(std::uint64_t done, std::uint64_t total) const;
  bool Band(std::uint64_t done, std::uint64_t total) const {
    return (done % kBand == 0 || done == total) && Report(done, total);
  }
};

// Blends a colour channel with alpha over white, rounded.
inline std::uint8_t OverWhite(std::uint32_t value, std::uint32_t alpha) {
  return static_cast<std::uint8_t>((value * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

// Dots per inch from a density with a unit in metres or centimetres.
inline std::uint16_t DpiFromPerMetre(std::uint32_t perMetre) {
  const std::uint64_t dpi = (static_cast<std::uint64_t>(perMetre) * 254u + 5000u) / 10000u;
  return static_cast<std::uint16_t>(dpi > 65535u ? 65535u : dpi);
}

}  // namespace quillet::plugin
