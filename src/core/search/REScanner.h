// TREScanner: turns a pattern (code page 932 bytes) into tokens for the
// parser, and ERegExpParser, the syntax error of the whole engine.
//
// The scanner has two modes. Outside brackets it knows the metacharacters
// | ( ) * + ? [ ] . ^ $ and the backslash; "[^" is one token. Inside
// brackets it knows only "]", the backslash and ranges c1-c2 ("-" directly
// before "]" is an ordinary character). Every other character, double-byte
// ones and "{" "}" included, stands for itself.
//
// Escapes: \b \r \n \t are 8 13 10 9; \x and one to four hexadecimal digits
// is that code; \ and a digit 0-7 starts an octal number of up to six digits
// whose value may not pass 65535; a number ends at the first character that
// is not a digit of its base, which is read again as the next input. Any
// other character after \ (a metacharacter, a double-byte character) stands
// for itself.
//
// Positions are 1-based byte offsets into the pattern; an error found at the
// end of the pattern reports its length + 1.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/search/RECode.h"

namespace quillet {

// The messages, in code page 932 like every text of the core. The comments
// give them in readable form.
namespace remsg {
// 右(閉じ)括弧が必要です
inline constexpr std::string_view kRightParen =
    "\x89\x45\x28\x95\xc2\x82\xb6\x29\x8a\x87\x8c\xca\x82\xaa\x95\x4b\x97\x76\x82\xc5\x82\xb7";
// 右ブラケット"]"が必要です
inline constexpr std::string_view kRightBracket =
    "\x89\x45\x83\x75\x83\x89\x83\x50\x83\x62\x83\x67\x22\x5d\x22\x82\xaa\x95\x4b\x97\x76\x82\xc5\x82\xb7";
// 普通の文字、または左括弧"("が必要です
inline constexpr std::string_view kPrimaryExpected =
    "\x95\x81\x92\xca\x82\xcc\x95\xb6\x8e\x9a\x81\x41\x82\xdc\x82\xbd\x82\xcd\x8d\xb6\x8a\x87\x8c\xca\x22\x28\x22"
    "\x82\xaa\x95\x4b\x97\x76\x82\xc5\x82\xb7";
// 正規表現に余分な文字があります
inline constexpr std::string_view kExtraCharacters =
    "\x90\xb3\x8b\x4b\x95\x5c\x8c\xbb\x82\xc9\x97\x5d\x95\xaa\x82\xc8\x95\xb6\x8e\x9a\x82\xaa\x82\xa0\x82\xe8\x82\xdc"
    "\x82\xb7";
// 不正なキャラクタクラス指定です。
inline constexpr std::string_view kBadClass =
    "\x95\x73\x90\xb3\x82\xc8\x83\x4c\x83\x83\x83\x89\x83\x4e\x83\x5e\x83\x4e\x83\x89\x83\x58\x8e\x77\x92\xe8\x82\xc5"
    "\x82\xb7\x81\x42";
// 不正なキャラクタ範囲です
inline constexpr std::string_view kBadRange =
    "\x95\x73\x90\xb3\x82\xc8\x83\x4c\x83\x83\x83\x89\x83\x4e\x83\x5e\x94\xcd\x88\xcd\x82\xc5\x82\xb7";
// 不正な２バイト文字コードです。
inline constexpr std::string_view kBadDoubleByte =
    "\x95\x73\x90\xb3\x82\xc8\x82\x51\x83\x6f\x83\x43\x83\x67\x95\xb6\x8e\x9a\x83\x52\x81\x5b\x83\x68\x82\xc5\x82\xb7"
    "\x81\x42";
// "\"の次には文字が必要です。
inline constexpr std::string_view kBackslashAtEnd =
    "\x22\x5c\x22\x82\xcc\x8e\x9f\x82\xc9\x82\xcd\x95\xb6\x8e\x9a\x82\xaa\x95\x4b\x97\x76\x82\xc5\x82\xb7\x81\x42";
// 不正な１６進数コード表記です。
inline constexpr std::string_view kBadHex =
    "\x95\x73\x90\xb3\x82\xc8\x82\x50\x82\x55\x90\x69\x90\x94\x83\x52\x81\x5b\x83\x68\x95\x5c\x8b\x4c\x82\xc5\x82\xb7"
    "\x81\x42";
// 不正な８進数コード表記です。
inline constexpr std::string_view kBadOctal =
    "\x95\x73\x90\xb3\x82\xc8\x82\x57\x90\x69\x90\x94\x83\x52\x81\x5b\x83\x68\x95\x5c\x8b\x4c\x82\xc5\x82\xb7\x81\x42";
}  // namespace remsg

// A syntax error: Message() is one of the texts above (code page 932),
// Position() the 1-based byte offset where it was found; what() gives the
// message in UTF-8 with the position, for logs and the command line.
class ERegExpParser : public std::runtime_error {
public:
  ERegExpParser(std::string_view message, std::size_t position);
  const std::string& Message() const noexcept { return m_message; }
  std::size_t Position() const noexcept { return m_position; }

private:
  std::string m_message;
  std::size_t m_position;
};

enum class TRETokenKind {
  End,
  Union,          // |
  LeftParen,      // (
  RightParen,     // )
  Star,           // *
  Plus,           // +
  Question,       // ?
  ClassStart,     // [
  NegClassStart,  // [^
  ClassEnd,       // ]
  Any,            // .
  LineHead,       // ^
  LineTail,       // $
  Char,           // a character: [Lo, Hi] with Lo == Hi, or a range inside brackets
};

struct TREToken {
  TRETokenKind Kind = TRETokenKind::End;
  TRECode Lo = 0;
  TRECode Hi = 0;
  std::size_t Position = 0;  // 1-based byte offset of the token's first byte
};

class TREScanner {
public:
  // The pattern must outlive the scanner.
  explicit TREScanner(std::string_view pattern) noexcept : m_pattern(pattern) {}

  // The next token outside brackets. Throws ERegExpParser on a bad escape or
  // a lead byte at the end.
  TREToken Next();
  // The next token inside brackets: ClassEnd, End, or Char with its range
  // (a reversed range is returned as it is; the parser reports it).
  TREToken NextInClass();

  std::size_t Length() const noexcept { return m_pattern.size(); }

private:
  // One character or escape at m_pos (which must be < size), advancing.
  TRECode ReadCharacter();
  TRECode ReadEscape();

  std::string_view m_pattern;
  std::size_t m_pos = 0;  // 0-based
};

}  // namespace quillet
