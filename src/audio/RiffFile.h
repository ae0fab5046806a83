#pragma once
// Reading and writing RIFF chunk files (WAV files are one kind). The reader
// finds chunks by id inside a form; the writer creates chunks and fixes their
// sizes when they are finished. Sizes read from a file are never trusted: a
// chunk walk stops where the file really ends.
//
// Failures are status codes, not messages: the caller knows which step of its
// own work failed and reports that. The codes keep the values of the platform
// multimedia file layer whose messages the program shows.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace velmio {

// Status codes (0 is success).
constexpr int kRiffFileNotFound = 257;
constexpr int kRiffCannotOpen = 259;
constexpr int kRiffCannotRead = 261;
constexpr int kRiffCannotWrite = 262;
constexpr int kRiffChunkNotFound = 265;
constexpr int kRiffPathNotFound = 267;
constexpr int kRiffAccessDenied = 268;
constexpr int kRiffTooManyOpenFiles = 271;
constexpr int kRiffInvalidFile = 272;

// A four-character chunk id as it is stored: first character in the low byte.
constexpr uint32_t FourCC(const char (&id)[5]) {
  return uint32_t(uint8_t(id[0])) | uint32_t(uint8_t(id[1])) << 8 | uint32_t(uint8_t(id[2])) << 16 |
         uint32_t(uint8_t(id[3])) << 24;
}

constexpr int64_t kRiffHeaderBytes = 8;

// One chunk: its id, the size its header states and where its body starts
// (for a RIFF form the body starts with the form type).
struct RiffChunk {
  uint32_t id = 0;
  uint32_t size = 0;
  int64_t dataOffset = 0;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Maps the errno of a failed open to a status code.
int StatusFromOpenErrno(int error);

// Read side. Not thread-safe; one owner at a time.
class RiffReader {
 public:
  int Open(const std::string& path);
  // Closes the file; nonzero when the system reported an error.
  int Close();
  bool IsOpen() const { return m_file != nullptr; }
  int64_t FileSize() const { return m_fileSize; }

  // Finds the top-level RIFF chunk whose form type is `formType`.
  int FindForm(uint32_t formType, RiffChunk& form);
  // Finds the first chunk `id` in the body of `form`, searched from the form's
  // start, so that the order of chunks does not matter.
  int FindChunk(const RiffChunk& form, uint32_t id, RiffChunk& chunk);
  // Reads up to `bytes` bytes at `offset`; returns the count read (short at
  // the end of the file or on an error).
  int64_t ReadAt(int64_t offset, void* destination, int64_t bytes);

 private:
  int Find(int64_t begin, int64_t end, uint32_t id, const uint32_t* formType, RiffChunk& found);
  bool ReadHeader(int64_t offset, RiffChunk& chunk);
  bool HasFormType(const RiffChunk& chunk, uint32_t formType);

  FileHandle m_file;
  int64_t m_fileSize = 0;
  int64_t m_position = 0;
};

// Write side. Chunks are written one after another; Ascend finishes the
// innermost open chunk. Write errors are remembered and reported by Close,
// so that a full disk never passes unnoticed.
class RiffWriter {
 public:
  // Creates or truncates the file.
  int Create(const std::string& path);
  // Finishes nothing: call Ascend for open chunks first. Returns 0 or
  // kRiffCannotWrite when any byte written since Create was lost.
  int Close();
  bool IsOpen() const { return m_file != nullptr; }

  // Starts a chunk at the end of the file with size 0 in its header.
  int CreateChunk(uint32_t id, RiffChunk& chunk);
  // Starts a RIFF form: "RIFF", size 0, form type.
  int CreateForm(uint32_t formType, RiffChunk& form);
  // Appends bytes; returns the count written.
  int64_t Write(const void* source, int64_t bytes);
  // Writes the pad byte of an odd-sized chunk and its final size.
  int Ascend(RiffChunk& chunk);

 private:
  bool Put(const void* source, int64_t bytes);
  bool PutAt(int64_t offset, uint32_t value);

  FileHandle m_file;
  int64_t m_position = 0;
  bool m_failed = false;
};

}  // namespace velmio
