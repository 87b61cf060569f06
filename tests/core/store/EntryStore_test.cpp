// Loading and saving a day: what is written when, the files and Set.ini
// sections byte for byte, diaries written by hand (as another program would
// have written them) read back, failures reported and harmless, and a crash
// test of the writes: a child process killed at random moments while saving
// leaves every entry either old or new, never torn.
#include "core/store/EntryStore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <tuple>

#include "../app/TempFolder.h"
#include "../crypto/OpenSslBlowFish.h"
#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"

namespace quillet {
namespace {

using namespace quillet::test;

const std::string kVectorBytes("\x3A\x7C\x19\xE2\x58\x0D\xB4\x61", 8);
constexpr std::time_t kSaveTime = 1110197703;  // a fixed "now" for ReNewalTime

std::string SystemTime(std::time_t when) {
  std::string out;
  RunCommand("date -d @" + std::to_string(when) + " '+%Y/%m/%d %-H:%M:%S'", out);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// Number-key bytes made here, not by the code under test.
std::string Xored(std::string text, int keyByte) {
  for (char& c : text) c = static_cast<char>(c ^ keyByte);
  return text;
}

bool PathExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

// A full disk for the duration of a scope, whoever runs the test (root
// ignores permission bits): files cannot grow past `bytes`, and the write
// that tries fails with EFBIG instead of raising SIGXFSZ.
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &m_old);
    m_oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = m_old;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &m_old);
    ::signal(SIGXFSZ, m_oldHandler);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
  rlimit m_old{};
  sighandler_t m_oldHandler;
};

class EntryStore : public testing::Test {
protected:
  EntryStore() {
    m_settings.SavePath = m_root.Path();
    m_app = m_root / "app/";
    EnsureFolder(m_app);
  }

  std::string Month(int year = 2005, int month = 3) const {
    return m_root.Path() + std::to_string(year) + "/" + std::to_string(month) + "/";
  }
  std::string File(int day = 7) const { return Month() + std::to_string(day) + ".txt"; }
  std::string SetIni() const { return Month() + "Set.ini"; }
  void MakeMonth() const { EnsureFolder(Month()); }

  TSaveResult Save(const std::string& body, const std::string& title, bool force = true, bool modified = true,
                   int day = 7) {
    TSaveRequest request;
    request.Date = MakeDate(2005, 3, day);
    request.Body = body;
    request.Title = title;
    request.Force = force;
    request.Modified = modified;
    request.Now = kSaveTime;
    return SaveDay(m_settings, m_app, m_code, request);
  }
  TLoadedDay Load(int day = 7) const { return LoadDay(m_settings, m_code, MakeDate(2005, 3, day)); }

  TTempFolder m_root;
  std::string m_app;
  TStoreSettings m_settings;
  TCode m_code;
};

// --- Loading ------------------------------------------------------------------------------

TEST_F(EntryStore, ADayWithoutFileOrMetadataIsEmptyAndQuiet) {
  const TLoadedDay day = Load();
  EXPECT_EQ(day.Path, File());
  EXPECT_FALSE(day.FileExists);
  EXPECT_EQ(day.Body, "");
  EXPECT_EQ(day.StatusMessage(), "");
  m_settings.SavePath = m_root / "gone/";
  EXPECT_TRUE(Load().RootMissing);
}

TEST_F(EntryStore, LoadsAPlainDayWrittenByHand) {
  MakeMonth();
  WriteRaw(File(), "\x8D\xA1\x93\xFA\r\nline\n");
  WriteRaw(SetIni(), "[7]\r\nTitle=\x93\xFA\x8B\x4C\r\nReNewalTime=2005/03/07 21:15:03\r\n");
  const TLoadedDay day = Load();
  EXPECT_TRUE(day.FileExists);
  EXPECT_FALSE(day.Encrypted);
  EXPECT_EQ(day.Body, "\x8D\xA1\x93\xFA\r\nline\n");  // as stored; the editor splits it
  EXPECT_EQ(day.Meta.Title, "\x93\xFA\x8B\x4C");
  EXPECT_EQ(day.StatusMessage(), "更新日時 2005/03/07 21:15:03");
}

