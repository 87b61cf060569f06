// Entry encryption formats, keys and the security options (see USecurity.h).
#include "core/crypto/USecurity.h"

#include <cerrno>
#include <cstring>

#include "core/app/HIniFile.h"
#include "core/base/AtomicFile.h"
#include "core/crypto/BlowFish.h"
#include "core/crypto/CryptUtils.h"

namespace quillet {

TCode Code;

namespace {

constexpr std::uint8_t kScrambleMask = 0x1D;

const std::uint8_t* Bytes(std::string_view text) { return reinterpret_cast<const std::uint8_t*>(text.data()); }

std::uint8_t* Bytes(std::string& text) { return reinterpret_cast<std::uint8_t*>(text.data()); }

TCryptCBC MakeWordKeyCrypt(std::string_view word) {
  return TCryptCBC(word, std::make_unique<TBlowFish>(), kWordKeyVector.data(), kWordKeyVector.size(), padCount);
}

// One line of the editor's split: content [start, end), next line at `next`.
struct TLineSpan {
  std::size_t start;
  std::size_t end;
  std::size_t next;
};

// Lines end at LF or CR; after a line one CR, then one LF, is skipped, so CR
// LF, LF and CR each end one line. A final line end makes no empty line.
std::vector<TLineSpan> SplitLines(std::string_view text) {
  std::vector<TLineSpan> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t start = i;
    while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
    const std::size_t end = i;
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') ++i;
    lines.push_back({start, end, i});
  }
  return lines;
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
  // The low byte of the two's complement value, as the original's "and 255".
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
  // An empty word cannot key the cipher; such a file reads as unreadable.
  if (word.empty() || cipherText.size() % TBlowFish::kBlockSize != 0) return false;
  TCryptCBC crypt = MakeWordKeyCrypt(word);
  std::string out(cipherText);
  const std::ptrdiff_t length = crypt.Decrypt(Bytes(out), Bytes(out), out.size());
  out.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  plain.swap(out);
  return true;
}

std::string StripNumberKeyMarkers(std::string_view text) {
  text = text.substr(0, std::min(text.find('\0'), text.size()));
  std::vector<TLineSpan> lines = SplitLines(text);
  std::size_t from = 0;
  std::size_t to = text.size();
  if (!lines.empty() && text.substr(lines.front().start, lines.front().end - lines.front().start) == kBeginOfFile) {
    from = lines.front().next;
    lines.erase(lines.begin());
  }
  if (!lines.empty() && text.substr(lines.back().start, lines.back().end - lines.back().start) == kEndOfFile) {
    to = lines.back().start;
  }
  return std::string(text.substr(from, to - from));
}

bool WriteWordKey(std::string_view body, const std::string& path, std::string_view word) {
  if (word.empty()) return false;
  return WriteFileAtomic(path, EncryptWordKey(body, word));
}

bool ReadWordKey(std::string& body, const std::string& path, std::string_view word) {
  std::string stored;
  if (!ReadFileBytes(path, stored)) return errno == ENOENT || errno == ENOTDIR;
  return DecryptWordKey(stored, word, body);
}

void WriteNumberKey(const std::string& path, std::string_view body, int keyNumber) {
  std::string error;
  if (!WriteFileAtomic(path, NumberKeyXor(body, keyNumber), &error)) throw EKeyFileError(error);
}

void ReadNumberKey(std::string& body, const std::string& path, int keyNumber) {
  std::string stored;
  if (!ReadFileBytes(path, stored)) {
    throw EKeyFileError("cannot read " + path + ": " + std::strerror(errno));
  }
  body = StripNumberKeyMarkers(NumberKeyXor(stored, keyNumber));
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
