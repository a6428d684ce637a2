#pragma once
// The raw output files are written with "." as the decimal point. Their scans run under the
// "C" locale on the calling thread, whatever locale the program runs with.

#include <locale.h>

namespace quelmar::processing {

locale_t c_locale();

class CLocaleScope {
  public:
    CLocaleScope() : previous_(uselocale(c_locale())) {}
    ~CLocaleScope() { uselocale(previous_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

  private:
    locale_t previous_;
};

}  // namespace quelmar::processing