TEST_F(EntryStore, LoadsANumberKeyDayWithItsOwnKeyNumberOrTheProgramsOne) {
  MakeMonth();
  m_code.Number = 99;
  const struct {
    const char* section;
    int keyByte;  // CodeKey 300: key byte 44
    std::string plain, body;
  } rows[] = {{"[7]\r\nUseCode=1\r\nMethod=0\r\nCodeKey=300\r\n", 44, "Begin of File\r\nsecret\r\nEnd of File\r\n",
               "secret\r\n"},
              {"[7]\r\nUseCode=1\r\n", 99, "x", "x"}};
  for (const auto& row : rows) {
    WriteRaw(File(), Xored(row.plain, row.keyByte));
    WriteRaw(SetIni(), row.section);
    const TLoadedDay day = Load();
    EXPECT_TRUE(day.Encrypted) << row.keyByte;
    EXPECT_FALSE(day.ReadFailed) << row.keyByte;
    EXPECT_EQ(day.Body, row.body) << row.keyByte;
  }
}

TEST_F(EntryStore, LoadsAWordKeyDayEncryptedByOpenSsl) {
  MakeMonth();
  m_code.Word = "\x88\xC3\x8D\x86";  // 暗号
  const std::string body = "\x8D\xA1\x93\xFA\x82\xCD\x90\xB0\x82\xEA\r\n";
  WriteRaw(File(), OpenSslCbcInOurOrder(m_code.Word, kVectorBytes, PadCount(body)));
  WriteRaw(SetIni(), "[7]\r\nUseCode=1\r\nMethod=1\r\n");
  const TLoadedDay day = Load();
  EXPECT_TRUE(day.Encrypted);
  EXPECT_EQ(day.Body, body);
}

TEST_F(EntryStore, AnUnreadableBodyIsReportedAndEmpty) {
  MakeMonth();
  WriteRaw(File(), std::string(12, 'x'));  // not whole Blowfish blocks
  WriteRaw(SetIni(), "[7]\r\nTitle=t\r\nReNewalTime=2005/03/07 1:00:00\r\nUseCode=1\r\nMethod=1\r\n");
  const TLoadedDay day = Load();
  EXPECT_TRUE(day.ReadFailed);
  EXPECT_EQ(day.Body, "");
  EXPECT_EQ(day.Meta.Title, "t");
  EXPECT_EQ(day.StatusMessage(), kMsgReadFailed);
}

// --- What a save writes ----------------------------------------------------------------------

TEST_F(EntryStore, AnUnforcedSaveOfAnUnmodifiedEntryWritesNothing) {
  const TSaveResult result = Save("text", "title", false, false);
  EXPECT_TRUE(result.Ok);
  EXPECT_FALSE(result.Acted);
  EXPECT_FALSE(FolderExists(Month()));
  Save("written", "");
  const TSaveResult again = Save("changed in memory only", "", false, false);
  EXPECT_EQ(ReadRaw(File()), "written");
  EXPECT_TRUE(again.Marked);
}

TEST_F(EntryStore, APlainSaveWritesTheBodyAndTheSection) {
  const TSaveResult result = Save("line one\r\nline two", "\x93\xFA\x8B\x4C");
  EXPECT_TRUE(result.Ok);
  EXPECT_TRUE(result.Acted);
  EXPECT_TRUE(result.Marked);
  EXPECT_TRUE(result.Messages.empty());
  EXPECT_EQ(ReadRaw(File()), "line one\r\nline two");
  // The file starts with the section in the stored format; what follows it
  // (a blank line) is the INI writer's own layout.
  const std::string ini = ReadRaw(SetIni());
  EXPECT_EQ(ini.rfind("[7]\r\nTitle=\x93\xFA\x8B\x4C\r\nReNewalTime=" + SystemTime(kSaveTime) +
                          "\r\nUseCode=0\r\nMethod=0\r\n",
                      0),
            0u)
      << ini;
  EXPECT_EQ(ModeOf(Month(2005, 3)), 0700u);
}

