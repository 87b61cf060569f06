// Crash safety of every file the program rewrites besides the day's entry
// (which has its own kill test with Set.ini): the settings file, Task.txt,
// Image.dat and a search history file, each written through its own class;
// and Cache.dat, which grows by appends.
//
// Each round a forked child saves version after version of one file and
// reports every finished save through a pipe; the parent kills it with
// SIGKILL at a random moment. The file must then hold exactly the bytes of
// the last reported save or of the one after it (which may have reached its
// commit point before the report), and its reader must read it. The bytes of
// each version come from replaying the same saves into a scratch folder, so
// the check knows nothing of the format. The seed is fixed; the property
// must hold whatever the timing. QUILLET_CRASH_ROUNDS sets the rounds per
// file for a long run by hand.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../app/TempFolder.h"
#include "core/app/HIniFile.h"
#include "core/base/AtomicFile.h"
#include "core/search/SearchHistory.h"
#include "core/store/UDate.h"
#include "core/tasks/TaskFile.h"
#include "core/viewer/ImageDat.h"
#include "core/viewer/ThumbCache.h"

namespace quillet {
namespace {

using namespace quillet::test;

constexpr int kVersions = 64;  // a child stops by itself after this many saves

// Forks a child that runs `write` with the write end of a pipe, then ends
// with the code `write` returned (0: done). Returns the child's pid, or -1,
// with `readEnd` set to the parent's end.
template <typename TWrite>
pid_t ForkWriter(int& readEnd, TWrite write) {
  int ends[2];
  if (::pipe(ends) != 0) return -1;
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ends[0]);
    ::_exit(write(ends[1]));
  }
  ::close(ends[1]);
  readEnd = ends[0];
  return child;
}

int Rounds() {
  const char* rounds = std::getenv("QUILLET_CRASH_ROUNDS");
  return rounds && std::atoi(rounds) > 0 ? std::atoi(rounds) : 40;
}

// Text whose length and letters follow the version, so that a file cut
// short or mixed from two versions differs from both.
std::string Filler(int version, std::size_t base) {
  return std::string(base + 211 * static_cast<std::size_t>(version % 17), static_cast<char>('a' + version % 26));
}

// One kind of file: a saver for a path (it may keep state between saves,
// as the window's objects do) and whether the file's own reader accepts it.
struct TFileKind {
  const char* name;
  std::function<std::function<bool(int version)>(const std::string& path)> saver;
  std::function<bool(const std::string& path)> reads;
};

const TFileKind kKinds[] = {
    {"Settings",
     [](const std::string& path) {
       return [path](int version) {
         THIniFile ini(path, true);
         ini.WriteInteger("Window", "Version", version);
         ini.WriteString("Window", "Text", Filler(version, 3000));
         // Sections come and go, so the file's shape changes too.
         for (int i = 0; i < 8; ++i) {
           if (i < version % 8) {
             ini.WriteString("Page" + std::to_string(i), "Key", Filler(version + i, 100));
           } else {
             ini.EraseSection("Page" + std::to_string(i));
           }
         }
         return ini.UpdateFile();
       };
     },
     [](const std::string& path) {
       const THIniFile ini(path, false);
       return !ini.ReadFailed() && ini.ReadInteger("Window", "Version", -1) >= 0;
     }},
    {"TaskFile",
     [](const std::string& path) {
       return [path](int version) {
         std::vector<TTask> tasks;
         for (int i = 0; i <= version % 40; ++i) {
           TTask& task = tasks.emplace_back();
           task.Comment = "c" + std::to_string(i);
           task.Date = MakeDate(2005, 3, 1 + i % 28);
           task.Priority = i % 3;
           task.Title = "v" + std::to_string(version) + Filler(version, 50);
         }
         return TTaskFile(path).Save(tasks).Ok;
       };
     },
     [](const std::string& path) {
       const TTaskLoad load = TTaskFile(path).Load(MakeDate(2005, 3, 7));
       return load.State == TTaskRead::Read && load.Problems.empty() && !load.Tasks.empty();
     }},
    {"ImageDat",
     [](const std::string& path) {
       return [path](int version) {
         std::vector<TImageDatLine> lines;
         for (int i = 0; i <= version % 30; ++i) {
           lines.push_back({"pic" + std::to_string(i) + ".jpg", "v" + std::to_string(version) + Filler(version, 40)});
         }
         return TImageDatFile(path).Store(lines);
       };
     },
     [](const std::string& path) {
       const TImageDatLoad load = TImageDatFile(path).Load();
       return load.State == TImageDatRead::Read && load.Dropped == 0 && !load.Lines.empty();
     }},
    {"SearchHistory",
     [](const std::string& path) {
       // One list through all saves, as the search box keeps it.
       auto history = std::make_shared<TSearchHistory>(path);
       history->Load();
       return [history](int version) {
         return history->AddAndLimit("word " + std::to_string(version) + Filler(version, 30), 20) ==
                THistorySave::Saved;
       };
     },
     [](const std::string& path) {
       std::string first;
       return ReadFirstHistoryLine(path, first) == THistoryRead::Read && first.rfind("word ", 0) == 0;
     }},
};

class FileCrash : public ::testing::TestWithParam<TFileKind> {};

