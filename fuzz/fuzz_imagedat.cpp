// Image.dat over arbitrary bytes: no name that leaves the day picture folder
// is ever listed, a list the writer accepts reads back as itself, and the
// file reader gives what the byte parser gives.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "core/viewer/ImageDat.h"

using namespace quillet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const TImageDatParse parse = ParseImageDat(bytes);
  std::vector<TImageDatLine> storable;
  for (const TImageDatLine& line : parse.Lines) {
    FUZZ_CHECK(!line.Name.empty() && line.Name != "." && line.Name != "..");
    FUZZ_CHECK(line.Name.find('/') == std::string::npos && line.Name.find('\0') == std::string::npos);
    const std::string disk = PictureDiskName(line.Name);
    FUZZ_CHECK(!disk.empty() && disk != "." && disk != ".." && disk.find('/') == std::string::npos &&
               disk.find('\0') == std::string::npos);
    std::string back;
    if (PictureListName(disk, back)) (void)back;
    if (ImageDatNameFlaw(line.Name).empty() && ImageDatCommentFlaw(line.Comment).empty()) storable.push_back(line);
  }
  std::string out;
  FUZZ_CHECK(ImageDatBytes(storable, out));
  const TImageDatParse again = ParseImageDat(out);
  FUZZ_CHECK(again.Lines == storable && again.Dropped == 0);
  if (storable.size() != parse.Lines.size()) {
    std::string unchanged = "unchanged";
    FUZZ_CHECK(!ImageDatBytes(parse.Lines, unchanged) && unchanged == "unchanged");
  }

  TImageDatFile file(fuzz::WriteScratch(kImageDatName, bytes));
  const TImageDatLoad load = file.Load();
  FUZZ_CHECK(load.State == TImageDatRead::Read && load.Lines == parse.Lines && load.Dropped == parse.Dropped);
  FUZZ_CHECK(file.MayReplace());
  return 0;
}
