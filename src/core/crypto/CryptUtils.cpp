// Chaining and padding over a block cipher (see CryptUtils.h).
#include "core/crypto/CryptUtils.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace quillet {

void XorBuffer(std::uint8_t* target, const std::uint8_t* source, std::size_t length) noexcept {
  for (std::size_t i = 0; i < length; ++i) target[i] ^= source[i];
}

TCrypt::TCrypt(const std::uint8_t* key, std::size_t keyLength, std::unique_ptr<TCipher> cipher,
               const std::uint8_t* iv, std::size_t ivLength, TPadding padding)
    : TCrypt(key, keyLength, *cipher, iv, ivLength, padding) {
  m_owned = std::move(cipher);
}

TCrypt::TCrypt(const std::uint8_t* key, std::size_t keyLength, TCipher& cipher, const std::uint8_t* iv,
               std::size_t ivLength, TPadding padding)
    : m_blockSize(static_cast<std::size_t>(cipher.BlockSize())), m_padding(padding), m_cipher(&cipher) {
  m_cipher->SetKey(key, keyLength);
  m_iv.assign(m_blockSize, 0);
  m_chain.assign(m_blockSize, 0);
  m_save.assign(m_blockSize, 0);
  if (iv) std::copy_n(iv, std::min(m_blockSize, ivLength), m_iv.begin());
}

TCrypt::TCrypt(std::string_view key, std::unique_ptr<TCipher> cipher, const std::uint8_t* iv, std::size_t ivLength,
               TPadding padding)
    : TCrypt(reinterpret_cast<const std::uint8_t*>(key.data()), key.size(), std::move(cipher), iv, ivLength,
             padding) {}

TCrypt::~TCrypt() = default;

void TCrypt::InitEncrypt() { m_chain = m_iv; }

void TCrypt::InitDecrypt() { m_chain = m_iv; }

int TCrypt::Pad(std::uint8_t* block, int count, bool encrypting) {
  const int size = static_cast<int>(m_blockSize);
  if (encrypting) {
    const int n = size - count;
    std::uint8_t* fill = block + count;
    switch (m_padding) {
      case padCount: std::memset(fill, n, static_cast<std::size_t>(n)); break;
      case padMarker:
        fill[0] = 0x80;
        std::memset(fill + 1, 0, static_cast<std::size_t>(n - 1));
        break;
      case padZero: std::memset(fill, 0, static_cast<std::size_t>(n)); break;
      case padSpace: std::memset(fill, 0x20, static_cast<std::size_t>(n)); break;
    }
    return n;
  }
  switch (m_padding) {
    case padCount: return block[size - 1];
    case padMarker:
      for (int i = size - 1; i >= 0; --i) {
        if (block[i] == 0) continue;
        if (block[i] == 0x80) return size - i;
        throw ECryptError();
      }
      throw ECryptError();
    case padZero:
    case padSpace: {
      const std::uint8_t fill = m_padding == padZero ? 0x00 : 0x20;
      for (int i = size - 1; i >= 0; --i) {
        if (block[i] != fill) return size - i - 1;
      }
      return size;
    }
  }
  return 0;
}

std::size_t TCrypt::PaddedSize(std::size_t count) const noexcept {
  return (count + m_blockSize) / m_blockSize * m_blockSize;
}

void TCrypt::EncryptBlocks(const std::uint8_t* source, std::uint8_t* destination, std::size_t blocks) {
  for (std::size_t k = 0; k < blocks; ++k) EncryptBlock(source + k * m_blockSize, destination + k * m_blockSize);
}

void TCrypt::DecryptBlocks(const std::uint8_t* source, std::uint8_t* destination, std::size_t blocks) {
  for (std::size_t k = 0; k < blocks; ++k) DecryptBlock(source + k * m_blockSize, destination + k * m_blockSize);
}

std::size_t TCrypt::Encrypt(const std::uint8_t* source, std::uint8_t* destination, std::size_t count) {
  InitEncrypt();
  const std::size_t whole = count / m_blockSize;
  const std::size_t rest = count % m_blockSize;
  EncryptBlocks(source, destination, whole);
  std::uint8_t* last = destination + whole * m_blockSize;
  // memmove: in place, source and destination are the same bytes.
  if (rest > 0) std::memmove(last, source + whole * m_blockSize, rest);
  Pad(last, static_cast<int>(rest), true);
  EncryptBlock(last, last);
  return (whole + 1) * m_blockSize;
}

std::ptrdiff_t TCrypt::Decrypt(const std::uint8_t* source, std::uint8_t* destination, std::size_t count) {
  if (count % m_blockSize != 0) {
    throw EAssertionFailed("Assertion failure: cipher text length is not a multiple of the block size");
  }
  if (count == 0) return 0;
  InitDecrypt();
  DecryptBlocks(source, destination, count / m_blockSize);
  const int pad = Pad(destination + count - m_blockSize, static_cast<int>(m_blockSize), false);
  return static_cast<std::ptrdiff_t>(count) - pad;
}

void TCryptCBC::EncryptBlock(const std::uint8_t* source, std::uint8_t* destination) {
  XorBuffer(m_chain.data(), source, m_blockSize);
  Cipher().EncryptBlock(m_chain.data(), m_chain.data());
  std::copy_n(m_chain.data(), m_blockSize, destination);
}

void TCryptCBC::DecryptBlock(const std::uint8_t* source, std::uint8_t* destination) {
  std::copy_n(source, m_blockSize, m_save.data());
  Cipher().DecryptBlock(source, destination);
  XorBuffer(destination, m_chain.data(), m_blockSize);
  std::copy_n(m_save.data(), m_blockSize, m_chain.data());
}

void TCryptCBC::EncryptBlocks(const std::uint8_t* source, std::uint8_t* destination, std::size_t blocks) {
  Cipher().EncryptCbc(m_chain.data(), source, destination, blocks);
}

void TCryptCBC::DecryptBlocks(const std::uint8_t* source, std::uint8_t* destination, std::size_t blocks) {
  Cipher().DecryptCbc(m_chain.data(), source, destination, blocks);
}

}  // namespace quillet