TEST_P(FileCrash, AKilledWriterLeavesTheOldOrTheNewFile) {
  const TFileKind& kind = GetParam();
  // The bytes after each save, from the same saves made in peace.
  std::vector<std::string> expected;
  {
    const TTempFolder scratch;
    const std::string path = scratch / "file";
    const auto save = kind.saver(path);
    for (int version = 0; version < kVersions; ++version) {
      ASSERT_TRUE(save(version)) << kind.name << " version " << version;
      expected.emplace_back();
      ASSERT_TRUE(ReadFileBytes(path, expected.back()));
    }
  }
  std::mt19937 random(1805);
  int saves = 0;
  int killedBetween = 0;
  for (int round = 0; round < Rounds(); ++round) {
    const TTempFolder root;
    const std::string path = root / "file";
    int reports = -1;
    const pid_t child = ForkWriter(reports, [&](int out) {
      const auto save = kind.saver(path);
      for (int version = 0; version < kVersions; ++version) {
        if (!save(version)) return 3;
        if (::write(out, "s", 1) != 1) return 4;
      }
      return 0;
    });
    ASSERT_GE(child, 0);
    // Let a few saves finish, then kill at some moment of a later one.
    char byte = 0;
    int reported = 0;
    const int before = 1 + static_cast<int>(random() % 12);
    for (; reported < before && ::read(reports, &byte, 1) == 1; ++reported) {
    }
    ::usleep(static_cast<useconds_t>(random() % 6000));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    while (::read(reports, &byte, 1) == 1) ++reported;
    ::close(reports);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0))
        << kind.name << ": the writer failed with status " << WEXITSTATUS(status);
    ASSERT_GE(reported, 1);
    saves += reported;

    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes)) << kind.name << " round " << round << ": the file is gone";
    const std::size_t last = static_cast<std::size_t>(reported - 1);
    const bool old = bytes == expected[last];
    const bool next = last + 1 < expected.size() && bytes == expected[last + 1];
    ASSERT_TRUE(old || next) << kind.name << " round " << round << " after " << reported
                             << " saves: neither the old nor the new file (" << bytes.size() << " bytes)";
    killedBetween += next ? 1 : 0;
    EXPECT_TRUE(kind.reads(path)) << kind.name << " round " << round;
  }
  RecordProperty("Saves", saves);
  std::printf("%s: %d saves in %d rounds; %d kills fell after a commit and before its report\n", kind.name, saves,
              Rounds(), killedBetween);
}

INSTANTIATE_TEST_SUITE_P(EveryRewrittenFile, FileCrash, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<TFileKind>& row) { return row.param.name; });

// --- Cache.dat -----------------------------------------------------------------------------

// A BMP file as the cache checks it: "BM", its own length, then bytes that
// name the record.
std::string Record(std::uint32_t serial) {
  const std::uint32_t length = 14 + 1000 + 37 * (serial % 101);
  std::string bmp = "BM";
  for (int shift = 0; shift < 32; shift += 8) bmp += static_cast<char>(length >> shift & 0xFF);
  bmp += std::string(8, '\0');
  bmp.resize(length, static_cast<char>('A' + serial % 26));
  std::memcpy(bmp.data() + 6, &serial, sizeof serial);  // in the reserved words
  return bmp;
}

TEST(ThumbCacheCrash, EveryRecordHandedOutIsWholeAfterAKill) {
  // The child appends records, empties the stream now and then as a change
  // of day does, and reports each offset Append hands out (and each
  // emptying, before it happens) through the pipe. Afterwards every offset
  // handed out since the last emptying must start its whole record, and the
  // records must follow each other from the start of the file; at most an
  // unlisted tail of a record cut short may follow.
  std::mt19937 random(1806);
  int appends = 0;
  int tails = 0;
  for (int round = 0; round < Rounds(); ++round) {
    const TTempFolder root;
    const std::string path = root / "Cache.dat";
    int reports = -1;
    const pid_t child = ForkWriter(reports, [&](int out) {
      TThumbCache cache;
      if (!cache.Create(path)) return 3;
      for (std::uint32_t serial = 0;; ++serial) {
        std::int64_t report[2] = {-1, -1};  // an emptying
        if (serial % 50 == 49) {
          if (::write(out, report, sizeof report) != sizeof report || !cache.Clear()) return 4;
          continue;
        }
        std::int64_t offset = 0;
        if (!cache.Append(Record(serial), offset)) return 5;
        report[0] = offset;
        report[1] = serial;
        if (::write(out, report, sizeof report) != sizeof report) return 6;
      }
    });
    ASSERT_GE(child, 0);
    std::vector<std::pair<std::int64_t, std::uint32_t>> listed;
    std::int64_t report[2];
    const auto take = [&] {
      if (::read(reports, report, sizeof report) != sizeof report) return false;
      if (report[0] < 0) {
        listed.clear();
      } else {
        listed.emplace_back(report[0], static_cast<std::uint32_t>(report[1]));
        ++appends;
      }
      return true;
    };
    for (int i = 0, before = 5 + static_cast<int>(random() % 200); i < before; ++i) ASSERT_TRUE(take());
    ::usleep(static_cast<useconds_t>(random() % 2000));
    ::kill(child, SIGKILL);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    while (take()) {
    }
    ::close(reports);

    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    for (const auto& [offset, serial] : listed) {
      const std::string record = Record(serial);
      ASSERT_LE(static_cast<std::size_t>(offset) + record.size(), bytes.size())
          << "round " << round << ": record " << serial << " is cut short";
      ASSERT_EQ(bytes.compare(static_cast<std::size_t>(offset), record.size(), record), 0)
          << "round " << round << ": record " << serial << " is not whole";
    }
    // The chain of records from the start covers every listed one.
    std::size_t at = 0;
    for (const auto& [offset, serial] : listed) {
      ASSERT_EQ(static_cast<std::size_t>(offset), at) << "round " << round;
      at += Record(serial).size();
    }
    tails += at < bytes.size() ? 1 : 0;
  }
  std::printf("Cache.dat: %d appends in %d rounds; %d kills left an unlisted tail\n", appends, Rounds(), tails);
}

}  // namespace
}  // namespace quillet
