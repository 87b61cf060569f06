// WriteFileAtomic and ReadFileBytes: the target holds either the old or the
// new content, a failure leaves nothing behind and is never reported as
// success, and permissions follow the privacy rule.
#include "core/base/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

using namespace quillet::test;

TEST(AtomicFileWrite, NewFileIsPrivateAndExact) {
  TTempFolder tmp;
  const std::string bytes("a\r\n\x93\xFA\x96\x7B\0z", 9);
  std::string error;
  ASSERT_TRUE(WriteFileAtomic(tmp / "Set.ini", bytes, &error)) << error;
  EXPECT_EQ(ReadRaw(tmp / "Set.ini"), bytes);
  EXPECT_EQ(ModeOf(tmp / "Set.ini"), 0600u);
  EXPECT_EQ(Listing(tmp.Path()).size(), 1u);
}

TEST(AtomicFileWrite, ReplacementKeepsPermissionBits) {
  TTempFolder tmp;
  WriteRaw(tmp / "7.txt", std::string(100000, 'x'));
  ::chmod((tmp / "7.txt").c_str(), 0640);
  ASSERT_TRUE(WriteFileAtomic(tmp / "7.txt", "short"));
  EXPECT_EQ(ReadRaw(tmp / "7.txt"), "short");
  EXPECT_EQ(ModeOf(tmp / "7.txt"), 0640u);
}

TEST(AtomicFileWrite, ReadOnlyTargetReplacedOnlyWhenAsked) {
  TTempFolder tmp;
  WriteRaw(tmp / "7.txt", "old");
  ::chmod((tmp / "7.txt").c_str(), 0400);
  EXPECT_FALSE(WriteFileAtomic(tmp / "7.txt", "new"));
  EXPECT_EQ(ReadRaw(tmp / "7.txt"), "old");
  ASSERT_TRUE(WriteFileAtomic(tmp / "7.txt", "new", nullptr, TReadOnlyTarget::Replace));
  EXPECT_EQ(ReadRaw(tmp / "7.txt"), "new");
  EXPECT_EQ(ModeOf(tmp / "7.txt"), 0600u) << "the owner must be able to write the replacement";
}

TEST(AtomicFileWrite, SymbolicLinkIsFollowedAndKept) {
  TTempFolder tmp;
  ::mkdir((tmp / "real").c_str(), 0700);
  WriteRaw(tmp / "real/quillet.ini", "old");
  ASSERT_EQ(::symlink((tmp / "real/quillet.ini").c_str(), (tmp / "link.ini").c_str()), 0);
  ASSERT_TRUE(WriteFileAtomic(tmp / "link.ini", "new"));
  struct stat st {};
  ASSERT_EQ(::lstat((tmp / "link.ini").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadRaw(tmp / "real/quillet.ini"), "new");
}

TEST(AtomicFileWrite, FailuresReportAndLeaveNothing) {
  TTempFolder tmp;
  ::mkdir((tmp / "Option").c_str(), 0700);
  for (const char* target : {"no/such/folder/a.ini", "Option", "name/"}) {
    std::string error;
    EXPECT_FALSE(WriteFileAtomic(tmp / target, "data", &error)) << target;
    EXPECT_FALSE(error.empty()) << target;
    EXPECT_EQ(Listing(tmp.Path()), std::vector<std::string>{"Option"}) << target;
  }
  EXPECT_FALSE(WriteFileAtomic("", "data"));
}

TEST(AtomicFileWrite, UnwritableFolderKeepsOldFile) {
  TTempFolder tmp;
  WriteRaw(tmp / "a.ini", "old");
  EXPECT_TRUE(AsOrdinaryUser(tmp.Path(), [&] {
    ::chmod(tmp.Path().c_str(), 0500);
    const bool written = WriteFileAtomic(tmp / "a.ini", "new");
    ::chmod(tmp.Path().c_str(), 0700);
    return !written && ReadRaw(tmp / "a.ini") == "old" && Listing(tmp.Path()).size() == 1u;
  }));
}

TEST(AtomicFileRead, WholeFileAndFailuresThatTellWhy) {
  TTempFolder tmp;
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i % 256);
  WriteRaw(tmp / "big", bytes);
  std::string out;
  ASSERT_TRUE(ReadFileBytes(tmp / "big", out));
  EXPECT_EQ(out, bytes);

  out = "unchanged";
  EXPECT_FALSE(ReadFileBytes(tmp / "missing", out));
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(ReadFileBytes(tmp.Path(), out));
  EXPECT_EQ(errno, EISDIR);
  ASSERT_EQ(::mkfifo((tmp / "pipe").c_str(), 0600), 0);
  EXPECT_FALSE(ReadFileBytes(tmp / "pipe", out)) << "a named pipe must neither block nor read";
  EXPECT_EQ(out, "unchanged");
}

}  // namespace
}  // namespace quillet
