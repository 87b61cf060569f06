// The two ways a picture enters the program from outside: a packed bitmap
// (information header with colour table, pixel block) as the image plug-ins
// return it, and a BMP file. Each block is copied into a buffer of exactly
// its size, so that the address sanitizer sees any read past it. A decoded
// picture has its stated size, and writing it as a BMP file and reading
// that back (as a file, and as the plug-in layout) gives the same pixels.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "core/viewer/Dib.h"

using namespace quillet;

namespace {

bool SameDib(const TDib& a, const TDib& b) { return a.Width == b.Width && a.Height == b.Height && a.Bits == b.Bits; }

void CheckDib(const TDib& dib) {
  if (dib.Empty()) {
    FUZZ_CHECK(dib.Bits.empty());
    return;
  }
  FUZZ_CHECK(dib.Width <= kMaxDibSide && dib.Height <= kMaxDibSide);
  const std::uint64_t pixels = static_cast<std::uint64_t>(dib.Width) * static_cast<std::uint64_t>(dib.Height);
  FUZZ_CHECK(pixels <= kMaxDibPixels && dib.Bits.size() == pixels * 3);
  if (pixels > (1u << 20)) return;  // the round trip of a huge picture costs seconds and adds nothing
  const std::string file = EncodeBmpFile(dib);
  FUZZ_CHECK(SameDib(DecodeBmpFile(file), dib));
  // The same file as a plug-in returns it: the information header, then the pixels.
  const std::size_t infoSize = 40;
  const std::size_t bitsSize = file.size() - 14 - infoSize;
  const auto info = std::make_unique<std::uint8_t[]>(infoSize);
  const auto bits = std::make_unique<std::uint8_t[]>(bitsSize);
  std::memcpy(info.get(), file.data() + 14, infoSize);
  std::memcpy(bits.get(), file.data() + 14 + infoSize, bitsSize);
  FUZZ_CHECK(SameDib(DibFromPacked(info.get(), infoSize, bits.get(), bitsSize), dib));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  if (input.ConsumeBool()) {
    std::string error;
    const std::string file = input.ConsumeRemainingBytesAsString();
    const auto exact = std::make_unique<char[]>(file.size());
    std::memcpy(exact.get(), file.data(), file.size());
    const TDib dib = DecodeBmpFile(std::string_view(exact.get(), file.size()), &error);
    FUZZ_CHECK(dib.Empty() != error.empty());
    CheckDib(dib);
    return 0;
  }
  const std::string infoBytes = input.ConsumeRandomLengthString(1200);
  const std::string bitsBytes = input.ConsumeRemainingBytesAsString();
  const auto info = std::make_unique<std::uint8_t[]>(infoBytes.size());
  const auto bits = std::make_unique<std::uint8_t[]>(bitsBytes.size());
  std::memcpy(info.get(), infoBytes.data(), infoBytes.size());
  std::memcpy(bits.get(), bitsBytes.data(), bitsBytes.size());
  std::string error;
  const TDib dib = DibFromPacked(info.get(), infoBytes.size(), bits.get(), bitsBytes.size(), &error);
  FUZZ_CHECK(dib.Empty() != error.empty());
  TDibView view;
  if (PackedView24(info.get(), infoBytes.size(), bits.get(), bitsBytes.size(), view)) {
    // The in-place view is taken only where the copy would succeed, and shows the same pixels.
    FUZZ_CHECK(!dib.Empty() && view.Width == dib.Width && view.Height == dib.Height);
    for (std::int32_t y = 0; y < view.Height; ++y) {
      FUZZ_CHECK(std::memcmp(view.Row(y), dib.Row(y), static_cast<std::size_t>(view.Width) * 3) == 0);
    }
  }
  CheckDib(dib);
  return 0;
}
