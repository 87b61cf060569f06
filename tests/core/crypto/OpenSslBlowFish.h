// OpenSSL's Blowfish as the independent reference of the cipher tests, with
// the mapping between its byte order and ours: OpenSSL reads each 4-byte
// half of a block most significant byte first, we read it least significant
// first, so our cipher on a buffer equals OpenSSL's on the buffer with every
// 4-byte group reversed, and the CBC chaining commutes with that reversal.
//
// The BF_* calls are deprecated in OpenSSL 3 in favour of EVP with the legacy
// provider; they compute the same cipher without a provider to load, and the
// deprecation is silenced for this header only.
#pragma once

#define OPENSSL_SUPPRESS_DEPRECATED 1
#include <openssl/blowfish.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillet::test {

// Reverses the bytes of each 4-byte group (the length is a multiple of 4).
inline std::string SwapHalves(std::string_view bytes) {
  std::string out(bytes);
  for (std::size_t i = 0; i + 4 <= out.size(); i += 4) std::reverse(out.begin() + static_cast<std::ptrdiff_t>(i),
                                                                    out.begin() + static_cast<std::ptrdiff_t>(i + 4));
  return out;
}

// OpenSSL's BF-CBC of `plain` (a multiple of 8 bytes, already padded) under
// `key` and `iv`, mapped into our byte order.
inline std::string OpenSslCbcInOurOrder(std::string_view key, std::string_view iv, std::string_view plain) {
  BF_KEY schedule;
  BF_set_key(&schedule, static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(key.data()));
  std::string vector = SwapHalves(iv);
  const std::string in = SwapHalves(plain);
  std::string out(in.size(), '\0');
  BF_cbc_encrypt(reinterpret_cast<const unsigned char*>(in.data()), reinterpret_cast<unsigned char*>(out.data()),
                 static_cast<long>(in.size()), &schedule, reinterpret_cast<unsigned char*>(vector.data()), BF_ENCRYPT);
  return SwapHalves(out);
}

// OpenSSL's word-level Blowfish on the pair (left, right).
inline void OpenSslEncryptWords(std::string_view key, std::uint32_t& left, std::uint32_t& right) {
  BF_KEY schedule;
  BF_set_key(&schedule, static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(key.data()));
  BF_LONG data[2] = {left, right};
  BF_encrypt(data, &schedule);
  left = static_cast<std::uint32_t>(data[0]);
  right = static_cast<std::uint32_t>(data[1]);
}

// padCount padding as an independent statement of the format: n bytes of
// value n, 1..8, so that the length becomes the next multiple of 8.
inline std::string PadCount(std::string_view plain) {
  const std::size_t n = 8 - plain.size() % 8;
  return std::string(plain) + std::string(n, static_cast<char>(n));
}

inline std::string FromHex(std::string_view hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return out;
}

inline std::string ToHex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 15]);
  }
  return out;
}

}  // namespace quillet::test
