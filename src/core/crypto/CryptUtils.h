// TCrypt, the chaining object that encrypts or decrypts a whole buffer in one
// call and pads its last block, and TCryptCBC, cipher-block chaining over any
// TCipher.
//
// Encrypt always adds padding: n bytes become ((n div B) + 1) * B bytes, so a
// buffer that fills whole blocks gains a full block. The chaining value is
// reset to the vector at the start of every Encrypt and Decrypt, so each
// buffer is an independent message and one object may process many in turn.
// With a fixed vector, equal plain texts under equal keys give equal cipher
// texts; the stored entries depend on that format and carry no vector.
//
// Padding schemes (N = 1..B bytes of padding in the last block):
//   padCount   N bytes of value N; on decryption the last byte is taken
//              unchecked (0 removes nothing; more than the buffer holds gives
//              a negative length, which callers read as no bytes at all);
//   padMarker  0x80 then N-1 zeros; a block without the marker is an error;
//   padZero    N zeros; padSpace N blanks (0x20): all trailing fill bytes are
//              removed on decryption.
// Only padCount is used by the diary; the others are kept for completeness.
//
// Allocation: the three one-block arrays at construction, nothing per block
// or per call. Not shared between threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "core/crypto/BlowFish.h"

namespace quillet {

// A broken precondition (a count that is not a multiple of the block size, an
// empty key); the message begins "Assertion failure".
class EAssertionFailed : public std::logic_error {
public:
  using std::logic_error::logic_error;
};

// Padding that cannot be measured on decryption; the message is "Crypt Error".
class ECryptError : public std::runtime_error {
public:
  ECryptError() : std::runtime_error("Crypt Error") {}
};

enum TPadding : std::uint8_t {
  padCount = 0,
  padMarker = 1,
  padZero = 2,
  padSpace = 3,
};

// target[i] ^= source[i] for i in [0, length).
void XorBuffer(std::uint8_t* target, const std::uint8_t* source, std::size_t length) noexcept;

class TCrypt {
public:
  // Keys the cipher with `keyLength` bytes at `key` (TCipher::SetKey; an
  // empty key throws EAssertionFailed for Blowfish), and takes the first
  // min(BlockSize, ivLength) bytes of `iv` as the vector, the rest zero.
  // This form owns the cipher, which must not be null.
  TCrypt(const std::uint8_t* key, std::size_t keyLength, std::unique_ptr<TCipher> cipher, const std::uint8_t* iv,
         std::size_t ivLength, TPadding padding);
  // The same with a cipher that the caller owns and keeps alive.
  TCrypt(const std::uint8_t* key, std::size_t keyLength, TCipher& cipher, const std::uint8_t* iv,
         std::size_t ivLength, TPadding padding);
  // The key as a byte string (its bytes and byte length).
  TCrypt(std::string_view key, std::unique_ptr<TCipher> cipher, const std::uint8_t* iv, std::size_t ivLength,
         TPadding padding);
  virtual ~TCrypt();
  TCrypt(const TCrypt&) = delete;
  TCrypt& operator=(const TCrypt&) = delete;

  // One block in the chaining mode, advancing the chaining value.
  virtual void EncryptBlock(const std::uint8_t* source, std::uint8_t* destination) = 0;
  virtual void DecryptBlock(const std::uint8_t* source, std::uint8_t* destination) = 0;
  // Both set the chaining value to the vector.
  virtual void InitEncrypt();
  virtual void InitDecrypt();
  // Encrypting: `count` data bytes (0..B-1) are in `block`; writes the
  // padding after them and returns B - count. Decrypting: `count` is B;
  // returns the padding length measured in the decrypted `block` (throws
  // ECryptError for padMarker without a marker).
  virtual int Pad(std::uint8_t* block, int count, bool encrypting);

  // ((count + B) div B) * B: what Encrypt writes for `count` bytes.
  std::size_t PaddedSize(std::size_t count) const noexcept;
  // Encrypts `count` bytes into `destination`, which has room for
  // PaddedSize(count) bytes (it may be `source`). Returns PaddedSize(count).
  std::size_t Encrypt(const std::uint8_t* source, std::uint8_t* destination, std::size_t count);
  // Decrypts `count` bytes (a multiple of B, else EAssertionFailed before
  // anything is written) into `destination` (room for `count`, may be
  // `source`). Returns the plain length: count minus the padding, which for
  // padCount may be negative (see above). A count of 0 gives 0.
  std::ptrdiff_t Decrypt(const std::uint8_t* source, std::uint8_t* destination, std::size_t count);

  TCipher& Cipher() const noexcept { return *m_cipher; }
  bool OwnsCipher() const noexcept { return m_owned != nullptr; }
  TPadding Padding() const noexcept { return m_padding; }
  const std::vector<std::uint8_t>& IV() const noexcept { return m_iv; }

protected:
  // Whole blocks in the chaining mode; the base loops over the block calls.
  virtual void EncryptBlocks(const std::uint8_t* source, std::uint8_t* destination, std::size_t blocks);
  virtual void DecryptBlocks(const std::uint8_t* source, std::uint8_t* destination, std::size_t blocks);

  std::size_t m_blockSize;
  std::vector<std::uint8_t> m_iv;
  std::vector<std::uint8_t> m_chain;
  std::vector<std::uint8_t> m_save;  // the cipher block being decrypted, for in-place CBC

private:
  TPadding m_padding;
  std::unique_ptr<TCipher> m_owned;
  TCipher* m_cipher;
};

class TCryptCBC final : public TCrypt {
public:
  using TCrypt::TCrypt;

  // Chain ^= source; Chain := E(Chain); destination := Chain.
  void EncryptBlock(const std::uint8_t* source, std::uint8_t* destination) override;
  // destination := D(source) ^ Chain; Chain := source (saved first, so the
  // buffers may be the same).
  void DecryptBlock(const std::uint8_t* source, std::uint8_t* destination) override;

protected:
  void EncryptBlocks(const std::uint8_t* source, std::uint8_t* destination, std::size_t blocks) override;
  void DecryptBlocks(const std::uint8_t* source, std::uint8_t* destination, std::size_t blocks) override;
};

}  // namespace quillet
