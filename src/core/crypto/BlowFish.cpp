// Blowfish with little-endian block halves (see BlowFish.h).
//
// The rounds are written out without swaps: odd rounds change the right
// word, even rounds the left, and the final pair is returned crossed. The
// hot loops (EncryptCbc, DecryptCbc) keep the chaining value in two words and
// move bytes in and out once per block; they are what the word-key entries and
// the benchmark exercise.
#include "core/crypto/BlowFish.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "core/crypto/BlowFishTables.h"
#include "core/crypto/CryptUtils.h"

namespace quillet {
namespace {

// On a little-endian host a half is one plain 32-bit load or store.
inline std::uint32_t LoadLittle(const std::uint8_t* p) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
  } else {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
  }
}

inline void StoreLittle(std::uint8_t* p, std::uint32_t v) noexcept {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &v, 4);
  } else {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
  }
}

// F(x) = ((S0[a] + S1[b]) ^ S2[c]) + S3[d], a..d the bytes of x from the top.
// The four boxes are one contiguous array reached from a single base, so each
// look-up is one load with a constant displacement. The round is written
// (y ^ P[i]) ^ F(x): y and P[i] are ready before F, which keeps the subkey
// off the chain of dependent loads that bounds CBC encryption.
#define QUILLET_BF_F(x) \
  (((s[(x) >> 24] + s[256 + (((x) >> 16) & 0xFF)]) ^ s[512 + (((x) >> 8) & 0xFF)]) + s[768 + ((x) & 0xFF)])
#define QUILLET_BF_ROUND(y, x, i) y = ((y) ^ p[i]) ^ QUILLET_BF_F(x)

// The 16 rounds on (l, r) with subkeys p and boxes s; always inlined, since
// the CBC loops are the hot path and a call per block costs a tenth of it.
[[gnu::always_inline]] inline void Encipher(const std::uint32_t* p, const std::uint32_t* s, std::uint32_t& left,
                                            std::uint32_t& right) noexcept {
  std::uint32_t l = left ^ p[0];
  std::uint32_t r = right;
  QUILLET_BF_ROUND(r, l, 1);
  QUILLET_BF_ROUND(l, r, 2);
  QUILLET_BF_ROUND(r, l, 3);
  QUILLET_BF_ROUND(l, r, 4);
  QUILLET_BF_ROUND(r, l, 5);
  QUILLET_BF_ROUND(l, r, 6);
  QUILLET_BF_ROUND(r, l, 7);
  QUILLET_BF_ROUND(l, r, 8);
  QUILLET_BF_ROUND(r, l, 9);
  QUILLET_BF_ROUND(l, r, 10);
  QUILLET_BF_ROUND(r, l, 11);
  QUILLET_BF_ROUND(l, r, 12);
  QUILLET_BF_ROUND(r, l, 13);
  QUILLET_BF_ROUND(l, r, 14);
  QUILLET_BF_ROUND(r, l, 15);
  QUILLET_BF_ROUND(l, r, 16);
  left = r ^ p[17];
  right = l;
}

[[gnu::always_inline]] inline void Decipher(const std::uint32_t* p, const std::uint32_t* s, std::uint32_t& left,
                                            std::uint32_t& right) noexcept {
  std::uint32_t l = left ^ p[17];
  std::uint32_t r = right;
  QUILLET_BF_ROUND(r, l, 16);
  QUILLET_BF_ROUND(l, r, 15);
  QUILLET_BF_ROUND(r, l, 14);
  QUILLET_BF_ROUND(l, r, 13);
  QUILLET_BF_ROUND(r, l, 12);
  QUILLET_BF_ROUND(l, r, 11);
  QUILLET_BF_ROUND(r, l, 10);
  QUILLET_BF_ROUND(l, r, 9);
  QUILLET_BF_ROUND(r, l, 8);
  QUILLET_BF_ROUND(l, r, 7);
  QUILLET_BF_ROUND(r, l, 6);
  QUILLET_BF_ROUND(l, r, 5);
  QUILLET_BF_ROUND(r, l, 4);
  QUILLET_BF_ROUND(l, r, 3);
  QUILLET_BF_ROUND(r, l, 2);
  QUILLET_BF_ROUND(l, r, 1);
  left = r ^ p[0];
  right = l;
}

#undef QUILLET_BF_ROUND
#undef QUILLET_BF_F

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
  for (std::size_t box = 0; box < 4; ++box) std::copy_n(kBlowFishInitialS[box], 256, m_s.begin() + 256 * box);
}

std::unique_ptr<TCipher> TBlowFish::Create() const { return std::make_unique<TBlowFish>(); }

void TBlowFish::EncryptWords(std::uint32_t& left, std::uint32_t& right) const noexcept {
  Encipher(m_p.data(), m_s.data(), left, right);
}

void TBlowFish::DecryptWords(std::uint32_t& left, std::uint32_t& right) const noexcept {
  Decipher(m_p.data(), m_s.data(), left, right);
}

void TBlowFish::SetKey(const std::uint8_t* key, std::size_t length) {
  if (length == 0 || key == nullptr) throw EAssertionFailed("Assertion failure: empty Blowfish key");
  std::copy_n(kBlowFishInitialP, 18, m_p.begin());
  for (std::size_t box = 0; box < 4; ++box) std::copy_n(kBlowFishInitialS[box], 256, m_s.begin() + 256 * box);

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
  for (std::size_t j = 0; j < m_s.size(); j += 2) {
    EncryptWords(l, r);
    m_s[j] = l;
    m_s[j + 1] = r;
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
  const std::uint32_t* p = m_p.data();
  const std::uint32_t* s = m_s.data();
  std::uint32_t cl = LoadLittle(chain);
  std::uint32_t cr = LoadLittle(chain + 4);
  for (std::size_t k = 0; k < blocks; ++k, source += kBlockSize, destination += kBlockSize) {
    cl ^= LoadLittle(source);
    cr ^= LoadLittle(source + 4);
    Encipher(p, s, cl, cr);
    StoreLittle(destination, cl);
    StoreLittle(destination + 4, cr);
  }
  StoreLittle(chain, cl);
  StoreLittle(chain + 4, cr);
}

void TBlowFish::DecryptCbc(std::uint8_t* chain, const std::uint8_t* source, std::uint8_t* destination,
                           std::size_t blocks) {
  const std::uint32_t* p = m_p.data();
  const std::uint32_t* s = m_s.data();
  std::uint32_t cl = LoadLittle(chain);
  std::uint32_t cr = LoadLittle(chain + 4);
  for (std::size_t k = 0; k < blocks; ++k, source += kBlockSize, destination += kBlockSize) {
    // Both halves are read before anything is written, so source and
    // destination may be the same buffer.
    const std::uint32_t sl = LoadLittle(source);
    const std::uint32_t sr = LoadLittle(source + 4);
    std::uint32_t l = sl;
    std::uint32_t r = sr;
    Decipher(p, s, l, r);
    StoreLittle(destination, l ^ cl);
    StoreLittle(destination + 4, r ^ cr);
    cl = sl;
    cr = sr;
  }
  StoreLittle(chain, cl);
  StoreLittle(chain + 4, cr);
}

}  // namespace quillet
