// TCipher, the abstract 64-bit block cipher of the entry encryption, and its
// one implementation TBlowFish.
//
// TBlowFish is Blowfish as Schneier published it (Fast Software Encryption,
// 1993): the key schedule over the digits of pi, 16 Feistel rounds, 18
// subkeys and four 256-word S-boxes. One thing differs from the published
// definition and is kept because every stored word-key entry depends on it:
// a block is read as two 32-bit halves in little-endian byte order (bytes
// 0..3 least significant first are the left half, bytes 4..7 the right), and
// written back the same way. Published vectors therefore match after the
// bytes of each 4-byte half are reversed. Key bytes, by contrast, are packed
// most significant first, as published.
//
// The object holds its tables inline (4,168 bytes); it allocates nothing per
// block. Not shared between threads: every reader or writer makes its own.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace quillet {

class TCipher {
public:
  virtual ~TCipher() = default;

  // A new cipher of the same kind, without a key.
  virtual std::unique_ptr<TCipher> Create() const = 0;
  virtual std::string Name() const = 0;
  // Block length in bytes.
  virtual int BlockSize() const = 0;
  // Runs the key schedule over `length` bytes at `key`. The base version does
  // nothing (a cipher without a key).
  virtual void SetKey(const std::uint8_t* key, std::size_t length);
  // One block of BlockSize() bytes; source and destination may be the same.
  virtual void EncryptBlock(const std::uint8_t* source, std::uint8_t* destination) = 0;
  virtual void DecryptBlock(const std::uint8_t* source, std::uint8_t* destination) = 0;

  // CBC over `blocks` whole blocks, `chain` (BlockSize() bytes) carried in
  // and out. The base versions step block by block through the two calls
  // above; a cipher may override them with a faster loop that gives the same
  // bytes. Source and destination may be the same buffer.
  virtual void EncryptCbc(std::uint8_t* chain, const std::uint8_t* source, std::uint8_t* destination,
                          std::size_t blocks);
  virtual void DecryptCbc(std::uint8_t* chain, const std::uint8_t* source, std::uint8_t* destination,
                          std::size_t blocks);

protected:
  TCipher() = default;
  TCipher(const TCipher&) = default;
  TCipher& operator=(const TCipher&) = default;
};

class TBlowFish final : public TCipher {
public:
  static constexpr int kBlockSize = 8;
  // Keys longer than this contribute only their first 72 bytes.
  static constexpr std::size_t kMaxKeyBytes = 72;

  // The initial tables are in place, as if keyed with nothing; SetKey must
  // run before the cipher means anything.
  TBlowFish();

  std::unique_ptr<TCipher> Create() const override;
  std::string Name() const override { return "BlowFish"; }
  int BlockSize() const override { return kBlockSize; }
  // The standard schedule: 521 block encryptions. A key of 0 bytes has
  // nothing to repeat and throws EAssertionFailed (see CryptUtils.h).
  void SetKey(const std::uint8_t* key, std::size_t length) override;
  void EncryptBlock(const std::uint8_t* source, std::uint8_t* destination) override;
  void DecryptBlock(const std::uint8_t* source, std::uint8_t* destination) override;
  void EncryptCbc(std::uint8_t* chain, const std::uint8_t* source, std::uint8_t* destination,
                  std::size_t blocks) override;
  void DecryptCbc(std::uint8_t* chain, const std::uint8_t* source, std::uint8_t* destination,
                  std::size_t blocks) override;

  // The word-level cipher on the pair (left, right), as published; the
  // result replaces the pair. Exposed for the published vectors.
  void EncryptWords(std::uint32_t& left, std::uint32_t& right) const noexcept;
  void DecryptWords(std::uint32_t& left, std::uint32_t& right) const noexcept;

  const std::array<std::uint32_t, 18>& P() const noexcept { return m_p; }
  // The four S-boxes one after the other: box b, entry i at [256 * b + i].
  const std::array<std::uint32_t, 1024>& S() const noexcept { return m_s; }

private:
  std::array<std::uint32_t, 18> m_p;
  std::array<std::uint32_t, 1024> m_s;
};

}  // namespace quillet
