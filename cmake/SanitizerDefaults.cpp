// Linked into every executable of a sanitizer build, so that the tests and
// fuzz targets behave the same whether ctest, a script or a person starts them:
// undefined behaviour stops the program with a stack, and leaks are reported
// except those inside the third-party libraries named in lsan.supp.

#include "SanitizerOptions.h"

extern "C" {

const char* __asan_default_options() {
  return "check_initialization_order=1:strict_init_order=1:strict_string_checks=1"
#ifdef HW_SYMBOLIZER
         ":external_symbolizer_path=" HW_SYMBOLIZER
#endif
      ;
}

const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

const char* __lsan_default_suppressions() { return HW_LSAN_SUPPRESSIONS; }

}  // extern "C"
