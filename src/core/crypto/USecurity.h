// The entry encryption: the key state TCode, the two stored file formats, the
// scrambling of the key word and password in the settings file, and the
// checks of the security page of the options dialog.
//
// Both formats carry no header, no vector and no length; the method and the
// encrypted flag of a day live in its month's Set.ini. A wrong number key
// gives meaningless text; a wrong key word is caught by the padding of the
// last block (N bytes of value N) in all but about one try in 255, and then
// reads as unreadable, so that the store never takes the entry for empty and
// overwrites it. The formats are kept byte for byte, since diaries move
// between this program and its Windows version:
//  - number key: every byte of the plain file XOR (key number & 0xFF); same
//    length as the plain file;
//  - word key: the plain file padded with padCount and encrypted by
//    Blowfish-CBC (TCryptCBC over TBlowFish) under the key word's code page
//    932 bytes, with the fixed vector 3A 7C 19 E2 58 0D B4 61; length
//    (plain length div 8 + 1) * 8.
// The plain file is the editor's text: code page 932 bytes, lines ended by
// CR LF, the last line possibly without one.
//
// Every write replaces its file atomically (WriteFileAtomic), so a failure or
// a crash leaves the previous file whole. Writes refuse a target without
// owner write permission (Windows' read-only attribute).
//
// Threads: the read and write functions take their key explicitly, so the
// search workers may call them with a copy of the window's TCode taken when
// they start. There is no process-wide key state: each main window holds its
// own TCode and passes it to the store.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/app/SettingsKeys.h"

namespace quillet {

class TBlowFish;

// "Number" is used only strictly between 0 and this; otherwise the default
// keys::kDefaultKeyNumber (164) stands in.
inline constexpr int kKeyNumberLimit = 200;

inline constexpr std::array<std::uint8_t, 8> kWordKeyVector{0x3A, 0x7C, 0x19, 0xE2, 0x58, 0x0D, 0xB4, 0x61};

// The marker lines that number-key files from elsewhere may carry; they are
// dropped on reading and never written.
inline constexpr std::string_view kBeginOfFile = "Begin of File";
inline constexpr std::string_view kEndOfFile = "End of File";

// Texts shown by the callers (UTF-8).
inline constexpr std::string_view kMsgEncryptionOn = "暗号化";   // status panel 2
inline constexpr std::string_view kMsgEncryptedText = "暗号文章";  // status panel 3
inline constexpr std::string_view kMsgBadPassword = "パスワードが不正です";
inline constexpr std::string_view kMsgEnterKeyWord = "暗号用キーワードを入力して下さい";
inline constexpr std::string_view kMsgEnterKey = "暗号用キーを入力して下さい";
inline constexpr std::string_view kMsgBadKey = "暗号用キーが不正です";
inline constexpr std::string_view kMsgKeyRange = "暗号用キーは0から200までの整数を指定して下さい";

// The encryption settings of a main window.
struct TCode {
  int Number = keys::kDefaultKeyNumber;  // number-key method: the key number (byte = Number & 0xFF)
  std::string Word;                // word-key method: the key word, code page 932 bytes, unscrambled
  bool EnCrypt = false;            // entries are encrypted when saved
  bool Method = false;             // false: number key ("簡易"), true: word key ("堅牢")
  bool operator==(const TCode&) const = default;
};

// Reads "EnCrypt", "Number", "Word" (unscrambled), "Method" of section
// "Window". A "Number" not strictly between 0 and 200 (or absent, or not an
// integer) gives 164. When `atStartup`, an empty key word becomes
// `loginName`; applying the options leaves it empty (the stored setting
// stays empty too).
TCode ReadCode(const THIniFile& ini, bool atStartup, std::string_view loginName);

// The settings scrambling: every byte up to the first NUL XOR 0x1D. Applying
// it twice gives the text back (up to that NUL). Printable ASCII stays
// printable.
std::string Scramble(std::string_view text);

// The key byte of a key number: its low byte, so 300 gives 44, 256 gives 0
// (the file then equals the plain text) and -1 gives 255.
std::uint8_t KeyByte(int keyNumber) noexcept;

// --- Formats in memory ---------------------------------------------------

// `bytes` with every byte XOR KeyByte(keyNumber); the operation is its own
// inverse.
std::string NumberKeyXor(std::string_view bytes, int keyNumber);
// The word-key file of `plain`. `word` must not be empty (EAssertionFailed).
std::string EncryptWordKey(std::string_view plain, std::string_view word);
// The plain text of a word-key file. False (and `plain` untouched) when `word`
// is empty, the length is not a multiple of 8, or the last block's padding is
// not N bytes of value N (N = 1..8): a wrong key word or a damaged file. An
// empty file is an empty text.
bool DecryptWordKey(std::string_view cipherText, std::string_view word, std::string& plain);
// The word key after its key schedule (521 Blowfish block encryptions),
// for a reader of many word-key files under one key word: the search
// workers key it once per search rather than once per entry. An empty word
// gives a key that decrypts nothing. One object per thread.
class TWordKeyCipher {
public:
  explicit TWordKeyCipher(std::string_view word);
  ~TWordKeyCipher();
  TWordKeyCipher(const TWordKeyCipher&) = delete;
  TWordKeyCipher& operator=(const TWordKeyCipher&) = delete;

