// The image list's load thread (see ViewThread.h).
#include "gui/viewer/ViewThread.h"

#include <sys/stat.h>

#include <exception>

#include "core/search/DiaryGrep.h"
#include "core/store/EntryStore.h"
#include "core/viewer/DayPictures.h"
#include "core/viewer/Picture.h"
#include "core/viewer/Scaler.h"
#include "core/viewer/ThumbCache.h"

namespace quillet {

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool MakeViewThumbnail(const std::string& path, const TSPIs* spis, TThumbCache& cache, int size, TViewItem& item,
                       std::string& error, const std::function<bool()>& keepGoing) {
  try {
    TSPIProgress progress;
    if (keepGoing) progress = [&keepGoing](TSPIProgressStage, int, const std::string&) { return keepGoing(); };
    const TSPIThumbnail picture = LoadPictureForThumbnail(path, size, spis, progress);
    const TDib thumbnail = MakeThumbnail(picture.Picture, size, &error);
    if (thumbnail.Empty()) return false;
    std::int64_t offset = -1;
    if (!cache.Append(EncodeBmpFile(thumbnail), offset, &error)) return false;
    item.CacheOffset = offset;
    item.Width = picture.FullWidth;
    item.Height = picture.FullHeight;
    item.Flag = 0;
    return true;
  } catch (const EInvalidGraphic& failure) {
    error = failure.Reason().empty() ? failure.what() : failure.Reason();
  } catch (const std::exception& failure) {
    // A picture too large for memory is a picture that cannot be shown.
    error = failure.what();
  }
  return false;
}

struct TViewThread::TJob {
  TStoreSettings Settings;
  TDate Date;
  std::vector<std::string> Masks;
  const TSPIs* Spis;
  TThumbCache& Cache;
  int Size;
};

TViewThread::TViewThread(const TStoreSettings& settings, TDate date, std::vector<std::string> masks,
                         const TSPIs* spis, TThumbCache& cache, int size, TPostBox* receiver, TItemDone item,
                         TLoadDone done)
    : m_job(new TJob{settings, date, std::move(masks), spis, cache, size}),
      m_receiver(receiver),
      m_item(std::move(item)),
      m_done(std::move(done)) {}

TViewThread::~TViewThread() { Stop(); }

void TViewThread::Start(int priority) { start(static_cast<QThread::Priority>(PriorityFromSetting(priority))); }

void TViewThread::Stop() {
  requestInterruption();
  wait();
  HandOverAcquire(this);
}

void TViewThread::run() {
  struct TEnd {
    const TViewThread* Thread;
    ~TEnd() { HandOverRelease(Thread); }
  } ended{this};
  const TJob& job = *m_job;
  TViewLoadEnd end;
  try {
    TDayPictures day(job.Settings, job.Date);
    TImageDatLoad load = day.Load();
    end.State = load.State;
    end.Error = load.Error;
    const int count = static_cast<int>(load.Lines.size());
    const auto keepGoing = [this] { return !isInterruptionRequested(); };
    for (int i = 0; i < count; ++i) {
      if (isInterruptionRequested()) return;
      const TImageDatLine& line = load.Lines[static_cast<std::size_t>(i)];
      TViewItem item{line.Name, line.Comment, day.PathOf(line.Name)};
      // A line whose file is gone shows nothing and leaves the list at its
      // next store; a file that is there but cannot be shown keeps its line.
      if (!IsRegularFile(item.Path)) continue;
      std::string error;
      if (!IsPictureFile(PictureDiskName(line.Name), job.Masks) ||
          !MakeViewThumbnail(item.Path, job.Spis, job.Cache, job.Size, item, error, keepGoing)) {
        if (isInterruptionRequested()) return;
        end.Kept.push_back(line);
        continue;
      }
      if (isInterruptionRequested()) return;
      m_receiver->Post([done = m_item, item, i, count] { done(item, i, count); });
    }
  } catch (const std::exception& failure) {
    // Out of memory: an exception leaving the thread would end the program.
    end.Error = failure.what();
  }
  if (isInterruptionRequested()) return;
  m_receiver->Post([done = m_done, end] { done(end); });
}

}  // namespace quillet
