#pragma once
// File-name tests that ignore letter case, as users of any desktop expect
// (song.WAV is a WAV file).
#include <string>
#include <string_view>

namespace velmio {

// True when `path` ends in `extension` (".wav"), in any letter case.
bool HasExtension(std::string_view path, std::string_view extension);

}  // namespace velmio
