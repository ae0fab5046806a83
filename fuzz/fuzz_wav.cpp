// libFuzzer target: see fuzz/README.md.
#include "FuzzEntryPoints.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  velmio::fuzz::ReadWav(data, size);
  return 0;
}
