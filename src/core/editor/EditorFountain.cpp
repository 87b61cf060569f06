// Row parser seam, address recognisers and the editor's highlighter (see
// EditorFountain.h; the token procedures are FountainParser.h).
#include "core/editor/EditorFountain.h"

#include <algorithm>
#include <array>
#include <climits>

#include "core/editor/EditorScreenStrings.h"
#include "core/editor/FountainParser.h"

namespace quillet {
namespace {

using TByteSet = std::array<bool, 256>;

// The bytes of `singles`, and of every range given as a pair of ends in
// `ranges` ("09" is 0..9).
constexpr TByteSet Set(std::string_view singles, std::string_view ranges) {
  TByteSet set{};
  for (const char c : singles) set[static_cast<unsigned char>(c)] = true;
  for (std::size_t i = 0; i + 1 < ranges.size(); i += 2)
    for (int c = static_cast<unsigned char>(ranges[i]); c <= static_cast<unsigned char>(ranges[i + 1]); ++c)
      set[static_cast<std::size_t>(c)] = true;
  return set;
}

// The character sets of the stored format's highlighter.
constexpr TByteSet kWebChars = Set("#%&+-./:=?_~", "09AZaz");
constexpr TByteSet kMailStartChars = Set("!$%&*,-./;=?^_~", "09AZaz");
constexpr std::string_view kWebPrefixes[] = {"http:", "https:", "ftp:", "www."};

bool In(const TByteSet& set, int c) { return c >= 0 && c < 256 && set[static_cast<std::size_t>(c)]; }
bool In(const TByteSet& set, char c) { return set[static_cast<unsigned char>(c)]; }

bool IsLinkStyle(TFountainStyle style) { return style == TFountainStyle::Url || style == TFountainStyle::Mail; }

}  // namespace

bool IsWebChar(int byte) { return In(kWebChars, byte); }
bool IsMailStartChar(int byte) { return In(kMailStartChars, byte); }
bool IsMailChar(int byte) { return byte == '@' || In(kMailStartChars, byte); }

std::size_t WebAddressLength(std::string_view text, std::size_t at) {
  if (at >= text.size()) return 0;
  for (const std::string_view prefix : kWebPrefixes) {
    if (text.substr(at).starts_with(prefix)) {
      std::size_t end = at + prefix.size();
      while (end < text.size() && In(kWebChars, text[end])) ++end;
      return end - at;
    }
  }
  return 0;
}

std::size_t MailAddressLength(std::string_view text, std::size_t at) {
  if (at >= text.size() || !In(kMailStartChars, text[at])) return 0;
  bool atSign = false;
  bool dotAfterAtSign = false;
  std::size_t end = at;
  while (end < text.size() && IsMailChar(static_cast<unsigned char>(text[end]))) {
    if (text[end] == '@') atSign = true;
    else if (text[end] == '.' && atSign) dotAfterAtSign = true;
    ++end;
  }
  return dotAfterAtSign ? end - at : 0;
}

bool IsMailAddress(std::string_view target) {
  return !target.empty() && MailAddressLength(target, 0) == target.size();
}

std::optional<TFountainLink> TFountainRowParser::LinkAt(int row, std::string_view text, int byte) {
  std::vector<TFountainToken> tokens;
  RowTokens(row, text, tokens);
  for (const TFountainToken& token : tokens) {
    if (byte < token.First || byte >= token.Second) continue;
    if (!IsLinkStyle(token.Style)) return std::nullopt;
    const auto first = static_cast<std::size_t>(token.First);
    return TFountainLink{row, token.First, row, token.Second,
                         std::string(text.substr(first, static_cast<std::size_t>(token.Second) - first)),
                         token.Style == TFountainStyle::Mail};
  }
  return std::nullopt;
}

std::optional<TFountainLink> LinkAt(TFountainRowParser& parser, int row, std::string_view text, int byte) {
  return parser.LinkAt(row, text, byte);
}

// --- TEditorColors -------------------------------------------------------------------

TEditorColors::TEditorColors(TFountainColor& reserve) : m_reserve(reserve) {}

const TEditorColor* TEditorColors::OfKind(int kind) const noexcept {
  switch (kind) {
    case 1: return &m_symbol;
    case 3: case 4: case 23: return &m_int;
    case 7: return &m_comment;
    case 8: return &m_reserve;
    case 11: return &m_ank;
    case 12: case 14: case 15: case 16: case 17: case 18: case 19: case 20: return &m_dbcs;
    case 21: return &m_url;
    case 22: return &m_mail;
    case 26: case 27: case 28: return &m_str;
    default: return nullptr;
  }
}

void TEditorColors::SetOnChange(const std::function<void()>& handler) {
  for (TEditorColor* item : {&m_ank, &m_comment, &m_dbcs, &m_hit, &m_int, &m_mail, &m_select, &m_str, &m_symbol, &m_url})
    item->SetOnChange(handler);
}

// --- TEditorFountain ---------------------------------------------------------------------

TEditorFountain::TEditorFountain() : m_colors(Reserve()), m_scanner(std::make_unique<TFountainScanner>()) {
  m_colors.SetOnChange([this] { ColorsChanged(); });
  UpdateRules();
}

TEditorFountain::~TEditorFountain() { Attach(nullptr); }

void TEditorFountain::SetCommenter(std::string_view bytes) {
  if (bytes == m_commenter) return;
  m_commenter = bytes;
  ParseSettingsChanged();
}

void TEditorFountain::SetControlCode(bool on) {
  if (on == m_controlCode) return;
  m_controlCode = on;
  ParseSettingsChanged();
}

void TEditorFountain::SetHexPrefix(std::string_view bytes) {
  if (bytes == m_hexPrefix) return;
  m_hexPrefix = bytes;
  ParseSettingsChanged();
}

void TEditorFountain::SetMail(bool on) {
  if (on == m_mail) return;
  m_mail = on;
  ParseSettingsChanged();
}

void TEditorFountain::SetQuotation(std::string_view bytes) {
  if (bytes == m_quotation) return;
  m_quotation = bytes;
  ParseSettingsChanged();
}

void TEditorFountain::SetUrl(bool on) {
  if (on == m_url) return;
  m_url = on;
  ParseSettingsChanged();
}

void TEditorFountain::UpdateRules() {
  TFountainRules rules;
  rules.Url = m_url;
  rules.Mail = m_mail;
  rules.ControlCode = m_controlCode;
  rules.Commenter = m_commenter;
  rules.Quotation = m_quotation;
  rules.HexPrefix = m_hexPrefix;
  for (int i = 0; i < Brackets().Count(); ++i)
    rules.Brackets.emplace_back(Brackets().Item(i).LeftBracket(), Brackets().Item(i).RightBracket());
  rules.Words = &ReserveWordList();
  m_scanner->SetRules(std::move(rules));
}

void TEditorFountain::ParseSettingsChanged() {
  // Called from the base's constructor too, before the scanner exists.
  if (!m_scanner) return;
  UpdateRules();
  if (m_store) ParseAll();
  Changed();
}

void TEditorFountain::ColorsChanged() { Changed(); }

void TEditorFountain::Attach(TEditorScreenStrings* store) {
  if (store == m_store) return;
  if (m_store) m_store->SetRowParser(nullptr);
  m_store = store;
  if (m_store) {
    m_store->SetRowParser(this);
    ParseAll();
  }
}

// --- Parsing ------------------------------------------------------------------------------

TFountainState TEditorFountain::StateOf(int row) const {
  if (row <= 0) return {};
  return FromRowData(m_store->RowAttributeData(row));
}

int TEditorFountain::ParseLimit() const {
  int limit = -1;
  for (const TEditorClient* client : m_store->Clients()) {
    const int rows = client->ScreenRows();
    if (rows <= 0) continue;
    const long long last = static_cast<long long>(std::max(client->TopRow(), 0)) + 2LL * rows;
    limit = std::max(limit, static_cast<int>(std::min<long long>(last, INT_MAX - 1)));
  }
  // No editor shows the rows (a store used without a view): parse them all.
  return limit < 0 ? INT_MAX - 1 : limit + 1;
}

TReparsed TEditorFountain::Reparse(int row) {
  if (!m_store || m_store->Count() == 0) return {};
  TEditorScreenStrings& store = *m_store;
  const int rows = store.Count();
  row = std::clamp(row, 0, rows - 1);

  // Rows above `row` whose scan may have read its bytes past their own end:
  // their tokens and the states after them may change.
  int back = row;
  std::size_t between = 0;
  while (back > 0 && store.RowAttribute(back - 1) == raWrapped && between < kFountainLookahead) {
    --back;
    between += store.Get(back).size();
  }
  // Start from a stored state above them. The state of `row` itself is made
  // again too: a deletion leaves there the state of a row that is gone.
  int first = std::max(0, std::min({back, row, store.ParsedEnd()}) - 1);
  while (first > 0 && store.Token(first) == -2) --first;

  const int limit = ParseLimit();
  if (first >= limit) {
    // Nothing shown changes now; the rows below are parsed when painted.
    store.ForgetParseStates(first + 1);
    return {back, 0};
  }
  TFountainState state = StateOf(first);
  int written = first;  // the last row whose state was stored
  if (first == 0) store.SetRowAttributeData(0, ToRowData(state, store, 0));
  for (int r = first;;) {
    const TFountainState next = m_scanner->ScanRow(&store, r, store.Get(r), state, nullptr);
    if (++r >= rows) break;
    const TRowAttributeData data = ToRowData(next, store, r);
    if (r > row && store.RowAttributeData(r) == data) break;  // the rows below are still right
    if (r >= limit) {
      store.ForgetParseStates(r);
      break;
    }
    store.SetRowAttributeData(r, data);
    written = r;
    state = next;
  }
  // The rows whose tokens may differ now: from the first that read the
  // change (or got a new state) to the last that got a new state.
  const int from = std::min(back, first == 0 ? 0 : first + 1);
  return {from, std::max(written, row) - from + 1};
}

void TEditorFountain::ParseAll() {
  if (!m_store) return;
  m_store->ForgetParseStates(0);
  if (m_store->Count() == 0) return;
  const int last = m_initBracketsFull ? m_store->Count() - 1 : std::min(ParseLimit(), m_store->Count()) - 1;
  EnsureParsed(last);
}

void TEditorFountain::EnsureParsed(int row) {
  TEditorScreenStrings& store = *m_store;
  if (store.Token(row) != -2) return;
  int first = std::max(0, std::min(row, store.ParsedEnd() - 1));
  while (first > 0 && store.Token(first) == -2) --first;
  TFountainState state = StateOf(first);
  if (first == 0) store.SetRowAttributeData(0, ToRowData(state, store, 0));
  for (int r = first; r < row; ++r) {
    state = m_scanner->ScanRow(&store, r, store.Get(r), state, nullptr);
    store.SetRowAttributeData(r + 1, ToRowData(state, store, r + 1));
  }
}

void TEditorFountain::RowTokens(int row, std::string_view text, std::vector<TFountainToken>& tokens) {
  if (!m_store || row < 0 || row >= m_store->Count()) {
    m_scanner->ScanRow(nullptr, 0, text, {}, &tokens);
    return;
  }
  EnsureParsed(row);
  m_scanner->ScanRow(m_store, row, text, StateOf(row), &tokens);
}

std::optional<TFountainLink> TEditorFountain::LinkAt(int row, std::string_view text, int byte) {
  std::optional<TFountainLink> link = TFountainRowParser::LinkAt(row, text, byte);
  if (!link || !m_store || row < 0 || row >= m_store->Count()) return link;
  TEditorScreenStrings& store = *m_store;
  const TFountainStyle style = link->Mail ? TFountainStyle::Mail : TFountainStyle::Url;
  // Back over the rows this address comes from: while it starts its row and
  // that row opens with the same address going on.
  std::string head;
  while (link->First == 0 && link->Row > 0 && StateOf(link->Row).Kind == static_cast<int>(style)) {
    const int above = link->Row - 1;
    m_scratch.clear();
    RowTokens(above, store.Get(above), m_scratch);
    if (m_scratch.empty() || m_scratch.back().Style != style ||
        m_scratch.back().Second != static_cast<int>(store.Get(above).size()))
      break;
    const TFountainToken& part = m_scratch.back();
    head.insert(0, store.Get(above).substr(static_cast<std::size_t>(part.First)));
    link->Row = above;
    link->First = part.First;
  }
  link->Text.insert(0, head);
  // On over the rows it goes on into.
  while (link->LastRow + 1 < store.Count() && store.RowAttribute(link->LastRow) == raWrapped &&
         link->Second == static_cast<int>(store.Get(link->LastRow).size()) &&
         StateOf(link->LastRow + 1).Kind == static_cast<int>(style)) {
    const int below = link->LastRow + 1;
    m_scratch.clear();
    RowTokens(below, store.Get(below), m_scratch);
    if (m_scratch.empty() || m_scratch.front().Style != style || m_scratch.front().First != 0) break;
    link->Text += store.Get(below).substr(0, static_cast<std::size_t>(m_scratch.front().Second));
    link->LastRow = below;
    link->Second = m_scratch.front().Second;
  }
  return link;
}

}  // namespace quillet
