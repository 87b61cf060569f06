// Reading and writing Image.dat (see ImageDat.h).
#include "core/viewer/ImageDat.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/base/AtomicFile.h"
#include "core/base/CodePage.h"

namespace quillet {
namespace {

constexpr char kBar = '|';
constexpr std::string_view kCrLf = "\r\n";

bool IsSingle(std::string_view s, std::size_t i, char c) { return CharLength(s, i) == 1 && s[i] == c; }

// The first two pieces of a line cut at single-byte "|"; the second is empty
// when the line has no "|".
void FirstTwoPieces(std::string_view line, std::string_view& name, std::string_view& comment) {
  std::size_t cuts[2] = {line.size(), line.size()};
  int found = 0;
  for (std::size_t i = 0; i < line.size() && found < 2; i += CharLength(line, i))
    if (IsSingle(line, i, kBar)) cuts[found++] = i;
  name = line.substr(0, cuts[0]);
  comment = found == 0 ? std::string_view{} : line.substr(cuts[0] + 1, cuts[1] - cuts[0] - 1);
}

// A name that stays inside its folder: "/" (never a trail byte) and NUL
// would leave it or cut it, "." and ".." name folders.
bool IsSafeName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

std::string FieldFlaw(std::string_view field, const char* what) {
  // Checked byte by byte: a lead byte before CR or LF must not hide it.
  if (field.find_first_of("\r\n") != std::string_view::npos) return std::string(what) + " holds a line break";
  std::size_t last = 0;
  for (std::size_t i = 0; i < field.size(); i += CharLength(field, i)) {
    if (IsSingle(field, i, kBar)) return std::string(what) + " holds \"|\"";
    last = i;
  }
  // A lead byte at the end would pair with the "|" written after it.
  if (!field.empty() && CharLength(field, last) == 1 && IsLeadByte(static_cast<unsigned char>(field[last])))
    return std::string(what) + " ends in half a double-byte character";
  return {};
}

}  // namespace

TImageDatParse ParseImageDat(std::string_view bytes) {
  TImageDatParse parse;
  for (const std::string_view line : SplitLines(bytes)) {
    if (line.empty()) continue;
    std::string_view name;
    std::string_view comment;
    FirstTwoPieces(line, name, comment);
    if (!IsSafeName(name)) {
      ++parse.Dropped;
      continue;
    }
    parse.Lines.push_back({std::string(name), std::string(comment)});
  }
  return parse;
}

std::string ImageDatNameFlaw(std::string_view cp932Name) {
  if (!IsSafeName(cp932Name)) return "the file name is empty, \".\", \"..\", or holds \"/\" or a NUL byte";
  return FieldFlaw(cp932Name, "the file name");
}

std::string ImageDatCommentFlaw(std::string_view cp932Comment) { return FieldFlaw(cp932Comment, "the comment"); }

bool ImageDatBytes(const std::vector<TImageDatLine>& lines, std::string& out, std::string* error) {
  std::string bytes;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    std::string flaw = ImageDatNameFlaw(lines[n].Name);
    if (flaw.empty()) flaw = ImageDatCommentFlaw(lines[n].Comment);
    if (!flaw.empty()) {
      if (error) *error = "picture " + std::to_string(n + 1) + ": " + flaw + "; " + std::string(kImageDatName) +
                          " was not written";
      return false;
    }
    bytes.append(lines[n].Name).append(1, kBar).append(lines[n].Comment).append(1, kBar).append(kCrLf);
  }
  out = std::move(bytes);
  return true;
}

std::string PictureDiskName(const std::string& cp932Name) {
  std::string utf8;
  return ToUtf8(cp932Name, utf8) ? utf8 : cp932Name;
}

bool PictureListName(std::string_view utf8Name, std::string& cp932Name) { return FromUtf8(utf8Name, cp932Name); }

TImageDatLoad TImageDatFile::Load() {
  TImageDatLoad load;
  std::string bytes;
  if (!ReadFileBytes(m_path, bytes)) {
    const int error = errno;
    load.State = error == ENOENT || error == ENOTDIR ? TImageDatRead::Missing : TImageDatRead::Unreadable;
    if (load.State == TImageDatRead::Unreadable) load.Error = "cannot read " + m_path + ": " + std::strerror(error);
    m_unreadable = load.State == TImageDatRead::Unreadable;
    return load;
  }
  m_unreadable = false;
  TImageDatParse parse = ParseImageDat(bytes);
  load.State = TImageDatRead::Read;
  load.Lines = std::move(parse.Lines);
  load.Dropped = parse.Dropped;
  return load;
}

bool TImageDatFile::MayReplace(std::string* error) const {
  if (m_unreadable) {
    if (error) *error = m_path + " could not be read when the day was loaded; it was left as it is";
    return false;
  }
  const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  if (errno == ENOENT || errno == ENOTDIR) return true;
  if (error) *error = m_path + " cannot be read (" + std::strerror(errno) + "); it was left as it is";
  return false;
}

bool TImageDatFile::Store(const std::vector<TImageDatLine>& lines, std::string* error) {
  std::string bytes;
  if (!ImageDatBytes(lines, bytes, error)) return false;
  if (!MayReplace(error)) return false;
  return WriteFileAtomic(m_path, bytes, error);
}

}  // namespace quillet
