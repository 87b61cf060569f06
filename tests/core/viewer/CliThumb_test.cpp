// quillet-cli thumb: the same thumbnail as the image list makes, written as
// the cached BMP file or as PNG, and its refusals.
#include <gtest/gtest.h>

#include <random>

#include "core/app/TempFolder.h"
#include "core/viewer/Dib.h"
#include "core/viewer/Scaler.h"

using namespace quillet;

namespace {

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

TEST(CliThumb, WritesTheListsThumbnailAsBmpOrPng) {
  test::TTempFolder scratch, app;
  TDib picture{200, 100, std::vector<std::uint8_t>(200 * 100 * 3)};
  std::mt19937 random(3);
  for (auto& byte : picture.Bits) byte = static_cast<std::uint8_t>(random());
  test::WriteRaw(scratch / "in.bmp", EncodeBmpFile(picture));

  test::TRun run = test::RunCli(scratch, app.Path(), "thumb --size 96 '" + (scratch / "in.bmp") + "' '" +
                                                         (scratch / "out.bmp") + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, (scratch / "in.bmp") + "\t200x100\t96x48\n");
  const TDib expected = MakeThumbnail(picture, 96);
  const TDib written = DecodeBmpFile(test::ReadRaw(scratch / "out.bmp"));
  EXPECT_EQ(written.Width, 96);
  EXPECT_EQ(written.Height, 48);
  EXPECT_EQ(written.Bits, expected.Bits);

  // PNG by default; the size from the settings file when not given.
  std::filesystem::create_directories(app / "Option");
  test::WriteRaw(app / "Option/quillet.ini", "[Viewer]\r\nSize=-50\r\n");
  run = test::RunCli(scratch, app.Path(), "thumb '" + (scratch / "in.bmp") + "' '" + (scratch / "out.png") + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string png = test::ReadRaw(scratch / "out.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(BigEndian(png, 16), 50u);
  EXPECT_EQ(BigEndian(png, 20), 25u);
}

TEST(CliThumb, RefusesWhatItCannotReadOrWrite) {
  test::TTempFolder scratch, app;
  test::WriteRaw(scratch / "broken.bmp", "BM but nothing else");
  test::WriteRaw(scratch / "photo.xyz", "no plug-in reads this");
  test::WriteRaw(scratch / "ok.bmp", EncodeBmpFile(TDib{2, 2, std::vector<std::uint8_t>(12, 9)}));
  const struct {
    std::string args;
    int status;
  } cases[] = {
      {"'" + (scratch / "broken.bmp") + "' out.png", 1},
      {"'" + (scratch / "missing.bmp") + "' out.png", 1},
      {"--plugins '" + scratch.Path() + "' '" + (scratch / "photo.xyz") + "' out.png", 1},
      {"'" + (scratch / "ok.bmp") + "' '" + (scratch / "no/such/folder/out.png") + "'", 1},
      {"--size 0 '" + (scratch / "ok.bmp") + "' out.png", 2},
      {"--size 12x '" + (scratch / "ok.bmp") + "' out.png", 2},
      {"'" + (scratch / "ok.bmp") + "'", 2},
  };
  for (const auto& c : cases) {
    const test::TRun run = test::RunCli(scratch, app.Path(), "thumb " + c.args);
    EXPECT_EQ(run.status, c.status) << c.args << "\n" << run.err;
    EXPECT_FALSE(run.err.empty()) << c.args;
  }
}

}  // namespace
