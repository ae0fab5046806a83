#include "persist/AtomicFileWriter.h"

#include <fcntl.h>
#include <stdio.h>  // fdopen, fileno
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

namespace velmio {
namespace {

namespace fs = std::filesystem;

// Linux follows at most 40 links in a path; a longer chain is a loop.
constexpr int kMaxLinkHops = 40;

// The file a write to `path` is meant for: a symbolic link (or a chain of
// them) is followed to its end, so the link stays a link and the file it
// names gets the new content. A dangling link leads to the file it would name.
fs::path ResolveLinks(const fs::path& path, bool& loop) {
  fs::path current = path;
  loop = false;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(current, ec))) return current;
    const fs::path next = fs::read_symlink(current, ec);
    if (ec) return current;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  loop = true;
  return current;
}

// A short, hidden, random name in `dir`, whatever the length of the target's
// name: a name near the system's limit must still get its temporary file.
fs::path ShortTempName(const fs::path& dir, std::mt19937& random) {
  char name[24];
  std::snprintf(name, sizeof name, ".velmio-%08x", static_cast<unsigned>(random()));
  return dir / name;
}

// An unnamed file in `dir` (Linux's O_TMPFILE): should the program die while
// writing, the kernel frees it and nothing is left behind. -1 where the file
// system does not offer it.
int OpenUnnamed(const fs::path& dir) {
#ifdef O_TMPFILE
  return ::open(dir.empty() ? "." : dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
  (void)dir;
  return -1;
#endif
}

// A new file under a short name in `dir`; "exclusive" so that it never
// reuses a file that happens to have the name.
int OpenNamed(const fs::path& dir, std::mt19937& random, fs::path& tempPath) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    tempPath = ShortTempName(dir.empty() ? fs::path(".") : dir, random);
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Flushes the stream down to the disk; true when nothing failed. Syncing
// before the rename keeps a crash from leaving an empty file in the
// target's place.
bool FlushDurably(std::FILE* file) {
  return std::fflush(file) == 0 && std::ferror(file) == 0 && fsync(fileno(file)) == 0;
}

// Gives the unnamed file `fd` the name `tempPath` beside the target.
bool LinkUnnamed(int fd, const fs::path& dir, std::mt19937& random, fs::path& tempPath) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  for (int attempt = 0; attempt < 16; ++attempt) {
    tempPath = ShortTempName(dir.empty() ? fs::path(".") : dir, random);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tempPath.c_str(), AT_SYMLINK_FOLLOW) == 0)
      return true;
    if (errno != EEXIST) break;
  }
  tempPath.clear();
  return false;
}

}  // namespace

AtomicWriteStatus WriteFileAtomically(const std::string& path,
                                      const std::function<bool(std::FILE*)>& writeContents) {
  if (path.empty() || !fs::path(path).has_filename()) return AtomicWriteStatus::kCannotCreate;
  bool loop = false;
  const fs::path target = ResolveLinks(path, loop);
  if (loop) return AtomicWriteStatus::kCannotCreate;
  // A device, a pipe or a directory is not replaced by a file; opening a pipe
  // to look at it would block, so only its kind is asked.
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) return AtomicWriteStatus::kNotAFile;

  std::random_device seed;
  std::mt19937 random(seed());
  const fs::path dir = target.parent_path();
  fs::path temp;
  int fd = OpenUnnamed(dir);
  const bool unnamed = fd >= 0;
  if (!unnamed) fd = OpenNamed(dir, random, temp);
  if (fd < 0) return AtomicWriteStatus::kCannotCreate;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    ::close(fd);
    if (!unnamed) ::unlink(temp.c_str());
    return AtomicWriteStatus::kCannotCreate;
  }

  bool ok = writeContents(file);
  ok = FlushDurably(file) && ok;
  // A file it replaces keeps its access rights.
  if (ok && exists) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  if (ok && unnamed) ok = LinkUnnamed(fd, dir, random, temp);
  ok = std::fclose(file) == 0 && ok;
  if (ok && ::rename(temp.c_str(), target.c_str()) == 0) return AtomicWriteStatus::kWritten;
  if (!temp.empty()) ::unlink(temp.c_str());
  return AtomicWriteStatus::kWriteFailed;
}

}  // namespace velmio
