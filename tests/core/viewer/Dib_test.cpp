// The packed-bitmap and BMP readers against layouts built here from their
// documented byte order, against ImageMagick's BMP writer and reader, and
// against headers that lie.
#include "core/viewer/Dib.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>

#include "core/app/TempFolder.h"

namespace quillet {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A picture as colour indices and the palette, and the TDib it must give.
struct TPicture {
  std::int32_t w = 0, h = 0;
  std::vector<unsigned> index;       // w × h, top row first
  std::vector<std::uint8_t> palette;  // blue, green, red per entry
  TDib Expected() const {
    TDib dib;
    dib.Width = w;
    dib.Height = h;
    for (unsigned i : index) dib.Bits.insert(dib.Bits.end(), palette.begin() + i * 3, palette.begin() + i * 3 + 3);
    return dib;
  }
};

TPicture RandomPicture(std::int32_t w, std::int32_t h, unsigned colours, std::mt19937& rng) {
  TPicture p;
  p.w = w;
  p.h = h;
  for (unsigned i = 0; i < colours * 3; ++i) p.palette.push_back(static_cast<std::uint8_t>(rng()));
  for (std::int32_t i = 0; i < w * h; ++i) p.index.push_back(static_cast<unsigned>(rng() % colours));
  return p;
}

// The information block (40-byte header and colour table) and pixel block of
// `p` as the plug-in interface lays them out.
void Pack(const TPicture& p, unsigned bitCount, bool topDown, Bytes& info, Bytes& bits) {
  const bool indexed = bitCount <= 8;
  info.assign(40 + (indexed ? (1u << bitCount) * 4 : 0), 0);
  Put32(info, 0, 40);
  Put32(info, 4, static_cast<std::uint32_t>(p.w));
  Put32(info, 8, static_cast<std::uint32_t>(topDown ? -p.h : p.h));
  Put16(info, 12, 1);
  Put16(info, 14, bitCount);
  if (indexed) {
    for (std::size_t i = 0; i < p.palette.size() / 3; ++i) std::memcpy(&info[40 + i * 4], &p.palette[i * 3], 3);
  }
  const std::size_t stride = (static_cast<std::size_t>(p.w) * bitCount + 31) / 32 * 4;
  bits.assign(stride * static_cast<std::size_t>(p.h), 0xEE);  // padding bytes hold junk
  for (std::int32_t y = 0; y < p.h; ++y) {
    std::uint8_t* row = &bits[stride * static_cast<std::size_t>(topDown ? y : p.h - 1 - y)];
    for (std::int32_t x = 0; x < p.w; ++x) {
      const unsigned i = p.index[static_cast<std::size_t>(y * p.w + x)];
      const auto ux = static_cast<std::size_t>(x);
      if (indexed) {
        const std::size_t bit = ux * bitCount;
        std::uint8_t& byte = row[bit / 8];
        const unsigned shift = 8 - bitCount - bit % 8;
        byte = static_cast<std::uint8_t>((byte & ~(((1u << bitCount) - 1) << shift)) | (i << shift));
      } else {
        std::memcpy(row + ux * bitCount / 8, &p.palette[i * 3], 3);
      }
    }
  }
}

void ExpectSame(const TDib& got, const TDib& want, int tolerance = 0) {
  ASSERT_EQ(got.Width, want.Width);
  ASSERT_EQ(got.Height, want.Height);
  ASSERT_EQ(got.Bits.size(), want.Bits.size());
  for (std::size_t i = 0; i < want.Bits.size(); ++i) {
    ASSERT_LE(std::abs(got.Bits[i] - want.Bits[i]), tolerance) << "byte " << i << " (pixel " << i / 3 << ")";
  }
}

TEST(DibFromPacked, EveryBitCountBothOrientationsWithPadding) {
  std::mt19937 rng(7);
  for (const unsigned bitCount : {1u, 4u, 8u, 24u, 32u}) {
    for (const bool topDown : {false, true}) {
      // Odd widths leave padding at the end of every row.
      const TPicture p = RandomPicture(bitCount <= 8 ? 11 : 5, 3, bitCount <= 8 ? 1u << bitCount : 200u, rng);
      Bytes info, bits;
      Pack(p, bitCount, topDown, info, bits);
      std::string error;
      SCOPED_TRACE(std::to_string(bitCount) + (topDown ? " top-down" : " bottom-up"));
      ExpectSame(DibFromPacked(info.data(), info.size(), bits.data(), bits.size(), &error), p.Expected());
      EXPECT_EQ(error, "");
    }
  }
}

TEST(DibFromPacked, ShortColourTableFromColorsUsed) {
  std::mt19937 rng(3);
  const TPicture p = RandomPicture(6, 2, 3, rng);
  Bytes info, bits;
  Pack(p, 8, false, info, bits);
  Put32(info, 32, 3);  // colors_used: the table has 3 entries only
  info.resize(40 + 3 * 4);
  ExpectSame(DibFromPacked(info.data(), info.size(), bits.data(), bits.size()), p.Expected());
}

TEST(DibFromPacked, RefusesHeadersThatDoNotMatchTheirBlocks) {
  std::mt19937 rng(5);
  const TPicture p = RandomPicture(5, 4, 256, rng);
  Bytes goodInfo, goodBits;
  Pack(p, 8, false, goodInfo, goodBits);
  struct TCase {
    const char* name;
    std::function<void(Bytes& info, Bytes& bits)> damage;
    const char* error;  // part of the message
  } cases[] = {
      {"info block under 40 bytes", [](Bytes& i, Bytes&) { i.resize(39); }, "shorter than 40"},
      {"header size past the block", [](Bytes& i, Bytes&) { Put32(i, 0, 5000); }, "states 5000"},
      {"header size under 40", [](Bytes& i, Bytes&) { Put32(i, 0, 12); }, "states 12"},
      {"compressed", [](Bytes& i, Bytes&) { Put32(i, 16, 1); }, "compression 1"},
      {"16 bits", [](Bytes& i, Bytes&) { Put16(i, 14, 16); }, "bit count 16"},
      {"zero width", [](Bytes& i, Bytes&) { Put32(i, 4, 0); }, "outside"},
      {"negative width", [](Bytes& i, Bytes&) { Put32(i, 4, static_cast<std::uint32_t>(-5)); }, "outside"},
      {"width 65536", [](Bytes& i, Bytes&) { Put32(i, 4, 65536); }, "outside"},
      {"zero height", [](Bytes& i, Bytes&) { Put32(i, 8, 0); }, "outside"},
      {"height -65536", [](Bytes& i, Bytes&) { Put32(i, 8, static_cast<std::uint32_t>(-65536)); }, "outside"},
      {"height INT_MIN", [](Bytes& i, Bytes&) { Put32(i, 8, 0x80000000u); }, "outside"},
      {"colour table cut off", [](Bytes& i, Bytes&) { i.resize(40 + 255 * 4); }, "colour table"},
      {"pixel block one byte short", [](Bytes&, Bytes& b) { b.pop_back(); }, "pixel block holds 31"},
      {"sides at the limit, tiny block",
       [](Bytes& i, Bytes&) {
         Put32(i, 4, 65535);
         Put32(i, 8, 65535);
       },
       "the header needs 4294901760"},
      {"no pixel block", [](Bytes&, Bytes& b) { b.clear(); }, "pixel block holds 0"},
  };
  for (const TCase& c : cases) {
    Bytes info = goodInfo, bits = goodBits;
    c.damage(info, bits);
    std::string error;
    const TDib dib = DibFromPacked(info.data(), info.size(), bits.empty() ? nullptr : bits.data(), bits.size(), &error);
    EXPECT_TRUE(dib.Empty()) << c.name;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
  }
}

// A file of `dib` written by EncodeBmpFile reads back the same, and
// ImageMagick reads the same pixels from it.
TEST(BmpFile, EncodeDecodeRoundTripAndImageMagickAgrees) {
  std::mt19937 rng(11);
  TDib dib;
  dib.Width = 7;  // 21 bytes a row: three bytes of padding
  dib.Height = 5;
  for (int i = 0; i < 7 * 5 * 3; ++i) dib.Bits.push_back(static_cast<std::uint8_t>(rng()));
  const std::string file = EncodeBmpFile(dib);
  ASSERT_EQ(file.size(), 14u + 40u + 24u * 5u);
  ExpectSame(DecodeBmpFile(file), dib);
  EXPECT_EQ(EncodeBmpFile(TDib{}), "");

  std::string out;
  if (!test::RunCommand("convert -version >/dev/null 2>&1", out)) GTEST_SKIP() << "ImageMagick not installed";
  test::TTempFolder folder;
  test::WriteRaw(folder / "a.bmp", file);
  ASSERT_TRUE(test::RunCommand("convert '" + (folder / "a.bmp") + "' -depth 8 RGB:-", out));
  ASSERT_EQ(out.size(), dib.Bits.size());
  for (std::size_t i = 0; i < out.size(); i += 3) {  // RGB against blue, green, red
    ASSERT_EQ(static_cast<std::uint8_t>(out[i]), dib.Bits[i + 2]) << i;
    ASSERT_EQ(static_cast<std::uint8_t>(out[i + 1]), dib.Bits[i + 1]) << i;
    ASSERT_EQ(static_cast<std::uint8_t>(out[i + 2]), dib.Bits[i]) << i;
  }
}

// Reads RGB bytes (as ImageMagick writes "RGB:-") into a TDib.
TDib FromRgb(const std::string& rgb, std::int32_t w, std::int32_t h) {
  TDib dib;
  dib.Width = w;
  dib.Height = h;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
    dib.Bits.push_back(static_cast<std::uint8_t>(rgb[i + 2]));
    dib.Bits.push_back(static_cast<std::uint8_t>(rgb[i + 1]));
    dib.Bits.push_back(static_cast<std::uint8_t>(rgb[i]));
  }
  return dib;
}

