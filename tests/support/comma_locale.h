#pragma once
// A locale whose decimal point is a comma, for the C library's formatting while it lives, then
// the locale as it was. `scripts/test` makes de_DE.UTF-8 when the system has none.

#include <clocale>
#include <string>

namespace vm::test {

class ScopedCommaLocale {
 public:
  ScopedCommaLocale() : saved_(std::setlocale(LC_ALL, nullptr)) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"}) {
      if (std::setlocale(LC_ALL, name) != nullptr) {
        active_ = *std::localeconv()->decimal_point == ',';
        if (active_) return;
      }
    }
    std::setlocale(LC_ALL, saved_.c_str());
  }
  ~ScopedCommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  ScopedCommaLocale(const ScopedCommaLocale&) = delete;
  ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

  bool active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

}  // namespace vm::test
