// The C library's locale switched for one test and restored after it, as the window's own
// setlocale switches it on a German or French desktop.
#pragma once

#include <clocale>
#include <string>

namespace spot::testing {

/// Why a comma-locale test is skipped.
inline constexpr const char* kNoCommaLocale =
    "no comma-decimal locale is installed (./x deps generates de_DE.UTF-8)";

/// Restores the locale (all categories) that was in force when it was made.
class ScopedLocale {
public:
  ScopedLocale() {
    const char* current = std::setlocale(LC_ALL, nullptr);
    previous_ = current ? current : "C";
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;

  void useClassic() { std::setlocale(LC_ALL, "C"); }

  /// Switches to the first installed locale whose decimal point is ","; false when there is none.
  bool useCommaDecimal() {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"})
      if (std::setlocale(LC_ALL, name) && std::string(std::localeconv()->decimal_point) == ",")
        return true;
    std::setlocale(LC_ALL, previous_.c_str());
    return false;
  }

private:
  std::string previous_;
};

} // namespace spot::testing
