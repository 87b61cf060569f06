// Blowfish with little-endian block halves (see BlowFish.h).
//
// The rounds are written out without swaps: odd rounds change the right
// word, even rounds the left, and the final pair is returned crossed. The
// hot loops (EncryptCbc, DecryptCbc) keep the chaining value in two words and
// move bytes in and out once per block; they are what the word-key entries and
// the benchmark exercise.
#include "core/crypto/BlowFish.h"

#include <algorithm>
#include <vector>

#include "core/crypto/BlowFishTables.h"
#include "core/crypto/CryptUtils.h"

namespace quillet {
namespace {

inline std::uint32_t LoadLittle(const std::uint8_t* p) noexcept {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline void StoreLittle(std::uint8_t* p, std::uint32_t v) noexcept {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace

// The base CBC loops go through the single-block calls, one block at a time.
void TCipher::SetKey(const std::uint8_t*, std::size_t) {}

void TCipher::EncryptCbc(std::uint8_t* chain, const std::uint8_t* source, std::uint8_t* destination,
                         std::size_t blocks) {
  const auto size = static_cast<std::size_t>(BlockSize());
  for (std::size_t k = 0; k < blocks; ++k) {
    XorBuffer(chain, source + k * size, size);
    EncryptBlock(chain, chain);
    std::copy_n(chain, size, destination + k * size);
  }
}

void TCipher::DecryptCbc(std::uint8_t* chain, const std::uint8_t* source, std::uint8_t* destination,
                         std::size_t blocks) {
  const auto size = static_cast<std::size_t>(BlockSize());
  std::vector<std::uint8_t> save(size);
  for (std::size_t k = 0; k < blocks; ++k) {
    std::copy_n(source + k * size, size, save.data());
    DecryptBlock(save.data(), destination + k * size);
    XorBuffer(destination + k * size, chain, size);
    std::copy_n(save.data(), size, chain);
  }
}

TBlowFish::TBlowFish() {
  std::copy_n(kBlowFishInitialP, 18, m_p.begin());
  for (std::size_t box = 0; box < 4; ++box) std::copy_n(kBlowFishInitialS[box], 256, m_s[box].begin());
}

std::unique_ptr<TCipher> TBlowFish::Create() const { return std::make_unique<TBlowFish>(); }

// F(x) = ((S0[a] + S1[b]) ^ S2[c]) + S3[d], a..d the bytes of x from the top.
#define QUILLET_BF_F(x)                                                                         \
  (((s0[(x) >> 24] + s1[((x) >> 16) & 0xFF]) ^ s2[((x) >> 8) & 0xFF]) + s3[(x) & 0xFF])

void TBlowFish::EncryptWords(std::uint32_t& left, std::uint32_t& right) const noexcept {
  const std::uint32_t* p = m_p.data();
  const std::uint32_t* s0 = m_s[0].data();
  const std::uint32_t* s1 = m_s[1].data();
  const std::uint32_t* s2 = m_s[2].data();
  const std::uint32_t* s3 = m_s[3].data();
  std::uint32_t l = left ^ p[0];
  std::uint32_t r = right;
  r ^= QUILLET_BF_F(l) ^ p[1];
  l ^= QUILLET_BF_F(r) ^ p[2];
  r ^= QUILLET_BF_F(l) ^ p[3];
  l ^= QUILLET_BF_F(r) ^ p[4];
  r ^= QUILLET_BF_F(l) ^ p[5];
  l ^= QUILLET_BF_F(r) ^ p[6];
  r ^= QUILLET_BF_F(l) ^ p[7];
  l ^= QUILLET_BF_F(r) ^ p[8];
  r ^= QUILLET_BF_F(l) ^ p[9];
  l ^= QUILLET_BF_F(r) ^ p[10];
  r ^= QUILLET_BF_F(l) ^ p[11];
  l ^= QUILLET_BF_F(r) ^ p[12];
  r ^= QUILLET_BF_F(l) ^ p[13];
  l ^= QUILLET_BF_F(r) ^ p[14];
  r ^= QUILLET_BF_F(l) ^ p[15];
  l ^= QUILLET_BF_F(r) ^ p[16];
  r ^= p[17];
  left = r;
  right = l;
}

void TBlowFish::DecryptWords(std::uint32_t& left, std::uint32_t& right) const noexcept {
  const std::uint32_t* p = m_p.data();
  const std::uint32_t* s0 = m_s[0].data();
  const std::uint32_t* s1 = m_s[1].data();
  const std::uint32_t* s2 = m_s[2].data();
  const std::uint32_t* s3 = m_s[3].data();
  std::uint32_t l = left ^ p[17];
  std::uint32_t r = right;
  r ^= QUILLET_BF_F(l) ^ p[16];
  l ^= QUILLET_BF_F(r) ^ p[15];
  r ^= QUILLET_BF_F(l) ^ p[14];
  l ^= QUILLET_BF_F(r) ^ p[13];
  r ^= QUILLET_BF_F(l) ^ p[12];
  l ^= QUILLET_BF_F(r) ^ p[11];
  r ^= QUILLET_BF_F(l) ^ p[10];
  l ^= QUILLET_BF_F(r) ^ p[9];
  r ^= QUILLET_BF_F(l) ^ p[8];
  l ^= QUILLET_BF_F(r) ^ p[7];
  r ^= QUILLET_BF_F(l) ^ p[6];
  l ^= QUILLET_BF_F(r) ^ p[5];
  r ^= QUILLET_BF_F(l) ^ p[4];
  l ^= QUILLET_BF_F(r) ^ p[3];
  r ^= QUILLET_BF_F(l) ^ p[2];
  l ^= QUILLET_BF_F(r) ^ p[1];
  r ^= p[0];
  left = r;
  right = l;
}

#undef QUILLET_BF_F

void TBlowFish::SetKey(const std::uint8_t* key, std::size_t length) {
  if (length == 0 || key == nullptr) throw EAssertionFailed("Assertion failure: empty Blowfish key");
  std::copy_n(kBlowFishInitialP, 18, m_p.begin());
  for (std::size_t box = 0; box < 4; ++box) std::copy_n(kBlowFishInitialS[box], 256, m_s[box].begin());

  std::size_t index = 0;
  for (std::size_t i = 0; i < 18; ++i) {
    std::uint32_t word = 0;
    for (int k = 0; k < 4; ++k) {
      word = word << 8 | key[index];
      index = index + 1 == length ? 0 : index + 1;
    }
    m_p[i] ^= word;
  }

  std::uint32_t l = 0;
  std::uint32_t r = 0;
  for (std::size_t i = 0; i < 18; i += 2) {
    EncryptWords(l, r);
    m_p[i] = l;
    m_p[i + 1] = r;
  }
  for (auto& box : m_s) {
    for (std::size_t j = 0; j < 256; j += 2) {
      EncryptWords(l, r);
      box[j] = l;
      box[j + 1] = r;
    }
  }
}

void TBlowFish::EncryptBlock(const std::uint8_t* source, std::uint8_t* destination) {
  std::uint32_t l = LoadLittle(source);
  std::uint32_t r = LoadLittle(source + 4);
  EncryptWords(l, r);
  StoreLittle(destination, l);
  StoreLittle(destination + 4, r);
}

void TBlowFish::DecryptBlock(const std::uint8_t* source, std::uint8_t* destination) {
  std::uint32_t l = LoadLittle(source);
  std::uint32_t r = LoadLittle(source + 4);
  DecryptWords(l, r);
  StoreLittle(destination, l);
  StoreLittle(destination + 4, r);
}

void TBlowFish::EncryptCbc(std::uint8_t* chain, const std::uint8_t* source, std::uint8_t* destination,
                           std::size_t blocks) {
  std::uint32_t cl = LoadLittle(chain);
  std::uint32_t cr = LoadLittle(chain + 4);
  for (std::size_t k = 0; k < blocks; ++k, source += kBlockSize, destination += kBlockSize) {
    cl ^= LoadLittle(source);
    cr ^= LoadLittle(source + 4);
    EncryptWords(cl, cr);
    StoreLittle(destination, cl);
    StoreLittle(destination + 4, cr);
  }
  StoreLittle(chain, cl);
  StoreLittle(chain + 4, cr);
}

void TBlowFish::DecryptCbc(std::uint8_t* chain, const std::uint8_t* source, std::uint8_t* destination,
                           std::size_t blocks) {
  std::uint32_t cl = LoadLittle(chain);
  std::uint32_t cr = LoadLittle(chain + 4);
  for (std::size_t k = 0; k < blocks; ++k, source += kBlockSize, destination += kBlockSize) {
    // Both halves are read before anything is written, so source and
    // destination may be the same buffer.
    const std::uint32_t sl = LoadLittle(source);
    const std::uint32_t sr = LoadLittle(source + 4);
    std::uint32_t l = sl;
    std::uint32_t r = sr;
    DecryptWords(l, r);
    StoreLittle(destination, l ^ cl);
    StoreLittle(destination + 4, r ^ cr);
    cl = sl;
    cr = sr;
  }
  StoreLittle(chain, cl);
  StoreLittle(chain + 4, cr);
}

}  // namespace quillet
