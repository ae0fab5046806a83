#include "audio/RiffFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <limits>

namespace velmio {
namespace {

// The largest file whose RIFF size still fits its 32-bit field, counting the
// pad byte an odd final chunk may need.
constexpr int64_t kMaxWriteBytes = kRiffHeaderBytes + std::numeric_limits<uint32_t>::max() - 1;

bool SeekTo(std::FILE* file, int64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, offset, SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

uint32_t LoadLe32(const uint8_t* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

void StoreLe32(uint8_t* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A missing file and a missing folder are told apart, as the user fixes them differently.
int StatusForMissing(const std::string& path) {
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  std::error_code ec;
  if (!parent.empty() && !std::filesystem::is_directory(parent, ec)) return kRiffPathNotFound;
  return kRiffFileNotFound;
}

}  // namespace

int StatusFromOpenErrno(int error) {
  switch (error) {
    case ENOENT:
      return kRiffFileNotFound;
    case ENOTDIR:
      return kRiffPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kRiffAccessDenied;
    case EMFILE:
    case ENFILE:
      return kRiffTooManyOpenFiles;
    default:
      return kRiffCannotOpen;
  }
}

// ---- reading ----

int RiffReader::Open(const std::string& path) {
  // Only a regular file has a size to check chunk sizes against; a directory
  // would even open for reading on POSIX systems.
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    return kRiffCannotOpen;
  m_file.reset(std::fopen(path.c_str(), "rb"));
  if (!m_file) {
    const int error = errno;
    return error == ENOENT ? StatusForMissing(path) : StatusFromOpenErrno(error);
  }
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) {
    m_file.reset();
    return kRiffCannotRead;
  }
  m_fileSize = static_cast<int64_t>(size);
  m_position = 0;
  return 0;
}

int RiffReader::Close() {
  std::FILE* file = m_file.release();
  m_fileSize = 0;
  m_position = 0;
  if (file == nullptr) return 0;
  return std::fclose(file) == 0 ? 0 : kRiffCannotRead;
}

int RiffReader::FindForm(uint32_t formType, RiffChunk& form) {
  if (!m_file) return kRiffCannotRead;
  return Find(0, m_fileSize, FourCC("RIFF"), &formType, form);
}

int RiffReader::FindChunk(const RiffChunk& form, uint32_t id, RiffChunk& chunk) {
  if (!m_file) return kRiffCannotRead;
  // A form that claims more than the file holds is searched up to the file's
  // end: the chunks that are really there count, the missing rest does not.
  const int64_t begin = form.dataOffset + 4;
  const int64_t end = std::min<int64_t>(form.dataOffset + form.size, m_fileSize);
  return Find(begin, end, id, nullptr, chunk);
}

int RiffReader::Find(int64_t begin, int64_t end, uint32_t id, const uint32_t* formType,
                     RiffChunk& found) {
  // Every step moves at least one header forward, so the walk ends; a chunk
  // that claims to run past `end` ends it, since nothing after it can be found.
  for (int64_t offset = begin; offset + kRiffHeaderBytes <= end;) {
    RiffChunk chunk;
    if (!ReadHeader(offset, chunk)) return kRiffCannotRead;
    if (chunk.id == id && (formType == nullptr || HasFormType(chunk, *formType))) {
      found = chunk;
      return 0;
    }
    offset = chunk.dataOffset + chunk.size + (chunk.size & 1);
  }
  return kRiffChunkNotFound;
}

bool RiffReader::ReadHeader(int64_t offset, RiffChunk& chunk) {
  uint8_t header[kRiffHeaderBytes];
  if (ReadAt(offset, header, kRiffHeaderBytes) != kRiffHeaderBytes) return false;
  chunk.id = LoadLe32(header);
  chunk.size = LoadLe32(header + 4);
  chunk.dataOffset = offset + kRiffHeaderBytes;
  return true;
}

bool RiffReader::HasFormType(const RiffChunk& chunk, uint32_t formType) {
  uint8_t type[4];
  return chunk.size >= 4 && ReadAt(chunk.dataOffset, type, 4) == 4 && LoadLe32(type) == formType;
}

int64_t RiffReader::ReadAt(int64_t offset, void* destination, int64_t bytes) {
  if (!m_file || offset < 0 || bytes <= 0) return 0;
  if (offset != m_position && !SeekTo(m_file.get(), offset)) {
    m_position = -1;
    return 0;
  }
  const std::size_t got = std::fread(destination, 1, static_cast<std::size_t>(bytes), m_file.get());
  // After an error the stream position is unknown: seek again next time.
  m_position = std::ferror(m_file.get()) ? -1 : offset + static_cast<int64_t>(got);
  return static_cast<int64_t>(got);
}

// ---- writing ----

int RiffWriter::Create(const std::string& path) {
  m_file.reset(std::fopen(path.c_str(), "wb"));
  if (!m_file) {
    const int error = errno;
    return error == ENOENT ? StatusForMissing(path) : StatusFromOpenErrno(error);
  }
  m_position = 0;
  m_failed = false;
  return 0;
}

int RiffWriter::Close() {
  std::FILE* file = m_file.release();
  if (file == nullptr) return 0;
  const bool flushed = std::fflush(file) == 0 && !std::ferror(file);
  const bool closed = std::fclose(file) == 0;
  const bool failed = m_failed;
  m_failed = false;
  m_position = 0;
  return flushed && closed && !failed ? 0 : kRiffCannotWrite;
}

int RiffWriter::CreateChunk(uint32_t id, RiffChunk& chunk) {
  uint8_t header[kRiffHeaderBytes] = {};
  StoreLe32(header, id);
  chunk.id = id;
  chunk.size = 0;
  chunk.dataOffset = m_position + kRiffHeaderBytes;
  return Put(header, sizeof header) ? 0 : kRiffCannotWrite;
}

int RiffWriter::CreateForm(uint32_t formType, RiffChunk& form) {
  const int status = CreateChunk(FourCC("RIFF"), form);
  if (status != 0) return status;
  uint8_t type[4];
  StoreLe32(type, formType);
  return Put(type, sizeof type) ? 0 : kRiffCannotWrite;
}

int64_t RiffWriter::Write(const void* source, int64_t bytes) {
  if (!m_file || bytes <= 0) return 0;
  // Beyond this the RIFF size field would wrap and the file would lie.
  if (bytes > kMaxWriteBytes - m_position) {
    m_failed = true;
    return 0;
  }
  const int64_t before = m_position;
  Put(source, bytes);
  return m_position - before;
}

int RiffWriter::Ascend(RiffChunk& chunk) {
  if (!m_file) return kRiffCannotWrite;
  const int64_t size = m_position - chunk.dataOffset;
  if ((size & 1) != 0) {
    const uint8_t pad = 0;
    if (!Put(&pad, 1)) return kRiffCannotWrite;
  }
  chunk.size = static_cast<uint32_t>(size);
  return PutAt(chunk.dataOffset - 4, chunk.size) ? 0 : kRiffCannotWrite;
}

bool RiffWriter::Put(const void* source, int64_t bytes) {
  if (!m_file) return false;
  const std::size_t put = std::fwrite(source, 1, static_cast<std::size_t>(bytes), m_file.get());
  m_position += static_cast<int64_t>(put);
  const bool complete = put == static_cast<std::size_t>(bytes);
  if (!complete) m_failed = true;
  return complete;
}

bool RiffWriter::PutAt(int64_t offset, uint32_t value) {
  uint8_t bytes[4];
  StoreLe32(bytes, value);
  const bool ok = SeekTo(m_file.get(), offset) && std::fwrite(bytes, 1, 4, m_file.get()) == 4 &&
                  SeekTo(m_file.get(), m_position);
  if (!ok) m_failed = true;
  return ok;
}

}  // namespace velmio
