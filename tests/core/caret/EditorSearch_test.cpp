// The search primitive: double-byte awareness, case folding, direction, and
// a random cross-check against searching the same text in UTF-8 (where no
// character's bytes can hide inside another's), both sides converted by
// glibc's iconv.
#include "core/caret/EditorSearch.h"

#include <gtest/gtest.h>

#include <random>

#include "CaretTestSupport.h"

namespace quillet {
namespace {

using test::Sj;

std::optional<TTextRange> Find(const TEditorScreenStrings& store, std::string_view pattern, TTextPoint from,
                               bool forward = true, bool matchCase = true) {
  return SearchText(store, pattern, from, forward, matchCase);
}

TEST(EditorSearch, ATrailByteNeverMatchesASingleByteCharacter) {
  // "ソ" is 0x83 0x5C: its trail byte is a backslash; "表" 0x95 0x5C too.
  TEditorScreenStrings store;
  store.SetText(Sj("ソ表\\x"));
  const auto hit = Find(store, "\\", {0, 0});
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->Start, (TTextPoint{0, 4}));
  // Bytes 5C 95 5C stand at offset 1 (the trail of "ソ" and all of "表"),
  // which a byte-wise search would find; no match starts on a trail byte.
  EXPECT_FALSE(Find(store, "\\\x95\\", {0, 0}));
}

TEST(EditorSearch, APatternEndingInALeadByteDoesNotMatchHalfACharacter) {
  TEditorScreenStrings store;
  store.SetText(Sj("アイ"));
  EXPECT_FALSE(Find(store, "\x83", {0, 0}));
}

TEST(EditorSearch, CaseFoldingCoversFullWidthLettersOnlyWithoutMatchCase) {
  const struct {
    const char* name;
    std::string text, pattern;
    bool matchCase, found;
  } rows[] = {
      {"ascii folded", "Hello", "hello", false, true},
      {"ascii exact", "Hello", "hello", true, false},
      {"full-width folded", Sj("ＡＢＣ"), Sj("ａｂｃ"), false, true},
      {"greek folded", Sj("ΑΒΓ"), Sj("αβγ"), false, true},
      {"kana never folds", Sj("あ"), Sj("ア"), false, false},
      {"mixed", Sj("日記Ａbc"), Sj("ａBC"), false, true},
  };
  for (const auto& row : rows) {
    TEditorScreenStrings store;
    store.SetText(row.text);
    EXPECT_EQ(Find(store, row.pattern, {0, 0}, true, row.matchCase).has_value(), row.found) << row.name;
  }
}

TEST(EditorSearch, MatchesRunAcrossTheRowsOfAWrappedLine) {
  TEditorScreenStrings store;
  store.WrapOption().SetWrapByte(20);
  store.SetWordWrap(true);
  store.SetText(std::string(18, 'a') + "needle");
  const auto hit = Find(store, "needle", {0, 0});
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->Start, (TTextPoint{0, 18}));
  EXPECT_EQ(hit->End, (TTextPoint{1, 4}));
}

TEST(EditorSearch, BackwardFindsTheLastMatchStartingBeforeThePlace) {
  TEditorScreenStrings store;
  store.SetText("ab ab\r\nab");
  EXPECT_EQ(Find(store, "ab", {1, 0}, false)->Start, (TTextPoint{0, 3}));
  EXPECT_EQ(Find(store, "ab", {0, 3}, false)->Start, (TTextPoint{0, 0}));
  EXPECT_FALSE(Find(store, "ab", {0, 0}, false));
  EXPECT_EQ(Find(store, "ab", TextEndPoint(store), false)->Start, (TTextPoint{1, 0}));
}

TEST(EditorSearch, NothingToFind) {
  TEditorScreenStrings store;
  store.SetText("a\r\nb");
  EXPECT_FALSE(Find(store, "", {0, 0}));
  EXPECT_FALSE(Find(store, "a\r\nb", {0, 0}));  // one line at a time
  TEditorScreenStrings empty;
  EXPECT_FALSE(Find(empty, "a", {0, 0}));
}

// UTF-8 of code page 932 bytes, by iconv.
std::string Utf8(std::string_view cp932) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  std::string out(cp932.size() * 3 + 8, '\0');
  char* in = const_cast<char*>(cp932.data());
  std::size_t inLeft = cp932.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

TEST(EditorSearch, AgreesWithUtf8SearchOnRandomText) {
  // Characters chosen so that trail bytes equal ASCII letters and the
  // backslash: "ソ" 83 5C, "ア" 83 41, "ボ" 83 7B, "表" 95 5C.
  const std::vector<std::string> alphabet = {"A", "\\", "a", "{", Sj("ソ"), Sj("ア"), Sj("ボ"), Sj("表"), " "};
  std::mt19937 random(932);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += alphabet[random() % alphabet.size()];
    std::string pattern;
    for (int i = 0, n = 1 + static_cast<int>(random() % 2); i < n; ++i) pattern += alphabet[random() % alphabet.size()];

    TEditorScreenStrings store;
    store.SetText(text);
    std::vector<std::size_t> ours;
    TTextPoint from{0, 0};
    while (const auto hit = Find(store, pattern, from)) {
      ours.push_back(Utf8(text.substr(0, static_cast<std::size_t>(hit->Start.Byte))).size());
      from = hit->End;
    }
    const std::string text8 = Utf8(text);
    const std::string pattern8 = Utf8(pattern);
    std::vector<std::size_t> reference;
    for (std::size_t p = text8.find(pattern8); p != std::string::npos; p = text8.find(pattern8, p + pattern8.size()))
      reference.push_back(p);
    ASSERT_EQ(ours, reference) << "round " << round;
  }
}

}  // namespace
}  // namespace quillet
