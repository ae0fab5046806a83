#pragma once
#include <string>
#include <vector>

namespace velmio::cli {

// velmio-cli render: opens and analyses a recording through the view, applies
// the display options through the view's own commands and saves the picture a
// paint of that client size and scroll position would show, as PNG. Returns
// the process exit status (0 done, 1 refused input or unwritable image, 2 bad
// arguments). Needs a QGuiApplication.
int RunRenderCommand(const std::vector<std::string>& args);

}  // namespace velmio::cli
