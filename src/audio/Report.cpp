#include "audio/Report.h"

#include <cstdio>

namespace velmio {

void ReportToStderr(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
}

}  // namespace velmio