TEST_F(EntryStore, ATitleAloneKeepsASectionButNoFile) {
  const TSaveResult result = Save("", " only a title  ", false, true);
  EXPECT_TRUE(result.Ok);
  EXPECT_FALSE(result.Marked);
  EXPECT_FALSE(PathExists(File()));
  const TDayMeta meta = ReadDayMeta(Month(), 7);
  EXPECT_EQ(meta.Title, " only a title  ");  // blanks typed in a title are kept
  EXPECT_EQ(meta.ReNewalTime, SystemTime(kSaveTime));
  const THIniFile ini(SetIni(), false);
  EXPECT_EQ(ini.ReadSection("7"), (std::vector<std::string>{"Title", "ReNewalTime", "UseCode", "Method"}));
}

TEST_F(EntryStore, EmptyingBodyAndTitleDeletesTheFileAndTheSection) {
  Save("text", "title");
  Save("other day", "", true, true, 8);
  const TSaveResult result = Save("", "", false, true);
  EXPECT_TRUE(result.Ok);
  EXPECT_TRUE(result.FileDeleted);
  EXPECT_FALSE(result.Marked);
  EXPECT_FALSE(PathExists(File()));
  const THIniFile ini(SetIni(), false);
  EXPECT_FALSE(ini.SectionExists("7"));
  EXPECT_TRUE(ini.SectionExists("8"));
}

TEST_F(EntryStore, AnUnmodifiedEmptyFileIsDeletedAtTheNextUnforcedSave) {
  MakeMonth();
  WriteRaw(File(), "");
  const TSaveResult result = Save("", "", false, false);
  EXPECT_TRUE(result.Ok);
  EXPECT_TRUE(result.FileDeleted);
  EXPECT_FALSE(PathExists(File()));
}

TEST_F(EntryStore, TheSaveCommandWritesAnUnmodifiedEntryAgain) {
  Save("text", "title");
  TSaveRequest request{MakeDate(2005, 3, 7), "text", "title", true, false, kSaveTime + 60};
  const TSaveResult result = SaveDay(m_settings, m_app, m_code, request);
  EXPECT_TRUE(result.Acted);
  EXPECT_EQ(ReadDayMeta(Month(), 7).ReNewalTime, SystemTime(kSaveTime + 60));
}

TEST_F(EntryStore, ReadOnlyAfterASaveAndTheNextSaveOrDeleteStillSucceeds) {
  Save("first", "");
  EXPECT_EQ(ModeOf(File()), 0400u);
  const TSaveResult again = Save("second", "");
  EXPECT_TRUE(again.Ok);
  EXPECT_EQ(ReadRaw(File()), "second");
  EXPECT_EQ(ModeOf(File()), 0400u);
  EXPECT_TRUE(Save("", "").FileDeleted);
  EXPECT_FALSE(PathExists(File()));
  m_settings.SaveReadOnly = false;
  Save("third", "");
  EXPECT_EQ(ModeOf(File()), 0600u);
}

// --- Encrypted saves -------------------------------------------------------------------------

TEST_F(EntryStore, EncryptedSavesAreXorOrOpenSslsCipherTextAndFlagTheDay) {
  const std::string body = "\x93\xFA\x8B\x4C\r\n";
  const struct {
    TCode code;
    std::string stored;
  } rows[] = {{{99, "", true, false}, Xored(body, 99)},
              {{164, "word", true, true}, OpenSslCbcInOurOrder("word", kVectorBytes, PadCount(body))}};
  for (const auto& row : rows) {
    m_code = row.code;
    ASSERT_TRUE(Save(body, "t").Ok);
    EXPECT_EQ(ReadRaw(File()), row.stored) << row.code.Method;
    const TDayMeta meta = ReadDayMeta(Month(), 7);
    EXPECT_TRUE(meta.UseCode);
    EXPECT_EQ(meta.Method, row.code.Method);
    EXPECT_EQ(Load().Body, body);
  }
}

TEST_F(EntryStore, AnEmptyKeyWordBecomesTheLoginName) {
  if (LoginName().empty()) GTEST_SKIP() << "no login name here";
  m_code = {164, "", true, true};
  ASSERT_TRUE(Save("text", "").Ok);
  EXPECT_EQ(m_code.Word, LoginName());
  EXPECT_EQ(ReadRaw(File()), OpenSslCbcInOurOrder(LoginName(), kVectorBytes, PadCount("text")));
}