class BmpFromImageMagick : public ::testing::Test {
protected:
  void SetUp() override {
    std::string out;
    if (!test::RunCommand("convert -version >/dev/null 2>&1", out)) GTEST_SKIP() << "ImageMagick not installed";
    std::mt19937 rng(13);
    // Noise for the deep layouts, three colours for the 1- and 4-bit ones.
    std::string noise = "P6 13 7 255\n", few = "P6 13 7 255\n";
    const char colours[3][3] = {{'\xFF', 0, 0}, {0, 0, '\xFF'}, {0, '\x80', 0}};
    for (int i = 0; i < 13 * 7; ++i) {
      for (int c = 0; c < 3; ++c) noise += static_cast<char>(rng());
      few.append(colours[rng() % 3], 3);
    }
    test::WriteRaw(m_folder / "noise.ppm", noise);
    test::WriteRaw(m_folder / "few.ppm", few);
  }
  // Writes `source` with `options` through ImageMagick; the file's bytes,
  // and ImageMagick's own reading of it in `reference`.
  std::string Convert(const std::string& source, const std::string& options, TDib& reference) {
    std::string out;
    const std::string bmp = m_folder / "out.bmp";
    EXPECT_TRUE(test::RunCommand("convert '" + (m_folder / source) + "' " + options + "'" + bmp + "'", out));
    EXPECT_TRUE(test::RunCommand("convert 'BMP:" + bmp + "' -depth 8 RGB:-", out));
    reference = FromRgb(out, 13, 7);
    return test::ReadRaw(bmp);
  }
  test::TTempFolder m_folder;
};

