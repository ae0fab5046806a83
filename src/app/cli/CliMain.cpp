// velmio-cli: the program's flows without a window, for batch use and checks.
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/AnalyseCommand.h"

namespace {

constexpr char kUsage[] =
    "usage: velmio-cli analyse INPUT.wav -o OUTPUT.vlx [--bins 1|2|4|8] [--window cq|trapezoid]\n"
    "                  [--a4 HZ] [--low C0|C1|C2|C3|C4] [--high C6|C7|C8|C9|C10]\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string verb = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (verb == "analyse" || verb == "analyze") return velmio::cli::RunAnalyseCommand(args);
  if (verb == "--help" || verb == "-h" || verb == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::fprintf(stderr, "velmio-cli: unknown command %s\n%s", verb.c_str(), kUsage);
  return 2;
}
