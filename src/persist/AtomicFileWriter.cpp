#include "persist/AtomicFileWriter.h"

#include <stdio.h>   // fileno
#include <unistd.h>  // fsync

#include <cerrno>
#include <filesystem>
#include <random>

namespace velmio {
namespace {

namespace fs = std::filesystem;

// Creates a new, hidden, uniquely named file in the target's directory, so
// that the final rename stays on one file system and cannot clobber anything.
std::FILE* CreateTempBeside(const fs::path& target, fs::path& tempPath) {
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
    std::string name = target.filename().string();
    name.insert(name.begin(), '.');  // hidden, should a crash leave it behind
    name += suffix;
    tempPath = target.parent_path() / name;
    // "x": fail instead of reusing a file that happens to have this name.
    if (std::FILE* file = std::fopen(tempPath.c_str(), "wbx")) return file;
    if (errno != EEXIST) break;
  }
  return nullptr;
}

// Flushes the stream down to the disk and closes it; true when nothing failed.
// Syncing before the rename keeps a crash from leaving an empty file in the
// target's place.
bool CloseDurably(std::FILE* file) {
  const bool ok = std::fflush(file) == 0 && std::ferror(file) == 0 && fsync(fileno(file)) == 0;
  return std::fclose(file) == 0 && ok;
}

// Puts the finished temporary file in the target's place, keeping the access
// rights of a file it replaces.
bool ReplaceTarget(const fs::path& temp, const fs::path& target) {
  std::error_code ec;
  const fs::file_status old = fs::status(target, ec);
  if (fs::is_regular_file(old)) fs::permissions(temp, old.permissions(), ec);
  fs::rename(temp, target, ec);
  return !ec;
}

}  // namespace

AtomicWriteStatus WriteFileAtomically(const std::string& path,
                                      const std::function<bool(std::FILE*)>& writeContents) {
  const fs::path target(path);
  fs::path temp;
  std::FILE* file = target.has_filename() ? CreateTempBeside(target, temp) : nullptr;
  if (file == nullptr) return AtomicWriteStatus::kCannotCreate;

  const bool written = writeContents(file);
  if (CloseDurably(file) && written && ReplaceTarget(temp, target))
    return AtomicWriteStatus::kWritten;

  std::error_code ec;
  fs::remove(temp, ec);
  return AtomicWriteStatus::kWriteFailed;
}

}  // namespace velmio
