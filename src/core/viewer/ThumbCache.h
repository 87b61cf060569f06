// "Cache.dat" in the options folder: the thumbnails of the open day, each a
// complete BMP file appended at the end of the stream. A thumbnail's offset
// is the stream size just before its append.
//
// Created empty with the image list page, emptied at every change of day,
// emptied and closed when the page is released. Nothing in it outlives the
// page, so it is never flushed to disk.
//
// An append either adds the whole BMP file or leaves the stream at its old
// size (a short or failed write is cut back off), and its offset is handed
// out only after the whole write succeeded: a crash in the middle leaves at
// most a tail that no record refers to.
//
// Threads: the load thread appends, the user-interface thread appends (added
// pictures) and reads (drawing). Every member takes one mutex, so calls from
// both threads may interleave. A record's offset must be the one Append
// returns, never a size read earlier: the other thread may append in
// between.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace quillet {

inline constexpr std::string_view kCacheFileName = "Cache.dat";

class TThumbCache {
public:
  TThumbCache() = default;
  ~TThumbCache();
  TThumbCache(const TThumbCache&) = delete;
  TThumbCache& operator=(const TThumbCache&) = delete;

  // Creates (or empties) the file at `path` (mode 0600 when new) and keeps
  // it open. False with `error` set when it cannot be opened; a previous
  // file is closed first either way.
  bool Create(const std::string& path, std::string* error = nullptr);
  // Empties the file (change of day). False when it is not open or cannot
  // be truncated.
  bool Clear(std::string* error = nullptr);
  // Empties and closes the file (release of the page). Safe when not open.
  void Release();
  bool IsOpen() const;

  // Appends `bmpFile` (a whole BMP file, see EncodeBmpFile) and sets
  // `offset` to where it starts. False with `error` set, the file at its old
  // size and `offset` untouched, when the write fails or `bmpFile` is not a
  // BMP file whose header states its length.
  bool Append(std::string_view bmpFile, std::int64_t& offset, std::string* error = nullptr);
  // The BMP file at `offset` (its length from bytes 2..5 of its file
  // header, little-endian). False with `error` set when no whole record
  // starts there.
  bool Read(std::int64_t offset, std::string& bmpFile, std::string* error = nullptr) const;
  // The stream size in bytes.
  std::int64_t Size() const;

private:
  mutable std::mutex m_mutex;
  int m_fd = -1;
  std::string m_path;
  std::int64_t m_size = 0;
};

}  // namespace quillet
