// Shared by the highlighting benchmarks: the 10 MB diary text of
// EditorBenchSupport.h with every kind of token mixed in (web and mail
// addresses, comments, quoted strings, control codes, hexadecimal numbers,
// bracketed regions, reserved words), and a highlighter with every rule on,
// wired to an editor control as the main window wires its own.
#pragma once

#include "EditorBenchSupport.h"
#include "core/editor/EditorFountain.h"
#include "core/editor/EditorScreenStrings.h"
#include "gui/editor/EditorTokens.h"

namespace quillet::bench {

inline std::string Cp932(const char* utf8) {
  std::string out;
  FromUtf8(utf8, out);
  return out;
}

// The diary text with a token-rich line after every few lines.
inline std::string MakeTokenText(std::size_t bytes) {
  const std::string diary = MakeDiaryText(bytes);
  const std::string extras[] = {
      Cp932("参考: https://example.jp/diary/2005/03/07?page=2&lang=ja と www.example.org/a_b"),
      Cp932("連絡は taro.yamada@example.co.jp まで（返事は明日）。"),
      Cp932("＃ メモ: 雨の日の記録 \"quoted \"\"text\"\" here\" #123 #$1F 0x7FFF"),
      Cp932("「引用の始まり"),
      Cp932("引用の終わり」と Meeting notes 3.14 の話。"),
  };
  std::string text;
  text.reserve(diary.size() + diary.size() / 4);
  std::size_t line = 0;
  for (std::size_t at = 0; at < diary.size() && text.size() < bytes;) {
    std::size_t end = diary.find("\r\n", at);
    end = end == std::string::npos ? diary.size() : end + 2;
    text.append(diary, at, end - at);
    at = end;
    if (++line % 3 == 0) text += extras[line / 3 % std::size(extras)] + "\r\n";
  }
  return text;
}

// Every rule on, colours for the classes the diary colours.
inline void SetAllRules(TEditorFountain& fountain) {
  fountain.SetUrl(true);
  fountain.SetMail(true);
  fountain.SetCommenter(Cp932("＃"));
  fountain.SetQuotation("\"");
  fountain.SetControlCode(true);
  fountain.SetHexPrefix("0x");
  fountain.Brackets().Add(Cp932("「"), Cp932("」"));
  fountain.Brackets().Add("(*", "*)");
  std::string words;
  for (const char* word : {"雨", "会議", "Meeting", "release", "日記", "蕎麦", "todo", "memo"}) words += Cp932(word) + "\r\n";
  fountain.ReserveWordList().SetText(words);
  fountain.Colors().Url().SetColor(clBlue);
  fountain.Colors().Mail().SetColor(clBlue);
  fountain.Reserve().SetColor(clMaroon);
  fountain.Reserve().SetStyle(fsBold);
}

// Makes `fountain` the row parser of `editor`, as TMainEditor does.
inline void Wire(TEditorSE& editor, TEditorFountain& fountain) {
  fountain.Attach(&editor.Store());
  editor.SetRowParser(&fountain);
  editor.SetTokenLooks(MakeTokenLooks(fountain, editor.palette()));
}

inline void Unwire(TEditorSE& editor, TEditorFountain& fountain) {
  editor.SetRowParser(nullptr);
  fountain.Attach(nullptr);
}

}  // namespace quillet::bench