// Faults of an earlier version of this save, each once a way to lose or
// garble an entry.
// Kept here with what went wrong.

TEST_F(EntryStore, ARewrittenSectionDropsAStaleCodeKey) {
  // The day was written with key 300 by another tool; saving it again uses
  // the program's key number, and a CodeKey left behind would decrypt the new
  // body with byte 44 instead of 164.
  MakeMonth();
  WriteRaw(File(), Xored("old", 44));
  WriteRaw(SetIni(), "[7]\r\nUseCode=1\r\nMethod=0\r\nCodeKey=300\r\n");
  m_code = {164, "", true, false};
  ASSERT_EQ(Load().Body, "old");
  ASSERT_TRUE(Save("new text", "").Ok);
  EXPECT_FALSE(ReadDayMeta(Month(), 7).CodeKey.has_value());
  EXPECT_EQ(Load().Body, "new text");
}

TEST_F(EntryStore, AFailedBodyWriteLeavesTheSectionDescribingTheOldBody) {
  // The plain save updated Set.ini after a failed write: with encryption newly
  // switched on, the old plain body was then flagged encrypted and read as
  // garbage.
  Save("old plain body", "old title");
  m_code = {164, "w", true, true};
  TSaveResult result;
  {
    const TFileSizeLimit diskFull(1000);
    result = Save(std::string(5000, 'x'), "new title");
  }
  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(result.Messages, (std::vector<std::string>{std::string(kMsgSaveFailed)}));
  const TLoadedDay day = Load();
  EXPECT_FALSE(day.Encrypted);
  EXPECT_EQ(day.Body, "old plain body");
  EXPECT_EQ(day.Meta.Title, "old title");
}

TEST_F(EntryStore, AFolderInTheWayOfEitherFileFailsTheSaveEvenAsRoot) {
  // No user can replace a folder with a file. Set.ini was once written on
  // release, and a failure never reached the user.
  for (const bool body : {true, false}) {
    const std::string inTheWay = body ? File() : SetIni();
    EnsureFolder(inTheWay);
    const TSaveResult result = Save("body", "title");
    std::filesystem::remove(inTheWay);
    EXPECT_FALSE(result.Ok) << body;
    EXPECT_FALSE(result.Marked) << body;
    EXPECT_EQ(result.Messages, (std::vector<std::string>{std::string(kMsgSaveFailed)})) << body;
    if (body) {
      EXPECT_FALSE(PathExists(SetIni()));
    }
  }
}

TEST_F(EntryStore, AWrongKeyWordNeverCostsTheEntry) {
  // Under another key word the day once opened empty, and typing and saving
  // replaced the entry for good.
  m_code = {164, "right", true, true};
  ASSERT_TRUE(Save("the old entry", "").Ok);
  const std::string stored = ReadRaw(File());
  m_code.Word = "wrong";
  const TLoadedDay day = Load();
  EXPECT_TRUE(day.ReadFailed);
  EXPECT_EQ(day.StatusMessage(), kMsgReadFailed);
  EXPECT_FALSE(Save(day.Body, day.Meta.Title, false, false).FileDeleted);
  const TSaveResult result = Save("typed under the wrong word", "");
  ASSERT_TRUE(result.Ok);
  EXPECT_EQ(result.SetAsidePath, File() + ".bak");
  EXPECT_EQ(result.Messages, (std::vector<std::string>{std::string(kMsgSetAside) + "7.txt.bak"}));
  EXPECT_EQ(ReadRaw(File() + ".bak"), stored);
  std::string old;
  ASSERT_TRUE(ReadWordKey(old, File() + ".bak", "right"));
  EXPECT_EQ(old, "the old entry");
  // The next unreadable file goes to the next free name.
  m_code.Word = "third";
  EXPECT_EQ(Save("again", "").SetAsidePath, File() + ".bak1");
}

TEST_F(EntryStore, AFileTheCallerCouldNotLoadIsSetAsideEvenWhenItReadsNow) {
  Save("seen by nobody", "");
  TSaveRequest request{MakeDate(2005, 3, 7), "new", "", true, true, kSaveTime, true};
  ASSERT_TRUE(SaveDay(m_settings, m_app, m_code, request).Ok);
  EXPECT_EQ(ReadRaw(File() + ".bak"), "seen by nobody");
}

