#pragma once
// Reading a number the way the C library's atof does, without its
// dependence on the process locale: the desktop may run with a decimal comma,
// while the values typed into the dialogs always use a point.
#include <string_view>

namespace velmio::ui {

// Leading white space is skipped, then the longest prefix that forms a
// decimal or hexadecimal floating-point number (sign, "inf" and "nan"
// included) is converted; text with no such prefix reads as 0. Values too
// large for a double read as infinity, as atof gives them.
double AtofText(std::string_view text);

}  // namespace velmio::ui
