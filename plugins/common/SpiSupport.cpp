// The shared pieces of the bundled plug-ins; see SpiSupport.h.
#include "SpiSupport.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <sys/types.h>

namespace quillet::plugin {

std::int32_t CopyPluginInfo(const char* const* texts, std::int32_t count, std::int32_t infono, char* buf,
                            std::int32_t buflen) {
  if (infono < 0 || infono >= count || buf == nullptr || buflen < 1) return 0;
  const std::size_t room = static_cast<std::size_t>(buflen) - 1;
  std::size_t length = std::strlen(texts[infono]);
  if (length > room) {
    length = room;
    // Cut at a character boundary so the copy stays valid UTF-8.
    while (length > 0 && (static_cast<unsigned char>(texts[infono][length]) & 0xC0u) == 0x80u) --length;
  }
  std::memcpy(buf, texts[infono], length);
  buf[length] = '\0';
  return static_cast<std::int32_t>(length);
}

TSpiInput::~TSpiInput() {
  if (m_file != nullptr) std::fclose(m_file);
}

std::int32_t TSpiInput::Open(const char* buf, std::intptr_t len, std::uint32_t flag) {
  switch (flag & SPI_INPUT_MASK) {
    case SPI_INPUT_FILE:
      if (buf == nullptr || len < 0) return SPI_FILE_READ_ERROR;
      m_file = std::fopen(buf, "rb");
      if (m_file == nullptr) return SPI_FILE_READ_ERROR;
      if (static_cast<std::uintmax_t>(len) > static_cast<std::uintmax_t>(std::numeric_limits<off_t>::max()) ||
          fseeko(m_file, static_cast<off_t>(len), SEEK_SET) != 0)
        return SPI_FILE_READ_ERROR;
      return SPI_ALL_RIGHT;
    case SPI_INPUT_MEMORY:
      if (buf == nullptr || len < 0) return SPI_MEMORY_ERROR;
      m_data = reinterpret_cast<const std::uint8_t*>(buf);
      m_size = static_cast<std::size_t>(len);
      return SPI_ALL_RIGHT;
    default:
      return SPI_OTHER_ERROR;
  }
}

std::size_t TSpiInput::Read(void* dest, std::size_t size) {
  if (m_file != nullptr) return std::fread(dest, 1, size, m_file);
  const std::size_t count = size < m_size - m_pos ? size : m_size - m_pos;
  if (count > 0) std::memcpy(dest, m_data + m_pos, count);
  m_pos += count;
  return count;
}

std::int32_t TSpiBitmap::Allocate(std::uint32_t width, std::uint32_t height, std::uint32_t xDpi, std::uint32_t yDpi) {
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return SPI_NOT_SUPPORT;
  // Both sides are at most 65535, so neither product can overflow size_t on
  // a 64-bit system; the check keeps a 32-bit build honest.
  Stride = (static_cast<std::size_t>(width) * 3u + 3u) & ~static_cast<std::size_t>(3u);
  if (Stride > std::numeric_limits<std::size_t>::max() / height) return SPI_NO_MEMORY;
  const std::size_t bytes = Stride * height;
  Info = static_cast<SpiBitmapInfoHeader*>(std::malloc(sizeof(SpiBitmapInfoHeader)));
  Bits = static_cast<std::uint8_t*>(std::malloc(bytes));
  if (Info == nullptr || Bits == nullptr) {
    Free();
    return SPI_NO_MEMORY;
  }
  Width = width;
  Height = height;
  SpiBitmapInfoHeader header{};
  header.size = sizeof(SpiBitmapInfoHeader);
  header.width = static_cast<std::int32_t>(width);
  header.height = -static_cast<std::int32_t>(height);
  header.planes = 1;
  header.bit_count = 24;
  header.compression = SPI_BI_RGB;
  // A block over 4 GiB cannot be stated; 0 means "width and height say it".
  header.size_image = bytes <= std::numeric_limits<std::uint32_t>::max() ? static_cast<std::uint32_t>(bytes) : 0;
  header.x_pels_per_meter = static_cast<std::int32_t>((xDpi * 10000u + 127u) / 254u);
  header.y_pels_per_meter = static_cast<std::int32_t>((yDpi * 10000u + 127u) / 254u);
  std::memcpy(Info, &header, sizeof header);
  const std::size_t used = static_cast<std::size_t>(width) * 3u;
  if (used != Stride)
    for (std::uint32_t y = 0; y < height; ++y) std::memset(Row(y) + used, 0, Stride - used);
  return SPI_ALL_RIGHT;
}

void TSpiBitmap::Free() {
  std::free(Info);
  std::free(Bits);
  Info = nullptr;
  Bits = nullptr;
}

void TSpiBitmap::Release(void** info, void** bits) {
  *info = Info;
  *bits = Bits;
  Info = nullptr;
  Bits = nullptr;
}

void TSpiBitmap::FillWhite() const {
  const std::size_t used = static_cast<std::size_t>(Width) * 3u;
  for (std::uint32_t y = 0; y < Height; ++y) std::memset(Row(y), 0xFF, used);
}

bool TSpiProgress::Report(std::uint64_t done, std::uint64_t total) const {
  if (Callback == nullptr || total == 0) return false;
  // The callback takes int32: scale down work counts that do not fit.
  while (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
    done /= 2;
    total /= 2;
  }
  return Callback(static_cast<std::int32_t>(done), static_cast<std::int32_t>(total), User) != 0;
}

}  // namespace quillet::plugin