TEST_F(EntryStore, AFailedSetIniWriteLeavesBothOldFiles) {
  // The body was once replaced before Set.ini was written: with Set.ini
  // refused, the new cipher text stood under the old "plain" flags.
  const struct {
    const char* name;
    bool readOnlySetIni;
  } faults[] = {{"read-only Set.ini", true}, {"disk full for Set.ini", false}};
  for (const auto& fault : faults) {
    const TTempFolder root;
    m_settings.SavePath = root.Path();
    m_code = {164, "", false, false};
    for (int day = 1; day <= 6; ++day) Save("x", std::string(300, 't'), true, true, day);  // Set.ini > 2 kB
    ASSERT_TRUE(Save("old plain body", "old title").Ok);
    const std::string month = root.Path() + "2005/3/";
    const std::string oldIni = ReadRaw(month + "Set.ini");
    m_code = {164, "w", true, true};
    TSaveResult result;
    if (fault.readOnlySetIni) {
      ::chmod((month + "Set.ini").c_str(), 0400);
      result = Save("new body", "new title");
    } else {
      const TFileSizeLimit diskFull(1000);  // the body fits, Set.ini does not
      result = Save("new body", "new title");
    }
    EXPECT_FALSE(result.Ok) << fault.name;
    EXPECT_FALSE(result.Error.empty()) << fault.name;
    EXPECT_EQ(ReadRaw(month + "7.txt"), "old plain body") << fault.name;
    EXPECT_EQ(ReadRaw(month + "Set.ini"), oldIni) << fault.name;
    for (const std::string& name : Listing(month)) EXPECT_NE(name[0], '.') << fault.name << ": " << name;
  }
}

TEST_F(EntryStore, AnUnreadableSetIniFailsTheLoadAndIsNeverRewritten) {
  // Read as "no metadata", a word-key day was shown as cipher text, and the
  // next save of the month wrote a Set.ini holding that one day.
  m_code = {164, "w", true, true};
  Save("other day", "other title", true, true, 6);
  Save("secret", "", true, true, 7);
  ::chmod(SetIni().c_str(), 0);
  EXPECT_TRUE(AsOrdinaryUser(m_root.Path(), [&] {
    const TLoadedDay day = Load();
    const TSaveResult saved = Save("new", "", true, true, 8);
    std::fprintf(stderr, "load failed %d meta %d body '%s'; save ok %d\n", day.ReadFailed, day.MetaUnreadable,
                 day.Body.c_str(), saved.Ok);
    return day.ReadFailed && day.MetaUnreadable && day.Body.empty() && day.StatusMessage() == kMsgReadFailed &&
           !saved.Ok && !PathExists(Month() + "8.txt");
  }));
  ::chmod(SetIni().c_str(), 0600);
  EXPECT_EQ(ReadDayMeta(Month(), 6).Title, "other title");
}

TEST_F(EntryStore, ASaveOverAFileNobodyCanReadLeavesOneItsOwnerCanRead) {
  m_settings.SaveReadOnly = false;
  Save("old", "");
  ::chmod(File().c_str(), 0200);
  EXPECT_TRUE(AsOrdinaryUser(m_root.Path(), [&] {
    const TSaveResult result = Save("new", "");
    std::fprintf(stderr, "ok %d mode %o\n", result.Ok, ModeOf(File()));
    return result.Ok && (ModeOf(File()) & 0400) != 0 && ReadRaw(File()) == "new";
  }));
}

