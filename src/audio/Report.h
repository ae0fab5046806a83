#pragma once
// The one way file and device code tells the user that something failed.
// The window shows the text in a message box (OK button); the command-line
// tool prints it on stderr; tests record it.
#include <functional>
#include <string>

namespace velmio {

using ReportFn = std::function<void(const std::string& message)>;

// Writes the message and a newline to stderr. Any thread.
void ReportToStderr(const std::string& message);

}  // namespace velmio
