#include "ui/AtofText.h"

#include <locale.h>
#include <stdlib.h>

#include <string>

namespace velmio::ui {
namespace {

// The "C" locale, made once for the run and never freed (it is shared by
// every call and lives as long as the program).
locale_t CLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

}  // namespace

double AtofText(std::string_view text) {
  const std::string terminated(text);  // strtod needs the terminating zero
  const locale_t locale = CLocale();
  // Without memory for a locale object the process locale is the only one left.
  return locale != static_cast<locale_t>(nullptr) ? strtod_l(terminated.c_str(), nullptr, locale)
                                                  : strtod(terminated.c_str(), nullptr);
}

}  // namespace velmio::ui
