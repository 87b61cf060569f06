// The history file rules: order, duplicates, the limit, skipped empty lines,
// a missing folder, and a file that cannot be read.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/app/TempFolder.h"
#include "core/search/SearchHistory.h"

using namespace quillet;
using namespace quillet::test;

namespace {

using TItems = std::vector<std::string>;

TEST(SearchHistory, AddMovesAnExactDuplicateToTheTopAndSavesTheList) {
  TTempFolder dir;
  const std::string path = dir / "Find.txt";
  WriteRaw(path, "abc\r\n\r\nABC\nx\rlast");  // an empty line, LF and CR ends
  TSearchHistory history(path);
  ASSERT_EQ(history.Load(), THistoryRead::Read);
  EXPECT_EQ(history.Items(), (TItems{"abc", "ABC", "x", "last"}));

  EXPECT_EQ(history.Add("ABC"), THistorySave::Saved);  // case-sensitive: "abc" stays
  EXPECT_EQ(history.Add(Cp932("日本")), THistorySave::Saved);
  EXPECT_EQ(history.Items(), (TItems{Cp932("日本"), "ABC", "abc", "x", "last"}));
  EXPECT_EQ(ReadRaw(path), Cp932("日本") + "\r\nABC\r\nabc\r\nx\r\nlast\r\n");

  std::string first;
  EXPECT_EQ(ReadFirstHistoryLine(path, first), THistoryRead::Read);
  EXPECT_EQ(first, Cp932("日本"));
  EXPECT_EQ(history.Add("a\r\nb"), THistorySave::Refused);  // would read back as two entries
}

TEST(SearchHistory, TheLimitCutsTheListButTheFileKeepsWhatAddSaved) {
  TTempFolder dir;
  const std::string path = dir / "Find.txt";
  WriteRaw(path, "1\r\n2\r\n3\r\n4\r\n5\r\n");
  TSearchHistory history(path);
  history.Load();
  EXPECT_EQ(history.AddAndLimit("new", 5), THistorySave::Saved);
  EXPECT_EQ(history.Items(), (TItems{"new", "1", "2", "3", "4"}));
  EXPECT_EQ(ReadRaw(path), "new\r\n1\r\n2\r\n3\r\n4\r\n5\r\n");
  history.AddAndLimit("x", 0);
  EXPECT_TRUE(history.Items().empty());
}

TEST(SearchHistory, AMissingFolderMeansNothingChanges) {
  TTempFolder dir;
  TSearchHistory history(dir / "Option/Find.txt");
  EXPECT_EQ(history.Load(), THistoryRead::Missing);
  EXPECT_EQ(history.Add("abc"), THistorySave::NoFolder);
  EXPECT_TRUE(history.Items().empty());
  std::string first = "stale";
  EXPECT_EQ(ReadFirstHistoryLine(dir / "Option/Find.txt", first), THistoryRead::Missing);
  EXPECT_EQ(first, "");
}

TEST(SearchHistory, AnUnreadableFileIsNeverReplacedAndJoinsTheListOnceReadable) {
  TTempFolder dir;
  const std::string path = dir / "Find.txt";
  const std::string stored = "one\r\ntwo\r\nthree\r\n";
  WriteRaw(path, stored);
  ::chmod(path.c_str(), 0200);
  const bool refused = AsOrdinaryUser(dir.Path(), [&] {
    TSearchHistory history(path);
    std::string first;
    bool ok = history.Load() == THistoryRead::Unreadable && history.Items().empty() &&
              ReadFirstHistoryLine(path, first) == THistoryRead::Unreadable;
    ok = ok && history.Add("new") == THistorySave::Unreadable && history.Items() == TItems{"new"};
    // Readable again: the file's entries come after the one added meanwhile.
    ok = ok && ::chmod(path.c_str(), 0600) == 0 && history.Add("two") == THistorySave::Saved;
    return ok && history.Items() == TItems{"two", "new", "one", "three"};
  });
  EXPECT_TRUE(refused);
  EXPECT_EQ(ReadRaw(path), "two\r\nnew\r\none\r\nthree\r\n");

  // Unreadable after a good load (another program changed it): left alone.
  ::chmod(path.c_str(), 0600);
  EXPECT_TRUE(AsOrdinaryUser(dir.Path(), [&] {
    TSearchHistory history(path);
    history.Load();
    return ::chmod(path.c_str(), 0200) == 0 && history.Add("x") == THistorySave::Unreadable;
  }));
  ::chmod(path.c_str(), 0600);
  EXPECT_EQ(ReadRaw(path), "two\r\nnew\r\none\r\nthree\r\n");
}

TEST(SearchHistory, AFailedWriteLeavesTheOldFile) {
  TTempFolder dir;
  const std::string path = dir / "Find.txt";
  WriteRaw(path, "old\r\n");
  TSearchHistory history(path);
  history.Load();
  ::chmod(dir.Path().c_str(), 0500);  // no new file can be made beside it
  EXPECT_TRUE(AsOrdinaryUser(dir.Path(), [&] { return history.Add("new") == THistorySave::Failed; }));
  ::chmod(dir.Path().c_str(), 0700);
  EXPECT_EQ(ReadRaw(path), "old\r\n");
}

}  // namespace
