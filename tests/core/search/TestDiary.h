// A small diary in a temporary folder, saved day by day through the store
// (plain, number-key and word-key days), and the hits of a search over it
// as short rows, for the grep and squeeze tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../app/TempFolder.h"
#include "core/search/DiaryGrep.h"
#include "core/store/EntryStore.h"

namespace quillet::test {

class TDiary {
public:
  TDiary() { m_settings.SavePath = m_root.Path(); }

  // Saves a day through the store; method 0 plain, 1 number key, 2 word key.
  std::string Save(int y, int m, int d, const std::string& body, const std::string& title, int method = 0) {
    TCode code = Code;
    code.EnCrypt = method != 0;
    code.Method = method == 2;
    TSaveRequest request{MakeDate(y, m, d), body, title, true, true, {}, false};
    EXPECT_TRUE(SaveDay(m_settings, m_root.Path(), code, request).Ok);
    return EntryPath(m_settings, MakeDate(y, m, d));
  }

  // Items as "y/m/d kind lines", kind B, T or BT.
  std::vector<std::string> Grep(TGrepOptions options, TSearchOutcome* outcome = nullptr) {
    TDiaryGrep grep(options, m_settings, Code);
    const TSearchOutcome result = grep.Run();
    if (outcome) *outcome = result;
    return Rows(grep.Items());
  }

  static std::vector<std::string> Rows(const TGrepList& items) {
    std::vector<std::string> rows;
    for (const TGrepItem& item : items) {
      const char* kind = item.Kind == TGrepKind::Body ? "B" : item.Kind == TGrepKind::Title ? "T" : "BT";
      rows.push_back(std::to_string(YearOf(item.Date)) + "/" + std::to_string(MonthOf(item.Date)) + "/" +
                     std::to_string(DayOf(item.Date)) + " " + kind + " " + item.Lines);
    }
    return rows;
  }

  TCode Code{164, "secret", false, false};
  test::TTempFolder m_root;
  TStoreSettings m_settings;
};

}  // namespace quillet::test
