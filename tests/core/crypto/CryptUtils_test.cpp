// TCryptCBC and the padding schemes: sizes and padding bytes, round trips,
// failures, and whole buffers against OpenSSL's BF-CBC.
#include "core/crypto/CryptUtils.h"

#include <gtest/gtest.h>

#include <random>

#include "OpenSslBlowFish.h"

namespace quillet {
namespace {

using test::FromHex;
using test::SwapHalves;
using test::ToHex;

const std::string kVector("\x3A\x7C\x19\xE2\x58\x0D\xB4\x61", 8);

const std::uint8_t* In(std::string_view s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }
std::uint8_t* Out(std::string& s) { return reinterpret_cast<std::uint8_t*>(s.data()); }

TCryptCBC MakeCrypt(std::string_view key, TPadding padding = padCount, std::string_view iv = kVector) {
  return TCryptCBC(key, std::make_unique<TBlowFish>(), In(iv), iv.size(), padding);
}

std::string Encrypt(TCrypt& crypt, std::string_view plain) {
  std::string out(crypt.PaddedSize(plain.size()), '\0');
  const std::size_t n = crypt.Encrypt(In(plain), Out(out), plain.size());
  EXPECT_EQ(n, out.size());
  return out;
}

std::string Decrypt(TCrypt& crypt, std::string_view cipherText) {
  std::string out(cipherText.size(), '\0');
  const std::ptrdiff_t n = crypt.Decrypt(In(cipherText), Out(out), cipherText.size());
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}

// --- Sizes and padding bytes ---------------------------------------------------------

struct TPadRow {
  const char* name;
  TPadding padding;
  int dataBytes;
  const char* paddedHex;  // the whole block after Pad, data bytes "AA"
};

const TPadRow kPadRows[] = {
    {"count_3", padCount, 3, "AAAAAA0505050505"},
    {"count_0", padCount, 0, "0808080808080808"},
    {"marker_3", padMarker, 3, "AAAAAA8000000000"},
    {"marker_7", padMarker, 7, "AAAAAAAAAAAAAA80"},
    {"zero_6", padZero, 6, "AAAAAAAAAAAA0000"},
    {"space_1", padSpace, 1, "AA20202020202020"},
};

class CryptPadBytes : public testing::TestWithParam<TPadRow> {};

TEST_P(CryptPadBytes, WrittenAndMeasured) {
  const TPadRow& row = GetParam();
  TCryptCBC crypt = MakeCrypt("k", row.padding);
  std::string block(8, '\xAA');
  EXPECT_EQ(crypt.Pad(Out(block), row.dataBytes, true), 8 - row.dataBytes);
  EXPECT_EQ(ToHex(block), row.paddedHex);
  EXPECT_EQ(crypt.Pad(Out(block), 8, false), 8 - row.dataBytes);
}

INSTANTIATE_TEST_SUITE_P(Schemes, CryptPadBytes, testing::ValuesIn(kPadRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CryptPadding, CountTakesTheLastByteUnchecked) {
  TCryptCBC crypt = MakeCrypt("k", padCount);
  std::string block("ABCDEFG\x00", 8);
  EXPECT_EQ(crypt.Pad(Out(block), 8, false), 0);
  block[7] = '\xC8';
  EXPECT_EQ(crypt.Pad(Out(block), 8, false), 200);
}

TEST(CryptPadding, MarkerWithoutAMarkerIsACryptError) {
  TCryptCBC crypt = MakeCrypt("k", padMarker);
  std::string noMarker("ABCDEF\x01\x00", 8);
  std::string zeros(8, '\0');
  try {
    crypt.Pad(Out(noMarker), 8, false);
    FAIL() << "no error";
  } catch (const ECryptError& error) {
    EXPECT_STREQ(error.what(), "Crypt Error");
  }
  EXPECT_THROW(crypt.Pad(Out(zeros), 8, false), ECryptError);
}

TEST(CryptPadding, ZeroAndSpaceRemoveEveryTrailingFillByte) {
  TCryptCBC zero = MakeCrypt("k", padZero);
  TCryptCBC space = MakeCrypt("k", padSpace);
  std::string zeros(8, '\0');
  std::string blanks(8, ' ');
  std::string word("AB      ", 8);
  EXPECT_EQ(zero.Pad(Out(zeros), 8, false), 8);
  EXPECT_EQ(space.Pad(Out(blanks), 8, false), 8);
  EXPECT_EQ(space.Pad(Out(word), 8, false), 6);
}

// --- Round trips -------------------------------------------------------------------------

TEST(CryptRoundTrip, EveryLengthComesBackExactly) {
  for (const TPadding padding : {padCount, padMarker, padZero, padSpace}) {
    for (std::size_t length = 0; length <= 40; ++length) {
      std::string plain;
      // Data that never ends in a fill byte, which padZero and padSpace
      // cannot tell from padding.
      for (std::size_t i = 0; i < length; ++i) plain.push_back(static_cast<char>('a' + i % 26));
      TCryptCBC crypt = MakeCrypt("round trip", padding);
      const std::string encrypted = Encrypt(crypt, plain);
      EXPECT_EQ(encrypted.size(), (length / 8 + 1) * 8);
      EXPECT_EQ(Decrypt(crypt, encrypted), plain) << "padding " << int{padding} << " length " << length;
    }
  }
}

TEST(CryptRoundTrip, OneObjectProcessesIndependentMessages) {
  TCryptCBC crypt = MakeCrypt("same");
  const std::string first = Encrypt(crypt, "a diary entry");
  EXPECT_EQ(Encrypt(crypt, "a diary entry"), first);  // the chain starts from the vector each time
  EXPECT_EQ(Decrypt(crypt, first), "a diary entry");
  EXPECT_EQ(Decrypt(crypt, first), "a diary entry");
}

TEST(CryptRoundTrip, InPlaceEqualsTwoBuffers) {
  const std::string plain = "0123456789abcdefXYZ";
  TCryptCBC crypt = MakeCrypt("in place");
  const std::string separate = Encrypt(crypt, plain);
  std::string buffer = plain;
  buffer.resize(crypt.PaddedSize(plain.size()));
  crypt.Encrypt(Out(buffer), Out(buffer), plain.size());
  EXPECT_EQ(buffer, separate);
  const std::ptrdiff_t n = crypt.Decrypt(Out(buffer), Out(buffer), buffer.size());
  EXPECT_EQ(buffer.substr(0, static_cast<std::size_t>(n)), plain);
}

TEST(CryptRoundTrip, BlockCallsEqualTheWholeBufferCall) {
  // Encrypt takes the cipher's fast CBC loop; the single-block calls must
  // give the same chain.
  const std::string plain = "sixteen bytes!!!twenty-four bytes here...";
  TCryptCBC crypt = MakeCrypt("paths");
  const std::string whole = Encrypt(crypt, plain);
  std::string padded = test::PadCount(plain);
  crypt.InitEncrypt();
  for (std::size_t i = 0; i < padded.size(); i += 8) crypt.EncryptBlock(Out(padded) + i, Out(padded) + i);
  EXPECT_EQ(padded, whole);
}

// A cipher that inherits the generic CBC loops of TCipher.
class TPlainLoopCipher final : public TCipher {
public:
  std::unique_ptr<TCipher> Create() const override { return std::make_unique<TPlainLoopCipher>(); }
  std::string Name() const override { return "loop"; }
  int BlockSize() const override { return 8; }
  void SetKey(const std::uint8_t* key, std::size_t length) override { m_inner.SetKey(key, length); }
  void EncryptBlock(const std::uint8_t* s, std::uint8_t* d) override { m_inner.EncryptBlock(s, d); }
  void DecryptBlock(const std::uint8_t* s, std::uint8_t* d) override { m_inner.DecryptBlock(s, d); }

private:
  TBlowFish m_inner;
};

TEST(CryptRoundTrip, GenericLoopsEqualTheFastOnes) {
  std::string plain(1000, '\0');
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(i * 7);
  TCryptCBC fast = MakeCrypt("generic");
  TCryptCBC generic("generic", std::make_unique<TPlainLoopCipher>(), In(kVector), 8, padCount);
  const std::string expected = Encrypt(fast, plain);
  EXPECT_EQ(Encrypt(generic, plain), expected);
  EXPECT_EQ(Decrypt(generic, expected), plain);
}

// --- Construction ------------------------------------------------------------------------

TEST(CryptCreate, VectorIsCutOrZeroFilledToOneBlock) {
  const std::string longIv = "0123456789";
  TCryptCBC cut = MakeCrypt("k", padCount, longIv);
  EXPECT_EQ(std::string(cut.IV().begin(), cut.IV().end()), "01234567");
  TCryptCBC filled = MakeCrypt("k", padCount, "ab");
  EXPECT_EQ(std::string(filled.IV().begin(), filled.IV().end()), std::string("ab\0\0\0\0\0\0", 8));
  TCryptCBC none("k", std::make_unique<TBlowFish>(), nullptr, 0, padCount);
  EXPECT_EQ(std::string(none.IV().begin(), none.IV().end()), std::string(8, '\0'));
}

TEST(CryptCreate, ABorrowedCipherOutlivesTheChain) {
  TBlowFish cipher;
  {
    TCryptCBC crypt(In("borrowed"), 8, cipher, In(kVector), 8, padCount);
    EXPECT_FALSE(crypt.OwnsCipher());
    EXPECT_EQ(&crypt.Cipher(), &cipher);
  }
  EXPECT_EQ(cipher.P(), [] {
    TBlowFish expected;
    expected.SetKey(In("borrowed"), 8);
    return expected.P();
  }());
  TCryptCBC owning = MakeCrypt("owned");
  EXPECT_TRUE(owning.OwnsCipher());
}

TEST(CryptCreate, AnEmptyKeyIsRefused) {
  EXPECT_THROW(MakeCrypt(""), EAssertionFailed);
}

// --- Failures ----------------------------------------------------------------------------

TEST(CryptDecrypt, ALengthThatIsNotWholeBlocksFailsBeforeWriting) {
  TCryptCBC crypt = MakeCrypt("k");
  const std::string twelve(12, 'x');
  std::string out(12, '-');
  try {
    crypt.Decrypt(In(twelve), Out(out), twelve.size());
    FAIL() << "no error";
  } catch (const EAssertionFailed& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Assertion failure", 0), 0u);
  }
  EXPECT_EQ(out, std::string(12, '-'));
}

TEST(CryptDecrypt, NothingGivesNothing) {
  TCryptCBC crypt = MakeCrypt("k");
  EXPECT_EQ(crypt.Decrypt(nullptr, nullptr, 0), 0);
}

TEST(CryptDecrypt, APaddingByteBeyondTheDataGivesANegativeLength) {
  // Encrypt eight bytes whose plain last block ends in 0xFF (no padding
  // scheme writes that); padCount then measures 255 bytes of padding.
  TCryptCBC crypt = MakeCrypt("k");
  std::string block("1234567\xFF", 8);
  crypt.InitEncrypt();
  crypt.EncryptBlock(Out(block), Out(block));
  std::string out(8, '\0');
  EXPECT_EQ(crypt.Decrypt(In(block), Out(out), 8), 8 - 255);
}

// --- Against OpenSSL --------------------------------------------------------------------

TEST(CryptOpenSsl, PublishedCbcVectorThroughTheMapping) {
  // Eric Young's CBC vector: 32 bytes of data (the text and its NUL, zero
  // filled), so the first four blocks of our output are the published ones.
  const std::string key = FromHex("0123456789ABCDEFF0E1D2C3B4A59687");
  const std::string iv = SwapHalves(FromHex("FEDCBA9876543210"));
  const std::string plain = SwapHalves(std::string("7654321 Now is the time for \0\0\0\0", 32));
  TCryptCBC crypt(key, std::make_unique<TBlowFish>(), In(iv), 8, padCount);
  const std::string out = Encrypt(crypt, plain);
  EXPECT_EQ(ToHex(SwapHalves(out.substr(0, 32))),
            "6B77B4D63006DEE605B156E27403979358DEB9E7154616D959F1652BD5FF92CC");
}

TEST(CryptOpenSsl, RandomKeysAndLengthsMatchAndInvert) {
  std::mt19937 random(7031);
  std::uniform_int_distribution<std::size_t> keyLength(1, 80);
  std::uniform_int_distribution<std::size_t> length(0, 10000);
  for (int round = 0; round < 120; ++round) {
    std::string key(keyLength(random), '\0');
    for (char& c : key) c = static_cast<char>(random());
    std::string iv(8, '\0');
    for (char& c : iv) c = static_cast<char>(random());
    // A few lengths at the block edges, then random ones.
    const std::size_t n = round < 10 ? static_cast<std::size_t>(round) : length(random);
    std::string plain(n, '\0');
    for (char& c : plain) c = static_cast<char>(random());
    TCryptCBC crypt(key, std::make_unique<TBlowFish>(), In(iv), 8, padCount);
    const std::string ours = Encrypt(crypt, plain);
    ASSERT_EQ(ours, test::OpenSslCbcInOurOrder(key, iv, test::PadCount(plain)))
        << "key length " << key.size() << ", length " << n;
    ASSERT_EQ(Decrypt(crypt, ours), plain);
  }
}

}  // namespace
}  // namespace quillet
