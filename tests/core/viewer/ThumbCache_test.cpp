// Cache.dat: offsets, records read back, emptying, and appends that fail.
#include "core/viewer/ThumbCache.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "../app/TempFolder.h"

namespace quillet {
namespace {

// A byte string shaped like a BMP file of `length` bytes: "BM" and the
// length in bytes 2..5; the rest is filler.
std::string FakeBmp(std::uint32_t length, char fill) {
  std::string bytes(length, fill);
  bytes[0] = 'B';
  bytes[1] = 'M';
  for (int i = 0; i < 4; ++i) bytes[2 + static_cast<std::size_t>(i)] = static_cast<char>(length >> (8 * i) & 0xFF);
  return bytes;
}

std::int64_t FileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_size : -1;
}

TEST(ThumbCache, AppendsAtTheEndAndReadsBack) {
  test::TTempFolder tmp;
  const std::string path = tmp / "Cache.dat";
  test::WriteRaw(path, "old thumbnails of another run");
  TThumbCache cache;
  ASSERT_TRUE(cache.Create(path));
  EXPECT_EQ(FileSize(path), 0);
  std::vector<std::pair<std::int64_t, std::string>> records;
  for (std::uint32_t n = 0; n < 5; ++n) {
    const std::string bmp = FakeBmp(54 + n * 1000, static_cast<char>('a' + n));
    std::int64_t offset = -1;
    ASSERT_TRUE(cache.Append(bmp, offset));
    EXPECT_EQ(offset, records.empty() ? 0 : records.back().first + static_cast<std::int64_t>(records.back().second.size()));
    records.emplace_back(offset, bmp);
  }
  EXPECT_EQ(cache.Size(), FileSize(path));
  for (const auto& [offset, bmp] : records) {
    std::string back;
    ASSERT_TRUE(cache.Read(offset, back));
    EXPECT_EQ(back, bmp);
  }
  std::string back;
  std::string error;
  EXPECT_FALSE(cache.Read(1, back, &error));  // not the start of a record
  EXPECT_FALSE(cache.Read(-1, back));
  EXPECT_FALSE(cache.Read(cache.Size(), back));
  std::int64_t offset = 7;
  EXPECT_FALSE(cache.Append("BM\x10\0\0\0", offset));     // states 16 bytes, holds 6
  EXPECT_FALSE(cache.Append(std::string(60, 'x'), offset));  // no "BM"
  EXPECT_EQ(offset, 7);

  ASSERT_TRUE(cache.Clear());  // change of day
  EXPECT_EQ(FileSize(path), 0);
  EXPECT_FALSE(cache.Read(0, back));
  ASSERT_TRUE(cache.Append(FakeBmp(100, 'z'), offset));
  EXPECT_EQ(offset, 0);
  cache.Release();
  EXPECT_FALSE(cache.IsOpen());
  EXPECT_EQ(FileSize(path), 0);
  EXPECT_FALSE(cache.Append(FakeBmp(100, 'z'), offset));
  EXPECT_FALSE(cache.Clear());
}

TEST(ThumbCache, ARecordCutShortIsNotRead) {
  test::TTempFolder tmp;
  TThumbCache cache;
  ASSERT_TRUE(cache.Create(tmp / "Cache.dat"));
  std::int64_t offset = 0;
  ASSERT_TRUE(cache.Append(FakeBmp(250, 'q'), offset));
  ASSERT_EQ(::truncate((tmp / "Cache.dat").c_str(), 100), 0);
  std::string back;
  std::string error;
  // A file cut behind the cache's back reads as a failure, not as short
  // bytes.
  EXPECT_FALSE(cache.Read(offset, back, &error));
  EXPECT_FALSE(error.empty());
}

// A write that the file size limit stops half way: the stream is cut back
// to its old size and no offset is handed out. Run in a child so that the
// limit binds only there.
TEST(ThumbCache, AFailedAppendLeavesTheOldSize) {
  test::TTempFolder tmp;
  const std::string path = tmp / "Cache.dat";
  std::fflush(nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    TThumbCache cache;
    std::int64_t offset = -1;
    if (!cache.Create(path) || !cache.Append(FakeBmp(1000, 'a'), offset)) ::_exit(2);
    const rlimit limit{1500, 1500};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(3);
    std::int64_t failed = -5;
    std::string error;
    const bool appended = cache.Append(FakeBmp(1000, 'b'), failed, &error);
    const bool ok = !appended && failed == -5 && !error.empty() && cache.Size() == 1000 && FileSize(path) == 1000;
    // Small enough to fit: appends go on after a failure.
    const bool next = cache.Append(FakeBmp(400, 'c'), offset) && offset == 1000;
    ::_exit(ok && next ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(FileSize(path), 1400);
}

TEST(ThumbCache, TwoThreadsAppendWithoutOverlap) {
  test::TTempFolder tmp;
  TThumbCache cache;
  ASSERT_TRUE(cache.Create(tmp / "Cache.dat"));
  std::vector<std::pair<std::int64_t, std::string>> got[2];
  const auto work = [&](int t) {
    for (int i = 0; i < 200; ++i) {
      const std::string bmp = FakeBmp(static_cast<std::uint32_t>(20 + (i * 7) % 90), static_cast<char>('a' + t));
      std::int64_t offset = 0;
      if (cache.Append(bmp, offset)) got[t].emplace_back(offset, bmp);
      std::string back;
      if (!got[t].empty()) cache.Read(got[t].front().first, back);  // reads beside appends
    }
  };
  std::thread other(work, 1);
  work(0);
  other.join();
  for (const auto& list : got) {
    ASSERT_EQ(list.size(), 200u);
    for (const auto& [offset, bmp] : list) {
      std::string back;
      ASSERT_TRUE(cache.Read(offset, back));
      EXPECT_EQ(back, bmp);
    }
  }
}

}  // namespace
}  // namespace quillet
