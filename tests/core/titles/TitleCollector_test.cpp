// Collecting a month's titles: which days are listed, captions against the
// calendar, first lines, the save styles, an unreadable Set.ini, and the
// collector under threads: terminated by quick month changes while saves of
// the same months go on, never showing a title and a first line of two
// different saves (run under ThreadSanitizer by `make tsan`).
#include "core/titles/TitleCollector.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <thread>

#include "../app/TempFolder.h"
#include "../store/ForcedSave.h"
#include "core/store/EntryStore.h"

namespace quillet {
namespace {

using namespace quillet::test;

class TitleCollector : public testing::Test {
protected:
  TitleCollector() { m_settings.SavePath = m_root.Path(); }
  std::string Month(int year = 2005, int month = 3) {
    const std::string folder = m_root / (std::to_string(year) + "/" + std::to_string(month) + "/");
    std::filesystem::create_directories(folder);
    return folder;
  }
  std::vector<int> Days(const TTitleCollection& c) {
    std::vector<int> days;
    for (const TTitleRecord& r : c.Records) days.push_back(r.Day);
    return days;
  }
  TTempFolder m_root;
  TStoreSettings m_settings;
};

TEST_F(TitleCollector, ListsEveryDayOrOnlyDaysWithAFileOrATitle) {
  const std::string march = Month();
  WriteRaw(march + "3.txt", "third\r\nsecond line");
  WriteRaw(march + "20.txt", "");  // an empty file exists all the same
  WriteRaw(march + "Set.ini", "[5]\r\nTitle=only a title\r\n[20]\r\nTitle= blank kept \r\n[9]\r\nTitle=\r\n");
  std::filesystem::create_directories(march + "11.txt");  // a folder is no entry file

  const TTitleCollection all = CollectTitles(m_settings, 2005, 3, false);
  ASSERT_EQ(all.Records.size(), 31u);
  EXPECT_EQ(all.Records[2].FirstLine, "third");
  EXPECT_EQ(all.Records[2].Path, march + "3.txt");
  EXPECT_EQ(all.Records[19].Title, " blank kept ");
  const TTitleCollection only = CollectTitles(m_settings, 2005, 3, true);
  EXPECT_EQ(Days(only), (std::vector<int>{3, 5, 20}));

  EXPECT_EQ(CollectTitles(m_settings, 2004, 2, false).Records.size(), 29u);  // leap year
  EXPECT_EQ(CollectTitles(m_settings, 2005, 2, false).Records.size(), 28u);  // no folder: every day
  EXPECT_TRUE(CollectTitles(m_settings, 2005, 2, true).Records.empty());
}

TEST_F(TitleCollector, CaptionsCountTheWeekdayOnFromTheFirst) {
  // Counting on from the 1st is checked against the date of every day.
  for (int year : {1900, 2004, 2005, 2100})
    for (int month = 1; month <= 12; ++month)
      for (const TTitleRecord& r : CollectTitles(m_settings, year, month, false).Records) {
        const TDate date = MakeDate(year, month, r.Day);
        ASSERT_EQ(r.Weekday, WeekdayMonday1(date)) << year << "-" << month << "-" << r.Day;
        ASSERT_EQ(r.Caption, DayCaption(r.Day, WeekdayMonday1(date)));
      }
  EXPECT_EQ(CollectTitles(m_settings, 2005, 3, false).Records[6].Caption, Cp932("7日(月)"));
}

TEST_F(TitleCollector, EverySaveStyleReachesTheFileTheEditorSaves) {
  for (int style : {0, 1, 2}) {
    m_settings.SaveStyle = style;
    m_settings.SaveExt = style == 2 ? "" : ".txt";
    const std::string path = EntryPath(m_settings, MakeDate(2026, 12, 5));
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteRaw(path, "style " + std::to_string(style));
    const TTitleCollection c = CollectTitles(m_settings, 2026, 12, true);
    ASSERT_EQ(Days(c), std::vector<int>{5}) << style;
    EXPECT_EQ(c.Records[0].FirstLine, "style " + std::to_string(style));
    std::filesystem::remove(path);
  }
}

TEST_F(TitleCollector, FirstLines) {
  const std::string kanji = Cp932("日");
  const std::string lead("\x93", 1);  // a lead byte
  struct TRow {
    const char* name;
    std::string text;
    std::string first;
  } rows[] = {
      {"CR LF", "a\r\nb", "a"},
      {"LF", "a\nb", "a"},
      {"lone CR", "a\rb", "a"},
      {"NUL", std::string("a\0b", 3), "a"},
      {"double-byte", kanji + "\r\n", kanji},
      {"lead byte before a line end is a character", "a" + lead + "\r\nb", "a" + lead},
      {"limit", std::string(2000, 'x'), std::string(kFirstLineLimit, 'x')},
      {"no double-byte character cut at the limit", std::string(kFirstLineLimit - 1, 'x') + kanji,
       std::string(kFirstLineLimit - 1, 'x')},
  };
  const std::string march = Month();
  for (const TRow& row : rows) {
    EXPECT_EQ(FirstLineOf(row.text), row.first) << row.name;
    WriteRaw(march + "1.txt", row.text);
    EXPECT_EQ(CollectTitles(m_settings, 2005, 3, true).Records.at(0).FirstLine, row.first) << row.name;
  }
}

TEST_F(TitleCollector, EncryptedBodiesAndAnUnreadableSetIniShowNoText) {
  TCode code{164, "word", true, true};
  TSaveRequest save = ForcedSave(MakeDate(2005, 3, 7), "secret line", "title");
  ASSERT_TRUE(SaveDay(m_settings, m_root.Path(), code, save).Ok);
  TTitleCollection c = CollectTitles(m_settings, 2005, 3, true);
  ASSERT_EQ(c.Records.size(), 1u);
  EXPECT_EQ(c.Records[0].Title, "title");
  EXPECT_EQ(c.Records[0].FirstLine, "");  // never cipher text

  code.EnCrypt = false;
  save.Date = MakeDate(2005, 3, 8);
  ASSERT_TRUE(SaveDay(m_settings, m_root.Path(), code, save).Ok);
  std::filesystem::remove(Month() + "Set.ini");
  std::filesystem::create_directories(Month() + "Set.ini");  // exists, cannot be read
  c = CollectTitles(m_settings, 2005, 3, true);
  EXPECT_TRUE(c.MetaUnreadable);
  ASSERT_EQ(Days(c), (std::vector<int>{7, 8}));
  EXPECT_EQ(c.Records[1].Title + c.Records[1].FirstLine, "");  // its flags are unknown
}

TEST_F(TitleCollector, QuickMonthChangesWhileTheMonthsAreSaved) {
  // Every save writes title "t<n>" with the body "line<n>": a collector that
  // read between the two files of one save would pair different numbers.
  const int months = 6;
  std::atomic<bool> stop{false};
  std::thread saver([&] {
    TStoreSettings settings = m_settings;
    TCode code;
    std::mt19937 random(7);
    for (int n = 0; !stop.load(); ++n) {
      const TDate date = MakeDate(2005, 1 + static_cast<int>(random() % months), 1 + static_cast<int>(random() % 28));
      const std::string tag = std::to_string(n);
      const TSaveRequest save = ForcedSave(date, "line" + tag + "\r\nmore", "t" + tag);
      if (!SaveDay(settings, m_root.Path(), code, save).Ok) ADD_FAILURE() << "save " << n;
    }
  });
  std::mt19937 random(11);
  std::unique_ptr<TTitleCollector> running;
  std::thread worker;
  TTitleCollection last;
  for (int change = 0; change < 300; ++change) {
    if (running) running->Terminate();
    if (worker.joinable()) worker.join();
    const int month = 1 + change % months;
    running = std::make_unique<TTitleCollector>(m_settings, MakeDate(2005, month, 1), true);
    worker = std::thread([&, collector = running.get()] {
      TTitleCollection c = collector->Run();
      for (const TTitleRecord& r : c.Records)
        if (r.FirstLine != "line" + r.Title.substr(1)) ADD_FAILURE() << r.Title << " with " << r.FirstLine;
      if (!c.Terminated) last = std::move(c);
    });
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 400));
  }
  worker.join();
  stop = true;
  saver.join();
  EXPECT_FALSE(last.Records.empty());
  // Left to run, a worker's collection is the month as it stands.
  TTitleCollector collector(m_settings, MakeDate(2005, 2, 1), true);
  TTitleCollection threaded;
  std::thread([&] { threaded = collector.Run(); }).join();
  const TTitleCollection direct = CollectTitles(m_settings, 2005, 2, true);
  ASSERT_EQ(Days(threaded), Days(direct));
  for (std::size_t i = 0; i < direct.Records.size(); ++i)
    EXPECT_EQ(threaded.Records[i].Title + threaded.Records[i].FirstLine,
              direct.Records[i].Title + direct.Records[i].FirstLine);
}

}  // namespace
}  // namespace quillet
