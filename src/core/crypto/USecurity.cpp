// Entry encryption formats, keys and the security options (see USecurity.h).
#include "core/crypto/USecurity.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "core/app/HIniFile.h"
#include "core/base/AtomicFile.h"
#include "core/crypto/BlowFish.h"
#include "core/crypto/CryptUtils.h"

namespace quillet {

namespace {

constexpr std::uint8_t kScrambleMask = 0x1D;

const std::uint8_t* Bytes(std::string_view text) { return reinterpret_cast<const std::uint8_t*>(text.data()); }

std::uint8_t* Bytes(std::string& text) { return reinterpret_cast<std::uint8_t*>(text.data()); }

TCryptCBC MakeWordKeyCrypt(std::string_view word) {
  return TCryptCBC(word, std::make_unique<TBlowFish>(), kWordKeyVector.data(), kWordKeyVector.size(), padCount);
}

// The word-key file's own check: its last block ends in N bytes of value N
// (N = 1..8). Anything else means a wrong key word or a damaged file. A
// wrong key passes by chance about once in 255 tries; nothing better is
// possible without changing the stored format.
bool PaddingValid(std::string_view data) {
  if (data.empty()) return false;
  const auto count = static_cast<std::uint8_t>(data.back());
  if (count < 1 || count > TBlowFish::kBlockSize || count > data.size()) return false;
  for (std::size_t i = data.size() - count; i < data.size(); ++i) {
    if (static_cast<std::uint8_t>(data[i]) != count) return false;
  }
  return true;
}

// Decrypts a word-key file in `data` where it lies (see TWordKeyCipher).
bool DecryptWordKeyInPlace(std::string& data, std::string_view word) {
  if (word.empty() || data.size() % TBlowFish::kBlockSize != 0) return false;
  if (data.empty()) return true;
  TWordKeyCipher key(word);
  return key.DecryptInPlace(data);
}

// Where the number-key marker lines leave the text: [from, to) of `text`
// after the cut at the first NUL byte (see StripNumberKeyMarkers). Looks at
// the first and the last line only.
std::pair<std::size_t, std::size_t> MarkerRange(std::string_view text) {
  text = text.substr(0, std::min(text.find('\0'), text.size()));
  // The line starting at `start`: its content end and the next line's start.
  auto lineAt = [&](std::size_t start) {
    std::size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    std::size_t next = end;
    if (next < text.size() && text[next] == '\r') ++next;
    if (next < text.size() && text[next] == '\n') ++next;
    return std::pair<std::size_t, std::size_t>(end, next);
  };
  std::size_t from = 0;
  if (!text.empty()) {
    const auto [end, next] = lineAt(0);
    if (text.substr(0, end) == kBeginOfFile) from = next;
  }
  std::size_t to = text.size();
  if (from < text.size()) {
    // The last line: drop the text's final line end, then look for the one before.
    std::size_t body = text.size();
    if (text[body - 1] == '\n') {
      --body;
      if (body > from && text[body - 1] == '\r') --body;
    } else if (text[body - 1] == '\r') {
      --body;
    }
    const auto lastBreak = text.substr(from, body - from).find_last_of("\r\n");
    const std::size_t last = lastBreak == std::string_view::npos ? from : from + lastBreak + 1;
    if (text.substr(last, lineAt(last).first - last) == kEndOfFile) to = last;
  }
  return {from, to};
}

}  // namespace

TCode ReadCode(const THIniFile& ini, bool atStartup, std::string_view loginName) {
  TCode code;
  code.EnCrypt = keys::EnCrypt.Read(ini);
  // The default here is 0, not 164, so that an absent key and a key out of
  // range meet the same replacement below.
  const int number = ini.ReadInteger(keys::Number.section, keys::Number.key, 0);
  code.Number = (number > 0 && number < kKeyNumberLimit) ? number : keys::kDefaultKeyNumber;
  code.Word = Scramble(keys::Word.Read(ini));
  if (atStartup && code.Word.empty()) code.Word = std::string(loginName);
  code.Method = keys::Method.Read(ini);
  return code;
}

std::string Scramble(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\0') break;
    out.push_back(static_cast<char>(static_cast<std::uint8_t>(c) ^ kScrambleMask));
  }
  return out;
}

std::uint8_t KeyByte(int keyNumber) noexcept {
  // The low byte of the two's complement value ("and 255"), so that files
  // keyed with a number outside 0..255 on Windows read the same here.
  return static_cast<std::uint8_t>(static_cast<unsigned>(keyNumber) & 0xFFu);
}

std::string NumberKeyXor(std::string_view bytes, int keyNumber) {
  const std::uint8_t key = KeyByte(keyNumber);
  std::string out(bytes);
  for (char& c : out) c = static_cast<char>(static_cast<std::uint8_t>(c) ^ key);
  return out;
}

