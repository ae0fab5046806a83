#pragma once
// Replacing a file without ever leaving it half written: the new content goes
// to a temporary file beside the target, which takes the target's place by a
// rename only once everything reached the disk. A crash or a full disk at any
// point leaves either the old file or the complete new one. Where Linux
// offers unnamed files the temporary file has no name until it is complete,
// so a killed program leaves nothing behind; elsewhere it has a short hidden
// name.
#include <cstdio>
#include <functional>
#include <string>

namespace velmio {

enum class AtomicWriteStatus {
  kWritten,       // the target now holds the new content
  kCannotCreate,  // no temporary file could be created beside the target
  kWriteFailed,   // writing, syncing or the final rename failed
  kNotAFile,      // the target is a directory, a pipe or a device: left alone
};

// Writes the whole new content of `path` through `writeContents`, which gets
// an open binary stream and returns false when it noticed a failure. Stream
// errors it did not notice are caught here as well. On any failure the
// temporary file is removed and `path` is left as it was; a file it replaces
// keeps its access rights. A symbolic link is followed: the file it names is
// replaced and the link stays. Any thread, one writer per target at a time.
AtomicWriteStatus WriteFileAtomically(const std::string& path,
                                      const std::function<bool(std::FILE*)>& writeContents);

}  // namespace velmio
