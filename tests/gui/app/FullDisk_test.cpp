// The main window on a full disk: the program folder on a small tmpfs that a
// filler file has used up. A save of the day fails with the usual message,
// the text stays in the editor and the day stays; the task list and the
// settings file keep their old bytes; nothing half-written or temporary is
// left; and once space is freed the same window saves everything.
//
// Mounting needs root; otherwise the test is skipped with a message.
#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "core/tasks/TaskFile.h"
#include "gui/app/HStatusBar.h"
#include "gui/app/MainEditorPort.h"
#include "gui/app/MainWindowFixture.h"
#include "gui/tasks/UTask.h"

using namespace quillet;

namespace {

// A tmpfs of `kilobytes` on `mountPoint` for the scope, detached in every case.
class TSmallDisk {
public:
  TSmallDisk(const std::string& mountPoint, int kilobytes) : m_mountPoint(mountPoint) {
    const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0700";
    m_mounted = ::mount("tmpfs", mountPoint.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
    m_error = m_mounted ? 0 : errno;
  }
  ~TSmallDisk() {
    if (m_mounted) ::umount2(m_mountPoint.c_str(), MNT_DETACH);
  }
  TSmallDisk(const TSmallDisk&) = delete;
  TSmallDisk& operator=(const TSmallDisk&) = delete;
  bool Mounted() const { return m_mounted; }
  int Error() const { return m_error; }

private:
  std::string m_mountPoint;
  bool m_mounted = false;
  int m_error = 0;
};

// Writes `path` until the file system refuses another byte; the bytes written.
long FillDisk(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  const std::string block(4096, 'f');
  long total = 0;
  for (std::size_t chunk = block.size(); chunk > 0; chunk /= 2) {
    for (;;) {
      const ssize_t n = ::write(fd, block.data(), chunk);
      if (n <= 0) break;
      total += n;
    }
  }
  ::fsync(fd);
  ::close(fd);
  return total;
}

// Every file under `root` (relative path to bytes), the filler left out.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file() || entry.path().filename() == "filler") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[std::filesystem::relative(entry.path(), root).string()] =
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

class FullDiskTest : public test::TMainWindowFixture {};

TEST_F(FullDiskTest, SavesFailWholeAndWorkAgainOnceSpaceIsFree) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root; run the GUI tests as root for this one";
  const std::string mountPoint = dir.path().toStdString() + "/disk";
  std::filesystem::create_directory(mountPoint);
  const TSmallDisk disk(mountPoint, 256);
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(disk.Error());
  app = mountPoint + "/";

  // A diary with an entry for the day, a task list and settings.
  const std::string oldBody = "old body\r\n";
  Write("2005/3/7.txt", oldBody);
  Settings([](THIniFile& ini) {
    ini.WriteBool("Task", "OnCreate", true);
    ini.WriteString("Window", "Padding", std::string(3000, 'p'));  // more than the page a tmpfs file may still get
  });
  const std::string taskFile = app + "Option/Task.txt";
  TTask kept;
  kept.Date = MakeDate(2005, 3, 7);
  kept.Title = "kept";
  ASSERT_TRUE(TTaskFile(taskFile).Save({kept}).Ok);
  const std::map<std::string, std::string> before = Snapshot(app);
  ASSERT_GT(FillDisk(app + "filler"), 0);

  {
    TFmMain window(BaseEnv());
    auto* tasks = window.Page<TTaskObject>();
    ASSERT_NE(tasks, nullptr);
    const std::string typed = std::string(8000, 'x') + "\r\n";
    window.Editor().ReplaceSelection(typed);
    ASSERT_TRUE(window.EntryModified());

    // The day's save: refused, everything kept where it was.
    EXPECT_FALSE(window.ChangeDay(MakeDate(2005, 3, 8)));
    EXPECT_EQ(window.StatusBar().PanelText(spMessage), "保存に失敗しました");
    EXPECT_EQ(window.windowTitle(), "2005/03/07 - Quillet");
    EXPECT_EQ(window.Editor().Text(), typed + oldBody);
    EXPECT_TRUE(window.EntryModified());
    EXPECT_FALSE(window.SaveEntry(true));

    // A change to the task list is refused too; the page keeps it.
    tasks->View().selectionModel()->setCurrentIndex(tasks->Model().index(0, 0),
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    window.Action("ActTaskNewItem")->trigger();
    EXPECT_EQ(window.StatusBar().PanelText(spMessage), "保存に失敗しました: Task.txt");
    EXPECT_EQ(tasks->Model().Tasks().size(), 2u);

    // The settings (and the day again) as a session ends: nothing goes in.
    window.CommitData();
    EXPECT_EQ(Snapshot(app), before) << "a file was changed, cut short or left behind on the full disk";

    // Space again: the next saves write what the window kept.
    std::filesystem::remove(app + "filler");
    EXPECT_TRUE(window.ChangeDay(MakeDate(2005, 3, 8)));
    EXPECT_EQ(window.windowTitle(), "2005/03/08 - Quillet");
    EXPECT_EQ(Read(app + "2005/3/7.txt"), typed + oldBody);
    window.Action("ActTaskNewItem")->trigger();
    EXPECT_EQ(TTaskFile(taskFile).Load(MakeDate(2005, 3, 7)).Tasks.size(), 3u);
  }
  // The window wrote its settings when it closed.
  EXPECT_NE(Read(Ini()), before.at("Option/quillet.ini"));
  EXPECT_EQ(THIniFile(Ini(), false).ReadString("Window", "Padding", ""), std::string(3000, 'p'));
  for (const auto& [name, bytes] : Snapshot(app)) {
    EXPECT_NE(std::filesystem::path(name).filename().string()[0], '.') << name << " left behind";
  }
}

}  // namespace
