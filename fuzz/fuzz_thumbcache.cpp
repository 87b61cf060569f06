// Cache.dat driven by arbitrary operations: appends of whole or broken BMP
// files, reads at recorded and at arbitrary offsets, clears, and changes to
// the file behind the cache's back (another process writing into it or
// cutting it short). Reads never run past a record or the file; while
// nobody else touched the file, every recorded offset reads back exactly
// what was appended there, and what is read decodes without harm.
#include <fcntl.h>
#include <unistd.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <map>
#include <string>

#include "FuzzSupport.h"
#include "core/viewer/Dib.h"
#include "core/viewer/ThumbCache.h"

using namespace quillet;

namespace {

// Sets bytes 0..5 to "BM" and the length of `bytes`, as a BMP file has them.
void MakeHeader(std::string& bytes) {
  if (bytes.size() < 14) bytes.resize(14, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  const auto length = static_cast<std::uint32_t>(bytes.size());
  for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(2 + i)] = static_cast<char>(length >> (8 * i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string path = fuzz::ScratchFolder() + "/Cache.dat";
  TThumbCache cache;
  FUZZ_CHECK(cache.Create(path));
  std::map<std::int64_t, std::string> records;
  bool tampered = false;
  std::int64_t expectedSize = 0;
  for (int step = 0; step < 32 && input.remaining_bytes() > 0; ++step) {
    switch (input.ConsumeIntegralInRange(0, 5)) {
      case 0:
      case 1: {
        std::string bytes = input.ConsumeRandomLengthString(256);
        if (input.ConsumeBool()) MakeHeader(bytes);
        std::int64_t offset = -1;
        if (cache.Append(bytes, offset)) {
          FUZZ_CHECK(offset == expectedSize || tampered);
          records[offset] = bytes;
          expectedSize = offset + static_cast<std::int64_t>(bytes.size());
        } else {
          FUZZ_CHECK(offset == -1);
        }
        break;
      }
      case 2: {
        std::int64_t offset = input.ConsumeIntegral<std::int64_t>();
        if (input.ConsumeBool() && !records.empty()) {
          auto it = records.begin();
          std::advance(it, input.ConsumeIntegralInRange<std::size_t>(0, records.size() - 1));
          offset = it->first;
        }
        std::string bmp = "untouched";
        if (cache.Read(offset, bmp)) {
          FUZZ_CHECK(bmp.size() >= 14 && bmp[0] == 'B' && bmp[1] == 'M');
          FUZZ_CHECK(offset >= 0 && offset + static_cast<std::int64_t>(bmp.size()) <= cache.Size());
          if (!tampered && records.count(offset)) FUZZ_CHECK(bmp == records[offset]);
          (void)DecodeBmpFile(bmp);
        } else {
          FUZZ_CHECK(tampered || records.count(offset) == 0);
        }
        break;
      }
      case 3:
        FUZZ_CHECK(cache.Clear());
        records.clear();
        expectedSize = 0;
        tampered = false;  // the file is empty again, whatever was done to it
        break;
      case 4: {  // another process writes into the file
        const std::string bytes = input.ConsumeRandomLengthString(32);
        const auto at = input.ConsumeIntegralInRange<off_t>(0, 4096);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        FUZZ_CHECK(fd >= 0);
        FUZZ_CHECK(::pwrite(fd, bytes.data(), bytes.size(), at) == static_cast<ssize_t>(bytes.size()));
        ::close(fd);
        tampered = true;
        break;
      }
      case 5:  // or cuts it short
        FUZZ_CHECK(::truncate(path.c_str(), input.ConsumeIntegralInRange<off_t>(0, 4096)) == 0);
        tampered = true;
        break;
    }
    if (!tampered) FUZZ_CHECK(cache.Size() == expectedSize);
  }
  cache.Release();
  FUZZ_CHECK(!cache.IsOpen());
  return 0;
}
