// Encrypted entry files of random bytes under random keys: the word-key
// (Blowfish-CBC) and number-key (XOR) formats, from memory and from a file.
// A file that decrypts re-encrypts to itself; a wrong key word is reported
// (or, in about one try in 255, gives some text), never a crash or a read
// past the data; what is encrypted decrypts back. The chaining object's
// other paddings run over the same bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "core/crypto/BlowFish.h"
#include "core/crypto/CryptUtils.h"
#include "core/crypto/USecurity.h"

using namespace quillet;

namespace {

void WordKey(const std::string& word, const std::string& bytes) {
  std::string plain = "untouched";
  const bool ok = DecryptWordKey(bytes, word, plain);
  if (word.empty() || bytes.size() % 8 != 0) FUZZ_CHECK(!ok);
  if (!ok) {
    FUZZ_CHECK(plain == "untouched");
  } else {
    FUZZ_CHECK(plain.size() < bytes.size() || bytes.empty());
    FUZZ_CHECK(EncryptWordKey(plain, word) == bytes || bytes.empty());
  }
  TWordKeyCipher key(word);
  FUZZ_CHECK(key.Usable() == !word.empty());
  std::string viaKey = "untouched";
  FUZZ_CHECK(DecryptWordKey(bytes, key, viaKey) == ok);
  if (ok) FUZZ_CHECK(viaKey == plain);
  std::string inPlace = bytes;
  if (key.Usable()) {
    FUZZ_CHECK(key.DecryptInPlace(inPlace) == ok);
    if (ok) FUZZ_CHECK(inPlace == plain);
  }

  const std::string path = fuzz::WriteScratch("entry.txt", bytes);
  std::string body = "untouched";
  errno = 0;
  const bool read = ReadWordKey(body, path, word);
  FUZZ_CHECK(read == ok);
  FUZZ_CHECK(read ? body == plain : (body == "untouched" && errno == EBADMSG) || word.empty());

  if (!word.empty()) {
    const std::string cipher = EncryptWordKey(bytes, word);
    FUZZ_CHECK(cipher.size() == (bytes.size() / 8 + 1) * 8);
    std::string back;
    FUZZ_CHECK(DecryptWordKey(cipher, word, back) && back == bytes);
  }
}

void NumberKey(int keyNumber, const std::string& bytes) {
  const std::string plain = NumberKeyXor(bytes, keyNumber);
  FUZZ_CHECK(plain.size() == bytes.size() && NumberKeyXor(plain, keyNumber) == bytes);
  const std::string expected = StripNumberKeyMarkers(plain);
  FUZZ_CHECK(expected.size() <= plain.size() && expected.find('\0') == std::string::npos);
  const std::string path = fuzz::WriteScratch("entry.txt", bytes);
  std::string body;
  ReadNumberKey(body, path, keyNumber);
  FUZZ_CHECK(body == expected);
}

void Chaining(TPadding padding, const std::string& key, const std::string& bytes) {
  if (key.empty()) return;
  TCryptCBC crypt(key, std::make_unique<TBlowFish>(), kWordKeyVector.data(), kWordKeyVector.size(), padding);
  const std::size_t count = bytes.size() / 8 * 8;
  const auto buffer = std::make_unique<std::uint8_t[]>(count);
  std::memcpy(buffer.get(), bytes.data(), count);
  try {
    const std::ptrdiff_t plain = crypt.Decrypt(buffer.get(), buffer.get(), count);
    FUZZ_CHECK(plain <= static_cast<std::ptrdiff_t>(count));
  } catch (const ECryptError&) {
    FUZZ_CHECK(padding == padMarker);
  }
  const auto padded = std::make_unique<std::uint8_t[]>(crypt.PaddedSize(bytes.size()));
  FUZZ_CHECK(crypt.Encrypt(reinterpret_cast<const std::uint8_t*>(bytes.data()), padded.get(), bytes.size()) ==
             crypt.PaddedSize(bytes.size()));
  const std::ptrdiff_t back = crypt.Decrypt(padded.get(), padded.get(), crypt.PaddedSize(bytes.size()));
  if (padding == padCount || padding == padMarker) {
    FUZZ_CHECK(back == static_cast<std::ptrdiff_t>(bytes.size()));
    FUZZ_CHECK(std::memcmp(padded.get(), bytes.data(), bytes.size()) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int mode = input.ConsumeIntegralInRange(0, 2);
  const std::string key = input.ConsumeRandomLengthString(100);
  const int keyNumber = input.ConsumeIntegral<int>();
  const TPadding padding = static_cast<TPadding>(input.ConsumeIntegralInRange(0, 3));
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  if (mode == 0) WordKey(key, bytes);
  if (mode == 1) NumberKey(keyNumber, bytes);
  if (mode == 2) Chaining(padding, key, bytes);
  return 0;
}
