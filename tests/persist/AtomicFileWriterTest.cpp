// Replacing files in place: links keep pointing at the file that got the new
// content, pipes and devices are never replaced, long names work, and no
// temporary file is left behind, not even by a killed writer.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "persist/AtomicFileWriter.h"
#include "support/TempDir.h"

namespace velmio::test {
namespace {

namespace fs = std::filesystem;

AtomicWriteStatus Put(const std::string& path, const std::string& text) {
  return WriteFileAtomically(path, [&](std::FILE* f) {
    return std::fwrite(text.data(), 1, text.size(), f) == text.size();
  });
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(AtomicFileWriter, WritesThroughLinksToTheFileTheyName) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> links;  // link -> what it holds
    const char* written;                                     // the path given to the writer
    const char* real;                                        // where the content must land
    bool realExistsBefore;
  } cases[] = {
      {"relative link", {{"velmio.ini", "dot/settings"}}, "velmio.ini", "dot/settings", true},
      {"chain of links", {{"a", "b"}, {"b", "dot/settings"}}, "a", "dot/settings", true},
      {"dangling link", {{"out.vlx", "dot/new.vlx"}}, "out.vlx", "dot/new.vlx", false},
      {"link to a directory on the way", {{"d", "dot"}}, "d/settings", "dot/settings", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    fs::create_directory(dir.Path() / "dot");
    if (c.realExistsBefore) dir.Write(std::string("dot/") + "settings", "old");
    for (const auto& [link, to] : c.links) fs::create_symlink(to, dir.Path() / link);
    ASSERT_EQ(Put(dir / c.written, "new"), AtomicWriteStatus::kWritten);
    EXPECT_EQ(Slurp(dir.Path() / c.real), "new");
    for (const auto& [link, to] : c.links) EXPECT_TRUE(fs::is_symlink(dir.Path() / link)) << link;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
      EXPECT_NE(entry.path().filename().string().rfind(".velmio", 0), 0u) << entry.path();
  }
}

TEST(AtomicFileWriter, LinkLoopIsRefused) {
  TempDir dir;
  fs::create_symlink("b", dir.Path() / "a");
  fs::create_symlink("a", dir.Path() / "b");
  EXPECT_EQ(Put(dir / "a", "x"), AtomicWriteStatus::kCannotCreate);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a", "b"}));
}

// Opening a pipe for writing would block until a reader comes; it must not
// even be opened, and it must stay a pipe.
TEST(AtomicFileWriter, PipesAndDevicesAreNotReplaced) {
  TempDir dir;
  const std::string fifo = dir / "velmio.ini";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("/dev/null", dir.Path() / "null.vlx");
  EXPECT_EQ(Put(fifo, "x"), AtomicWriteStatus::kNotAFile);
  EXPECT_EQ(Put(dir / "null.vlx", "x"), AtomicWriteStatus::kNotAFile);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"null.vlx", "velmio.ini"}));
}

// The temporary name does not grow with the target's: a name at the system's
// limit of 255 bytes is written like any other.
TEST(AtomicFileWriter, NamesUpToTheLimitWork) {
  TempDir dir;
  for (const std::size_t length : {std::size_t{250}, std::size_t{254}, std::size_t{255}}) {
    const std::string name = std::string(length - 4, 'n') + ".vlx";
    ASSERT_EQ(Put(dir / name, "first"), AtomicWriteStatus::kWritten) << length;
    ASSERT_EQ(Put(dir / name, "second"), AtomicWriteStatus::kWritten) << length;
    EXPECT_EQ(Slurp(dir.Path() / name), "second");
  }
  EXPECT_EQ(dir.Entries().size(), 3u);
}

// A writer killed halfway leaves the old file and nothing else.
TEST(AtomicFileWriter, KilledWriterLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string target = dir.Write("song.vlx", "old");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    WriteFileAtomically(target, [](std::FILE* f) {
      const std::string block(1 << 20, 'x');
      std::fwrite(block.data(), 1, block.size(), f);
      std::fflush(f);
      ::kill(::getpid(), SIGKILL);
      return true;
    });
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(Slurp(target), "old");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"song.vlx"});
}

}  // namespace
}  // namespace velmio::test
