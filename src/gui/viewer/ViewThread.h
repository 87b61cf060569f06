// TViewThread: loads one day's pictures for the image list on a thread of
// its own: reads Image.dat, decodes each listed picture (the BMP reader or
// the image plug-ins, a plug-in's preview when it is large enough), makes
// its thumbnail, appends it to Cache.dat and hands the record over.
//
// Hand-overs are queued, never blocking: the page stops a running load and
// waits for it at every change of day, and a worker blocked on a hand-over to
// that same waiting thread would never end. They go to a receiver object of
// the page made for this one load; the page deletes that receiver when it
// leaves the day, which drops every hand-over still queued, so a late record
// of another day can never reach the list. Before storing the list the page
// waits for the load and delivers what is still queued (Flush), so that no
// line is stored before it was read.
//
// The interruption request of QThread ends the load between pictures and,
// through the decoders' progress callback, inside a long decode.
#pragma once

#include <QThread>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/store/UDate.h"
#include "core/viewer/ImageDat.h"
#include "gui/app/ThreadHandOff.h"

namespace quillet {

class TSPIs;
class TThumbCache;
struct TStoreSettings;

// One picture of the list.
struct TViewItem {
  std::string Name;     // file name in the day picture folder, code page 932 (the caption)
  std::string Comment;  // code page 932, one line
  std::string Path;     // the file on disk
  std::int64_t CacheOffset = -1;  // the thumbnail's BMP file in Cache.dat
  std::int32_t Width = 0;         // the picture's size in pixels
  std::int32_t Height = 0;
  std::int32_t Flag = 0;
};

// What the load found besides the pictures it handed over.
struct TViewLoadEnd {
  TImageDatRead State = TImageDatRead::Missing;
  std::string Error;  // why Image.dat could not be read
  // Lines whose file exists but could not be shown (no decoder for it, a
  // damaged picture): kept in Image.dat when the list is stored, so that a
  // picture this machine cannot decode keeps its line and comment.
  std::vector<TImageDatLine> Kept;
};

class TViewThread : public QThread {
  Q_OBJECT

public:
  using TItemDone = std::function<void(const TViewItem& item, int index, int count)>;
  using TLoadDone = std::function<void(const TViewLoadEnd& end)>;

  // Loads the pictures of `date`. `spis` (may be null), `cache` and
  // `receiver` must outlive the thread; `masks` are the picture masks.
  TViewThread(const TStoreSettings& settings, TDate date, std::vector<std::string> masks, const TSPIs* spis,
              TThumbCache& cache, int size, TPostBox* receiver, TItemDone item, TLoadDone done);
  ~TViewThread() override;

  // Starts at `priority` 0 (idle) .. 6 (time-critical); others give normal.
  void Start(int priority);
  // Asks the load to end and waits for it.
  void Stop();

protected:
  void run() override;

private:
  struct TJob;
  std::unique_ptr<TJob> m_job;
  TPostBox* m_receiver;
  TItemDone m_item;
  TLoadDone m_done;
};

// Makes the thumbnail of the picture at `path` and appends it to `cache`:
// fills the size and cache offset of `item`. False with `error` set when the
// picture cannot be decoded or the cache not written. `keepGoing` is asked
// during a long decode. Any thread.
bool MakeViewThumbnail(const std::string& path, const TSPIs* spis, TThumbCache& cache, int size, TViewItem& item,
                       std::string& error, const std::function<bool()>& keepGoing = {});

}  // namespace quillet