TEST_F(EntryStore, TextKeptBeforeAReloadIsNoEasierToReadThanTheEntry) {
  const std::string log = m_app + "Log.txt";
  std::string keptAt;
  Save("plain", "", true, true, 6);
  ASSERT_TRUE(KeepTextBeforeReload(m_settings, m_code, MakeDate(2005, 3, 6), "plain text", log, keptAt));
  EXPECT_EQ(keptAt, log);
  // A number-key day written elsewhere with its own key: kept under that key.
  MakeMonth();
  WriteRaw(File(), "x");
  WriteRaw(SetIni(), ReadRaw(SetIni()) + "[7]\r\nUseCode=1\r\nMethod=0\r\nCodeKey=300\r\n");
  ASSERT_TRUE(KeepTextBeforeReload(m_settings, m_code, MakeDate(2005, 3, 7), "numbered", log, keptAt));
  EXPECT_EQ(keptAt, File() + ".bak");
  EXPECT_EQ(NumberKeyXor(ReadRaw(keptAt), 44), "numbered");
  m_code = {164, "w", true, true};
  Save("secret", "", true, true, 8);
  ASSERT_TRUE(KeepTextBeforeReload(m_settings, m_code, MakeDate(2005, 3, 8), "secret text", log, keptAt));
  std::string kept;
  ASSERT_TRUE(ReadWordKey(kept, Month() + "8.txt.bak", "w"));
  EXPECT_EQ(kept, "secret text");
  EXPECT_EQ(ReadRaw(log), "plain text\r\n");
}

// --- Folders -----------------------------------------------------------------------------------

TEST_F(EntryStore, AMissingRootFallsBackToTheProgramFolder) {
  m_settings.SavePath = m_root / "gone/";
  const TSaveResult result = Save("text", "");
  EXPECT_TRUE(result.Ok);
  EXPECT_TRUE(result.SavePathReset);
  EXPECT_EQ(m_settings.SavePath, m_app);
  EXPECT_EQ(ReadRaw(m_app + "2005/3/7.txt"), "text");
}

TEST_F(EntryStore, AMonthFolderThatCannotBeMadeFailsTheSave) {
  WriteRaw(m_root / "2005", "a file where the year folder goes");
  const TSaveResult result = Save("text", "title");
  EXPECT_FALSE(result.Ok);
  EXPECT_EQ(result.Messages,
            (std::vector<std::string>{std::string(kMsgFolderFailed), std::string(kMsgSaveFailed)}));
  EXPECT_EQ(ReadRaw(m_root / "2005"), "a file where the year folder goes");
}

// --- Whole diaries -----------------------------------------------------------------------------

TEST_F(EntryStore, WholeDiariesRoundTripByEveryMethod) {
  const TCode methods[] = {{164, "", false, false}, {77, "", true, false}, {164, "\x88\xC3\x8D\x86", true, true}};
  const auto bodyOf = [](int day) {
    std::string body;
    for (int line = 0; line < day; ++line) body += "\x93\xFA " + std::to_string(day * line) + "\r\n";
    if (day % 3 == 0) body.resize(body.size() - 2);  // some end without a line break
    return body;
  };
  for (const TCode& code : methods) {
    m_code = code;
    for (int day = 1; day <= 31; ++day) ASSERT_TRUE(Save(bodyOf(day), "title " + std::to_string(day), true, true, day).Ok);
    for (int day = 1; day <= 31; ++day) {
      const TLoadedDay loaded = Load(day);
      ASSERT_FALSE(loaded.ReadFailed);
      EXPECT_EQ(loaded.Encrypted, code.EnCrypt);
      EXPECT_EQ(loaded.Body, bodyOf(day)) << "day " << day;
      EXPECT_EQ(loaded.Meta.Title, "title " + std::to_string(day));
    }
  }
}

// --- Crash safety ------------------------------------------------------------------------------

// The body of version `version` of a day: its header names both, and its
// length depends on the version, so a torn or mixed file cannot pass.
std::string CrashBody(int day, int version) {
  std::string body = "day " + std::to_string(day) + " version " + std::to_string(version) + "\r\n";
  body += std::string(20000 + 997 * static_cast<std::size_t>(version % 13), static_cast<char>('a' + version % 26));
  return body;
}

// The version of a complete body of `day`, or -1 for a torn or mixed one.
int CompleteVersion(int day, const std::string& body) {
  const std::string prefix = "day " + std::to_string(day) + " version ";
  if (body.rfind(prefix, 0) != 0) return -1;
  const int version = std::atoi(body.c_str() + prefix.size());
  return body == CrashBody(day, version) ? version : -1;
}

