// A day saved as one unit across a crash: a save stopped right after its
// journal is completed by the next reader, one stopped before it leaves the
// old day and temporary files the next save removes, and a journal that this
// program did not write moves nothing.
#include "core/store/SaveJournal.h"

#include <gtest/gtest.h>

#include "../app/TempFolder.h"
#include "core/store/EntryStore.h"

namespace quillet {
namespace {

using namespace quillet::test;

class SaveJournal : public testing::Test {
protected:
  SaveJournal() {
    m_settings.SavePath = m_root.Path();
    m_month = m_root.Path() + "2005/3/";
    m_code = {164, "w", false, false};
    Save("old body", "old title");
    m_code.EnCrypt = m_code.Method = true;
  }

  bool Save(const std::string& body, const std::string& title, int day = 7) {
    TSaveRequest request{MakeDate(2005, 3, day), body, title, true, true, 1110197703};
    return SaveDay(m_settings, m_root.Path(), m_code, request).Ok;
  }
  TLoadedDay Load() const { return LoadDay(m_settings, m_code, MakeDate(2005, 3, 7)); }

  // Stages the new version of day 7 (word key) as a save would, and lets the
  // staged files outlive this call as a killed process leaves them.
  void StageNewDay(TSaveUnit& unit) {
    ASSERT_TRUE(m_body.Stage(m_month + "7.txt", EncryptWordKey("new body", "w"), nullptr, TReadOnlyTarget::Replace));
    ASSERT_TRUE(m_meta.Stage(m_month + "Set.ini", "[7]\r\nTitle=new title\r\nUseCode=1\r\nMethod=1\r\n"));
    unit.Renames = {&m_body, &m_meta};
  }
  void Crash() {
    m_body.Release();
    m_meta.Release();
  }
  bool AnyHiddenFile() const {
    for (const std::string& name : Listing(m_month)) {
      if (name[0] == '.') return true;
    }
    return false;
  }

  TTempFolder m_root;
  TStoreSettings m_settings;
  TCode m_code;
  std::string m_month;
  TStagedFile m_body;
  TStagedFile m_meta;
};

TEST_F(SaveJournal, ACrashAfterTheJournalIsCompletedByTheNextLoad) {
  TSaveUnit unit;
  StageNewDay(unit);
  ASSERT_TRUE(WriteSaveJournal(m_month, unit));
  Crash();
  ASSERT_TRUE(HasSaveJournal(m_month));
  const TLoadedDay day = Load();
  EXPECT_FALSE(day.ReadFailed) << day.Error;
  EXPECT_TRUE(day.Encrypted);
  EXPECT_EQ(day.Body, "new body");
  EXPECT_EQ(day.Meta.Title, "new title");
  EXPECT_FALSE(AnyHiddenFile());
}

TEST_F(SaveJournal, ACrashHalfWayThroughTheStepsIsCompletedToo) {
  TSaveUnit unit;
  StageNewDay(unit);
  ASSERT_TRUE(WriteSaveJournal(m_month, unit));
  ASSERT_TRUE(m_body.Commit());  // the body is in place, Set.ini is not
  Crash();
  EXPECT_EQ(Load().Body, "new body");
  EXPECT_EQ(Load().Meta.Title, "new title");
}

TEST_F(SaveJournal, ACrashBeforeTheJournalLeavesTheOldDayAndTheNextSaveCleansUp) {
  TSaveUnit unit;
  StageNewDay(unit);
  Crash();
  ASSERT_TRUE(AnyHiddenFile());
  const TLoadedDay day = Load();
  EXPECT_FALSE(day.Encrypted);
  EXPECT_EQ(day.Body, "old body");
  EXPECT_EQ(day.Meta.Title, "old title");
  ASSERT_TRUE(Save("another day", "", 8));
  EXPECT_FALSE(AnyHiddenFile());
}

TEST_F(SaveJournal, AJournalThisProgramDidNotWriteMovesNothing) {
  WriteRaw(m_root / "outside", "kept");
  const std::string header = "Quillet save journal 1\n";
  const struct {
    const char* name;
    std::string text;
  } journals[] = {
      {"no end line (torn)", header + "D\t7.txt\n"},
      {"a removal outside the folder", header + "D\t../../outside\nend\n"},
      {"a rename from a file that is no temporary file", header + "R\t7.txt\tSet.ini\nend\n"},
      {"a rename into another folder", header + "R\t.x.~abcdef\t../../outside\nend\n"},
      {"another format", "R\t.x.~abcdef\t7.txt\nend\n"},
      {"an empty name", header + "R\t\t7.txt\nend\n"},
  };
  for (const auto& journal : journals) {
    WriteRaw(m_month + ".save-journal", journal.text);
    const TLoadedDay day = Load();
    EXPECT_TRUE(day.ReadFailed) << journal.name;
    EXPECT_FALSE(Save("refused", "")) << journal.name;
    EXPECT_EQ(ReadRaw(m_month + "7.txt"), "old body") << journal.name;
    EXPECT_EQ(ReadRaw(m_root / "outside"), "kept") << journal.name;
  }
}

}  // namespace
}  // namespace quillet
