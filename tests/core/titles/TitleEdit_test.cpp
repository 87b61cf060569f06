// Editing a day's title from the title list (SaveDayTitle): the rest of
// Set.ini stays byte for byte, an encrypted day still reads by its flags,
// and a missing folder, an unreadable or read-only Set.ini and an
// interrupted save are handled without losing anything.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "../app/TempFolder.h"
#include "../store/ForcedSave.h"
#include "core/store/EntryStore.h"
#include "core/store/SaveJournal.h"

namespace quillet {
namespace {

using namespace quillet::test;

class TitleEdit : public testing::Test {
protected:
  TitleEdit() { m_settings.SavePath = m_root.Path(); }
  std::string Month() const { return m_root / "2005/3/"; }
  std::string SetIni() const { return Month() + "Set.ini"; }
  TTempFolder m_root;
  TStoreSettings m_settings;
  const TDate m_day = MakeDate(2005, 3, 7);
};

TEST_F(TitleEdit, ChangesTheTitleLineAloneAndTheDayStillReads) {
  TCode code{164, "word", true, true};
  ASSERT_TRUE(SaveDay(m_settings, m_root.Path(), code, ForcedSave(m_day, "secret", "old")).Ok);
  std::string ini = ReadRaw(SetIni());
  WriteRaw(SetIni(), "[1]\r\nTitle=first\r\nOther=x\r\n\r\n" + ini);
  const std::string before = ReadRaw(SetIni());

  const TTitleSaveResult saved = SaveDayTitle(m_settings, m_day, Cp932("新しい題"));
  ASSERT_EQ(saved.Status, TTitleSaveStatus::Saved) << saved.Error;
  std::string expected = before;
  expected.replace(expected.find("Title=old"), 9, "Title=" + Cp932("新しい題"));
  EXPECT_EQ(ReadRaw(SetIni()), expected);
  const TLoadedDay day = LoadDay(m_settings, code, m_day);
  EXPECT_EQ(day.Body, "secret");
  EXPECT_EQ(day.Meta.Title, Cp932("新しい題"));

  // A day without a section gets one; CR and LF cannot split the line.
  EXPECT_EQ(SaveDayTitle(m_settings, MakeDate(2005, 3, 9), "a\r\nb").Title, "a  b");
  EXPECT_EQ(ReadDayMeta(Month(), 9).Title, "a  b");
}

TEST_F(TitleEdit, NothingIsWrittenWithoutAChange) {
  std::filesystem::create_directories(Month());
  EXPECT_EQ(SaveDayTitle(m_settings, m_day, "").Status, TTitleSaveStatus::Saved);
  EXPECT_FALSE(std::filesystem::exists(SetIni()));  // no empty section made
  ASSERT_EQ(SaveDayTitle(m_settings, m_day, "same").Status, TTitleSaveStatus::Saved);
  struct stat first {};
  ::stat(SetIni().c_str(), &first);
  ASSERT_EQ(SaveDayTitle(m_settings, m_day, "same").Status, TTitleSaveStatus::Saved);
  struct stat second {};
  ::stat(SetIni().c_str(), &second);
  EXPECT_EQ(first.st_ino, second.st_ino);  // not replaced
}

TEST_F(TitleEdit, FailuresLoseNothing) {
  EXPECT_EQ(SaveDayTitle(m_settings, m_day, "t").Status, TTitleSaveStatus::FolderMissing);
  EXPECT_FALSE(std::filesystem::exists(m_root / "2005"));  // nothing created

  TCode code;
  ASSERT_TRUE(SaveDay(m_settings, m_root.Path(), code, ForcedSave(m_day, "body", "old")).Ok);
  const std::string before = ReadRaw(SetIni());
  ::chmod(SetIni().c_str(), 0);
  EXPECT_TRUE(AsOrdinaryUser(m_root.Path(), [&] {
    const TTitleSaveResult r = SaveDayTitle(m_settings, m_day, "new");
    std::fprintf(stderr, "unreadable: %d %s\n", static_cast<int>(r.Status), r.Error.c_str());
    return r.Status == TTitleSaveStatus::Failed;
  }));
  ::chmod(SetIni().c_str(), 0400);  // read-only: refused like a save
  EXPECT_TRUE(AsOrdinaryUser(m_root.Path(), [&] {
    return SaveDayTitle(m_settings, m_day, "new").Status == TTitleSaveStatus::Failed;
  }));
  ::chmod(SetIni().c_str(), 0600);
  EXPECT_EQ(ReadRaw(SetIni()), before);
  for (const std::string& name : Listing(Month())) EXPECT_NE(name[0], '.') << name;
}

TEST_F(TitleEdit, AnInterruptedSaveIsCompletedFirst) {
  // The journal decided a new Set.ini; the title goes into that one.
  TCode code;
  ASSERT_TRUE(SaveDay(m_settings, m_root.Path(), code, ForcedSave(m_day, "body", "old")).Ok);
  TStagedFile staged;
  ASSERT_TRUE(staged.Stage(SetIni(), "[7]\r\nTitle=decided\r\nUseCode=0\r\n\r\n[8]\r\nTitle=eight\r\n\r\n"));
  TSaveUnit unit;
  unit.Renames.push_back(&staged);
  ASSERT_TRUE(WriteSaveJournal(Month(), unit));
  staged.Release();
  ASSERT_EQ(SaveDayTitle(m_settings, m_day, "new").Status, TTitleSaveStatus::Saved);
  EXPECT_EQ(ReadRaw(SetIni()), "[7]\r\nTitle=new\r\nUseCode=0\r\n\r\n[8]\r\nTitle=eight\r\n\r\n");
  EXPECT_FALSE(HasSaveJournal(Month()));
}

}  // namespace
}  // namespace quillet