  bool Usable() const noexcept { return m_cipher != nullptr; }
  // Decrypts a word-key file held in `data` where it lies and drops its
  // padding; the rules and the result of DecryptWordKey. On false `data` is
  // unspecified.
  bool DecryptInPlace(std::string& data);

private:
  std::unique_ptr<TBlowFish> m_cipher;
};
// DecryptWordKey with a key prepared by TWordKeyCipher: the same result.
bool DecryptWordKey(std::string_view cipherText, TWordKeyCipher& key, std::string& plain);
// The number-key read rule for marker lines: when the first line is exactly
// "Begin of File" it is dropped with its line end, then when the last line is
// exactly "End of File" it is dropped with its own line end. Lines end at CR
// LF, LF or CR, and text after a NUL byte is not part of the text (the editor
// never loads it), so it is dropped here too.
std::string StripNumberKeyMarkers(std::string_view text);

// --- Files ------------------------------------------------------------------

// Failure of a number-key file operation (those report by raising).
class EKeyFileError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Writes `body` to `path` by the word-key method. False when `word` is empty
// (nothing written) or the write failed (the old file is intact).
bool WriteWordKey(std::string_view body, const std::string& path, std::string_view word);
// Reads the word-key file at `path` into `body`. True on success and also when
// no file exists (then `body` is untouched). False when the file cannot be
// read (errno from the read) or does not decrypt under `word` (see
// DecryptWordKey; errno EBADMSG); `body` is then untouched. Holds the file once: it is decrypted where it was read.
bool ReadWordKey(std::string& body, const std::string& path, std::string_view word);
// Writes `body` to `path` by the number-key method; throws EKeyFileError.
void WriteNumberKey(const std::string& path, std::string_view body, int keyNumber);
// Reads the number-key file at `path` into `body` (marker lines stripped);
// throws EKeyFileError when it cannot be read, leaving `body` untouched. Reads
// in 64 KiB chunks into the one text it returns.
void ReadNumberKey(std::string& body, const std::string& path, int keyNumber);

// --- Password and options ---------------------------------------------------

// The start-up password check: `typed` is accepted when it and the stored
// password (Scramble of `storedScrambled`) are both non-empty and equal.
bool CheckStartupPassword(std::string_view typed, std::string_view storedScrambled);

// What the security page holds when the options dialog is confirmed. Texts
// are code page 932 bytes as typed (not scrambled).
struct TSecurityOptions {
  bool Entry = false;     // "起動時にパスワード照合を行う"
  std::string EntryText;  // the password
  bool EnCrypt = false;   // "保存時にファイルを暗号化する"
  int MethodIndex = 0;    // 0 "簡易" (number key), 1 "堅牢" (word key)
  std::string NumberText; // the key number as typed
  std::string Word;       // the key word
};

// The dialog's checks in their order; empty when the page may be confirmed,
// else the message (UTF-8) for the message box. A number text is an integer
// as the settings reader takes one (decimal, or "$" and hex digits, blanks
// around); 0 and 200 pass here although ReadCode later replaces them.
std::string ValidateSecurityOptions(const TSecurityOptions& options);

// Writes the page to section "Window": "Entry", "EntryText" and "Word"
// scrambled, "EnCrypt", "Method" (the index), "Number" (the integer typed, or
// 164 when the text is not one).
void WriteSecurityOptions(THIniFile& ini, const TSecurityOptions& options);

}  // namespace quillet
