// TBlowFish against the published test vectors (through the byte-order
// mapping of its halves: each 4-byte half is read least significant byte
// first) and against OpenSSL on random keys of 1 to 80 bytes, which also
// checks that a short key repeats and that bytes past the 72nd are ignored.
#include "core/crypto/BlowFish.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/crypto/CryptUtils.h"
#include "OpenSslBlowFish.h"

namespace quillet {
namespace {

using test::FromHex;
using test::SwapHalves;
using test::ToHex;

TBlowFish Keyed(std::string_view key) {
  TBlowFish cipher;
  cipher.SetKey(reinterpret_cast<const std::uint8_t*>(key.data()), key.size());
  return cipher;
}

std::string EncryptOne(TBlowFish& cipher, std::string_view block) {
  std::string out(8, '\0');
  cipher.EncryptBlock(reinterpret_cast<const std::uint8_t*>(block.data()), reinterpret_cast<std::uint8_t*>(out.data()));
  return out;
}

std::string DecryptOne(TBlowFish& cipher, std::string_view block) {
  std::string out(8, '\0');
  cipher.DecryptBlock(reinterpret_cast<const std::uint8_t*>(block.data()), reinterpret_cast<std::uint8_t*>(out.data()));
  return out;
}

// --- Published vectors ----------------------------------------------------------

struct TVector {
  const char* name;
  const char* keyHex;
  const char* plainHex;
  const char* cipherHex;  // as published, most significant byte first
};

// Eric Young's and Schneier's published ECB vectors.
const TVector kPublished[] = {
    {"zero key, zero block", "0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"all ones", "FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"key 3000..", "3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"ones pattern", "1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"counting key", "0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"reverse counting key", "FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"alphabet key, BLOWFISH", "6162636465666768696A6B6C6D6E6F707172737475767778797A", "424C4F5746495348",
     "324ED0FEF413A203"},
    {"Who is John Galt?", "57686F206973204A6F686E2047616C743F", "FEDCBA9876543210", "CC91732B8022F684"},
    // Variable key length: prefixes of F0E1D2C3B4A5968778695A4B3C2D1E0F00112233445566.
    {"key length 1", "F0", "FEDCBA9876543210", "F9AD597C49DB005E"},
    {"key length 2", "F0E1", "FEDCBA9876543210", "E91D21C1D961A6D6"},
    {"key length 3", "F0E1D2", "FEDCBA9876543210", "E9C2B70A1BC65CF3"},
    {"key length 8", "F0E1D2C3B4A59687", "FEDCBA9876543210", "E87A244E2CC85E82"},
    {"key length 24", "F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677", "FEDCBA9876543210",
     "05044B62FA52D080"},
};

class BlowFishPublished : public testing::TestWithParam<TVector> {};

TEST_P(BlowFishPublished, EncryptsAfterTheHalvesAreReversed) {
  const TVector& v = GetParam();
  TBlowFish cipher = Keyed(FromHex(v.keyHex));
  // Our block bytes are the published ones with each half reversed.
  const std::string plain = SwapHalves(FromHex(v.plainHex));
  const std::string encrypted = EncryptOne(cipher, plain);
  EXPECT_EQ(ToHex(SwapHalves(encrypted)), v.cipherHex);
  EXPECT_EQ(DecryptOne(cipher, encrypted), plain);
}

INSTANTIATE_TEST_SUITE_P(Vectors, BlowFishPublished, testing::ValuesIn(kPublished),
                         [](const testing::TestParamInfo<TVector>& row) {
                           std::string name;
                           for (const char* c = row.param.name; *c; ++c) {
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           }
                           return name;
                         });

// --- Key schedule ------------------------------------------------------------------

TEST(BlowFishKey, ReKeyingStartsFromTheInitialTables) {
  TBlowFish cipher = Keyed("first");
  cipher.SetKey(reinterpret_cast<const std::uint8_t*>("second"), 6);
  EXPECT_EQ(cipher.P(), Keyed("second").P());
}

// --- Blocks -------------------------------------------------------------------------

TEST(BlowFishBlock, InPlaceEqualsTwoBuffers) {
  TBlowFish cipher = Keyed("in place");
  std::string block = "ABCDEFGH";
  const std::string encrypted = EncryptOne(cipher, block);
  auto* bytes = reinterpret_cast<std::uint8_t*>(block.data());
  cipher.EncryptBlock(bytes, bytes);
  EXPECT_EQ(block, encrypted);
  const std::string decrypted = DecryptOne(cipher, block);
  cipher.DecryptBlock(bytes, bytes);
  EXPECT_EQ(block, decrypted);
  EXPECT_EQ(block, "ABCDEFGH");
}

TEST(BlowFishBlock, MatchesOpenSslOnRandomKeysAndBlocks) {
  std::mt19937 random(20050307);
  for (int round = 0; round < 300; ++round) {
    std::string key(1 + random() % 80, '\0');
    for (char& c : key) c = static_cast<char>(random());
    std::uint32_t l = static_cast<std::uint32_t>(random());
    std::uint32_t r = static_cast<std::uint32_t>(random());
    std::uint32_t refL = l;
    std::uint32_t refR = r;
    test::OpenSslEncryptWords(key, refL, refR);
    const TBlowFish cipher = Keyed(key);
    cipher.EncryptWords(l, r);
    ASSERT_EQ(l, refL) << "key length " << key.size();
    ASSERT_EQ(r, refR) << "key length " << key.size();
  }
}

}  // namespace
}  // namespace quillet
