// The day picture folder: which files are pictures, copying in, renaming,
// storing and removing the list, and section "Viewer".
#include "core/viewer/DayPictures.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/viewer/ViewerSettings.h"
#include "../app/TempFolder.h"

namespace quillet {
namespace {

using test::ReadRaw;
using test::WriteRaw;

TEST(DayPictures, ExtensionsAndMasks) {
  const std::vector<std::string> masks{"*.bmp", "*.jpg", "*.JPEG"};
  struct {
    const char* name;
    bool picture;
  } files[] = {
      {"a.bmp", true},  {"P.JPG", true},  {"x.jpeg", true}, {"a.tar.jpg", true}, {"a.png", false},
      {"bmp", false},   {".bmp", false},  {"a.", false},    {"a.jpg.txt", false}, {"a.bmpx", false},
  };
  for (const auto& f : files) EXPECT_EQ(IsPictureFile(f.name, masks), f.picture) << f.name;

  struct {
    const char* old;
    const char* typed;
    const char* result;
    bool corrected;
  } renames[] = {
      {"a.jpg", "b.png", "b.jpg", true},    // "拡張子を修正しました"
      {"a.jpg", "b.JPG", "b.JPG", false},   // case does not count
      {"a.jpg", "b", "b.jpg", true},        // no extension: the old one is added
      {"a.jpg", "b.", "b.jpg", true},       // a lone dot is an extension
      {"a.jpg", ".hidden", ".hidden.jpg", true},  // a leading dot is not one
      {"a.jpg", "b.tar.gz", "b.tar.jpg", true},
      {"a.jpg", "b.c.jpg", "b.c.jpg", false},
  };
  for (const auto& r : renames)
    EXPECT_EQ(CorrectExtension(r.old, r.typed), (TCorrectedName{r.result, r.corrected})) << r.typed;

  EXPECT_EQ(SelectionPercent(96, 3000), 3);
  EXPECT_EQ(SelectionPercent(96, 48), 200);
  EXPECT_EQ(SelectionPercent(96, 0), 0);
  // 0.57 × 100 is 56.99999999999999 in doubles; the quotient is 57.
  EXPECT_EQ(SelectionPercent(57, 100), 57);
}

class DayPicturesTest : public ::testing::Test {
protected:
  DayPicturesTest() {
    m_settings.SavePath = m_tmp.Path();
    WriteRaw(m_tmp / "photo.jpg", "new picture bytes");
  }
  TDayPictures Day() const { return TDayPictures(m_settings, MakeDate(2005, 3, 7)); }
  std::string Folder() const { return m_tmp / "2005/3/7/"; }

