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
endif()
