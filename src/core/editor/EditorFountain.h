// The seam between the row store and the highlighter, in the store's terms:
// a row parser gives the styled byte ranges of a row, and the address
// recognisers say where a web or mail address starts and ends. The GUI maps
// a style number to its colours and font and converts an address to text
// only when it shows or opens it; everything here stays code page 932 bytes.
//
// TEditorFountain is the editor's highlighter: the token classes it looks
// for, their colours (TEditorColors), and the row parser of one row store,
// which keeps every row's parse state up to date after each change
// (Reparse) and gives the tokens of a row to the painter (RowTokens).
//
// Style numbers are the token kinds that the per-row parse state stores, so
// their values are fixed. The recognisers follow the stored format's
// character sets; every byte in them is ASCII, so a scan stops at a lead
// byte and never reads a trail byte of a double-byte character as part of an
// address, and it never passes the row end (NUL, LF, CR are in no set).
//
// Pure functions, any thread; a row parser is called on the GUI thread.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/editor/EditorClient.h"
#include "core/editor/heFountain.h"

namespace quillet {

// The kind of a token, as stored in the parse state. Kinds 14..20 are
// double-byte characters of finer classes, coloured as Dbcs.
enum class TFountainStyle : int {
  None = 0,  // the editor's own colours
  Symbol = 1,
  Int = 3,
  Hex = 4,
  Bracket = 6,
  Comment = 7,
  Reserve = 8,
  Ank = 11,
  Dbcs = 12,  // double-byte characters of no class below
  DbcsSymbol = 14,
  DbcsDigit = 15,
  DbcsLatin = 16,
  Hiragana = 17,
  Katakana = 18,
  GreekCyrillic = 19,
  Kanji = 20,
  Url = 21,
  Mail = 22,
  Float = 23,
  Str = 26,
  DecCode = 27,  // control code: number sign, decimal digits
  HexCode = 28,  // control code: number sign, dollar sign, hexadecimal digits
};
// One more than the highest style number: the size of a table by style.
inline constexpr int kFountainStyleCount = 29;

// Bytes [First, Second) of a row in one style. A reserved word keeps its
// kind as Style (an address stays an address) and is painted in the
// Reserve colour; a bracketed region names its bracket item.
struct TFountainToken {
  int First = 0;
  int Second = 0;
  TFountainStyle Style = TFountainStyle::None;
  bool Reserved = false;
  int Bracket = -1;
  bool operator==(const TFountainToken&) const = default;
};

// A web or mail address: from byte First of row Row to byte Second
// (exclusive) of row LastRow (the same row unless wrapping cut it), and
// its bytes.
struct TFountainLink {
  int Row = 0;
  int First = 0;
  int LastRow = 0;
  int Second = 0;
  std::string Text;  // code page 932 bytes (ASCII in practice)
  bool Mail = false;
  bool operator==(const TFountainLink&) const = default;
};

class TFountainRowParser {
public:
  virtual ~TFountainRowParser() = default;
  // Appends the tokens of row `row` (its bytes `text`, no line end), in
  // order and not overlapping; bytes in no token keep the editor's colours.
  // Called while painting, for visible rows only.
  virtual void RowTokens(int row, std::string_view text, std::vector<TFountainToken>& tokens) = 0;
  // The address holding byte `byte` of row `row` (bytes `text`), if any.
  // This one looks at the row alone; a parser that knows the rows around
  // it joins an address that wrapping cut.
  virtual std::optional<TFountainLink> LinkAt(int row, std::string_view text, int byte);
};

// parser.LinkAt(row, text, byte).
std::optional<TFountainLink> LinkAt(TFountainRowParser& parser, int row, std::string_view text, int byte);

// The length of the web address starting at byte `at` of `text`, 0 when none
// starts there: "http:", "https:", "ftp:" or "www." (case counts), then
// every following web address character.
std::size_t WebAddressLength(std::string_view text, std::size_t at);
// The length of the mail address starting at byte `at`, 0 when none starts
// there: a mail start character, then mail address characters that hold an
// at sign with a full stop after it; the address runs over every following
// mail address character.
std::size_t MailAddressLength(std::string_view text, std::size_t at);
// True when the whole of `target` is one mail address: a link target that is
// opened with the mail program rather than the browser.
bool IsMailAddress(std::string_view target);

// Web address characters (# % & + - . / 0-9 : = ? A-Z _ a-z ~), mail address
// characters (! $ % & * , - . / 0-9 ; = ? A-Z ^ _ a-z ~ and the at sign) and
// mail start characters (the same without the at sign).
bool IsWebChar(int byte);
bool IsMailChar(int byte);
bool IsMailStartChar(int byte);

using TEditorColor = TFountainColor;

// One colour item per token class. Reserve is the fountain's own item
// (TFountain::Reserve), so both names reach the same colour.
class TEditorColors {
public:
  explicit TEditorColors(TFountainColor& reserve);
  TEditorColors(const TEditorColors&) = delete;
  TEditorColors& operator=(const TEditorColors&) = delete;