int CrashRounds() {
  // A short run by default; QUILLET_CRASH_ROUNDS=300 for a long one by hand.
  const char* rounds = std::getenv("QUILLET_CRASH_ROUNDS");
  return rounds && std::atoi(rounds) > 0 ? std::atoi(rounds) : 12;
}

TEST(EntryStoreCrash, AKilledWriterLeavesEveryDayOldOrNewBodyAndFlagsTogether) {
  // Each round a child saves days 1..4 over and over with rising versions
  // and reports each completed save through a pipe; the parent lets it
  // finish a few saves, kills it at a random moment a little later, and
  // checks every day. In even rounds the key settings change with every
  // version (plain, number key, word key), so a body read through another
  // version's flags is garbage; the title names the version, so a body and
  // a section of different saves are caught too. Odd rounds keep the word
  // key: nothing left on disk may then hold plain text. The seed is fixed;
  // the property must hold whatever the timing.
  std::mt19937 random(1124);
  const TCode codes[] = {{88, "crash", false, false}, {88, "crash", true, false}, {88, "crash", true, true}};
  const TCode reader = codes[0];  // reads every method: the flags choose
  int killedMidWay = 0;
  int journalsFound = 0;
  for (int round = 0; round < CrashRounds(); ++round) {
    const TTempFolder root;
    TStoreSettings settings;
    settings.SavePath = root.Path();
    const bool changing = round % 2 == 0;
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipeFds[0]);
      TStoreSettings childSettings = settings;
      for (int version = 0;; ++version) {
        TCode childCode = changing ? codes[version % 3] : codes[2];
        for (int day = 1; day <= 4; ++day) {
          TSaveRequest request{MakeDate(2005, 3, day), CrashBody(day, version), "v" + std::to_string(version),
                               true, true, kSaveTime};
          if (!SaveDay(childSettings, root.Path(), childCode, request).Ok) ::_exit(3);
          const char done = 1;
          if (::write(pipeFds[1], &done, 1) != 1) ::_exit(4);
        }
      }
    }
    ::close(pipeFds[1]);
    const int savesBeforeKill = 4 + static_cast<int>(random() % 10);
    char done = 0;
    for (int i = 0; i < savesBeforeKill; ++i) ASSERT_EQ(::read(pipeFds[0], &done, 1), 1);
    ::usleep(static_cast<useconds_t>(random() % 3000));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::close(pipeFds[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself with status " << WEXITSTATUS(status);

    const std::string month = root.Path() + "2005/3/";
    bool midSave = false;
    for (const std::string& name : Listing(month)) {
      if (name == ".save-journal") ++journalsFound;
      midSave = midSave || name[0] == '.';
      if (!changing) {
        EXPECT_EQ(ReadRaw(month + name).find("version"), std::string::npos) << name << " holds plain text";
      }
    }
    killedMidWay += midSave ? 1 : 0;
    for (int day = 1; day <= 4; ++day) {
      const TLoadedDay loaded = LoadDay(settings, reader, MakeDate(2005, 3, day));
      ASSERT_TRUE(loaded.FileExists) << "round " << round << " day " << day;  // every day was saved once
      ASSERT_FALSE(loaded.ReadFailed) << "round " << round << " day " << day << ": " << loaded.Error;
      const int version = CompleteVersion(day, loaded.Body);
      ASSERT_GE(version, 0) << "round " << round << " day " << day << " is torn";
      ASSERT_EQ(loaded.Meta.Title, "v" + std::to_string(version)) << "round " << round << " day " << day;
    }
    // The next save in the folder removes what the killed one left.
    TCode code = codes[0];
    TSaveRequest request{MakeDate(2005, 3, 5), "after", "", true, true, kSaveTime};
    ASSERT_TRUE(SaveDay(settings, root.Path(), code, request).Ok);
    for (const std::string& name : Listing(month)) EXPECT_NE(name[0], '.') << name;
  }
  // Not required for the property, but shows that kills did land mid-save.
  RecordProperty("KilledMidSave", killedMidWay);
  RecordProperty("JournalsCompleted", journalsFound);
  std::printf("%d of %d kills landed mid-save, %d after the commit point\n", killedMidWay, CrashRounds(),
              journalsFound);
}

}  // namespace
}  // namespace quillet