  test::TTempFolder m_tmp;
  TStoreSettings m_settings;
};

TEST_F(DayPicturesTest, CopiesReplaceAndNeverTruncateTheirSource) {
  TDayPictures day = Day();
  EXPECT_EQ(day.Folder(), Folder());
  TCopyResult copy = day.AddPicture(m_tmp / "photo.jpg");
  ASSERT_TRUE(copy.Ok) << copy.Error;
  EXPECT_EQ(copy.Path, Folder() + "photo.jpg");
  EXPECT_EQ(test::ModeOf(Folder()), 0700u);
  EXPECT_EQ(test::ModeOf(m_tmp / "2005"), 0700u);

  WriteRaw(m_tmp / "photo.jpg", "second version");
  ASSERT_TRUE(day.AddPicture(m_tmp / "photo.jpg").Ok);  // replaces the earlier copy
  EXPECT_EQ(ReadRaw(copy.Path), "second version");

  copy = day.AddPicture(copy.Path);  // onto itself
  EXPECT_TRUE(copy.Ok) << copy.Error;
  EXPECT_EQ(ReadRaw(copy.Path), "second version");
  ASSERT_EQ(::symlink(copy.Path.c_str(), (m_tmp / "link.jpg").c_str()), 0);
  ::rename((m_tmp / "link.jpg").c_str(), (Folder() + "photo2.jpg").c_str());
  EXPECT_TRUE(day.AddPicture(Folder() + "photo2.jpg").Ok);  // the same file under a link
  EXPECT_EQ(ReadRaw(copy.Path), "second version");

  WriteRaw(m_tmp / "ポ.jpg", "kana");
  copy = day.AddPicture(m_tmp / "ポ.jpg");
  ASSERT_TRUE(copy.Ok);
  EXPECT_EQ(copy.ListName, test::Cp932("ポ.jpg"));
  EXPECT_EQ(test::Listing(Folder()).size(), 3u);  // no temporary file left
}

TEST_F(DayPicturesTest, CopyFailuresLeaveTheOldPicture) {
  TDayPictures day = Day();
  ASSERT_TRUE(day.AddPicture(m_tmp / "photo.jpg").Ok);
  for (const char* bad : {"a|b.jpg", "\xF0\x9F\x98\x80.jpg", "missing.jpg"}) {
    if (std::string(bad) != "missing.jpg") WriteRaw(m_tmp / bad, "x");
    const TCopyResult copy = day.AddPicture(m_tmp / bad);
    EXPECT_FALSE(copy.Ok) << bad;
    EXPECT_FALSE(copy.Error.empty()) << bad;
  }
  ::chmod(Folder().c_str(), 0500);
  WriteRaw(m_tmp / "photo.jpg", "replacement");
  EXPECT_TRUE(test::AsOrdinaryUser(m_tmp.Path(), [&] {
    TDayPictures d = Day();
    const TCopyResult copy = d.AddPicture(m_tmp / "photo.jpg");
    return !copy.Ok && !copy.Error.empty() && ReadRaw(Folder() + "photo.jpg") == "new picture bytes" &&
           test::Listing(Folder()).size() == 1;
  }));
  ::chmod(Folder().c_str(), 0700);
  ::chmod((Folder() + "photo.jpg").c_str(), 0400);  // read-only: not replaced
  EXPECT_FALSE(day.AddPicture(m_tmp / "photo.jpg").Ok);
  EXPECT_EQ(ReadRaw(Folder() + "photo.jpg"), "new picture bytes");
}

TEST_F(DayPicturesTest, Renames) {
  TDayPictures day = Day();
  ASSERT_TRUE(day.AddPicture(m_tmp / "photo.jpg").Ok);
  WriteRaw(Folder() + "taken.jpg", "another picture");

  TRenameResult r = day.Rename("photo.jpg", "b.png");
  EXPECT_EQ(r.Status, TRenameStatus::Renamed);
  EXPECT_EQ(r.Name, "b.jpg");
  EXPECT_TRUE(r.Corrected);
  EXPECT_EQ(ReadRaw(Folder() + "b.jpg"), "new picture bytes");

  r = day.Rename("b.jpg", "taken.jpg");  // never replaces another picture
  EXPECT_EQ(r.Status, TRenameStatus::TargetExists);
  EXPECT_EQ(r.Name, "b.jpg");
  EXPECT_EQ(ReadRaw(Folder() + "taken.jpg"), "another picture");

  EXPECT_EQ(day.Rename("b.jpg", "b.jpg").Status, TRenameStatus::Unchanged);
  for (const char* bad : {"", ".", "..", "x/y.jpg", "a|b.jpg", "\xF0\x9F\x98\x80.jpg"}) {
    r = day.Rename("b.jpg", bad);
    EXPECT_EQ(r.Status, TRenameStatus::BadName) << bad;
    EXPECT_EQ(r.Name, "b.jpg");
  }
  EXPECT_EQ(day.Rename("gone.jpg", "c.jpg").Status, TRenameStatus::SourceMissing);

  ::chmod(Folder().c_str(), 0500);
  EXPECT_TRUE(test::AsOrdinaryUser(m_tmp.Path(), [&] {
    TDayPictures d = Day();
    const TRenameResult failed = d.Rename("b.jpg", "c.jpg");
    return failed.Status == TRenameStatus::Failed && failed.Name == "b.jpg" && !failed.Error.empty();
  }));
  ::chmod(Folder().c_str(), 0700);
}

TEST_F(DayPicturesTest, StoringAndRemovingTheList) {
  TDayPictures day = Day();
  EXPECT_EQ(day.StoreList({}).Action, TStoreListAction::Nothing);
  EXPECT_EQ(day.StoreList({{"a|b", ""}}).Action, TStoreListAction::Failed);
  EXPECT_FALSE(FolderExists(Folder()));  // a refused list leaves no folder behind

  const TStoreListResult stored = day.StoreList({{"a.jpg", test::Cp932("晴れ")}});
  ASSERT_EQ(stored.Action, TStoreListAction::Written) << stored.Error;
  EXPECT_EQ(ReadRaw(Folder() + "Image.dat"), "a.jpg|" + test::Cp932("晴れ") + "|\r\n");
  EXPECT_EQ(day.Load().Lines.size(), 1u);

  EXPECT_EQ(day.StoreList({}).Action, TStoreListAction::RemoveFolder);
  // A picture no decoder could read stays, and so does its folder.
  WriteRaw(Folder() + "unknown.xyz", "kept");
  WriteRaw(Folder() + ".Image.dat.~a1b2c3", "left by a killed write");
  std::vector<std::string> kept;
  std::string error;
  EXPECT_TRUE(RemoveDayFolder(Folder(), kept, &error)) << error;
  EXPECT_EQ(kept, std::vector<std::string>{"unknown.xyz"});
  EXPECT_EQ(test::Listing(Folder()), std::vector<std::string>{"unknown.xyz"});
  ::unlink((Folder() + "unknown.xyz").c_str());
  WriteRaw(Folder() + "Image.dat", "x.jpg||\r\n");
  EXPECT_TRUE(RemoveDayFolder(Folder(), kept, &error)) << error;
  EXPECT_TRUE(kept.empty());
  EXPECT_FALSE(FolderExists(Folder()));
  EXPECT_TRUE(RemoveDayFolder(Folder(), kept));  // already gone

  // An Image.dat that cannot be read is neither replaced nor removed.
  ASSERT_EQ(day.StoreList({{"a.jpg", ""}}).Action, TStoreListAction::Written);
  ::chmod((Folder() + "Image.dat").c_str(), 0200);
  EXPECT_TRUE(test::AsOrdinaryUser(m_tmp.Path(), [&] {
    TDayPictures d = Day();
    d.Load();
    const TStoreListResult empty = d.StoreList({});
    const TStoreListResult full = d.StoreList({{"b.jpg", ""}});
    return empty.Action == TStoreListAction::Failed && full.Action == TStoreListAction::Failed &&
           !full.Error.empty();
  }));
  ::chmod((Folder() + "Image.dat").c_str(), 0600);
  EXPECT_EQ(ReadRaw(Folder() + "Image.dat"), "a.jpg||\r\n");
}

TEST(ViewerSettings, DefaultsAndRanges) {
  test::TTempFolder tmp;
  const TViewerSettings defaults = ReadViewerSettings(THIniFile(tmp / "none.ini", false));
  EXPECT_EQ(defaults.Size, 96);
  EXPECT_TRUE(defaults.AllowUndo && defaults.DeleteAsk && defaults.DrawFrame && defaults.ShowComment &&
              defaults.AutoArrange);
  EXPECT_EQ(defaults.EnterAction, TViewerEnterAction::Preview);
  EXPECT_EQ(defaults.ThreadPriority, 3);

  struct {
    const char* text;
    int size;
    TViewerEnterAction enter;
    int priority;
  } cases[] = {
      {"Size=-64\nEnterAction=6\nThreadPriority=0\n", 64, TViewerEnterAction::Properties, 0},
      {"Size=0\nEnterAction=7\nThreadPriority=7\n", 96, TViewerEnterAction::Preview, 3},
      {"Size=999999\nEnterAction=-1\nThreadPriority=-1\n", 65535, TViewerEnterAction::Preview, 3},
      {"Size=abc\nEnterAction=3\nThreadPriority=6\n", 96, TViewerEnterAction::Edit, 6},
  };
  for (const auto& c : cases) {
    WriteRaw(tmp / "q.ini", std::string("[Viewer]\nAllowUndo=0\n") + c.text);
    const TViewerSettings s = ReadViewerSettings(THIniFile(tmp / "q.ini", false));
    EXPECT_EQ(s.Size, c.size) << c.text;
    EXPECT_EQ(s.EnterAction, c.enter) << c.text;
    EXPECT_EQ(s.ThreadPriority, c.priority) << c.text;
    EXPECT_FALSE(s.AllowUndo);
  }
}

}  // namespace
}  // namespace quillet
