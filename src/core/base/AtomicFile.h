// Whole-file reading and crash-safe whole-file replacement.
//
// Every file the program stores (entries, Set.ini, the settings file, task and
// history files) is written whole. WriteFileAtomic never leaves a half-written
// target: the bytes go to a temporary file in the target's folder, are flushed
// to disk, and the temporary file is renamed over the target, so a reader (or
// a crash at any moment) sees either the complete old file or the complete new
// one. On failure the temporary file is removed and the old file is untouched.
//
// Permissions follow the platform rule for diary data: a new file is private
// to its owner (0600); a replaced file keeps its permission bits. A target
// without the owner's write bit stands for the original platform's read-only
// attribute and is refused unless the caller asks for it to be replaced (the
// store clears the attribute itself before it saves, as the original did).
#pragma once

#include <string>
#include <string_view>

namespace quillet {

enum class TReadOnlyTarget {
  Refuse,   // a target without owner write permission is not replaced
  Replace,  // it is replaced; the replacement gets owner write permission
};

// Replaces (or creates) the regular file `path` with exactly `bytes`.
// A symbolic link is followed, so the file it names is replaced and the link
// stays (a dangling link is replaced by the new file). Returns true only when the new content is in place; on false, the
// target is as it was, no temporary file remains, and `error` (when given)
// holds a one-line English description for logs. Blocks on fsync; call from
// any thread, but not concurrently for the same path.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error = nullptr,
                     TReadOnlyTarget readOnly = TReadOnlyTarget::Refuse);

// Reads the whole regular file `path` into `out` (bytes as stored). Returns
// false for a missing file, a folder, a device or pipe, or a read error, and
// then leaves `out` unchanged and errno set by the failing call (ENOENT or
// ENOTDIR when the file does not exist, EISDIR or EINVAL for something that is
// not a regular file).
bool ReadFileBytes(const std::string& path, std::string& out);

}  // namespace quillet