TEST_F(BmpFromImageMagick, EveryLayoutReadsAsImageMagickReadsIt) {
  struct TCase {
    const char* name;
    const char* source;
    const char* options;  // ending in the output format prefix
    int tolerance;        // 5- and 6-bit channels may round differently
  } cases[] = {
      {"24 bits", "noise.ppm", "BMP3:", 0},
      {"8 bits, palette", "noise.ppm", "-type Palette -compress None BMP3:", 0},
      {"RLE8", "noise.ppm", "-type Palette -compress RLE BMP3:", 0},
      {"4 bits", "few.ppm", "-type Palette -compress None BMP3:", 0},
      {"1 bit", "few.ppm", "-monochrome BMP3:", 0},
      {"16 bits, 565 bit fields", "noise.ppm", "-define bmp:subtype=RGB565 BMP:", 2},
      {"16 bits, 555 bit fields", "noise.ppm", "-define bmp:subtype=RGB555 BMP:", 2},
      {"32 bits, bit fields", "noise.ppm", "-alpha set BMP:", 0},
      {"12-byte core header", "noise.ppm", "BMP2:", 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TDib reference;
    const std::string file = Convert(c.source, c.options, reference);
    std::string error;
    ExpectSame(DecodeBmpFile(file, &error), reference, c.tolerance);
    EXPECT_EQ(error, "");
  }
}

// Every cut of every file, and random damage, decodes or is refused but
// never reads outside the bytes (the sanitizer build proves the latter).
TEST_F(BmpFromImageMagick, CutAndDamagedFilesNeverReadOutside) {
  std::mt19937 rng(17);
  for (const char* options : {"BMP3:", "-type Palette -compress RLE BMP3:", "-alpha set BMP:", "BMP2:"}) {
    TDib reference;
    const std::string file = Convert("noise.ppm", options, reference);
    const bool runLength = std::strstr(options, "RLE") != nullptr;
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
      const std::string part = file.substr(0, cut);  // a copy of its own, so a read past it is caught
      const TDib dib = DecodeBmpFile(part);
      if (!runLength) {
        ASSERT_TRUE(dib.Empty()) << options << " cut at " << cut;
      }
    }
    for (int round = 0; round < 300; ++round) {
      std::string damaged = file;
      for (int n = 0; n < 4; ++n) damaged[rng() % std::min<std::size_t>(damaged.size(), 200)] = static_cast<char>(rng());
      DecodeBmpFile(damaged);
    }
  }
}

