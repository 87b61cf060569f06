// "Image.dat": the list of a day's pictures and their comments, kept in the
// day picture folder (DayPictures.h).
//
// The stored format is code page 932 text, one line per picture in list
// order, each ended by CR LF:
//   file name|comment|
// Reading takes lines ended by CR LF, LF or CR (a missing last line end
// too), skips empty lines, and cuts a line at "|" stepping over double-byte
// characters whole: the trail byte of "ポ" (0x83 0x7C) is a "|" and must not
// cut a name. The first piece is the file name, the second (when present)
// the comment; further pieces are ignored.
//
// Both fields stay code page 932 bytes in TImageDatLine: the list's caption
// and comment are converted for display by the caller, and a name written
// back is byte for byte the name read. The name on disk is UTF-8
// (PictureDiskName converts; a name that does not convert is used as it
// stands, as paths in the settings are).
//
// Reading refuses names that would leave the day picture folder: a line
// whose name is empty, ".", "..", or holds "/" or a NUL byte is dropped (and
// counted), so that a crafted file can never make the list show, rename or
// delete a file elsewhere.
//
// Writing refuses what the format cannot hold rather than writing a line
// that reads back differently: "|", CR or LF in a name or comment, a field
// ending in a lead byte without its trail byte (the "|" after it would
// become its trail byte), and the names reading drops. The file is replaced
// atomically (AtomicFile.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

inline constexpr std::string_view kImageDatName = "Image.dat";

struct TImageDatLine {
  std::string Name;     // file name inside the day picture folder, code page 932
  std::string Comment;  // one line, code page 932; may be empty
  bool operator==(const TImageDatLine&) const = default;
};

struct TImageDatParse {
  std::vector<TImageDatLine> Lines;
  std::size_t Dropped = 0;  // non-empty lines whose name was refused
};

TImageDatParse ParseImageDat(std::string_view bytes);

// Why a name or comment cannot be written; empty when it can. English, one
// line, for logs and the caller's message.
std::string ImageDatNameFlaw(std::string_view cp932Name);
std::string ImageDatCommentFlaw(std::string_view cp932Comment);

// The whole file for `lines`. False with `error` set, and `out` unchanged,
// when a line cannot be stored (the flaws above).
bool ImageDatBytes(const std::vector<TImageDatLine>& lines, std::string& out, std::string* error = nullptr);

// The file name on disk (UTF-8) of a name from Image.dat.
std::string PictureDiskName(const std::string& cp932Name);
// The name Image.dat stores for a file name on disk; false when code page
// 932 cannot hold it (then the picture cannot be listed).
bool PictureListName(std::string_view utf8Name, std::string& cp932Name);

enum class TImageDatRead { Missing, Read, Unreadable };

struct TImageDatLoad {
  TImageDatRead State = TImageDatRead::Missing;
  std::vector<TImageDatLine> Lines;
  std::size_t Dropped = 0;
  std::string Error;  // why an existing file could not be read
};

// Image.dat at one path. Load (the load thread) reads it; Store (the
// user-interface thread, never while a Load runs) replaces it atomically.
// A file that Load found unreadable, or that exists and cannot be read when
// Store runs, is never replaced: Store refuses, so the lines it holds are
// not lost to a list that never saw them.
class TImageDatFile {
public:
  explicit TImageDatFile(std::string path) : m_path(std::move(path)) {}

  const std::string& Path() const { return m_path; }
  TImageDatLoad Load();
  // False with `error` set when the lines cannot be stored or the file
  // cannot be written; the file is then as it was.
  bool Store(const std::vector<TImageDatLine>& lines, std::string* error = nullptr);
  // Whether Store may replace or remove the file (see above); `error` says
  // why not.
  bool MayReplace(std::string* error = nullptr) const;

private:
  std::string m_path;
  std::atomic<bool> m_unreadable{false};
};

}  // namespace quillet
