// TEditorWrapOption: the line-breaking settings of one row store, and the
// reader that fills them from the settings file.
//
// Setters store the value (WrapByte clamped to 20..250) and, when it changed,
// call the change handler once; the row store re-cuts all rows there when
// wrapping is on. Assign copies every property with a single notification,
// so applying the options dialog re-cuts the text once, not eight times.
// The three character sets are kept pre-parsed next to their strings (see
// TCharSet), so the cutter tests a character without walking a string.
//
// Defaults are the control's own: every rule off, W = 80, and the Japanese
// sets. The diary switches "Leading" on through its settings (LoadWrapOption).
// Not thread-safe; owned by the row store, used on the GUI thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/editor/EditorColumns.h"

namespace quillet {

class THIniFile;

class TEditorWrapOption {
public:
  static constexpr int kMinWrapByte = 20;
  static constexpr int kMaxWrapByte = 250;
  static constexpr int kDefaultWrapByte = 80;

  TEditorWrapOption();
  // Copies the values, not the change handler.
  TEditorWrapOption(const TEditorWrapOption& other);
  TEditorWrapOption& operator=(const TEditorWrapOption&) = delete;

  // A line end that falls exactly at the end of a full row stays on it.
  bool FollowRetMark() const { return m_followRetMark; }
  void SetFollowRetMark(bool value);
  // Characters of PunctuationStr may hang up to two columns past W.
  bool FollowPunctuation() const { return m_followPunctuation; }
  void SetFollowPunctuation(bool value);
  // Characters that must not begin a row (code page 932 bytes).
  const std::string& FollowStr() const { return m_followStr; }
  void SetFollowStr(std::string_view value);
  // Both bracket rules (LeadStr at a row end, FollowStr at a row start).
  bool Leading() const { return m_leading; }
  void SetLeading(bool value);
  // Characters that must not end a row.
  const std::string& LeadStr() const { return m_leadStr; }
  void SetLeadStr(std::string_view value);
  // Characters that may hang.
  const std::string& PunctuationStr() const { return m_punctuationStr; }
  void SetPunctuationStr(std::string_view value);
  // Single-byte words break at delimiters.
  bool WordBreak() const { return m_wordBreak; }
  void SetWordBreak(bool value);
  // The wrap column W in half-width columns.
  int WrapByte() const { return m_wrapByte; }
  void SetWrapByte(int value);

  const TCharSet& FollowSet() const { return m_followSet; }
  const TCharSet& LeadSet() const { return m_leadSet; }
  const TCharSet& PunctuationSet() const { return m_punctuationSet; }

  // Takes every value of `other`; notifies once when anything changed.
  void Assign(const TEditorWrapOption& other);
  bool SameValues(const TEditorWrapOption& other) const;

  // Called after each change (on the caller's thread). One handler; the row
  // store that owns the option installs it.
  void SetOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }

private:
  void Changed();

  bool m_followRetMark = false;
  bool m_followPunctuation = false;
  bool m_leading = false;
  bool m_wordBreak = false;
  int m_wrapByte = kDefaultWrapByte;
  std::string m_followStr;
  std::string m_leadStr;
  std::string m_punctuationStr;
  TCharSet m_followSet;
  TCharSet m_leadSet;
  TCharSet m_punctuationSet;
  std::function<void()> m_onChange;
};

// Fills `option` from section "Edit" of the settings file with the diary's
// defaults ("FollowRet", "FollowPunctuation", "PunctuationStr", "Leading"
// (true), "FollowStr", "LeadStr", "WordBreak", "WrapByte"); one notification.
void LoadWrapOption(const THIniFile& ini, TEditorWrapOption& option);

}  // namespace quillet