TEST_F(BmpFromImageMagick, TopDownRowsReadTheSame) {
  TDib reference;
  std::string file = Convert("noise.ppm", "BMP3:", reference);
  // Negate the height and store the rows in the other order.
  const std::size_t offset = 54, stride = 40;
  std::string topDown = file.substr(0, offset);
  for (int row = 6; row >= 0; --row) topDown += file.substr(offset + stride * static_cast<std::size_t>(row), stride);
  Bytes header(topDown.begin(), topDown.begin() + 54);
  Put32(header, 22, static_cast<std::uint32_t>(-7));
  std::copy(header.begin(), header.end(), topDown.begin());
  ExpectSame(DecodeBmpFile(topDown), reference);
}

// A BMP file of `w` × `h` with a 40-byte header and `data` as its pixel
// bytes; a 16-entry palette of grey levels 0, 16, 32, ...
std::string MakeBmp(std::int32_t w, std::int32_t h, unsigned bitCount, unsigned compression, const std::string& data) {
  Bytes b(14 + 40 + 16 * 4, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 10, static_cast<std::uint32_t>(b.size()));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(w));
  Put32(b, 22, static_cast<std::uint32_t>(h));
  Put16(b, 26, 1);
  Put16(b, 28, bitCount);
  Put32(b, 30, compression);
  Put32(b, 46, 16);
  for (unsigned i = 0; i < 16; ++i) b[54 + i * 4] = b[55 + i * 4] = b[56 + i * 4] = static_cast<std::uint8_t>(i * 16);
  return std::string(b.begin(), b.end()) + data;
}

// Grey levels of a decoded picture, top row first, as palette indices.
std::string Indices(const TDib& dib) {
  std::string out;
  for (std::size_t i = 0; i < dib.Bits.size(); i += 3) out += static_cast<char>('0' + dib.Bits[i] / 16);
  return out;
}

TEST(BmpFile, Rle4RunsLiteralsDeltaAndEndOfLine) {
  // Bottom row: a run of 3 alternating 1,2 then a literal 3,4,5 (padded);
  // end of line; delta right 2 and up 0, run 1 of 7; end of picture.
  const std::string data("\x03\x12\x00\x03\x34\x50\x00\x00\x00\x02\x02\x00\x01\x77\x00\x01", 16);
  const TDib dib = DecodeBmpFile(MakeBmp(6, 2, 4, 2, data));
  EXPECT_EQ(Indices(dib), "007000" "121345");
}

TEST(BmpFile, RefusesLyingHeaders) {
  const std::string pixels(8, '\0');
  struct TCase {
    const char* name;
    std::string file;
    const char* error;
  } cases[] = {
      {"empty", "", "not a BMP"},
      {"no signature", "XX" + MakeBmp(2, 2, 8, 0, pixels).substr(2), "not a BMP"},
      {"bit count 7", MakeBmp(2, 2, 7, 0, pixels), "bit count 7"},
      {"JPEG inside", MakeBmp(2, 2, 24, 4, pixels), "compression 4"},
      {"RLE8 of 4 bits", MakeBmp(2, 2, 4, 1, pixels), "run-length"},
      {"RLE top-down", MakeBmp(2, -2, 8, 1, pixels), "top-down"},
      {"width 65536", MakeBmp(65536, 1, 8, 0, pixels), "outside"},
      {"negative width", MakeBmp(-2, 2, 8, 0, pixels), "outside"},
      {"height INT_MIN", MakeBmp(2, INT_MIN, 8, 0, pixels), "outside"},
      {"pixels cut off", MakeBmp(2, 3, 8, 0, pixels), "cut off"},
      {"RLE claiming 65535 x 65535", MakeBmp(65535, 65535, 8, 1, std::string("\x00\x01", 2)), "too large"},
  };
  for (const TCase& c : cases) {
    std::string error;
    EXPECT_TRUE(DecodeBmpFile(c.file, &error).Empty()) << c.name;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
  }
  // Bit fields of a 40-byte header follow it: a red mask that is not one run.
  std::string fields = MakeBmp(2, 2, 16, 3, pixels);
  fields.replace(54, 12, std::string("\x0F\x0F\0\0\0\xF0\0\0\xF0\0\0\0", 12));
  std::string error;
  EXPECT_TRUE(DecodeBmpFile(fields, &error).Empty());
  EXPECT_NE(error.find("not one run"), std::string::npos) << error;
  // A pixel offset past the end.
  std::string file = MakeBmp(2, 2, 8, 0, pixels);
  file[10] = '\xFF';
  file[11] = '\xFF';
  EXPECT_TRUE(DecodeBmpFile(file, &error).Empty());
  EXPECT_NE(error.find("past the end"), std::string::npos) << error;
}

}  // namespace
}  // namespace quillet