std::string EncryptWordKey(std::string_view plain, std::string_view word) {
  if (word.empty()) throw EAssertionFailed("Assertion failure: empty key word");
  TCryptCBC crypt = MakeWordKeyCrypt(word);
  std::string out(crypt.PaddedSize(plain.size()), '\0');
  crypt.Encrypt(Bytes(plain), Bytes(out), plain.size());
  return out;
}

bool DecryptWordKey(std::string_view cipherText, std::string_view word, std::string& plain) {
  std::string out(cipherText);
  if (!DecryptWordKeyInPlace(out, word)) return false;
  plain.swap(out);
  return true;
}

TWordKeyCipher::TWordKeyCipher(std::string_view word) {
  if (word.empty()) return;
  m_cipher = std::make_unique<TBlowFish>();
  m_cipher->SetKey(Bytes(word), word.size());
}

TWordKeyCipher::~TWordKeyCipher() = default;

bool TWordKeyCipher::DecryptInPlace(std::string& data) {
  if (!m_cipher || data.size() % TBlowFish::kBlockSize != 0) return false;
  if (data.empty()) return true;
  // CBC from the fixed vector, as TCryptCBC::Decrypt does for every file.
  std::array<std::uint8_t, TBlowFish::kBlockSize> chain{};
  std::copy(kWordKeyVector.begin(), kWordKeyVector.end(), chain.begin());
  m_cipher->DecryptCbc(chain.data(), Bytes(data), Bytes(data), data.size() / TBlowFish::kBlockSize);
  if (!PaddingValid(data)) return false;
  data.erase(data.size() - static_cast<std::uint8_t>(data.back()));
  return true;
}

bool DecryptWordKey(std::string_view cipherText, TWordKeyCipher& key, std::string& plain) {
  std::string out(cipherText);
  if (!key.DecryptInPlace(out)) return false;
  plain.swap(out);
  return true;
}

std::string StripNumberKeyMarkers(std::string_view text) {
  const auto [from, to] = MarkerRange(text);
  return std::string(text.substr(from, to - from));
}

bool WriteWordKey(std::string_view body, const std::string& path, std::string_view word) {
  if (word.empty()) return false;
  return WriteFileAtomic(path, EncryptWordKey(body, word));
}

bool ReadWordKey(std::string& body, const std::string& path, std::string_view word) {
  std::string stored;
  if (!ReadFileBytes(path, stored)) return errno == ENOENT || errno == ENOTDIR;
  if (!DecryptWordKeyInPlace(stored, word)) {
    errno = EBADMSG;  // tells a wrong key word from a failed read
    return false;
  }
  body.swap(stored);
  return true;
}

void WriteNumberKey(const std::string& path, std::string_view body, int keyNumber) {
  std::string error;
  if (!WriteFileAtomic(path, NumberKeyXor(body, keyNumber), &error)) throw EKeyFileError(error);
}

void ReadNumberKey(std::string& body, const std::string& path, int keyNumber) {
  // The file is read once (in 64 KiB chunks), then unscrambled and cut where
  // it lies: a large entry is held once, not as file, unscrambled copy and
  // stripped copy.
  std::string text;
  if (!ReadFileBytes(path, text)) throw EKeyFileError("cannot read " + path + ": " + std::strerror(errno));
  const std::uint8_t key = KeyByte(keyNumber);
  for (char& c : text) c = static_cast<char>(static_cast<std::uint8_t>(c) ^ key);
  const auto [from, to] = MarkerRange(text);
  text.resize(to);
  text.erase(0, from);
  body.swap(text);
}

bool CheckStartupPassword(std::string_view typed, std::string_view storedScrambled) {
  const std::string stored = Scramble(storedScrambled);
  return !typed.empty() && !stored.empty() && typed == stored;
}

std::string ValidateSecurityOptions(const TSecurityOptions& options) {
  if (options.Entry && options.EntryText.empty()) return std::string(kMsgBadPassword);
  if (options.EnCrypt && options.MethodIndex == 1 && options.Word.empty()) return std::string(kMsgEnterKeyWord);
  if (options.EnCrypt && options.MethodIndex == 0) {
    if (options.NumberText.empty()) return std::string(kMsgEnterKey);
    int number = 0;
    if (!ParseInteger(options.NumberText, number)) return std::string(kMsgBadKey);
    if (number < 0 || number > kKeyNumberLimit) return std::string(kMsgKeyRange);
  }
  return {};
}

void WriteSecurityOptions(THIniFile& ini, const TSecurityOptions& options) {
  keys::Entry.Write(ini, options.Entry);
  keys::EntryText.Write(ini, Scramble(options.EntryText));
  keys::EnCrypt.Write(ini, options.EnCrypt);
  ini.WriteInteger(keys::Method.section, keys::Method.key, options.MethodIndex);
  int number = 0;
  if (!ParseInteger(options.NumberText, number)) number = keys::kDefaultKeyNumber;
  keys::Number.Write(ini, number);
  keys::Word.Write(ini, Scramble(options.Word));
}

}  // namespace quillet
