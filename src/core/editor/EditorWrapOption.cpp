// TEditorWrapOption; see EditorWrapOption.h.
#include "core/editor/EditorWrapOption.h"

#include <algorithm>

#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"

namespace quillet {

TEditorWrapOption::TEditorWrapOption()
    : m_followStr(keys::FollowStr.def),
      m_leadStr(keys::LeadStr.def),
      m_punctuationStr(keys::PunctuationStr.def),
      m_followSet(m_followStr),
      m_leadSet(m_leadStr),
      m_punctuationSet(m_punctuationStr) {}

TEditorWrapOption::TEditorWrapOption(const TEditorWrapOption& other)
    : m_followRetMark(other.m_followRetMark),
      m_followPunctuation(other.m_followPunctuation),
      m_leading(other.m_leading),
      m_wordBreak(other.m_wordBreak),
      m_wrapByte(other.m_wrapByte),
      m_followStr(other.m_followStr),
      m_leadStr(other.m_leadStr),
      m_punctuationStr(other.m_punctuationStr),
      m_followSet(other.m_followSet),
      m_leadSet(other.m_leadSet),
      m_punctuationSet(other.m_punctuationSet) {}

void TEditorWrapOption::Changed() {
  if (m_onChange) m_onChange();
}

void TEditorWrapOption::SetFollowRetMark(bool value) {
  if (value == m_followRetMark) return;
  m_followRetMark = value;
  Changed();
}

void TEditorWrapOption::SetFollowPunctuation(bool value) {
  if (value == m_followPunctuation) return;
  m_followPunctuation = value;
  Changed();
}

void TEditorWrapOption::SetLeading(bool value) {
  if (value == m_leading) return;
  m_leading = value;
  Changed();
}

void TEditorWrapOption::SetWordBreak(bool value) {
  if (value == m_wordBreak) return;
  m_wordBreak = value;
  Changed();
}

void TEditorWrapOption::SetWrapByte(int value) {
  value = std::clamp(value, kMinWrapByte, kMaxWrapByte);
  if (value == m_wrapByte) return;
  m_wrapByte = value;
  Changed();
}

void TEditorWrapOption::SetFollowStr(std::string_view value) {
  if (value == m_followStr) return;
  m_followStr = value;
  m_followSet = TCharSet(m_followStr);
  Changed();
}

void TEditorWrapOption::SetLeadStr(std::string_view value) {
  if (value == m_leadStr) return;
  m_leadStr = value;
  m_leadSet = TCharSet(m_leadStr);
  Changed();
}

void TEditorWrapOption::SetPunctuationStr(std::string_view value) {
  if (value == m_punctuationStr) return;
  m_punctuationStr = value;
  m_punctuationSet = TCharSet(m_punctuationStr);
  Changed();
}

bool TEditorWrapOption::SameValues(const TEditorWrapOption& other) const {
  return m_followRetMark == other.m_followRetMark && m_followPunctuation == other.m_followPunctuation &&
         m_leading == other.m_leading && m_wordBreak == other.m_wordBreak && m_wrapByte == other.m_wrapByte &&
         m_followStr == other.m_followStr && m_leadStr == other.m_leadStr &&
         m_punctuationStr == other.m_punctuationStr;
}

void TEditorWrapOption::Assign(const TEditorWrapOption& other) {
  if (SameValues(other)) return;
  m_followRetMark = other.m_followRetMark;
  m_followPunctuation = other.m_followPunctuation;
  m_leading = other.m_leading;
  m_wordBreak = other.m_wordBreak;
  m_wrapByte = other.m_wrapByte;
  m_followStr = other.m_followStr;
  m_leadStr = other.m_leadStr;
  m_punctuationStr = other.m_punctuationStr;
  m_followSet = other.m_followSet;
  m_leadSet = other.m_leadSet;
  m_punctuationSet = other.m_punctuationSet;
  Changed();
}

void LoadWrapOption(const THIniFile& ini, TEditorWrapOption& option) {
  TEditorWrapOption read(option);
  read.SetFollowRetMark(keys::FollowRet.Read(ini));
  read.SetFollowPunctuation(keys::FollowPunctuation.Read(ini));
  read.SetPunctuationStr(keys::PunctuationStr.Read(ini));
  read.SetLeading(keys::Leading.Read(ini));
  read.SetFollowStr(keys::FollowStr.Read(ini));
  read.SetLeadStr(keys::LeadStr.Read(ini));
  read.SetWordBreak(keys::WordBreak.Read(ini));
  read.SetWrapByte(keys::WrapByte.Read(ini));
  option.Assign(read);
}

}  // namespace quillet
