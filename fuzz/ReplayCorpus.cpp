// Runs every file of a seed corpus through a fuzz target's entry point, with
// whatever compiler built the tree, so that a reader that regresses on a
// known input fails the tests even where no fuzzer is available.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzEntryPoints.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: fuzz_corpus_replay wav|settings|analysis_file CORPUS...\n");
    return 2;
  }
  using Entry = void (*)(const uint8_t*, std::size_t);
  const std::string target = argv[1];
  const Entry entry = target == "wav"        ? velmio::fuzz::ReadWav
                      : target == "settings" ? velmio::fuzz::ReadSettingsRoundTrip
                      : target == "analysis_file" ? velmio::fuzz::ReadAnalysisFile
                                                  : nullptr;
  if (entry == nullptr) {
    std::fprintf(stderr, "unknown target %s\n", argv[1]);
    return 2;
  }
  int replayed = 0;
  for (int i = 2; i < argc; ++i) {
    for (const auto& item : std::filesystem::recursive_directory_iterator(argv[i])) {
      if (!item.is_regular_file()) continue;
      std::ifstream in(item.path(), std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
      entry(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  std::printf("%d inputs replayed through %s\n", replayed, argv[1]);
  return replayed > 0 ? 0 : 1;
}
