# Project-wide flags, carried by one INTERFACE target that every target links.
add_library(hw_common INTERFACE)
target_compile_features(hw_common INTERFACE cxx_std_20)
# The generated version header is included as "Version.h".
configure_file(${PROJECT_SOURCE_DIR}/cmake/Version.h.in ${PROJECT_BINARY_DIR}/generated/Version.h @ONLY)
target_include_directories(hw_common INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
target_compile_options(hw_common INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor>)
if(HW_WARNINGS_AS_ERRORS)
  target_compile_options(hw_common INTERFACE $<$<CXX_COMPILER_ID:GNU,Clang>:-Werror>)
endif()
if(HW_SANITIZE)
  target_compile_options(hw_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
  target_link_options(hw_common INTERFACE -fsanitize=address,undefined)
  # Every executable carries the sanitizers' default options and the leak
  # suppressions of cmake/lsan.supp (third-party libraries only).
  file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/lsan.supp suppressions REGEX "^[a-z]")
  set(options "#pragma once\n#define HW_LSAN_SUPPRESSIONS \"")
  foreach(line IN LISTS suppressions)
    string(APPEND options "${line}\\n")
  endforeach()
  string(APPEND options "\"\n")
  find_program(HW_LLVM_SYMBOLIZER NAMES llvm-symbolizer-14 llvm-symbolizer
               PATHS /usr/lib/llvm-14/bin)
  if(HW_LLVM_SYMBOLIZER)
    string(APPEND options "#define HW_SYMBOLIZER \"${HW_LLVM_SYMBOLIZER}\"\n")
  endif()
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/generated/SanitizerOptions.h CONTENT "${options}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/lsan.supp)
  target_sources(hw_common INTERFACE
    $<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:${PROJECT_SOURCE_DIR}/cmake/SanitizerDefaults.cpp>)
endif()
# The fuzz targets steer by coverage of the code they call: every library is
# instrumented for it, the fuzz targets alone link libFuzzer's main.
if(HW_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  target_compile_options(hw_common INTERFACE -fsanitize=fuzzer-no-link)
endif()