  TEditorColor& Ank() noexcept { return m_ank; }
  TEditorColor& Comment() noexcept { return m_comment; }
  TEditorColor& DBCS() noexcept { return m_dbcs; }
  TEditorColor& Hit() noexcept { return m_hit; }
  TEditorColor& Int() noexcept { return m_int; }
  TEditorColor& Mail() noexcept { return m_mail; }
  TEditorColor& Reserve() noexcept { return m_reserve; }
  TEditorColor& Select() noexcept { return m_select; }
  TEditorColor& Str() noexcept { return m_str; }
  TEditorColor& Symbol() noexcept { return m_symbol; }
  TEditorColor& Url() noexcept { return m_url; }
  const TEditorColor& Reserve() const noexcept { return m_reserve; }
  const TEditorColor& Select() const noexcept { return m_select; }
  // The item that colours tokens of `kind`; null for none (no token, and
  // bracketed regions, which take their item's colour).
  const TEditorColor* OfKind(int kind) const noexcept;
  // Every item's change goes to `handler` (Reserve's goes to its fountain).
  void SetOnChange(const std::function<void()>& handler);

private:
  TEditorColor m_ank, m_comment, m_dbcs, m_hit, m_int, m_mail, m_select, m_str, m_symbol, m_url;
  TFountainColor& m_reserve;
};

class TEditorScreenStrings;
class TFountainScanner;
struct TFountainState;

class TEditorFountain : public TFountain, public TFountainRowParser, public TEditorRowParser {
public:
  TEditorFountain();
  ~TEditorFountain() override;

  TEditorColors& Colors() noexcept { return m_colors; }
  const TEditorColors& Colors() const noexcept { return m_colors; }
  const std::string& Commenter() const noexcept { return m_commenter; }
  void SetCommenter(std::string_view bytes);
  bool ControlCode() const noexcept { return m_controlCode; }
  void SetControlCode(bool on);
  const std::string& HexPrefix() const noexcept { return m_hexPrefix; }
  void SetHexPrefix(std::string_view bytes);
  bool Mail() const noexcept { return m_mail; }
  void SetMail(bool on);
  // Its first character delimits quoted strings.
  const std::string& Quotation() const noexcept { return m_quotation; }
  void SetQuotation(std::string_view bytes);
  bool Url() const noexcept { return m_url; }
  void SetUrl(bool on);
  // Full parses (after a load, a change of wrapping or of these settings)
  // go to the last row instead of stopping below the shown rows.
  bool InitBracketsFull() const noexcept { return m_initBracketsFull; }
  void SetInitBracketsFull(bool on) { m_initBracketsFull = on; }
  // Called after any change of a setting or colour, once the rows were
  // parsed again where needed: the editors repaint.
  void SetOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }

  // The row store whose rows it parses (not owned). Attaching makes it the
  // store's row parser and parses the rows afresh; Attach(nullptr) lets go.
  // The store must outlive the attachment.
  void Attach(TEditorScreenStrings* store);
  TEditorScreenStrings* Store() const noexcept { return m_store; }

  // --- TEditorRowParser --------------------------------------------------------
  // The incremental parse: from the row above `row` (or further up, while
  // a row there read into `row` past its end), row by row, storing each
  // row's start state; stops at a row below `row` whose stored state equals
  // the new one, or past the last shown row + 2 × the shown rows of the
  // store's editors (those rows and all below are then marked not parsed,
  // and are parsed when painted). Cost: the rows parsed.
  TReparsed Reparse(int row) override;
  // Forgets every row's state, then parses from the top as far as Reparse
  // would (to the end with InitBracketsFull).
  void ParseAll() override;

  // --- TFountainRowParser ------------------------------------------------------
  // Parses the rows above `row` first when they are not parsed yet. A
  // parser without a store, or a row outside it, takes `text` as a row of
  // its own.
  void RowTokens(int row, std::string_view text, std::vector<TFountainToken>& tokens) override;
  // Joins an address over the wrapped rows it spans.
  std::optional<TFountainLink> LinkAt(int row, std::string_view text, int byte) override;

protected:
  void ParseSettingsChanged() override;
  void ColorsChanged() override;

private:
  // Stores row 0's reset state and every row's start state down to `row`.
  void EnsureParsed(int row);
  TFountainState StateOf(int row) const;
  // One past the last row a pass may parse.
  int ParseLimit() const;
  void UpdateRules();
  void Changed() const {
    if (m_onChange) m_onChange();
  }

  TEditorColors m_colors;
  std::string m_commenter;
  std::string m_hexPrefix;
  std::string m_quotation;
  bool m_controlCode = false;
  bool m_mail = false;
  bool m_url = false;
  bool m_initBracketsFull = false;
  std::function<void()> m_onChange;
  TEditorScreenStrings* m_store = nullptr;
  std::unique_ptr<TFountainScanner> m_scanner;
  std::vector<TFountainToken> m_scratch;
};

}  // namespace quillet
