#pragma once
#include <string>
#include <vector>

namespace velmio::cli {

// velmio-cli vocal: reads a WAV file as the window loads a recording (24-bit
// samples become 16-bit), applies vocal cut or extract to stereo data and
// writes the result as 16-bit PCM; mono data is written unchanged. Returns
// the exit status (0 done, 1 refused input or unwritable output, 2 bad
// arguments).
int RunVocalCommand(const std::vector<std::string>& args);

}  // namespace velmio::cli
