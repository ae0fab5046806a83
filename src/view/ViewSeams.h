#pragma once
// Steps of the open flow that belong to tools added separately: the external
// decoder, and the memory the analysis may use. An empty seam means the tool
// is not there, and the flow goes on as without it.
#include <cstdint>
#include <functional>
#include <string>

#include "audio/PcmLoading.h"

namespace velmio {

struct ViewSeams {
  // Converts `source` into the WAV file `target`; false after reporting why.
  std::function<bool(const std::string& source, const std::string& target)> runDecoder;
  // Bytes the analysis may still allocate; empty: what the system reports.
  std::function<uint64_t()> availableMemory;
};

}  // namespace velmio
